# cmake -DPROGRAM=path -P CheckNoWidgets.cmake: fails when the built program
# loads Qt Gui or Qt Widgets (a link that the configure-time check missed,
# for instance one added by hand or through a library's own dependencies).
execute_process(COMMAND ldd "${PROGRAM}" OUTPUT_VARIABLE libraries RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "ldd ${PROGRAM} failed")
endif()
if(libraries MATCHES "libQt6(Gui|Widgets)[^ ]*")
  message(FATAL_ERROR "${PROGRAM} loads ${CMAKE_MATCH_0}: it must stay free of widgets")
endif()
message(STATUS "${PROGRAM} loads no widget library")
