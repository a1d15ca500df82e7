// The font chooser and the font editing of CFont.
#include "framework/CFont.h"
#include "framework/FontChooser.h"

#include "platform/Font.h"
#include "platform/HeadlessBackend.h"
#include "platform/Surface.h"
#include "platform/WindowManager.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "TimerProbe.h"

using namespace platform;

namespace {

class FontEditing : public ::testing::Test {
protected:
    void TearDown() override { set_font_chooser_responder(nullptr); }
};

TEST_F(FontEditing, TheChooserStartsFromTheFontAndItsAnswerBecomesTheFont)
{
    CFont f;
    f.set("Times New Roman", 20, FontBold | FontUnderline, 0x0000FF);
    f.set_width(9);
    FontChoice asked;
    set_font_chooser_responder([&](FontChoice* c) {
        asked = *c;
        c->face = "Courier New";
        c->height = -14;
        c->weight = 600;  // anything above normal is bold
        c->italic = true;
        c->underline = false;
        c->strike_out = true;
        c->charset = FontChoice::symbol_charset;
        c->color = 0x00FF00;
        return true;
    });
    EXPECT_EQ(f.edit(), 1);
    EXPECT_EQ(asked.face, "Times New Roman");
    EXPECT_EQ(asked.height, -20);
    EXPECT_EQ(asked.weight, FontChoice::bold_weight);
    EXPECT_FALSE(asked.italic);
    EXPECT_TRUE(asked.underline);
    EXPECT_FALSE(asked.strike_out);
    EXPECT_EQ(asked.charset, 0);
    EXPECT_EQ(asked.color, 0x0000FF);

    EXPECT_STREQ(f.get_name(), "Courier New");
    EXPECT_EQ(f.get_size(), 14);
    EXPECT_EQ(f.get_style(), static_cast<short>(FontBold | FontItalic | FontStrikeOut | FontSymbolSet));
    EXPECT_EQ(f.get_color(), 0x00FF00);
    EXPECT_EQ(f.get_width(), 9);  // the chooser does not touch the width

    // A positive height (a cell height) is taken as a size all the same; normal weight is not bold.
    set_font_chooser_responder([](FontChoice* c) {
        c->height = 16;
        c->weight = FontChoice::normal_weight;
        c->charset = 0;
        return true;
    });
    EXPECT_EQ(edit_font(&f), 1);
    EXPECT_EQ(f.get_size(), 16);
    EXPECT_EQ(f.get_style(), FontItalic | FontStrikeOut);
}

TEST_F(FontEditing, CancellingLeavesTheFontAlone)
{
    CFont f;
    f.set_name("A face whose name is longer than the record's thirty-one characters");
    set_font_chooser_responder([](FontChoice* c) {
        EXPECT_EQ(c->face.size(), FontChoice::longest_face);
        c->face = "Arial";
        c->height = -40;
        return false;
    });
    EXPECT_EQ(edit_font(&f), 0);
    EXPECT_STREQ(f.get_name(), "A face whose name is longer than the record's thirty-one characters");
    EXPECT_EQ(f.get_size(), 12);
    EXPECT_EQ(edit_font(nullptr), 0);

    set_font_chooser_responder(nullptr);
    WindowManager wm(std::make_unique<HeadlessBackend>());
    EXPECT_EQ(f.edit(), 0);  // no display: nobody to ask
}

TEST(FontChooser, ClicksPickSizeStyleAndColourAndArrowsTheFace)
{
    WindowManager wm(std::make_unique<HeadlessBackend>(Point{640, 480}));
    const WindowId probe = create_probe_window(wm);
    const std::vector<std::string> faces = font_families();
    ASSERT_GE(faces.size(), 2u);
    FontChoice choice;
    choice.face = faces[0];
    Point origin;
    const auto click = [&](int32_t x, int32_t y) {
        wm.inject_mouse_button(ButtonLeft, true, {origin.x + x, origin.y + y});
        wm.inject_mouse_button(ButtonLeft, false, {origin.x + x, origin.y + y});
    };
    g_on_timer = [&] {
        const WindowId chooser = wm.top_level_windows().front();
        origin = wm.client_to_screen(chooser, {0, 0});
        click(260, 28 + 9 * 16 + 5);   // size list, tenth line: 24
        click(305, 28 + 0 * 16 + 5);   // Bold
        click(305, 28 + 3 * 16 + 5);   // Strike-out
        click(302 + 1 * 16 + 5, 130 + 1 * 16 + 5);  // second row of colours, second square: colour 9
        wm.inject_key(KeyDown, true);  // the next face
        g_on_timer = [&] {
            std::vector<uint32_t> pixels(640 * 480);
            wm.compose({640, 480, 640 * 4, pixels.data()}, {0, 0, 640, 480});
            std::filesystem::create_directories(BRINDLECOT_TEST_OUTPUT);
            Surface::over_pixels(pixels.data(), 640, 480, 640 * 4)
                ->write_png(std::string(BRINDLECOT_TEST_OUTPUT) + "/font_chooser.png");
            wm.inject_key(KeyReturn, true);
        };
    };
    wm.set_timer(probe, 1, 50);  // the second look, once the first has clicked
    wm.set_timer(probe, 2, 20);
    ASSERT_TRUE(run_font_chooser(&choice));
    g_on_timer = nullptr;
    EXPECT_EQ(choice.face, faces[1]);
    EXPECT_EQ(choice.height, -24);
    EXPECT_EQ(choice.weight, FontChoice::bold_weight);
    EXPECT_FALSE(choice.italic);
    EXPECT_TRUE(choice.strike_out);
    EXPECT_EQ(choice.color, 0x0000FF);  // red, 0x00BBGGRR

    wm.inject_key(KeyEscape, true);
    FontChoice kept = choice;
    EXPECT_FALSE(run_font_chooser(&choice));
    EXPECT_EQ(choice.face, kept.face);
    EXPECT_EQ(choice.height, kept.height);
}

}  // namespace
