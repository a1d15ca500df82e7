// The chord-choice dialog worked by injected clicks and typing: root, accidental, type grid,
// bass, name field, beat and offset; confirming, cancelling and the close box. The dialog is
// written to a PNG.
#include "chords/ChordChoice.h"

#include <gtest/gtest.h>

#include <string>

#include "ChordDialogFixture.h"
#include "score/CChord.h"
#include "score/CChordLibrary.h"
#include "score/NoteCodes.h"

namespace {

using ChordChoice = ChordDialogFixture;

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
