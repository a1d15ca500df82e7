#include "platform/MusicFont.h"

#include "platform/DrawingTestSupport.h"
#include "platform/Font.h"
#include "platform/Surface.h"

#include <gtest/gtest.h>

#include <fstream>

using drawing_test::ink_box;
using platform::Box;
using platform::Font;
using platform::MusicFont;
using platform::Surface;

namespace {

class MusicFontTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(MusicFont::load(drawing_test::music_map(), &error)) << error;
    }
};

std::string write_map(const std::string& name, const std::string& text)
{
    std::string path = drawing_test::output_file(name);
    std::ofstream(path) << text;
    return path;
}

}  // namespace

// Run alone (as the test runner does), this is the first use: the map comes from the data folder.
TEST(MusicFont, LoadsItselfOnFirstUse)
{
    setenv("BRINDLECOT_DATA", drawing_test::data_folder().c_str(), 0);
    std::shared_ptr<const Font> font = Font::create({"Marcatino", 30, 0, 0});
    EXPECT_TRUE(font->is_music());
    EXPECT_GT(font->char_width('g'), 0);
    EXPECT_TRUE(platform::font_installed("Marcatino"));
}

TEST_F(MusicFontTest, EveryCodeOfTheMapNamesAGlyphOfTheInstalledFont)
{
    const MusicFont* music = MusicFont::get();
    ASSERT_NE(music, nullptr);
    int mapped = 0;
    for (int c = 1; c < 256; ++c) {
        const platform::MusicGlyph& g = music->glyph(static_cast<unsigned char>(c));
        if (!g.mapped) continue;
        ++mapped;
        EXPECT_NE(g.index, 0u) << c;
    }
    EXPECT_GE(mapped, 60);
    EXPECT_EQ(music->glyph('g').name, "clefs.G");
    EXPECT_EQ(music->glyph('A').name, "noteheads.s2");
    EXPECT_EQ(music->glyph('#').name, "accidentals.sharp");
    EXPECT_EQ(music->glyph('U').name, "rests.2");
    EXPECT_EQ(music->glyph('4').name, "four");
    EXPECT_EQ(music->glyph('{').face, 1);
    EXPECT_FALSE(music->glyph('a').mapped);
    EXPECT_NE(MusicFont::find_font_file("emmentaler-20.otf").find("/fonts/otf/emmentaler-20.otf"),
              std::string::npos);
}

