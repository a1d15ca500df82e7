// The note tools: entering a note where the staff is pressed, dragging it, joining and splitting
// beams, and erasing notes.
#include "ToolBench.h"

#include "tools/ScoreDispatchNotes.h"

namespace {

class NoteTool : public ToolBench {
protected:
    void SetUp() override {
        ToolBench::SetUp();
        make_score(2, 3);
        open_score();
        // The places the tool gives, before a re-justification would space them by time.
        score->d->sub_doc[score->d->cur_sub_doc].actif_just = 0;
    }
    // A press on the head of note n of measure (column, staff).
    Gesture on(short column, short staff, const CNote* n, short flags = 0) {
        return press(column, staff, n->x + 2, n->y - 2, flags);
    }
    std::vector<CBeams*> beams() { return items<CBeams>(1, 1); }
};

}  // namespace

TEST_F(NoteTool, AQuarterLandsWherePressedOnTheStepGrid) {
    pal->set_tool(tool::Quarter, 0);
    click(1, 1, 4, 0);  // 4 px right of the measure's edge, on the top line
    std::vector<CNote*> notes = items<CNote>(1, 1);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0]->x, 1);
    EXPECT_EQ(notes[0]->y, 2);
    EXPECT_EQ(notes[0]->rythm, 3);
    EXPECT_EQ(notes[0]->dir, 1) << "above the middle line: stem down";
    std::vector<Level> l = levels();
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0].opid, note_undo::Entered);
    EXPECT_EQ(l[0].actid, 1);
    EXPECT_EQ(l[0].slots, std::vector<void**>{slot_of(1, 1)});
    EXPECT_EQ(score->d->modif, 1);
    EXPECT_EQ(answers.back().result, tool_result::Handled);
}

TEST_F(NoteTool, EachValueHasItsStemAndAPressBetweenStavesGoesToTheNearerOne) {
    struct Case {
        short tool, rythm, height;
    } cases[] = {{tool::Breve, 0, 21},        {tool::Eighth, 4, 21},       {tool::Sixteenth, 5, 24},
                 {tool::ThirtySecond, 6, 28}, {tool::SixtyFourth, 7, 32}, {tool::HundredTwentyEighth, 8, 36}};
    short column = 1;
    for (const Case& c : cases) {
        CMeasure* m = at_measure(column, 1);
        (void)m;
        pal->set_tool(c.tool, 0);
        click(1, 1, 20 + 20 * (column - 1), 26 + 12);  // 12 below staff 1, 32 above staff 2
        std::vector<CNote*> notes = items<CNote>(1, 1);
        ASSERT_EQ(notes.size(), (size_t)column) << c.tool;
        EXPECT_EQ(notes.back()->rythm, c.rythm);
        column++;
    }
    EXPECT_TRUE(items<CNote>(1, 2).empty());
    pal->set_tool(tool::Quarter, 0);
    click(2, 1, 40, 70 - 10);  // 10 above staff 2 wins over 46 below staff 1
    EXPECT_EQ(items<CNote>(2, 2).size(), 1u);
}

TEST_F(NoteTool, AFullVoiceBeepsAndEntersNothingATupletMakesRoom) {
    editor->voice = 2;
    // Column 1: voice 2 holds 1760 ticks and two triplet eighths (320): 160 are left, room for
    // a triplet eighth but not for a plain one.
    CNote* whole = score->note(1, 1, 26, 1, 2);
    whole->length = 1760 - 320;
    score->triplet(1, 1, {20, 23}, 4, 2);
    CNolet* t = nullptr;
    for (short i = 1; i <= at_measure(1, 1)->total(); i++)
        if (!t) t = at_measure(1, 1)->get_nolet_item(i);
    ASSERT_NE(t, nullptr);
    pal->set_tool(tool::Eighth, 0);
    click(1, 1, t->x + t->dx1 - 1 + 3, 2);  // under the bracket, on the top line
    std::vector<CNote*> notes = items<CNote>(1, 1);
    ASSERT_EQ(notes.size(), 4u);
    EXPECT_EQ(notes.back()->nmask, t->mask);
    EXPECT_EQ(beeps(), 0);
    // Column 2: the same room without a tuplet: a beep, nothing entered, no level.
    CNote* full = score->note(2, 1, 26, 1, 2);
    full->length = 1760;
    const size_t before = levels().size();
    click(2, 1, 80, 2);
    EXPECT_EQ(items<CNote>(2, 1).size(), 1u);
    EXPECT_EQ(beeps(), 1);
    EXPECT_EQ(levels().size(), before);
    // Voice 0 is never checked.
    editor->voice = 0;
    click(2, 1, 80, 2);
    EXPECT_EQ(items<CNote>(2, 1).size(), 2u);
}

