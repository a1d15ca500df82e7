#include "platform/Surface.h"

#include "platform/DrawingTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using drawing_test::count_differences;
using drawing_test::ink_box;
using platform::Box;
using platform::Brush;
using platform::Paint;
using platform::Pen;
using platform::Surface;
using platform::Vertex;

namespace {

const int32_t kWhite = 0xFFFFFF;
const int32_t kBlack = 0;
const int32_t kRed = 0x0000FF;  // 0x00BBGGRR

std::unique_ptr<Surface> white(int32_t w = 80, int32_t h = 60)
{
    std::unique_ptr<Surface> s = Surface::create_image(w, h);
    EXPECT_NE(s, nullptr);
    return s;
}

int count_ink(const Surface& s)
{
    int n = 0;
    for (int32_t y = 0; y < s.height(); ++y)
        for (int32_t x = 0; x < s.width(); ++x)
            if (s.pixel(x, y) != kWhite) ++n;
    return n;
}

// A busy picture: coloured stripes, a gradient and antialiased text, so that an inversion that
// is off by one level anywhere shows.
std::unique_ptr<Surface> busy_picture()
{
    std::unique_ptr<Surface> s = white(120, 80);
    for (int32_t x = 0; x < 120; ++x)
        s->fill({x, 0, x + 1, 80}, (x * 2) | ((255 - x * 2) << 8) | ((x * 37 % 256) << 16));
    s->set_font(platform::Font::create({"Arial", 18, 0, 0}));
    s->set_text_color(0x204080);
    s->draw_text(4, 40, "Brindlecot");
    return s;
}

}  // namespace

TEST(Surface, LinesLeaveOutTheirLastPixelExceptVerticalOnes)
{
    struct Case {
        Vertex from, to;
        Box ink;
        int pixels;
    };
    const Case cases[] = {
        {{5, 10}, {5, 20}, {5, 10, 6, 21}, 11},    // vertical: both ends
        {{5, 20}, {5, 10}, {5, 10, 6, 21}, 11},    // drawn upwards
        {{5, 10}, {15, 10}, {5, 10, 15, 11}, 10},  // horizontal: x = 5 to 14
        {{15, 10}, {5, 10}, {6, 10, 16, 11}, 10},  // leftwards: x = 15 down to 6
        {{0, 0}, {10, 10}, {0, 0, 10, 10}, 10},    // diagonal: (0,0) to (9,9)
        {{2, 3}, {22, 13}, {2, 3, 22, 13}, 20},    // shallow: one pixel per column
    };
    for (const Case& c : cases) {
        std::unique_ptr<Surface> s = white();
        s->draw_line(c.from.x, c.from.y, c.to.x, c.to.y);
        EXPECT_EQ(ink_box(*s), c.ink) << c.from.x << "," << c.from.y;
        EXPECT_EQ(count_ink(*s), c.pixels) << c.from.x << "," << c.from.y;
        EXPECT_EQ(s->position(), c.to);
    }
}

TEST(Surface, LineToMovesThePenAndKeepsToThePenColourAndWidth)
{
    std::unique_ptr<Surface> s = white();
    s->set_pen({kRed, 1, Pen::Style::solid});
    s->move_to(10, 10);
    s->line_to(30, 10);
    s->line_to(30, 30);
    EXPECT_EQ(s->position(), (Vertex{30, 30}));
    EXPECT_EQ(s->pixel(10, 10), kRed);
    EXPECT_EQ(s->pixel(30, 10), kRed);  // drawn by the second line
    EXPECT_EQ(s->pixel(30, 30), kWhite);

    std::unique_ptr<Surface> wide = white();
    wide->set_pen({kBlack, 3, Pen::Style::solid});
    wide->draw_line(10, 20, 50, 20);
    Box ink = ink_box(*wide);
    EXPECT_EQ(ink.bottom - ink.top, 3);

    std::unique_ptr<Surface> none = white();
    none->set_pen({kBlack, 1, Pen::Style::none});
    none->draw_line(0, 0, 40, 40);
    EXPECT_EQ(count_ink(*none), 0);
}

