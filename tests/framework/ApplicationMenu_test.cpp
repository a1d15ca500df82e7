// The program's menu on its frame window, worked through the application object: the menu
// bar loaded with its accelerators, commands reaching menu_handler, menu_enabler before each
// menu opens, and a context menu's choice reaching a panel.
#include "AppFixture.h"
#include "HeadlessInput.h"

#include "framework/CMenu.h"
#include "framework/CResFile.h"
#include "framework/EventDispatch.h"

#include "platform/FileSystem.h"
#include "platform/Menu.h"

#include <cstdlib>
#include <vector>

using namespace platform;

namespace {

std::vector<int32_t> g_handled;
int g_enabler_calls = 0;
std::vector<Event> g_panel_events;

void record_command(int32_t id) { g_handled.push_back(id); }

void gray_the_audio_settings()
{
    ++g_enabler_calls;
    application->menu->set_enable_state(305, 0);
}

short panel_handler(CPanel*, Event* e)
{
    g_panel_events.push_back(*e);
    return 1;
}

class ApplicationMenu : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        before = current_directory();
        ASSERT_TRUE(set_current_directory(std::getenv("BRINDLECOT_DATA")));
        app_hooks.menu_handler = record_command;
        app_hooks.menu_enabler = gray_the_audio_settings;
        g_handled.clear();
        g_panel_events.clear();
        g_enabler_calls = 0;
        application->menu->assigned = 1;  // as start-up marks it
        application->load_menu(1);
    }
    void TearDown() override
    {
        AppFixture::TearDown();
        free_res_files();
        set_current_directory(before);
    }
    void click(Point p)
    {
        inject_click(*wm, p);
        pump();
    }
    Point centre(MenuHandle m, int32_t position) { return menu_item_centre(frame, m, position); }
    std::string before;
};

TEST_F(ApplicationMenu, AcceleratorsAndMenuChoicesReachTheMenuHandler)
{
    EXPECT_EQ(window_menu(frame), application->menu->hmenu);
    EXPECT_NE(application->haccel, 0u);
    // The document area fills the client area, under the bar.
    EXPECT_EQ(wm->client_rect(application->hmdi), wm->client_rect(frame));
    EXPECT_EQ(wm->client_to_screen(frame, {0, 0}).y, wm->client_to_screen(application->hmdi, {0, 0}).y);

    wm->set_focus(frame);
    wm->inject_key(KeyControl, true);
    wm->inject_key(static_cast<Key>('Q'), true);
    wm->inject_key(static_cast<Key>('Q'), false);
    wm->inject_key(KeyControl, false);
    pump();
    EXPECT_EQ(g_handled, (std::vector<int32_t>{110}));
    EXPECT_EQ(g_enabler_calls, 1);  // the accelerator asks for the menu's state first

    click(centre(application->menu->hmenu, 2));  // "Options"
    EXPECT_EQ(inmenuloop, 1);
    EXPECT_EQ(g_enabler_calls, 2);
    click(centre(open_menu(0), 4));  // grayed by the enabler: nothing
    click(centre(open_menu(0), 0));
    EXPECT_EQ(inmenuloop, 0);
    EXPECT_EQ(g_handled, (std::vector<int32_t>{110, 301}));
}

TEST_F(ApplicationMenu, AReplayedMenuChoiceIsMadeOnScreen)
{
    // A demonstration replays "Fichier > Mes compositions... > Partition 1" (command 112): the
    // pointer goes to each in turn and clicks it, as a user would.
    application->script.playing = 1;
    wm->set_timer(frame, 1, 20);
    const int64_t start = wm->now();
    EXPECT_EQ(application->menu->play_menu(112, 0), 1);
    const int64_t limit = wm->now() + 20000;
    while (g_handled.empty() && wm->now() < limit) application->idle();
    EXPECT_EQ(g_handled, (std::vector<int32_t>{112}));
    EXPECT_EQ(script_menu_total, 0);
    EXPECT_FALSE(menus_open());
    EXPECT_GE(wm->now() - start, 500 + 2 * 1500);  // the pauses on the title and on each item
    application->script.playing = 0;
}

TEST_F(ApplicationMenu, ContextMenuChoiceReachesThePanel)
{
    CWindow palette(WinNormal | WinSysMenu);
    ASSERT_NE(palette.hwnd, 0u);
    palette.set_rect(100, 100, 300, 300);
    palette.show();
    palette.event_handler = panel_handler;
    CMenu context(1);
    context.insert_item("Rouge", 0, 61, 1, 1);
    context.insert_item("Vert", 0, 62, 1, 2);
    ASSERT_EQ(context.track_popup(&palette, 20, 30, 1), 1);
    pump();
    Rect r;
    ASSERT_TRUE(menu_item_screen_rect(palette.hwnd, context.hmenu, 1, &r));
    const Point corner = wm->client_to_screen(palette.hwnd, {20, 30});
    EXPECT_EQ(r.right + 1, corner.x);  // aligned for the right button: left of the point
    click({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    ASSERT_FALSE(g_panel_events.empty());
    EXPECT_EQ(g_panel_events.back().type, EvMenuCommand);
    EXPECT_EQ(g_panel_events.back().value, 62);
    EXPECT_TRUE(g_handled.empty());
}

}  // namespace
