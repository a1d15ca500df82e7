#include "tools/ScoreDispatchSymbols.h"

#include <algorithm>
#include <vector>

#include "editor/Editeur.h"
#include "framework/Bitmap.h"
#include "framework/CUndoManager.h"
#include "framework/CUserPanel.h"
#include "framework/Courbe.h"
#include "framework/Event.h"
#include "framework/Vector.h"
#include "score/CMeasure.h"
#include "score/CMusicalSymbolManager.h"
#include "score/CNote.h"
#include "score/CSymbol.h"
#include "score/Document.h"
#include "score/MusicSettings.h"
#include "score/ScoreItems.h"
#include "score/SymbolDefinitions.h"
#include "score/ToolNumbers.h"
#include "score/ToolsManager.h"
#include "tools/SymbolDialogs.h"
#include "tools/SymbolGeometry.h"
#include "tools/ToolContext.h"

namespace opt = symbol_option;

namespace {

constexpr short kNoteHeadGlyph = 11;
constexpr short kFreePointer = 10000;  // the pointer's reach where nothing limits it

SymbolZoom zoom_of(const Editeur* v, float ss) { return {v->scalex, v->scaley, ss}; }

bool resizable(const Definition* def) { return (def->options & opt::Resizable) != 0; }

short answer_for(const Definition* def) {
    return (def->options & opt::Respaces) ? tool_result::HandledRespace : tool_result::Handled;
}

SymbolShape shape_of(const Definition* def) {
    SymbolShape g;
    if (!def->gr) return g;
    if (def->type == GraphicBitmap) {
        g.type = GraphicBitmap;
        g.bitmap_w = bitmap_width(static_cast<const char*>(def->gr));
        g.bitmap_h = bitmap_height(static_cast<const char*>(def->gr));
    } else if (def->type == GraphicDrawing) {
        const Vect_dessin* d = static_cast<const Vect_dessin*>(def->gr);
        g.type = GraphicDrawing;
        g.x1 = d->x1, g.y1 = d->y1, g.x2 = d->x2, g.y2 = d->y2, g.ox = d->ox, g.oy = d->oy;
    } else if (def->type == GraphicCurve) {
        g.type = GraphicCurve;
    }
    return g;
}

// Parameters 1 to 12 of a symbol.
void read_params(CSymbol* s, Definition* def, short p[13]) {
    p[0] = 0;
    for (short n = 1; n <= 12; n++) p[n] = s->get_local_param(def, n);
}

float head_width(const Editeur* v) { return msm ? (float)msm->width(kNoteHeadGlyph, v->scalex, v->up) : 0.0f; }

// The measure's top-left corner in panel pixels.
short panel_mx(const Editeur* v, const ShownMeasure& s) { return (short)(s.mx - v->ox); }
short panel_my(const Editeur* v, const ShownMeasure& s) { return (short)(s.my - v->oy); }

SymbolFrame frame_of(const Editeur* v, const ShownMeasure& s, CSymbol* sym, Definition* def) {
    short p[13];
    read_params(sym, def, p);
    return symbol_frame(panel_mx(v, s), panel_my(v, s), p, sym->note_id != 0, resizable(def), head_width(v),
                        zoom_of(v, s.ss));
}

// The measures of the page in the order a press looks for a symbol: the pressed one, the same
// column in the other staves of its system, then every other measure.
std::vector<ShownMeasure> search_order(const Editeur* v, const ShownMeasure& pressed,
                                       const std::vector<ShownMeasure>& all) {
    std::vector<ShownMeasure> order{pressed};
    for (const ShownMeasure& s : all)
        if (s.system == pressed.system && s.mpos == pressed.mpos && s.m != pressed.m) order.push_back(s);
    for (const ShownMeasure& s : all)
        if (std::none_of(order.begin(), order.end(), [&](const ShownMeasure& o) { return o.m == s.m; }))
            order.push_back(s);
    (void)v;
    return order;
}

// Keep-clear extent (h, d) of a graphic in pixels at this zoom: a bitmap's height times
// `percent`, a drawing's box bottom and origin times `percent` at this zoom, a curve's span of
// the symbol's own points.
void extent_pixels(Definition* def, CSymbol* sym, short percent, const SymbolZoom& z, int32_t* h, int32_t* d) {
    *h = *d = 0;
    if (!def->gr) return;
    if (def->type == GraphicBitmap) {
        *h = (int32_t)(bitmap_height(static_cast<const char*>(def->gr)) * z.unit_y()) * percent / 100;
    } else if (def->type == GraphicDrawing) {
        const Vect_dessin* g = static_cast<const Vect_dessin*>(def->gr);
        const short scaled = (short)(percent * z.unit_y());
        *h = (int32_t)g->y2 * scaled / 100;
        *d = (int32_t)g->oy * scaled / 100;
    } else if (def->type == GraphicCurve) {
        short lo = 0, hi = 0, first = 0;
        for (short k = 1; k <= 3; k++) {
            const short y = (short)(sym->get_local_param(def, (short)(6 + 2 * k)) * z.unit_y());
            if (k == 1) lo = hi = first = y;
            lo = std::min(lo, y), hi = std::max(hi, y);
        }
        *h = hi - lo;
        *d = *h - first;
    }
}

// The same in staff units, for a bound insertion: from the definition alone.
void extent_units(Definition* def, short* h, short* d) {
    *h = *d = 0;
    if (!def->gr) return;
    if (def->type == GraphicBitmap) {
        *h = bitmap_height(static_cast<const char*>(def->gr));
    } else if (def->type == GraphicDrawing) {
        const Vect_dessin* g = static_cast<const Vect_dessin*>(def->gr);
        *h = (short)(g->y2 * def->dh / 100);
        *d = (short)(g->oy * def->dh / 100);
    } else if (def->type == GraphicCurve) {
        const Courbe* c = static_cast<const Courbe*>(def->gr);
        if (c->tot < 1) return;
        short lo = c->p[1].y, hi = c->p[1].y;
        for (short k = 2; k <= c->tot; k++) lo = std::min(lo, c->p[k].y), hi = std::max(hi, c->p[k].y);
        *h = (short)(hi - lo);
        *d = (short)(*h - c->p[1].y);
    }
}

// ---- Pressing a placed symbol ----

struct Pressed {
    CSymbol* sym;
    Definition* def;
    short index;  // in its measure
    SymbolHit hit;
    SymbolFrame frame;
};

short edit_pressed(ToolContext& c, const Pressed& p) {
    const short modif = doc->modif;
    c.record(symbol_undo::Edited);
    if (!edit_local_param(p.sym, p.def, 1, 0)) {
        if (c.v->undo) c.v->undo->remove_level();
        doc->modif = modif;
        ToolContext::untouch();
        return tool_result::Handled;
    }
    c.v->up->dirty();
    doc->modif = 1;
    return tool_result::Handled;
}

short erase_pressed(ToolContext& c, const Pressed& p) {
    CMeasure* m = c.at.m;
    c.record(symbol_undo::Erased);
    c.draw_item(p.sym, DrawErase);
    const short sid = p.sym->note_id;
    m->remove(p.index);
    delete p.sym;
    bool shared = false;
    for (short i = 1; i <= m->total(); i++)
        if (CSymbol* o = m->get_symbol_item(i); o && sid && o->note_id == sid) shared = true;
    if (sid && !shared)
        for (short i = 1; i <= m->total(); i++) {
            if (CNote* n = m->get_note_item(i); n && n->sid == sid) n->sid = 0;
            if (CRest* r = m->get_rest_item(i); r && r->sid == sid) r->sid = 0;
        }
    c.draw_measure(DrawNormal);
    c.repaint_measure();
    return answer_for(p.def);
}

// The keep-clear rule after a drag.
void keep_clear_after_drag(ToolContext& c, const Pressed& p) {
    if (!(p.def->options & opt::KeepClear)) return;
    const SymbolZoom z = zoom_of(c.v, c.at.ss);
    const short p2 = p.sym->get_local_param(p.def, 2), p4 = p.sym->get_local_param(p.def, 4);
    int32_t h = 0, d = 0;
    extent_pixels(p.def, p.sym, p4, z, &h, &d);
    const short y = (p.def->options & opt::MovableY) ? p2 : p.def->dy;
    const short now = keep_clear_pixels(p2, (int32_t)(y * z.unit_y()), d, h, z.unit_y());
    if (now != p2) p.sym->set_local_param(2, now);
}

// One step of a drag: (sx, sy) the pointer, clamped and locked, (dx, dy) the step in units and
// (tx, ty) the total movement in units.
void apply_step(ToolContext& c, const Pressed& p, short px, short py, short dx, short dy, short tx, short ty) {
    CSymbol* s = p.sym;
    Definition* def = p.def;
    const SymbolZoom z = zoom_of(c.v, c.at.ss);
    auto add = [&](short n, short by) { s->set_local_param(n, (short)(s->get_local_param(def, n) + by)); };
    switch (p.hit.kind) {
    case GrabBody:
    case GrabFirst:
        add(1, dx), add(2, dy);
        break;
    case GrabMiddle:
        add(9, dx), add(10, dy);
        break;
    case GrabLast: {
        add(11, dx), add(12, dy);
        const Point2 mid = middle_after_last(tx, ty, p.hit.ox2, p.hit.oy2, z);
        s->set_local_param(9, mid.x);
        s->set_local_param(10, mid.y);
        break;
    }
    case GrabResize:
    case GrabShear: {
        const short mx = panel_mx(c.v, c.at), my = panel_my(c.v, c.at);
        const int32_t X = (int32_t)(px + p.hit.del_x - (mx + s->get_local_param(def, 1) * z.scalex));
        const int32_t Y = (int32_t)(py + p.hit.del_y - (my + s->get_local_param(def, 2) * z.unit_y()));
        const ShapeSize size = shape_size(shape_of(def), z);
        if (p.hit.kind == GrabResize) {
            const Percent2 r = resize_percent(X, Y, size, s->get_local_param(def, 5), s->get_local_param(def, 6),
                                              s->get_local_param(def, 3), s->get_local_param(def, 4));
            if (def->options & (opt::StretchX | opt::TileX)) s->set_local_param(3, r.a);
            if (def->options & (opt::StretchY | opt::TileY)) s->set_local_param(4, r.b);
        } else {
            const Percent2 r = shear_percent(X, Y, size, p.frame.fw, p.frame.fh, s->get_local_param(def, 5),
                                             s->get_local_param(def, 6));
            if (def->options & opt::ShearX) s->set_local_param(5, r.a);
            if (def->options & opt::ShearY) s->set_local_param(6, r.b);
        }
        break;
    }
    default:
        break;
    }
}

short drag_pressed(ToolContext& c, const Pressed& p) {
    Editeur* v = c.v;
    const short modif = doc->modif;
    c.record(symbol_undo::Moved);
    CSymbol* before = static_cast<CSymbol*>(p.sym->duplicate());
    c.draw_item(p.sym, DrawErase);
    c.draw_measure_except(p.sym);
    c.draw_item(p.sym, DrawInvert);

    // The pointer's limits: a bitmap keeps its origin inside the measure, whatever is grabbed; a
    // drawing by its body and a curve by its first point do the same.
    const short mx = panel_mx(v, c.at);
    const short g = (short)(c.x - p.frame.x);
    short lo_x = -kFreePointer, hi_x = kFreePointer;
    const short kind = p.hit.kind;
    if (p.def->type == GraphicBitmap || (p.def->type == GraphicCurve && kind == GrabFirst)) {
        lo_x = (short)(mx + g), hi_x = (short)(mx + g + c.at.mw);
    } else if (p.def->type == GraphicDrawing && kind == GrabBody) {
        const short shift = (short)(static_cast<const Vect_dessin*>(p.def->gr)->ox * v->scalex * c.at.ss);
        lo_x = (short)(mx + g - shift), hi_x = (short)(mx + g + c.at.mw - shift);
    }
    // Which coordinate may move.
    const short o = p.def->options;
    bool move_x, move_y;
    if (kind == GrabResize) move_x = o & (opt::StretchX | opt::TileX), move_y = o & (opt::StretchY | opt::TileY);
    else if (kind == GrabShear) move_x = o & opt::ShearX, move_y = o & opt::ShearY;
    else move_x = o & opt::MovableX, move_y = o & opt::MovableY;

    const float unit_y = v->scaley * c.at.ss;
    short last_xi = 0, last_yi = 0;
    bool moved = false;
    while (get_mouse_left()) {
        modal_turn();
        short x = get_mouse_x(), y = get_mouse_y();
        v->up->global_to_local(&x, &y);
        x = std::max(lo_x, std::min(hi_x, x));
        if (!move_x) x = c.x;
        if (!move_y) y = c.y;
        const short xi = (short)((x - c.x) / v->scalex), yi = (short)((y - c.y) / unit_y);
        const short dx = (short)(xi - last_xi), dy = (short)(yi - last_yi);
        if (!dx && !dy) continue;
        c.draw_item(p.sym, DrawInvert);
        apply_step(c, p, x, y, dx, dy, xi, yi);
        c.draw_item(p.sym, DrawInvert);
        last_xi = xi, last_yi = yi;
        moved = true;
    }
    c.draw_item(p.sym, DrawInvert);
    if (moved) keep_clear_after_drag(c, p);
    bool changed = p.sym->param.total() != before->param.total();
    for (short i = 1; !changed && i <= before->param.total(); i++)
        changed = p.sym->param.get(i) != before->param.get(i) || p.sym->value.get(i) != before->value.get(i);
    delete before;
    c.draw_item(p.sym, DrawNormal);
    c.repaint_measure();
    if (!changed) {
        // Back where it started: nothing to undo, nothing changed.
        if (v->undo) v->undo->remove_level();
        doc->modif = modif;
        ToolContext::untouch();
        return tool_result::Handled;
    }
    doc->modif = 1;
    return answer_for(p.def);
}

// Looks for a symbol under the press in the measures of the page, in search order.
bool find_pressed(ToolContext& c, const std::vector<ShownMeasure>& order, ShownMeasure* where, Pressed* found) {
    for (const ShownMeasure& s : order) {
        if (is_refused(s.m)) continue;
        for (short i = 1; i <= s.m->total(); i++) {
            CSymbol* sym = s.m->get_symbol_item(i);
            Definition* def = sym ? pal->get_definition(sym->tool_id) : nullptr;
            if (!def || !def->gr) continue;
            if (!(def->options & (opt::MovableX | opt::MovableY)) && !c.ctrl && !c.erase) continue;
            if ((def->options & opt::Invisible) && !doc->voir_symboles_invisibles) continue;
            short p[13];
            read_params(sym, def, p);
            const SymbolFrame f = frame_of(c.v, s, sym, def);
            const SymbolHit hit = grab_symbol(shape_of(def), f, p, resizable(def), c.ctrl, c.x, c.y, zoom_of(c.v, s.ss));
            if (hit.kind == GrabNone) continue;
            *where = s;
            *found = {sym, def, i, hit, f};
            return true;
        }
    }
    return false;
}

// ---- Placing a new symbol ----

// The anchor of a bound symbol: the note (or the chord's note) or rest that carries it.
struct Anchor {
    CNote* note = nullptr;
    CRest* rest = nullptr;
    short x = 0, y = 0;
};

short binding_number(CMeasure* m, Anchor& a) {
    short* sid = a.note ? &a.note->sid : &a.rest->sid;
    if (*sid) return *sid;
    short top = 0;
    for (short i = 1; i <= m->total(); i++) {
        if (CSymbol* s = m->get_symbol_item(i)) top = std::max(top, s->note_id);
        if (CNote* n = m->get_note_item(i)) top = std::max(top, n->sid);
        if (CRest* r = m->get_rest_item(i)) top = std::max(top, r->sid);
    }
    *sid = (short)(top + 1);
    return *sid;
}

short place_bound(ToolContext& c, Definition* def, const ItemHit& hit, bool on_note) {
    CMeasure* m = hit.at.m;
    if (is_refused(m) || c.erase) return tool_result::NotMine;
    c.touch(hit.at);
    c.record(symbol_undo::Inserted);
    Anchor a;
    short id = def->id;
    if (on_note) {
        CNote* n = m->get_note_item(hit.item);
        const bool alt = (n->dir == 0 && (def->options & opt::AltStemUp)) || (n->dir == 1 && (def->options & opt::AltStemDown));
        if (alt && def->sym_id)
            if (Definition* other = pal->get_definition(def->sym_id)) def = other, id = other->id;
        a.note = n;
        if (n->cid) {
            for (short i = 1; i <= m->total(); i++) {
                CNote* k = m->get_note_item(i);
                if (!k || k->cid != n->cid) continue;
                if (def->pos_acc == 1 ? k->y < a.note->y : k->y > a.note->y) a.note = k;
            }
            a.x = a.note->x, a.y = a.note->y;
        } else {
            a.x = n->x, a.y = n->y;
            if (def->pos_ver == 3) a.y = (short)(n->dir == 0 ? n->y - n->height : n->y + n->height);
        }
    } else {
        a.rest = m->get_rest_item(hit.item);
        a.x = a.rest->x, a.y = a.rest->y;
    }
    CSymbol* s = new CSymbol;
    s->tool_id = id;
    s->note_id = binding_number(m, a);
    s->set_local_param(1, (short)(a.x + def->dx));
    s->set_local_param(2, (short)(a.y + def->dy));
    doc->modif = 1;
    if (c.ctrl) {
        edit_local_param(s, def, 1, 0);
        c.v->up->dirty();
    }
    short k = s->get_local_param(def, 2);
    if (def->options & opt::KeepClear) {
        short h, d;
        extent_units(def, &h, &d);
        k = keep_clear_units(k, d, h);
    }
    if ((def->options & opt::IntoSpace) && a.note) k = into_space(k, a.note->y);
    s->set_local_param(2, k);
    m->add(s);
    c.draw_item(s, DrawNormal);
    m->sort_symbols();
    return answer_for(def);
}

short place_free(ToolContext& c, Definition* def, const ShownMeasure& at) {
    if (is_refused(at.m)) return tool_result::NotMine;
    if (def->pos_hor == 3 && !(def->options & opt::MovableX)) return tool_result::NotMine;
    c.touch(at);
    c.record(symbol_undo::Inserted);
    const SymbolZoom z = zoom_of(c.v, at.ss);
    CSymbol* s = new CSymbol;
    s->tool_id = c.tool;
    s->note_id = 0;
    if (def->options & opt::MovableX) s->set_local_param(1, (short)((c.x - panel_mx(c.v, at)) / z.scalex));
    if (def->options & opt::MovableY) s->set_local_param(2, (short)((c.y - panel_my(c.v, at)) / z.unit_y()));
    if (c.ctrl) {
        edit_local_param(s, def, 1, 0);
        c.v->up->dirty();
    }
    if (def->options & opt::KeepClear) {
        int32_t h = 0, d = 0;
        extent_pixels(def, s, def->type == GraphicBitmap ? 100 : def->dh, z, &h, &d);
        const short p2 = s->get_local_param(def, 2);
        const short now = keep_clear_pixels(p2, (int32_t)(p2 * z.unit_y()), d, h, z.unit_y());
        if (now != p2) s->set_local_param(2, now);
    }
    at.m->add(s);
    c.draw_item(s, DrawNormal);
    return answer_for(def);
}

short place_symbol(ToolContext& c, const ShownMeasure& pressed) {
    if (c.tool == tool::Pointer || c.erase || !tool::is_symbol(c.tool)) return tool_result::NotMine;
    Definition* def = pal->get_definition(c.tool);
    if (!def) return tool_result::NotMine;
    if (is_refused(pressed.m)) return tool_result::NotMine;
    if (def->pos_hor == 3 || def->pos_ver != 1) {
        ItemHit hit;
        if (find_note_at(c.v, c.x, c.y, &hit)) return place_bound(c, def, hit, true);
        if (find_rest_at(c.v, c.x, c.y, &hit)) return place_bound(c, def, hit, false);
    }
    return place_free(c, def, pressed);
}

}  // namespace

void editor_symbol_scale(Editeur* v, float* sx, float* sy) {
    if (!v) return;
    *sx = v->scalex;
    *sy = v->scaley;
}

short dispatch_editeur_symbole(Editeur* v, Event* e) {
    ToolContext c;
    if (!c.begin(v, e)) return tool_result::NotMine;
    std::vector<ShownMeasure> all;
    walk_shown(v, [&](const ShownMeasure& s) {
        all.push_back(s);
        return false;
    });
    if (all.empty()) return tool_result::NotMine;
    ShownMeasure pressed;
    if (!target_measure(v, c.x, c.y, &pressed)) pressed = all.front();
    ShownMeasure where;
    Pressed p{};
    if (find_pressed(c, search_order(v, pressed, all), &where, &p)) {
        c.touch(where);
        if (c.ctrl && p.hit.kind != GrabShear) return edit_pressed(c, p);
        if (c.erase) return erase_pressed(c, p);
        return drag_pressed(c, p);
    }
    return place_symbol(c, pressed);
}
