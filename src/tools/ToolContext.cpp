#include "tools/ToolContext.h"

#include <algorithm>

#include "editor/Editeur.h"
#include "editor/EditorLookups.h"
#include "framework/CDialog.h"
#include "framework/CUndoManager.h"
#include "framework/DefaultHandlers.h"
#include "framework/Dial_res.h"
#include "framework/CRect.h"
#include "framework/CUserPanel.h"
#include "framework/Event.h"
#include "layout/UtilitairesPartition.h"
#include "midi/ClickPlayback.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/MusicSettings.h"
#include "score/SymbolPlacement.h"
#include "score/ToolsManager.h"

int32_t note_colour(const Editeur* v, short part) {
    if (!doc || v->sub_id < 0 || v->sub_id > doc->max_sub_doc) return 0;
    return couleur_des_notes(v->voice, part, v->sub_id);
}

void modal_turn() {
    const int32_t colour = couleur_notes;
    if (application) application->idle();
    couleur_notes = colour;
}

bool ToolContext::begin(Editeur* view, Event* event) {
    v = view, e = event;
    if (!v || !e || !set_cur_doc(v->id, v->sub_id) || !doc || !pal || !v->up) return false;
    tool = pal->get_tool();
    erase = pal->get_erase_tool() != 0;
    marks = pal->get_reperes_tool() != 0;
    if (e->type != EvPress || !(e->flags & EvfLeft)) return false;
    x = e->x, y = e->y;
    if (x < 0 || y < 0 || x >= v->up->get_width() || y >= v->up->get_height()) return false;
    ctrl = (e->flags & EvfCtrl) != 0;
    shift = (e->flags & EvfShift) != 0;
    gx = x, gy = y;
    v->up->local_to_global(&gx, &gy);
    v->up->set_color(0);
    return true;
}

void ToolContext::touch(const ShownMeasure& s) {
    at = s;
    localiser_mesure(s.index, &last_ma, &last_pa);
    staff_scale = staff_scale_of(last_pa);
    at.ss = staff_scale;
    Portee* staff = doc->por[s.staff];
    limiter_liaison_droite = staff && s.mpos == staff->tot_mes ? s.m->width : 0;
    dessiner_liaison_gauche = s.mpos == 1 ? 1 : 0;
    cur_mes_draw = s.m;
    couleur_notes = note_colour(v, last_pa);
}

void ToolContext::untouch() { last_ma = last_pa = 0; }

void ToolContext::record(short opid) {
    doc->modif = 1;
    if (!v->undo || !at.index) return;
    v->undo->set_operation(opid, kUndoActionEdit);
    v->undo->add_obj(reinterpret_cast<void**>(&doc->mes[at.index]), kUndoKindMeasure, 0, 0);
}

void ToolContext::rename(short opid) {
    if (v->undo) v->undo->set_operation(opid, kUndoActionEdit);
}

short ToolContext::px_x(double units) const { return (short)(units * v->scalex); }
short ToolContext::px_y(double units) const { return (short)(units * v->scaley * at.ss); }
short ToolContext::left() const { return (short)(at.mx - v->ox); }
short ToolContext::top() const { return (short)(at.my - v->oy); }

namespace {

// The panel's origin moved by the view's scroll for the life of the guard.
class ScrolledOrigin {
public:
    explicit ScrolledOrigin(const Editeur* v) : up(v->up) {
        up->get_origin(&x0, &y0);
        up->set_origin((short)(x0 - v->ox), (short)(y0 - v->oy));
    }
    ~ScrolledOrigin() { up->set_origin(x0, y0); }
    ScrolledOrigin(const ScrolledOrigin&) = delete;
    ScrolledOrigin& operator=(const ScrolledOrigin&) = delete;

private:
    CUserPanel* up;
    short x0 = 0, y0 = 0;
};

}  // namespace

void ToolContext::draw_item(CDataObject* item, short mode) const { draw_item_in(at.m, item, mode); }

void ToolContext::draw_item_in(CMeasure* m, CDataObject* item, short mode) const {
    if (!item || !m) return;
    ScrolledOrigin scrolled(v);
    v->up->go_to((short)(m->x * v->scalex), (short)(m->y * v->scaley));
    CMeasure* drawn = cur_mes_draw;
    cur_mes_draw = m;
    item->draw_object(v->up, 1, v, mode, v->scalex, v->scaley);
    cur_mes_draw = drawn;
}

void ToolContext::draw_measure(short mode) const {
    if (!at.m) return;
    ScrolledOrigin scrolled(v);
    at.m->draw_object(v->up, 1, v, mode, v->scalex, v->scaley);
}

