// The assistant's measure commands on chord blocks: a chord held longer pushes the later
// chords on, and the transposition dialog's interval in steps and semitones.
#include "app/ChordBlockCommands.h"

#include <gtest/gtest.h>

namespace {

TEST(HoldChord, LaterChordsMoveOnAndThoseAtTheEndAreDropped)
{
    const std::vector<std::string> chords = {"", "C", "F", "G", "", "Am", "Dm"};
    struct Row {
        short current, n;
        std::vector<std::string> expected;
    };
    for (const Row& r : {Row{2, 1, {"", "C", "F", "", "G", "", "Am"}},
                         Row{2, 2, {"", "C", "F", "", "", "G", ""}},
                         Row{1, 3, {"", "C", "", "", "", "F", "G"}},
                         Row{5, 1, {"", "C", "F", "G", "", "Am", ""}},
                         Row{6, 4, chords},
                         Row{2, 0, chords},
                         Row{2, 9, {"", "C", "F", "", "", "", ""}}})
        EXPECT_EQ(hold_chord(chords, r.current, r.n), r.expected) << r.current << " " << r.n;
}

TEST(TranspositionInterval, ValueTypeOctavesAndDirection)
{
    struct Row {
        IntervalChoice interval;
        short steps, semitones;
    };
    for (const Row& r : {Row{{1, 1, 0, 1}, 0, 0},     // unison
                         Row{{2, 1, 0, 1}, 1, 2},     // major second
                         Row{{2, 3, 0, 1}, 1, 1},     // minor second
                         Row{{3, 3, 0, 1}, 2, 3},     // minor third
                         Row{{3, 2, 0, 1}, 2, 2},     // diminished third
                         Row{{4, 2, 0, 1}, 3, 4},     // diminished fourth
                         Row{{4, 6, 0, 1}, 3, 6},     // augmented fourth
                         Row{{5, 1, 0, 2}, -4, -7},   // a fifth down
                         Row{{5, 3, 0, 1}, 4, 7},     // a fifth has no minor form
                         Row{{7, 3, 0, 1}, 6, 10},    // minor seventh
                         Row{{8, 1, 1, 1}, 14, 24},   // two octaves
                         Row{{6, 3, 1, 2}, -12, -20}}) {
        const Transposition t = transposition_of(r.interval);
        EXPECT_EQ(t.steps, r.steps) << r.interval.value << "/" << r.interval.type;
        EXPECT_EQ(t.semitones, r.semitones) << r.interval.value << "/" << r.interval.type;
    }
}

}  // namespace
