// The chord proposals: the marks that the grid shows for the melody of one measure.
#include "chords/ChordProposals.h"

#include <gtest/gtest.h>

#include "chords/HarmonyGrid.h"

namespace {

constexpr uint16_t bits(std::initializer_list<int> classes)
{
    uint16_t b = 0;
    for (int c : classes) b |= (uint16_t)(1 << c);
    return b;
}

constexpr uint16_t kCMajor = bits({0, 4, 7});
constexpr uint16_t kGMajor = bits({7, 11, 2});
constexpr uint16_t kDMinor = bits({2, 5, 9});

struct MarkCase {
    const char* what;
    std::vector<std::pair<short, short>> notes;  // pitch, value code
    uint16_t chord;
    short key;
    short mark;
};

class ProposalMarks : public ::testing::TestWithParam<MarkCase> {};

TEST_P(ProposalMarks, FollowTheMelodysPitchesAgainstTheChordAndTheKey)
{
    const MarkCase& c = GetParam();
    EXPECT_EQ(proposal_mark(pitch_shares(c.notes), c.chord, c.key), c.mark) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ProposalMarks,
    ::testing::Values(
        // good 150 a pitch, bad 0.
        MarkCase{"C E G on the C chord in key 0", {{60, 3}, {64, 3}, {67, 3}}, kCMajor, 0, 100},
        // good 50, bad 100: q = 33.
        MarkCase{"a single C on a chord without C", {{60, 1}}, kGMajor, 0, kNoMark},
        // q = 150 / 150 for C, and for D: good 50 bad 100 -> good 200, bad 100: q 66 -> 32.
        MarkCase{"C and D on the C chord", {{60, 3}, {62, 3}}, kCMajor, 0, 32},
        // F sharp lies outside key 0: bad 100 + 200 for it against C's 150 good: q 33.
        MarkCase{"C and F sharp on the C chord", {{60, 3}, {66, 3}}, kCMajor, 0, kNoMark},
        MarkCase{"G and B in key 1 on the G chord", {{67, 3}, {71, 3}}, kGMajor, 1, 100},
        MarkCase{"no notes", {}, kCMajor, 0, kNoMark},
        // Seven sharps hold B sharp (pitch class 0) but neither E nor G: good 350, bad 400.
        MarkCase{"a key of twelve sharps counts as seven", {{60, 3}, {64, 3}, {67, 3}}, kCMajor, 12, kNoMark},
        MarkCase{"D F A on D minor", {{62, 2}, {65, 3}, {69, 3}}, kDMinor, 0, 100}));

// Two octaves of one pitch class count twice; two notes of one pitch count once.
TEST(ProposalMarksCount, AnOctaveCountsTwiceAndARepeatedPitchOnce)
{
    // C and D: 32 (above). C, C an octave up and D: good 350, bad 100 -> q 77 -> 54.
    EXPECT_EQ(proposal_mark(pitch_shares({{60, 3}, {72, 3}, {62, 3}}), kCMajor, 0), 54);
    // C twice at one pitch and D: the same as C and D.
    EXPECT_EQ(proposal_mark(pitch_shares({{60, 3}, {60, 3}, {62, 3}}), kCMajor, 0), 32);
}

TEST(ProposalMarksCount, APitchBelowOnePercentOfTheMeasureChangesNothing)
{
    // A breve (7680) of C and a 128th (30) of F sharp: F sharp's share is 0.39 %, left out.
    const PitchShares s = pitch_shares({{60, 0}, {66, 8}});
    EXPECT_EQ(s[66], 0);
    EXPECT_EQ(s[60], 99);
    EXPECT_EQ(proposal_mark(s, kCMajor, 0), 100);
    // With F sharp as a quarter it counts and pulls the mark down.
    EXPECT_EQ(proposal_mark(pitch_shares({{60, 0}, {66, 3}}), kCMajor, 0), kNoMark);
}

TEST(ProposalMarksCount, SharesAreWholePercentsOfTheNotesPlainValues)
{
    const PitchShares s = pitch_shares({{60, 2}, {64, 3}, {67, 3}, {200, 3}, {-1, 3}});
    EXPECT_EQ(s[60], 50);
    EXPECT_EQ(s[64], 25);
    EXPECT_EQ(s[67], 25);
}

TEST(ProposalMarksGrid, EveryCellGetsItsChordsMarkInItsKey)
{
    HarmonyGrid g;
    g.nwch = 3;
    g.nhch = 1;
    g.names = {"C", "G", "Dm"};
    g.keys = {0, 0, 0};
    const auto classes = [](const std::string& n) -> uint16_t {
        return n == "C" ? kCMajor : n == "G" ? kGMajor : kDMinor;
    };
    const std::vector<short> marks = proposal_marks(g, pitch_shares({{60, 3}, {64, 3}, {67, 3}}), classes);
    ASSERT_EQ(marks.size(), 3u);
    EXPECT_EQ(marks[0], 100);
    // G: C and E foreign (bad 200), all three in the scale (good 150) plus G (100): q 250/450 -> 10.
    EXPECT_EQ(marks[1], 10);
    // D minor holds none: good 150, bad 300.
    EXPECT_EQ(marks[2], kNoMark);
}

}  // namespace