void ToolContext::draw_measure_except(const CDataObject* except) const {
    if (!at.m) return;
    ScrolledOrigin scrolled(v);
    v->up->go_to(at.mx, at.my);
    at.m->draw(v->up, DrawNormal, v->scalex, v->scaley);
    if (is_refused(at.m)) return;
    for (short i = 1; i <= at.m->total(); i++) {
        CDataObject* item = at.m->get_item(i);
        if (item == except) continue;
        v->up->go_to(at.mx, at.my);
        item->draw_object(v->up, 1, v, DrawNormal, v->scalex, v->scaley);
    }
}

void repaint_measure_band(const Editeur* v, const CMeasure* m, float ss) {
    if (!m || !v->up) return;
    constexpr short kMargin = 40;  // units above and below the staff: stems, ledger lines, symbols
    const short left = (short)((short)(m->x * v->scalex) - v->ox), top = (short)((short)(m->y * v->scaley) - v->oy);
    const short above = (short)(kMargin * v->scaley * ss), below = (short)((24 + kMargin) * v->scaley * ss);
    CRect band;
    band.init(left, (short)(top - above), (short)(left + (short)(m->width * v->scalex)), (short)(top + below));
    v->up->dirty_rect(&band);
}

void ToolContext::repaint_measure() const { repaint_measure_band(v, at.m, at.ss); }

void ToolContext::move_bound_symbols(short sid, short old_x, short old_y, short old_h, short old_d, short index,
                                     short eff, short aff) const {
    if (!sid || !at.m) return;
    short x0 = 0, y0 = 0;
    v->up->get_origin(&x0, &y0);
    v->up->set_origin((short)(x0 + left()), (short)(y0 + top()));
    v->up->go_to(0, 0);
    deplacer_symbole(sid, at.m, old_x, old_y, old_h, old_d, index, eff, aff, v->up, v);
    v->up->set_origin(x0, y0);
}

void ToolContext::delete_bound_symbols(short sid) const {
    if (!sid || !at.m) return;
    for (short i = at.m->total(); i >= 1; i--) {
        CSymbol* s = at.m->get_symbol_item(i);
        if (!s || s->note_id != sid) continue;
        at.m->remove(i);
        delete s;
    }
}

void ToolContext::draw_guides(short sid, short px, short py) const {
    if (!sid || !at.m || !marks || !pal) return;
    for (short i = 1; i <= at.m->total(); i++) {
        CSymbol* s = at.m->get_symbol_item(i);
        if (!s || s->note_id != sid) continue;
        Definition* def = pal->get_definition(s->tool_id);
        if (!def) continue;
        const short sx = px_x(s->get_local_param(def, 1)), sy = px_y(s->get_local_param(def, 2));
        v->up->draw_line((short)(left() + sx), (short)(top() + sy), (short)(left() + px), (short)(top() + py), 1);
    }
}

bool ToolContext::held_then_moved() const {
    for (;;) {
        if (get_mouse_x() != gx || get_mouse_y() != gy) return true;
        if (!get_mouse_left()) return false;  // already let go: nothing more will come
        modal_turn();
        if (!get_mouse_left()) return false;
    }
}

void ToolContext::play(CNote* n, short on) const {
    if (n && at.index) play_note_clic(on, n, last_ma, last_pa, at.index);
}

void ToolContext::sound(CNote* n) const {
    play(n, 1);
    wait_ms(100);
    play(n, 0);
}

namespace tool_dialog_detail {

Session::Session(short n, void** table) : number(n) {
    if (!gdr) {
        gdr = new Dial_res;
        gdr->create();
        own = true;
    }
    CDialog* before[Dial_res::kSlots + 1];
    std::copy(gdr->dial, gdr->dial + Dial_res::kSlots + 1, before);
    if (!gdr->ouvrir("MISC", "MUSIC.RES", number, table, 0)) return;
    for (short s = 1; s <= Dial_res::kSlots && !dialog; s++)
        if (gdr->dial[s] && gdr->dial[s] != before[s]) dialog = gdr->dial[s];
}

Session::~Session() {
    if (dialog) {
        gdr->update_var();
        gdr->fermer(number);
    }
    if (own) {
        delete gdr;
        gdr = nullptr;
    }
}

bool Session::step() {
    Event ev;
    if (!dialog->run_modal(&ev)) return false;
    default_event_handler(dialog, &ev);
    return true;
}

}  // namespace tool_dialog_detail

bool work_tool_dialog(short number, void** table, const short* accept, const short* cancel) {
    return work_tool_dialog(number, table, accept, cancel, [](CDialog*) {}, [] {});
}
