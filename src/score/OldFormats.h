#pragma once
// Conversions of score files written by older versions of the program or on a Macintosh:
// old colour and font numbers, and the Macintosh character set.

#include <cstdint>

// The colour (0x00BBGGRR) of an old colour number 0 to 15; -1 stays -1, other numbers give 0.
int32_t translate_color(short index);
// The face name of an old font number: 1 "Arial", 2 the music font, 3 "Times New Roman", any
// other number its decimal text (in one buffer that the next call overwrites).
const char* translate_font(short number);
// Converts a text in place from the Macintosh Roman character set to Windows-1252, byte by
// byte; a character that Windows-1252 lacks becomes "?".
void convert_string_mac_win(char* s);