TEST(Surface, ShapesKeepInsideTheirBox)
{
    struct Case {
        const char* name;
        std::function<void(Surface&)> draw;
        Box box;
    };
    const Box box{10, 8, 61, 39};
    const Case cases[] = {
        {"rectangle", [&](Surface& s) { s.rectangle(box); }, box},
        {"reversed corners", [&](Surface& s) { s.rectangle({61, 39, 10, 8}); }, box},
        {"ellipse", [&](Surface& s) { s.ellipse(box); }, box},
        {"round rect", [&](Surface& s) { s.round_rect(box, 12, 12); }, box},
        {"wide pen", [&](Surface& s) { s.set_pen({kBlack, 4, Pen::Style::solid}); s.rectangle(box); }, box},
        {"one pixel", [&](Surface& s) { s.rectangle({5, 5, 6, 6}); }, Box{5, 5, 6, 6}},
    };
    for (const Case& c : cases) {
        std::unique_ptr<Surface> s = white();
        c.draw(*s);
        EXPECT_EQ(ink_box(*s), c.box) << c.name;
    }
}

TEST(Surface, RectangleOutlinesTheBoxAndFillsWithTheBrush)
{
    std::unique_ptr<Surface> s = white(200, 100);
    s->set_brush({kWhite, Brush::Kind::none});
    s->rectangle({100, 50, 110, 60});
    EXPECT_EQ(s->pixel(100, 50), kBlack);
    EXPECT_EQ(s->pixel(109, 59), kBlack);
    EXPECT_EQ(s->pixel(105, 55), kWhite);  // hollow
    EXPECT_EQ(s->pixel(110, 55), kWhite);
    EXPECT_EQ(count_ink(*s), 36);

    s->set_brush({kRed, Brush::Kind::solid});
    s->ellipse({20, 20, 61, 41});
    EXPECT_EQ(s->pixel(40, 30), kRed);  // inside
    EXPECT_EQ(s->pixel(20, 30), kBlack);  // the outline at the leftmost column
    EXPECT_EQ(s->pixel(21, 21), kWhite);  // the box's corner is outside the ellipse

    s->set_brush({kRed, Brush::Kind::cross_hatch});
    s->set_pen({kBlack, 1, Pen::Style::none});
    s->rectangle({120, 10, 160, 50});
    int red = 0, blank = 0;
    for (int32_t y = 10; y < 50; ++y)
        for (int32_t x = 120; x < 160; ++x) (s->pixel(x, y) == kRed ? red : blank)++;
    EXPECT_EQ(red, 40 * 5 + 40 * 5 - 25);  // five lines each way, crossing 25 times
    EXPECT_EQ(blank, 1600 - red);
}

TEST(Surface, PolygonsCurvesAndArcs)
{
    std::unique_ptr<Surface> s = white(100, 100);
    std::vector<Vertex> triangle{{10, 10}, {50, 10}, {10, 50}};
    s->set_brush({kRed, Brush::Kind::solid});
    s->polygon(triangle.data(), 3);
    EXPECT_EQ(ink_box(*s), (Box{10, 10, 51, 51}));
    EXPECT_EQ(s->pixel(20, 20), kRed);
    EXPECT_EQ(s->pixel(45, 45), kWhite);

    std::unique_ptr<Surface> c = white(100, 100);
    std::vector<Vertex> curve{{10, 90}, {10, 10}, {90, 10}, {90, 90}};
    c->bezier(curve.data(), 4);
    Box ink = ink_box(*c);
    EXPECT_EQ(ink.left, 10);
    EXPECT_EQ(ink.right, 91);
    EXPECT_GE(ink.bottom, 90);
    EXPECT_GT(ink.top, 20);  // a curve stays inside its control points' hull

    std::unique_ptr<Surface> a = white(100, 100);
    a->arc({10, 10, 91, 91}, 0, 90);  // the upper right quarter
    ink = ink_box(*a);
    EXPECT_EQ(ink.right, 91);
    EXPECT_EQ(ink.top, 10);
    EXPECT_GE(ink.left, 49);
    EXPECT_LE(ink.bottom, 52);
}

