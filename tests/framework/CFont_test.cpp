// Font descriptions and the font helpers.
#include "framework/CFont.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(CFont, DefaultsAndCopyKeepTheWidth)
{
    CFont a;
    EXPECT_EQ(a.uid, 26);
    EXPECT_STREQ(a.get_name(), "Arial");
    EXPECT_EQ(a.get_size(), 12);
    EXPECT_EQ(a.get_style(), 0);
    EXPECT_EQ(a.get_color(), 0);
    CFont b;
    b.set("Times New Roman", 20, FontBold | FontItalic, 0x0000FF);
    b.set_width(9);
    a.set_width(4);
    a.set(&b);
    EXPECT_STREQ(a.get_name(), "Times New Roman");
    EXPECT_EQ(a.get_size(), 20);
    EXPECT_EQ(a.get_style(), FontBold | FontItalic);
    EXPECT_EQ(a.get_color(), 0x0000FF);
    EXPECT_EQ(a.get_width(), 4);
}

TEST(CFont, NumberedFaces)
{
    EXPECT_STREQ(translate_font(1), "Arial");
    EXPECT_STREQ(translate_font(2), "Marcatino");
    EXPECT_STREQ(translate_font(3), "Times New Roman");
    EXPECT_STREQ(translate_font(7), "7");
    EXPECT_STREQ(translate_font(-32768), "-32768");
}

TEST(CFont, InstalledFacesAreMatchedExactly)
{
    EXPECT_EQ(font_installed("Arial"), 1);
    EXPECT_EQ(font_installed("arial"), 0);
    EXPECT_EQ(font_installed("No Such Face"), 0);
    EXPECT_EQ(font_installed(nullptr), 0);
}
