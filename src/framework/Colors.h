#pragma once
// The library's sixteen colours, by number; colours are 32-bit values with red in the low
// byte, then green, then blue.

#include <cstdint>

// The colour of number n (0 to 15); -1 gives the value with every bit set (no colour), any
// other number black.
int32_t translate_color(short n);
