#include "tools/ScoreDispatchMeasures.h"

#include "editor/Editeur.h"
#include "editor/ItemHitTest.h"
#include "framework/CRect.h"
#include "framework/CUndoManager.h"
#include "framework/CUserPanel.h"
#include "framework/Event.h"
#include "framework/MouseTracking.h"
#include "layout/MeasureScaling.h"
#include "layout/UtilitairesPartition.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/MusicSettings.h"
#include "score/ToolNumbers.h"
#include "tools/ToolContext.h"

namespace {

constexpr short kUndoBarLine = 47;  // undo operation of a bar-line drag
constexpr short kBarZone = 10;  // units left of the bar line that grab it
constexpr short kRoomForNotes = 20;  // units a measure keeps besides its head part
constexpr short kPastThePage = 3;  // units a staff line may reach past the page
constexpr short kLinearLargest = 32000;  // pixels

// The id of the measure at column ma of staff pa of the master system; 0 when none.
short master_measure_id(short ma, short pa)
{
    if (!doc || !doc->sys || doc->tot_sys < 1 || !doc->sys[1]) return 0;
    Systeme* s = doc->sys[1];
    if (pa < 1 || pa > s->tot_por) return 0;
    const short staff = s->por[pa];
    if (staff < 1 || staff > doc->max_por || !doc->por[staff]) return 0;
    Portee* p = doc->por[staff];
    if (ma < 1 || ma > p->tot_mes) return 0;
    const short id = p->mes[ma];
    return id >= 1 && id <= doc->max_mes && doc->mes[id] ? id : (short)0;
}

CMeasure* recorded(short id, CUndoManager* undo)
{
    if (undo) undo->add_obj(reinterpret_cast<void**>(&doc->mes[id]), kUndoKindMeasure, 0, 0);
    return doc->mes[id];
}

}  // namespace

BarLineBounds bornes_barre(const BarLineColumn& c)
{
    const float sx = c.scalex;
    BarLineBounds b;
    b.smallest = (short)(kRoomForNotes * sx + c.front * sx);
    if (!c.page) {
        b.largest = kLinearLargest;
    } else if (!c.adjust || c.k == c.n) {
        short after = 0;
        for (short w : c.widths_after) after = (short)(after + w * sx);
        const short start = (short)(after + c.x * sx);
        b.largest = (short)(kPastThePage * sx + (c.page_width * sx - start));
    } else {
        const short both = (short)((c.width + c.next_width) * sx);
        b.largest = (short)(both - (kRoomForNotes * sx + c.next_front * sx));
    }
    return b;
}

void elargir_colonne(short c0, short k, short n, short d, short old_px, short new_px, float scalex, bool keep_places,
                     bool page, bool take_from_next, CUndoManager* undo)
{
    const short staves = doc && doc->sys && doc->sys[1] ? doc->sys[1]->tot_por : (short)0;
    const short units = (short)(d / scalex);
    for (short p = 1; p <= staves; p++)
        for (short kk = 1; kk <= n; kk++) {
            const short id = master_measure_id((short)(c0 + kk - 1), p);
            if (!id) break;
            if (kk < k - 1) continue;
            CMeasure* m = recorded(id, undo);
            if (kk == k - 1) {
                m->change_mes_flags(measure_flag::TiesChecked, 0);
            } else if (kk == k) {
                m->width = (short)(m->width + units);
                if (keep_places)
                    m->change_mes_flags(measure_flag::TiesChecked, 0);
                else
                    scale_mesure(id, (short)(old_px / scalex), (short)(new_px / scalex));
                m->pw = (short)(m->width - m->front);
            } else {
                m->x = (short)(m->x + units);
                if (page) m->px = (short)(m->px + units);
                if (kk != k + 1) continue;
                m->change_mes_flags(measure_flag::TiesChecked, 0);
                if (page && take_from_next) {
                    const short before = m->width;
                    m->width = (short)(m->width - units);
                    scale_mesure(id, before, m->width);
                    m->pw = (short)(m->width - m->front);
                    break;  // the measures after it keep their places
                }
            }
        }
}

short dispatch_editeur_mesure(Editeur* v, Event* e)
{
    ToolContext c;
    if (!c.begin(v, e) || c.erase) return tool_result::NotMine;
    ShownMeasure hit;
    const bool found = walk_shown(v, [&](const ShownMeasure& s) {
        const short right = (short)(s.mx - v->ox + s.mw), top = (short)(s.my - v->oy);
        if (c.x < right - kBarZone * v->scalex || c.x >= right) return false;
        if (c.y < top || c.y >= top + 24 * v->scaley * s.ss) return false;
        hit = s;
        return true;
    });
    if (!found) return tool_result::NotMine;
    c.touch(hit);
    Systeme* sys = doc->sys[hit.system];
    Portee* line = doc->por[sys->por[1]];
    Portee* last = doc->por[sys->por[sys->tot_por]];
    CMeasure* first_of_line = doc->mes[line->mes[1]];
    CMeasure* first_of_last = doc->mes[last->mes[1]];
    short c0 = 1, p0 = 1;
    localiser_mesure(line->mes[1], &c0, &p0);
    const float last_ss = staff_scale_of(find_abs_staff(last->mes[1]));
    const Sub_document& sub = doc->sub_doc[doc->cur_sub_doc];

    BarLineColumn col;
    col.scalex = v->scalex;
    col.page = doc->cur_pag != 0;
    col.adjust = sub.adjust_horiz != 0;
    col.k = hit.mpos, col.n = line->tot_mes;
    col.x = hit.m->x, col.width = hit.m->width, col.front = hit.m->front;
    Portee* own = doc->por[hit.staff];
    if (hit.mpos < own->tot_mes) {
        CMeasure* next = doc->mes[own->mes[hit.mpos + 1]];
        col.next_width = next->width, col.next_front = next->front;
    }
    for (short k = (short)(hit.mpos + 1); k <= own->tot_mes; k++)
        col.widths_after.push_back(doc->mes[own->mes[k]]->width);
    col.page_width = sub.mx;
    const BarLineBounds bounds = bornes_barre(col);

    CRect r;
    const short x1 = (short)(hit.mx - v->ox);
    r.init(x1, (short)(first_of_line->y * v->scaley - v->oy), (short)(x1 + (short)(hit.m->width * v->scalex)),
           (short)(first_of_last->y * v->scaley + 24 * v->scaley * last_ss - v->oy));
    const short w0 = (short)(r.x2 - r.x1);
    v->up->local_to_global(&r.x1, &r.y1);
    v->up->local_to_global(&r.x2, &r.y2);
    resize_rect(&r, 0, 0, 1, 0, bounds.smallest, bounds.largest, 0, 0, c.gx, c.gy, 1);
    const short w1 = (short)(r.x2 - r.x1), d = (short)(w1 - w0);
    // Released where it started: nothing changed.
    if (d == 0) return tool_result::Handled;
    if (v->undo) v->undo->set_operation(kUndoBarLine, kUndoActionEdit);
    elargir_colonne(c0, hit.mpos, col.n, d, w0, w1, v->scalex, c.ctrl, col.page, col.adjust, v->undo);
    doc->modif = 1;
    v->dirty_page_lin();
    v->adjust_scroll();
    v->up->dirty(1);
    return tool_result::Handled;
}
