// The tuplet tool: brackets created in either half of a staff and stretched, their handles
// dragged, edited in their dialog and erased, and the notes under them bound to them.
#include "ToolBench.h"

#include "tools/ScoreDispatchNolets.h"

TEST(TupletDecisions, LabelsHandlesAndNewBrackets) {
    struct Label {
        short style;
        const char* text;
    } labels[] = {{1, "3"}, {4, "3"}, {6, "3"}, {2, "3:2"}, {5, "3:2"}, {7, "3:2"}, {3, ""}, {8, ""}};
    for (const Label& l : labels) {
        CNolet t;
        t.style = l.style;
        EXPECT_EQ(nolet_label(t), l.text) << l.style;
    }
    // A bracket at (100, 50), 40 units long, its label 20 along and 15 below, at zoom 1.
    CNolet t;
    t.dx1 = 40, t.dy1 = 0, t.dx2 = 20, t.dy2 = 15, t.dir = 1;
    struct Hit {
        short x, y, handle;
    } hits[] = {
        {100, 50, 1}, {96, 41, 1}, {104, 54, 1}, {95, 50, 0}, {100, 55, 0},  // start: 9 up, 4 down when under
        {140, 50, 2}, {137, 41, 2}, {143, 54, 2}, {144, 50, 0},               // end: 3 across
        {120, 55, 3}, {124, 67, 3}, {116, 67, 3}, {125, 60, 0}, {120, 68, 0},  // label: w/2 across, 10 up 2 down
    };
    const NoletHandles h = nolet_handles(t, 100, 50, 1.0f, 1.0f, 1.0f, 8);
    for (const Hit& k : hits) EXPECT_EQ(nolet_handle_at(h, k.x, k.y), k.handle) << k.x << "," << k.y;
    // Over the notes the start's box reaches 4 up and 9 down.
    t.dir = 2;
    const NoletHandles over = nolet_handles(t, 100, 50, 1.0f, 1.0f, 1.0f, 8);
    EXPECT_EQ(nolet_handle_at(over, 100, 59), 1);
    EXPECT_EQ(nolet_handle_at(over, 100, 45), 0);
    // A short bracket: the start wins over the end, the end over the label.
    CNolet tiny;
    tiny.dx1 = 2, tiny.dx2 = 1, tiny.dy2 = 0;
    EXPECT_EQ(nolet_handle_at(nolet_handles(tiny, 0, 0, 1, 1, 1, 8), 2, 0), 1);
    EXPECT_EQ(nolet_handle_at(nolet_handles(tiny, 0, 0, 1, 1, 1, 8), 5, 0), 2);
    // No label to grab for styles 3 and 8.
    t.style = 3;
    EXPECT_EQ(nolet_handle_at(nolet_handles(t, 100, 50, 1, 1, 1, 8), 120, 60), 0);
    // Zoom 2 and a staff at 50 %: across by the zoom, up and down by zoom and staff scale.
    t.style = 1, t.dir = 1;
    const NoletHandles z = nolet_handles(t, 100, 50, 2.0f, 2.0f, 0.5f, 8);
    EXPECT_EQ(z.start.left, 92);
    EXPECT_EQ(z.start.top, 41);
    EXPECT_EQ(z.end.left, 174);
    EXPECT_EQ(z.label.top, 55);

    NoletDefaults d;
    d.n1 = 5, d.n2 = 4, d.style = 2, d.dir = 0x11;
    const CNolet up = new_nolet(30, 4, true, d, 0x4);
    EXPECT_EQ(up.x, 30);
    EXPECT_EQ(up.y, 4);
    EXPECT_EQ(up.dx1, 10);
    EXPECT_EQ(up.dy1, 0);
    EXPECT_EQ(up.dx2, 5);
    EXPECT_EQ(up.dy2, -5);
    EXPECT_EQ(up.dir, 0x12) << "over the notes, with the default's second option";
    EXPECT_EQ(up.n1, 5);
    EXPECT_EQ(up.n2, 4);
    EXPECT_EQ(up.style, 2);
    EXPECT_EQ(up.mask, 0x4);
    const CNolet down = new_nolet(30, 20, false, NoletDefaults{}, 0x1);
    EXPECT_EQ(down.dy2, 15);
    EXPECT_EQ(down.dir, 1);

    EXPECT_EQ(nolet_end_min_x(200, 10, 1.0f), 200);
    EXPECT_EQ(nolet_end_min_x(200, 40, 1.0f), 170);
    EXPECT_EQ(nolet_end_min_x(200, 40, 2.0f), 140);
    short dx2 = 0, dy2 = 0;
    nolet_label_follow(5, -5, 30, 8, 1.0f, 1.0f, 1.0f, &dx2, &dy2);
    EXPECT_EQ(dx2, 20);
    EXPECT_EQ(dy2, -1);
    nolet_label_follow(5, -5, 30, 8, 2.0f, 2.0f, 1.0f, &dx2, &dy2);
    EXPECT_EQ(dx2, 12);
    EXPECT_EQ(dy2, -3);
}

