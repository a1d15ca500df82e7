#include "framework/Colors.h"
#include "framework/TextConversion.h"

#include "platform/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

// Mac OS Roman and Windows-1252 codes of the letters the conversions exchange.
const unsigned char kMac[] = {0x80, 0x81, 0x82, 0x83, 0x85, 0x86, 0x88, 0x89, 0x8A, 0x8C, 0x8D, 0x8E, 0x8F,
                              0x90, 0x91, 0x94, 0x95, 0x98, 0x99, 0x9A, 0x9D, 0x9E, 0x9F, 0xAE, 0xBE, 0xD8};
const unsigned char kWin[] = {0xC4, 0xC5, 0xC7, 0xC9, 0xD6, 0xDC, 0xE0, 0xE2, 0xE4, 0xE5, 0xE7, 0xE9, 0xE8,
                              0xEA, 0xEB, 0xEE, 0xEF, 0xF2, 0xF4, 0xF6, 0xF9, 0xFB, 0xFC, 0xC6, 0xE6, 0xFF};

std::string every_byte()
{
    std::string s;
    for (int c = 1; c < 256; ++c) s += static_cast<char>(c);
    return s;
}

TEST(TextConversion, ExchangesExactlyTheTwentySixLetters)
{
    std::string s = every_byte();
    convert_string_mac_win(&s[0]);
    int changed = 0;
    for (int c = 1; c < 256; ++c) {
        const unsigned char now = static_cast<unsigned char>(s[static_cast<size_t>(c - 1)]);
        if (now != c) ++changed;
    }
    EXPECT_EQ(changed, 26);
    for (size_t i = 0; i < sizeof kMac; ++i) EXPECT_EQ(static_cast<unsigned char>(s[kMac[i] - 1]), kWin[i]) << i;
    EXPECT_EQ(static_cast<unsigned char>(s[0x87 - 1]), 0x87);  // Mac a-acute is not converted

    std::string w = every_byte();
    convert_string_win_mac(&w[0]);
    for (size_t i = 0; i < sizeof kWin; ++i) EXPECT_EQ(static_cast<unsigned char>(w[kWin[i] - 1]), kMac[i]) << i;
    // Going back converts the letters exactly; "caf\x8E" is "café" on a Macintosh.
    std::string word = "caf\x8E";
    convert_string_mac_win(&word[0]);
    EXPECT_EQ(word, "caf\xE9");
    convert_string_win_mac(&word[0]);
    EXPECT_EQ(word, "caf\x8E");
    convert_string_mac_win(nullptr);
}

TEST(TextConversion, FileIsConvertedInBlocksAndKeepsItsLength)
{
    TempFolder folder;
    const std::string path = folder / "mac.txt";
    std::string content(2500, 'a');
    content[0] = '\x8E';
    content[999] = '\x8E';
    content[1000] = '\x8F';
    content[1500] = '\0';  // stops the conversion of the second block
    content[1600] = '\x8E';
    content[2499] = '\x8E';
    std::ofstream(path, std::ios::binary) << content;
    convertir_fichier_mac_win(path.c_str());
    std::ifstream in(path, std::ios::binary);
    const std::string out((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(out.size(), 2500u);
    EXPECT_EQ(out[0], '\xE9');
    EXPECT_EQ(out[999], '\xE9');
    EXPECT_EQ(out[1000], '\xE8');
    EXPECT_EQ(out[1500], '\0');
    EXPECT_EQ(out[1600], '\x8E');
    EXPECT_EQ(out[2499], '\xE9');
    convertir_fichier_mac_win((folder / "missing.txt").c_str());  // nothing happens
}

TEST(Colors, TableOfSixteenColours)
{
    const struct {
        short n;
        int32_t colour;
    } cases[] = {
        {0, 0x000000}, {1, 0x008080}, {2, 0xC0C0C0}, {3, 0x808080}, {4, 0x800000}, {5, 0xFF0000},
        {6, 0x008000}, {7, 0x00FF00}, {8, 0x000080}, {9, 0x0000FF}, {10, 0x808000}, {11, 0xFFFF00},
        {12, 0x800080}, {13, 0xFF00FF}, {14, 0x00FFFF}, {15, 0xFFFFFF}, {16, 0}, {-2, 0}, {-1, -1},
    };
    for (const auto& c : cases) EXPECT_EQ(translate_color(c.n), c.colour) << c.n;
}

}  // namespace