TEST(Surface, ClipKeepsEveryOperationInsideItsBox)
{
    std::unique_ptr<Surface> s = white();
    s->set_clip({10, 10, 20, 30});
    s->fill({0, 0, 80, 60}, kRed);
    s->draw_line(0, 40, 79, 0);
    s->set_pixel(5, 5, kBlack);
    s->draw_text(0, 40, "WWWWWWWWWW");
    EXPECT_EQ(ink_box(*s), (Box{10, 10, 20, 30}));
    EXPECT_TRUE(s->clip_touches({15, 25, 40, 50}));
    EXPECT_FALSE(s->clip_touches({20, 10, 40, 50}));  // starts at the excluded right edge

    s->reset_clip();
    s->fill({0, 0, 80, 60}, kRed);
    EXPECT_EQ(s->pixel(0, 0), kRed);
}

TEST(Surface, InvertingTwiceRestoresEveryPixel)
{
    Vertex star[] = {{60, 5}, {75, 70}, {10, 25}, {110, 25}, {45, 70}};
    Vertex curve[] = {{5, 70}, {30, 0}, {90, 100}, {115, 10}};
    struct Case {
        const char* name;
        std::function<void(Surface&)> draw;
    };
    const Case cases[] = {
        {"line", [](Surface& s) { s.draw_line(3, 70, 117, 4); }},
        {"wide dashed line", [](Surface& s) { s.set_pen({kBlack, 3, Pen::Style::dash}); s.draw_line(0, 30, 119, 50); }},
        {"rectangle", [](Surface& s) { s.rectangle({10, 10, 70, 50}); }},
        {"hatched rectangle", [](Surface& s) { s.set_brush({kRed, Brush::Kind::cross_hatch}); s.rectangle({10, 10, 70, 50}); }},
        {"ellipse", [](Surface& s) { s.ellipse({20, 5, 100, 75}); }},
        {"round rect", [](Surface& s) { s.set_pen({kBlack, 2, Pen::Style::solid}); s.round_rect({5, 5, 115, 75}, 20, 30); }},
        {"self-crossing polygon", [&](Surface& s) { s.polygon(star, 5); }},
        {"curve", [&](Surface& s) { s.bezier(curve, 4); }},
        {"arc", [](Surface& s) { s.arc({10, 10, 110, 70}, 30, 250); }},
        {"text", [](Surface& s) { s.set_font(platform::Font::create({"Times New Roman", 30, 2, 0})); s.draw_text(5, 50, "Ave \xBF"); }},
        {"filled box", [](Surface& s) { s.fill({3, 3, 50, 50}, kRed); }},
        {"one column", [](Surface& s) { s.invert({40, 0, 41, 80}); }},
    };
    std::unique_ptr<Surface> original = busy_picture();
    for (const Case& c : cases) {
        std::unique_ptr<Surface> s = busy_picture();
        s->set_paint(Paint::invert);
        c.draw(*s);
        EXPECT_GT(count_differences(*s, *original), 0) << c.name;
        if (std::string(c.name) == "text") s->write_png(drawing_test::output_file("surface-inverted-text.png"));
        c.draw(*s);
        EXPECT_EQ(count_differences(*s, *original), 0) << c.name;
    }
}

TEST(Surface, InvertingAOnePixelColumnChangesExactlyThatColumn)
{
    std::unique_ptr<Surface> s = busy_picture();
    std::unique_ptr<Surface> original = busy_picture();
    s->invert({40, 10, 41, 50});
    for (int32_t y = 0; y < s->height(); ++y)
        for (int32_t x = 0; x < s->width(); ++x) {
            bool inside = x == 40 && y >= 10 && y < 50;
            int32_t expected = inside ? original->pixel(x, y) ^ 0xFFFFFF : original->pixel(x, y);
            ASSERT_EQ(s->pixel(x, y), expected) << x << "," << y;
        }
}

