// The message loop and its single step: the order of the per-message work, the idle list,
// characters without a panel and characters typed into a text field.
#include "AppFixture.h"

#include "framework/CUserPanel.h"
#include "framework/EventDispatch.h"
#include "platform/FileSystem.h"
#include "platform/TempFolder.h"

#include <cstdio>

#include <algorithm>

#include <string>
#include <vector>

using namespace platform;

namespace {

std::vector<std::string> g_log;

void log_periodic() { g_log.push_back("periodic"); }
void log_script() { g_log.push_back("script"); }
short log_filter(CPanel* panel, Event* e)
{
    if (e->type == EvKey) g_log.push_back(std::string(panel ? "key " : "key-no-panel ") + std::to_string(e->value));
    return default_event_filter(panel, e);
}
short idle_handler(CPanel*, Event* e)
{
    if (e->type == EvIdle) g_log.push_back("idle");
    if (e->type == EvMove) g_log.push_back("dispatch");
    return 1;
}

// A text field: changes 'a' into 'b' and lets it through; takes 'x'.
short field_handler(CPanel*, Event* e)
{
    if (e->type != EvKey) return 0;
    g_log.push_back("field " + std::to_string(e->value));
    if (e->value == 'a') e->value = 'b';
    return e->value == 'x';
}

std::vector<int32_t> g_dispatched_chars;
intptr_t char_logging_proc(WindowId window, Message& m)
{
    if (m.kind == MessageKind::Character) g_dispatched_chars.push_back(m.character);
    return panel_window_proc(window, m);
}

class MessageLoop : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        g_log.clear();
        g_dispatched_chars.clear();
        app_hooks.periodic_task = log_periodic;
        app_hooks.run_script = log_script;
        app_hooks.event_filter = log_filter;
        window = new CWindow(WinNormal);
        window->show();
        surface = new CUserPanel(window);
        surface->event_handler = idle_handler;
        surface->show();
        wm->set_window_rect(surface->hwnd, {0, 0, 100, 100});
    }
    void TearDown() override
    {
        delete window;
        AppFixture::TearDown();
    }
    // A mouse move message for the surface, queued.
    void post_move()
    {
        Message m;
        m.window = surface->hwnd;
        m.kind = MessageKind::MouseMove;
        wm->post_message(m);
    }

    CWindow* window = nullptr;
    CUserPanel* surface = nullptr;
};

TEST_F(MessageLoop, RunDoesItsStepsInOrderAndReturnsTheQuitCode)
{
    application->add_to_idle(surface);
    post_move();
    wm->post_quit(7);
    EXPECT_EQ(application->run(), 7);
    EXPECT_EQ(g_log, (std::vector<std::string>{"periodic", "script", "idle", "dispatch"}));
}

TEST_F(MessageLoop, IdleRunsTheScriptFirstAndPassesTheQuitOn)
{
    application->add_to_idle(surface);
    post_move();
    application->idle();
    EXPECT_EQ(g_log, (std::vector<std::string>{"script", "periodic", "idle", "dispatch"}));
    wm->post_quit(3);
    application->idle();
    Message m;
    EXPECT_FALSE(wm->get_message(m));  // still there for the loop
    EXPECT_EQ(m.id, 3);
}

TEST_F(MessageLoop, WithoutDoIdleOnlyTheFrameTimerCallsThePeriodicTask)
{
    application->do_idle = 0;
    post_move();
    application->idle();
    EXPECT_EQ(g_log, (std::vector<std::string>{"script", "dispatch"}));
    g_log.clear();
    wm->set_timer(frame, 1, 20);
    headless->advance(25);
    pump();
    EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "periodic"), 1);
}

TEST_F(MessageLoop, APanelAddedTwiceGetsTwoIdleEventsUntilRemovedTwice)
{
    application->add_to_idle(surface);
    application->add_to_idle(surface);
    post_move();
    application->idle();
    EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "idle"), 2);
    application->remove_from_idle(surface);
    g_log.clear();
    post_move();
    application->idle();
    EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "idle"), 1);
    application->remove_from_idle(surface);
    application->remove_from_idle(surface);  // absent: nothing happens
    EXPECT_EQ(application->idle_panel.total(), 0);
}

TEST_F(MessageLoop, ADestroyedPanelLeavesTheIdleList)
{
    application->add_to_idle(surface);
    application->add_to_idle(surface);
    delete window;  // with its surface
    window = nullptr;
    EXPECT_EQ(application->idle_panel.total(), 0);
}

TEST_F(MessageLoop, ACharacterWithoutPanelReachesTheFilterFromRunOnly)
{
    wm->set_focus(application->hmdi);  // the document area has no panel
    wm->inject_text("q");
    wm->post_quit(0);
    application->run();
    EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "key-no-panel 113"), 1);
    g_log.clear();
    wm->inject_text("q");
    pump();
    EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "key-no-panel 113"), 0);
}

TEST_F(MessageLoop, AFramesCharacterReachesTheFilterOnce)
{
    wm->set_focus(frame);
    wm->inject_text("q");
    wm->post_quit(0);
    application->run();
    EXPECT_EQ(std::count(g_log.begin(), g_log.end(), "key-no-panel 113"), 1);
}

