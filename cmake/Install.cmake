# Where `cmake --install` puts the program, and the .deb that CPack builds
# from the same tree (scripts/package).
include(GNUInstallDirs)

# Installing and packaging build nothing first: scripts/package builds the
# two programs, and the package test packages a tree already built, without
# building the tests and benchmarks around it.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

# The day this version (project() in CMakeLists.txt) was released, for the
# AppStream description: change it with the version.
set(VANTREL_RELEASE_DATE 2026-12-11)
set(VANTREL_APPSTREAM_ID example.vantrel.Vantrel)

install(TARGETS vantrel vantrel-sql RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES ${CMAKE_SOURCE_DIR}/dist/vantrel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 16 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/dist/icons/hicolor/${size}x${size}/apps/vantrel.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/dist/icons/vantrel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
configure_file(${CMAKE_SOURCE_DIR}/dist/${VANTREL_APPSTREAM_ID}.metainfo.xml
               ${CMAKE_BINARY_DIR}/dist/${VANTREL_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/dist/${VANTREL_APPSTREAM_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# ws.php is not run here: the user copies it onto their web server.
install(FILES ${CMAKE_SOURCE_DIR}/server/ws.php ${CMAKE_SOURCE_DIR}/server/README.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/vantrel/server)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel)
set(CPACK_PACKAGE_VENDOR Vantrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Vantrel <maintainers@vantrel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "MySQL database browser through a web server")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Vantrel <maintainers@vantrel.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "http://www.vantrel.example/")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Vantrel browses and queries MySQL or MariaDB databases that can only be
reached through a web server: each SQL statement is posted over HTTP to a
small PHP script, ws.php, which runs it and answers plain text. Its
interface is in French.
.
The package also holds vantrel-sql, the same client on the command line,
and ws.php itself in /usr/share/vantrel/server, to copy onto the web
server.")
# The libraries come from the binaries themselves; Qt's SQLite driver is a
# plugin loaded at run time, which no binary names, and so are the French
# catalogues of Qt and QScintilla.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-translations-l10n, libqscintilla2-qt6-l10n")
include(CPack)
