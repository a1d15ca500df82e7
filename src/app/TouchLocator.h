#pragma once
// Where a touch falls on the page shown in the play-along view, as a rule over plain values:
// the system and staff by the midpoints between them, the measure by x, the tick under the
// finger from the column's x-to-tick table, the height of the touch on the staff, and which
// window of accompaniment is to be queued (the touched measure, or the next one when the
// finger is near the touched measure's end and the accompaniment runs on its own clock).
//
// The view (app/ViewBrindlecot.h) gathers the page's geometry and applies the result: it
// writes the touch fields, hands the queued window to the player and acts on the height.
// Everything here is pure; it runs on the program's thread.

#include "app/PlayAlongTransfer.h"

#include <cstdint>
#include <vector>

// One measure of the page, in page units, with its column `ma` and staff `pa` in the master
// system.
struct TouchMeasure {
    short x = 0, y = 0, width = 0, front = 0;
    short jump_next = 0;  // x offset from the end of the head beyond which the next one is meant
    short ma = 0, pa = 0;
    int32_t start_time = 0, length = 0;
};
struct TouchStaffLine {
    std::vector<TouchMeasure> measures;  // left to right
};
struct TouchSystem {
    short id = 0;                        // the system's number in the document
    std::vector<TouchStaffLine> staves;  // top to bottom
};
// One column of the reference staff (the first staff of the master system).
struct TouchColumn {
    int32_t start_time = 0, length = 0;
    short bcot_mode = kModeDefault;
    std::vector<int32_t> tabtu;  // the x-to-tick table, entries 1.. (entry 0 unused)
};
// The page's active area, both ends included.
struct TouchArea {
    int32_t x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};
struct TouchScore {
    TouchArea area;
    std::vector<TouchSystem> systems;  // the systems of the current page, top to bottom
    short next_page_system = 0;        // the first system of the next page, 0 on the last page
    std::vector<TouchColumn> columns;  // entries 1..measure count (entry 0 unused)
    short measure_count() const { return (short)(columns.empty() ? 0 : columns.size() - 1); }
};
// What the locator reads of the play of the moment and of the parameters.
struct TouchContext {
    short macc = 0;              // the column being played, 0 none
    bool accomp_actif = true;    // the accompaniment runs on its own clock
    bool relative_tablet = false;  // parameter 20
    bool page_turn = false;        // parameter 23: turn the page on a queued jump
};

// The height of a touch at `d` units below the staff's top line, in percent: 100 at the top,
// 50 at 24 units below and lower.
short touch_height(int32_t d);
// The pitch bend (percent) that a touch height gives when the height drives the bend: 0 below
// 60, rising by 2.5 a percent to 100.
short height_pitch_bend(short hpor);

// The touch decision.
struct TouchPlace {
    bool found = false;  // false: nothing is touched, every play field is reset
    short psol = 0, msol = 0;
    int32_t tsol = 0, trsol = 0;
    short cur_mode = kModeAccompanimentOff;
    short hpor = 0;      // the height, when found
    // The queued window, when `queue` (the column's start and stop).
    bool queue = false;
    short next_macc = 0;
    int32_t next_start_acc = 0, next_stop_acc = 0;
    short syscur = 0;      // made current at once (0: unchanged)
    short nextsyscur = 0;  // made current when the queued window starts (0: none)
    bool next_saut_page = false;
};
// Locates page point (x, y).
TouchPlace localiser(const TouchScore& score, const TouchContext& context, int32_t x, int32_t y);

// Whether the touched measure itself is queued (rather than the next one): it follows the
// finger, or the finger is left of `jump_next` and before the last 240 ticks, or it is the
// last measure of the score.
bool queue_touched_measure(short cur_mode, bool accomp_actif, int32_t xr, short jump_next, int32_t trsol,
                           int32_t length, bool last_measure);
// The ticks at the end of a measure in which a touch asks for the next one.
constexpr int32_t kQueueNextTicks = 240;
