// The play-parameters dialog of a note worked by injected clicks: it shows the note's played
// velocity, length and start (in percent of the written value) and its stem and beam flags;
// moving a slider ticks its box, an emptied slider unticks it; OK stores what is shown, every
// way out other than OK leaves the note as it was. The dialog is written to a PNG.
#include <gtest/gtest.h>

#include "DialogScript.h"
#include "editor/EditorServices.h"
#include "editor/NoteRestMenus.h"
#include "framework/CButton.h"
#include "framework/CSlider.h"
#include "layout/StructureEditing.h"
#include "midi/ClickPlayback.h"
#include "midi/PlayRecordManager.h"
#include "score/CNote.h"
#include "score/MusicClasses.h"

namespace {

class PlayParametersDialog : public DialogScript {
public:
    std::string folder_prefix() const override { return "play-parameters"; }
    void SetUp() override {
        DialogScript::SetUp();
        note.start = 240;
        note.length = 480;
        note.velocity = 90;
        note.rec_vel = 100;
        note.rec_length = 240;
        note.flags = 0x80 | 0x40 | 0x01;  // beam cut by hand, stem kept, tied on
    }

    CDialog* dialog() { return find_dialog(4, 8, 10); }
    // The dialog on `note`, worked by the steps; what it returned.
    short run(std::vector<Steps> groups) {
        short result = -1;
        DialogScript::run(std::move(groups), [this] { return dialog() != nullptr; },
                          [&] { result = edit_play_parameters(&note); });
        return result;
    }
    void click_at(CPanel* p, double fraction) { click(p, (int32_t)(p->get_width() * fraction)); }
    void shift_click(CPanel* p) {
        wm->inject_key(platform::KeyShift, true);
        click(p);
        wm->inject_key(platform::KeyShift, false);
    }
    void ok() { click(dialog()->button(1)); }

    CNote note;
};

// What the dialog shows of a note.
struct Shown {
    short velocity, velocity_set, length_set, length, start_set, start, stem, beam;
    bool operator==(const Shown& o) const {
        return velocity == o.velocity && velocity_set == o.velocity_set && length_set == o.length_set &&
               length == o.length && start_set == o.start_set && start == o.start && stem == o.stem && beam == o.beam;
    }
};
std::ostream& operator<<(std::ostream& os, const Shown& s) {
    return os << "velocity " << s.velocity << "/" << s.velocity_set << " length " << s.length << "/" << s.length_set
              << " start " << s.start << "/" << s.start_set << " stem " << s.stem << " beam " << s.beam;
}
Shown shown_by(CDialog* d) {
    return {d->slider(4)->get_value(), d->check(5)->get_value(), d->check(6)->get_value(),
            d->slider(8)->get_value(),  d->check(7)->get_value(), d->slider(10)->get_value(),
            d->check(12)->get_value(),  d->radio(14)->get_group_value()};
}

}  // namespace

TEST_F(PlayParametersDialog, ShowsTheNoteAndStoresWhatTheUserConfirms) {
    Shown at_open{}, after{};
    short start_percent = 0;
    const short result = run({{[&] {
                                   at_open = shown_by(dialog());
                                   snapshot(dialog(), "play_parameters.png");
                                   click_at(dialog()->slider(10), 0.8);  // a later start
                               },
                               [&] { click(dialog()->check(6)); },    // the written length again
                               [&] { click(dialog()->radio(16)); },   // always beamed
                               [&] { click(dialog()->check(12)); },   // the stem free
                               [&] {
                                   after = shown_by(dialog());
                                   start_percent = dialog()->slider(10)->get_value();
                                   ok();
                               }}});
    EXPECT_EQ(at_open, (Shown{100, 1, 1, 50, 0, 0, 1, 2}));
    EXPECT_GT(start_percent, 0);
    EXPECT_EQ(after, (Shown{100, 1, 0, 50, 1, start_percent, 0, 3})) << "moving slider 10 ticked box 7";
    EXPECT_EQ(result, 1);
    EXPECT_EQ(note.rec_vel, 100);
    EXPECT_EQ(note.velocity, 100);
    EXPECT_EQ(note.rec_length, 32000);
    EXPECT_EQ(note.rec_start, start_percent * 480 / 100 + 240);
    EXPECT_EQ(note.flags, 0x20 | 0x01) << "the tie is kept";
}

