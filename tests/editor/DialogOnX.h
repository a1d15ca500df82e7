#pragma once
// A person answering a modal dialog of the program on a private X server: the program's
// periodic task (`find_the_dialog`, installed as the application's hook) tells where the
// button `button` of the dialog on the screen is; a thread (`user`) waits for it, photographs
// the screen when asked, and clicks the button; should the click not close the dialog, it
// asks the dialog to close. `DialogOnX` is the program around the dialogs: an X server of
// 800 x 600, the application with its frame, in the built program folder.

#include "framework/XClose.h"

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
#include <cstdlib>
#include <string>
#include <thread>

namespace dialog_on_x {

inline std::atomic<int> x{-1}, y{-1};
inline std::atomic<platform::WindowId> box{0};
inline std::atomic<short> button{1};

// On each step of the dialog: where the button to press is on the screen.
inline void find_the_dialog() {
    for (short i = 1; win_array && i <= win_array->total(); i++) {
        CPanel* w = (CPanel*)win_array->get(i);
        CButton* b = w->uid == 16 ? ((CDialog*)w)->button(button) : nullptr;
        if (!b) continue;
        const platform::Point p =
            platform::WindowManager::current()->client_to_screen(b->hwnd, {b->get_width() / 2, b->get_height() / 2});
        box = w->hwnd;
        x = p.x;
        y = p.y;
    }
}

// Waits for the dialog, photographs the screen to `shot` unless it is empty, and clicks
// button `id`. The caller clears `box` once the dialog has returned, then joins the thread.
inline std::thread user(const std::string& display, short id, const std::string& shot) {
    x = y = -1;
    button = id;
    return std::thread([display, shot] {
        wait_until([] { return x >= 0; });
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        if (!shot.empty()) {
            const std::string import = XvfbServer::find_program("import");
            if (!import.empty()) std::system(("DISPLAY=" + display + " " + import + " -window root " + shot).c_str());
        }
        if (x >= 0) click_x_windows(display, x, y);
        wait_until([] { return box == 0; });
        if (box) {
            platform::Message close;
            close.window = box;
            close.kind = platform::MessageKind::Close;
            platform::WindowManager::current()->post_message(close);
        }
    });
}

}  // namespace dialog_on_x

class DialogOnX : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_XVFB_RUNNING(server);
        ASSERT_PROGRAM_INSTALLED("import");  // the photographs of the dialogs
        std::unique_ptr<platform::X11Backend> backend = platform::X11Backend::open(server.display().c_str(), {800, 600});
        ASSERT_NE(backend, nullptr);
        wm = std::make_unique<platform::WindowManager>(std::move(backend));
        previous = platform::current_directory();
        ASSERT_TRUE(platform::set_current_directory(BRINDLECOT_BUILD_DATA));
        app_hooks = default_app_hooks();
        app_hooks.periodic_task = dialog_on_x::find_the_dialog;
        program_application = application;  // the test program's own, given back at the end
        program_width = SCREEN_WIDTH, program_height = SCREEN_HEIGHT;
        SCREEN_WIDTH = 800;  // dialogs centre on the screen
        SCREEN_HEIGHT = 600;
        ASSERT_TRUE(register_window_classes());
        make_own_application();
        ASSERT_NE(create_frame_window(), 0u);
    }
    void TearDown() override {
        if (!wm) return;
        free_own_application(program_application);
        wm.reset();
        app_hooks = default_app_hooks();
        free_res_files();
        platform::set_current_directory(previous);
        SCREEN_WIDTH = program_width;
        SCREEN_HEIGHT = program_height;
    }
    // Runs `dialog` while the person clicks button `id`, photographing the screen to `shot`
    // first unless it is empty; the dialog's result.
    template <class F>
    short answer(short id, const std::string& shot, F dialog) {
        std::thread person = dialog_on_x::user(server.display(), id, shot);
        const short result = dialog();
        dialog_on_x::box = 0;
        person.join();
        return result;
    }

    XvfbServer server{"800x600x24"};
    std::unique_ptr<platform::WindowManager> wm;
    std::string previous;
    CApplication* program_application = nullptr;
    short program_width = 0, program_height = 0;
};
