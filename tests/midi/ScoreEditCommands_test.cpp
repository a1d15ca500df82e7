// The editing menu's commands on a score editor: each acts on the editor's selection (or on the
// whole score when the command runs over blocks and nothing is selected), each change is one
// undo level of the extract that gives the score back, and a recorded take is transcribed as the
// end of a recording asks.
#include "midi/ScoreEditCommands.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "editor/Editeur.h"
#include "framework/CUndoManager.h"
#include "layout/ScoreUndo.h"
#include "layout/UndoRecording.h"
#include "midi/BlockCommands.h"
#include "TranscriptionFixture.h"
#include "TrackNotes.h"

namespace {

using Lines = std::vector<std::string>;

short interval_dialog(Document* d) {
    d->valeur_intervalle = 2;  // a major second up
    d->type_intervalle = 4;
    d->sens_intervalle = 1;
    d->octave_intervalle = 6;  // the dialog's octave count holds 6 more
    return 1;
}

struct Editor {
    Editor() {
        e.init_vue();
        e.typ = 1;
        e.sub_id = doc->cur_sub_doc;
    }
    Editeur e;
};

struct Case {
    const char* name;
    int32_t command;
    std::vector<short> selection;  // first column, last column, first staff, last staff; empty none
    short opid;                    // the undo level opened; 0 none
    std::function<void(PlayedScore&, Editeur&)> check;
};

// Two staves of three columns: staff 1 holds a half note in column 1 and its track plays
// pitch 64 through column 2; staff 2 holds a quarter note in column 3.
TEST(ScoreEditCommands, EachCommandActsOnTheSelectionAsOneUndoLevel) {
    UndoRecording recording;
    auto saved_dialog = dialogue_transposition;
    dialogue_transposition = interval_dialog;
    const Case cases[] = {
        {"copy then paste at the current measure", CMD_COPIER_MESURES, {1, 1, 1, 1}, 0,
         [](PlayedScore& s, Editeur& e) {
             (void)e;
             EXPECT_EQ(sm.w, 1);
             Editor ed;
             s.d->cur_mes = 3;
             commande_edition(&ed.e, CMD_COLLER_MESURES);
             // The block brings its clef along.
             EXPECT_EQ(s.items(3, 1), (Lines{"N67 h 0+960", "C1"}));
             EXPECT_EQ(s.d->sub_doc[1].undo->get(s.d->sub_doc[1].undo->level)->opid, 0x43);
         }},
        {"erase", CMD_EFFACER_MESURES, {1, 1, 1, 2}, 0x45,
         [](PlayedScore& s, Editeur& e) {
             EXPECT_TRUE(s.items(1, 1).empty());
             EXPECT_TRUE(e.selection_vide());
             // The track's note of column 2 stays.
             ASSERT_EQ(notes_of(s.d).size(), 1u);
             EXPECT_EQ(std::get<3>(notes_of(s.d)[0]), 1920);
         }},
        {"transpose the whole score when nothing is selected", CMD_TRANSPOSER, {}, UNDO_OP_TRANSPOSER,
         [](PlayedScore& s, Editeur& e) {
             EXPECT_EQ(s.measure(1, 1)->get_note_item(1)->pitch, 69);
             EXPECT_EQ(s.measure(3, 2)->get_note_item(1)->pitch, 66);
             EXPECT_TRUE(e.selection_vide());
         }},
        {"transcribe the selected staff", CMD_TRANSCRIRE, {2, 2, 1, 1}, UNDO_OP_TRANSCRIRE,
         [](PlayedScore& s, Editeur&) { EXPECT_EQ(s.items(2, 1), (Lines{"N64 w 0+1920"})); }},
        {"regenerate the tracks", CMD_REGENERER_PISTES, {1, 3, 1, 2}, UNDO_OP_REGENERER,
         [](PlayedScore& s, Editeur& e) {
             (void)e;
             bool half = false;
             for (const TrackNote& n : notes_of(s.d)) half = half || (std::get<2>(n) == 67 && std::get<3>(n) == 0);
             EXPECT_TRUE(half);
         }},
        {"justify", CMD_JUSTIFIER, {1, 3, 1, 2}, UNDO_OP_JUSTIFIER,
         [](PlayedScore& s, Editeur&) { EXPECT_EQ(s.d->flag_maj & 0x17, 0x17); }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        PlayedScore s(2, 3);
        s.note(1, 1, 20, 2);  // G, a half note
        s.note(3, 2, 26, 3);  // E, a quarter
        s.play(1, 1920, 3840, 64);
        s.relate();
        CUndoManager* undo = s.d->sub_doc[1].undo;
        const short levels = undo->total();
        Editor ed;
        if (!k.selection.empty())
            ed.e.selectionner(k.selection[0], k.selection[1], k.selection[2], k.selection[3]);
        EXPECT_EQ(commande_edition(&ed.e, k.command), 1);
        if (k.opid) {
            ASSERT_EQ(undo->total(), levels + 1);
            EXPECT_EQ(undo->get(undo->level)->opid, k.opid);
        }
        k.check(s, ed.e);
        if (k.opid) {
            ASSERT_EQ(annuler_niveau(undo), 1);
            EXPECT_EQ(s.items(1, 1), (Lines{"N67 h 0+960"}));
        }
    }
    dialogue_transposition = saved_dialog;
    EXPECT_EQ(commande_edition(nullptr, CMD_COPIER_MESURES), 1);
    EXPECT_EQ(commande_edition(nullptr, 109), 0);
}

// The end of a recording transcribes the recorded columns (cut at the score's end), takes their
// note events out of the track, asks the views to lay out again, and one undo gives the take
// back as it was played.
TEST(ScoreEditCommands, ARecordedTakeIsTranscribedAndUndoneAsOne) {
    UndoRecording recording;
    PlayedScore s(1, 2);
    s.d->auto_justi = 1;
    s.play(1, 0, 960, 60);
    s.play(1, 960, 1920, 62);
    s.play(1, 1920, 3840, 64);
    char tempo[4] = {1, 0, 100, 0};
    s.d->piste[1] = inserer_dans_piste(0, 4, tempo, s.d->piste[1]);
    s.relate();
    s.d->flag_maj = 0;
    CUndoManager* undo = s.d->sub_doc[1].undo;
    undo->new_level(0x58, 3);
    undo->add_obj((void**)&s.d->piste[1], 6, 0, 0);
    transcrire_enregistrement(1, 1, 9, undo);
    EXPECT_EQ(s.items(1, 1), (Lines{"N60 h 0+960", "N62 h 960+960"}));
    EXPECT_EQ(s.items(2, 1), (Lines{"N64 w 0+1920"}));
    EXPECT_TRUE(notes_of(s.d).empty());
    EXPECT_EQ(s.d->piste[1]->tot, 1);  // the tempo stays
    EXPECT_EQ(s.d->flag_maj & 0x11, 0x11);
    EXPECT_EQ(s.d->modif, 1);
    ASSERT_EQ(annuler_niveau(undo), 1);
    EXPECT_TRUE(s.items(1, 1).empty());
    EXPECT_EQ(notes_of(s.d).size(), 3u);
}

}  // namespace