TEST(Surface, PixelsReadBackAsProgramColours)
{
    std::unique_ptr<Surface> s = white();
    s->set_pixel(3, 4, 0x123456);
    EXPECT_EQ(s->pixel(3, 4), 0x123456);
    EXPECT_EQ(s->pixel(4, 4), kWhite);
    EXPECT_EQ(s->pixel(-1, 0), -1);
    EXPECT_EQ(s->pixel(80, 0), -1);
    s->set_pixel(80, 0, kBlack);  // outside: ignored
    s->set_clip({10, 10, 20, 20});
    s->set_pixel(3, 4, kBlack);
    EXPECT_EQ(s->pixel(3, 4), 0x123456);
}

TEST(Surface, DrawsIntoExternalPixelMemory)
{
    const int32_t w = 30, h = 20, stride = 32 * 4;
    std::vector<uint32_t> memory(stride / 4 * h, 0xFFFFFFFFu);
    std::unique_ptr<Surface> s = Surface::over_pixels(memory.data(), w, h, stride);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->kind(), Surface::Kind::pixels);
    s->fill({2, 3, 5, 6}, kRed);
    s->flush();
    EXPECT_EQ(memory[3 * 32 + 2] & 0xFFFFFF, 0xFF0000u);  // native 0xAARRGGBB
    EXPECT_EQ(memory[3 * 32 + 5] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(memory[30], 0xFFFFFFFFu);                  // the row's padding is left alone
    s->draw_text(1, 15, "Opaque");  // antialiased glyphs and inverted shapes keep it opaque
    s->set_paint(Paint::invert);
    s->ellipse({0, 0, 30, 20});
    s->flush();
    for (uint32_t p : memory) ASSERT_EQ(p >> 24, 0xFFu);
    memory[10 * 32 + 10] = 0xFF00FF00u;                  // written by its owner
    EXPECT_EQ(s->pixel(10, 10), 0x00FF00);

    EXPECT_EQ(Surface::over_pixels(memory.data(), w, h, 16), nullptr);  // stride too short
    EXPECT_EQ(Surface::over_pixels(nullptr, w, h, stride), nullptr);
}

TEST(Surface, CopiesBetweenSurfaces)
{
    std::unique_ptr<Surface> source = busy_picture();
    std::unique_ptr<Surface> target = white(60, 40);
    target->copy(*source, {30, 20, 70, 50}, 10, 5);
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 40; ++x)
            ASSERT_EQ(target->pixel(10 + x, 5 + y), source->pixel(30 + x, 20 + y)) << x << "," << y;
    EXPECT_EQ(target->pixel(9, 5), kWhite);
    EXPECT_EQ(target->pixel(50, 5), kWhite);

    target->copy(*source, {30, 20, 70, 50}, 10, 5, platform::CopyMode::inverted);
    EXPECT_EQ(target->pixel(12, 7), source->pixel(32, 22) ^ 0xFFFFFF);

    // Within one surface, as when scrolling: the areas overlap.
    std::unique_ptr<Surface> scrolled = busy_picture();
    scrolled->copy(*scrolled, {0, 0, 100, 80}, 20, 0);
    for (int32_t x = 0; x < 100; x += 7)
        ASSERT_EQ(scrolled->pixel(x + 20, 40), source->pixel(x, 40)) << x;
}

TEST(Surface, RecordingReplaysOntoAnotherSurface)
{
    std::unique_ptr<Surface> recording = Surface::create_recording(80, 60);
    std::unique_ptr<Surface> direct = white();
    for (Surface* s : {recording.get(), direct.get()}) {
        s->set_brush({kRed, Brush::Kind::solid});
        s->ellipse({5, 5, 60, 50});
        s->draw_line(0, 59, 79, 0);
        s->draw_text(10, 30, "Rec");
    }
    EXPECT_EQ(recording->pixel(10, 10), -1);  // no pixels of its own
    std::unique_ptr<Surface> replayed = white();
    replayed->copy(*recording, {0, 0, 80, 60}, 0, 0);
    EXPECT_EQ(count_differences(*replayed, *direct), 0);
    EXPECT_TRUE(recording->write_png(drawing_test::output_file("surface-recording.png")));
}

