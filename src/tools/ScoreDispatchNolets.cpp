#include "tools/ScoreDispatchNolets.h"

#include <cstdio>
#include <cstdlib>

#include "editor/Editeur.h"
#include "framework/CFont.h"
#include "framework/CUserPanel.h"
#include "framework/Event.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicSettings.h"
#include "score/ScoreItems.h"
#include "score/ToolNumbers.h"
#include "tools/ToolContext.h"

namespace {

constexpr short kNewEndUnits = 10;        // a new bracket's length, and the shortest one dragged
constexpr short kNewLabelUnits = 5;       // a new label's offset along the bracket
constexpr short kLabelAbove = -5;         // a new label over the notes (bracket in the upper half)
constexpr short kLabelBelow = 15;         // under them
constexpr short kStaffHeight = 24;        // staff units from the top line to the band's bottom
constexpr short kHalfStaff = 12;
constexpr short kDragLimit = 10000;       // the pointer's x is held inside ±this while dragging
constexpr short kSideAbove = 2, kSideBelow = 1;
constexpr short kSecondOption = 0x10;     // the dialog's second option in `dir`
constexpr int kNoTarget = 10000;

bool label_shown(short style) { return style != 3 && style != 8; }

// The label's width in the document's tuplet font at the view's zoom.
short label_width(Editeur* v, const CNolet& t) {
    if (!label_shown(t.style)) return 0;
    const std::string text = nolet_label(t);
    CFont fallback;
    CFont* font = doc && doc->nol_font ? doc->nol_font : &fallback;
    v->up->set_font(font, 1.0f);
    v->up->set_font_size((short)(font->get_size() * v->scaley));
    return v->up->string_width(text.c_str());
}

// What the walk found: a handle (its tuplet and measure) or the measure to create in.
struct NoletFind {
    ShownMeasure hit;
    short item = 0, handle = 0;
    ShownMeasure target;
    bool has_target = false;
    int best = kNoTarget;
};

void consider_target(const Editeur* v, const ShownMeasure& s, short x, short y, NoletFind* f) {
    if (!spans_x(v, s, x)) return;
    const float top = (float)(s.my - v->oy);
    const float h = kStaffHeight * v->scaley * s.ss;
    if (y > top && y < top + h) {
        f->target = s, f->has_target = true, f->best = 0;
        return;
    }
    const float d = y <= top ? top - y : (y - top) - h;
    if (d < f->best) f->target = s, f->has_target = true, f->best = (int)d;
}

bool find_handle(Editeur* v, const ShownMeasure& s, short x, short y, NoletFind* f) {
    cur_mes_draw = s.m;
    const short ox = (short)(s.mx - v->ox), oy = (short)(s.my - v->oy);
    for (short i = 1; i <= s.m->total(); i++) {
        CNolet* t = s.m->get_nolet_item(i);
        if (!t) continue;
        const short ax = (short)(ox + t->x * v->scalex), ay = (short)(oy + t->y * v->scaley * s.ss);
        const NoletHandles h = nolet_handles(*t, ax, ay, v->scalex, v->scaley, s.ss, label_width(v, *t));
        if (const short k = nolet_handle_at(h, x, y)) {
            f->hit = s, f->item = i, f->handle = k;
            return true;
        }
    }
    return false;
}

short delete_nolet(ToolContext& c, short i) {
    CNolet* t = c.at.m->get_nolet_item(i);
    c.rename(nolet_undo::Deleted);
    c.draw_item(t, DrawErase);
    c.at.m->remove_nolet_mask(t->mask);
    c.at.m->remove(i);
    delete t;
    c.draw_measure(DrawNormal);
    c.repaint_measure();
    c.at.m->change_mes_flags(0, measure_flag::MidiCurrent);
    return tool_result::Handled;
}

short edit_in_dialog(ToolContext& c, CNolet* t) {
    Editeur* v = c.v;
    c.draw_item(t, DrawErase);
    v->offset = 0;
    editer_nolet(t);
    doc->modif = 1;
    if (v->up) v->up->dirty(1);
    c.touch(c.at);
    c.draw_measure(DrawNormal);
    v->offset = 1;
    c.at.m->change_mes_flags(0, measure_flag::MidiCurrent);
    return tool_result::Handled;
}

// The modal drag of handle `mode` from screen press (gx0, gy0).
void drag_handle(ToolContext& c, CNolet* t, short mode, short gx0, short gy0) {
    Editeur* v = c.v;
    const float sx = v->scalex, sy = v->scaley * c.at.ss;
    c.draw_item(t, DrawErase);
    c.draw_measure_except(t);
    c.draw_item(t, DrawInvert);
    short bx = t->x, by = t->y;
    if (mode == 2) bx = (short)(t->x + t->dx1), by = (short)(t->y + t->dy1);
    if (mode == 3) bx = (short)(t->x + t->dx2), by = (short)(t->y + t->dy2);
    const short min_x = mode == 2 ? nolet_end_min_x(gx0, t->dx1, sx) : (short)-kDragLimit;
    const short press_dx2 = t->dx2, press_dy2 = t->dy2;
    while (get_mouse_left()) {
        modal_turn();
        short mx = get_mouse_x();
        if (mx < min_x) mx = min_x;
        if (mx > kDragLimit) mx = kDragLimit;
        const short ux = (short)(bx + (mx - gx0) / sx);
        const short uy = (short)(by + (get_mouse_y() - gy0) / sy);
        short hx = t->x, hy = t->y;
        if (mode == 2) hx = (short)(t->x + t->dx1), hy = (short)(t->y + t->dy1);
        if (mode == 3) hx = (short)(t->x + t->dx2), hy = (short)(t->y + t->dy2);
        if (hx == ux && hy == uy) continue;
        c.draw_item(t, DrawInvert);
        if (mode == 1) {
            t->x = ux, t->y = uy;
        } else if (mode == 2) {
            t->dx1 = (short)(ux - t->x), t->dy1 = (short)(uy - t->y);
            nolet_label_follow(press_dx2, press_dy2, (short)(get_mouse_x() - gx0), (short)(get_mouse_y() - gy0), v->scalex,
                               v->scaley, c.at.ss, &t->dx2, &t->dy2);
        } else {
            t->dx2 = (short)(ux - t->x), t->dy2 = (short)(uy - t->y);
        }
        c.draw_item(t, DrawInvert);
    }
    c.draw_item(t, DrawInvert);
    c.draw_item(t, DrawNormal);
}

// A press on handle `mode` of tuplet i of the touched measure, or the stretch of a new one.
short work_nolet(ToolContext& c, short i, short mode, bool created, short gx0, short gy0) {
    CMeasure* m = c.at.m;
    CNolet* t = m->get_nolet_item(i);
    if (is_refused(m)) return tool_result::NotMine;
    if (!created && (c.e->flags & EvfDouble)) return edit_in_dialog(c, t);
    drag_handle(c, t, mode, gx0, gy0);
    bool kept = true;
    if (created) {
        Editeur* v = c.v;
        c.draw_item(t, DrawErase);
        v->offset = 0;
        if (c.ctrl) {
            if (editer_nolet(t)) {
                NoletDefaults& d = nolet_defaults();
                d.n1 = t->n1, d.n2 = t->n2, d.style = t->style, d.dir = t->dir;
            } else {
                m->remove(i);
                delete t;
                t = nullptr;
                kept = false;
            }
            if (v->up) v->up->dirty(1);
        }
        if (kept) doc->modif = 1;
        c.draw_measure(DrawNormal);
        c.repaint_measure();
        v->offset = 1;
    }
    m->change_mes_flags(0, measure_flag::MidiCurrent);
    if (kept) m->analyse_nolet_mask(t, c.v->voice);
    return tool_result::Handled;
}

short create_nolet(ToolContext& c, const ShownMeasure& target) {
    Editeur* v = c.v;
    c.touch(target);
    const short mask = target.m->next_nolet_mask();
    if (!mask) {
        // Every one of the 16 bits is taken: a 17th tuplet could bind nothing.
        beep();
        ToolContext::untouch();
        return tool_result::Handled;
    }
    c.record(nolet_undo::Created);
    const float rel_y = (float)(c.y - target.my + v->oy);
    const short ux = (short)((c.x - target.mx + v->ox) / v->scalex);
    const short uy = (short)(rel_y / (v->scaley * target.ss));
    const bool upper = rel_y <= kHalfStaff * v->scaley * target.ss;
    CNolet* t = new CNolet(new_nolet(ux, uy, upper, nolet_defaults(), mask));
    target.m->add(t);
    const short i = target.m->total();
    c.draw_item(t, DrawNormal);
    return work_nolet(c, i, 2, true, (short)(c.gx + kNewEndUnits), c.gy);
}

NoletDefaults defaults;

}  // namespace

