// The measure tool's bar-line drag: the bounds of the column's width in the linear and the page
// view, and a drag that widens a column over three instruments, spreading its notes or keeping
// them in place with Ctrl.
#include "ToolBench.h"

#include "tools/ScoreDispatchMeasures.h"

namespace {

TEST(BarLineBounds, TheWidthStaysBetweenTheHeadPartAndTheRoomLeft)
{
    struct Case {
        const char* what;
        BarLineColumn c;
        short smallest, largest;
    } cases[] = {
        {"linear view: up to 32000 pixels",
         {1.0f, false, false, 2, 4, 100, 150, 20, 150, 20, {150, 150}, 900},
         40,
         32000},
        {"linear, zoom 150 %", {1.5f, false, false, 2, 4, 100, 150, 30, 150, 20, {150, 150}, 900}, 75, 32000},
        // The line starts at 100 + 150 + 150 = 400 with the measures after: 900 - 400 + 3.
        {"page view: to 3 units past the page",
         {1.0f, true, false, 2, 4, 100, 150, 20, 150, 20, {150, 150}, 900},
         40,
         503},
        {"page view, zoom 200 %", {2.0f, true, false, 2, 4, 100, 150, 20, 150, 20, {150, 150}, 900}, 80, 1006},
        {"fitted to the width: the next keeps 20 and its head",
         {1.0f, true, true, 2, 4, 100, 150, 20, 150, 30, {150, 150}, 900},
         40,
         250},
        {"fitted, the last of the line: the page bounds it",
         {1.0f, true, true, 4, 4, 700, 150, 20, 0, 0, {}, 900},
         40,
         203},
        {"a line already past the page: the largest below the smallest",
         {1.0f, true, false, 2, 2, 800, 150, 20, 0, 0, {200}, 900},
         40,
         -97},
    };
    for (const Case& c : cases) {
        const BarLineBounds b = bornes_barre(c.c);
        EXPECT_EQ(b.smallest, c.smallest) << c.what;
        EXPECT_EQ(b.largest, c.largest) << c.what;
    }
}

// Three instruments by four columns, in the linear view at zoom 100.
class MeasureTool : public ToolBench {
protected:
    void SetUp() override
    {
        ToolBench::SetUp();
        make_score(3, 4);
        open_score();
        score->d->sub_doc[score->d->cur_sub_doc].actif_just = 0;
        pal->set_tool(tool::Measure, 0);
    }
    // The bar line of column 2 of staff 1 dragged by dx pixels.
    void drag_bar(int dx, short flags = 0)
    {
        press(2, 1, at_measure(2, 1)->width - 5, 12, flags).move_px(dx, 0).release();
    }
};

TEST_F(MeasureTool, DraggingABarLineWidensTheColumnInEveryInstrument)
{
    CNote* n = score->note(2, 2, 12);
    n->x = 100;
    const short w = at_measure(2, 1)->width, front = at_measure(2, 1)->front, w1 = at_measure(1, 1)->width;
    std::vector<short> x_after(3);
    for (short s = 1; s <= 3; s++) x_after[s - 1] = at_measure(3, s)->x;
    drag_bar(30);
    for (short s = 1; s <= 3; s++) {
        EXPECT_EQ(at_measure(2, s)->width, w + 30) << "staff " << s;
        EXPECT_EQ(at_measure(2, s)->pw, w + 30 - front) << "staff " << s;
        EXPECT_EQ(at_measure(3, s)->x, x_after[s - 1] + 30) << "staff " << s;
        EXPECT_EQ(at_measure(1, s)->width, w1) << "staff " << s;
        EXPECT_TRUE(at_measure(1, s)->flags & 0x40) << "the measure before: ties checked";
        EXPECT_TRUE(at_measure(3, s)->flags & 0x40) << "the measure after: ties checked";
    }
    EXPECT_EQ(n->x, front + (100 - front) * (w + 30 - front) / (w - front))
        << "spread between the head part and the new edge";
    std::vector<Level> l = levels();
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0].opid, 47);
    EXPECT_EQ(l[0].slots.size(), 12u) << "columns 1 to 4 of the three instruments";
    EXPECT_EQ(score->d->modif, 1);
}

TEST_F(MeasureTool, WithCtrlTheNotesKeepTheirPlacesAndNarrowingStopsAtTheHeadPart)
{
    CNote* n = score->note(2, 1, 12);
    n->x = 100;
    const short front = at_measure(2, 1)->front;
    drag_bar(-200, EvfCtrl);
    EXPECT_EQ(at_measure(2, 1)->width, front + 20) << "the head part and 20 units";
    EXPECT_EQ(n->x, 100);
}

TEST_F(MeasureTool, ReleasedWhereItStartedChangesNothing)
{
    const short w = at_measure(2, 1)->width;
    drag_bar(0);
    EXPECT_EQ(at_measure(2, 1)->width, w);
    EXPECT_TRUE(levels().empty() || levels().back().slots.empty());
    EXPECT_EQ(score->d->modif, 0) << "not marked changed";
    // A press further left in the measure is not the bar line's.
    press(2, 1, w - 20, 12).move_px(30, 0).release();
    EXPECT_EQ(at_measure(2, 1)->width, w);
}

}  // namespace
