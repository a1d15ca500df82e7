// On a real X display (Xvfb), a message box opened by the program is answered with a click.
#include "XClose.h"

#include "framework/CApplication.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CResFile.h"
#include "framework/CWindow.h"
#include "framework/Startup.h"
#include "platform/FileSystem.h"
#include "platform/WindowManager.h"
#include "platform/X11Backend.h"
#include "platform/XvfbServer.h"
#include "support/OwnApplication.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace platform;

namespace {

std::atomic<int> g_x{-1}, g_y{-1};
std::atomic<WindowId> g_box{0};

// On each step of the box: where its Yes button is on the screen.
void find_the_box()
{
    for (short i = 1; win_array && i <= win_array->total(); i++) {
        CPanel* w = (CPanel*)win_array->get(i);
        CButton* yes = w->uid == 16 ? ((CDialog*)w)->button(1) : nullptr;
        if (!yes) continue;
        const Point p = WindowManager::current()->client_to_screen(yes->hwnd, {yes->get_width() / 2, yes->get_height() / 2});
        g_box = w->hwnd;
        g_x = p.x;
        g_y = p.y;
    }
}

TEST(MessageBoxOnX, AQuestionIsAnsweredWithAClick)
{
    XvfbServer server("800x600x24");
    ASSERT_XVFB_RUNNING(server);
    std::unique_ptr<X11Backend> backend = X11Backend::open(server.display().c_str(), {800, 600});
    ASSERT_NE(backend, nullptr);
    auto wm = std::make_unique<WindowManager>(std::move(backend));
    const std::string previous = current_directory();
    ASSERT_TRUE(set_current_directory(BRINDLECOT_BUILD_DATA));
    app_hooks = default_app_hooks();
    app_hooks.periodic_task = find_the_box;
    ASSERT_TRUE(register_window_classes());
    make_own_application();
    ASSERT_NE(create_frame_window(), 0u);

    std::thread user([&] {
        wait_until([] { return g_x >= 0; });
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        if (g_x >= 0) click_x_windows(server.display(), g_x, g_y);
        // Should the click be lost, the box is closed so that the test ends (answering No).
        wait_until([] { return g_box == 0; });
        if (g_box) {
            Message close;
            close.window = g_box;
            close.kind = MessageKind::Close;
            WindowManager::current()->post_message(close);
        }
    });
    const short answer = application->question("Remplacer le fichier ?");
    g_box = 0;
    user.join();
    EXPECT_EQ(answer, 1) << "the click on Oui";
    EXPECT_EQ(application->shown.questions, 1);

    free_own_application();
    wm.reset();
    app_hooks = default_app_hooks();
    free_res_files();
    set_current_directory(previous);
}

}  // namespace
