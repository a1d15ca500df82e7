#include "tools/ScoreDispatchSelection.h"

#include <memory>

#include "editor/Editeur.h"
#include "editor/ItemHitTest.h"
#include "framework/CDialog.h"
#include "framework/CRect.h"
#include "framework/CUserPanel.h"
#include "framework/CWindow.h"
#include "framework/DefaultHandlers.h"
#include "framework/Dial_res.h"
#include "framework/Event.h"
#include "framework/MouseTracking.h"
#include "framework/Startup.h"
#include "framework/UserInput.h"
#include "framework/WindowLookup.h"
#include "layout/UtilitairesPartition.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/MusicClasses.h"
#include "score/ToolNumbers.h"
#include "tools/ToolContext.h"

namespace {

constexpr short kCopyCountDialog = 134;  // "Copier les mesures": OK, Annuler, the number
constexpr short kScoreEditorType = 1;     // views that take a dropped block

// The staff bands of the measures of the page shown, in walk order.
std::vector<SelectionCell> shown_cells(const Editeur* v) {
    std::vector<SelectionCell> cells;
    walk_shown(v, [&](const ShownMeasure& s) {
        SelectionCell cell;
        localiser_mesure(s.index, &cell.column, &cell.staff);
        cell.system = s.spos, cell.staff_pos = s.ppos, cell.measure_pos = s.mpos;
        cell.left = (short)(s.mx - v->ox);
        cell.top = (short)(s.my - v->oy);
        cell.right = (short)(cell.left + s.mw);
        cell.bottom = (short)(cell.top + (short)(24 * v->scaley * s.ss));
        cell.refused = is_refused(s.m);
        cells.push_back(cell);
        return false;
    });
    return cells;
}

// The number of copies from the copy-count dialog; 0 when cancelled.
short copy_count_dialog() {
    std::unique_ptr<Dial_res> own;
    if (!gdr) {
        own = std::make_unique<Dial_res>();
        own->create();
        gdr = own.get();
    }
    short ok = 0, ko = 0, count = 1;
    void* table[5] = {nullptr, &ok, &ko, &count, nullptr};  // bound variables 1 to 3
    CDialog* before[Dial_res::kSlots + 1];
    std::copy(gdr->dial, gdr->dial + Dial_res::kSlots + 1, before);
    short result = 0;
    if (gdr->ouvrir("MISC", "MUSIC.RES", kCopyCountDialog, table, 0)) {
        CDialog* d = nullptr;
        for (short s = 1; s <= Dial_res::kSlots && !d; s++)
            if (gdr->dial[s] && gdr->dial[s] != before[s]) d = gdr->dial[s];
        Event ev;
        // Closed another way than by its buttons: as Annuler.
        while (d && !ok && !ko && d->run_modal(&ev)) default_event_handler(d, &ev);
        gdr->update_var();
        gdr->fermer(kCopyCountDialog);
        result = ok && !ko && count > 0 ? count : (short)0;
    }
    if (own) gdr = nullptr;
    return result;
}

// The score editor view whose window lies under screen point (x, y), with the column and staff
// of its measure there; null when none takes a drop there.
Editeur* drop_target(short x, short y, short* column, short* staff) {
    CWindow* w = get_window_under(x, y);
    if (!w) return nullptr;
    for (View* o : vue) {
        if (!o || o->get_win() != w || o->get_type() != kScoreEditorType) continue;
        Editeur* e = static_cast<Editeur*>(o);
        if (e->localiser_dest_edit(column, staff, x, y)) return e;
    }
    return nullptr;
}

// The block's first cell follows the mouse as an outline; released on a measure of a score
// editor other than the block's own first cell, the block is copied there.
void drag_block(ToolContext& c, const SelectionBlock& block, const std::vector<SelectionCell>& cells) {
    Editeur* v = c.v;
    const SelectionCell* first = nullptr;
    for (const SelectionCell& cell : cells)
        if (!first && cell.column == block.first_m && cell.staff == block.first_p) first = &cell;
    if (!first) return;
    CRect r;
    r.init(first->left, first->top, first->right, first->bottom);
    v->up->local_to_global(&r.x1, &r.y1);
    v->up->local_to_global(&r.x2, &r.y2);
    resize_rect(&r, 1, 1, 1, 1, 0, SCREEN_WIDTH, 0, SCREEN_HEIGHT, c.gx, c.gy, 1);
    short column = 0, staff = 0;
    Editeur* target = drop_target(get_mouse_x(), get_mouse_y(), &column, &staff);
    set_cur_doc(v->id, v->sub_id);
    if (!target || (target == v && column == block.first_m && staff == block.first_p)) return;
    const short copies = c.ctrl ? ask_copy_count() : (short)1;
    if (copies <= 0) return;
    v->copier_editeur();
    target->coller_glisser_edit(column, staff, copies);
    set_cur_doc(v->id, v->sub_id);
    v->nouvelle_selection_mesures(0, 0, 0, 0, 1);
    if (target->up) target->up->dirty(1);
    v->up->dirty(1);
}

}  // namespace

