// The editor's block commands over a selection: transposing with the interval dialog (and its
// cancel), transcribing staves with the hand split, regenerating tracks and clearing notation.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/View.h"
#include "framework/CString.h"
#include "framework/CApplication.h"
#include "framework/CResFile.h"
#include "framework/Dial_res.h"
#include "midi/BlockCommands.h"
#include "score/CChord.h"
#include "score/CChordProgression.h"
#include "TranscriptionFixture.h"
#include "TrackNotes.h"

namespace {

using Lines = std::vector<std::string>;

View selection(short first_m, short last_m, short first_p, short last_p) {
    View v;
    v.init_vue();
    v.sub_id = doc->cur_sub_doc;
    v.selectionner(first_m, last_m, first_p, last_p);
    return v;
}

// What the stand-in dialog does: types an interval and answers.
short typed_answer = 0;
short stub_dialog(Document* d) {
    d->valeur_intervalle = 2;
    d->type_intervalle = 4;
    d->sens_intervalle = 1;
    d->octave_intervalle = 6;  // the dialog's octave count holds 6 more
    return typed_answer;
}

struct DialogStub {
    DialogStub(short answer) {
        typed_answer = answer;
        saved = dialogue_transposition;
        dialogue_transposition = stub_dialog;
    }
    ~DialogStub() { dialogue_transposition = saved; }
    short (*saved)(Document*);
};

TEST(BlockCommands, CancellingTheTranspositionDialogChangesNothingAndKeepsTheInterval) {
    PlayedScore score(1, 1);
    CNote* n = score.note(1, 1, 20);
    score.d->valeur_intervalle = 5;
    score.d->type_intervalle = 5;
    score.d->sens_intervalle = 2;
    score.d->octave_intervalle = 1;
    View v = selection(1, 1, 1, 1);
    DialogStub stub(0);
    transposer_proc(&v, nullptr);
    EXPECT_EQ(n->y, 20);
    EXPECT_EQ(n->pitch, 67);
    EXPECT_EQ(score.d->valeur_intervalle, 5);
    EXPECT_EQ(score.d->type_intervalle, 5);
    EXPECT_EQ(score.d->sens_intervalle, 2);
    EXPECT_EQ(score.d->octave_intervalle, 1);
}

TEST(BlockCommands, TransposingTwoStavesMovesEachColumnsChordsOnce) {
    PlayedScore score(2, 4);
    for (short m = 1; m <= 4; m++)
        for (short p = 1; p <= 2; p++) score.note(m, p, 20, 1);
    CChordProgression* prog = score.d->sub_doc[score.d->cur_sub_doc].chprog;
    for (short m = 1; m <= 4; m++) {
        CChord c;
        char name[] = "C";
        c.set_chord_name(name);
        prog->set_chord(m, 0, &c);
    }
    // The chord as transposed once by a major second.
    CChord* once = prog->get_chord(1)->duplicate();
    once->transpose(1, 2);
    short before = prog->get_chord(1)->tonic;
    ASSERT_NE(once->tonic, before);
    View v = selection(1, 4, 1, 2);
    DialogStub stub(1);
    transposer_proc(&v, nullptr);
    EXPECT_EQ(score.d->octave_intervalle, 0) << "back in its stored range";
    ASSERT_EQ(prog->total(), 4);
    for (short i = 1; i <= prog->total(); i++) EXPECT_EQ(prog->get_chord(i)->tonic, once->tonic) << "chord " << i;
    delete once;
    for (short m = 1; m <= 4; m++)
        for (short p = 1; p <= 2; p++) {
            CNote* n = score.measure(m, p)->get_note_item(1);
            EXPECT_EQ(n->y, 17);
            EXPECT_EQ(n->pitch, 69);
        }
    EXPECT_EQ(score.d->modif, 1);
    EXPECT_EQ(score.d->flag_maj & 0x17, 0x17);
}

TEST(BlockCommands, TranscribingWithTheUpperSplitCleansTheStaffAboveToo) {
    // Staff 2 is played with both hands; its high notes go to staff 1.
    PlayedScore score(3, 2);
    score.d->split_sup = 1;
    score.d->split_freq_sup = 72;
    score.play(2, 0, 1920, 76);
    score.play(2, 1920, 3840, 60);
    score.play(1, 0, 960, 79);  // staff 1's own notes in the same columns
    char tempo[4] = {1, 0, 120, 0};
    score.d->piste[2] = inserer_dans_piste(0, 4, tempo, score.d->piste[2]);
    score.relate();
    View v = selection(1, 2, 2, 2);
    transcrire_proc(&v, nullptr);
    EXPECT_EQ(score.items(1, 1), (Lines{"N76 w 0+1920"}));
    EXPECT_EQ(score.items(2, 2), (Lines{"N60 w 0+1920"}));
    // The note events have left the tracks of the transcribed staves and of the staff above; the
    // tempo event stays.
    EXPECT_TRUE(notes_of(score.d).empty());
    EXPECT_EQ(score.d->piste[2]->tot, 1);
    EXPECT_EQ(score.d->modif, 1);
}

TEST(BlockCommands, TranscribingAStaffReadsItsNotationBackThroughItsTrack) {
    PlayedScore score(1, 2);
    score.note(1, 1, 20, 2);
    score.note(1, 1, 17, 2);
    score.note(2, 1, 14, 1);
    View v = selection(1, 2, 1, 1);
    transcrire_proc(&v, nullptr);
    EXPECT_EQ(score.items(1, 1), (Lines{"N67 h 0+960", "N69 h 960+960"}));
    EXPECT_EQ(score.items(2, 1), (Lines{"N71 w 0+1920"}));
    EXPECT_EQ(score.d->piste[1]->tot, 0);
}

TEST(BlockCommands, RegeneratingTracksKeepsOrClearsTheNotation) {
    for (short del = 0; del <= 1; del++) {
        PlayedScore score(1, 2);
        score.note(1, 1, 20, 2);
        score.lyric(1, 1, score.note(1, 1, 17, 2), "la");
        score.rest(2, 1, 1);
        score.triplet(2, 1, {14, 17, 20});  // beyond the measure: still notation to clear
        View v = selection(1, 2, 1, 1);
        detranscrire_proc(&v, nullptr, del);
        std::vector<TrackNote> notes = notes_of(score.d);
        ASSERT_EQ(notes.size(), 5u) << "del " << del;
        auto sounds = [&](int pitch, int32_t start) {
            for (const TrackNote& n : notes)
                if (std::get<2>(n) == pitch && std::get<3>(n) == start) return true;
            return false;
        };
        EXPECT_TRUE(sounds(67, 0));
        EXPECT_TRUE(sounds(69, 960));
        EXPECT_TRUE(sounds(71, 3840));
        if (del) {
            EXPECT_EQ(score.measure(1, 1)->total(), 0);
            EXPECT_EQ(score.measure(2, 1)->total(), 0);
        } else {
            EXPECT_EQ(score.items(1, 1).size(), 3u);
        }
    }
}

TEST(BlockCommands, JustifyingOneStaffLeavesTheOthersWhereTheyAre) {
    for (short together = 0; together <= 1; together++) {
        PlayedScore score(4, 1);
        for (short p = 1; p <= 4; p++)
            for (short k = 0; k < 4; k++) score.note(1, p, 20, 3)->x = (short)(20 + 2 * k);  // crowded
        std::vector<short> before;
        for (short p = 1; p <= 4; p++) before.push_back(score.measure(1, p)->get_note_item(2)->x);
        View v = together ? selection(1, 1, 2, 4) : selection(1, 1, 3, 3);
        justifier_proc(&v, nullptr);
        auto moved = [&](short p) { return score.measure(1, p)->get_note_item(2)->x != before[(size_t)p - 1]; };
        EXPECT_TRUE(moved(3)) << "together " << together;
        EXPECT_EQ(moved(2), together == 1);
        EXPECT_EQ(score.d->flag_maj & 0x17, 0x17);
    }
}

TEST(BlockCommands, TheTranspositionDialogOpensWithItsBoundFields) {
    // The program's resource file as the build compiles it.
    std::string misc = std::string(BRINDLECOT_BUILD_DATA) + "/misc";
    Dial_res dialogs;
    short ok = 0, cancel = 0, valeur = 3, type = 4, sens = 2, octave = 7;
    void* table[7] = {&ok, &cancel, &valeur, &type, &sens, &octave, nullptr};
    ASSERT_EQ(dialogs.ouvrir(misc.c_str(), "MUSIC.RES", 105, table, 0), 1);
    EXPECT_EQ(valeur, 3);
    EXPECT_EQ(octave, 7);
    EXPECT_EQ(dialogs.fermer(105), 1);
    CString s;
    EXPECT_EQ(gr_string(misc.c_str(), "MUSIC.RES", 66, 17, &s), 1);
    EXPECT_STREQ(s.get(), "Transcription");
    EXPECT_EQ(gr_string(misc.c_str(), "MUSIC.RES", 65, 30, &s), 1);
    EXPECT_STREQ(s.get(), "Justification des mesures en cours");
}

}  // namespace
