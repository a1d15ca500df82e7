#include "score/NoteCodes.h"

#include <gtest/gtest.h>

#include "NoteNames.h"
#include "score/Placeholders.h"

namespace {

const short MIDDLE_C = 35 * 256 + 60;

TEST(NoteCodes, MakeNoteKeepsSevenBitsOfEach) {
    EXPECT_EQ(make_note(35, 60), MIDDLE_C);
    EXPECT_EQ(make_note(35 + 128, 60 + 128), MIDDLE_C);
    EXPECT_EQ(make_note(0, 0), 0);
}

TEST(NoteCodes, SpelledNotesTable) {
    struct Case {
        short index, step, pitch;
    } cases[] = {{0, 7, 11}, {1, 0, 0}, {2, 0, 1},  {3, 1, 1},  {6, 2, 3},  {8, 2, 5},
                 {9, 3, 4},  {12, 4, 6}, {15, 5, 8}, {18, 6, 10}, {19, 6, 11}, {20, 6, 12}};
    for (const Case& c : cases) EXPECT_EQ(note_from_define(c.index), make_note(c.step, c.pitch)) << c.index;
    EXPECT_EQ(note_from_define(21), 0);
    EXPECT_EQ(note_from_define(-1), 0);
}

TEST(NoteCodes, ApplyNoteRange) {
    struct Case {
        short code, low, high, expected;
    } cases[] = {
        {MIDDLE_C, 72, 83, (short)(MIDDLE_C + 1804)},   // up one octave
        {MIDDLE_C, 48, 59, (short)(MIDDLE_C - 1804)},   // down one octave
        {MIDDLE_C, 60, 60, MIDDLE_C},                   // already inside
        {MIDDLE_C, 24, 35, (short)(MIDDLE_C - 3 * 1804)},
        {MIDDLE_C, 61, 70, -1},                          // narrower than an octave, no C inside
        {MIDDLE_C, 70, 61, -1},                          // high below low
        {MIDDLE_C, 60 + 128, 71 + 128, MIDDLE_C},        // the bounds keep 7 bits
    };
    for (const Case& c : cases)
        EXPECT_EQ(apply_note_range(c.code, c.low, c.high), c.expected) << c.low << ".." << c.high;
}

// Octave steps that would leave 0..127 end the search instead of running on.
TEST(NoteCodes, ApplyNoteRangeStopsAtTheEndsOfTheMidiRange) {
    short low_c = make_note(0, 0), low_f = make_note(3, 5), high_g = make_note(74, 127);
    EXPECT_EQ(apply_note_range(low_f, 0, 3), -1);     // F0 would go below pitch 0
    EXPECT_EQ(apply_note_range(high_g, 124, 126), -1);  // G9 has no octave in 124..126
    EXPECT_EQ(apply_note_range(make_note(70, 120), 125, 127), -1);
    EXPECT_EQ(apply_note_range(low_c, 0, 0), low_c);
    EXPECT_EQ(apply_note_range(low_c, 120, 127), (short)(low_c + 10 * 1804));
}

class NoteNameTest : public ::testing::Test {
protected:
    NoteNames names;
    CString out;
};

TEST_F(NoteNameTest, Spelling) {
    struct Case {
        short step, pitch;
        const char* name;
        short result;
    } cases[] = {
        {35, 60, "C", 1}, {6, 12, "B#", 1}, {7, 11, "Cb", 1}, {0, 3, "C?", 0},
        {1, 0, "Dbb", 1}, {3, 7, "F##", 1}, {41, 70, "Bb", 1}, {0, 0, "C", 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(note_name(make_note(c.step, c.pitch), &out), c.result) << c.name;
        EXPECT_STREQ(out.get(), c.name);
    }
}

TEST_F(NoteNameTest, ChordNamesFromIntervals) {
    struct Case {
        std::vector<short> intervals;  // after the root
        const char* name;
    } cases[] = {
        {{2 << 8 | 4, 4 << 8 | 7}, "C  "},                       // major triad: two blanks
        {{2 << 8 | 3, 4 << 8 | 7, 6 << 8 | 10}, "C m 7"},       // minor seventh
        {{2 << 8 | 4, 4 << 8 | 7, 6 << 8 | 11}, "C   Maj7"},
        {{3 << 8 | 5, 4 << 8 | 7}, "C sus"},
        {{2 << 8 | 3, 4 << 8 | 6}, "C m b5"},
        {{2 << 8 | 4, 4 << 8 | 7, 6 << 8 | 10, 8 << 8 | 14}, "C   7 9"},
        {{7 << 8 | 12}, "C "},                                    // an unnamed degree adds nothing
    };
    for (const Case& c : cases) {
        CArrayInt intervals;
        intervals.add(make_note(35, 60));
        for (short i : c.intervals) intervals.add(i);
        EXPECT_EQ(chord_to_name(&intervals, make_note(35, 60), -1, &out, 0), 1);
        EXPECT_STREQ(out.get(), c.name);
    }
}

TEST_F(NoteNameTest, ChordNameWithBassAndDictionaryName) {
    CChordLibrary library;
    library.add_chord(12, "dim7");
    chord_library = &library;
    CArrayInt intervals;
    intervals.add(0);
    intervals.add(2 << 8 | 3);
    short a = make_note(40, 69), e = make_note(37, 64);
    chord_to_name(&intervals, a, e, &out, 12);
    EXPECT_STREQ(out.get(), "A dim7/E");
    chord_to_name(&intervals, a, -1, &out, 13);  // not in the dictionary: built from the intervals
    EXPECT_STREQ(out.get(), "A m");
    chord_library = nullptr;
}

}  // namespace
