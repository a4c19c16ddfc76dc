#pragma once

#include <cstddef>
#include <cstdint>

// Runs one input of the answer parsing's fuzz target (see FuzzAnswer.cpp);
// aborts when a reading differs from the answer format's rules.
int FuzzAnswer(const uint8_t *data, size_t size);
