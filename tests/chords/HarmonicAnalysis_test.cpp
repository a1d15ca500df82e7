// Harmonic analysis: the neighbour test, counting and applying analyses of a passage, the cap,
// the question asked while a long count runs, and the analysis dialog.
#include "chords/HarmonicAnalysis.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "framework/AppFixture.h"
#include "framework/MessageBoxes.h"
#include "score/CChord.h"
#include "score/CChordProgression.h"

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

}  // namespace
