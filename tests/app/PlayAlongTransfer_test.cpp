// What the play-along view prepares for touch play: the page-jump table of one page and of
// several, the x-to-tick table of a measure (a whole-measure rest too), the modes carried from
// column to column, the metronome staff, the chord groups, and the tablet and zoom fitting.
#include "app/PlayAlongTransfer.h"
#include "app/ViewBrindlecot.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

LineGeometry line(short pa, short y, short first_x = 10, short front = 20)
{
    LineGeometry l;
    l.pa = pa;
    l.first_x = first_x;
    l.first_front = front;
    l.first_y = y;
    l.last_x = 300;
    l.last_width = 100;
    l.last_y = y;
    return l;
}

SystemGeometry system(short page, bool first, bool last, std::vector<LineGeometry> lines)
{
    SystemGeometry s;
    s.page = page;
    s.first_on_page = first;
    s.last_on_page = last;
    s.lines = std::move(lines);
    return s;
}

std::vector<int> row(const JumpMouse& j)
{
    return {j.x1, j.x2, j.y1, j.y2, j.pg, j.last_on_page, j.first_on_page, j.dyh, j.nxh, j.dyb, j.nxb};
}

TEST(PlayAlongTransfer, OnePageOfOneSystemGivesWholeBandsAndNoNeighbours)
{
    const auto table = jump_table({system(1, true, true, {line(1, 100), line(2, 160)})});
    ASSERT_EQ(table.size(), 4u);  // entry 0 unused, two lines, the closing entry
    EXPECT_EQ(row(table[1]), (std::vector<int>{30, 400, 0, 32000, 1, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(row(table[2]), (std::vector<int>{30, 400, 0, 32000, 1, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(table[3].pg, kJumpEnd);
}

TEST(PlayAlongTransfer, SeveralPagesLinkEachLineToTheSameStaffBeforeAndAfter)
{
    // Page 1: two systems of two staves; page 2: one system showing staff 2 only.
    const auto table = jump_table({system(1, true, false, {line(1, 100), line(2, 160)}),
                                   system(1, false, true, {line(1, 300), line(2, 360)}),
                                   system(2, true, true, {line(2, 50, 5, 15)})});
    ASSERT_EQ(table.size(), 7u);
    const std::vector<std::vector<int>> expected = {
        // x1, x2, y1, y2, pg, last, first, dyh, nxh, dyb, nxb
        {30, 400, 0, 142, 1, 0, 1, 0, 0, 200, 30},
        {30, 400, 0, 242, 1, 0, 1, 0, 0, 200, 30},
        {30, 400, 242, 32000, 1, 1, 0, -200, 400, -250, 20},  // page 2 has no staff 1: its first line
        {30, 400, 32000, 32000, 1, 1, 0, -200, 400, -310, 20},
        {20, 400, 0, 32000, 2, 1, 1, 310, 400, 0, 0},
    };
    for (size_t i = 0; i < expected.size(); i++) EXPECT_EQ(row(table[i + 1]), expected[i]) << "entry " << i + 1;
    EXPECT_EQ(table[6].pg, kJumpEnd);
}

TEST(PlayAlongTransfer, TheXToTickTableRisesInEqualStepsBetweenItems)
{
    // Notes from x 20 over a width of 60: entries 1 to 40.
    const ColumnTouch c = column_touch(20, 60, 960, {StaffTouchItems{60, {{20, 0}, {38, 480}}}});
    ASSERT_EQ(c.tabtu.size(), 41u);
    EXPECT_EQ(c.tabtu[1], -1);
    EXPECT_EQ(c.tabtu[2], 0);
    EXPECT_EQ(c.tabtu[3], 26);
    EXPECT_EQ(c.tabtu[19], 26 * 17);
    EXPECT_EQ(c.tabtu[20], 480);
    EXPECT_EQ(c.tabtu[21], 502);
    EXPECT_EQ(c.tabtu[40], 480 + 22 * 20);
    EXPECT_EQ(c.jump_next, (std::vector<short>{30}));

    // A whole-measure rest gives no item: the table rises from -1 to the measure's end.
    const ColumnTouch rest = column_touch(20, 60, 960, {StaffTouchItems{60, {}}});
    EXPECT_EQ(rest.tabtu[1], -1);
    EXPECT_EQ(rest.tabtu[2], 23);
    EXPECT_EQ(rest.tabtu[40], -1 + 24 * 39);
    for (size_t i = 3; i < rest.tabtu.size(); i++) EXPECT_EQ(rest.tabtu[i] - rest.tabtu[i - 1], 24);

    // An item at offset 0 lands in entry 0; one right of the limit moves jump_next and, beyond
    // the notes, is not written; a second staff has its own jump_next.
    const ColumnTouch edge = column_touch(20, 60, 960, {StaffTouchItems{60, {{18, 100}, {70, 900}}}, StaffTouchItems{80, {}}});
    EXPECT_EQ(edge.tabtu[0], 100);
    EXPECT_EQ(edge.jump_next, (std::vector<short>{50, 45}));
}

TEST(PlayAlongTransfer, ModesCarryFromColumnToColumn)
{
    struct Case {
        short carried;
        std::vector<short> tools;
        short mode;
    } cases[] = {{kModeDefault, {}, 4502}, {4502, {2000, 4500, 4503}, 4500}, {4501, {4505, 3999}, 4501}, {4500, {4504}, 4504}};
    for (const Case& c : cases) EXPECT_EQ(column_mode(c.carried, c.tools), c.mode);
}

std::vector<MidiEvent> events(std::initializer_list<MidiEvent> list)
{
    std::vector<MidiEvent> e(1);
    e.insert(e.end(), list);
    return e;
}

MidiEvent on(int32_t t, unsigned char key) { return {t, {0x99, key, 100, 0xFF}}; }
MidiEvent off(int32_t t, unsigned char key) { return {t, {0x89, key, 0, 0xFF}}; }

TEST(PlayAlongTransfer, AMetronomeTrackPlaysOnlyKeys67And81)
{
    struct Case {
        std::vector<MidiEvent> track;
        bool metronome;
    } cases[] = {
        {events({on(0, 67), off(10, 67), on(480, 81), off(490, 81)}), true},
        {events({on(0, 67), on(480, 60)}), false},
        {events({on(0, 81), off(10, 60)}), true},
        {events({}), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(metronome_track(c.track.data(), (short)(c.track.size() - 1)), c.metronome);
}

TEST(PlayAlongTransfer, ChordGroupsSplitWhereANoteComesMoreThan120TicksAfterTheReference)
{
    struct Case {
        std::vector<MidiEvent> track;
        std::vector<short> starts, stops;
    } cases[] = {
        {events({on(0, 60), on(10, 64), off(100, 60), on(200, 67), on(400, 72), off(500, 72)}), {1, 5}, {4, 6}},
        {events({on(0, 60), on(120, 64), on(241, 67)}), {1, 3}, {2, 3}},
        {events({on(0, 60), on(121, 64)}), {1, 2}, {1, 2}},
        {events({off(0, 60)}), {}, {}},
    };
    for (const Case& c : cases) {
        std::vector<short> starts, stops;
        chord_groups(c.track.data(), (short)(c.track.size() - 1), &starts, &stops);
        EXPECT_EQ(starts, c.starts);
        EXPECT_EQ(stops, c.stops);
    }
}

TEST(PlayAlongTransfer, TheTabletRangeMapsOntoThePageArea)
{
    const TabletRange plain = tablet_range("Generic Tablet");
    EXPECT_EQ(plain.low_x, 900);
    EXPECT_EQ(plain.high_x, 9160);
    EXPECT_EQ(plain.low_y, 1340);
    EXPECT_EQ(plain.high_y, 9250);
    const TabletRange wacom = tablet_range("Wacom Intuos");
    EXPECT_EQ(wacom.low_x, 0);
    EXPECT_EQ(wacom.high_y, 10000);
    for (const TabletRange& r : {plain, wacom}) {
        const TabletMapping m = tablet_mapping(r, 100, 150, 700, 900);
        EXPECT_NEAR(m.offsetx + r.low_x * m.factx, 100, 1.0);
        EXPECT_NEAR(m.offsetx + r.high_x * m.factx, 700, 1.0);
        EXPECT_NEAR(m.offsety + r.low_y * m.facty, 150, 1.0);
        EXPECT_NEAR(m.offsety + r.high_y * m.facty, 900, 1.0);
    }
}

}  // namespace
