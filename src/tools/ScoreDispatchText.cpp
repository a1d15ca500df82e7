#include "tools/ScoreDispatchText.h"

#include <memory>

#include "editor/Editeur.h"
#include "framework/CRect.h"
#include "framework/CUndoManager.h"
#include "framework/CUserPanel.h"
#include "framework/Event.h"
#include "framework/MouseTracking.h"
#include "score/CMeasure.h"
#include "score/CTextBloc.h"
#include "score/Document.h"
#include "score/MusicSettings.h"
#include "score/ToolNumbers.h"
#include "score/ToolsManager.h"
#include "tools/TextBlockDialog.h"
#include "tools/TextBlocks.h"
#include "tools/ToolContext.h"

TextToolHooks text_tool_hooks;

namespace tb = text_block;

namespace {

constexpr short kUndoKindPageSlot = 3;  // a slot of the page list, recorded before a change
constexpr short kUndoKindNewPageSlot = 0;
constexpr short kCornerSquare = 6;      // pixels of a measure block's resize handle
constexpr short kMinResize = 10, kMaxResize = 10000;
constexpr short kMoveReach = 10000;

Sub_document& extract() { return doc->sub_doc[doc->cur_sub_doc]; }

// The view's panel origin moved by its scroll, for drawing page blocks at the page origin.
void draw_page_block(Editeur* v, CTextBloc* t, short mode) {
    if (!t || (doc->cur_pag && !tb::shown_on_page(t, doc->cur_pag))) return;
    short x0 = 0, y0 = 0;
    v->up->get_origin(&x0, &y0);
    v->up->set_origin((short)(x0 - v->ox), (short)(y0 - v->oy));
    v->up->go_to(0, 0);
    const float ss = staff_scale;
    staff_scale = 1.0f;
    t->draw_object(v->up, 1, v, mode, v->scalex, v->scaley);
    staff_scale = ss;
    v->up->set_origin(x0, y0);
}

void open_level(Editeur* v, short opid, void** slot, short kind, short spec) {
    if (!v->undo) return;
    v->undo->set_operation(opid, kUndoActionEdit);
    v->undo->add_obj(slot, kind, spec, 0);
}

void take_level_back(Editeur* v) {
    if (v->undo) v->undo->remove_level();
}

// Runs the dialog with the view's offset flag down, as every modal dialog of a tool does.
CTextBloc* run_dialog(Editeur* v, CTextBloc* t, short creating) {
    short x0 = 0, y0 = 0;
    v->up->get_origin(&x0, &y0);
    v->offset = 0;
    CTextBloc* r = text_tool_hooks.edit ? text_tool_hooks.edit(t, creating) : edit_bloc_texte(t, creating);
    v->up->set_origin(x0, y0);
    v->offset = 1;
    return r;
}

// The rubber band of a frame in panel coordinates: all four edges (a move) or the right and
// bottom ones (a resize). True when the frame changed; `r` holds the new frame.
bool track_frame(ToolContext& c, CRect* r, bool resize) {
    CRect screen = *r;
    c.v->up->local_to_global(&screen.x1, &screen.y1);
    c.v->up->local_to_global(&screen.x2, &screen.y2);
    const CRect before = screen;
    if (resize)
        resize_rect(&screen, 0, 0, 1, 1, kMinResize, kMaxResize, kMinResize, kMaxResize, c.gx, c.gy, 1);
    else
        resize_rect(&screen, 1, 1, 1, 1, 0, kMoveReach, 0, kMoveReach, c.gx, c.gy, 1);
    const bool moved = resize ? (screen.x2 != before.x2 || screen.y2 != before.y2)
                              : (screen.x1 != before.x1 || screen.y1 != before.y1);
    c.v->up->global_to_local(&screen.x1, &screen.y1);
    c.v->up->global_to_local(&screen.x2, &screen.y2);
    *r = screen;
    return moved;
}

bool holds(const CRect& r, short x, short y) { return x >= r.x1 && x <= r.x2 && y >= r.y1 && y <= r.y2; }

// ---- Page blocks ----

CRect page_frame(const Editeur* v, const CTextBloc* t) {
    CRect r;
    r.x1 = (short)(t->x * v->scalex - v->ox);
    r.y1 = (short)(t->y * v->scaley - v->oy);
    r.x2 = (short)(r.x1 + t->w * v->scalex);
    r.y2 = (short)(r.y1 + t->h * v->scaley);
    return r;
}

short page_block_pressed(ToolContext& c, short slot) {
    Editeur* v = c.v;
    CTextBloc* t = doc->ptx[slot];
    void** where = reinterpret_cast<void**>(&doc->ptx[slot]);
    if (c.e->flags & EvfDouble) {
        draw_page_block(v, t, DrawErase);
        open_level(v, text_undo::Edited, where, kUndoKindPageSlot, 0);
        if (!run_dialog(v, t, 0)) {
            take_level_back(v);
        } else {
            t->ajuster_cadre_texte();
            tb::apply_page_placement(t, extract());
            doc->modif = 1;
        }
        draw_page_block(v, t, DrawNormal);
        v->up->dirty();
        return tool_result::Handled;
    }
    if (c.erase) {
        draw_page_block(v, t, DrawErase);
        open_level(v, text_undo::Deleted, where, kUndoKindPageSlot, 1);
        delete t;
        doc->ptx[slot] = nullptr;
        doc->tot_ptx--;
        doc->modif = 1;
        v->up->dirty();
        return tool_result::Handled;
    }
    CRect frame = page_frame(v, t);
    const bool corner = c.x >= (short)(frame.x2 - kCornerSquare * v->scalex) &&
                        c.y >= (short)(frame.y2 - kCornerSquare * v->scaley) && c.x <= frame.x2 && c.y <= frame.y2;
    if (!corner && (t->flags & tb::Fixed)) return tool_result::Handled;
    open_level(v, text_undo::Moved, where, kUndoKindPageSlot, 0);
    if (!track_frame(c, &frame, corner)) {
        take_level_back(v);
        return tool_result::Handled;
    }
    draw_page_block(v, t, DrawErase);
    if (corner) {
        t->w = (short)((frame.x2 - frame.x1) / v->scalex);
        t->h = (short)((frame.y2 - frame.y1) / v->scaley);
    } else {
        t->x = (short)((v->ox + frame.x1) / v->scalex);
        t->y = (short)((v->oy + frame.y1) / v->scaley);
    }
    tb::apply_page_placement(t, extract());
    draw_page_block(v, t, DrawNormal);
    v->up->dirty();
    doc->modif = 1;
    return tool_result::Handled;
}

// The first page block shown on the current page whose frame (at least 6 units) holds the press.
short find_page_block(const ToolContext& c) {
    if (!doc->cur_pag || !doc->ptx) return 0;
    for (short i = 1; i <= doc->max_ptx; i++) {
        CTextBloc* t = doc->ptx[i];
        if (!t || !tb::shown_on_page(t, doc->cur_pag)) continue;
        const CRect r = tb::at_least(page_frame(c.v, t), (short)(tb::kMinFrame * c.v->scalex),
                                     (short)(tb::kMinFrame * c.v->scaley));
        if (holds(r, c.x, c.y)) return i;
    }
    return 0;
}

// ---- Measure blocks ----

CRect measure_frame(const Editeur* v, const ShownMeasure& s, const CTextBloc* t) {
    CRect r;
    r.x1 = (short)(s.mx - v->ox + t->x * v->scalex);
    r.y1 = (short)(s.my - v->oy + t->y * v->scaley * s.ss);
    r.x2 = (short)(r.x1 + t->w * v->scalex * s.ss);
    r.y2 = (short)(r.y1 + t->h * v->scaley * s.ss);
    return r;
}

bool find_measure_block(const ToolContext& c, ShownMeasure* where, short* index) {
    return walk_shown(c.v, [&](const ShownMeasure& s) {
        for (short i = 1; i <= s.m->total(); i++) {
            const CTextBloc* t = s.m->get_textbloc_item(i);
            if (!t) continue;
            const CRect r = tb::at_least(measure_frame(c.v, s, t), (short)(tb::kMinFrame * c.v->scalex * s.ss),
                                         (short)(tb::kMinFrame * c.v->scaley * s.ss));
            if (holds(r, c.x, c.y)) {
                *where = s;
                *index = i;
                return true;
            }
        }
        return false;
    });
}

short erase_measure_block(ToolContext& c, CTextBloc* t, short index) {
    CMeasure* m = c.at.m;
    const bool marker = tb::is_marker(t->color);
    if (marker && !(text_tool_hooks.assistant_open && text_tool_hooks.assistant_open())) {
        // The composition's markers go only with the assistant: nothing erased, nothing changed.
        ToolContext::untouch();
        return tool_result::Handled;
    }
    const bool style_label = t->color == tb::kStyleMarker;
    c.draw_item(t, DrawErase);
    c.record(text_undo::Deleted);
    m->remove(index);
    delete t;
    if (style_label) {
        // A style label takes its hidden style data with it.
        for (short i = 1; i <= m->total(); i++) {
            CTextBloc* data = m->get_textbloc_item(i);
            if (!data || data->color != tb::kStyleData) continue;
            m->remove(i);
            delete data;
            break;
        }
    }
    c.draw_measure(DrawNormal);
    c.repaint_measure();
    if (marker && text_tool_hooks.rearrange) text_tool_hooks.rearrange();
    return tool_result::Handled;
}

short measure_block_pressed(ToolContext& c, const ShownMeasure& s, short index) {
    if (is_refused(s.m)) return tool_result::NotMine;
    c.touch(s);
    Editeur* v = c.v;
    CTextBloc* t = s.m->get_textbloc_item(index);
    const bool marker = tb::is_marker(t->color);
    const short modif = doc->modif;
    if ((c.e->flags & EvfDouble) && !marker) {
        c.draw_item(t, DrawErase);
        c.record(text_undo::Edited);
        if (!run_dialog(v, t, 0)) {
            take_level_back(v);
            doc->modif = modif;
            ToolContext::untouch();
        } else {
            t->ajuster_cadre_texte();
            doc->modif = 1;
        }
        c.draw_measure(DrawNormal);
        c.repaint_measure();
        return tool_result::Handled;
    }
    if (c.erase) return erase_measure_block(c, t, index);
    if (marker) return tool_result::Handled;
    CRect frame = measure_frame(v, s, t);
    const bool corner = c.x >= frame.x2 - kCornerSquare && c.y >= frame.y2 - kCornerSquare && c.x <= frame.x2 &&
                        c.y <= frame.y2;
    if (!corner && (t->flags & tb::Fixed)) return tool_result::Handled;
    c.record(text_undo::Moved);
    if (!track_frame(c, &frame, corner)) {
        take_level_back(v);
        doc->modif = modif;
        ToolContext::untouch();
        return tool_result::Handled;
    }
    c.draw_item(t, DrawErase);
    if (corner) {
        t->w = (short)((frame.x2 - frame.x1) / (v->scalex * s.ss));
        t->h = (short)((frame.y2 - frame.y1) / (v->scaley * s.ss));
    } else {
        t->x = (short)((frame.x1 - s.mx + v->ox) / v->scalex);
        t->y = (short)((frame.y1 - s.my + v->oy) / (v->scaley * s.ss));
    }
    c.draw_measure(DrawNormal);
    c.repaint_measure();
    doc->modif = 1;
    return tool_result::Handled;
}

// ---- Creation ----

short create_block(ToolContext& c) {
    Editeur* v = c.v;
    ShownMeasure target;
    bool found = target_measure(v, c.x, c.y, &target);
    if (!found && !doc->cur_pag) return tool_result::NotMine;
    if (c.tool == tool::Pointer || c.erase) return tool_result::NotMine;
    if (!found) {
        found = walk_shown(v, [&](const ShownMeasure& s) {
            target = s;
            return true;
        });
        if (!found) return tool_result::NotMine;
    }
    if (is_refused(target.m)) return tool_result::NotMine;
    auto t = std::make_unique<CTextBloc>();
    apply_remembered_font(t.get());
    c.touch(target);
    t->meas = last_ma;
    t->staff = last_pa;
    t->page = 1;
    if (doc->cur_pag) {
        t->page = doc->cur_pag;
        t->type = tb::InMeasure;
    }
    if (!run_dialog(v, t.get(), 1)) {
        ToolContext::untouch();
        return tool_result::Handled;
    }
    doc->modif = 1;
    if (t->type == tb::InMeasure) {
        t->x = (short)((v->ox + c.x - target.mx) / v->scalex);
        t->y = (short)((v->oy + c.y - target.my) / (v->scaley * target.ss));
        c.record(text_undo::Created);
        t->ajuster_cadre_texte();
        CTextBloc* added = t.release();
        target.m->add(added);
        c.draw_item(added, DrawNormal);
        return tool_result::Handled;
    }
    t->x = (short)((v->ox + c.x) / v->scalex);
    t->y = (short)((v->oy + c.y) / v->scaley);
    t->ajuster_cadre_texte();
    tb::apply_page_placement(t.get(), extract());
    CTextBloc** before = doc->ptx;
    const short before_max = doc->max_ptx;
    CTextBloc* added = t.release();
    const short slot = tb::store_page_block(doc, added);
    if (v->undo && before && before != doc->ptx)
        for (short i = 1; i <= before_max; i++)
            v->undo->replace_object_location(reinterpret_cast<void**>(&before[i]), reinterpret_cast<void**>(&doc->ptx[i]));
    open_level(v, text_undo::Created, reinterpret_cast<void**>(&doc->ptx[slot]), kUndoKindNewPageSlot, 2);
    ToolContext::untouch();
    draw_page_block(v, added, DrawNormal);
    return tool_result::Handled;
}

}  // namespace

short dispatch_editeur_texte(Editeur* v, Event* e) {
    ToolContext c;
    if (!c.begin(v, e)) return tool_result::NotMine;
    // The event's point becomes the screen point, where a drag starts.
    e->x = c.gx, e->y = c.gy;
    if (const short slot = find_page_block(c)) return page_block_pressed(c, slot);
    ShownMeasure where;
    short index = 0;
    if (find_measure_block(c, &where, &index)) return measure_block_pressed(c, where, index);
    return create_block(c);
}
