#pragma once
// A chord dialog of this library worked by a script: the steps run one after the other from
// the idle handlers while the dialog's modal loop runs, and the screen can be written to a PNG.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "chords/ChordServices.h"
#include "framework/AppFixture.h"
#include "framework/Startup.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CList.h"
#include "framework/CScroll.h"
#include "framework/CTextedit.h"
#include "framework/CUserPanel.h"
#include "framework/HeadlessInput.h"
#include "framework/WindowLookup.h"
#include "platform/DrawingTestSupport.h"
#include "platform/FileSystem.h"
#include "platform/MusicFont.h"
#include "platform/Surface.h"
#include "score/CChord.h"
#include "score/CChordLibrary.h"
#include "score/MusicClasses.h"
#include "score/MusicGlobals.h"
#include "score/NoteCodes.h"
#include "support/ChordNoteNames.h"
#include "support/DialogSteps.h"
#include "support/ScreenPicture.h"

class ChordDialogFixture : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        SCREEN_WIDTH = 800;
        SCREEN_HEIGHT = 600;
        previous = platform::current_directory();
        ASSERT_TRUE(platform::set_current_directory(BRINDLECOT_BUILD_DATA));
        std::string error;
        ASSERT_TRUE(platform::MusicFont::load(drawing_test::music_map(), &error)) << error;
        init_music_classes();
        install_chord_services();
    }
    void TearDown() override {
        steps.stop();
        quit_music_classes();
        chord_note_names_environment->SetUp();  // start-up's lists are gone with the classes
        chord_services = ChordServices{};
        platform::set_current_directory(previous);
        SCREEN_WIDTH = SCREEN_HEIGHT = 0;
        AppFixture::TearDown();
    }

    // The dialog on screen.
    CDialog* dialog() {
        for (platform::WindowId w : wm->top_level_windows())
            if (CDialog* d = dynamic_cast<CDialog*>(get_cpan_from_handle(w))) return d;
        return nullptr;
    }
    // Clicks at (x, y) of a control of the dialog.
    void click(short id, int32_t x, int32_t y) {
        CPanel* p = dialog()->find_child(id);
        ASSERT_NE(p, nullptr) << id;
        inject_click(*wm, wm->client_to_screen(p->hwnd, {x, y}));
    }
    // The centre of column k of n of a drawing area, at half its height.
    void click_column(short id, short k, short n) {
        CPanel* p = dialog()->find_child(id);
        click(id, p->get_width() / n * k + p->get_width() / n / 2, p->get_height() / 2);
    }
    // Runs the steps one after the other while the dialog is up (support/DialogSteps.h).
    void script(std::vector<std::function<void()>> list)
    {
        steps.start(*wm, std::move(list), [this] { return dialog() != nullptr; });
    }
    void snapshot(const std::string& name) {
        std::filesystem::create_directories(BRINDLECOT_TEST_OUTPUT);
        ASSERT_TRUE(write_panel_picture(*wm, dialog(), std::string(BRINDLECOT_TEST_OUTPUT) + "/" + name));
    }
    std::string field(short id) {
        CString text;
        dialog()->te(id)->get_text(&text);
        return text.get();
    }

    std::string previous;
    DialogSteps steps;
};
