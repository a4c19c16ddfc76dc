// UByteScan: counts of one byte value over a run of bytes, as the web
// service client and its readers need over answers of many megabytes.
#pragma once

#include <QtGlobal>

namespace UByteScan {

// How many bytes of [data, data + size) equal `byte`.
qsizetype Count(const char *data, qsizetype size, char byte);

}  // namespace UByteScan
