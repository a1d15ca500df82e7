#include "framework/UserInput.h"

#include "framework/LocalTime.h"
#include "framework/CApplication.h"
#include "framework/CWindow.h"
#include "framework/EventDispatch.h"

#include "HeadlessInput.h"

#include "platform/HeadlessBackend.h"
#include "platform/WindowManager.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace platform;

namespace {

std::vector<Message> g_seen;

intptr_t panel_proc(WindowId window, Message& message)
{
    if (message.kind == MessageKind::ButtonDown || message.kind == MessageKind::ButtonUp ||
        message.kind == MessageKind::MouseMove || message.kind == MessageKind::Character)
        g_seen.push_back(message);
    return default_window_proc(window, message);
}

class UserInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = open_screen_window(wm, "Panel", panel_proc);
        wm->activate_window(window);
        wm->set_focus(window);
        g_seen.clear();
        application = &app;
    }
    void TearDown() override
    {
        application = nullptr;
        TerminerAutoDemo = 0;
    }
    void pump()
    {
        Message m;
        while (wm->peek_message(m, true)) {
            wm->translate_message(m);
            wm->dispatch_message(m);
        }
    }
    std::unique_ptr<WindowManager> wm;
    WindowId window = 0;
    CApplication app;
};

TEST(SlideDuration, ConstantSpeedAndCap)
{
    const struct {
        int32_t dx, dy, ms, expected;
    } cases[] = {
        {700, 0, -1, 2000}, {0, -350, -1, 1000}, {300, 400, -1, 1428}, {3000, 0, -1, 5000},
        {10, 10, 0, 0},     {10, 10, 250, 250},  {10, 10, 9000, 5000}, {0, 0, -1, 0},
    };
    for (const auto& c : cases) EXPECT_EQ(slide_duration(c.dx, c.dy, c.ms), c.expected) << c.dx << "," << c.dy;
}

TEST_F(UserInput, SlideTakesItsTimeAndEndsOnTarget)
{
    wm->set_cursor_position({0, 0});
    pump();
    const int64_t start = wm->now();
    slide_mouse_to(700, 0, -1);
    EXPECT_GE(wm->now() - start, 2000);
    EXPECT_LT(wm->now() - start, 2100);
    pump();
    EXPECT_EQ(get_mouse_x(), 700);
    EXPECT_EQ(get_mouse_y(), 0);
    EXPECT_GT(g_seen.size(), 100u);  // the pointer travelled, and the program kept running

    const int64_t now = wm->now();
    slide_mouse_to(10, 20, 0);  // at once
    pump();
    EXPECT_EQ(wm->now(), now);
    EXPECT_EQ(get_mouse_x(), 10);

    // In a script's absolute timing the slide counts in its clock; a stop request cuts it short.
    app.script.absolu = true;
    app.script.time_position = 100;
    TerminerAutoDemo = 1;
    slide_mouse_to(360, 20, -1);
    EXPECT_EQ(app.script.time_position, 1100);
    pump();
    EXPECT_EQ(get_mouse_x(), 360);
}

TEST_F(UserInput, ButtonsComeFromTheScriptWhileItPlaysOrRecords)
{
    wm->inject_mouse_button(ButtonLeft, true, {5, 5});
    pump();
    EXPECT_EQ(get_mouse_left(), 1);
    EXPECT_EQ(get_mouse_right(), 0);
    app.script.playing = 1;
    EXPECT_EQ(get_mouse_left(), 0);
    app.script.right_button = 1;
    EXPECT_EQ(get_mouse_right(), 1);
    app.script.playing = 0;
    app.script.recording = 1;
    app.script.left_button = 1;
    EXPECT_EQ(get_mouse_left(), 1);
}

TEST_F(UserInput, BeepRingsTheDisplaysBell)
{
    const auto& display = dynamic_cast<const HeadlessBackend&>(wm->backend());
    const int bells = display.bells(), beeps = beep_count;
    beep();
    EXPECT_EQ(display.bells(), bells + 1);
    EXPECT_EQ(beep_count, beeps + 1);
}

TEST_F(UserInput, ClickLandsWhereThePointerIs)
{
    wm->set_cursor_position({40, 30});
    pump();
    g_seen.clear();
    mouse_clic_left(400, 300);
    pump();
    ASSERT_EQ(g_seen.size(), 2u);
    EXPECT_EQ(g_seen[0].kind, MessageKind::ButtonDown);
    EXPECT_EQ(g_seen[0].x, 40);
    EXPECT_EQ(g_seen[1].kind, MessageKind::ButtonUp);
    move_mouse(-5, 7);
    pump();
    EXPECT_EQ(get_mouse_x(), 35);
    EXPECT_EQ(get_mouse_y(), 37);
}

TEST_F(UserInput, WaitSwallowsInputAndKeepsTheQuit)
{
    wm->inject_text("abc");
    const int64_t start = get_time_pos();
    wait_ms(300);
    EXPECT_GT(get_time_pos() - start, 300);
    pump();
    EXPECT_TRUE(g_seen.empty());

    wm->post_quit(3);
    wait_ms(10000);
    EXPECT_LT(get_time_pos() - start, 1000);
    Message m;
    EXPECT_FALSE(wm->get_message(m));  // the message loop still gets its quit
    EXPECT_EQ(m.id, 3);
    EXPECT_GE(get_cur_hour(), 0);
    EXPECT_LT(get_cur_minute(), 60);
    EXPECT_LT(get_cur_second(), 61);
}

}  // namespace
