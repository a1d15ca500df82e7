// Image blocks: creation, copies, row order, the text form (exact bytes, odd widths, names,
// damaged input) and drawing at actual size.
#include "framework/Bitmap.h"

#include "framework/Colors.h"
#include "framework/CUserPanel.h"
#include "platform/Surface.h"

#include "TextForms.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>

using text_forms::read_from;
using text_forms::written;

namespace {

struct BlockDeleter {
    void operator()(char* b) const { delete_bitmap(b); }
};
using Block = std::unique_ptr<char, BlockDeleter>;

Block read_text(const std::string& text)
{
    return Block(read_from<char*>(text, read_texte_bitmap));
}

std::string text_of(char* block)
{
    return written([&](FILE* f) { write_texte_bitmap(block, f); });
}

void set_size(char* block, short w, short h)
{
    std::memcpy(block + 2, &w, 2);
    std::memcpy(block + 4, &h, 2);
}

// A bitmap of that size whose pixel (c, r) has colour (3c + 5r) mod 16.
Block patterned(short w, short h)
{
    Block b(create_bitmap(w, h));
    set_size(b.get(), w, h);
    for (short r = 0; r < h; r++)
        for (short c = 0; c < w; c++) set_bitmap_pixel(b.get(), c, r, static_cast<short>((3 * c + 5 * r) % 16));
    return b;
}

}  // namespace

TEST(Bitmap, CreateMakesAWhiteSixteenColourBlockOfAtLeastEightByEight)
{
    Block b(create_bitmap(5, 3));
    ASSERT_TRUE(b);
    EXPECT_EQ(bitmap_colors(b.get()), 16);
    EXPECT_EQ(bitmap_width(b.get()), 8);
    EXPECT_EQ(bitmap_height(b.get()), 8);
    EXPECT_STREQ(bitmap_name(b.get()), "bitmap");
    EXPECT_EQ(bitmap_size(b.get()), 22 + 32);
    for (int i = BITMAP_HEADER; i < 22 + 32; i++) EXPECT_EQ(static_cast<unsigned char>(b.get()[i]), 0xFF) << i;

    Block wide(create_bitmap(17, 9));
    EXPECT_EQ(bitmap_size(wide.get()), 22 + 9 * 12);  // 17 rounds up to 24 pixels, 12 bytes a row
    Block copy(dupliquer_bitmap(wide.get()));
    ASSERT_TRUE(copy);
    EXPECT_EQ(std::memcmp(copy.get(), wide.get(), static_cast<size_t>(bitmap_size(wide.get()))), 0);
    delete_bitmap(nullptr);
}

TEST(Bitmap, ConvertingRowsReversesTheirOrder)
{
    Block b = patterned(8, 5);
    Block before(dupliquer_bitmap(b.get()));
    convertir_lignes_bitmap(b.get());
    for (short r = 0; r < 5; r++)
        for (short c = 0; c < 8; c++)
            EXPECT_EQ(get_bitmap_pixel(b.get(), c, r), get_bitmap_pixel(before.get(), c, static_cast<short>(4 - r)));
}

TEST(Bitmap, TextFormOfASixteenByTwoIcon)
{
    Block b(create_bitmap(16, 2));
    set_size(b.get(), 16, 2);
    std::memset(b.get() + 6, 0, BITMAP_NAME_SIZE);
    std::strcpy(b.get() + 6, "icon");
    for (short c = 0; c < 16; c++) {
        set_bitmap_pixel(b.get(), c, 0, c);
        set_bitmap_pixel(b.get(), c, 1, static_cast<short>(15 - c));
    }
    const std::string expected =
        "bitmap(16,2,icon,0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15\r\t"
        ",15,14,13,12,11,10,9,8,7,6,5,4,3,2,1,0)\r";
    EXPECT_EQ(text_of(b.get()), expected);
    Block back = read_text(expected);
    ASSERT_TRUE(back);
    EXPECT_EQ(std::memcmp(back.get(), b.get(), static_cast<size_t>(bitmap_size(b.get()))), 0);
}

TEST(Bitmap, TextFormRoundTripsByteExactForOddAndEvenWidths)
{
    for (short w : {1, 3, 5, 7, 8, 9, 13, 16, 21})
        for (short h : {1, 2, 3, 9}) {
            Block b = patterned(w, h);
            const std::string text = text_of(b.get());
            Block back = read_text(text);
            ASSERT_TRUE(back) << w << "x" << h;
            EXPECT_EQ(bitmap_width(back.get()), w);
            EXPECT_EQ(bitmap_height(back.get()), h);
            // Every row begins with its own first pixel, as drawing and the editor show it.
            for (short r = 0; r < h; r++)
                for (short c = 0; c < w; c++)
                    ASSERT_EQ(get_bitmap_pixel(back.get(), c, r), (3 * c + 5 * r) % 16) << w << "x" << h;
            EXPECT_EQ(text_of(back.get()), text) << w << "x" << h;
        }
    // Width 3: the second row starts with its own first pixel (3 * 0 + 5 * 1 = 5).
    EXPECT_EQ(text_of(patterned(3, 2).get()), "bitmap(3,2,bitmap,0,3,6\r\t,5,8,11)\r");
}

