#include "framework/WindowLookup.h"

#include "AppFixture.h"
#include "HeadlessInput.h"

#include "framework/CUserPanel.h"
#include "framework/MouseTracking.h"
#include "framework/Colors.h"
#include "framework/RawImage.h"

#include <gtest/gtest.h>

#include <vector>

using namespace platform;

namespace {

std::vector<Event> g_events;

// Takes objects of kind 7 (answer 5); the drag events are kept.
short accept_drops(CPanel*, Event* e)
{
    if (e->type != EvDropQuery && e->type != EvDrop) return 0;
    g_events.push_back(*e);
    return e->drag_type == 7 ? 5 : 0;
}

// The program's frame with a palette window holding a drawing panel, and a document.
class Lookup : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        g_events.clear();
        palette = new CWindow(WinNormal | WinSysMenu);
        palette->set_rect(500, 100, 700, 300);
        palette->show();
        tool = new CUserPanel(palette);
        tool->set_rect(0, 0, 50, 50);
        tool->show();
        document = new CWindow(WinChild);
        document->set_rect(10, 10, 300, 200);
        document->show();
    }
    void TearDown() override
    {
        delete document;
        delete palette;
        AppFixture::TearDown();
    }
    Point screen(CPanel* p, short x, short y)
    {
        p->local_to_global(&x, &y);
        return {x, y};
    }
    CWindow* palette = nullptr;
    CUserPanel* tool = nullptr;
    CWindow* document = nullptr;
};

TEST_F(Lookup, PanelsOfWindowHandles)
{
    ASSERT_NE(tool->hwnd, 0u);
    EXPECT_EQ(get_cpan_from_handle(palette->hwnd), palette);
    EXPECT_EQ(get_cpan_from_handle(tool->hwnd), tool);
    EXPECT_EQ(get_cpan_from_handle(document->hwnd), document);
    EXPECT_EQ(get_cpan_from_handle(application->hwnd), nullptr);
    EXPECT_EQ(get_cpan_from_handle(9999), nullptr);
    {
        CWindow being_made(0);  // no window yet: it takes the messages of unknown windows
        EXPECT_EQ(get_cpan_from_handle(9999), &being_made);
    }
    const Point in_tool = screen(tool, 5, 5);
    EXPECT_EQ(get_panel_under(short(in_tool.x), short(in_tool.y)), tool);
    EXPECT_EQ(get_window_under(short(in_tool.x), short(in_tool.y)), palette);
    const Point in_palette = screen(palette, 150, 150);
    EXPECT_EQ(get_panel_under(short(in_palette.x), short(in_palette.y)), palette);
    EXPECT_EQ(get_window_under(short(in_palette.x), short(in_palette.y)), nullptr);  // a window itself
    EXPECT_EQ(get_panel_under(790, 590), nullptr);  // the document area has no panel

    EXPECT_EQ(get_cur_te(), nullptr);
    tool->set_focus(0);
    EXPECT_EQ(get_cur_te(), nullptr);  // a drawing panel is no text field
}

TEST_F(Lookup, FrontWindowAndTheNextOne)
{
    EXPECT_EQ(get_front_window(), palette);
    EXPECT_EQ(get_next_window(palette), document);  // below it: the frame, so its front document
    palette->hide();
    EXPECT_EQ(get_front_window(), document);
    document->hide();
    EXPECT_EQ(get_front_window(), nullptr);
}

TEST_F(Lookup, RawImagesDrawOnAPanel)
{
    const unsigned char bits[] = {0x99, 0, 0, 0, 0x5F, 0, 0, 0};  // top: blue, white; bottom: red, red
    draw_image_rect(tool, 4, 6, 3, 5, 0, reinterpret_cast<const char*>(bits), 16);
    EXPECT_EQ(tool->get_dc()->pixel(4, 3), translate_color(5));
    EXPECT_EQ(tool->get_dc()->pixel(5, 4), translate_color(9));
}

class Dragging : public Lookup {
protected:
    void SetUp() override
    {
        Lookup::SetUp();
        palette->event_handler = accept_drops;
        tool->event_handler = accept_drops;
        wm->set_capture(tool->hwnd);  // as the panel that starts the drag does
    }
    void drag_to(std::vector<Point> points) { inject_drag(*wm, points); }
};

TEST_F(Dragging, TheTargetIsAskedAndTakesTheDrop)
{
    int payload = 0;
    const Point target = screen(palette, 120, 130);
    drag_to({{100, 100}, target});
    EXPECT_EQ(drag_and_drop(&payload, 7), 5);
    ASSERT_GE(g_events.size(), 2u);
    EXPECT_EQ(g_events.front().type, EvDropQuery);
    EXPECT_EQ(g_events.front().x, 120);
    EXPECT_EQ(g_events.front().y, 130);
    EXPECT_EQ(g_events.front().drag_data, &payload);
    EXPECT_EQ(g_events.back().type, EvDrop);
    EXPECT_EQ(wm->capture(), 0u);
    EXPECT_EQ(application->cursor, 0);  // the arrow again
}

std::vector<CursorHandle> g_cursors;  // the cursor imposed at each turn of the drag

void note_cursor() { g_cursors.push_back(application->cursor); }

TEST_F(Dragging, NothingTakesADropOnTheDesktopOrARefusingPanel)
{
    app_hooks.periodic_task = note_cursor;
    g_cursors.clear();
    drag_to({{790, 590}});
    EXPECT_EQ(drag_and_drop(nullptr, 7), 0);
    EXPECT_TRUE(g_events.empty());
    ASSERT_GE(g_cursors.size(), 2u);
    EXPECT_EQ(g_cursors.back(), cursor_handle(Cursor::NotAllowed));  // the refusing cursor
    drag_to({screen(palette, 150, 150)});
    EXPECT_EQ(drag_and_drop(nullptr, 3), 0);  // asked, but it does not take this kind
    EXPECT_EQ(g_events.size(), 2u);

    // While a script plays, its released button drops at once.
    application->script.playing = 1;
    wm->inject_mouse_move(screen(palette, 10, 150));
    pump();
    EXPECT_EQ(drag_and_drop(nullptr, 7), 5);
    application->script.playing = 0;
}

}  // namespace