TEST(Surface, WritesASampleOfEveryShape)
{
    std::unique_ptr<Surface> s = white(320, 200);
    s->set_pen({0x800000, 1, Pen::Style::solid});
    s->set_brush({0x80FFFF, Brush::Kind::solid});
    s->rectangle({10, 10, 70, 50});
    s->ellipse({80, 10, 150, 50});
    s->round_rect({160, 10, 230, 50}, 16, 16);
    s->set_brush({0x008000, Brush::Kind::cross_hatch});
    s->rectangle({240, 10, 310, 50});
    Vertex poly[] = {{10, 120}, {40, 60}, {70, 120}, {40, 100}};
    s->set_brush({0xFF8080, Brush::Kind::solid});
    s->polygon(poly, 4);
    s->set_pen({0x0000C0, 3, Pen::Style::solid});
    Vertex curve[] = {{80, 120}, {100, 40}, {140, 160}, {160, 70}};
    s->bezier(curve, 4);
    s->arc({170, 60, 240, 120}, 45, 270);
    s->set_pen({kBlack, 1, Pen::Style::dash});
    s->draw_line(250, 60, 310, 120);
    s->set_pen({kBlack, 1, Pen::Style::dot});
    s->draw_line(250, 120, 310, 60);
    s->set_font(platform::Font::create({"Arial", 16, platform::kFontUnderline, 0}));
    s->draw_text(10, 150, "Arial 16 soulign\xE9");
    s->set_font(platform::Font::create({"Times New Roman", 20, platform::kFontBold | platform::kFontItalic, 0}));
    s->set_text_color(0x802000);
    s->draw_text(310, 185, "Times gras italique", platform::TextAlign::right_baseline);
    s->set_paint(Paint::invert);
    s->fill({0, 130, 320, 160}, kBlack);
    EXPECT_TRUE(s->write_png(drawing_test::output_file("surface-shapes.png")));
}

TEST(Surface, WindowSurfaceFollowsItsBackingStoreAndKeepsItsState)
{
    std::vector<uint32_t> small(20 * 10, 0xFFFFFFFFu), large(40 * 30, 0xFFFFFFFFu);
    std::unique_ptr<Surface> s = Surface::over_pixels(small.data(), 20, 10, 20 * 4);
    ASSERT_NE(s, nullptr);
    s->set_pen({kRed, 1, Pen::Style::solid});
    s->move_to(2, 25);
    s->set_clip({0, 0, 5, 5});
    ASSERT_TRUE(s->retarget(large.data(), 40, 30, 40 * 4));
    EXPECT_EQ(s->width(), 40);
    EXPECT_EQ(s->clip(), (Box{0, 0, 40, 30}));
    s->line_to(30, 25);  // from the kept pen position, in the kept colour
    s->flush();
    EXPECT_EQ(large[25 * 40 + 10] & 0xFFFFFF, 0xFF0000u);
    EXPECT_FALSE(s->retarget(large.data(), 40, 30, 8));
    EXPECT_FALSE(white()->retarget(large.data(), 40, 30, 40 * 4));  // not a window's surface
}

TEST(Surface, PicturesFromMemoryAreDrawnAtTheirOwnSize)
{
    const int32_t picture[] = {kRed, kBlack, kBlack, 0x00FF00, 0x00FF00, kRed};  // 3 x 2
    std::unique_ptr<Surface> s = white(20, 20);
    s->draw_pixels(5, 7, picture, 3, 2);
    EXPECT_EQ(s->pixel(5, 7), kRed);
    EXPECT_EQ(s->pixel(6, 7), kBlack);
    EXPECT_EQ(s->pixel(7, 8), kRed);
    EXPECT_EQ(s->pixel(5, 8), 0x00FF00);
    EXPECT_EQ(ink_box(*s), (Box{5, 7, 8, 9}));
}
