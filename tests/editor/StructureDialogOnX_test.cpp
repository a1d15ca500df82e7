// On a private X server, the dialog that adds or erases measures and staves shows its choices
// preset, is photographed for a person to look at, and answers a click on OK or Annuler.
#include "framework/XClose.h"

#include "framework/CApplication.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CResFile.h"
#include "framework/CWindow.h"
#include "framework/Startup.h"
#include "layout/StructureEditing.h"
#include "platform/FileSystem.h"
#include "platform/WindowManager.h"
#include "platform/X11Backend.h"
#include "platform/XvfbServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

using namespace platform;

namespace {

std::atomic<int> g_x{-1}, g_y{-1};
std::atomic<WindowId> g_box{0};
std::atomic<short> g_button{18};

// On each step of the dialog: where the button to press is on the screen.
void find_the_dialog() {
    for (short i = 1; win_array && i <= win_array->total(); i++) {
        CPanel* w = (CPanel*)win_array->get(i);
        CButton* b = w->uid == 16 ? ((CDialog*)w)->button(g_button) : nullptr;
        if (!b) continue;
        const Point p = WindowManager::current()->client_to_screen(b->hwnd, {b->get_width() / 2, b->get_height() / 2});
        g_box = w->hwnd;
        g_x = p.x;
        g_y = p.y;
    }
}

// Waits for the dialog, photographs the screen when asked, and clicks the button.
std::thread user(const std::string& display, const std::string& shot) {
    return std::thread([display, shot] {
        const auto start = std::chrono::steady_clock::now();
        while (g_x < 0 && std::chrono::steady_clock::now() - start < std::chrono::seconds(10))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        if (!shot.empty()) {
            const std::string import = XvfbServer::find_program("import");
            if (!import.empty())
                std::system(("DISPLAY=" + display + " " + import + " -window root " + shot).c_str());
        }
        if (g_x >= 0) click_x_windows(display, g_x, g_y);
        for (int i = 0; i < 250 && g_box; i++) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (g_box) {
            Message close;
            close.window = g_box;
            close.kind = MessageKind::Close;
            WindowManager::current()->post_message(close);
        }
    });
}

TEST(StructureDialogOnX, ShowsItsChoicesAndAnswersOkAndCancel) {
    XvfbServer server("800x600x24");
    if (server.display().empty()) GTEST_SKIP() << "Xvfb is not available";
    std::unique_ptr<X11Backend> backend = X11Backend::open(server.display().c_str(), {800, 600});
    ASSERT_NE(backend, nullptr);
    auto wm = std::make_unique<WindowManager>(std::move(backend));
    const std::string previous = current_directory();
    ASSERT_TRUE(set_current_directory(BRINDLECOT_BUILD_DATA));
    app_hooks = default_app_hooks();
    app_hooks.periodic_task = find_the_dialog;
    SCREEN_WIDTH = 800;  // dialogs centre on the screen
    SCREEN_HEIGHT = 600;
    ASSERT_TRUE(register_window_classes());
    application = new CApplication("");
    win_array = new CArrayPtr;
    ASSERT_NE(create_frame_window(), 0u);

    const std::string shot = std::string(BRINDLECOT_TEST_OUTPUT) + "/structure_dialog_xvfb.png";
    std::filesystem::remove(shot);
    AjoutEffacement choice;
    choice.operation = 2;
    choice.mesures = 3;
    choice.portees = 1;
    choice.cote_mesures = 1;
    g_button = 18;
    std::thread first = user(server.display(), shot);
    const short taken = dialogue_ajouter_effacer(&choice);
    g_box = 0;
    first.join();
    EXPECT_EQ(taken, 1) << "the click on OK";
    EXPECT_EQ(choice.operation, 2);
    EXPECT_EQ(choice.mesures, 3);
    EXPECT_EQ(choice.portees, 1);
    EXPECT_EQ(choice.cote_mesures, 1);
    EXPECT_EQ(choice.cote_portees, 2);
    if (!XvfbServer::find_program("import").empty()) {
        EXPECT_TRUE(std::ifstream(shot).good());
    }

    g_x = g_y = -1;
    g_button = 19;
    std::thread second = user(server.display(), "");
    EXPECT_EQ(dialogue_ajouter_effacer(&choice), 0) << "the click on Annuler";
    g_box = 0;
    second.join();

    delete application;
    application = nullptr;
    delete win_array;
    win_array = nullptr;
    wm.reset();
    app_hooks = default_app_hooks();
    free_res_files();
    set_current_directory(previous);
    SCREEN_WIDTH = SCREEN_HEIGHT = 0;
}

}  // namespace
