#include "platform/Cp1252.h"

#include <gtest/gtest.h>

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
}