TEST_F(MusicFontTest, FaultyMapsAreRefusedAndKeepTheLoadedOne)
{
    struct Case {
        const char* text;
        const char* error_part;
    };
    const Case cases[] = {
        {"65 noteheads.s2\n66 no.such.glyph\n", ":2: the music font has no glyph no.such.glyph"},
        {"300 noteheads.s2\n", ":1: expected a character code"},
        {"'AB' noteheads.s2\n", ":1: expected a character code"},
        {"65\n", ":1: expected a character code"},
        {"65 noteheads.s2 bold\n", ":1: unknown option bold"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(MusicFont::load(write_map("faulty.map", c.text), &error)) << c.text;
        EXPECT_NE(error.find(c.error_part), std::string::npos) << error;
    }
    std::string error;
    EXPECT_FALSE(MusicFont::load(drawing_test::output_file("no-such.map"), &error));
    EXPECT_NE(error.find("cannot read"), std::string::npos);
    EXPECT_EQ(MusicFont::get()->glyph('g').name, "clefs.G");  // still the good map
}

TEST_F(MusicFontTest, MarcatinoDrawsTheMappedGlyphs)
{
    std::shared_ptr<const Font> font = Font::create({"Marcatino", 80, 0, 0});
    ASSERT_TRUE(font->is_music());
    std::unique_ptr<Surface> s = Surface::create_image(400, 160);
    s->set_font(font);
    // Each glyph in its own cell of 100 pixels, drawn at (cell + 20, 90) on the middle line of a
    // staff whose lines are 20 pixels apart (the font's em is the staff's height).
    for (int32_t line = 0; line < 5; ++line) s->fill({0, 50 + 20 * line, 400, 51 + 20 * line}, 0xA0A0A0);
    struct Case {
        char code;
        const char* what;
        double min_tall, max_tall;  // height / width of its ink
        int32_t min_h, max_h;       // height of its ink in pixels
    };
    const Case cases[] = {
        {'g', "G clef", 2.2, 3.2, 130, 150},
        {'A', "black note head", 0.6, 1.0, 20, 24},
        {'#', "sharp", 2.2, 3.2, 55, 65},
        {'U', "quarter rest", 2.2, 3.4, 55, 62},
    };
    int32_t cell = 0;
    for (const Case& c : cases) {
        s->draw_text(cell + 20, 90, std::string(1, c.code));
        cell += 100;
    }
    ASSERT_TRUE(s->write_png(drawing_test::output_file("music-glyphs.png")));

    // Measured on a clean picture, glyph by glyph.
    for (const Case& c : cases) {
        std::unique_ptr<Surface> one = Surface::create_image(200, 200);
        one->set_font(font);
        one->draw_text(50, 120, std::string(1, c.code));
        Box ink = ink_box(*one);
        int32_t w = ink.right - ink.left, h = ink.bottom - ink.top;
        ASSERT_GT(w, 0) << c.what;
        double tall = double(h) / w;
        EXPECT_GE(tall, c.min_tall) << c.what << " " << w << "x" << h;
        EXPECT_LE(tall, c.max_tall) << c.what << " " << w << "x" << h;
        EXPECT_GE(h, c.min_h) << c.what;
        EXPECT_LE(h, c.max_h) << c.what;
        EXPECT_GE(ink.left, 47) << c.what;  // drawn from the pen, not somewhere else
        EXPECT_LE(ink.left, 52) << c.what;
    }
}

TEST_F(MusicFontTest, CodesWithoutAGlyphTakeNoRoom)
{
    std::shared_ptr<const Font> font = Font::create({"Marcatino", 40, 0, 0});
    EXPECT_EQ(font->char_width('a'), 0);
    std::unique_ptr<Surface> s = Surface::create_image(100, 100);
    s->set_font(font);
    EXPECT_EQ(s->draw_text(10, 50, "a\x01\xFF"), 0);
    EXPECT_EQ(ink_box(*s), Box{});
    EXPECT_EQ(font->string_width("AA"), 2 * font->char_width('A'));
    EXPECT_GT(font->char_width('A'), 10);
}

TEST_F(MusicFontTest, TheBraceStandsOnTheBaselineLikeALetter)
{
    // As the staves' brace is drawn: a tall font, narrowed to a given character width.
    std::shared_ptr<const Font> font = Font::create({"Marcatino", 100, 0, 30});
    std::unique_ptr<Surface> s = Surface::create_image(120, 140);
    s->set_font(font);
    int32_t w = font->char_width('{');
    EXPECT_NEAR(w, 14, 3);
    s->draw_text(60 - w, 120, "{");
    Box ink = ink_box(*s);
    EXPECT_NEAR(ink.bottom, 120, 1);
    EXPECT_NEAR(ink.right, 60, 1);
    EXPECT_NEAR(ink.bottom - ink.top, 80, 4);  // 0.8 of the em
    EXPECT_TRUE(s->write_png(drawing_test::output_file("music-brace.png")));
}

TEST_F(MusicFontTest, EveryMappedCodeDrawsAGlyph)
{
    // A chart of the whole font, ten codes a row, each with its code below it.
    std::shared_ptr<const Font> font = Font::create({"Marcatino", 32, 0, 0});
    std::shared_ptr<const Font> label = Font::create({"Arial", 10, 0, 0});
    std::unique_ptr<Surface> chart = Surface::create_image(600, 560);
    int32_t n = 0;
    for (int c = 33; c < 256; ++c) {
        unsigned char code = static_cast<unsigned char>(c);
        if (!MusicFont::get()->glyph(code).mapped) continue;
        int32_t x = (n % 10) * 60, y = (n / 10) * 70;
        chart->set_font(font);
        chart->draw_text(x + 15, y + 36, std::string(1, static_cast<char>(code)));
        EXPECT_NE(ink_box(*chart, 0xFFFFFF, {x, y, x + 60, y + 58}), Box{}) << c;
        chart->fill({x, y + 36, x + 10, y + 37}, 0x0000FF);  // the pen's baseline
        chart->set_font(label);
        chart->draw_text(x + 30, y + 68, std::to_string(c) + " " + std::string(1, static_cast<char>(code)),
                         platform::TextAlign::center_baseline);
        ++n;
    }
    EXPECT_TRUE(chart->write_png(drawing_test::output_file("music-font-chart.png")));
}
