#pragma once
// What the play-along view prepares from a score for touch play, as rules over plain values:
// the page-jump table (one touch band per staff line of every page, with the lines before and
// after it in reading order), the x-to-tick table of each measure, the play mode carried from
// column to column, the metronome staff and the chord groups of a group-trigger track.
//
// The view (app/ViewBrindlecot.h) gathers the values from the open document and writes the
// results back.

#include "score/Piste.h"

#include <cstdint>
#include <vector>

// One entry of the page-jump table, in page units.
struct JumpMouse {
    short x1 = 0, x2 = 0;  // left edge of the line's notes, right edge of the line
    short y1 = 0, y2 = 0;  // the line's touch band
    short pg = 0;          // page number (kJumpEnd closes the table)
    short last_on_page = 0, first_on_page = 0;
    short dyh = 0, nxh = 0;  // the line before: its last measure's y minus ours, its right end
    short dyb = 0, nxb = 0;  // the line after: its first measure's y minus our last's, its note start
};
constexpr short kJumpEnd = 32000;
// How far below a line's top its staff reaches.
constexpr short kStaffHeight = 24;

// One staff line of a system: its staff number in the master system (`pa` of its first
// measure) and the places of its first and last measures.
struct LineGeometry {
    short pa = 1;
    short first_x = 0, first_front = 0, first_y = 0;
    short last_x = 0, last_width = 0, last_y = 0;
};
struct SystemGeometry {
    short page = 1;
    bool first_on_page = false, last_on_page = false;
    std::vector<LineGeometry> lines;  // top to bottom
};
// The table for the systems in reading order (page, then system): entries 1..n one per line,
// entry n + 1 closing with `pg` kJumpEnd; entry 0 unused.
std::vector<JumpMouse> jump_table(const std::vector<SystemGeometry>& systems);

// The play-along modes of a column, carried from column to column (tool numbers 4500-4504).
constexpr short kModeAccompanimentOff = 4500;
constexpr short kModeLast = 4504;
constexpr short kModeDefault = 4502;
// The column's mode: the first mode symbol among the column's symbol tools, else the one
// carried.
short column_mode(short carried, const std::vector<short>& symbol_tools);

// A note or rest of a measure of the column: its x and the tick at which it begins.
struct TouchItem {
    short x;
    int32_t tick;
};
// The measures of one column, staff by staff.
struct StaffTouchItems {
    short width = 0;
    std::vector<TouchItem> items;
};
struct ColumnTouch {
    std::vector<int32_t> tabtu;     // entries 0..width - front; 1.. read by the touch locator
    std::vector<short> jump_next;   // per staff (index 0 the first)
};
// The x-to-tick table of a column whose staff-1 measure has notes from `front` over `width`
// and lasts `length` ticks, and each staff's `jump_next` (the larger of three quarters of the
// note width and the rightmost item, less `front`). Entry 1 stays -1 unless an item lies there;
// each run of entries without an item rises in equal integer steps from the entry before it to
// the one after it, or to `length` at the end.
ColumnTouch column_touch(short front, short width, int32_t length, const std::vector<StaffTouchItems>& staves);

// Whether a percussion track is a metronome: it plays notes, and all on keys 67 and 81.
bool metronome_track(const MidiEvent* events, short tot);
// The chord groups of a group-trigger track (entries 1..tot): a note-on more than 120 ticks
// after the reference (the group's first note-on, or the last note-off since) opens a new
// group. The first and last event index of each group.
void chord_groups(const MidiEvent* events, short tot, std::vector<short>* starts, std::vector<short>* stops);
constexpr int32_t kChordGroupGap = 120;
