// libFuzzer's entry point for the answer parsing.

#include "FuzzAnswer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) { return FuzzAnswer(data, size); }
