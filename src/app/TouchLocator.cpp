#include "app/TouchLocator.h"

#include <algorithm>

namespace {

constexpr int32_t kFullHeight = 100, kLowHeight = 50;
constexpr int32_t kBendFloor = 60;

int32_t first_y(const TouchStaffLine& staff) { return staff.measures.empty() ? 0 : staff.measures.front().y; }

bool inside(const TouchArea& a, int32_t x, int32_t y) { return x >= a.x1 && x <= a.x2 && y >= a.y1 && y <= a.y2; }

// The first of the items whose lower midpoint lies at or below y, else the last: the rule that
// chooses a system in the page and a staff in a system. `bottom(i)` is the y of item i's
// lowest staff line top, `top(i)` that of its highest.
template <typename Bottom, typename Top>
size_t by_midpoints(size_t count, int32_t y, Bottom bottom, Top top)
{
    for (size_t i = 0; i + 1 < count; i++)
        if (y <= (bottom(i) + kStaffHeight + top(i + 1)) / 2) return i;
    return count - 1;
}

}  // namespace

short touch_height(int32_t d)
{
    d = std::clamp<int32_t>(d, 0, kStaffHeight);
    return (short)((kStaffHeight - d) * (kFullHeight - kLowHeight) / kStaffHeight + kLowHeight);
}

short height_pitch_bend(short hpor)
{
    if (hpor < kBendFloor) return 0;
    return (short)((hpor - kBendFloor) * 2.5);
}

bool queue_touched_measure(short cur_mode, bool accomp_actif, int32_t xr, short jump_next, int32_t trsol,
                           int32_t length, bool last_measure)
{
    return cur_mode == kModeAccompanimentOff || !accomp_actif ||
           (xr < jump_next && trsol < length - kQueueNextTicks) || last_measure;
}

TouchPlace localiser(const TouchScore& score, const TouchContext& context, int32_t x, int32_t y)
{
    TouchPlace p;
    const short N = score.measure_count();
    if (!inside(score.area, x, y) || score.systems.empty() || N < 1) return p;

    const std::vector<TouchSystem>& systems = score.systems;
    for (const TouchSystem& s : systems)
        if (s.staves.empty()) return p;
    const size_t si = by_midpoints(
        systems.size(), y, [&](size_t i) { return first_y(systems[i].staves.back()); },
        [&](size_t i) { return first_y(systems[i].staves.front()); });
    const TouchSystem& system = systems[si];
    short following = si + 1 < systems.size() ? systems[si + 1].id : score.next_page_system;
    bool following_on_next_page = si + 1 >= systems.size() && following != 0;

    const std::vector<TouchStaffLine>& staves = system.staves;
    const size_t pi = by_midpoints(
        staves.size(), y, [&](size_t i) { return first_y(staves[i]); }, [&](size_t i) { return first_y(staves[i]); });
    const std::vector<TouchMeasure>& measures = staves[pi].measures;
    size_t mi = measures.size();
    for (size_t i = 0; i < measures.size(); i++)
        if (measures[i].x <= x && x <= measures[i].x + measures[i].width) {
            mi = i;
            break;
        }
    if (mi == measures.size()) return p;
    const TouchMeasure& m = measures[mi];
    if (m.ma < 1 || m.ma > N) return p;
    if (mi + 1 < measures.size()) {
        following = system.id;
        following_on_next_page = false;
    }

    p.found = true;
    p.hpor = touch_height(y - m.y);
    p.msol = m.ma;
    p.psol = m.pa;
    const TouchColumn& column = score.columns[(size_t)p.msol];
    const int32_t xr = x - m.x - m.front;
    p.cur_mode = column.bcot_mode;
    if (xr < 1) {
        p.trsol = -1;
        p.tsol = m.start_time;
    } else if (xr > m.width - m.front) {
        p.trsol = 0;
        p.tsol = m.start_time;
    } else {
        // An x past the table reads as its arrays' default, 0.
        p.trsol = (size_t)xr < column.tabtu.size() ? column.tabtu[(size_t)xr] : 0;
        p.tsol = m.start_time + p.trsol;
    }

    if (queue_touched_measure(p.cur_mode, context.accomp_actif, xr, m.jump_next, p.trsol, m.length, p.msol == N)) {
        if (context.macc != p.msol) {
            p.queue = true;
            p.next_macc = p.msol;
            p.next_start_acc = m.start_time;
            p.next_stop_acc = m.start_time + m.length;
            if (context.macc == 0 || p.cur_mode == kModeAccompanimentOff || !context.accomp_actif)
                p.syscur = system.id;
            else
                p.nextsyscur = system.id;
        }
    } else {
        const TouchColumn& next = score.columns[(size_t)p.msol + 1];
        p.queue = true;
        p.next_macc = (short)(p.msol + 1);
        p.next_start_acc = next.start_time;
        p.next_stop_acc = next.start_time + next.length;
        p.nextsyscur = following;
        p.next_saut_page = following_on_next_page && !context.relative_tablet && context.page_turn;
    }
    return p;
}
