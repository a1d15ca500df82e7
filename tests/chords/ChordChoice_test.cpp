// The chord-choice dialog worked by injected clicks and typing: root, accidental, type grid,
// bass, name field, beat and offset; confirming, cancelling and the close box. The dialog is
// written to a PNG.
#include "chords/ChordChoice.h"

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
#include "framework/TimerProbe.h"
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

namespace {

class ChordChoice : public AppFixture {
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
        probe = create_probe_window(*wm);
    }
    void TearDown() override {
        g_on_timer = nullptr;
        application->remove_from_idle(&idle);
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
            if (CPanel* p = get_cpan_from_handle(w); p && p->data == chord_library) return (CDialog*)p;
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
    // Runs the steps one after the other, 40 ms of program time apart, so that the input of
    // one is taken before the next. The dialog's loop lets no timer message through to other
    // windows, so the steps run from the idle handlers, which see every message; the probe's
    // timer only makes sure that messages keep coming.
    void script(std::vector<std::function<void()>> steps) {
        pending = std::move(steps);
        next_step = 0;
        next_at = wm->now() + 40;
        idle.event_handler = [](CPanel* panel, Event*) -> short {
            static_cast<IdlePanel*>(panel)->fixture->step();
            return 0;
        };
        idle.fixture = this;
        application->add_to_idle(&idle);
        g_on_timer = [this] { wm->set_timer(probe, 1, 20); };
        wm->set_timer(probe, 1, 20);
    }
    void step() {
        if (next_step >= pending.size() || wm->now() < next_at || !dialog()) return;
        next_at = wm->now() + 40;
        pending[next_step++]();
    }
    struct IdlePanel : CPanel {
        IdlePanel() : CPanel(NO_PARENT) {}
        ChordChoice* fixture = nullptr;
    };
    void snapshot(const std::string& name) {
        CDialog* d = dialog();
        d->update();
        for (short k = 1; k <= d->children.total(); k++) ((CPanel*)d->children.get(k))->update();
        platform::Message m;
        for (int i = 0; i < 200 && wm->peek_message(m, false) && m.kind == platform::MessageKind::Paint; i++) {
            wm->peek_message(m, true);
            wm->dispatch_message(m);
        }
        const platform::Point size = wm->screen_size();
        std::vector<uint32_t> pixels((size_t)size.x * size.y, 0xFF000000u);
        wm->compose({size.x, size.y, size.x * 4, pixels.data()}, {0, 0, size.x, size.y});
        std::filesystem::create_directories(BRINDLECOT_TEST_OUTPUT);
        auto s = platform::Surface::over_pixels(pixels.data(), size.x, size.y, size.x * 4);
        ASSERT_TRUE(s->write_png(std::string(BRINDLECOT_TEST_OUTPUT) + "/" + name));
    }
    std::string field(short id) {
        CString text;
        dialog()->te(id)->get_text(&text);
        return text.get();
    }

    std::string previous;
    platform::WindowId probe = 0;
    IdlePanel idle;
    std::vector<std::function<void()>> pending;
    size_t next_step = 0;
    int64_t next_at = 0;
};

TEST_F(ChordChoice, ClicksBuildTheChordAndConfirmKeepsIt) {
    CChord chord;
    char c[] = "C";
    ASSERT_TRUE(chord.set_chord_name(c));
    short offset = 0;
    std::string seen_name;
    bool scroll_enabled = false;
    short scroll_max = 0;
    script({
        [&] {
            ASSERT_NE(dialog(), nullptr);
            EXPECT_EQ(field(10), "C");
            CScroll* bar = dialog()->scroll(84);
            scroll_enabled = bar->enabled();
            bar->set_value(5);  // kept inside the range
            scroll_max = bar->get_value();
            bar->set_value(0);
            click_column(80, 3, 7);  // F
            click_column(81, 1, 2);  // sharp
            CPanel* grid = dialog()->find_child(83);
            const int32_t w = grid->get_width() / 5, h = grid->get_height() / 8;
            click(83, 2 * w + w / 2, 1 * h + h / 2);  // row 2, column 3: the 8th type
        },
        [&] {
            dialog()->check(5)->set_value(1);  // a bass
            click_column(85, 5, 7);   // A
            dialog()->popup(75)->set_cur(3);
            dialog()->te(71)->set_text("120");
        },
        [&] {
            seen_name = field(10);
            snapshot("chord_choice.png");
            wm->inject_key(platform::KeyReturn, true);  // the default button: OK
        },
    });
    ASSERT_EQ(chord_library->choose_chord(&offset, &chord, 480, 4), 1);
    EXPECT_TRUE(scroll_enabled);  // 45 types: one row more than the eight shown
    EXPECT_EQ(scroll_max, 1);
    EXPECT_EQ(chord.base_note, make_note(3, 6));
    EXPECT_EQ(chord.alt_bass, make_note(5, 9));
    EXPECT_EQ(chord.chord_id, chord_library->get_id(8));
    EXPECT_STREQ(chord_library->get_name_id(chord.chord_id), "m7");
    CString name;
    chord.get_chord_name(&name);
    EXPECT_EQ(seen_name, name.get());
    EXPECT_EQ(std::string(name.get()), std::string("F# ") + chord_library->get_name_id(chord.chord_id) + "/A");
    EXPECT_EQ(offset, 2 * 480 + 120);
}

TEST_F(ChordChoice, TypedNamesPlusAndMinusAndCancelling) {
    CChord chord;
    char c[] = "C";
    ASSERT_TRUE(chord.set_chord_name(c));
    short offset = 9999;
    std::string typed;
    short shown_type = 0;
    script({
        [&] {
            CTextedit* name = dialog()->te(10);
            wm->set_focus(name->hwnd);
            name->select_all();
            wm->inject_text("g+m7");
        },
        [&] {
            typed = field(10);
            shown_type = chord.chord_id;
            wm->inject_text("-");  // "G#m7b": not a chord name, the chord stays
        },
        [&] { wm->inject_key(platform::KeyEscape, true); },  // the cancel button
    });
    EXPECT_EQ(chord_library->choose_chord(&offset, &chord, 480, 4), 0);
    EXPECT_EQ(typed, "g#m7");  // the field keeps what was typed
    EXPECT_EQ(shown_type, 8);  // the dictionary's m7
    EXPECT_STREQ(chord.chord_name.get(), "G#m7");
    EXPECT_GE(offset, 0);  // an offset past the measure is cut to its last tick
    EXPECT_LE(offset, 4 * 480 - 1);
}

TEST_F(ChordChoice, TheCloseBoxCancels) {
    CChord chord;
    short offset = 480;
    script({
        [&] {
            platform::Message m;
            m.window = dialog()->hwnd;
            m.kind = platform::MessageKind::Close;
            wm->post_message(m);
        },
    });
    EXPECT_EQ(chord_library->choose_chord(&offset, &chord, 480, 4), 0);
}

TEST_F(ChordChoice, FortyTypesNeedNoScrolling) {
    CChordLibrary forty;
    for (short i = 1; i <= 40; i++) forty.add_chord(i, std::to_string(i).c_str());
    CChordLibrary* shipped = chord_library;
    chord_library = &forty;
    CChord chord;
    short offset = 0;
    bool enabled = true;
    script({
        [&] {
            enabled = dialog()->scroll(84)->enabled();
            wm->inject_key(platform::KeyEscape, true);
        },
    });
    EXPECT_EQ(forty.choose_chord(&offset, &chord, 480, 4), 0);
    chord_library = shipped;
    EXPECT_FALSE(enabled);
}

}  // namespace