namespace {

// The scripted dialog: counts its openings, accepts with n1 set or cancels.
struct TupletScript {
    int opened = 0;
    bool accept = false;
    short n1 = 0;
};

class TupletTool : public ToolBench {
protected:
    void SetUp() override {
        ToolBench::SetUp();
        make_score(2, 3);
        open_score();
        score->d->sub_doc[score->d->cur_sub_doc].actif_just = 0;
        saved_dialog = editer_nolet;
        saved_defaults = nolet_defaults();
        editer_nolet = scripted;
        dialog = {};
        pal->set_tool(tool::Tuplet, 0);
    }
    void TearDown() override {
        editer_nolet = saved_dialog;
        nolet_defaults() = saved_defaults;
        ToolBench::TearDown();
    }
    std::vector<CNolet*> tuplets() { return items<CNolet>(1, 1); }
    // A tuplet of measure (1, 1) made by hand.
    CNolet* bracket(short x, short y, short dx1, short mask = 1) {
        CNolet* t = new CNolet;
        t->x = x, t->y = y, t->dx1 = dx1, t->dy1 = 0, t->dx2 = dx1 / 2, t->dy2 = -5, t->dir = 2, t->mask = mask;
        at_measure(1, 1)->add(t);
        return t;
    }
    // A press with these flags through the router (double clicks); the handler's answer.
    short press_handler(short column, short staff, double ux, double uy, short flags) {
        const platform::Point p = panel_point(column, staff, ux, uy);
        Event e;
        e.type = EvPress;
        e.flags = flags;
        e.x = (short)p.x, e.y = (short)p.y;
        answer = -9;
        tool_handlers.nolet = spy;
        editor->dispatch(&e);
        tool_handlers.nolet = dispatch_editeur_nolet;
        return answer;
    }

    inline static TupletScript dialog;
    inline static short answer = 0;
    static short spy(Editeur* v, Event* e) { return answer = dispatch_editeur_nolet(v, e); }
    static bool scripted(CNolet* t) {
        dialog.opened++;
        if (!dialog.accept) return false;
        t->n1 = dialog.n1;
        return true;
    }

private:
    bool (*saved_dialog)(CNolet*) = nullptr;
    NoletDefaults saved_defaults;
};

}  // namespace

