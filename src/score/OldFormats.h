#pragma once
// Conversions of score files written by older versions of the program or on a Macintosh:
// old colour numbers and the Macintosh character set (old font numbers: translate_font of
// framework/CFont.h).

#include <cstdint>

// The colour (0x00BBGGRR) of an old colour number 0 to 15; -1 stays -1, other numbers give 0.
int32_t translate_color(short index);
// Converts a text in place from the Macintosh Roman character set to Windows-1252, byte by
// byte; a character that Windows-1252 lacks becomes "?".
void convert_string_mac_win(char* s);
