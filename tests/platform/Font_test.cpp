#include "platform/Font.h"

#include "platform/DrawingTestSupport.h"
#include "platform/MusicFont.h"
#include "platform/Surface.h"

#include <gtest/gtest.h>

#include <algorithm>

using drawing_test::ink_box;
using platform::Box;
using platform::Font;
using platform::FontSpec;
using platform::Surface;
using platform::TextAlign;

TEST(Font, ClassicFacesAreServedByMetricCompatibleOnes)
{
    EXPECT_EQ(platform::substitute_face("Arial"), "Liberation Sans");
    EXPECT_EQ(platform::substitute_face("arial"), "Liberation Sans");
    EXPECT_EQ(platform::substitute_face("Times New Roman"), "Liberation Serif");
    EXPECT_EQ(platform::substitute_face("Courier New"), "Liberation Mono");
    EXPECT_EQ(platform::substitute_face("MS Sans Serif"), "Liberation Sans");
    EXPECT_EQ(platform::substitute_face("DejaVu Sans"), "DejaVu Sans");

    // The stand-in is really used: the same widths as asking for it by name, other than a serif.
    const std::string text = "Brindlecot 1234";
    int32_t arial = Font::create({"Arial", 20, 0, 0})->string_width(text);
    EXPECT_EQ(arial, Font::create({"Liberation Sans", 20, 0, 0})->string_width(text));
    EXPECT_NE(arial, Font::create({"Times New Roman", 20, 0, 0})->string_width(text));
}

TEST(Font, InstalledFamiliesIncludeTheClassicNamesAndTheMusicFont)
{
    ASSERT_TRUE(platform::MusicFont::load(drawing_test::music_map()));
    std::vector<std::string> names = platform::font_families();
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    for (const char* name : {"Arial", "Times New Roman", "Courier New", "Liberation Sans", "Marcatino"})
        EXPECT_TRUE(platform::font_installed(name)) << name;
    EXPECT_FALSE(platform::font_installed("arial"));  // exactly, case and all
    EXPECT_FALSE(platform::font_installed("No Such Face At All"));
}

TEST(Font, StringWidthIsTheSumOfTheAdvances)
{
    std::shared_ptr<const Font> f = Font::create({"Arial", 20, 0, 0});
    int32_t sum = f->char_width('A') + f->char_width('B') + f->char_width('C');
    EXPECT_EQ(f->string_width("ABC"), sum);
    EXPECT_EQ(sum, 13 + 13 + 14);  // Arial's advances at 20 pixels, in whole pixels
    EXPECT_EQ(f->string_width(""), 0);
    // "AV" is not kerned: text is measured and drawn character by character.
    EXPECT_EQ(f->string_width("AV"), f->char_width('A') + f->char_width('V'));

    // The surface draws exactly that wide and answers the width.
    std::unique_ptr<Surface> s = Surface::create_image(200, 50);
    s->set_font(f);
    EXPECT_EQ(s->draw_text(10, 30, "ABC"), sum);
}

TEST(Font, MetricsFollowTheCharacterHeight)
{
    struct Case {
        FontSpec spec;
        int32_t ascent, descent, leading;
    };
    const Case cases[] = {
        {{"Arial", 12, 0, 0}, 11, 3, 2},
        {{"Arial", 20, 0, 0}, 19, 5, 4},
        {{"Times New Roman", 16, 0, 0}, 15, 4, 3},
    };
    for (const Case& c : cases) {
        std::shared_ptr<const Font> f = Font::create(c.spec);
        EXPECT_EQ(f->ascent(), c.ascent) << c.spec.name << " " << c.spec.size;
        EXPECT_EQ(f->descent(), c.descent) << c.spec.name << " " << c.spec.size;
        EXPECT_EQ(f->leading(), c.leading) << c.spec.name << " " << c.spec.size;
    }
}

