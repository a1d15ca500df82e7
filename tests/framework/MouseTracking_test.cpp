#include "framework/MouseTracking.h"

#include "framework/CApplication.h"
#include "framework/CWindow.h"
#include "framework/EventDispatch.h"
#include "framework/WindowLookup.h"

#include "HeadlessInput.h"

#include "platform/HeadlessBackend.h"
#include "platform/WindowManager.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace platform;

namespace {

CRect rect(short x1, short y1, short x2, short y2)
{
    CRect r;
    r.init(x1, y1, x2, y2);
    return r;
}

std::vector<short> edges(const CRect& r) { return {r.x1, r.y1, r.x2, r.y2}; }

TEST(FitRect, MovesAndShrinksIntoTheArea)
{
    const struct {
        CRect in;
        std::vector<short> out;
    } cases[] = {
        {rect(10, 10, 110, 60), {10, 10, 110, 60}},       // already inside
        {rect(-30, -5, 70, 45), {0, 0, 100, 50}},         // moved right and down
        {rect(750, 580, 850, 630), {700, 550, 800, 600}}, // moved left and up
        {rect(-10, -10, 2000, 2000), {0, 0, 800, 600}},   // larger: the area's size at its origin
        {rect(100, 100, 1100, 200), {0, 100, 800, 200}},  // wider: shrunk, then moved left
        {rect(-50, 10, -1, 20), {-50, 10, -1, 20}},       // right edge negative: left alone
    };
    for (const auto& c : cases) {
        CRect r = c.in;
        fit_rect_in_area(&r, 800, 600);
        EXPECT_EQ(edges(r), c.out) << c.in.x1 << "," << c.in.y1;
    }
}

TEST(ResizeLimits, MovesKeepInsideAndResizesKeepTheirSize)
{
    const struct {
        ResizeLimits limits;
        CRect in;
        std::vector<short> out;
    } cases[] = {
        // A move inside (0, 500) horizontally and (0, 400) vertically.
        {{1, 1, 1, 1, 0, 500, 0, 400}, rect(-20, 10, 80, 60), {0, 10, 100, 60}},
        {{1, 1, 1, 1, 0, 500, 0, 400}, rect(450, 380, 550, 430), {400, 350, 500, 400}},
        // The right edge alone, widths 20 to 200.
        {{0, 0, 1, 0, 20, 200, 0, 0}, rect(100, 0, 105, 10), {100, 0, 120, 10}},
        {{0, 0, 1, 0, 20, 200, 0, 0}, rect(100, 0, 400, 10), {100, 0, 300, 10}},
        // The left edge alone.
        {{1, 0, 0, 0, 20, 200, 0, 0}, rect(295, 0, 300, 10), {280, 0, 300, 10}},
        {{1, 0, 0, 0, 20, 200, 0, 0}, rect(0, 0, 300, 10), {100, 0, 300, 10}},
        // The bottom edge alone, heights 10 to 50.
        {{0, 0, 0, 1, 0, 0, 10, 50}, rect(0, 100, 10, 90), {0, 100, 10, 110}},
    };
    for (const auto& c : cases) {
        CRect r = c.in;
        apply_resize_limits(&r, c.limits);
        EXPECT_EQ(edges(r), c.out) << c.in.x1 << "," << c.in.x2;
    }
}

class Tracking : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame = open_screen_window(wm, "Frame", default_window_proc);
        app.hwnd = app.hmdi = frame;
        application = &app;
        wm->inject_mouse_move({100, 100});
        Message m;
        while (wm->peek_message(m, true)) wm->dispatch_message(m);
        wm->set_capture(frame);
    }
    void TearDown() override { application = nullptr; }
    void drag_to(std::vector<Point> points) { inject_drag(*wm, points); }
    std::unique_ptr<WindowManager> wm;
    WindowId frame = 0;
    CApplication app;
};

TEST_F(Tracking, RightEdgeFollowsWithinItsWidths)
{
    CRect r = rect(100, 100, 150, 150);
    drag_to({{300, 100}, {400, 100}, {0, 100}});
    EXPECT_EQ(resize_rect(&r, 0, 0, 1, 0, 20, 200, 0, 0, 100, 100, 1), 1);
    EXPECT_EQ(edges(r), (std::vector<short>{100, 100, 120, 150}));  // held at 20 wide
    EXPECT_EQ(wm->capture(), 0u);

    wm->set_capture(frame);
    r = rect(100, 100, 150, 150);
    drag_to({{500, 100}, {350, 90}});
    EXPECT_EQ(resize_rect(&r, 0, 0, 1, 0, 20, 200, 0, 0, 100, 100, 1), 1);
    EXPECT_EQ(edges(r), (std::vector<short>{100, 100, 300, 150}));  // held at 200 wide
}

TEST_F(Tracking, ComingBackToTheStartChangesNothing)
{
    CRect rs[2] = {rect(10, 10, 50, 50), rect(60, 10, 90, 50)};
    drag_to({{150, 130}, {100, 100}});
    EXPECT_EQ(resize_rect(rs, 1, 1, 1, 1, 0, 800, 0, 600, 100, 100, 2), 0);
    EXPECT_EQ(edges(rs[1]), (std::vector<short>{60, 10, 90, 50}));

    // Two rectangles moved together; the arrow keys nudge the pointer.
    wm->inject_mouse_move({120, 100});
    wm->inject_key(KeyDown, true);
    wm->inject_key(KeyDown, false);
    wm->inject_mouse_button(ButtonLeft, false, {120, 100});
    EXPECT_EQ(resize_rect(rs, 1, 1, 1, 1, 0, 800, 0, 600, 100, 100, 2), 1);
    EXPECT_EQ(edges(rs[0]), (std::vector<short>{30, 11, 70, 51}));
    EXPECT_EQ(edges(rs[1]), (std::vector<short>{80, 11, 110, 51}));
}

TEST_F(Tracking, MainWindowArea)
{
    CRect area;
    get_main_screen_area(&area);
    EXPECT_EQ(edges(area), (std::vector<short>{0, 0, 800, 600}));
    short x = -1, y = -1;
    get_main_window_client_origin(&x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    CRect big = rect(-5, -5, 900, 700);
    fit_rect_in_screen(&big);
    EXPECT_EQ(edges(big), (std::vector<short>{0, 0, 800, 600}));
}

}  // namespace
