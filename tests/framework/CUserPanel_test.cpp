// The drawing surface: line end points, inversion that undoes itself, text modes and measures,
// the origin, polygons, and the buffered paint; a picture of every operation is written for
// a person to look at.
#include "AppFixture.h"

#include "framework/CUserPanel.h"

#include <string>

using namespace platform;

namespace {

constexpr int32_t kWhite = 0xFFFFFF;
constexpr int32_t kBlack = 0;

class Drawing : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        window = new CWindow(WinNormal);
        wm->set_window_rect(window->hwnd, {0, 0, 400, 300});
        window->show();
        up = new CUserPanel(window);
        up->set_rect(0, 0, 320, 200);
        up->show();
        up->fill_rect(0, 0, 320, 200, 1);  // white background
    }
    void TearDown() override
    {
        delete window;
        AppFixture::TearDown();
    }
    // Every pixel of the panel, to compare pictures.
    std::vector<int32_t> picture()
    {
        std::vector<int32_t> out;
        for (short y = 0; y < 200; y++)
            for (short x = 0; x < 320; x++) out.push_back(up->get_pixel(x, y));
        return out;
    }
    void save(const char* name) { up->get_dc()->write_png(std::string(BRINDLECOT_TEST_OUTPUT) + "/" + name); }

    CWindow* window = nullptr;
    CUserPanel* up = nullptr;
};

TEST_F(Drawing, LinesKeepTheirEndPointRule)
{
    up->draw_line(5, 10, 5, 20, 0);
    for (short y = 9; y <= 21; y++) EXPECT_EQ(up->get_pixel(5, y), y >= 10 && y <= 20 ? kBlack : kWhite) << y;
    short x, y;
    up->get_pc(&x, &y);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 20);
    up->draw_line(5, 30, 15, 30, 0);
    for (short i = 4; i <= 16; i++) EXPECT_EQ(up->get_pixel(i, 30), i >= 5 && i <= 14 ? kBlack : kWhite) << i;
    up->get_pc(&x, &y);
    EXPECT_EQ(x, 15);
    EXPECT_EQ(y, 30);
    // Upwards, the vertical line also keeps both ends.
    up->draw_line(40, 20, 40, 10, 0);
    EXPECT_EQ(up->get_pixel(40, 10), kBlack);
    EXPECT_EQ(up->get_pixel(40, 20), kBlack);
    EXPECT_EQ(up->get_pixel(40, 9), kWhite);
}

TEST_F(Drawing, InversionUndoesItself)
{
    up->set_color(0x0000FF);
    up->fill_rect(20, 20, 60, 60, 0);
    up->set_font("Arial", 20, FontBold);
    up->go_to(10, 100);
    up->draw_string("Brindlecot", 0);
    const std::vector<int32_t> before = picture();
    // A one-pixel-wide rectangle inverts exactly its column.
    up->fill_rect(30, 10, 31, 70, 2);
    EXPECT_EQ(up->get_pixel(30, 10), kBlack);
    EXPECT_EQ(up->get_pixel(30, 30), 0xFFFF00);
    EXPECT_EQ(up->get_pixel(31, 30), 0x0000FF);
    EXPECT_EQ(up->get_pixel(30, 70), kWhite);
    up->fill_rect(30, 10, 31, 70, 2);
    EXPECT_EQ(picture(), before);
    for (short mode : {2, 3}) {
        up->fill_rect(10, 10, 50, 50, mode);
        up->fill_rect(10, 10, 50, 50, mode);
        EXPECT_EQ(picture(), before) << mode;
    }
    up->set_color(0x00A000);
    for (int shape = 0; shape < 3; shape++) {
        if (shape == 0) up->draw_rect(15, 15, 90, 90, 2), up->draw_rect(15, 15, 90, 90, 2);
        if (shape == 1) up->fill_ellipse(15, 15, 90, 90, 2), up->fill_ellipse(15, 15, 90, 90, 2);
        if (shape == 2) up->draw_line(0, 0, 200, 120, 2), up->draw_line(0, 0, 200, 120, 2);
        EXPECT_EQ(picture(), before) << shape;
    }
}

