#include "tools/ScoreDispatchLength.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "editor/Editeur.h"
#include "editor/ItemHitTest.h"
#include "framework/CUserPanel.h"
#include "framework/Event.h"
#include "layout/UtilitairesGroupesAccords.h"
#include "layout/UtilitairesPartition.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/MusicSettings.h"
#include "score/ToolNumbers.h"
#include "score/ScoreItems.h"
#include "tools/ToolContext.h"

namespace {

constexpr short kUndoStemLength = 13;  // undo operation of a stem drag
constexpr short kMostMovingNotes = 100;
constexpr short kBeamAngleUnit = 45;

// One note whose stem may move, with its measure and what it was before the drag.
struct Moving {
    CMeasure* m;
    short measure_id, item;
    CNote* n;
    short height, dir;
};

// Every measure of column `ma` of the master system, one per staff.
std::vector<std::pair<CMeasure*, short>> column_measures(short ma)
{
    std::vector<std::pair<CMeasure*, short>> all;
    const short staves = doc->sys[1]->tot_por;
    for (short p = 1; p <= staves; p++) {
        Portee* staff = doc->por[doc->sys[1]->por[p]];
        if (!staff || ma > staff->tot_mes) continue;
        const short id = staff->mes[ma];
        if (doc->mes[id]) all.push_back({doc->mes[id], id});
    }
    return all;
}

bool has_stem(const CNote* n)
{
    return n->height != 0 || n->cid == 0;
}

}  // namespace

bool stem_end_holds(const StemEnd& s, float scalex, float scaley, float ss, short px, short py)
{
    const bool across = s.down ? (px >= s.hx - 3 * scalex && px <= s.hx + 5 * scalex)
                               : (px >= s.hx + 3 * scalex && px <= s.hx + 11 * scalex);
    if (!across) return false;
    const short h = s.down ? s.height : (short)-s.height;
    return py >= s.hy + (h - 4) * scaley * ss && py <= s.hy + (h + 4) * scaley * ss;
}

StemRange limite_hampe(short y, bool down, short height, short e, short span, short angle)
{
    (void)height;
    const short d = (short)(std::abs((int)(span * (angle / (double)kBeamAngleUnit))) - 2);
    const short base = down ? (short)(e - y) : (short)(y - e);
    StemRange r{(short)(base - d), (short)(base + d)};
    if (r.lowest > r.highest) std::swap(r.lowest, r.highest);
    return r;
}

short hauteur_suivante(short height, bool down, short delta, const StemRange& r)
{
    height = std::max(r.lowest, std::min(r.highest, height));
    height = (short)(down ? height + delta : height - delta);
    return std::max(r.lowest, std::min(r.highest, height));
}

short dispatch_editeur_hauteurs(Editeur* v, Event* e)
{
    ToolContext c;
    if (!c.begin(v, e) || c.erase) return tool_result::NotMine;
    ShownMeasure hit;
    short item = 0;
    walk_shown(v, [&](const ShownMeasure& s) {
        const short left = (short)(s.mx - v->ox), top = (short)(s.my - v->oy);
        for (short i = 1; i <= s.m->total(); i++) {
            CNote* n = s.m->get_note_item(i);
            if (!n || n->rythm <= 1) continue;
            StemEnd end{(short)(left + (short)(n->x * v->scalex)),
                        (short)(top + (short)((n->y - 2) * v->scaley * s.ss)), n->dir == 1, n->height};
            if (!stem_end_holds(end, v->scalex, v->scaley, s.ss, c.x, c.y)) continue;
            hit = s, item = i;
            return true;
        }
        return false;
    });
    if (!item || is_refused(hit.m)) return tool_result::NotMine;
    CNote* grabbed = hit.m->get_note_item(item);
    // A chord note without a stem of its own: not taken, nothing changed.
    if (grabbed->cid != 0 && grabbed->height == 0) return tool_result::NotMine;
    c.touch(hit);
    c.record(kUndoStemLength);
    short gid = grabbed->gid;

    // The notes whose stems may move, and the ends of the beam.
    std::vector<Moving> moving;
    if (gid == 0) {
        moving.push_back({hit.m, hit.index, item, grabbed, grabbed->height, grabbed->dir});
    } else {
        std::vector<std::pair<CMeasure*, short>> where = {{hit.m, hit.index}};
        if (gid < 0) where = column_measures(last_ma);
        for (auto [m, id] : where)
            for (short i = 1; i <= m->total() && (short)moving.size() < kMostMovingNotes; i++)
                if (CNote* n = m->get_note_item(i))
                    if (n->gid == gid && has_stem(n)) moving.push_back({m, id, i, n, n->height, n->dir});
    }
    const Moving* low = nullptr;
    const Moving* high = nullptr;
    for (const Moving& mv : moving) {
        if (!low || mv.n->x < low->n->x) low = &mv;
        if (!high || mv.n->x > high->n->x) high = &mv;
    }
    const bool inner = gid != 0 && low && high && grabbed->x > low->n->x && grabbed->x < high->n->x;
    StemRange range;
    if (gid != 0 && !inner && low && high) {
        const CNote* other = gid > 0 ? (grabbed == low->n ? high->n : low->n) : grabbed;
        const short end_y = other->dir == 1 ? (short)(other->y + other->height) : (short)(other->y - other->height);
        const short span = gid > 0 ? (short)(high->n->x - low->n->x) : (short)0;
        range = limite_hampe(grabbed->y, grabbed->dir == 1, grabbed->height, end_y, span, doc->angle_ligatures);
    }
    // The measure's band is painted afresh as the stems move.
    const bool down = grabbed->dir == 1;
    const float unit_y = v->scaley * c.at.ss;
    short steps = 0;
    c.drag(32000.0f, unit_y, [&](short, short ty) {
        const short now = (short)(ty / unit_y), delta = (short)(now - steps);
        if (!delta) return;
        steps = now;
        grabbed->height = hauteur_suivante(grabbed->height, down, delta, range);
        if (inner)
            for (const Moving* end : {low, high}) {
                CNote* n = end->n;
                n->height = (short)(n->dir == 1 ? n->height + delta : n->height - delta);
            }
        if (gid != 0) calcul_groupe(hit.m, &gid, v->scalex, v->scaley, v->up);
        c.repaint_measure();
    });

    for (const Moving& mv : moving) {
        if (!mv.n->sid || mv.m != hit.m) continue;
        c.move_bound_symbols(mv.n->sid, c.px_x(mv.n->x), c.px_y(mv.n->y), mv.height, mv.dir, mv.item, 1, 1);
    }
    c.touch(hit);
    c.draw_measure(DrawNormal);
    c.repaint_measure();
    for (const Moving& mv : moving)
        if (mv.m != hit.m) repaint_measure_band(v, mv.m, staff_scale_of(find_abs_staff(mv.measure_id)));
    return tool_result::Handled;
}