TEST_F(MessageLoop, ATextFieldMayChangeOrTakeTheCharacterTyped)
{
    WindowClassInfo field_class{"TestField", char_logging_proc, 0, 0xFFFFFF, Cursor::Text};
    ASSERT_TRUE(wm->register_class(field_class));
    CPanel* field = new CPanel(window);
    field->uid = 14;
    field->event_handler = field_handler;
    WindowOptions o;
    o.class_name = "TestField";
    o.style = StyleChild | StyleVisible;
    o.rect = {0, 0, 50, 20};
    o.parent = window->hwnd;
    field->hwnd = wm->create_window(o);
    wm->set_focus(field->hwnd);
    wm->inject_text("axa");
    wm->post_quit(0);
    application->run();
    // run copies the changed character back; 'x' is taken by the handler.
    EXPECT_EQ(g_dispatched_chars, (std::vector<int32_t>{'b', 'b'}));
    g_dispatched_chars.clear();
    wm->inject_text("ax");
    pump();
    // idle dispatches the character as typed.
    EXPECT_EQ(g_dispatched_chars, (std::vector<int32_t>{'a'}));
}

TEST_F(MessageLoop, ArrowKeysNudgeThePointerWhileTheLeftButtonIsHeldInIdle)
{
    wm->inject_mouse_button(ButtonLeft, true, {40, 40});
    pump();
    const Point start = wm->cursor_position();
    wm->set_focus(surface->hwnd);
    wm->inject_key(KeyRight, true);
    wm->inject_key(KeyRight, false);
    wm->inject_key(KeyDown, true);
    wm->inject_key(KeyDown, false);
    pump();
    EXPECT_EQ(wm->cursor_position().x, start.x + 1);
    EXPECT_EQ(wm->cursor_position().y, start.y + 1);
}

TEST_F(MessageLoop, CursorsAreImposedUntilTheArrowComesBack)
{
    application->set_cursor_wait();
    EXPECT_EQ(application->cursor, cursor_handle(Cursor::Wait));
    EXPECT_EQ(headless->shown_cursor(), Cursor::Wait);
    application->set_cursor_arrow();
    EXPECT_EQ(application->cursor, 0);
    EXPECT_EQ(headless->shown_cursor(), Cursor::Arrow);
}

TEST_F(MessageLoop, WantToQuitClosesTheFrameThroughStop)
{
    static int stops;
    stops = 0;
    app_hooks.stop = [] { return (short)(++stops > 1); };  // refuses the first time
    application->want_to_quit();
    EXPECT_EQ(application->want_quit, 1);
    pump();
    EXPECT_TRUE(wm->exists(frame));
    application->want_to_quit();
    EXPECT_EQ(application->run(), 0);
    EXPECT_FALSE(wm->exists(frame));
    EXPECT_EQ(stops, 2);
}

TEST_F(MessageLoop, TheFramesCloseBoxEndsTheLoop)
{
    const Rect outer = wm->screen_window_rect(frame);
    Point box{-1, -1};
    for (int32_t x = outer.right - 1; x > outer.left && box.x < 0; x--)
        for (int32_t y = outer.top; y < outer.top + 40 && box.x < 0; y++)
            if (wm->frame_part(frame, {x, y}) == FrameCloseBox) box = {x, y};
    ASSERT_GE(box.x, 0);
    wm->inject_mouse_button(ButtonLeft, true, box);
    wm->inject_mouse_button(ButtonLeft, false, box);
    EXPECT_EQ(application->run(), 0);
    EXPECT_FALSE(wm->exists(frame));
}

}  // namespace

namespace {

// The program folder as the current one, with its MISC folder.
class ProgramFolder : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        previous = current_directory();
        ASSERT_TRUE(make_directory(folder.path() + "/MISC/HELPFR"));
        ASSERT_TRUE(set_current_directory(folder.path()));
    }
    void TearDown() override
    {
        set_current_directory(previous);
        AppFixture::TearDown();
    }
    void write(const char* path, const char* text)
    {
        FILE* f = open_file(path, "wb");
        ASSERT_NE(f, nullptr);
        std::fputs(text, f);
        std::fclose(f);
    }
    TempFolder folder;
    std::string previous;
};

TEST_F(ProgramFolder, TheHelpLanguageIsReadFromTheLanguageAndDataFiles)
{
    read_help_language();
    EXPECT_STREQ(application->language_code.get(), "");
    EXPECT_STREQ(application->language_name.get(), "");
    write("Misc\\Language.txt", "FR\r\nignored\r\n");
    read_help_language();
    EXPECT_STREQ(application->language_code.get(), "FR");
    EXPECT_STREQ(application->language_name.get(), "");
    write("MISC\\HELPFR\\data.txt", "Fran\xE7" "ais\r\n");
    read_help_language();
    EXPECT_STREQ(application->language_name.get(), "Fran\xE7" "ais");
}

TEST_F(ProgramFolder, CursorsComeFromTheirFilesOrAreNone)
{
    write("Misc\\Cursor1.cur", "");
    application->load_cursors();
    EXPECT_NE(application->cursor1, 0);
    EXPECT_EQ(application->cursor2, 0);
    application->set_cursor_finger();
    EXPECT_EQ(application->cursor, application->cursor1);
    EXPECT_EQ(headless->shown_cursor(), Cursor::Hand);
    application->set_cursor_staff();  // its file is missing: no cursor imposed
    EXPECT_EQ(application->cursor, 0);
}

}  // namespace
