// The touch locator over a small page: two systems of two staves, three measures (columns 1
// and 2 on the first system, 3 on the second). Every point is a row of the table with what it
// must give.
#include "app/TouchLocator.h"

#include <gtest/gtest.h>

namespace {

constexpr int32_t kBar = 1920;

// A measure whose x-to-tick table rises evenly over its notes.
TouchMeasure measure(short ma, short pa, short x, short y, short width, short front, short jump_next)
{
    TouchMeasure m;
    m.ma = ma;
    m.pa = pa;
    m.x = x;
    m.y = y;
    m.width = width;
    m.front = front;
    m.jump_next = jump_next;
    m.start_time = (ma - 1) * kBar;
    m.length = kBar;
    return m;
}

// System 1: staves at y 100 and 160, column 1 at x 100 (width 200, head 20), column 2 at x 300
// (width 200, no head). System 2: staves at y 300 and 360, column 3 at x 100 (width 300,
// head 20). The midpoint between the staves of system 1 is y 142, between the systems y 242.
TouchScore page(bool second_system_on_next_page = false)
{
    TouchScore s;
    s.area = {50, 950, 50, 950};
    TouchSystem one;
    one.id = 1;
    for (short pa : {1, 2}) {
        const short y = pa == 1 ? 100 : 160;
        TouchStaffLine line;
        line.measures.push_back(measure(1, pa, 100, y, 200, 20, pa == 1 ? 175 : 135));
        line.measures.push_back(measure(2, pa, 300, y, 200, 0, 150));
        one.staves.push_back(line);
    }
    TouchSystem two;
    two.id = 2;
    for (short pa : {1, 2}) {
        TouchStaffLine line;
        line.measures.push_back(measure(3, pa, 100, pa == 1 ? 300 : 360, 300, 20, 210));
        two.staves.push_back(line);
    }
    s.systems.push_back(one);
    if (second_system_on_next_page)
        s.next_page_system = 2;
    else
        s.systems.push_back(two);
    s.columns.resize(4);
    for (short c = 1; c <= 3; c++) {
        TouchColumn& col = s.columns[c];
        const short notes = c == 1 ? 180 : c == 2 ? 200 : 280;
        col.start_time = (c - 1) * kBar;
        col.length = kBar;
        col.tabtu.assign((size_t)notes + 1, 0);
        for (short x = 1; x <= notes; x++) col.tabtu[(size_t)x] = x * kBar / notes;
    }
    return s;
}

struct Case {
    const char* what;
    int32_t x, y;
    short macc;
    bool accomp_actif;
    short mode1;  // the play mode of column 1
    // Expected.
    bool found;
    short psol, msol;
    int32_t tsol, trsol;
    short hpor;
    bool queue;
    short next_macc;
    short syscur, nextsyscur;
};

class Locate : public ::testing::TestWithParam<Case> {};

TEST_P(Locate, GivesTheTouchAndTheQueuedWindow)
{
    const Case& c = GetParam();
    TouchScore s = page();
    s.columns[1].bcot_mode = c.mode1;
    TouchContext ctx;
    ctx.macc = c.macc;
    ctx.accomp_actif = c.accomp_actif;
    const TouchPlace p = localiser(s, ctx, c.x, c.y);
    ASSERT_EQ(p.found, c.found);
    if (!c.found) return;
    EXPECT_EQ(p.psol, c.psol);
    EXPECT_EQ(p.msol, c.msol);
    EXPECT_EQ(p.tsol, c.tsol);
    EXPECT_EQ(p.trsol, c.trsol);
    EXPECT_EQ(p.hpor, c.hpor);
    EXPECT_EQ(p.cur_mode, s.columns[(size_t)c.msol].bcot_mode);
    ASSERT_EQ(p.queue, c.queue);
    EXPECT_EQ(p.syscur, c.syscur);
    EXPECT_EQ(p.nextsyscur, c.nextsyscur);
    EXPECT_FALSE(p.next_saut_page);
    if (!c.queue) return;
    EXPECT_EQ(p.next_macc, c.next_macc);
    EXPECT_EQ(p.next_start_acc, (c.next_macc - 1) * kBar);
    EXPECT_EQ(p.next_stop_acc, c.next_macc * kBar);
}

constexpr short D = kModeDefault, F = kModeAccompanimentOff;

INSTANTIATE_TEST_SUITE_P(
    TwoSystems, Locate,
    ::testing::Values(
        // what                                  x    y   macc acc  mode found psol msol tsol trsol hpor queue next sys nextsys
        Case{"on the top line of staff 1",       150, 100, 0, true, D, true, 1, 1, 320, 320, 100, true, 1, 1, 0},
        Case{"one unit below the top",           150, 101, 0, true, D, true, 1, 1, 320, 320, 97, true, 1, 1, 0},
        Case{"at the staff's foot",              150, 124, 0, true, D, true, 1, 1, 320, 320, 50, true, 1, 1, 0},
        Case{"below the foot, above the midpoint", 150, 142, 0, true, D, true, 1, 1, 320, 320, 50, true, 1, 1, 0},
        Case{"past the midpoint: staff 2",       150, 143, 0, true, D, true, 2, 1, 320, 320, 100, true, 1, 1, 0},
        Case{"above a staff counts as its top",  150, 60, 0, true, D, true, 1, 1, 320, 320, 100, true, 1, 1, 0},
        Case{"on the head: before the first beat", 110, 100, 0, true, D, true, 1, 1, 0, -1, 100, true, 1, 1, 0},
        Case{"first x of the notes",             121, 100, 0, true, D, true, 1, 1, 10, 10, 100, true, 1, 1, 0},
        Case{"second system, past y 242",        150, 243, 0, true, D, true, 1, 3, 3840 + 205, 205, 100, true, 3, 2, 0},
        Case{"second system, staff 2",           150, 380, 0, true, D, true, 2, 3, 3840 + 205, 205, 58, true, 3, 2, 0},
        // Queue-next rules while column 1 plays on its own clock.
        Case{"the playing measure, early: nothing queued", 150, 100, 1, true, D, true, 1, 1, 320, 320, 100, false, 0, 0, 0},
        Case{"left of jump_next, in the last 240 ticks: next", 280, 100, 1, true, D, true, 1, 1, 1706, 1706, 100, true, 2, 0, 1},
        Case{"at jump_next: next",               295, 160, 1, true, D, true, 2, 1, 1866, 1866, 100, true, 2, 0, 1},
        Case{"staff 2 of column 1 has its own jump_next", 260, 160, 1, true, D, true, 2, 1, 1493, 1493, 100, true, 2, 0, 1},
        Case{"end of the line: next system",     480, 100, 1, true, D, true, 1, 2, 1920 + 1728, 1728, 100, true, 3, 0, 2},
        Case{"the last measure is never passed", 395, 300, 2, true, D, true, 1, 3, 3840 + 1885, 1885, 100, true, 3, 0, 2},
        Case{"another measure while one plays: current later", 150, 300, 1, true, D, true, 1, 3, 3840 + 205, 205, 100, true, 3, 0, 2},
        Case{"mode 4500 follows the finger: no next", 280, 100, 2, true, F, true, 1, 1, 1706, 1706, 100, true, 1, 1, 0},
        Case{"accompaniment off follows the finger", 280, 100, 2, false, D, true, 1, 1, 1706, 1706, 100, true, 1, 1, 0},
        Case{"nothing playing, near the end: next", 280, 100, 0, true, D, true, 1, 1, 1706, 1706, 100, true, 2, 0, 1},
        // Nothing touched.
        Case{"left of the area",                 40, 100, 0, true, D, false, 0, 0, 0, 0, 0, false, 0, 0, 0},
        Case{"below the area",                   150, 951, 0, true, D, false, 0, 0, 0, 0, 0, false, 0, 0, 0},
        Case{"the point (0, 0)",                 0, 0, 1, true, D, false, 0, 0, 0, 0, 0, false, 0, 0, 0},
        Case{"right of the last measure of a line", 520, 100, 0, true, D, false, 0, 0, 0, 0, 0, false, 0, 0, 0},
        Case{"between two measures' ends: left of the first", 90, 100, 0, true, D, false, 0, 0, 0, 0, 0, false, 0, 0, 0}),
    [](const ::testing::TestParamInfo<Case>& info) { return "case" + std::to_string(info.index); });

TEST(LocateNextPage, AJumpPastTheLastLineOfThePageAsksForAPageTurn)
{
    const TouchScore s = page(true);
    struct Row {
        bool relative, turn, expected;
    };
    for (const Row& r : {Row{false, true, true}, Row{true, true, false}, Row{false, false, false}}) {
        TouchContext ctx;
        ctx.macc = 2;
        ctx.relative_tablet = r.relative;
        ctx.page_turn = r.turn;
        const TouchPlace p = localiser(s, ctx, 480, 100);
        ASSERT_TRUE(p.found);
        EXPECT_EQ(p.next_macc, 3);
        EXPECT_EQ(p.nextsyscur, 2) << "the first system of the next page";
        EXPECT_EQ(p.next_saut_page, r.expected) << r.relative << r.turn;
    }
    // A measure inside the line keeps the following system on this page.
    TouchContext ctx;
    ctx.macc = 1;
    ctx.page_turn = true;
    const TouchPlace p = localiser(s, ctx, 280, 100);
    EXPECT_EQ(p.nextsyscur, 1);
    EXPECT_FALSE(p.next_saut_page);
}

TEST(TouchHeight, FromTheTopLineDown)
{
    struct Row {
        int32_t d;
        short hpor, bend;
    };
    for (const Row& r : {Row{-5, 100, 100}, Row{0, 100, 100}, Row{1, 97, 92}, Row{12, 75, 37}, Row{16, 66, 15},
                         Row{19, 60, 0}, Row{20, 58, 0}, Row{24, 50, 0}, Row{40, 50, 0}}) {
        EXPECT_EQ(touch_height(r.d), r.hpor) << r.d;
        EXPECT_EQ(height_pitch_bend(touch_height(r.d)), r.bend) << r.d;
    }
    EXPECT_EQ(height_pitch_bend(59), 0);
}

}  // namespace
