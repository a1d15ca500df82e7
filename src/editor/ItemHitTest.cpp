#include "editor/ItemHitTest.h"

#include "editor/Editeur.h"
#include "layout/UtilitairesPartition.h"
#include "score/MusicSettings.h"

namespace {

short trunc_short(double v) { return (short)v; }

template <class T>
T* entry(T** list, short i, short last) {
    return list && i >= 0 && i <= last ? list[i] : nullptr;
}

}  // namespace

float staff_scale_of(short part) {
    if (!doc || !doc->ins || part < 1 || part > doc->tot_ins || doc->ins[part].staff_size <= 0) return 1.0f;
    return doc->ins[part].staff_size / 100.0f;
}

bool walk_shown_measures(const Editeur* v, bool (*f)(const ShownMeasure&, void*), void* data) {
    if (!doc) return false;
    Page* page = entry(doc->pag, doc->cur_pag, doc->max_pag);
    for (short k = 1; page && k <= page->tot_sys && k <= page->max_sys; k++) {
        const short sid = page->sys[k];
        Systeme* sys = sid >= 1 ? entry(doc->sys, sid, doc->max_sys) : nullptr;
        for (short j = 1; sys && j <= sys->tot_por && j <= sys->max_por; j++) {
            const short pid = sys->por[j];
            Portee* staff = pid >= 1 ? entry(doc->por, pid, doc->max_por) : nullptr;
            if (!staff || staff->tot_mes < 1) continue;
            ShownMeasure s;
            s.staff = pid, s.system = sid, s.ppos = j, s.spos = k;
            short column = 0;
            localiser_mesure(staff->mes[1], &column, &s.part);
            s.ss = staff_scale_of(s.part);
            for (short t = 1; t <= staff->tot_mes && t <= staff->max_mes; t++) {
                const short mid = staff->mes[t];
                CMeasure* m = mid >= 1 ? entry(doc->mes, mid, doc->max_mes) : nullptr;
                if (!m) continue;
                s.m = m, s.index = mid, s.mpos = t;
                s.mx = trunc_short(m->x * v->scalex);
                s.my = trunc_short(m->y * v->scaley);
                s.mw = trunc_short(m->width * v->scalex);
                if (f(s, data)) return true;
            }
        }
    }
    return false;
}

bool spans_x(const Editeur* v, const ShownMeasure& s, short x) {
    return s.mx - v->ox <= x && x < s.mx - v->ox + s.mw;
}

bool note_box_holds(const Editeur* v, const ShownMeasure& s, const CNote* n, float vx, float vy) {
    const float sx = v->scalex * s.ss, sy = v->scaley * s.ss;
    const short nx = trunc_short(s.mx + n->x * v->scalex);
    const short ny = trunc_short(s.my + n->y * v->scaley * s.ss);
    return nx - sx <= vx && vx <= nx + 7 * sx && ny - 5 * sy <= vy && vy <= ny + sy;
}

bool rest_box_holds(const Editeur* v, const ShownMeasure& s, const CRest* r, float vx, float vy) {
    const short k = r->rythm >= 0 && r->rythm <= 9 ? r->rythm : 9;
    const float sx = v->scalex * s.ss, sy = v->scaley * s.ss;
    const short rx = trunc_short(s.mx + r->x * v->scalex);
    const short ry = trunc_short(s.my + r->y * v->scaley * s.ss);
    return rx + vds2[k] * sx <= vx && vx <= rx + vds1[k] * sx && ry + vds4[k] * sy <= vy && vy <= ry + vds3[k] * sy;
}

namespace {

template <class T, class Holds>
short find_at(const Editeur* v, short x, short y, ItemHit* hit, Holds holds) {
    const float vx = (float)(x + v->ox), vy = (float)(y + v->oy);
    return walk_shown(v, [&](const ShownMeasure& s) {
               hit->at = s;
               if (!spans_x(v, s, x)) return false;
               for (short i = 1; i <= s.m->total(); i++) {
                   const T* o = object_as<T>(s.m->get_item(i));
                   if (o && holds(v, s, o, vx, vy)) {
                       hit->item = i;
                       return true;
                   }
               }
               return false;
           })
               ? 1
               : 0;
}

}  // namespace

short find_note_at(const Editeur* v, short x, short y, ItemHit* hit) {
    return find_at<CNote>(v, x, y, hit, note_box_holds);
}

short find_rest_at(const Editeur* v, short x, short y, ItemHit* hit) {
    return find_at<CRest>(v, x, y, hit, rest_box_holds);
}

bool target_measure(const Editeur* v, short x, short y, ShownMeasure* target) {
    int32_t best = 30000;
    bool found = false;
    const bool inside = walk_shown(v, [&](const ShownMeasure& s) {
        if (!spans_x(v, s, x)) return false;
        const short top = (short)(s.my - v->oy);
        const float bottom = top + 24 * v->scaley * s.ss;
        if (top <= y && y <= bottom) {
            *target = s;
            return true;
        }
        const float distance = y < top ? (float)(top - y) : y - bottom;
        if (distance < best) {
            best = (int32_t)distance;
            *target = s;
            found = true;
        }
        return false;
    });
    return inside || found;
}

namespace {

short hit_outputs(short found, const ItemHit& h, short* index, short* mn, short* pn, short* sn, short* mm,
                  short* pp, short* ss) {
    // The positions first: a caller may pass one variable for several of them.
    *mm = h.at.mpos, *pp = h.at.ppos, *ss = h.at.spos;
    *mn = h.at.index, *pn = h.at.staff, *sn = h.at.system;
    if (found) *index = h.item;
    return found;
}

}  // namespace

short Editeur::trouver_note_clic(short x, short y, short* index, short* mn, short* pn, short* sn, short* mm,
                                 short* pp, short* ss) {
    ItemHit h;
    const short found = find_note_at(this, x, y, &h);
    return hit_outputs(found, h, index, mn, pn, sn, mm, pp, ss);
}

short Editeur::trouver_silence_clic(short x, short y, short* index, short* mn, short* pn, short* sn, short* mm,
                                    short* pp, short* ss) {
    ItemHit h;
    const short found = find_rest_at(this, x, y, &h);
    return hit_outputs(found, h, index, mn, pn, sn, mm, pp, ss);
}

short measure_column_at(const Editeur* v, short x, short y) {
    constexpr short kReach = 30;
    short column = 0;
    walk_shown(v, [&](const ShownMeasure& s) {
        if (!spans_x(v, s, x)) return false;
        const short top = (short)(s.my - v->oy);
        const short bottom = (short)(top + (short)(24 * v->scaley * s.ss));
        if (y < top - kReach || y > bottom + kReach) return false;
        short part = 0;
        localiser_mesure(s.index, &column, &part);
        return true;
    });
    return column;
}
