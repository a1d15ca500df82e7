#include "platform/Cp1252.h"

#include <gtest/gtest.h>

#include <string>

using platform::cp1252_to_utf8;
using platform::utf8_to_cp1252;

TEST(Cp1252, ConvertsBothWays)
{
    struct Case { const char* cp1252; const char* utf8; };
    const Case cases[] = {
        {"abc", "abc"},
        {"Biblioth\xE8que d'origine", "Biblioth\xC3\xA8que d'origine"},
        {"\x80", "\xE2\x82\xAC"},        // euro sign
        {"\x9C", "\xC5\x93"},            // oe ligature
        {"\xFF", "\xC3\xBF"},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cp1252_to_utf8(c.cp1252), c.utf8) << c.cp1252;
        EXPECT_EQ(utf8_to_cp1252(c.utf8), c.cp1252) << c.utf8;
    }
}

TEST(Cp1252, EveryDefinedByteRoundTrips)
{
    for (int b = 1; b < 256; ++b) {
        std::string one(1, static_cast<char>(b));
        if (platform::cp1252_code_point(static_cast<unsigned char>(b)) == 0xFFFD) continue;
        EXPECT_EQ(utf8_to_cp1252(cp1252_to_utf8(one)), one) << b;
    }
}

TEST(Cp1252, UnmappableAndMalformedBecomeQuestionMarks)
{
    EXPECT_EQ(utf8_to_cp1252("\xE4\xB8\xAD"), "?");       // a CJK character
    EXPECT_EQ(utf8_to_cp1252("a\xC3"), "a?");              // truncated sequence
    EXPECT_EQ(utf8_to_cp1252("\xC3(x"), "?(x");            // bad continuation byte
    EXPECT_EQ(cp1252_to_utf8("\x81"), "\xEF\xBF\xBD");     // undefined byte
    // Over-long forms never become the character they spell: no dot, slash, backslash or NUL
    // can hide in a name read from the disk.
    struct Case { std::string utf8; std::string cp1252; };
    const Case overlong[] = {
        {"\xC0\xAE\xC0\xAE", "??"},                 // ".."
        {"a\xC0\xAF" "b", "a?b"},                  // "/"
        {"\xC1\x9C", "?"},                          // "\\"
        {std::string("\xC0\x80", 2), "?"},          // NUL
        {"\xE0\x80\xAE", "?"},                      // "." in three bytes
        {"\xF0\x80\x80\xAE", "?"},                  // "." in four bytes
        {"\xE0\x83\xA9", "?"},                      // e acute in three bytes
        {"\xC2\x80\xC3\xA9", "?\xE9"},              // the shortest forms still convert
    };
    for (const Case& c : overlong) EXPECT_EQ(utf8_to_cp1252(c.utf8), c.cp1252);
}