short (*ask_copy_count)() = copy_count_dialog;

SelectionPress locate_selection_press(const std::vector<SelectionCell>& cells, short x, short y) {
    for (const SelectionCell& c : cells)
        if (c.measure_pos == 1 && x < c.left && y >= c.top && y < c.bottom)
            return {SelectionTarget::Row, 0, c.staff};
    for (const SelectionCell& c : cells)
        if (x >= c.left && x < c.right && y >= c.top && y < c.bottom)
            return {SelectionTarget::Measure, c.column, c.staff};
    for (size_t i = 0; i < cells.size();) {
        const short system = cells[i].system;
        short last_top = cells[i].top;
        for (; i < cells.size() && cells[i].system == system; i++) {
            const SelectionCell& c = cells[i];
            last_top = c.top;
            if (c.staff_pos == 1 && x >= c.left && x < c.right && y < c.top)
                return {SelectionTarget::Column, c.column, 0};
        }
        if (y < last_top) break;
    }
    return {};
}

namespace {

// The range from the block's kept edge to `at`: (at .. last) when at lies before first, else
// (first .. at).
void extend(short first, short last, short at, short* lo, short* hi) {
    if (at < first) *lo = at, *hi = last;
    else *lo = first, *hi = at;
}

}  // namespace

SelectionStep next_selection(const SelectionBlock& now, const SelectionPress& at, bool shift, short columns,
                             short staves) {
    SelectionStep step;
    SelectionBlock& next = step.next;
    switch (at.target) {
    case SelectionTarget::Nothing: break;
    case SelectionTarget::Row:
        next.first_m = 1, next.last_m = columns;
        if (shift && now.first_p) extend(now.first_p, now.last_p, at.staff, &next.first_p, &next.last_p);
        else next.first_p = next.last_p = at.staff;
        break;
    case SelectionTarget::Column:
        next.first_p = 1, next.last_p = staves;
        if (shift && now.first_m) extend(now.first_m, now.last_m, at.column, &next.first_m, &next.last_m);
        else next.first_m = next.last_m = at.column;
        break;
    case SelectionTarget::Measure:
        if (!shift || !now.first_m) {
            if (!now.holds(at.column, at.staff)) {
                next.first_m = next.last_m = at.column;
                next.first_p = next.last_p = at.staff;
            } else {
                next = now;
                step.drag_block = at.column == now.first_m && at.staff == now.first_p;
            }
        } else {
            extend(now.first_m, now.last_m, at.column, &next.first_m, &next.last_m);
            extend(now.first_p, now.last_p, at.staff, &next.first_p, &next.last_p);
        }
        break;
    }
    return step;
}

short dispatch_editeur_selection(Editeur* v, Event* e) {
    ToolContext c;
    if (!c.begin(v, e)) return tool_result::NotMine;
    const SelectionBlock now{v->sel_first_m, v->sel_last_m, v->sel_first_p, v->sel_last_p};
    if (c.erase) {
        if (!now.empty()) {
            v->effacer_editeur(c.shift ? 1 : 0);
            v->up->dirty(1);
        }
        return tool_result::Handled;
    }
    const std::vector<SelectionCell> cells = shown_cells(v);
    const SelectionPress at = locate_selection_press(cells, c.x, c.y);
    if (at.target == SelectionTarget::Measure)
        for (const SelectionCell& cell : cells)
            if (cell.column == at.column && cell.staff == at.staff && cell.refused) return tool_result::NotMine;
    const SelectionStep step = next_selection(now, at, c.shift, nombre_colonnes(), nombre_portees(doc));
    v->offset = 0;
    if (step.drag_block) drag_block(c, now, cells);
    else if (!(step.next == now))
        v->nouvelle_selection_mesures(step.next.first_m, step.next.last_m, step.next.first_p, step.next.last_p, 1);
    v->offset = 1;
    return tool_result::Handled;
}