TEST_F(Drawing, InvertedTextRestoresAndOnlyACharacterAdvances)
{
    up->set_font("Arial", 24, 0);
    up->fill_rect(0, 80, 320, 120, 0);
    const std::vector<int32_t> before = picture();
    short x, y;
    up->go_to(10, 110);
    up->draw_string("Inverted", 2);
    up->get_pc(&x, &y);
    EXPECT_EQ(x, 10);
    EXPECT_NE(picture(), before);
    up->draw_string("Inverted", 2);
    EXPECT_EQ(picture(), before);
    up->draw_char('W', 2);
    up->get_pc(&x, &y);
    EXPECT_EQ(x, 10 + up->char_width('W'));
    up->go_to(10, 110);
    up->draw_char('W', 2);
    EXPECT_EQ(picture(), before);
    up->go_to(10, 50);
    up->draw_string("ab", 0);
    up->get_pc(&x, &y);
    EXPECT_EQ(x, 10 + up->string_width("ab"));
}

TEST_F(Drawing, TextMeasures)
{
    std::string long_text;
    for (int i = 0; i < 150; i++) long_text += (i % 30 == 29) ? '\n' : (i % 7 == 6 ? '\r' : 'x');
    std::string cleaned;
    for (int i = 0; i < 100; i++)
        if (long_text[(size_t)i] != '\r' && long_text[(size_t)i] != '\n') cleaned += long_text[(size_t)i];
    EXPECT_EQ(up->string_width_ascii(long_text.c_str()), up->string_width(cleaned.c_str()));
    up->go_to(0, 20);
    up->draw_string_ascii(long_text.c_str(), 0);
    short x, y;
    up->get_pc(&x, &y);
    EXPECT_EQ(x, up->string_width(cleaned.c_str()));

    up->set_font("Arial", 10, 0);
    short w = 0, h = 0;
    up->size_text_bloc("first\rsecond line", 1, &w, &h);
    EXPECT_EQ(h, 42);
    EXPECT_EQ(w, up->string_width("second line"));
    CFont nine;
    nine.set_size(9);
    EXPECT_EQ(up->set_font(&nine, 1.5f), 1);
    EXPECT_EQ(up->get_font()->get_size(), 13);
    EXPECT_GT(up->get_font_ascent(), 0);
    EXPECT_EQ(up->get_resolution_x(), 2.8346f);
}

// The lowest row holding a dark pixel, or -1.
short lowest_ink(CUserPanel* up)
{
    for (short y = 199; y >= 0; y--)
        for (short x = 0; x < 320; x++)
            if (up->get_pixel(x, y) == kBlack) return y;
    return -1;
}

TEST_F(Drawing, AfterATextBlockTextsStandOnTheCurrentPoint)
{
    up->set_font("Arial", 20, 0);
    up->go_to(10, 100);
    up->draw_string("H", 0);
    EXPECT_EQ(lowest_ink(up), 99);  // on the baseline
    up->fill_rect(0, 0, 320, 200, 1);
    up->draw_text_bloc("", 1, 0, 0, 10, 10);
    up->go_to(10, 100);
    up->draw_string("H", 0);
    EXPECT_EQ(lowest_ink(up), 99 - up->get_font_descent());
}