TEST(Bitmap, NamesKeepFifteenCharactersAndRoundTrip)
{
    const struct {
        std::string name, kept;
    } cases[] = {
        {"a", "a"},
        {"fifteen_chars15", "fifteen_chars15"},
        {"twenty_characters_20", "twenty_characte"},
        {"", ""},
    };
    for (const auto& c : cases) {
        Block b = read_text("bitmap(2,1," + c.name + ",1,2)\r");
        ASSERT_TRUE(b) << c.name;
        EXPECT_EQ(std::string(bitmap_name(b.get())), c.kept);
        EXPECT_EQ(text_of(b.get()), "bitmap(2,1," + c.kept + ",1,2)\r");
    }
}

TEST(Bitmap, ReaderRefusesWhatItCannotRead)
{
    const std::string refused[] = {
        "bitmap(0,3,x,1)\r",                 // width below 1
        "bitmap(3,-2,x,1)\r",                // height below 1
        "bitmap(2,1,endless",                // the file ends in the name
        std::string("bitmap(2,1,na\0me,1,2)\r", 22),  // a NUL in the name
        "bitmap(2,2,x,1,2\r\t,3)\r",         // a value missing
        "bitmap(2,1,x,1,y)\r",               // a value that is no number
        "bitmap(2,1,x,1,2\r",                // no closing parenthesis
        "bitmap(300,300,x,1,2)\r",           // far more values announced than the file holds
        "bitmap(32767,32767,x,0)\r",
        "bmp(2,1,x,1,2)\r",
    };
    for (const std::string& text : refused) EXPECT_FALSE(read_text(text)) << text;
    // A header smaller than the allocation keeps the size it announces.
    Block small = read_text("bitmap(5,3,s,1,2,3,4,5\r\t,1,2,3,4,5\r\n,1,2,3,4,5)\r");
    ASSERT_TRUE(small);
    EXPECT_EQ(bitmap_width(small.get()), 5);
    EXPECT_EQ(bitmap_height(small.get()), 3);
    EXPECT_EQ(get_bitmap_pixel(small.get(), 4, 2), 5);
}

TEST(Bitmap, FuzzedTextEndsCleanly)
{
    std::mt19937 rng(22);
    const std::string seeds[] = {text_of(patterned(9, 3).get()), text_of(patterned(16, 2).get()),
                                 "bitmap(5,3,s,1,2,3,4,5\r\t,1,2,3,4,5\r\n,1,2,3,4,5)\r"};
    int read = 0;
    for (int i = 0; i < 3000; i++) {
        Block b = read_text(text_forms::mutate(seeds[i % 3], rng));
        if (!b) continue;
        read++;
        EXPECT_GE(bitmap_width(b.get()), 1);
        text_of(b.get());  // whatever was read writes back
    }
    EXPECT_GT(read, 0);
}

TEST(Bitmap, DrawsAtActualSizeBottomRowLast)
{
    CUserPanel panel(NO_PARENT);
    auto surface = platform::Surface::create_image(40, 30);
    surface->fill({0, 0, 40, 30}, 0x00FF00);
    panel.dc = surface.get();
    panel.set_origin(2, 1);
    Block b = patterned(5, 3);
    draw_image_ptr(&panel, b.get(), 10, 10);
    // Stored row 0 is the bottom one: on screen row y = 10 + 1 + (3 - 1 - r).
    for (short r = 0; r < 3; r++)
        for (short c = 0; c < 5; c++)
            EXPECT_EQ(surface->pixel(12 + c, 11 + 2 - r), translate_color(static_cast<short>((3 * c + 5 * r) % 16)))
                << c << "," << r;
    EXPECT_EQ(surface->pixel(17, 11), 0x00FF00);  // nothing beyond the width
    std::memcpy(b.get(), "\x02\x00", 2);          // two colours: not a picture this library draws
    draw_image_ptr(&panel, b.get(), 0, 0);
    draw_image_ptr(&panel, nullptr, 0, 0);
    EXPECT_EQ(surface->pixel(2, 1), 0x00FF00);
}
