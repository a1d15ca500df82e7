#pragma once
// Conversions of score files written by older versions of the program or on a Macintosh: old
// colour numbers (translate_color), the Macintosh character set (convert_string_mac_win) and
// old font numbers (translate_font of framework/CFont.h) come from the class library.

#include "framework/Colors.h"
#include "framework/TextConversion.h"
