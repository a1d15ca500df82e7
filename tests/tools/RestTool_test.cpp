// The rest tools: entering a rest where the staff is clicked, dragging and erasing one, and
// handing a click on a note to the note tool.
#include "ToolBench.h"

#include "tools/ScoreDispatchRests.h"

namespace {

class RestTool : public ToolBench {
protected:
    void SetUp() override {
        ToolBench::SetUp();
        make_score(2, 3);
        open_score();
        // The places the tool gives, before a re-justification would space them by time.
        score->d->sub_doc[score->d->cur_sub_doc].actif_just = 0;
    }
};

}  // namespace

TEST_F(RestTool, EveryValueLandsThreeUnitsLeftOfTheClickAtItsOwnHeight) {
    struct Case {
        short tool, rythm, y;
    } cases[] = {
        {tool::RestBreve, 0, 13},          {tool::RestWhole, 1, 13},        {tool::RestHalf, 2, 15},
        {tool::RestQuarter, 3, 24},        {tool::RestEighth, 4, 24},       {tool::RestSixteenth, 5, 24},
        {tool::RestThirtySecond, 6, 24},   {tool::RestSixtyFourth, 7, 24},  {tool::RestHundredTwentyEighth, 8, 24},
    };
    short x = 20;
    for (const Case& c : cases) {
        pal->set_tool(c.tool, 0);
        click(1, 1, x, 40);  // well below the staff: the height of the click plays no part
        std::vector<CRest*> rests = items<CRest>(1, 1);
        ASSERT_FALSE(rests.empty()) << c.tool;
        EXPECT_EQ(rests.back()->rythm, c.rythm) << c.tool;
        EXPECT_EQ(rests.back()->y, c.y) << c.tool;
        EXPECT_EQ(rests.back()->x, x - 3) << c.tool;
        EXPECT_EQ(levels().back().opid, rest_undo::Entered);
        x = (short)(x + 12);
    }
    EXPECT_EQ(answers.size(), 9u);
    EXPECT_EQ(pal->get_tool(), tool::RestHundredTwentyEighth) << "the tool stays";
}

TEST_F(RestTool, AClickBetweenStavesGoesToTheNearerStaff) {
    pal->set_tool(tool::RestQuarter, 0);
    // Staff 2's top line is 70 units below staff 1's: 24 + 10 below staff 1 is nearer to it.
    click(1, 1, 30, 24 + 10);
    EXPECT_EQ(items<CRest>(1, 1).size(), 1u);
    click(1, 1, 30, 70 - 10);
    EXPECT_EQ(items<CRest>(1, 2).size(), 1u);
}

TEST_F(RestTool, AFullVoiceBeepsAndLeavesNoLevel) {
    editor->voice = 1;
    score->rest(1, 1, 1, 1);  // a whole rest fills voice 1
    pal->set_tool(tool::RestQuarter, 0);
    const size_t before = levels().size();
    click(1, 1, 60, 10);
    EXPECT_EQ(items<CRest>(1, 1).size(), 1u);
    EXPECT_EQ(beeps(), 1);
    EXPECT_EQ(levels().size(), before);
    // Voice 2 has room.
    editor->voice = 2;
    click(1, 1, 60, 10);
    ASSERT_EQ(items<CRest>(1, 1).size(), 2u);
    EXPECT_EQ(items<CRest>(1, 1).back()->voice, 2);
    EXPECT_EQ(at_measure(1, 1)->flags & 0x01, 0x01) << "entered in a chosen voice";
}

TEST_F(RestTool, DraggingStaysInsideTheMeasureAcrossAndIsFreeUpAndDown) {
    CRest* r = score->rest(1, 1, 3);
    pal->set_tool(tool::RestQuarter, 0);
    const short x0 = r->x, y0 = r->y;
    press(1, 1, x0 + 3, y0 - 5).move(500, 0).release();
    EXPECT_EQ(r->x, at_measure(1, 1)->width - 10);
    press(1, 1, r->x + 3, y0 - 5).move(-500, 30).release();
    EXPECT_EQ(r->x, 2);
    EXPECT_EQ(r->y, y0 + 30);
    EXPECT_EQ(items<CRest>(1, 1).size(), 1u) << "nothing entered";
    std::vector<Level> l = levels();
    ASSERT_FALSE(l.empty());
    EXPECT_EQ(l.back().opid, rest_undo::Moved);
    EXPECT_EQ(l.back().kinds, std::vector<short>{2});
    EXPECT_EQ(l.back().slots, std::vector<void**>{slot_of(1, 1)});
    // With re-justification on, the router spaces the measure again: the other staff's
    // measure of the column joins the level.
    score->d->sub_doc[score->d->cur_sub_doc].actif_just = 1;
    press(1, 1, r->x + 3, r->y - 5).move(20, 0).release();
    EXPECT_EQ(levels().back().slots, (std::vector<void**>{slot_of(1, 1), slot_of(1, 2)}));
}

TEST_F(RestTool, ErasingARestTakesItsBoundSymbolsAndKeepsOthers) {
    CRest* r = score->rest(1, 1, 3);
    r->sid = 7;
    CSymbol* bound = new CSymbol;
    bound->note_id = 7;
    CSymbol* other = new CSymbol;
    other->note_id = 8;
    at_measure(1, 1)->add(bound);
    at_measure(1, 1)->add(other);
    pal->set_tool(tool::Eraser, 0);
    click(1, 1, r->x + 3, r->y - 5);
    EXPECT_TRUE(items<CRest>(1, 1).empty());
    EXPECT_EQ(items<CSymbol>(1, 1), std::vector<CSymbol*>{other});
    EXPECT_EQ(levels().back().opid, rest_undo::Erased);
    EXPECT_EQ(pal->get_erase_tool(), 0) << "erase mode lasts one event";
}

TEST_F(RestTool, AClickOnANoteIsTheNoteToolsAndEmptySpaceIsNotThePointers) {
    CNote* n = score->note(1, 1, 14);
    pal->set_tool(tool::RestQuarter, 0);
    click(1, 1, n->x + 2, n->y - 2);
    ASSERT_FALSE(answers.empty());
    EXPECT_EQ(answers.front().handler, "silences");
    EXPECT_EQ(answers.front().result, tool_result::HandOn);
    ASSERT_EQ(answers.size(), 2u) << "handed to the note tool";
    EXPECT_EQ(answers[1].handler, "notes");
    EXPECT_EQ(answers[1].tool, tool::Pointer);
    EXPECT_EQ(pal->get_tool(), tool::RestQuarter) << "and back";
    EXPECT_TRUE(items<CRest>(1, 1).empty());
}

TEST_F(RestTool, ARefusedMeasureAnswersNothingAndLeavesNoLevel) {
    for (short flag : {0x04, 0x08}) {
        at_measure(1, 1)->flags = flag;
        pal->set_tool(tool::RestQuarter, 0);
        answers.clear();
        click(1, 1, 40, 10);
        ASSERT_EQ(answers.size(), 1u);
        EXPECT_EQ(answers[0].result, tool_result::NotMine);
        EXPECT_TRUE(items<CRest>(1, 1).empty());
        EXPECT_TRUE(levels().empty());
    }
}