TEST_F(NoteTool, DraggingMovesByWholeStepsAndStopsInsideTheMeasure) {
    CNote* n = score->note(1, 1, 14);
    n->x = 100;
    pal->set_tool(tool::Quarter, 0);
    on(1, 1, n).move(500, -6).release();  // far right, two steps up
    EXPECT_EQ(n->x, at_measure(1, 1)->width - 10);
    EXPECT_EQ(n->y, 8);
    EXPECT_EQ(levels().back().opid, note_undo::Modified);
    on(1, 1, n).move(-500, 0.5).release();  // far left; half a unit is no movement
    EXPECT_EQ(n->x, 2);
    EXPECT_EQ(n->y, 8);
    EXPECT_EQ(items<CNote>(1, 1).size(), 1u) << "a press on a note enters nothing";
    // A note just entered can be dragged before the button goes up.
    press(1, 1, 60, 12).move(10, 6).release();  // entered at 13, snapped to 14
    ASSERT_EQ(items<CNote>(1, 1).size(), 2u);
    EXPECT_EQ(items<CNote>(1, 1).back()->x, 67);
    EXPECT_EQ(items<CNote>(1, 1).back()->y, 20);
}

TEST_F(NoteTool, DraggingOneNoteOfAChordMovesTheChordAcrossButOnlyItUpAndDown) {
    std::vector<CNote*> chord = score->chord(1, 1, {26, 20});
    const short x0 = chord[0]->x;
    pal->set_tool(tool::Quarter, 0);
    on(1, 1, chord[0]).move(12, 3).release();  // down a step: no second for the chord's layout
    EXPECT_EQ(chord[0]->x, x0 + 12);
    EXPECT_EQ(chord[1]->x, x0 + 12);
    EXPECT_EQ(chord[0]->y, 29);
    EXPECT_EQ(chord[1]->y, 20);
}

TEST_F(NoteTool, CtrlJoinsFourEighthsAndTheBeamToolSplitsThem) {
    std::vector<CNote*> n;
    for (int i = 0; i < 4; i++) n.push_back(score->note(1, 1, 14, 4));
    pal->set_tool(tool::Eighth, 0);
    for (CNote* note : n) on(1, 1, note, EvfCtrl).release();
    const short g = n[0]->gid;
    EXPECT_NE(g, 0);
    for (CNote* note : n) EXPECT_EQ(note->gid, g);
    ASSERT_EQ(beams().size(), 1u);
    EXPECT_EQ(beams()[0]->gid, g);
    // The beam tool on the third splits the group in two groups of two.
    pal->set_tool(tool::BeamBreak, 0);
    on(1, 1, n[2]).release();
    EXPECT_EQ(n[1]->gid, g);
    EXPECT_NE(n[2]->gid, g);
    EXPECT_NE(n[2]->gid, 0);
    EXPECT_EQ(n[3]->gid, n[2]->gid);
    EXPECT_EQ(n[2]->flags & 0xA0, 0x80);
    EXPECT_EQ(beams().size(), 2u);
    // On the last note of a group it takes that note out; the group of one dissolves.
    on(1, 1, n[3]).release();
    EXPECT_EQ(n[3]->gid, 0);
    // On an unbeamed note it changes nothing, records nothing and takes the press.
    const size_t before = levels().size();
    answers.clear();
    on(1, 1, n[3]).release();
    EXPECT_EQ(levels().size(), before);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].result, tool_result::Handled);
}

