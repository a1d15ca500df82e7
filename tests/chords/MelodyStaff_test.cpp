// The draft zone's melody and cursor, the notes a melody staff shows, and the value of a note
// sent into the score from the tool of the moment.
#include "chords/MelodyStaff.h"

#include <gtest/gtest.h>

#include "chords/ScaleStaff.h"
#include "score/ToolNumbers.h"

namespace {

TEST(DraftZone, InsertingPutsTheElementAtTheCursorAndMovesPastIt)
{
    DraftZone d;
    d.insert(60, 3);
    EXPECT_EQ(d.pitches, (std::vector<short>{60}));
    EXPECT_EQ(d.position(), 1);
    d.insert(kDraftRest, 4);
    ASSERT_TRUE(d.left());
    d.insert(64, 103);  // between the two
    EXPECT_EQ(d.pitches, (std::vector<short>{60, 64, kDraftRest}));
    EXPECT_EQ(d.rhythms, (std::vector<short>{3, 103, 4}));
    EXPECT_EQ(d.position(), 2);
}

TEST(DraftZone, The38thInsertionScrolls)
{
    DraftZone d;
    for (short i = 0; i < 37; i++) d.insert((short)(60 + i % 12), 3);
    EXPECT_EQ(d.indicx, 37);
    EXPECT_EQ(d.offset, 0);
    d.insert(72, 3);
    EXPECT_EQ(d.indicx, 37);
    EXPECT_EQ(d.offset, 1);
    EXPECT_EQ(d.size(), 38);
    EXPECT_EQ(d.pitches.back(), 72);
}

TEST(DraftZone, BackspaceRemovesTheElementBeforeTheCursorAndNothingAtTheStart)
{
    DraftZone d;
    EXPECT_FALSE(d.backspace());
    d.insert(60, 3);
    d.insert(62, 3);
    d.insert(64, 3);
    ASSERT_TRUE(d.left());
    ASSERT_TRUE(d.backspace());
    EXPECT_EQ(d.pitches, (std::vector<short>{60, 64}));
    EXPECT_EQ(d.rhythms.size(), 2u);
    EXPECT_EQ(d.position(), 1);
    ASSERT_TRUE(d.backspace());
    EXPECT_EQ(d.position(), 0);
    EXPECT_FALSE(d.backspace()) << "at 0 nothing goes";
    EXPECT_EQ(d.pitches, (std::vector<short>{64}));
}

TEST(DraftZone, BothArrowsReachTheEndsAndScrollPastTheView)
{
    DraftZone d;
    for (short i = 0; i < 40; i++) d.insert(60, 3);
    EXPECT_EQ(d.position(), 40);
    EXPECT_FALSE(d.right()) << "already after the last element";
    short steps = 0;
    while (d.left()) steps++;
    EXPECT_EQ(steps, 40);
    EXPECT_EQ(d.position(), 0);
    EXPECT_EQ(d.offset, 0);
    steps = 0;
    while (d.right()) steps++;
    EXPECT_EQ(steps, 40) << "the right arrow reaches the end of the melody";
    EXPECT_EQ(d.position(), 40);
    EXPECT_EQ(d.indicx, kDraftSlots);
    EXPECT_EQ(d.offset, 3);
}

TEST(DraftZone, BackspaceWithTheCursorAtTheLeftOfTheViewScrollsBack)
{
    DraftZone d;
    for (short i = 0; i < 40; i++) d.insert((short)i, 3);
    d.scroll_to(10);  // the cursor keeps its element: indicx 37 - 10 + 3
    EXPECT_EQ(d.position(), 40);
    EXPECT_EQ(d.indicx, 30);
    d.indicx = 0;
    ASSERT_TRUE(d.backspace());
    EXPECT_EQ(d.offset, 9);
    EXPECT_EQ(d.indicx, 0);
    EXPECT_EQ(d.size(), 39);
    EXPECT_EQ(d.pitches[9], 10) << "element 10 (pitch 9) went";
    d.clear();
    EXPECT_EQ(d.size(), 0);
    EXPECT_EQ(d.position(), 0);
}

// ---- Notes ----

struct NoteCase {
    short pitch, code, key;
    short y, alt, dir, rythm, point, height, voice;
};

class MelodyNotes : public ::testing::TestWithParam<NoteCase> {};

TEST_P(MelodyNotes, AreSpelledByTheCellsScaleAndColouredByTheirClass)
{
    const NoteCase& c = GetParam();
    const std::array<short, 12> classes = melody_classes(c.key, 0x91 /* C E G */, kFilterChromatic, false);
    const MelodyNote n = melody_note(c.pitch, c.code, c.key, classes);
    EXPECT_EQ(n.y, c.y) << c.pitch;
    EXPECT_EQ(n.alt, c.alt) << c.pitch;
    EXPECT_EQ(n.dir, c.dir) << c.pitch;
    EXPECT_EQ(n.rythm, c.rythm) << c.pitch;
    EXPECT_EQ(n.point, c.point) << c.pitch;
    EXPECT_EQ(n.height, c.height) << c.pitch;
    EXPECT_EQ(n.voice, c.voice) << c.pitch;
}

INSTANTIATE_TEST_SUITE_P(
    Table, MelodyNotes,
    ::testing::Values(
        // Middle C: step 35, y 30; a chord note.
        NoteCase{60, 3, 0, 30, 0, 0, 3, 0, 0, 2},
        // D: a scale note; dotted eighth.
        NoteCase{62, 104, 0, 27, 0, 0, 4, 1, 0, 3},
        // C sharp outside key 0: a sharp on C; outside the scale. A sixteenth's stem is 25.
        NoteCase{61, 5, 0, 30, 4, 0, 5, 0, 25, 8},
        // The same key in two flats: D flat, on D.
        NoteCase{61, 3, -2, 27, 2, 0, 3, 0, 0, 8},
        // B flat in key -1 belongs to the scale and takes its flat.
        NoteCase{70, 3, -1, 12, 2, 0, 3, 0, 0, 3},
        // High A: above the middle line, stem down.
        NoteCase{81, 8, 0, -6, 0, 1, 8, 0, 40, 3}));

TEST(MelodyNotesClasses, AGridOfOneRowOrColumnTakesTheFixedClasses)
{
    const std::array<short, 12> fixed = melody_classes(3, 0x0FFF, kFilterChord, true);
    EXPECT_EQ(fixed, (std::array<short, 12>{2, 0, 0, 2, 1, 2, 2, 2, 0, 1, 2, 1}));
    // The filter alone decides otherwise: chord notes only.
    const std::array<short, 12> chord = melody_classes(0, 0x91, kFilterChord, false);
    EXPECT_EQ(chord[0], kChordNote);
    EXPECT_EQ(chord[2], kNotOffered);
}

TEST(NoteToolValue, EachNoteToolGivesItsValueAndStem)
{
    struct Row {
        short tool, rythm, height;
    };
    const Row rows[] = {{tool::SixtyFourth, 7, 35}, {tool::ThirtySecond, 6, 30}, {tool::Sixteenth, 5, 25},
                        {tool::Eighth, 4, 0},       {tool::Quarter, 3, 0},       {tool::Half, 2, 0},
                        {tool::Whole, 1, 0},        {tool::Breve, 0, 0},         {tool::HundredTwentyEighth, 8, 40}};
    for (const Row& r : rows) {
        ToolValue v;
        ASSERT_TRUE(note_tool_value(r.tool, &v)) << r.tool;
        EXPECT_EQ(v.rythm, r.rythm) << r.tool;
        EXPECT_EQ(v.height, r.height) << r.tool;
    }
    ToolValue v;
    for (short other : {tool::Pointer, tool::RestQuarter, tool::Dot, tool::None}) EXPECT_FALSE(note_tool_value(other, &v));
}

}  // namespace