TEST_F(Drawing, TheOriginShiftsEverything)
{
    up->set_origin(100, 50);
    up->go_to(0, 0);
    short x, y;
    up->get_pc(&x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    up->draw_rect(0, 0, 10, 10, 0);
    up->set_origin(0, 0);
    EXPECT_EQ(up->get_pixel(100, 50), kBlack);
    EXPECT_EQ(up->get_pixel(109, 59), kBlack);
    EXPECT_EQ(up->get_pixel(110, 50), kWhite);
    EXPECT_EQ(up->get_pixel(99, 50), kWhite);
    EXPECT_EQ(up->get_pixel(104, 54), kWhite);
    up->set_clip_rect(0, 0, 50, 50);
    EXPECT_EQ(up->rectangle_visible(40, 40, 60, 60), 1);
    EXPECT_EQ(up->rectangle_visible(50, 50, 60, 60), 0);
    up->fill_rect(0, 0, 100, 100, 0);
    EXPECT_EQ(up->get_pixel(49, 49), kBlack);
    EXPECT_EQ(up->get_pixel(50, 50), kWhite);
}

TEST_F(Drawing, PolygonsLeaveTheCallersPoints)
{
    up->set_origin(20, 20);
    int32_t points[] = {0, 0, 60, 0, 30, 40};
    const std::vector<int32_t> copy(points, points + 6);
    up->fill_poly(3, points, 0);
    up->draw_poly(3, points, 0);
    EXPECT_EQ(std::vector<int32_t>(points, points + 6), copy);
    EXPECT_EQ(up->get_pixel(30, 10), kBlack);
}

TEST_F(Drawing, APictureOfEveryOperation)
{
    up->set_color(0x000000);
    up->draw_line(10, 10, 100, 40, 0);
    up->set_pen_width(3);
    up->set_color(0x0000C0);
    up->draw_rect(10, 50, 80, 90, 0);
    up->set_pen_width(1);
    up->set_color(0x00A000);
    up->set_brush(1);
    up->fill_rect(90, 50, 160, 90, 0);
    up->set_brush(0);
    up->set_color(0xC00000);
    up->fill_ellipse(170, 50, 240, 90, 0);
    up->draw_ellipse(250, 50, 310, 90, 0);
    up->set_color(0x000000);
    up->draw_dotted_rect(10, 100, 150, 140, 4, 0);
    int32_t star[] = {200, 100, 215, 140, 180, 115, 220, 115, 185, 140};
    up->set_color(0x808000);
    up->fill_poly(5, star, 0);
    up->set_color(0x000000);
    up->set_font("Times New Roman", 16, FontItalic);
    up->draw_text_bloc("Left\rsecond", 1, 10, 150, 90, 45);
    up->draw_text_bloc("Centre\rsecond", 3, 110, 150, 90, 45);
    up->draw_text_bloc("Right\rsecond", 2, 220, 150, 90, 45);
    up->fill_rect(10, 150, 300, 195, 3);
    save("framework_drawing_surface.png");
    EXPECT_EQ(up->get_pixel(9, 9), 0xFFFFFF);
}

TEST_F(Drawing, ACrossHatchLastsUntilTheNextColour)
{
    // Count of the panel's white pixels inside (x1, y1)-(x2, y2), far edges out.
    auto whites = [this](short x1, short y1, short x2, short y2) {
        int n = 0;
        for (short y = y1; y < y2; y++)
            for (short x = x1; x < x2; x++) n += up->get_pixel(x, y) == kWhite;
        return n;
    };
    up->set_color(0x0000C0);
    up->set_brush(1);
    up->fill_rect(10, 10, 50, 50, 0);
    EXPECT_EQ(up->get_pixel(10, 30), 0x0000C0);  // the one-pixel outline
    EXPECT_GT(whites(11, 11, 49, 49), 38 * 38 / 2);  // hatched inside
    up->set_pen_width(2);                          // a new pen keeps the brush
    up->fill_rect(60, 10, 100, 50, 0);
    EXPECT_GT(whites(61, 11, 99, 49), 38 * 38 / 2);
    up->set_color(0x00A000);  // a new colour brings a solid brush
    up->fill_rect(110, 10, 150, 50, 0);
    EXPECT_EQ(whites(110, 10, 150, 50), 0);
    EXPECT_EQ(up->get_pixel(130, 30), 0x00A000);
}

TEST_F(Drawing, DottedRectanglesAlternateDashesAndGaps)
{
    up->draw_dotted_rect(10, 20, 30, 40, 4, 0);
    // Top and bottom: dashes of 4 pixels every 8 from x 10, the last one cut at x 30 (left
    // out, as a line's last pixel); the sides: dashes of 5 pixels (both ends of a vertical
    // line are drawn) every 8 from y 20, the last one reaching y 40.
    for (short x = 11; x < 30; x++) {
        const bool dash = (x - 10) % 8 < 4;
        EXPECT_EQ(up->get_pixel(x, 20), dash ? kBlack : kWhite) << x;
        EXPECT_EQ(up->get_pixel(x, 40), dash ? kBlack : kWhite) << x;
    }
    EXPECT_EQ(up->get_pixel(31, 20), kWhite);
    for (short y = 20; y <= 40; y++) {
        const bool dash = (y - 20) % 8 <= 4;
        EXPECT_EQ(up->get_pixel(10, y), dash ? kBlack : kWhite) << y;
        EXPECT_EQ(up->get_pixel(30, y), dash ? kBlack : kWhite) << y;
    }
    EXPECT_EQ(up->get_pixel(10, 41), kWhite);
    // A dash of 0 or less would never advance: the outline is drawn whole instead.
    for (short dash : {0, -3}) {
        up->fill_rect(0, 0, 320, 200, 1);
        up->draw_dotted_rect(50, 60, 70, 80, dash, 0);
        for (short i = 0; i <= 20; i++) {
            EXPECT_EQ(up->get_pixel((short)(50 + i), 60), kBlack) << dash << " " << i;
            EXPECT_EQ(up->get_pixel(70, (short)(60 + i)), kBlack) << dash << " " << i;
        }
        EXPECT_EQ(up->get_pixel(48, 60), kWhite) << dash;  // nothing outside the box
        EXPECT_EQ(up->get_pixel(50, 57), kWhite) << dash;
    }
}

short g_paints = 0;
short paint_handler(CPanel* panel, Event* e)
{
    if (e->type != EvPaint) return 0;
    g_paints++;
    CUserPanel* up = static_cast<CUserPanel*>(panel);
    EXPECT_EQ(up->get_color(), 0xFFFFFF);  // every buffered paint starts white
    up->set_color(0xFF0000);
    up->fill_rect(10, 10, 60, 40, 0);
    return 1;
}

TEST_F(Drawing, ABufferedPaintReachesTheWindowWhole)
{
    up->set_color(0x00FF00);
    up->fill_rect(0, 0, 320, 200, 0);  // green: the buffer must cover it with white
    up->offscreen_redraw(1);
    up->event_handler = paint_handler;
    g_paints = 0;
    up->dirty(1);
    up->update();
    EXPECT_EQ(g_paints, 1);
    EXPECT_EQ(up->get_pixel(20, 20), 0xFF0000);
    EXPECT_EQ(up->get_pixel(100, 100), 0xFFFFFF);
    const PixelBuffer pb = wm->pixels(up->hwnd);
    EXPECT_EQ(pb.row(20)[20] & 0xFFFFFF, 0x0000FFu);  // 0xRRGGBB in the store: blue
    up->offscreen_redraw(0);
    EXPECT_EQ(up->offscreen_bmp, nullptr);
}

short g_fill_everything = 0;
short fill_handler(CPanel* panel, Event* e)
{
    if (e->type != EvPaint) return 0;
    CUserPanel* up = static_cast<CUserPanel*>(panel);
    if (g_fill_everything) {
        up->set_color(0x0000FF);
        up->fill_rect(-1000, -1000, 1000, 1000, 0);
    }
    return 1;
}

TEST_F(Drawing, EveryBufferedPaintStartsWhiteWhateverTheOrigin)
{
    up->offscreen_redraw(1);
    up->event_handler = fill_handler;
    const PixelBuffer pb = wm->pixels(up->hwnd);
    for (short origin : {-50, 0, 60}) {
        up->set_origin(origin, origin);
        g_fill_everything = 1;
        up->dirty(1);
        up->update();
        ASSERT_EQ(pb.row(100)[300] & 0xFFFFFF, 0xFF0000u) << origin;  // red everywhere
        g_fill_everything = 0;  // the next paint draws nothing: the window is white again
        up->dirty(1);
        up->update();
        for (int32_t y : {0, 100, 199})
            for (int32_t x : {0, 30, 160, 300, 319})
                EXPECT_EQ(pb.row(y)[x] & 0xFFFFFF, 0xFFFFFFu) << origin << " " << x << "," << y;
    }
    up->set_origin(0, 0);
    up->offscreen_redraw(0);
}

TEST(DrawingWithoutWindow, ASurfaceWithoutParentMeasuresAndDraws)
{
    CUserPanel scratch(nullptr);
    EXPECT_EQ(scratch.hwnd, 0u);
    scratch.set_font("Arial", 30, 0);
    EXPECT_GT(scratch.string_width("Wide"), scratch.string_width("i"));
    scratch.fill_rect(0, 0, 10, 10, 0);
    EXPECT_EQ(scratch.get_pixel(5, 5), 0);
    CUserPanel printer(NO_PARENT);
    EXPECT_EQ(printer.get_dc(), nullptr);
    printer.fill_rect(0, 0, 10, 10, 0);  // nothing to draw on: nothing happens
    EXPECT_EQ(printer.get_pixel(5, 5), -1);
}

}  // namespace