TEST_F(NoteTool, CtrlEnteringEighthsBeamsThemAsTheyCome) {
    pal->set_tool(tool::Eighth, 0);
    click(1, 1, 40, 14, EvfCtrl);
    click(1, 1, 60, 14, EvfCtrl);
    click(1, 1, 80, 14, EvfCtrl);
    std::vector<CNote*> n = items<CNote>(1, 1);
    ASSERT_EQ(n.size(), 3u);
    EXPECT_NE(n[0]->gid, 0);
    EXPECT_EQ(n[1]->gid, n[0]->gid);
    EXPECT_EQ(n[2]->gid, n[0]->gid);
    EXPECT_EQ(beams().size(), 1u);
    // A quarter with Ctrl is never beamed, but takes the partner's stem direction.
    pal->set_tool(tool::Quarter, 0);
    click(1, 1, 100, 26, EvfCtrl);
    ASSERT_EQ(items<CNote>(1, 1).size(), 4u);
    EXPECT_EQ(items<CNote>(1, 1).back()->gid, 0);
    EXPECT_EQ(items<CNote>(1, 1).back()->dir, n[2]->dir);
}

TEST_F(NoteTool, ErasingAChordNoteLeavesTheChord) {
    std::vector<CNote*> chord = score->chord(1, 1, {26, 20, 14});
    const short cid = chord[0]->cid;
    pal->set_tool(tool::Eraser, 0);
    click(1, 1, chord[1]->x + 2, 18);
    std::vector<CNote*> left = items<CNote>(1, 1);
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0], chord[0]);
    EXPECT_EQ(left[1], chord[2]);
    EXPECT_NE(left[0]->cid, 0);
    EXPECT_EQ(left[0]->cid, left[1]->cid);
    (void)cid;
    std::vector<Level> l = levels();
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0].opid, note_undo::Erased);
    EXPECT_EQ(l[0].kinds, std::vector<short>{2});
}

TEST_F(NoteTool, ErasingANoteTakesItsSyllableAndSymbolsAndLeavesOthers) {
    CNote* a = score->note(1, 1, 14);
    CNote* b = score->note(1, 1, 14);
    score->lyric(1, 1, a, "la");
    CLyrics* kept = score->lyric(1, 1, b, "li");
    a->sid = 3;
    for (int i = 0; i < 2; i++) {
        CSymbol* s = new CSymbol;
        s->note_id = 3;
        at_measure(1, 1)->add(s);
    }
    pal->set_tool(tool::Quarter, 0);
    // Backspace over the note erases it with the current tool.
    key_over(1, 1, a->x + 2, a->y - 2, 8);
    EXPECT_EQ(items<CNote>(1, 1), std::vector<CNote*>{b});
    EXPECT_EQ(items<CLyrics>(1, 1), std::vector<CLyrics*>{kept});
    EXPECT_TRUE(items<CSymbol>(1, 1).empty());
    EXPECT_EQ(pal->get_erase_tool(), 0);
}

TEST_F(NoteTool, ARestToolOnANoteHandsThePressToTheNoteToolAndBack) {
    CNote* n = score->note(1, 1, 14);
    pal->set_tool(tool::RestQuarter, 0);
    on(1, 1, n).move(0, -3).release();
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0].result, tool_result::HandOn);
    EXPECT_EQ(answers[1].handler, "notes");
    EXPECT_EQ(answers[1].tool, tool::Pointer);
    EXPECT_EQ(answers[1].result, tool_result::Handled);
    EXPECT_EQ(n->y, 11) << "the note tool dragged it a step up";
    EXPECT_EQ(pal->get_tool(), tool::RestQuarter);
    EXPECT_TRUE(items<CRest>(1, 1).empty());
}
