// The stem-length tool: where a stem end is grabbed, the limits of an end note of a beam, and a
// drag through the router that lengthens a stem by whole staff units.
#include "ToolBench.h"

#include "tools/ScoreDispatchLength.h"

namespace {

TEST(StemEnd, TheHitWindowLiesAroundTheEndOnTheStemsSide)
{
    // A head at (100, 200); stem 21 units at zoom 100.
    struct Case {
        const char* what;
        bool down;
        short px, py;
        bool holds;
    } cases[] = {
        {"stem up: its end, right of the head", false, 107, 179, true},
        {"stem up: 3 units right is the left edge", false, 103, 179, true},
        {"stem up: 2 units right is outside", false, 102, 179, false},
        {"stem up: 11 units right is the right edge", false, 111, 179, true},
        {"stem up: 4 units past the end", false, 107, 175, true},
        {"stem up: 5 units past the end", false, 107, 174, false},
        {"stem up: the head is not the end", false, 107, 200, false},
        {"stem down: left of the head", true, 97, 221, true},
        {"stem down: 4 units left is outside", true, 96, 221, false},
        {"stem down: 5 units right is the edge", true, 105, 225, true},
    };
    for (const Case& c : cases) {
        const StemEnd s{100, 200, c.down, 21};
        EXPECT_EQ(stem_end_holds(s, 1.0f, 1.0f, 1.0f, c.px, c.py), c.holds) << c.what;
    }
}

TEST(StemEnd, AnEndNoteKeepsTheBeamWithinTheAngleAndNeverPastIt)
{
    // Stem up at y 20, the other end's stem end at y -5: height 25 is level. Span 30 at the
    // angle 15: d = 30 * 15 / 45 - 2 = 8.
    const StemRange r = limite_hampe(20, false, 25, -5, 30, 15);
    EXPECT_EQ(r.lowest, 17);
    EXPECT_EQ(r.highest, 33);
    struct Step {
        short height, delta, after;
    } steps[] = {{25, -3, 28}, {25, -20, 33}, {25, 20, 17}, {40, 1, 32}, {10, -2, 19}};
    for (const Step& s : steps)
        EXPECT_EQ(hauteur_suivante(s.height, false, s.delta, r), s.after) << s.height << " " << s.delta;
    // Stem down: the end follows the pointer downwards.
    const StemRange down = limite_hampe(20, true, 25, 45, 30, 15);
    EXPECT_EQ(down.lowest, 17);
    EXPECT_EQ(hauteur_suivante(25, true, 3, down), 28);
    // A note taken as its own other end (a beam across staves): two units either side.
    const StemRange own = limite_hampe(20, false, 25, -5, 0, 15);
    EXPECT_EQ(own.lowest, 23);
    EXPECT_EQ(own.highest, 27);
    EXPECT_LE(own.lowest, own.highest);
    EXPECT_EQ(hauteur_suivante(25, false, -10, own), 27) << "never past the limit";
    // No beam: no limit.
    EXPECT_EQ(hauteur_suivante(25, false, -100, StemRange{}), 125);
}

class StemLengthTool : public ToolBench {
protected:
    void SetUp() override
    {
        ToolBench::SetUp();
        make_score(1, 2);
        open_score();
        score->d->sub_doc[score->d->cur_sub_doc].actif_just = 0;
        pal->set_tool(tool::StemLength, 0);
    }
    // A press on the stem end of note n of measure (1, 1).
    Gesture on_end(const CNote* n)
    {
        const double end = n->dir == 1 ? n->y - 2 + n->height : n->y - 2 - n->height;
        return press(1, 1, n->x + (n->dir == 1 ? 1 : 7), end);
    }
};

TEST_F(StemLengthTool, AStemEndDraggedByWholeUnitsChangesItsLength)
{
    CNote* n = score->note(1, 1, 24);
    n->x = 40;
    const short h = n->height;
    const bool down = n->dir == 1;
    on_end(n).move(0, down ? 3 : -3).release();
    EXPECT_EQ(n->height, h + 3);
    std::vector<Level> l = levels();
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0].opid, 13);
    EXPECT_EQ(score->d->modif, 1);
}

TEST_F(StemLengthTool, WholeNotesAndStemlessChordNotesAreNotTaken)
{
    CNote* whole = score->note(1, 1, 24, 1);
    whole->x = 40;
    on_end(whole).move(0, -3).release();
    EXPECT_TRUE(levels().empty() || levels().back().slots.empty());
    CNote* chord = score->note(2, 1, 24);
    chord->cid = 5;
    chord->height = 0;
    click(2, 1, chord->x + 7, chord->y - 2);
    EXPECT_TRUE(levels().empty() || levels().back().slots.empty());
    EXPECT_EQ(score->d->modif, 0) << "a refused note leaves the score unchanged";
}

}  // namespace