TEST(Font, StylesAndWidthChangeTheShapes)
{
    const std::string text = "Composition";
    int32_t plain = Font::create({"Arial", 20, 0, 0})->string_width(text);
    EXPECT_GT(Font::create({"Arial", 20, platform::kFontBold, 0})->string_width(text), plain);
    EXPECT_LT(Font::create({"Arial", 20, 0, 5})->string_width(text), plain);
    EXPECT_GT(Font::create({"Arial", 20, 0, 20})->string_width(text), plain);
    EXPECT_EQ(Font::create({"Arial", 20, 0, 0}), Font::create({"Arial", 20, 0, 0}));  // shared
    // A face that does not exist still gives a usable font.
    EXPECT_GT(Font::create({"No Such Face At All", 20, 0, 0})->string_width(text), 0);
}

TEST(Font, TextIsWindows1252)
{
    std::shared_ptr<const Font> f = Font::create({"Arial", 20, 0, 0});
    EXPECT_EQ(f->char_width('\xE9'), f->char_width('e'));  // é has the width of e in Arial
    EXPECT_GT(f->char_width('\x80'), 0);                   // the euro sign
    EXPECT_EQ(f->char_width('\r'), 0);                     // control characters take no room
    EXPECT_EQ(f->char_width('\n'), 0);

    std::unique_ptr<Surface> s = Surface::create_image(40, 40);
    s->set_font(f);
    s->draw_text(5, 30, "\r\n\t");
    EXPECT_EQ(ink_box(*s), Box{});
    s->draw_text(5, 30, "\x80");
    EXPECT_NE(ink_box(*s), Box{});
}

TEST(Font, TextStandsOnItsBaseline)
{
    std::shared_ptr<const Font> f = Font::create({"Arial", 20, 0, 0});
    struct Case {
        TextAlign align;
        int32_t x, y;
        int32_t ink_left, ink_right_max;  // where the "H" lands across
        int32_t baseline;
    };
    int32_t w = f->string_width("H");
    const Case cases[] = {
        {TextAlign::left_baseline, 20, 50, 20, 20 + w, 50},
        {TextAlign::left_top, 20, 50, 20, 20 + w, 50 + f->ascent()},
        {TextAlign::left_bottom, 20, 50, 20, 20 + w, 50 - f->descent()},
        {TextAlign::right_baseline, 60, 50, 60 - w, 60, 50},
        {TextAlign::center_baseline, 60, 50, 60 - w / 2, 60 - w / 2 + w, 50},
    };
    for (const Case& c : cases) {
        std::unique_ptr<Surface> s = Surface::create_image(120, 100);
        s->set_font(f);
        s->draw_text(c.x, c.y, "H", c.align);
        Box ink = ink_box(*s);
        EXPECT_EQ(ink.bottom, c.baseline) << static_cast<int>(c.align);  // the last inked row is just above
        EXPECT_NEAR(ink.bottom - ink.top, 14, 1) << static_cast<int>(c.align);  // Arial's capitals: 0.716 em
        EXPECT_GE(ink.left, c.ink_left) << static_cast<int>(c.align);
        EXPECT_LE(ink.left, c.ink_left + 3) << static_cast<int>(c.align);
        EXPECT_LE(ink.right, c.ink_right_max) << static_cast<int>(c.align);
    }

    std::unique_ptr<Surface> s = Surface::create_image(120, 100);
    s->set_font(f);
    s->draw_text(10, 50, "gjpq");
    Box ink = ink_box(*s);
    EXPECT_GT(ink.bottom, 50 + 2);  // descenders go below the baseline
    EXPECT_LE(ink.bottom, 50 + f->descent());
}

TEST(Font, TextInABoxIsCutAtTheBox)
{
    std::unique_ptr<Surface> s = Surface::create_image(200, 60);
    s->set_font(Font::create({"Arial", 20, 0, 0}));
    int32_t w = s->draw_text_in({10, 10, 60, 40}, 10, 10, "Tronquer le texte", TextAlign::left_top);
    EXPECT_GT(w, 50);
    Box ink = ink_box(*s);
    EXPECT_GE(ink.left, 10);
    EXPECT_EQ(ink.right, 60);  // cut at the box's right edge
    EXPECT_GE(ink.top, 10);
    EXPECT_TRUE(s->write_png(drawing_test::output_file("font-clipped-text.png")));
}
