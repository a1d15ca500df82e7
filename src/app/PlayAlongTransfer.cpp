#include "app/PlayAlongTransfer.h"

#include <algorithm>

namespace {

// The line of `system` that shows the same staff as `line`: the one whose first measure has the
// same `pa`, else the system's first line.
const LineGeometry* same_staff(const SystemGeometry& system, const LineGeometry& line)
{
    if (system.lines.empty()) return nullptr;
    for (const LineGeometry& l : system.lines)
        if (l.pa == line.pa) return &l;
    return &system.lines.front();
}

bool note_on(const MidiEvent& e) { return (e.buf[0] & 0xF0) == 0x90 && e.buf[2] != 0 && e.buf[3] == 0xFF; }
bool note_off(const MidiEvent& e)
{
    return e.buf[3] == 0xFF && ((e.buf[0] & 0xF0) == 0x80 || ((e.buf[0] & 0xF0) == 0x90 && e.buf[2] == 0));
}

}  // namespace

std::vector<JumpMouse> jump_table(const std::vector<SystemGeometry>& systems)
{
    std::vector<JumpMouse> table(1);
    for (size_t i = 0; i < systems.size(); i++) {
        const SystemGeometry& sys = systems[i];
        for (size_t j = 0; j < sys.lines.size(); j++) {
            const LineGeometry& line = sys.lines[j];
            JumpMouse e;
            e.x1 = (short)(line.first_x + line.first_front);
            e.x2 = (short)(line.last_x + line.last_width);
            e.y1 = sys.first_on_page ? (short)0 : table.back().y2;
            if (sys.last_on_page) {
                e.y2 = kJumpEnd;
            } else {
                short next_top = line.last_y;
                if (j + 1 < sys.lines.size())
                    next_top = sys.lines[j + 1].first_y;
                else if (i + 1 < systems.size() && !systems[i + 1].lines.empty())
                    next_top = systems[i + 1].lines.front().first_y;
                e.y2 = (short)((line.last_y + kStaffHeight + next_top) / 2);
            }
            e.pg = sys.page;
            e.last_on_page = sys.last_on_page ? 1 : 0;
            e.first_on_page = sys.first_on_page ? 1 : 0;
            if (i > 0)
                if (const LineGeometry* before = same_staff(systems[i - 1], line)) {
                    e.dyh = (short)(before->last_y - line.first_y);
                    e.nxh = (short)(before->last_x + before->last_width);
                }
            if (i + 1 < systems.size())
                if (const LineGeometry* after = same_staff(systems[i + 1], line)) {
                    e.dyb = (short)(after->first_y - line.last_y);
                    e.nxb = (short)(after->first_x + after->first_front);
                }
            table.push_back(e);
        }
    }
    JumpMouse end;
    end.pg = kJumpEnd;
    table.push_back(end);
    return table;
}

short column_mode(short carried, const std::vector<short>& symbol_tools)
{
    for (short tool : symbol_tools)
        if (tool >= kModeAccompanimentOff && tool <= kModeLast) return tool;
    return carried;
}

ColumnTouch column_touch(short front, short width, int32_t length, const std::vector<StaffTouchItems>& staves)
{
    ColumnTouch c;
    const short notes = (short)std::max(0, width - front);
    c.tabtu.assign((size_t)notes + 1, -1);
    for (const StaffTouchItems& s : staves) {
        short limit = (short)(front + (s.width - front) * 0.75);
        for (const TouchItem& item : s.items) {
            if (item.x > limit) limit = item.x;
            const int offset = item.x + 2 - front;
            if (offset >= 0 && offset < s.width - front && offset <= notes) c.tabtu[(size_t)offset] = item.tick;
        }
        c.jump_next.push_back((short)(limit - front));
    }
    // Runs without an item rise in equal steps to the next item, or to the measure's end.
    for (int i = 2; i <= notes;) {
        if (c.tabtu[(size_t)i] != -1) {
            i++;
            continue;
        }
        int j = i;
        while (j <= notes && c.tabtu[(size_t)j] == -1) j++;
        const int32_t before = c.tabtu[(size_t)i - 1];
        const int32_t end = j <= notes ? c.tabtu[(size_t)j] : length;
        const int32_t step = (end - before) / (j - i + 1);
        for (int k = i; k < j; k++) c.tabtu[(size_t)k] = before + step * (k - i + 1);
        i = j;
    }
    return c;
}

bool metronome_track(const MidiEvent* events, short tot)
{
    bool any = false;
    for (short i = 1; i <= tot; i++) {
        if (!note_on(events[i])) continue;
        if (events[i].buf[1] != 67 && events[i].buf[1] != 81) return false;
        any = true;
    }
    return any;
}

void chord_groups(const MidiEvent* events, short tot, std::vector<short>* starts, std::vector<short>* stops)
{
    starts->clear();
    stops->clear();
    bool open = false;
    int32_t reference = 0;
    for (short i = 1; i <= tot; i++) {
        const MidiEvent& e = events[i];
        if (note_on(e)) {
            if (!open) {
                starts->push_back(i);
                open = true;
                reference = e.time;
            } else if (e.time > reference + kChordGroupGap) {
                stops->push_back((short)(i - 1));
                starts->push_back(i);
                reference = e.time;
            }
        } else if (note_off(e)) {
            reference = e.time;
        }
    }
    if (open) stops->push_back(tot);
}
