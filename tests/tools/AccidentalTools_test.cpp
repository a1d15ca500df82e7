// The accidental tools: the rule that picks the written accidental, where a note's reading comes
// from (its own accidental, an earlier one on its line, the key signature under each clef), and
// the glyph drag.
#include "ToolBench.h"

#include "layout/MidiConversion.h"
#include "score/Signatures.h"
#include "tools/ScoreDispatchAccidentals.h"

using namespace accidental;

TEST(AccidentalDecisions, TheRuleOverToolCurrentPreviousAndImplied) {
    struct Case {
        short tool, cur, prev, implied, after;
        const char* why;
    } cases[] = {
        // Raise and lower from the key's sharp, no earlier accidental.
        {tool::AccidentalRaise, None, None, Sharp, DoubleSharp, "the key's sharp raised"},
        {tool::AccidentalLower, None, None, Sharp, Natural, "lowered to plain: the key needs its natural"},
        // Nothing alters the note.
        {tool::AccidentalRaise, None, None, None, Sharp, "a plain note raised"},
        {tool::AccidentalLower, Sharp, None, None, None, "a sharp lowered to plain stays plain"},
        {tool::AccidentalLower, None, None, None, Flat, "a plain note lowered"},
        // An earlier accidental on the line.
        {tool::AccidentalRaise, None, Sharp, None, DoubleSharp, "from the earlier sharp"},
        {tool::AccidentalLower, None, Sharp, None, Natural, "below the earlier sharp: a natural"},
        {tool::AccidentalLower, Sharp, Natural, None, None, "the earlier natural already holds"},
        {tool::AccidentalRaise, Natural, Sharp, None, None, "the earlier sharp already holds"},
        {tool::AccidentalLower, Natural, Flat, Sharp, None, "the earlier flat beats the key"},
        // The key's flat reached from a natural.
        {tool::AccidentalLower, Natural, None, Flat, None, "the key gives the flat"},
        {tool::AccidentalRaise, Flat, None, Flat, Natural, "raising the key's flat gives its natural"},
        // The ends of the cycles.
        {tool::AccidentalRaise, DoubleSharp, None, None, DoubleSharp, "a double sharp stays"},
        {tool::AccidentalLower, DoubleFlat, None, None, DoubleFlat, "a double flat stays"},
        {tool::AccidentalRaise, DoubleFlat, None, None, Flat, ""},
        {tool::AccidentalLower, DoubleSharp, None, None, Sharp, ""},
        {tool::AccidentalRaise, 7, None, None, 8, "a code read from a file goes up by one"},
        {tool::AccidentalLower, 7, None, None, None, "and down to none"},
        // The fixed tools write their code whatever the measure reads.
        {tool::AccidentalDoubleFlat, None, None, Flat, DoubleFlat, ""},
        {tool::AccidentalNatural, None, None, None, Natural, "a natural where nothing alters"},
        {tool::AccidentalDoubleSharp, Sharp, Sharp, Sharp, DoubleSharp, ""},
        {tool::AccidentalRemove, DoubleSharp, Sharp, Sharp, None, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(accidental_after(c.tool, c.cur, c.prev, c.implied), c.after)
            << "tool " << c.tool << " cur " << c.cur << " prev " << c.prev << " implied " << c.implied << ": "
            << c.why;
}

TEST(AccidentalDecisions, TheKeyTableIsReadUnderEachClefAndOnlyInsideIt) {
    EXPECT_EQ(staff_step(2), 0);
    EXPECT_EQ(staff_step(0), 0);
    EXPECT_EQ(staff_step(-1), 1);
    EXPECT_EQ(staff_step(14), -4);
    EXPECT_EQ(staff_step(5), -1);
    // The key of one sharp laid out for the treble clef: F5 on the top line, F4 a step below
    // the middle line, and F3 on the middle line of the F clef of kind 3 (constant -10).
    CKeySig k;
    k.add_accidental(20, tab_clef_diese[1][1], 4);
    short taba[TABA_SIZE] = {};
    armure_to_taba(&k, taba);
    struct Case {
        short y, clef, alteration;
        const char* where;
    } cases[] = {
        {2, 1, 1, "treble F5 on the top line"},
        {23, 1, 1, "treble F4"},
        {14, 1, 0, "treble B4"},
        {14, 3, 1, "F3 on the middle line of the F clef of kind 3"},
        {11, 3, 0, "G3 above it"},
        {8, 2, 1, "bass F3, two steps below the top line"},
        {14, 2, 0, "bass D3"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(key_alteration(taba, key_table_index(staff_step(c.y), c.clef, 1)), c.alteration) << c.where;
    // Far from the staff, or with a value from a file, the table says nothing.
    EXPECT_EQ(key_alteration(taba, key_table_index(staff_step(-400), 1, 1)), 0);
    EXPECT_EQ(key_alteration(taba, key_table_index(staff_step(400), 1, 1)), 0);
    EXPECT_EQ(key_alteration(taba, 0), 0);
    EXPECT_EQ(key_alteration(taba, 121), 0);
    taba[70] = 9;
    EXPECT_EQ(key_alteration(taba, 70), 0);
    EXPECT_EQ(key_table_index(0, 42, 1), 64) << "a clef kind from a file counts as the treble clef";
}

namespace {

class AccidentalTools : public ToolBench {
protected:
    void SetUp() override {
        ToolBench::SetUp();
        make_score(2, 3);
        open_score();
        score->d->sub_doc[score->d->cur_sub_doc].actif_just = 0;
    }
    CNote* note_at(short column, short x, short y) {
        CNote* n = score->note(column, 1, y);
        n->x = x;
        return n;
    }
    void on_head(short column, const CNote* n) { click(column, 1, n->x + 1, n->y - 2); }
    short pitch_of(short column, CNote* n) {
        at_measure(column, 1)->change_mes_flags(0, measure_flag::MidiCurrent);
        conversion_graphique_midi(column, 1, 1);
        return n->pitch;
    }
};

}  // namespace

TEST_F(AccidentalTools, TheKeySignatureImpliesAndTheNoteSoundsItsNewPitch) {
    score->clef(1, 1, 1);
    score->key(1, 1, 1);  // F sharp
    CNote* f = note_at(2, 60, 2);  // F5, sharpened by the key
    EXPECT_EQ(pitch_of(2, f), 78);
    pal->set_tool(tool::AccidentalRaise, 0);
    on_head(2, f);
    EXPECT_EQ(f->alt, DoubleSharp);
    EXPECT_EQ(pitch_of(2, f), 79);
    std::vector<Level> l = levels();
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0].opid, accidental_undo::Set);
    EXPECT_EQ(l[0].slots, std::vector<void**>{slot_of(2, 1)});
    // Lowering a plain F under the key: the natural must be written.
    f->alt = None;
    pal->set_tool(tool::AccidentalLower, 0);
    on_head(2, f);
    EXPECT_EQ(f->alt, Natural);
    EXPECT_EQ(pitch_of(2, f), 77);
}

TEST_F(AccidentalTools, AnEarlierAccidentalOnTheLineIsReadTheLaterOfTwoAtOneDistance) {
    CNote* early = note_at(1, 30, 14);
    early->alt = Sharp;
    CNote* n = note_at(1, 90, 14);
    pal->set_tool(tool::AccidentalRaise, 0);
    on_head(1, n);
    EXPECT_EQ(n->alt, DoubleSharp);
    // Two earlier ones at one distance (a chord's heads at one x): the later item decides.
    CNote* a = note_at(2, 40, 8);
    a->alt = Flat;
    CNote* b = note_at(2, 40, 8);
    b->alt = Natural;
    CNote* c = note_at(2, 100, 8);
    pal->set_tool(tool::AccidentalLower, 0);
    on_head(2, c);
    EXPECT_EQ(c->alt, Flat) << "from the natural of the later item, one step down";
    (void)a;
}

TEST_F(AccidentalTools, TheKeyIsReadUnderTheClefOfTheMeasureEnd) {
    // The F clef of kind 3: its middle line is F3, which the key of one sharp alters.
    score->clef(1, 1, 3);
    for (CClef* k : items<CClef>(1, 1)) k->id = 3;  // the header clef of the layout too
    score->key(1, 1, 1);
    CNote* n = note_at(2, 60, 14);
    EXPECT_EQ(pitch_of(2, n), 54) << "F sharp 3";
    pal->set_tool(tool::AccidentalLower, 0);
    on_head(2, n);
    EXPECT_EQ(n->alt, Natural);
    EXPECT_EQ(pitch_of(2, n), 53) << "F3";
}

TEST_F(AccidentalTools, FixedToolsEraseModeMissesAndRefusedMeasures) {
    CNote* n = note_at(1, 60, 14);
    pal->set_tool(tool::AccidentalNatural, 0);
    on_head(1, n);
    EXPECT_EQ(n->alt, Natural);
    pal->set_tool(tool::AccidentalDoubleFlat, 0);
    on_head(1, n);
    EXPECT_EQ(n->alt, DoubleFlat);
    pal->set_tool(tool::AccidentalRemove, 0);
    on_head(1, n);
    EXPECT_EQ(n->alt, None);
    const size_t before = levels().size();
    // The erase key over the note: not this tool's.
    pal->set_tool(tool::AccidentalRaise, 0);
    key_over(1, 1, n->x + 1, n->y - 2, 8);
    EXPECT_EQ(n->alt, None);
    // Far from the head, and on a measure of library markers.
    click(1, 1, n->x + 30, n->y);
    EXPECT_EQ(n->alt, None);
    at_measure(1, 1)->flags |= measure_flag::LibraryMarkers;
    on_head(1, n);
    EXPECT_EQ(n->alt, None);
    EXPECT_EQ(levels().size(), before);
}

TEST_F(AccidentalTools, TheGlyphIsDraggedAtTheStaffScaleButNotByTheEraser) {
    score->d->ins[1].staff_size = 50;
    editor->draw();
    CNote* n = note_at(1, 80, 14);
    n->alt = Sharp;
    n->dax = -2;
    n->day = 0;
    CNote* plain = note_at(1, 40, 14);
    pal->set_tool(tool::AccidentalMove, 0);
    // The press on the glyph (left of the head), dragged 4 units left and 6 staff units down.
    press(1, 1, n->x + n->dax - 3, n->y - 1, 0).move(-4, 6, 0.5f).release();
    EXPECT_EQ(n->dax, -6);
    EXPECT_EQ(n->day, 6) << "at half size a staff unit is half a pixel's unit";
    std::vector<Level> l = levels();
    ASSERT_FALSE(l.empty());
    EXPECT_EQ(l.back().opid, accidental_undo::Moved);
    // A note without accidental has nothing to press on.
    const size_t before = levels().size();
    click(1, 1, plain->x - 3, plain->y - 1);
    EXPECT_EQ(levels().size(), before);
    // The erase key over the glyph: not dragged, nothing recorded.
    key_over(1, 1, n->x + n->dax - 3, n->y + n->day - 1, 8);
    EXPECT_EQ(n->dax, -6);
    EXPECT_EQ(n->day, 6);
    EXPECT_EQ(levels().size(), before);
}

#include "tools/ScoreDispatchMidiCursor.h"

// The F clef of kind 3 stands on the middle line: step entry puts F3 there and the tools read
// it there (the conversion and the key table are checked above, the respelling beside them).
TEST(ClefOfKindThree, StepEntryPutsF3OnTheMiddleLine) {
    const short taba[TABA_SIZE] = {};
    struct Case {
        short pitch, y;
    } cases[] = {{53, 14}, {60, 2}, {41, 35}, {57, 8}};
    for (const Case& c : cases) {
        CNote n;
        n.y = spell_at_cursor(c.pitch, 0, 1, 0, 3, taba, -1).y;
        n.adjust();
        EXPECT_EQ(n.y, c.y) << c.pitch;
    }
}
