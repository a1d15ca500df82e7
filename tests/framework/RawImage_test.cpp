#include "framework/RawImage.h"

#include "framework/Colors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

TEST(RawImage, SixteenColoursBottomRowFirstWithPaddedRows)
{
    // 3 x 2 pixels: each row of 2 bytes padded to 4. Bottom row stored first.
    const unsigned char bits[] = {
        0x9F, 0x00, 0, 0,  // bottom row: 9, 15, 0
        0x05, 0xE0, 0, 0,  // top row: 0, 5, 14
    };
    EXPECT_EQ(raw_image_size(3, 2, 16), 8);
    const std::vector<int32_t> rgb = raw_image_pixels(bits, 3, 2, 16);
    EXPECT_EQ(rgb, (std::vector<int32_t>{translate_color(0), translate_color(5), translate_color(14),
                                         translate_color(9), translate_color(15), translate_color(0)}));
}

TEST(RawImage, TwoHundredFiftySixColoursThroughThePalette)
{
    std::vector<unsigned char> bits(static_cast<size_t>(raw_image_size(2, 2, 256)));
    EXPECT_EQ(bits.size(), 1024u + 8u);
    const unsigned char blue_green_red[3][3] = {{0x10, 0x20, 0x30}, {0xFF, 0, 0}, {0, 0, 0xFF}};
    for (int i = 0; i < 3; ++i)
        for (int k = 0; k < 3; ++k) bits[static_cast<size_t>(4 * (i + 1) + k)] = blue_green_red[i][k];
    const unsigned char rows[] = {1, 2, 0, 0, 3, 0, 0, 0};  // bottom: 1, 2; top: 3, 0
    std::copy(rows, rows + 8, bits.begin() + 1024);
    const std::vector<int32_t> rgb = raw_image_pixels(bits.data(), 2, 2, 256);
    EXPECT_EQ(rgb, (std::vector<int32_t>{0x0000FF, 0, 0x102030, 0xFF0000}));
    EXPECT_TRUE(raw_image_pixels(bits.data(), 0, 2, 256).empty());
}

TEST(RawImage, DrawnAtItsCorner)
{
    std::unique_ptr<platform::Surface> s = platform::Surface::create_image(10, 10);
    const unsigned char bits[] = {0x99, 0, 0, 0, 0x5F, 0, 0, 0};  // top: blue, white; bottom: red, red
    draw_raw_image(s.get(), 4, 6, 3, 5, reinterpret_cast<const char*>(bits), 16);
    EXPECT_EQ(s->pixel(4, 3), translate_color(5));
    EXPECT_EQ(s->pixel(5, 3), translate_color(15));
    EXPECT_EQ(s->pixel(4, 4), translate_color(9));
    EXPECT_EQ(s->pixel(3, 3), 0xFFFFFF);
}

}  // namespace
