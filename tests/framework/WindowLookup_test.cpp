#include "framework/WindowLookup.h"

#include "framework/MouseTracking.h"
#include "framework/CApplication.h"
#include "framework/CWindow.h"
#include "framework/EventDispatch.h"

#include "platform/HeadlessBackend.h"
#include "platform/WindowManager.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace platform;

namespace {

std::vector<Event> g_events;

short accept_drops(CPanel*, Event* e)
{
    g_events.push_back(*e);
    return e->drag_type == 7 ? 5 : 0;
}

class Lookup : public ::testing::Test {
protected:
    void SetUp() override
    {
        wm = std::make_unique<WindowManager>(std::make_unique<HeadlessBackend>(Point{800, 600}));
        wm->register_class({"Plain", default_window_proc, 0, 0xFFFFFF, Cursor::Arrow});
        app.hwnd = make({0, 0, 800, 600}, StyleVisible, 0);
        app.hmdi = make({0, 0, 800, 600}, StyleChild | StyleVisible, app.hwnd);
        application = &app;
        g_events.clear();
    }
    void TearDown() override
    {
        application = nullptr;
        delete win_array;
        win_array = nullptr;
    }
    WindowId make(Rect r, uint32_t style, WindowId parent)
    {
        WindowOptions o;
        o.class_name = "Plain";
        o.style = style;
        o.rect = r;
        o.parent = parent;
        o.owner = (style & StyleChild) ? 0 : app.hwnd;
        return wm->create_window(o);
    }
    std::unique_ptr<WindowManager> wm;
    CApplication app;
};

TEST_F(Lookup, PanelsOfWindowHandles)
{
    CWindow palette(2), document(1);
    palette.hwnd = make({500, 100, 700, 300}, StyleCaption | StyleVisible, 0);
    document.hwnd = make({10, 10, 300, 200}, StyleChild | StyleDocument | StyleVisible, app.hmdi);
    CPanel tool(&palette);
    tool.hwnd = make({0, 0, 50, 50}, StyleChild | StyleVisible, palette.hwnd);
    CPanel drawn(&palette);  // without a window of its own
    EXPECT_EQ(get_cpan_from_handle(palette.hwnd), &palette);
    EXPECT_EQ(get_cpan_from_handle(tool.hwnd), &tool);
    EXPECT_EQ(get_cpan_from_handle(app.hwnd), nullptr);
    EXPECT_EQ(get_cpan_from_handle(999), nullptr);
    {
        CWindow being_made(2);  // its handle is not known yet: it takes the messages
        EXPECT_EQ(get_cpan_from_handle(999), &being_made);
    }
    const Point in_tool = wm->client_to_screen(tool.hwnd, {5, 5});
    EXPECT_EQ(get_panel_under(static_cast<short>(in_tool.x), static_cast<short>(in_tool.y)), &tool);
    EXPECT_EQ(get_window_under(static_cast<short>(in_tool.x), static_cast<short>(in_tool.y)), &palette);
    const Point in_palette = wm->client_to_screen(palette.hwnd, {150, 150});
    EXPECT_EQ(get_panel_under(static_cast<short>(in_palette.x), static_cast<short>(in_palette.y)), &palette);
    EXPECT_EQ(get_window_under(static_cast<short>(in_palette.x), static_cast<short>(in_palette.y)), nullptr);
    EXPECT_EQ(get_panel_under(790, 590), nullptr);  // the frame has no panel

    EXPECT_EQ(get_cur_te(), nullptr);
    wm->set_focus(tool.hwnd);
    EXPECT_EQ(get_cur_te(), nullptr);
    tool.uid = 14;
    EXPECT_EQ(get_cur_te(), &tool);
    tool.uid = 6;
}

TEST_F(Lookup, FrontWindowAndTheNextOne)
{
    EXPECT_EQ(get_front_window(), nullptr);
    CWindow document(1), palette(2), hidden(2);
    document.hwnd = make({10, 10, 300, 200}, StyleChild | StyleDocument | StyleVisible, app.hmdi);
    EXPECT_EQ(get_front_window(), &document);  // the main window's place: its front document
    palette.hwnd = make({500, 100, 700, 300}, StyleCaption | StyleVisible, 0);
    hidden.hwnd = make({500, 100, 700, 300}, StyleCaption, 0);
    wm->bring_to_top(hidden.hwnd);
    EXPECT_EQ(get_front_window(), &palette);
    EXPECT_EQ(get_next_window(&hidden), &palette);
    wm->bring_to_top(palette.hwnd);
    EXPECT_EQ(get_next_window(&palette), &hidden);
    EXPECT_EQ(get_next_window(&hidden), &document);  // below it lies the main window
}

class Dragging : public Lookup {
protected:
    void SetUp() override
    {
        Lookup::SetUp();
        target.hwnd = make({200, 200, 400, 400}, StyleVisible, 0);
        target.event_handler = accept_drops;
    }
    void drag_to(std::vector<Point> points)
    {
        for (Point p : points) {
            wm->inject_mouse_move(p);
            wm->inject_key(KeyShift, true);  // keeps each move apart from the next
            wm->inject_key(KeyShift, false);
        }
        wm->inject_mouse_button(ButtonLeft, false, points.back());
    }
    CWindow target{2};
};

TEST_F(Dragging, TheTargetIsAskedAndTakesTheDrop)
{
    int payload = 0;
    drag_to({{100, 100}, {250, 260}});
    EXPECT_EQ(drag_and_drop(&payload, 7), 5);
    ASSERT_GE(g_events.size(), 2u);
    EXPECT_EQ(g_events.front().type, EvDropQuery);
    EXPECT_EQ(g_events.front().x, 50);
    EXPECT_EQ(g_events.front().y, 60);
    EXPECT_EQ(g_events.front().drag_data, &payload);
    EXPECT_EQ(g_events.back().type, EvDrop);
    EXPECT_EQ(wm->cursor(), Cursor::Arrow);
}

TEST_F(Dragging, NothingTakesADropOnTheDesktopOrARefusingPanel)
{
    drag_to({{100, 100}});
    EXPECT_EQ(drag_and_drop(nullptr, 7), 0);
    EXPECT_TRUE(g_events.empty());
    drag_to({{300, 300}});
    EXPECT_EQ(drag_and_drop(nullptr, 3), 0);  // asked, but does not take this kind
    EXPECT_EQ(g_events.size(), 2u);

    // While a script plays, its released button drops at once.
    app.script.playing = 1;
    wm->inject_mouse_move({210, 210});
    Message m;
    while (wm->peek_message(m, true)) wm->dispatch_message(m);
    EXPECT_EQ(drag_and_drop(nullptr, 7), 5);
}

}  // namespace