TEST_F(TupletTool, ACreatedBracketTakesItsSideFromTheHalfOfTheStaff) {
    struct Case {
        double y;
        short dir, dy2;
    } cases[] = {{-3, 2, -5}, {4, 2, -5}, {12, 2, -5}, {13, 1, 15}, {22, 1, 15}, {30, 1, 15}};
    short x = 10;
    short mask = 1;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.y);
        click(1, 1, x, k.y);
        std::vector<CNolet*> t = tuplets();
        ASSERT_FALSE(t.empty());
        EXPECT_EQ(t.back()->x, x);
        EXPECT_EQ(t.back()->y, (short)k.y);
        EXPECT_EQ(t.back()->dir, k.dir);
        EXPECT_EQ(t.back()->dy2, k.dy2);
        EXPECT_EQ(t.back()->dx1, 10) << "a new bracket is 10 units long";
        EXPECT_EQ(t.back()->dx2, 5);
        EXPECT_EQ(t.back()->n1, 3);
        EXPECT_EQ(t.back()->n2, 2);
        EXPECT_EQ(t.back()->mask, mask) << "the lowest free bit";
        mask = (short)(mask << 1);
        x = (short)(x + 20);
    }
    const std::vector<Level> l = levels();
    ASSERT_FALSE(l.empty());
    EXPECT_EQ(l.back().opid, nolet_undo::Created);
    EXPECT_EQ(l.back().slots, std::vector<void**>{slot_of(1, 1)});
    EXPECT_EQ(score->d->modif, 1);
}

TEST_F(TupletTool, TheEndStopsTenUnitsRightOfTheStartAndTheLabelFollowsAtHalfSpeed) {
    struct Case {
        double dx, dy;
        short dx1, dy1, dx2, dy2;
    } cases[] = {
        {40, 0, 40, 0, 20, -5},    // moved 30 past the new end: the label 15 along
        {-50, 0, 10, 0, 5, -5},    // left: held at 10 units; the label stays where it was
        {60, 10, 60, 10, 30, 0},   // down as well: the label half of it
    };
    short x = 10;
    for (const Case& k : cases) {
        SCOPED_TRACE(k.dx);
        press(1, 1, x, 4).move(k.dx, k.dy).release();
        CNolet* t = tuplets().back();
        EXPECT_EQ(t->x, x);
        EXPECT_EQ(t->dx1, k.dx1);
        EXPECT_EQ(t->dy1, k.dy1);
        EXPECT_EQ(t->dx2, k.dx2);
        EXPECT_EQ(t->dy2, k.dy2);
        at_measure(1, 1)->remove(at_measure(1, 1)->total());
        delete t;
    }
}

TEST_F(TupletTool, NotesUnderTheBracketAreBoundInTheVoiceNearestItsStart) {
    std::vector<CNote*> n;
    for (int i = 0; i < 4; i++) n.push_back(score->note(1, 1, 14, 4, 1));
    CNote* other = score->note(1, 1, 26, 4, 2);
    other->x = n[0]->x;
    // Over the first three eighths: from 1 unit left of the first, its end (10 units right of
    // the press at first) stretched to the third.
    press(1, 1, n[0]->x - 1, n[0]->y - 8).move(n[2]->x - n[0]->x + 1, 0).release();
    ASSERT_EQ(tuplets().size(), 1u);
    EXPECT_EQ(tuplets()[0]->x + tuplets()[0]->dx1, n[2]->x);
    ASSERT_EQ(tuplets().size(), 1u);
    const short bit = tuplets()[0]->mask;
    for (int i = 0; i < 3; i++) EXPECT_EQ(n[i]->nmask & bit, bit) << i;
    EXPECT_EQ(n[3]->nmask & bit, 0);
    EXPECT_EQ(other->nmask & bit, 0) << "the other voice is not under it";
}

TEST_F(TupletTool, ErasingThroughAnyHandleFreesItsNotes) {
    struct Case {
        const char* handle;
        double x, y;
    } cases[] = {{"start", 20, 4}, {"end", 60, 4}, {"label", 40, -5 - 3}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.handle);
        CNolet* t = bracket(20, 4, 40, 0x2);
        CNote* n = score->note(1, 1, 14, 4, 1);
        n->x = 30;
        n->nmask = 0x3;
        key_over(1, 1, k.x, k.y, 8);  // Backspace: the tool's erase mode for this press
        EXPECT_TRUE(tuplets().empty());
        EXPECT_EQ(n->nmask, 0x1) << "only the erased tuplet's bit goes";
        EXPECT_EQ(levels().back().opid, nolet_undo::Deleted);
        (void)t;
        CMeasure* m = at_measure(1, 1);
        while (m->total()) {
            CDataObject* o = m->get_item(m->total());
            m->remove(m->total());
            delete o;
        }
    }
}

