// Harmonic analysis: the neighbour test, counting and applying analyses of a passage, the cap,
// the question asked while a long count runs, and the analysis dialog worked by a script with
// the chord symbols and chord notes it places.
#include "chords/HarmonicAnalysis.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "ChordDialogFixture.h"
#include "chords/ChordPlacement.h"
#include "editor/View.h"
#include "framework/AppFixture.h"
#include "framework/CSlider.h"
#include "framework/MessageBoxes.h"
#include "score/CChord.h"
#include "score/CChordProgression.h"
#include "score/CMeasure.h"
#include "score/Piste.h"
#include "score/ScoreFixture.h"

namespace {

// A chord of an analysed passage with its candidate names (a leading "!" marks an excluded one).
CChord* analysed(CChordProgression& p, short m, short id, std::vector<std::string> candidates) {
    CChord c;
    c.ana_id = id;
    for (std::string name : candidates) {
        short fact = 1;
        if (name[0] == '!') {
            name.erase(0, 1);
            fact = (short)0x8001;
        }
        c.ana_chord_names.add();
        c.ana_chord_names.get(c.ana_chord_names.total())->set(name.c_str());
        c.ana_chord_fact.add(fact);
    }
    std::string first = candidates[0][0] == '!' ? candidates[0].substr(1) : candidates[0];
    c.set_chord_name(&first[0]);
    return p.get_chord(p.set_chord(m, 0, &c));
}

TEST(HarmonicAnalysis, NeighboursShareNotesAcrossOctaves) {
    CChord a, b;
    struct Case {
        const char* first;
        const char* second;
        short common, result;
    };
    const Case cases[] = {
        {"C", "Am", 2, 1},    // C and E
        {"C", "Am", 3, 0},
        {"C", "F#", 1, 0},    // nothing in common
        {"C", "F#", 0, 1},    // no requirement
        {"C", "Em/G", 2, 1},  // E and G, the bass an octave lower counts too
        {"C", "Fb", 1, 0},    // F flat sounds as E but is another note
    };
    for (const Case& c : cases)
        EXPECT_EQ(tester_enchainement(c.first, c.second, c.common, &a, &b), c.result) << c.first << " " << c.second;
}

TEST(HarmonicAnalysis, CountingAndApplying) {
    CChordProgression p;
    analysed(p, 1, 5, {"C", "Am", "!Em"});
    analysed(p, 2, 5, {"F", "Dm", "F#"});
    analysed(p, 3, 5, {"G", "!Bdim"});
    analysed(p, 4, 6, {"C"});  // another passage
    // Without a common-note requirement: every non-excluded choice (the first chord's
    // excluded candidate ends every path at the second chord).
    EXPECT_EQ(denombrer(&p, 5, 0, 0), 2 * 3 * 1);
    // One common note: C-F, Am-F and Am-Dm follow each other, but only Dm leads on to G.
    EXPECT_EQ(denombrer(&p, 5, 0, 1), 1);
    EXPECT_EQ(denombrer(&p, 7, 0, 0), 0);  // nobody carries that id
    EXPECT_EQ(denombrer(&p, 6, 3, 0), 1);  // one chord: its candidates, nothing applied
    // Goal 4 in depth-first order (c1 slowest): C F G, C Dm G, C F# G, Am F G, ...
    EXPECT_EQ(denombrer(&p, 5, 4, 0), 4);
    EXPECT_STREQ(p.get_chord(1)->chord_name.get(), "Am");
    EXPECT_STREQ(p.get_chord(2)->chord_name.get(), "F");
    EXPECT_EQ(p.get_chord(1)->ana_chord_index, 2);
    EXPECT_EQ(p.get_chord(3)->ana_global_choice, 4);
    // A goal above the count changes nothing.
    EXPECT_EQ(denombrer(&p, 5, 50, 0), 6);
    EXPECT_EQ(p.get_chord(3)->ana_global_choice, 4);
}

TEST(HarmonicAnalysis, TheCountStopsAt999) {
    CChordProgression p;
    for (short m = 1; m <= 4; m++) analysed(p, m, 1, {"C", "D", "E", "F", "G", "A", "B", "Bb"});
    EXPECT_EQ(denombrer(&p, 1, 0, 0), 999);  // 8^4 = 4096 without the cap
    EXPECT_EQ(denombrer(&p, 1, 999, 0), 999);
    EXPECT_EQ(p.get_chord(4)->ana_global_choice, 999);
}

class LongAnalysis : public AppFixture {};

TEST_F(LongAnalysis, TheUserIsAskedEveryTwentySecondsAndMayStop) {
    CChordProgression p;
    // Seven chords whose candidates all share C; the last one shares nothing with them, so
    // that no analysis is ever found and the whole tree is walked.
    for (short m = 1; m <= 7; m++) analysed(p, m, 3, {"C", "Am", "F", "C7", "Am7", "FMaj7"});
    analysed(p, 8, 3, {"F#", "B", "D#m", "G#m"});
    std::vector<std::string> asked;
    set_message_box_responder([&](const MessageBoxRequest& r) -> short {
        asked.push_back(r.text);
        return asked.size() == 1 ? 1 : 0;  // go on once, then stop
    });
    std::atomic<bool> running{true};
    std::thread clock([&] {
        while (running) {
            headless->advance(7000);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
    const short result = denombrer(&p, 3, 0, 1);
    running = false;
    clock.join();
    set_message_box_responder(nullptr);
    EXPECT_EQ(result, ANALYSIS_ABORTED);
    ASSERT_EQ(asked.size(), 2u);
    for (short i = 1; i <= p.total(); i++) {
        EXPECT_EQ(p.get_chord(i)->ana_chord_index, 1);
        EXPECT_EQ(p.get_chord(i)->ana_global_choice, 1);
    }
    EXPECT_STREQ(p.get_chord(8)->chord_name.get(), "F#");
}

// A score of two staves and four measures whose progression holds the analysed passage of
// CountingAndApplying over measures 1 to 3, shown in a view.
class AnalysisDialog : public ChordDialogFixture {
protected:
    void SetUp() override {
        ChordDialogFixture::SetUp();
        score = std::make_unique<ScoreFixture>(2, 4);
        std::snprintf(score->d->ins[1].nom, sizeof score->d->ins[1].nom, "Piano");
        std::snprintf(score->d->ins[2].nom, sizeof score->d->ins[2].nom, "Guitare");
        prog = score->d->sub_doc[score->d->cur_sub_doc].chprog;
        analysed(*prog, 1, 5, {"C", "Am", "!Em"});
        analysed(*prog, 2, 5, {"F", "Dm", "F#"});
        analysed(*prog, 3, 5, {"G", "!Bdim"});
        prog->attach(score->d, &score->d->sub_doc[score->d->cur_sub_doc]);
        view.init_vue();
        view.sub_id = score->d->cur_sub_doc;
    }
    void TearDown() override {
        score.reset();
        ChordDialogFixture::TearDown();
    }
    std::string names() {
        std::string all;
        for (short i = 1; i <= prog->total(); i++) all += std::string(prog->get_chord(i)->chord_name.get()) + " ";
        return all;
    }
    // The offsets of the chord symbols of a measure.
    std::vector<short> symbols(short column, short staff) {
        std::vector<short> offsets;
        CMeasure* m = score->measure(column, staff);
        for (short i = 1; i <= m->total(); i++)
            if (CChordUse* c = m->get_chorduse_item(i)) offsets.push_back(c->offset);
        return offsets;
    }
    // The pitch classes of the notes of a measure of the first staff, sorted.
    std::vector<int> pitch_classes(short column) {
        std::vector<int> pitches;
        CMeasure* m = score->measure(column, 1);
        for (short i = 1; i <= m->total(); i++)
            if (CNote* n = m->get_note_item(i); n && n->pitch) pitches.push_back(n->pitch % 12);
        std::sort(pitches.begin(), pitches.end());
        return pitches;
    }
    std::unique_ptr<ScoreFixture> score;
    CChordProgression* prog = nullptr;
    View view;
};

TEST_F(AnalysisDialog, CountingChoosingAndPlacingOnTheChosenStaves) {
    std::vector<std::string> instruments;
    short shown_count = -1, slider_max = -1, chosen = -1;
    bool slider_off_before = false;
    script({
        [&] {
            CDialog* d = dialog();
            ASSERT_NE(d, nullptr);
            for (short i = 1; i <= d->popup(59)->total(); i++) {
                CString name;
                d->popup(59)->get_item(i, &name);
                instruments.push_back(name.get());
            }
            slider_off_before = !d->slider(64)->enabled();
            d->popup(72)->set_cur(1);  // no common note required
            click(62, 10, 10);         // count
        },
        [&] {
            CDialog* d = dialog();
            shown_count = (short)d->te(63)->get_integer();
            slider_max = d->slider(64)->maximum;
            click(69, 5, 5);  // one analysis further, twice
        },
        [&] { click(69, 5, 5); },
        [&] {
            CDialog* d = dialog();
            chosen = d->slider(64)->get_value();
            d->check(58)->set_value(1);
            d->popup(59)->set_cur(2);  // chord symbols over the guitar
            d->check(60)->set_value(1);
            d->popup(61)->set_cur(1);  // chord notes on the piano
            snapshot("harmonic_analysis.png");
            click(1, 10, 10);  // OK
        },
    });
    prog->modify_analyse(5, &view, nullptr, 0);
    EXPECT_EQ(instruments, (std::vector<std::string>{"Piano", "Guitare"}));
    EXPECT_TRUE(slider_off_before);  // nothing counted yet
    // Without a global key every candidate is allowed again: 3 x 3 x 2 analyses.
    EXPECT_EQ(shown_count, 18);
    EXPECT_EQ(slider_max, 18);
    EXPECT_EQ(chosen, 3);
    // Analysis 3 in depth-first order: C F G, C F Bdim, C Dm G.
    EXPECT_EQ(names(), "C Dm G ");
    Sub_document& extract = score->d->sub_doc[score->d->cur_sub_doc];
    EXPECT_EQ(extract.acc_por_symboles, 2);
    EXPECT_EQ(extract.acc_por_notes, 1);
    // A symbol at the start of each measure of the passage on the guitar staff, nowhere else.
    for (short m = 1; m <= 4; m++) {
        EXPECT_EQ(symbols(m, 2), m <= 3 ? std::vector<short>{0} : std::vector<short>{}) << m;
        EXPECT_TRUE(symbols(m, 1).empty()) << m;
    }
    // The piano's measures hold each chord's notes, transcribed; the selection is given back
    // empty.
    EXPECT_EQ(pitch_classes(1), (std::vector<int>{0, 4, 7}));   // C E G
    EXPECT_EQ(pitch_classes(2), (std::vector<int>{2, 5, 9}));   // D F A
    EXPECT_EQ(pitch_classes(3), (std::vector<int>{2, 7, 11}));  // G B D
    EXPECT_TRUE(pitch_classes(4).empty());
    EXPECT_TRUE(view.selection_vide());
    EXPECT_EQ(score->d->modif, 1);
}

TEST_F(AnalysisDialog, CancellingChangesNothing) {
    const std::string before = names();
    script({
        [&] {
            dialog()->popup(4)->set_cur(1);
            dialog()->check(58)->set_value(1);
        },
        [&] { click(2, 10, 10); },  // Cancel
    });
    prog->modify_analyse(5, &view, nullptr, 0);
    EXPECT_EQ(names(), before);
    EXPECT_EQ(score->d->sub_doc[score->d->cur_sub_doc].acc_por_symboles, 0);
    for (short m = 1; m <= 4; m++) EXPECT_TRUE(symbols(m, 2).empty());
}

// Placing twice leaves one symbol per chord; placing notes again replaces the notes.
TEST_F(AnalysisDialog, PlacingAgainAddsNothing) {
    view.selectionner(1, 4, 1, 1);
    EXPECT_EQ(menu_chord_place(&view, nullptr), 3);
    EXPECT_EQ(menu_chord_place(&view, nullptr), 0);
    EXPECT_EQ(menu_chord_notes(&view, 0, nullptr), 3);
    const std::vector<int> first = pitch_classes(1);
    EXPECT_EQ(first, (std::vector<int>{0, 4, 7}));
    EXPECT_EQ(menu_chord_notes(&view, 0, nullptr), 3);
    EXPECT_EQ(pitch_classes(1), first);
    view.selectionner(0, 0, 0, 0);
    EXPECT_EQ(menu_chord_place(&view, nullptr), 0);  // no selection, nothing placed
}

}  // namespace
