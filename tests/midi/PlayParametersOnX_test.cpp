// On a private X server, the play-parameters dialog of a note shows the note's values, is
// photographed for a person to look at, and takes a user's clicks: the played-length box
// unticked, then OK.
#include "framework/XClose.h"

#include "framework/CApplication.h"
#include "framework/CDialog.h"
#include "framework/CResFile.h"
#include "framework/CWindow.h"
#include "framework/Startup.h"
#include "midi/ClickPlayback.h"
#include "platform/FileSystem.h"
#include "platform/WindowManager.h"
#include "platform/X11Backend.h"
#include "platform/XvfbServer.h"
#include "score/CNote.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace platform;

namespace {

// Where the controls to click are on the screen, found on the program's thread.
std::atomic<int> g_box_x{-1}, g_box_y{-1}, g_ok_x{-1}, g_ok_y{-1};
std::atomic<WindowId> g_dialog{0};

void find_the_dialog() {
    for (short i = 1; win_array && i <= win_array->total(); i++) {
        CPanel* w = (CPanel*)win_array->get(i);
        if (w->uid != 16) continue;
        CPanel* box = w->find_child(6);
        CPanel* ok = w->find_child(1);
        if (!box || !ok || !w->find_child(10)) continue;
        WindowManager* wm = WindowManager::current();
        const Point b = wm->client_to_screen(box->hwnd, {8, box->get_height() / 2});
        const Point o = wm->client_to_screen(ok->hwnd, {ok->get_width() / 2, ok->get_height() / 2});
        g_dialog = w->hwnd;
        g_box_x = b.x, g_box_y = b.y;
        g_ok_x = o.x, g_ok_y = o.y;
    }
}

TEST(PlayParametersOnX, ShowsTheNoteAndTakesTheUsersClicks) {
    XvfbServer server("800x600x24");
    if (server.display().empty()) GTEST_SKIP() << "Xvfb is not available";
    std::unique_ptr<X11Backend> backend = X11Backend::open(server.display().c_str(), {800, 600});
    ASSERT_NE(backend, nullptr);
    auto wm = std::make_unique<WindowManager>(std::move(backend));
    const std::string previous = current_directory();
    ASSERT_TRUE(set_current_directory(BRINDLECOT_BUILD_DATA));
    app_hooks = default_app_hooks();
    app_hooks.periodic_task = find_the_dialog;
    // The test program's own application object and screen come back at the end: later
    // tests use them.
    CApplication* const program_application = application;
    const short program_width = SCREEN_WIDTH, program_height = SCREEN_HEIGHT;
    SCREEN_WIDTH = 800;
    SCREEN_HEIGHT = 600;
    ASSERT_TRUE(register_window_classes());
    application = new CApplication("");
    win_array = new CArrayPtr;
    ASSERT_NE(create_frame_window(), 0u);

    CNote note;
    note.start = 0;
    note.length = 480;
    note.rec_vel = 100;
    note.rec_length = 360;
    note.rec_start = 48;
    note.flags = 0x20;

    const std::string shot = std::string(BRINDLECOT_TEST_OUTPUT) + "/play_parameters_xvfb.png";
    std::filesystem::remove(shot);
    const std::string display = server.display();
    std::thread user([&] {
        const auto start = std::chrono::steady_clock::now();
        while (g_ok_x < 0 && std::chrono::steady_clock::now() - start < std::chrono::seconds(10))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::this_thread::sleep_for(std::chrono::milliseconds(400));  // drawn
        const std::string import = XvfbServer::find_program("import");
        if (!import.empty()) std::system(("DISPLAY=" + display + " " + import + " -window root " + shot).c_str());
        if (g_ok_x >= 0) {
            click_x_windows(display, g_box_x, g_box_y);
            click_x_windows(display, g_ok_x, g_ok_y);
        }
        for (int i = 0; i < 250 && g_dialog; i++) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (g_dialog) {  // never left hanging
            Message close;
            close.window = g_dialog;
            close.kind = MessageKind::Close;
            WindowManager::current()->post_message(close);
        }
    });
    const short result = edit_play_parameters(&note);
    g_dialog = 0;
    user.join();

    EXPECT_EQ(result, 1) << "the click on OK";
    EXPECT_EQ(note.rec_vel, 100);
    EXPECT_EQ(note.rec_length, 32000) << "the box was unticked";
    EXPECT_EQ(note.rec_start, 48) << "10 % of a crotchet";
    EXPECT_EQ(note.flags, 0x20);
    if (!XvfbServer::find_program("import").empty()) {
        EXPECT_TRUE(std::ifstream(shot).good());
    }

    delete application;
    application = program_application;
    delete win_array;
    win_array = nullptr;
    wm.reset();
    app_hooks = default_app_hooks();
    free_res_files();
    set_current_directory(previous);
    SCREEN_WIDTH = program_width;
    SCREEN_HEIGHT = program_height;
}

}  // namespace
