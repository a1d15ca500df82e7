#pragma once
// Texts inside the program are Windows-1252; the system (file names, fonts, X11) speaks UTF-8.
// These two conversions are the only crossing point.

#include <string>

namespace platform {

// Every byte has a meaning; the five bytes that code page leaves undefined become U+FFFD.
std::string cp1252_to_utf8(const std::string& text);

// Characters with no Windows-1252 form become '?'; malformed UTF-8 bytes become '?' as well.
std::string utf8_to_cp1252(const std::string& text);

// The Unicode code point of one Windows-1252 byte (0xFFFD for the undefined ones).
unsigned cp1252_code_point(unsigned char byte);

}  // namespace platform
