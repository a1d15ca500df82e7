// The program's menu bar in a real X window (a private Xvfb): drawn on the frame from the
// resource file, its accelerator keys typed on the X keyboard reaching the application's menu
// handler; and the open dialog on the same display.
#include "framework/CMenu.h"

#include "framework/CApplication.h"
#include "framework/CWindow.h"
#include "framework/Startup.h"

#include "framework/CResFile.h"
#include "framework/FileDialog.h"
#include "framework/ProgramFiles.h"

#include "platform/FileSystem.h"
#include "platform/TempFolder.h"
#include "platform/WindowManager.h"
#include "platform/XDisplayFixture.h"

#include "TimerProbe.h"
#include "XKeys.h"
#include "support/OwnApplication.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <vector>

using namespace platform;

namespace {

std::vector<int32_t> g_handled;  // commands that reached the menu handler

// The application's menu_handler(id).
void menu_handler(int32_t id) { g_handled.push_back(id); }

// A frame for the file dialog to stand on.
intptr_t frame_proc(WindowId window, Message& message) { return default_window_proc(window, message); }

// Turns the application's pump until `done` holds or five seconds pass.
template <typename Done>
bool pump_until(WindowManager& wm, Done done)
{
    const int64_t limit = wm.now() + 5000;
    while (wm.now() < limit) {
        if (done()) return true;
        application->idle();
    }
    return done();
}

class MenuBarX11 : public XDisplayFixture {};

TEST_F(MenuBarX11, FrameShowsTheProgramMenuAndTakesItsAccelerators)
{
    WindowManager& wm = *window_manager;
    const std::string before = current_directory();
    ASSERT_TRUE(set_current_directory(std::getenv("BRINDLECOT_DATA")));

    // The program's frame as start-up makes it, and the menu as the application loads it.
    app_hooks = default_app_hooks();
    app_hooks.menu_handler = menu_handler;
    ASSERT_TRUE(register_window_classes());
    make_own_application();
    application->name.set("BRINDLE-COT");
    application->menu->assigned = 1;
    const WindowId frame = create_frame_window();
    ASSERT_NE(frame, 0u);
    wm.set_timer(frame, 1, 20);
    application->load_menu(1);
    application->menu->set_check_state(304, 1);
    application->menu->set_enable_state(305, 0);

    g_handled.clear();
    ASSERT_TRUE(pump_until(wm, [&] { return x11->mapped() && wm.update_area(frame).empty(); }));

    // Ctrl+Q and Ctrl+E typed on the X keyboard.
    ASSERT_TRUE(send_x_key(server.display(), x11->x_window(), "q", true));
    ASSERT_TRUE(pump_until(wm, [&] { return !g_handled.empty(); }));
    ASSERT_TRUE(send_x_key(server.display(), x11->x_window(), "e", true));
    ASSERT_TRUE(pump_until(wm, [&] { return g_handled.size() >= 2; }));
    EXPECT_EQ(g_handled, (std::vector<int32_t>{110, 202}));

    // Open "Options" for the picture, as a click on its title would.
    ASSERT_TRUE(open_menu_bar_item(frame, 2));
    const int64_t settle = wm.now() + 300;
    pump_until(wm, [&] { return wm.now() >= settle; });
    screenshot("menu_bar.png");
    close_menus();
    // And the editing menu, the last one.
    ASSERT_TRUE(open_menu_bar_item(frame, 5));
    const int64_t settled = wm.now() + 300;
    pump_until(wm, [&] { return wm.now() >= settled; });
    screenshot("menu_edition.png");
    close_menus();

    free_own_application();
    app_hooks = default_app_hooks();
    free_res_files();
    set_current_directory(before);
}

class FileDialogX11 : public XDisplayFixture {};

TEST_F(FileDialogX11, OpenDialogListsTheDataFolderAndTakesTheXKeyboard)
{
    WindowManager& wm = *window_manager;
    TempFolder folder;
    for (const char* name : {"Valse.bcc", "Blues.bcc", "Menuet.mid", "notes.txt"}) std::ofstream(folder / name) << "x";
    data_dir = static_cast<char*>(std::calloc(dir_buffer_size, 1));
    std::strcpy(data_dir, folder.path().c_str());

    ASSERT_TRUE(wm.register_class({"Frame", frame_proc, 0, 0x808890, Cursor::Arrow}));
    WindowOptions options;
    options.class_name = "Frame";
    options.title = "BRINDLE-COT";
    options.style = StyleCaption | StyleMaximized | StyleVisible;
    const WindowId frame = wm.create_window(options);
    wm.activate_window(frame);
    const WindowId probe = create_probe_window(wm);

    // Once the dialog shows: two lines down (to the first file, past ".."), a picture, then Return.
    g_on_timer = [&] {
        if (!x11->mapped()) return wm.set_timer(probe, 1, 100);
        send_x_key(server.display(), x11->x_window(), "Down");
        send_x_key(server.display(), x11->x_window(), "Down");
        g_on_timer = [&] {
            screenshot("file_dialog_x11.png");
            send_x_key(server.display(), x11->x_window(), "Return");
        };
        wm.set_timer(probe, 1, 300);
    };
    wm.set_timer(probe, 1, 300);
    File_dialog_struct fd;
    fd.prompt.set("Ouvrir une partition");
    fd.ext[1].set(".bcc");
    fd.ext[2].set(".mid");
    EXPECT_EQ(open_file_dialog(&fd), 1);
    g_on_timer = nullptr;
    EXPECT_STREQ(fd.name.get(), "Blues.bcc");
    EXPECT_EQ(std::string(fd.path.get()), folder.path() + "/Blues.bcc");
    quit_main_dir();
}

}  // namespace
