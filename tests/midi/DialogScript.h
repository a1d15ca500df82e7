#pragma once
// A headless program for a test that works a modal dialog of the program: steps run one after
// the other while the dialog has the message loop (support/DialogSteps.h); clicks are injected
// where a user would click; the screen is written to a PNG.
// The program folder is one of the test's own, the resources those of the build.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "framework/AppFixture.h"
#include "framework/CDialog.h"
#include "framework/CList.h"
#include "framework/HeadlessInput.h"
#include "framework/WindowLookup.h"
#include "platform/Control.h"
#include "platform/FileSystem.h"
#include "platform/Surface.h"
#include "support/DialogSteps.h"
#include "support/ScreenPicture.h"
#include "score/Placeholders.h"

class DialogScript : public AppFixture {
public:
    using Steps = std::vector<std::function<void()>>;

    void SetUp() override {
        saved_application = application;
        AppFixture::SetUp();
        SCREEN_WIDTH = 800;
        SCREEN_HEIGHT = 600;
        previous = platform::current_directory();
        ASSERT_TRUE(platform::set_current_directory(BRINDLECOT_BUILD_DATA));  // the dialogs' resources
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = std::string(BRINDLECOT_TEST_OUTPUT) + "/" + folder_prefix() + "-" + info->name();
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder + "/MISC");
        saved_dir = main_dir;
        main_dir = folder.data();
    }
    void TearDown() override {
        steps.stop();
        main_dir = saved_dir;
        platform::set_current_directory(previous);
        SCREEN_WIDTH = SCREEN_HEIGHT = 0;
        AppFixture::TearDown();
        application = saved_application;
    }
    virtual std::string folder_prefix() const = 0;

    // The top-level dialog that holds the three items.
    CDialog* find_dialog(short a, short b, short c) {
        for (platform::WindowId w : wm->top_level_windows())
            if (CPanel* p = get_cpan_from_handle(w); p && p->find_child(a) && p->find_child(b) && p->find_child(c))
                return (CDialog*)p;
        return nullptr;
    }
    void click(CPanel* p, int32_t x = -1, int32_t y = -1) {
        if (x < 0) x = p->get_width() / 2;
        if (y < 0) y = p->get_height() / 2;
        inject_click(*wm, wm->client_to_screen(p->hwnd, {x, y}));
    }
    // Two steps: drops pop-up `id` of `dialog()` down, then clicks its entry.
    Steps choose(std::function<CDialog*()> dialog, short id, short entry) {
        return {[this, dialog, id] { click(dialog()->popup(id)); },
                [this, dialog, id, entry] {
                    auto* combo = static_cast<platform::ComboControl*>(platform::Control::of(dialog()->popup(id)->hwnd));
                    ASSERT_TRUE(combo->dropped());
                    inject_click(*wm, wm->client_to_screen(combo->drop_window(),
                                                           {10, 1 + combo->row_height() * (entry - 1) + 3}));
                }};
    }

    // Runs `body`, which opens a dialog and works it to its end, while the steps run once a
    // dialog is up (`ready`); every step must have run by the end.
    void run(std::vector<Steps> groups, std::function<bool()> ready, std::function<void()> body) {
        std::vector<DialogSteps::Step> all;
        for (auto& g : groups)
            for (auto& s : g) all.push_back(s);
        steps.start(*wm, std::move(all), std::move(ready));
        body();
        steps.stop();
        EXPECT_TRUE(steps.all_ran()) << "every step ran: " << steps.ran() << " of " << steps.total();
    }
    // The screen with `d` drawn afresh, as test-output/<name>.
    void snapshot(CDialog* d, const std::string& name) {
        ASSERT_TRUE(write_panel_picture(*wm, d, std::string(BRINDLECOT_TEST_OUTPUT) + "/" + name));
    }
    void escape() { wm->inject_key(platform::KeyEscape, true); }

    CApplication* saved_application = nullptr;
    std::string previous, folder;
    char* saved_dir = nullptr;
    DialogSteps steps;
};