NoletDefaults& nolet_defaults() { return defaults; }

bool (*editer_nolet)(CNolet* t) = editer_nolet_dialog;

std::string nolet_label(const CNolet& t) {
    if (!label_shown(t.style)) return {};
    char text[16];
    if (t.style == 1 || t.style == 4 || t.style == 6) std::snprintf(text, sizeof text, "%hd", t.n1);
    else std::snprintf(text, sizeof text, "%hd:%hd", t.n1, t.n2);
    return text;
}

NoletHandles nolet_handles(const CNolet& t, short ax, short ay, float sx, float sy, float ss, short label_width) {
    const float s = sy * ss;
    const bool below = (t.dir & 0xF) == kSideBelow;
    const short up = (short)((below ? 9 : 4) * s), down = (short)((below ? 4 : 9) * s);
    NoletHandles h{};
    h.start = {(short)(ax - 4 * sx), (short)(ay - up), (short)(ax + 4 * sx), (short)(ay + down)};
    const short bx = (short)(ax + t.dx1 * sx), by = (short)(ay + t.dy1 * s);
    h.end = {(short)(bx - 3 * sx), (short)(by - up), (short)(bx + 3 * sx), (short)(by + down)};
    const short cx = (short)(ax + t.dx2 * sx), cy = (short)(ay + t.dy2 * s);
    h.has_label = label_shown(t.style);
    h.label = {(short)(cx - label_width / 2), (short)(cy - 10 * s), (short)(cx + label_width / 2), (short)(cy + 2 * s)};
    return h;
}