TEST_F(TupletTool, PressesThatFindNothingChangeNothing) {
    // Erase mode or the pointer on an empty place; a press right of every measure.
    pal->set_tool(tool::Tuplet, 0);
    key_over(1, 1, 40, 4, 8);
    pal->set_tool(tool::Pointer, 0);
    EXPECT_EQ(press_handler(1, 1, 40, 4, EvfLeft), tool_result::NotMine);
    pal->set_tool(tool::Tuplet, 0);
    EXPECT_EQ(press_handler(3, 1, at_measure(3, 1)->width + 20, 4, EvfLeft), tool_result::NotMine)
        << "right of the last measure";
    EXPECT_TRUE(tuplets().empty());
    EXPECT_TRUE(levels().empty());
    EXPECT_EQ(score->d->modif, 0);
    // A refused measure.
    at_measure(1, 1)->flags |= measure_flag::PlayAlong;
    click(1, 1, 40, 4);
    EXPECT_TRUE(tuplets().empty());
}

TEST_F(TupletTool, ASeventeenthTupletIsRefusedWithABeep) {
    for (short k = 0; k < 16; k++) bracket((short)(100 + k), 60, 10, (short)(1 << k));
    click(1, 1, 10, 4);
    EXPECT_EQ(tuplets().size(), 16u);
    EXPECT_EQ(beeps(), 1);
    EXPECT_TRUE(levels().empty());
}

TEST_F(TupletTool, CtrlOpensTheDialogWhoseAnswerSetsTheDefaultsOrTakesTheTupletAway) {
    dialog.accept = false;
    click(1, 1, 10, 4, EvfCtrl);
    EXPECT_EQ(dialog.opened, 1);
    EXPECT_TRUE(tuplets().empty()) << "cancelled: the new tuplet is gone";
    ASSERT_FALSE(levels().empty());
    EXPECT_EQ(levels().back().opid, nolet_undo::Created);
    dialog.accept = true;
    dialog.n1 = 5;
    click(1, 1, 40, 4, EvfCtrl);
    ASSERT_EQ(tuplets().size(), 1u);
    EXPECT_EQ(tuplets()[0]->n1, 5);
    EXPECT_EQ(nolet_defaults().n1, 5);
    click(1, 1, 80, 4);
    EXPECT_EQ(tuplets().back()->n1, 5) << "the next one takes the new default";
    EXPECT_EQ(dialog.opened, 2) << "no dialog without Ctrl";
}

TEST_F(TupletTool, ADoubleClickOnAHandleEditsAndDragsMoveTheHandles) {
    CNolet* t = bracket(20, 4, 40);
    dialog.accept = true;
    dialog.n1 = 7;
    EXPECT_EQ(press_handler(1, 1, 20, 4, EvfLeft | EvfDouble), tool_result::Handled);
    EXPECT_EQ(dialog.opened, 1);
    EXPECT_EQ(t->n1, 7);
    ASSERT_FALSE(levels().empty());
    EXPECT_EQ(levels().back().opid, nolet_undo::Changed);
    EXPECT_EQ(nolet_defaults().n1, 3) << "editing a tuplet leaves the defaults";
    // Start: the whole bracket moves; label: only the label.
    press(1, 1, 20, 4).move(10, 6).release();
    EXPECT_EQ(t->x, 30);
    EXPECT_EQ(t->y, 10);
    EXPECT_EQ(t->dx1, 40);
    press(1, 1, 30 + t->dx2, 10 + t->dy2 - 3).move(4, -2).release();
    EXPECT_EQ(t->dx2, 24);
    EXPECT_EQ(t->dy2, -7);
    EXPECT_EQ(t->dx1, 40);
}
