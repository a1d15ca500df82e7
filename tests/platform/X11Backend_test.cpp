#include "platform/DisplayChoice.h"
#include "platform/WindowManager.h"
#include "platform/X11Backend.h"

#include "XClient.h"
#include "XDisplayFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace platform;

namespace {

std::vector<Message> g_log;

void paint_bands(WindowId window, uint32_t first, uint32_t second)
{
    WindowManager* wm = WindowManager::current();
    const PaintContext paint = wm->begin_paint(window);
    for (int32_t y = 0; y < paint.pixels.height; ++y)
        for (int32_t x = 0; x < paint.pixels.width; ++x)
            paint.pixels.row(y)[x] = opaque(((x / 40 + y / 40) % 2) ? first : second);
    wm->end_paint(window, paint);
}

// A window that logs its messages and paints itself in squares of two colours.
template <uint32_t First, uint32_t Second>
intptr_t banded_proc(WindowId window, Message& message)
{
    g_log.push_back(message);
    if (message.kind == MessageKind::Paint) {
        paint_bands(window, First, Second);
        return 0;
    }
    return default_window_proc(window, message);
}

const WindowProc frame_proc = banded_proc<0xE8E0D0, 0xD0C8B8>;
const WindowProc panel_proc = banded_proc<0x3070C0, 0x5090E0>;

// Pumps messages until `done` holds or five seconds pass.
template <typename Done>
bool pump_until(WindowManager& wm, Done done)
{
    const int64_t limit = wm.now() + 5000;
    Message m;
    while (wm.now() < limit) {
        if (done()) return true;
        if (!wm.get_message(m)) return false;
        wm.translate_message(m);
        wm.dispatch_message(m);
    }
    return done();
}

bool logged(MessageKind kind, WindowId window)
{
    for (const Message& m : g_log)
        if (m.kind == kind && m.window == window) return true;
    return false;
}

TEST(DisplayChoice, SwitchesForceTheHeadlessDisplay)
{
    const char* plain[] = {"brindlecot", "score.bcc"};
    const char* forced[] = {"brindlecot", "--headless"};
    EXPECT_TRUE(headless_requested(2, forced));
    std::unique_ptr<Backend> backend = make_backend(2, forced);
    EXPECT_TRUE(backend->virtual_clock());
    const char* saved = std::getenv("BRINDLECOT_HEADLESS");
    setenv("BRINDLECOT_HEADLESS", "1", 1);
    EXPECT_TRUE(headless_requested(2, plain));
    unsetenv("BRINDLECOT_HEADLESS");
    EXPECT_FALSE(headless_requested(2, plain));
    if (saved) setenv("BRINDLECOT_HEADLESS", saved, 1);
}

class X11Display : public XDisplayFixture {};

TEST_F(X11Display, FrameWindowTakesAnXClickAndKey)
{
    WindowManager& wm = *window_manager;
    EXPECT_EQ(wm.screen_size().x, 640);
    EXPECT_EQ(wm.screen_size().y, 480);
    g_log.clear();
    ASSERT_TRUE(wm.register_class({"Frame", frame_proc, ClassDoubleClicks, 0xFFFFFF, platform::Cursor::Arrow}));
    ASSERT_TRUE(wm.register_class({"Panel", panel_proc, ClassDoubleClicks, 0xFFFFFF, platform::Cursor::Hand}));

    WindowOptions options;
    options.class_name = "Frame";
    options.title = "Brindlecot \xE9t\xE9";
    options.style = StyleCaption | StyleMaximized | StyleVisible;
    options.rect = {50, 50, 590, 450};
    const WindowId frame = wm.create_window(options);
    options.class_name = "Panel";
    options.title = "Panneau";
    options.style = StyleCaption | StyleSizing | StyleCloseBox | StyleVisible;
    options.rect = {300, 200, 560, 400};
    options.owner = frame;
    const WindowId panel = wm.create_window(options);
    ASSERT_NE(frame, 0u);
    ASSERT_NE(panel, 0u);
    EXPECT_EQ(wm.window_rect(frame), (Rect{0, 0, 640, 480}));
    wm.activate_window(frame);
    wm.set_timer(frame, 1, 20);  // keeps the loop turning while the server answers

    ASSERT_TRUE(pump_until(wm, [&] { return x11->mapped() && logged(MessageKind::Paint, panel); }));

    // A click at (100, 120) of the X window is a press in the frame's client area.
    ASSERT_TRUE(send_x_click(server.display(), x11->x_window(), 100, 120));
    ASSERT_TRUE(pump_until(wm, [&] { return logged(MessageKind::ButtonUp, frame); }));
    EXPECT_TRUE(logged(MessageKind::ButtonDown, frame));
    for (const Message& m : g_log) {
        if (m.kind != MessageKind::ButtonDown) continue;
        {
            EXPECT_EQ(m.window, frame);
            EXPECT_EQ(m.button, ButtonLeft);
            const Point client = wm.screen_to_client(frame, {100, 120});
            EXPECT_EQ(m.x, client.x);
            EXPECT_EQ(m.y, client.y);
        }
    }

    // A key typed on the X keyboard reaches the focused window with its character.
    ASSERT_TRUE(send_x_key(server.display(), x11->x_window(), 'a'));
    ASSERT_TRUE(pump_until(wm, [&] { return logged(MessageKind::Character, frame); }));
    for (const Message& m : g_log) {
        if (m.kind == MessageKind::Character) {
            EXPECT_EQ(m.character, 'a');
        }
    }

    // Files dragged from another X program land on the frame, which takes them; the panel
    // takes none, and the drop there is refused.
    wm.accept_file_drops(frame, true);
    XDragSource source(server.display(), x11->x_window(),
                       "file:///tmp/Mes%20compositions/Biblioth%C3%A8que.bcc\r\nfile://host/x.mid\r\n");
    ASSERT_TRUE(source.ok());
    source.move_to(100, 120);
    ASSERT_TRUE(pump_until(wm, [&] { return source.service(), source.status() >= 0; }));
    EXPECT_EQ(source.status(), 1);
    source.drop();
    ASSERT_TRUE(pump_until(wm, [&] { return source.service(), source.finished() >= 0 && logged(MessageKind::FilesDropped, frame); }));
    EXPECT_EQ(source.finished(), 1);
    for (const Message& m : g_log) {
        if (m.kind != MessageKind::FilesDropped) continue;
        ASSERT_TRUE(m.paths);
        EXPECT_EQ(*m.paths, (std::vector<std::string>{"/tmp/Mes compositions/Biblioth\xE8que.bcc", "/x.mid"}));
    }
    XDragSource refused(server.display(), x11->x_window(), "file:///tmp/a.mid\r\n");
    refused.move_to(400, 300);
    ASSERT_TRUE(pump_until(wm, [&] { return refused.service(), refused.status() >= 0; }));
    EXPECT_EQ(refused.status(), 0);
    refused.drop();
    ASSERT_TRUE(pump_until(wm, [&] { return refused.service(), refused.finished() >= 0; }));
    EXPECT_EQ(refused.finished(), 0);

    // Setting the pointer position moves the real X pointer.
    wm.set_cursor_position({210, 160});
    pump_until(wm, [&] { return wm.cursor_position().x == 210; });
    int x = 0, y = 0;
    ASSERT_TRUE(query_x_pointer(server.display(), x11->x_window(), &x, &y));
    EXPECT_EQ(x, 210);
    EXPECT_EQ(y, 160);

    // A smaller X window is a smaller screen: the maximised frame follows it.
    ASSERT_TRUE(resize_x_window(server.display(), x11->x_window(), 600, 440));
    ASSERT_TRUE(pump_until(wm, [&] { return wm.screen_size().x == 600; }));
    EXPECT_EQ(wm.window_rect(frame), (Rect{0, 0, 600, 440}));

    // Let the screen settle, then keep a picture of it for a person to look at.
    wm.bring_to_top(panel);
    pump_until(wm, [&] { return wm.update_area(panel).empty() && wm.update_area(frame).empty(); });
    Message m;
    while (wm.peek_message(m, true)) wm.dispatch_message(m);
    screenshot("x11_frame.png");
}

}  // namespace