// Every way out but OK leaves the note untouched, whatever was changed in the dialog.
TEST_F(PlayParametersDialog, AnythingButOkLeavesTheNoteAsItWas) {
    struct Case {
        const char* what;
        std::function<void(PlayParametersDialog*)> leave;
    } cases[] = {
        {"Annuler", [](PlayParametersDialog* f) { f->click(f->dialog()->button(2)); }},
        {"Escape", [](PlayParametersDialog* f) { f->escape(); }},
        {"closed", [](PlayParametersDialog* f) { f->dialog()->close(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CNote before = note;
        const short result = run({{[&] { click_at(dialog()->slider(4), 0.2); },
                                   [&] { click(dialog()->check(12)); },
                                   [&] { click(dialog()->radio(14)); },
                                   [&] { c.leave(this); }}});
        EXPECT_EQ(result, 0);
        EXPECT_EQ(note.rec_vel, before.rec_vel);
        EXPECT_EQ(note.velocity, before.velocity);
        EXPECT_EQ(note.rec_length, before.rec_length);
        EXPECT_EQ(note.rec_start, before.rec_start);
        EXPECT_EQ(note.flags, before.flags);
    }
}

// A note of no length shows the neutral shares and stores no tick from a division; a slider
// emptied with Shift unticks its box, and the value counts as not set.
TEST_F(PlayParametersDialog, ANoteWithoutLengthAndAnEmptiedSlider) {
    note.length = 0;
    note.rec_start = 300;
    Shown at_open{};
    short box_after_shift = -1;
    const short result = run({{[&] {
                                   at_open = shown_by(dialog());
                                   shift_click(dialog()->slider(4));
                               },
                               [&] {
                                   box_after_shift = dialog()->check(5)->get_value();
                                   ok();
                               }}});
    EXPECT_EQ(at_open, (Shown{100, 1, 1, 100, 1, 0, 1, 2}));
    EXPECT_EQ(box_after_shift, 0);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(note.rec_vel, -1);
    EXPECT_EQ(note.velocity, 90);
    EXPECT_EQ(note.rec_length, 0) << "100 % of nothing";
    EXPECT_EQ(note.rec_start, 240) << "the written start";
}

// The notes' context menu reaches this dialog once the player is installed.
TEST(PlayParametersMenu, TheNoteMenuOpensThisDialog) {
    const NoteMenuHooks saved = note_menu_hooks;
    const PlayRecordHooks saved_player = play_record_hooks;
    const EditeurHooks saved_editor = editeur_hooks;
    const StructureEditingHooks saved_structure = structure_editing_hooks;
    install_play_record_manager();
    EXPECT_EQ(note_menu_hooks.edit_play_parameters, &edit_play_parameters);
    note_menu_hooks = saved;
    play_record_hooks = saved_player;
    editeur_hooks = saved_editor;
    structure_editing_hooks = saved_structure;
}

// Shares far beyond the written value stay inside 16 bits and away from the "not set" mark.
TEST(PlayParametersValues, LongNotesAndLargeSharesStayInRange) {
    CNote n;
    n.start = 0;
    n.length = 11520;  // a dotted breve
    PlayParameters p;
    p.length_set = p.start_set = 1;
    p.length = 400;
    p.start = 100;
    store_play_parameters(p, &n);
    EXPECT_EQ(n.rec_length, 31999);
    EXPECT_EQ(n.rec_start, 11520);
    n.length = 1;
    n.rec_length = 31000;
    EXPECT_EQ(play_parameters_of(&n).length, 31999) << "shown as the most a short holds, not wrapped";
}
