// The program's menu bar in a real X window (a private Xvfb): drawn from the resource file,
// and its accelerator keys typed on the X keyboard reach the application's menu handler.
#include "framework/CMenu.h"

#include "framework/CResFile.h"
#include "framework/FileDialog.h"
#include "framework/ProgramFiles.h"

#include "platform/FileSystem.h"
#include "platform/TempFolder.h"
#include "platform/WindowManager.h"
#include "platform/X11Backend.h"
#include "platform/XvfbServer.h"

#include "XKeys.h"

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

// Stands for the application's menu_handler(id).
void menu_handler(int32_t id) { g_handled.push_back(id); }

// The frame's procedure as the application routes menu commands.
intptr_t frame_proc(WindowId window, Message& message)
{
    if (message.kind == MessageKind::Command && (message.param1 == kFromMenu || message.param1 == kFromAccelerator)) {
        menu_handler(message.id);
        return 0;
    }
    if (message.kind == MessageKind::Paint) {
        WindowManager* wm = WindowManager::current();
        const PaintContext paint = wm->begin_paint(window);
        for (int32_t y = 0; y < paint.pixels.height; ++y)
            for (int32_t x = 0; x < paint.pixels.width; ++x) paint.pixels.row(y)[x] = opaque(0x808890);
        wm->end_paint(window, paint);
        return 0;
    }
    return default_window_proc(window, message);
}

// The message loop's step with the accelerator translation.
template <typename Done>
bool run_until(WindowManager& wm, WindowId frame, AcceleratorTable table, Done done)
{
    const int64_t limit = wm.now() + 5000;
    Message m;
    while (wm.now() < limit) {
        if (done()) return true;
        if (!wm.get_message(m)) return false;
        if (translate_accelerator(frame, table, m)) continue;
        wm.translate_message(m);
        wm.dispatch_message(m);
    }
    return done();
}

TEST(MenuBarX11, FrameShowsTheProgramMenuAndTakesItsAccelerators)
{
    XvfbServer server;
    if (server.display().empty()) GTEST_SKIP() << "Xvfb is not available";
    std::unique_ptr<X11Backend> opened = X11Backend::open(server.display().c_str());
    ASSERT_NE(opened, nullptr);
    X11Backend* x11 = opened.get();
    WindowManager wm(std::move(opened));
    const std::string before = current_directory();
    ASSERT_TRUE(set_current_directory(std::getenv("BRINDLECOT_DATA")));

    ASSERT_TRUE(wm.register_class({"Frame", frame_proc, ClassDoubleClicks, 0x808890, Cursor::Arrow}));
    WindowOptions options;
    options.class_name = "Frame";
    options.title = "BRINDLE-COT";
    options.style = StyleCaption | StyleSizing | StyleCloseBox | StyleMaximized | StyleVisible;
    options.rect = {50, 50, 590, 400};
    const WindowId frame = wm.create_window(options);
    ASSERT_NE(frame, 0u);
    wm.activate_window(frame);
    wm.set_timer(frame, 1, 20);

    // What the application's load_menu does with menu 1.
    CMenu menu(0);
    menu.assigned = 1;
    ASSERT_EQ(menu.load(1), 1);
    menu.set_check_state(304, 1);
    menu.set_enable_state(305, 0);
    ASSERT_TRUE(set_window_menu(frame, menu.hmenu));
    const AcceleratorTable table = load_accelerators(1);
    draw_menu_bar(frame);

    g_handled.clear();
    ASSERT_TRUE(run_until(wm, frame, table, [&] { return x11->mapped() && wm.update_area(frame).empty(); }));

    // Ctrl+Q and Ctrl+E typed on the X keyboard.
    ASSERT_TRUE(send_x_key(server.display(), x11->x_window(), "q", true));
    ASSERT_TRUE(run_until(wm, frame, table, [&] { return !g_handled.empty(); }));
    ASSERT_TRUE(send_x_key(server.display(), x11->x_window(), "e", true));
    ASSERT_TRUE(run_until(wm, frame, table, [&] { return g_handled.size() >= 2; }));
    EXPECT_EQ(g_handled, (std::vector<int32_t>{110, 202}));

    // Open "Options" for the picture, as a click on its title would.
    ASSERT_TRUE(open_menu_bar_item(frame, 2));
    run_until(wm, frame, table, [&] { return wm.update_area(frame).empty() && !wm.exists(0); });
    Message m;
    while (wm.peek_message(m, true)) {
        wm.translate_message(m);
        wm.dispatch_message(m);
    }
    const std::string import = XvfbServer::find_program("import");
    if (!import.empty()) {
        std::filesystem::create_directories(BRINDLECOT_TEST_OUTPUT);
        const std::string out = std::string(BRINDLECOT_TEST_OUTPUT) + "/menu_bar.png";
        const std::string command = "DISPLAY=" + server.display() + " " + import + " -window root " + out;
        EXPECT_EQ(std::system(command.c_str()), 0);
    }
    close_menus();
    destroy_accelerator_table(table);
    free_res_files();
    set_current_directory(before);
}

std::function<void()> g_on_timer;

intptr_t probe_proc(WindowId window, Message& message)
{
    if (message.kind == MessageKind::Timer && g_on_timer) {
        WindowManager::current()->kill_timer(window, message.id);
        std::function<void()> step = g_on_timer;
        step();
    }
    return default_window_proc(window, message);
}

void screenshot(const XvfbServer& server, const char* name)
{
    const std::string import = XvfbServer::find_program("import");
    if (import.empty()) return;
    std::filesystem::create_directories(BRINDLECOT_TEST_OUTPUT);
    const std::string out = std::string(BRINDLECOT_TEST_OUTPUT) + "/" + name;
    EXPECT_EQ(std::system(("DISPLAY=" + server.display() + " " + import + " -window root " + out).c_str()), 0);
}

TEST(FileDialogX11, OpenDialogListsTheDataFolderAndTakesTheXKeyboard)
{
    XvfbServer server;
    if (server.display().empty()) GTEST_SKIP() << "Xvfb is not available";
    std::unique_ptr<X11Backend> opened = X11Backend::open(server.display().c_str());
    ASSERT_NE(opened, nullptr);
    X11Backend* x11 = opened.get();
    WindowManager wm(std::move(opened));
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
    options.class_name = "Probe";
    options.style = 0;
    ASSERT_TRUE(wm.register_class({"Probe", probe_proc, 0, 0, Cursor::Arrow}));
    const WindowId probe = wm.create_window(options);

    // Once the dialog shows: two lines down (to the first file, past ".."), a picture, then Return.
    g_on_timer = [&] {
        if (!x11->mapped()) return wm.set_timer(probe, 1, 100);
        send_x_key(server.display(), x11->x_window(), "Down");
        send_x_key(server.display(), x11->x_window(), "Down");
        g_on_timer = [&] {
            screenshot(server, "file_dialog_x11.png");
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
    EXPECT_EQ(std::string(fd.path.get()), folder.path() + "\\Blues.bcc");
    quit_main_dir();
}

}  // namespace
