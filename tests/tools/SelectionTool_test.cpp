// The selection tool: which block a click, a Shift-click, a row or a column click makes; the
// inversion on the panel following the selection cell by cell; and the "Édition" menu's block
// commands and the block drag working on what the mouse selected.
#include "ToolBench.h"

#include <algorithm>

#include "midi/ScoreEditCommands.h"
#include "tools/ScoreDispatchSelection.h"

namespace {

using Target = SelectionTarget;

// ---- The decisions, as tables ----

TEST(SelectionDecision, ClicksShiftRowsAndColumnsMakeTheseBlocks) {
    const SelectionBlock none{}, b23{2, 3, 2, 3};
    struct Case {
        const char* what;
        SelectionBlock now;
        SelectionPress at;
        bool shift;
        SelectionBlock next;
        bool drag;
    } cases[] = {
        {"a click selects one measure", none, {Target::Measure, 4, 2}, false, {4, 4, 2, 2}, false},
        {"a click outside the block replaces it", b23, {Target::Measure, 5, 1}, false, {5, 5, 1, 1}, false},
        {"a click on the first cell drags", b23, {Target::Measure, 2, 2}, false, b23, true},
        {"a click inside, not first, keeps it", b23, {Target::Measure, 3, 3}, false, b23, false},
        {"Shift without a block selects one", none, {Target::Measure, 4, 2}, true, {4, 4, 2, 2}, false},
        {"Shift right and below grows", b23, {Target::Measure, 5, 4}, true, {2, 5, 2, 4}, false},
        {"Shift left and above: new top-left corner", b23, {Target::Measure, 1, 1}, true, {1, 3, 1, 3}, false},
        {"Shift inside moves the far edges", {2, 5, 1, 4}, {Target::Measure, 3, 2}, true, {2, 3, 1, 2}, false},
        {"a row selects every column", b23, {Target::Row, 0, 4}, false, {1, 6, 4, 4}, false},
        {"Shift row below extends the rows", b23, {Target::Row, 0, 4}, true, {1, 6, 2, 4}, false},
        {"Shift row above extends upward", b23, {Target::Row, 0, 1}, true, {1, 6, 1, 3}, false},
        {"Shift row with no rows selects it", none, {Target::Row, 0, 3}, true, {1, 6, 3, 3}, false},
        {"a column selects every staff", b23, {Target::Column, 5, 0}, false, {5, 5, 1, 4}, false},
        {"Shift column left extends leftward", b23, {Target::Column, 1, 0}, true, {1, 3, 1, 4}, false},
        {"Shift column right extends rightward", b23, {Target::Column, 6, 0}, true, {2, 6, 1, 4}, false},
        {"a click on nothing clears", b23, {Target::Nothing, 0, 0}, false, none, false},
        {"a Shift-click on nothing clears", b23, {Target::Nothing, 0, 0}, true, none, false},
    };
    for (const Case& c : cases) {
        const SelectionStep s = next_selection(c.now, c.at, c.shift, 6, 4);
        EXPECT_TRUE(s.next == c.next) << c.what << ": " << s.next.first_m << ".." << s.next.last_m << " x "
                                      << s.next.first_p << ".." << s.next.last_p;
        EXPECT_EQ(s.drag_block, c.drag) << c.what;
    }
}

// Two systems of two staves by three columns: staves 24 high at y 100 and 160, then 300 and
// 360; measures 100 wide from x 50.
std::vector<SelectionCell> two_systems() {
    std::vector<SelectionCell> cells;
    for (short sys = 1; sys <= 2; sys++)
        for (short st = 1; st <= 2; st++)
            for (short m = 1; m <= 3; m++) {
                SelectionCell c;
                c.column = (short)(m + 3 * (sys - 1));
                c.staff = st;
                c.system = sys, c.staff_pos = st, c.measure_pos = m;
                c.left = (short)(50 + 100 * (m - 1));
                c.right = (short)(c.left + 100);
                c.top = (short)(100 + 200 * (sys - 1) + 60 * (st - 1));
                c.bottom = (short)(c.top + 24);
                cells.push_back(c);
            }
    return cells;
}

TEST(SelectionDecision, APressFindsRowMeasureColumnOrNothing) {
    const std::vector<SelectionCell> cells = two_systems();
    struct Case {
        const char* what;
        short x, y;
        Target target;
        short column, staff;
    } cases[] = {
        {"a measure's band, edges included at left and top", 150, 100, Target::Measure, 2, 1},
        {"the right edge belongs to the next measure", 150, 110, Target::Measure, 2, 1},
        {"the bottom edge is outside", 100, 124, Target::Nothing, 0, 0},
        {"second staff, last measure", 349, 170, Target::Measure, 3, 2},
        {"second system", 60, 365, Target::Measure, 4, 2},
        {"left of a staff: its row", 20, 165, Target::Row, 0, 2},
        {"left of the second system's first staff", 49, 300, Target::Row, 0, 1},
        {"above the first system: a column", 260, 40, Target::Column, 3, 0},
        {"above the second system, between the systems", 120, 250, Target::Column, 4, 0},
        {"above the second system's second measure", 160, 290, Target::Column, 5, 0},
        {"between two staves of a system", 120, 140, Target::Nothing, 0, 0},
        {"right of every measure", 400, 110, Target::Nothing, 0, 0},
        {"above the top system, right of its measures", 400, 40, Target::Nothing, 0, 0},
    };
    for (const Case& c : cases) {
        const SelectionPress p = locate_selection_press(cells, c.x, c.y);
        EXPECT_EQ((int)p.target, (int)c.target) << c.what;
        EXPECT_EQ(p.column, c.column) << c.what;
        EXPECT_EQ(p.staff, c.staff) << c.what;
    }
}

// ---- Through the program's router ----

class SelectionTool : public ToolBench {
protected:
    void SetUp() override {
        ToolBench::SetUp();
        make_score(2, 4);
        open_score();
        pal->set_tool(tool::Selection, 0);
        editor->draw();
        image->flush();
    }
    void TearDown() override {
        ask_copy_count = saved_ask;
        ToolBench::TearDown();
    }
    SelectionBlock selection() const {
        return {editor->sel_first_m, editor->sel_last_m, editor->sel_first_p, editor->sel_last_p};
    }
    // A blank spot of measure (column, staff): between the top two staff lines, mid-width.
    int32_t shade(short column, short staff) {
        image->flush();
        const platform::Point p = panel_point(column, staff, 75, 3);
        return image->pixel(p.x, p.y) & 0xFFFFFF;
    }
    // The cells shown inverted on the panel.
    std::vector<std::pair<short, short>> inverted() {
        std::vector<std::pair<short, short>> cells;
        for (short p = 1; p <= 2; p++)
            for (short c = 1; c <= 4; c++)
                if (shade(c, p) == 0) cells.push_back({c, p});
        return cells;
    }
    short (*saved_ask)() = ask_copy_count;
};

TEST_F(SelectionTool, TheInvertedCellsAlwaysMatchTheSelection) {
    // After each step, the cells shown inverted are exactly the selected ones: each step
    // inverted only the symmetric difference of the blocks before and after it.
    struct Step {
        const char* what;
        short column, staff;
        short flags;
        double ux, uy;
        std::vector<std::pair<short, short>> shown;
    } steps[] = {
        {"a click on (2, 1)", 2, 1, 0, 40, 3, {{2, 1}}},
        {"Shift to (3, 2)", 3, 2, EvfShift, 40, 3, {{2, 1}, {3, 1}, {2, 2}, {3, 2}}},
        {"Shift back to (2, 2): column 3 goes", 2, 2, EvfShift, 40, 3, {{2, 1}, {2, 2}}},
        {"Shift left and up to (1, 1): rows from the first to (1, 1)", 1, 1, EvfShift, 40, 3, {{1, 1}, {2, 1}}},
        {"a click outside: (4, 2) alone", 4, 2, 0, 40, 3, {{4, 2}}},
        {"left of staff 1: the whole row", 1, 1, 0, -30, 3, {{1, 1}, {2, 1}, {3, 1}, {4, 1}}},
        {"above staff 1: column 3 over both staves", 3, 1, 0, 40, -30, {{3, 1}, {3, 2}}},
        {"between the staves: cleared", 2, 1, 0, 40, 45, {}},
    };
    EXPECT_TRUE(inverted().empty());
    for (const Step& s : steps) {
        click(s.column, s.staff, s.ux, s.uy, s.flags);
        std::vector<std::pair<short, short>> expected = s.shown;
        std::sort(expected.begin(), expected.end(), [](auto a, auto b) { return std::make_pair(a.second, a.first) < std::make_pair(b.second, b.first); });
        EXPECT_EQ(inverted(), expected) << s.what;
        for (auto [c, p] : s.shown) EXPECT_TRUE(selection().holds(c, p)) << s.what;
        EXPECT_EQ(answers.size(), 0u) << "the note handlers are not asked";
        // The block of four, for a person to look at.
        if (&s == &steps[1]) image->write_png(output("selection-tool-block.png"));
    }
    EXPECT_TRUE(selection().empty());
    EXPECT_TRUE(levels().empty()) << "selecting records no undo level";
}

TEST_F(SelectionTool, TheEditionMenuCopiesPastesAndErasesWhatTheMouseSelected) {
    score->note(1, 1, 14);
    score->note(1, 1, 8);
    click(1, 1, 40, 3);
    commande_edition(editor, CMD_COPIER_MESURES);
    click(3, 1, 40, 3);
    ASSERT_TRUE(selection() == (SelectionBlock{3, 3, 1, 1}));
    commande_edition(editor, CMD_COLLER_MESURES);
    EXPECT_EQ(items<CNote>(3, 1).size(), 2u) << "pasted at the selected measure";
    EXPECT_TRUE(items<CNote>(2, 1).empty());

    // Backspace over the score: the selection tool in erase mode, and the block's contents go.
    click(3, 1, 40, 3);
    key_over(3, 1, 40, 3, 8);
    EXPECT_TRUE(items<CNote>(3, 1).empty());
    EXPECT_EQ(items<CNote>(1, 1).size(), 2u);
    EXPECT_TRUE(selection().empty());
    ASSERT_FALSE(levels().empty());
    EXPECT_EQ(levels().back().opid, 0x45);
}

TEST_F(SelectionTool, DraggingTheBlockByItsFirstCellCopiesItWhereReleased) {
    score->note(1, 1, 14);
    click(1, 1, 40, 3);
    // Released on its own first cell: nothing.
    press(1, 1, 40, 3).move(10, 0).release();
    EXPECT_TRUE(items<CNote>(2, 1).empty());
    EXPECT_TRUE(selection() == (SelectionBlock{1, 1, 1, 1}));
    // Released over measure (2, 2): copied there.
    press(1, 1, 40, 3).move(150, 70).release();
    EXPECT_EQ(items<CNote>(2, 2).size(), 1u);
    EXPECT_TRUE(selection().empty());
    EXPECT_TRUE(inverted().empty()) << "the copy clears the selection on screen too";

    // With Ctrl: the count asked for, side by side; a cancelled count copies nothing.
    static short answer = 0;
    ask_copy_count = [] { return answer; };
    click(1, 1, 40, 3);
    answer = 0;
    press(1, 1, 40, 3, EvfCtrl).move(150, 0).release();
    EXPECT_TRUE(items<CNote>(2, 1).empty());
    answer = 2;
    press(1, 1, 40, 3, EvfCtrl).move(150, 0).release();
    EXPECT_EQ(items<CNote>(2, 1).size(), 1u);
    EXPECT_EQ(items<CNote>(3, 1).size(), 1u);
    EXPECT_TRUE(items<CNote>(4, 1).empty());
}

}  // namespace