short nolet_handle_at(const NoletHandles& h, short x, short y) {
    if (h.start.holds(x, y)) return 1;
    if (h.end.holds(x, y)) return 2;
    if (h.has_label && h.label.holds(x, y)) return 3;
    return 0;
}

CNolet new_nolet(short ux, short uy, bool upper, const NoletDefaults& d, short mask) {
    CNolet t;
    t.x = ux, t.y = uy;
    t.dx1 = kNewEndUnits, t.dy1 = 0;
    t.dx2 = kNewLabelUnits;
    t.n1 = d.n1, t.n2 = d.n2, t.style = d.style;
    t.mask = mask;
    t.dy2 = upper ? kLabelAbove : kLabelBelow;
    t.dir = (short)((upper ? kSideAbove : kSideBelow) | (d.dir & kSecondOption));
    return t;
}

short nolet_end_min_x(short gx0, short dx1, float sx) { return (short)(gx0 - dx1 * sx + kNewEndUnits * sx); }

void nolet_label_follow(short press_dx2, short press_dy2, short mdx, short mdy, float sx, float sy, float ss,
                        short* dx2, short* dy2) {
    *dy2 = (short)(press_dy2 + mdy / (2 * sy * ss));
    *dx2 = (short)(press_dx2 + mdx / (2 * sx));
}

short dispatch_editeur_nolet(Editeur* v, Event* e) {
    ToolContext c;
    if (!c.begin(v, e)) return tool_result::NotMine;
    NoletFind f;
    const bool on_handle = walk_shown(v, [&](const ShownMeasure& s) {
        consider_target(v, s, c.x, c.y, &f);
        return find_handle(v, s, c.x, c.y, &f);
    });
    if (!on_handle) {
        if (c.tool == tool::Pointer || c.erase) return tool_result::NotMine;
        // No measure spans the press: nothing to put a tuplet into.
        if (!f.has_target || is_refused(f.target.m)) return tool_result::NotMine;
        return create_nolet(c, f.target);
    }
    if (is_refused(f.hit.m)) return tool_result::NotMine;
    c.touch(f.hit);
    c.record(nolet_undo::Changed);
    if (c.erase) return delete_nolet(c, f.item);
    return work_nolet(c, f.item, f.handle, false, c.gx, c.gy);
}

bool editer_nolet_dialog(CNolet* t) {
    constexpr short kTupletDialog = 0x2F;
    short cancel = 0, accept = 0;
    short n1 = t->n1, n2 = t->n2, side = (short)(t->dir & 0xF), style = t->style;
    short option = (t->dir & kSecondOption) ? 2 : 1;
    void* table[8] = {nullptr, &cancel, &accept, &n1, &n2, &side, &style, &option};
    if (!work_tool_dialog(kTupletDialog, table, &accept, &cancel) || !accept || cancel) return false;
    // A ratio needs two counts of at least one note.
    t->n1 = n1 < 1 ? 1 : n1, t->n2 = n2 < 1 ? 1 : n2, t->style = style;
    t->dir = (short)(side | (option == 2 ? kSecondOption : 0));
    return true;
}
