#include "tools/ScoreDispatchMidiCursor.h"

#include <algorithm>

#include "editor/Editeur.h"
#include "editor/EditorServices.h"
#include "editor/ItemHitTest.h"
#include "editor/ToolDispatch.h"
#include "framework/CScroll.h"
#include "framework/CUndoManager.h"
#include "framework/CUserPanel.h"
#include "framework/CWindow.h"
#include "framework/Event.h"
#include "framework/LocalTime.h"
#include "framework/UserInput.h"
#include "layout/Justification.h"
#include "layout/UtilitairesGroupesAccords.h"
#include "layout/UtilitairesPartition.h"
#include "midi/PlayRecordManager.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/MusicClasses.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/ScoreItems.h"
#include "score/Signatures.h"
#include "score/ToolNumbers.h"
#include "score/ToolsManager.h"
#include "tools/ToolContext.h"

// ---- Decisions ----

namespace {

constexpr short kBlinkMs = 400;
constexpr short kNoDistance = 10000;  // search bound of the nearest item
constexpr short kBarMargin = 2;       // the bar stays this far inside the measure's ends
constexpr short kClefSteps = 10;      // entries of tab_clef_constante

short mod(short a, short n) { return (short)(((a % n) + n) % n); }

// The black keys' spellings for one mode: pitch class, degree and alteration with the bit
// clear, degree and alteration with the bit set.
struct BlackKey {
    short bit, pitch_class, deg_clear, acc_clear, deg_set, acc_set;
};
constexpr BlackKey kBlackKeys[] = {
    {0x01, 1, 0, 1, 1, -1}, {0x02, 3, 1, 1, 2, -1}, {0x04, 6, 3, 1, 4, -1},
    {0x08, 8, 4, 1, 5, -1}, {0x10, 10, 5, 1, 6, -1},
};

}  // namespace

Spelling spell_at_cursor(short pitch, short value, short mode, short context, short clef, const short* taba,
                         short shown) {
    short deg[12], acc[12];
    std::copy(tab_deg, tab_deg + 12, deg);
    std::copy(tab_acc, tab_acc + 12, acc);
    const short bits = (short)(context >> (mode == 2 ? 5 : mode == 3 ? 10 : 0));
    for (const BlackKey& k : kBlackKeys) {
        const bool set = (bits & k.bit) != 0;
        deg[k.pitch_class] = set ? k.deg_set : k.deg_clear;
        acc[k.pitch_class] = set ? k.acc_set : k.acc_clear;
    }
    const short r = mod((short)(pitch - 7 * value), 12);
    const short a = acc[r], d = deg[r];
    const short n = mod((short)(4 * value + d), 7);
    short s = (short)(7 * (pitch / 12) + n);
    if (n == 6 && pitch % 12 < 5) s = (short)(s - 7);       // a B sharp belongs to the octave below
    if (n == 0 && pitch % 12 == 11) s = (short)(s + 7);     // a C flat to the octave above
    s = (short)(s - tab_clef_constante[clef >= 0 && clef < kClefSteps ? clef : 0]);
    const short index = (short)(s + 19);
    const short e = index >= 0 && index < TABA_SIZE ? taba[index] : 0;
    short code = 0;
    if (a == 1) code = e == -3 ? 4 : (e + 3 < 5 ? (short)(e + 4) : 0);
    else if (a == -1) code = e == -3 ? 2 : (short)(e + 2);
    Spelling out;
    out.y = (short)((45 - s) * 3);
    if (shown > 0) {
        const short in_force = code == 0 && e != 0 ? (short)(e + 3) : code;
        code = in_force == shown ? 0 : (in_force == 0 && shown != 3) ? 3 : in_force;
    }
    out.alt = code;
    return out;
}

short advance_bar(short x, short delta, short width) { return (short)std::min<int>(x + delta, width - kBarMargin); }

short nearest_left(const std::vector<short>& xs, short x) {
    short best = -1, distance = kNoDistance;
    for (short i : xs)
        if (i < x && x - i < distance) distance = (short)(x - i), best = i;
    return best;
}

namespace {
short nearest_right(const std::vector<short>& xs, short x) {
    short best = -1, distance = kNoDistance;
    for (short i : xs)
        if (i > x && i - x < distance) distance = (short)(i - x), best = i;
    return best;
}
}  // namespace

short step_right_bar(const std::vector<short>& xs, short x, short width) {
    const short r = nearest_right(xs, x);
    if (r < 0) return -1;
    const short s = nearest_right(xs, r);
    const short to = s < 0 ? (short)(r + 12) : (short)((r + s + 7) / 2);
    return std::min<short>(to, (short)(width - kBarMargin));
}

short step_left_bar(const std::vector<short>& xs, short x, short front) {
    const short l = nearest_left(xs, x);
    if (l < 0) return -1;
    const short s = nearest_left(xs, l);
    const short to = s < 0 ? (short)(l - 6) : (short)((l + s + 7) / 2);
    return std::max<short>(to, (short)(front + kBarMargin));
}

StepCursorHooks default_step_cursor_hooks() {
    StepCursorHooks h;
    h.take_prepared_note = []() -> CNote* { return nullptr; };
    return h;
}
StepCursorHooks step_cursor_hooks = default_step_cursor_hooks();

short place_for_clef(short treble_y, short clef) {
    constexpr short kTreble = 1;
    const short c = clef >= 0 && clef < kClefSteps ? clef : kTreble;
    return (short)(treble_y + 3 * (tab_clef_constante[c] - tab_clef_constante[kTreble]));
}

// ---- The cursor on the view ----

namespace {

// The cursor's measure and its slot, looked up again each time.
struct CursorPlace {
    CMeasure* m = nullptr;
    short index = 0;  // in Document.mes
};
CursorPlace place_of(short ma, short pa) {
    CursorPlace p;
    Document* d = doc;
    if (!d || !d->sys || !d->sys[1] || pa < 1 || pa > d->sys[1]->tot_por) return p;
    const short staff = d->sys[1]->por[pa];
    if (staff < 1 || staff > d->max_por || !d->por[staff]) return p;
    Portee* s = d->por[staff];
    if (ma < 1 || ma > s->tot_mes) return p;
    const short i = s->mes[ma];
    if (i < 1 || i > d->max_mes || !d->mes[i]) return p;
    p.m = d->mes[i];
    p.index = i;
    return p;
}
CursorPlace cursor_place() { return place_of(doc->curseur_ma, doc->curseur_pa); }

short columns() {
    Document* d = doc;
    if (!d->sys || !d->sys[1] || d->sys[1]->tot_por < 1) return 0;
    const short staff = d->sys[1]->por[1];
    return staff >= 1 && staff <= d->max_por && d->por[staff] ? d->por[staff]->tot_mes : 0;
}

bool on_page(short ma, short pa) { return mesure_in_page(ma, pa, doc->cur_pag) != 0; }

void set_scale_for(short pa) { staff_scale = pa >= 1 ? staff_scale_of(pa) : 1.0f; }

// The bar: erased before a change and drawn after it, so that it never leaves a mark.
void bar_first_half(Editeur* v) {
    if (v->curseur_visible && on_page(doc->curseur_ma, doc->curseur_pa)) {
        set_scale_for(doc->curseur_pa);
        v->invert_curseur();
    }
}
void bar_second_half(Editeur* v) {
    if (v->curseur_visible && on_page(doc->curseur_ma, doc->curseur_pa)) {
        set_scale_for(doc->curseur_pa);
        v->invert_curseur();
        v->next_time_curseur = get_time_pos() + kBlinkMs;
    }
}
void hide_bar(Editeur* v) {
    if (v->curseur_visible && on_page(doc->curseur_ma, doc->curseur_pa)) {
        v->invert_curseur();
        v->next_time_curseur = get_time_pos() + kBlinkMs;
        v->curseur_visible = 0;
    }
}

void reset_linear_view(Editeur* v) {
    v->lin_ok = 0;
    if (v->up) v->up->dirty();
    if (v->upm) v->upm->dirty();
    v->curseur_visible = 0;
    if (v->hor) v->hor->set_value(doc->cur_mes);
}

// The measure drawn again at the view's scroll.
void draw_measure(Editeur* v, CMeasure* m, short mode, short restore) {
    short x0 = 0, y0 = 0;
    v->up->get_origin(&x0, &y0);
    v->up->set_origin((short)(x0 - v->ox), (short)(y0 - v->oy));
    CMeasure* drawn = cur_mes_draw;
    cur_mes_draw = m;
    m->draw_object(v->up, restore, v, mode, v->scalex, v->scaley);
    cur_mes_draw = drawn;
    v->up->set_origin(x0, y0);
}

bool recording() { return mpr && mpr->get_rec_but(); }

// The record staff and the MIDI thru channels follow staff pa, except while recording.
void follow_staff(short pa) {
    Document* d = doc;
    if (recording() || d->rec_piste == pa || pa < 1 || pa > d->tot_ins) return;
    d->rec_piste = pa;
    for (short c = 0; c < 16; c++)
        if (editeur_hooks.set_midi_thru) editeur_hooks.set_midi_thru(c, (unsigned char)(d->ins[pa].canal - 1));
    for (short i = 1; i <= 10; i++) {
        View* view = d->vue[i];
        if (view && view->get_type() == 2 && view->win) view->win->dirty();
    }
}

bool in_voice(const Editeur* v, short voice) { return v->voice == 0 || voice == v->voice; }

// The x of the notes (and rests) of m in the view's voice.
std::vector<short> item_xs(const Editeur* v, CMeasure* m, bool rests) {
    std::vector<short> xs;
    for (short i = 1; i <= m->total(); i++) {
        if (CNote* n = m->get_note_item(i); n && in_voice(v, n->voice)) xs.push_back(n->x);
        if (CRest* r = m->get_rest_item(i); r && rests && in_voice(v, r->voice)) xs.push_back(r->x);
    }
    return xs;
}

void record(Editeur* v, short opid, short index) {
    doc->modif = 1;
    if (!v->undo || !index) return;
    v->undo->set_operation(opid, kUndoActionEdit);
    v->undo->add_obj(reinterpret_cast<void**>(&doc->mes[index]), kUndoKindMeasure, 0, 0);
}

// ---- Entry ----

// The clef in force at the bar: the one at the start of the column, then the measure's own
// clefs left of the bar.
short clef_at_bar(CMeasure* m) {
    short c = get_clef_start(doc->curseur_ma, doc->curseur_pa);
    for (short i = 1; i <= m->total(); i++)
        if (CClef* k = m->get_clef_item(i); k && k->x < doc->curseur_x) c = k->id;
    return c;
}

// The accidental already shown on line y left of the bar: the alt of the rightmost note there
// with one, -1 when none.
short shown_on_line(CMeasure* m, short y) {
    short best_x = -32000, alt = -1;
    for (short i = 1; i <= m->total(); i++) {
        CNote* n = m->get_note_item(i);
        if (!n || n->y != y || n->x > doc->curseur_x - kDeleteWindow || !n->alt) continue;
        if (n->x > best_x) best_x = n->x, alt = n->alt;
    }
    return alt;
}

short advance(Editeur* v, CursorPlace at, short delta) {
    Document* d = doc;
    hide_bar(v);
    d->curseur_x = advance_bar(d->curseur_x, delta, at.m->width);
    const short shown = d->cur_mes;
    if (d->sub_doc[d->cur_sub_doc].actif_just) v->justifier_et_dessiner(d->curseur_ma, d->curseur_pa);
    else draw_measure(v, at.m, DrawNormal, 1);
    // Spacing the measure again draws its notes out of their old places in white, which leaves
    // their edges: the measure is painted afresh.
    repaint_measure_band(v, at.m, staff_scale_of(d->curseur_pa));
    if (d->cur_mes != shown) reset_linear_view(v);
    v->rendre_visible_enpage(d->curseur_ma, d->curseur_pa);
    return 1;
}

short enter_note(Editeur* v, short digit) {
    Document* d = doc;
    CursorPlace at = cursor_place();
    if (!at.m || !on_page(d->curseur_ma, d->curseur_pa)) return 0;
    if (is_refused(at.m)) {
        beep();  // its items are not even drawn: nothing is typed into it
        return 1;
    }
    if (d->curseur_x < 0) d->curseur_x = (short)(at.m->front + kBarMargin);
    const short clef = clef_at_bar(at.m);
    CKeySig* key = get_armure_start((short)(d->curseur_ma + 1), d->curseur_pa);
    short value = 0, mode = 1;
    if (key && key->type != 2) value = key->value, mode = key->mode;
    short taba[TABA_SIZE];
    armure_to_taba(key, taba);

    CNote* n = new CNote;
    n->x = d->curseur_x;
    n->rythm = digit;
    n->y = spell_at_cursor(kStepPitch, value, mode, d->contexte_alt_acc, clef, taba, -1).y;
    n->adjust();
    n->alt = spell_at_cursor(kStepPitch, value, mode, d->contexte_alt_acc, clef, taba, shown_on_line(at.m, n->y)).alt;
    if (v->voice) n->voice = v->voice;
    if (n->y < 12) n->dir = 1;
    n->ajuster_hampe();
    if (CNote* prepared = step_cursor_hooks.take_prepared_note()) {
        prepared->x = n->x;
        prepared->y = place_for_clef(prepared->y, clef);
        prepared->adjust();
        prepared->dir = prepared->y < 12 ? 1 : 0;
        prepared->ajuster_hampe();
        delete n;
        n = prepared;
    }
    const short duration = (short)(0xF00 >> std::clamp<short>(n->rythm, 0, 8));
    if (!at.m->permettre_ajout_voix(n->voice, duration, 1)) {
        delete n;  // it beeped: no room left in the voice
        return 1;
    }
    n->length = duration;
    record(v, cursor_undo::Entered, at.index);
    at.m->change_mes_flags(0, 0x63);
    at.m->insert(n, 1);
    d->modif = 1;
    return advance(v, at, kAdvanceNote);
}

// ---- Deletion ----

bool kept_by_backspace(CDataObject* o) {
    return object_as<CClef>(o) || object_as<CKeySig>(o) || object_as<CTimeSig>(o);
}

short delete_left(Editeur* v) {
    Document* d = doc;
    v->up->set_color(0);
    bar_first_half(v);
    CursorPlace at = cursor_place();
    const bool editable = at.m && !is_refused(at.m);
    short k = -1;
    if (editable) {
        if (d->curseur_x < 0) d->curseur_x = (short)(at.m->front + kBarMargin);
        at.m->change_mes_flags(0, 0x73);
        k = nearest_left(item_xs(v, at.m, true), d->curseur_x);
    }
    if (k >= 0) {
        CMeasure* m = at.m;
        draw_measure(v, m, DrawNormal, 0);
        for (short i = 1; i <= m->total(); i++)
            if (!kept_by_backspace(m->get_item(i))) {
                short x0 = 0, y0 = 0;
                v->up->get_origin(&x0, &y0);
                v->up->set_origin((short)(x0 - v->ox), (short)(y0 - v->oy));
                v->up->go_to((short)(m->x * v->scalex), (short)(m->y * v->scaley));
                m->get_item(i)->draw_object(v->up, 1, v, DrawErase, v->scalex, v->scaley);
                v->up->set_origin(x0, y0);
            }
        std::vector<CDataObject*> gone;
        std::vector<short> sids;
        for (short i = m->total(); i >= 1; i--) {
            CNote* n = m->get_note_item(i);
            CRest* r = m->get_rest_item(i);
            const bool take = (n && in_voice(v, n->voice) && in_delete_window(n->x, k)) ||
                              (r && in_voice(v, r->voice) && in_delete_window(r->x, k));
            if (!take) continue;
            record(v, cursor_undo::Deleted, at.index);
            gone.push_back(m->get_item(i));
            const short sid = n ? n->sid : r->sid;
            if (sid) sids.push_back(sid);
        }
        for (short i = 1; i <= m->total(); i++)
            if (CSymbol* s = m->get_symbol_item(i); s && std::count(sids.begin(), sids.end(), s->note_id))
                gone.push_back(s);
        for (CDataObject* o : gone)
            for (short i = m->total(); i >= 1; i--)
                if (m->get_item(i) == o) {
                    m->remove(i);
                    delete o;
                    break;
                }
        d->curseur_x = k;
        justifier_mesure(d->curseur_ma, d->curseur_pa, 0, 0, v->scalex, v->scaley, v->up, nullptr);
        for (short i = 1; i <= m->total(); i++)
            if (CBeams* b = m->get_beams_item(i)) {
                short gid = b->gid;
                calcul_groupe(m, &gid, v->scalex, v->scaley, v->up);
            }
        draw_measure(v, m, DrawNormal, 1);
        repaint_measure_band(v, m, staff_scale_of(d->curseur_pa));
    } else if (d->curseur_ma > 1) {
        d->curseur_ma = (short)(d->curseur_ma - 1);
        CursorPlace before = cursor_place();
        if (before.m) d->curseur_x = (short)(before.m->width - kBarMargin);
        if (d->cur_pag == 0 && d->curseur_ma < d->cur_mes) {
            d->cur_mes = (short)(d->cur_mes - 1);
            reset_linear_view(v);
        }
    }
    bar_second_half(v);
    v->rendre_visible_enpage(d->curseur_ma, d->curseur_pa);
    return 1;
}

// ---- Shortcuts at the cursor ----

struct LeftItem {
    CursorPlace at;
    CNote* note = nullptr;
    CRest* rest = nullptr;
};

// The note (or rest) left of the bar; else, when allowed, the last one of the previous column.
LeftItem item_left(Editeur* v, bool rests, bool previous_rests, bool previous) {
    Document* d = doc;
    LeftItem found;
    CursorPlace at = cursor_place();
    if (!at.m) return found;
    short best = kNoDistance;
    for (short i = 1; i <= at.m->total(); i++) {
        CNote* n = at.m->get_note_item(i);
        CRest* r = rests ? at.m->get_rest_item(i) : nullptr;
        const short x = n ? n->x : r ? r->x : 0;
        if ((!n && !r) || (n && !in_voice(v, n->voice)) || (r && !in_voice(v, r->voice))) continue;
        if (x < d->curseur_x && d->curseur_x - x < best) best = (short)(d->curseur_x - x), found = {at, n, r};
    }
    if (found.note || found.rest || !previous || d->curseur_ma <= 1) return found;
    if (!(d->cur_pag != 0 || d->cur_mes < d->curseur_ma)) return found;
    CursorPlace before = place_of((short)(d->curseur_ma - 1), d->curseur_pa);
    if (!before.m) return found;
    short right = 0;
    for (short i = 1; i <= before.m->total(); i++) {
        CNote* n = before.m->get_note_item(i);
        CRest* r = previous_rests ? before.m->get_rest_item(i) : nullptr;
        if ((!n && !r) || (n && !in_voice(v, n->voice)) || (r && !in_voice(v, r->voice))) continue;
        const short x = n ? n->x : r->x;
        if (x > 0 && x > right) right = x, found = {before, n, r};
    }
    return found;
}

// A left press made for a tool handler on the item; its answer.
short press_on(Editeur* v, const LeftItem& it, ToolHandler handler, short flags, short dy) {
    const float ss = staff_scale_of(doc->curseur_pa);
    CMeasure* m = it.at.m;
    Event e;
    e.type = EvPress;
    e.flags = flags;
    if (it.note) {
        e.x = (short)((it.note->x + m->x + 1) * v->scalex - v->ox);
        e.y = (short)((m->y + dy * ss + it.note->y * ss) * v->scaley - v->oy);
    } else {
        e.x = (short)((it.rest->x + m->x + 4) * v->scalex - v->ox);
        e.y = (short)((m->y - 6 * ss + it.rest->y * ss) * v->scaley - v->oy);
    }
    return handler ? handler(v, &e) : 0;
}

short shortcut(Editeur* v, short s) {
    v->up->set_color(0);
    hide_bar(v);
    ToolHandlers& h = tool_handlers;
    switch (s) {
    case tool::Dot: {
        LeftItem it = item_left(v, true, true, true);
        if (it.note || it.rest) press_on(v, it, h.point, EvfLeft, 0);
        CursorPlace at = it.at.m ? it.at : cursor_place();
        return at.m ? advance(v, at, kAdvanceDot) : 1;
    }
    case tool::StemFlip:
    case tool::Tie: {
        LeftItem it = item_left(v, false, true, true);
        if (it.note || it.rest) press_on(v, it, s == tool::StemFlip ? h.inverser : h.liaison_tenue, EvfLeft, -2);
        return 1;
    }
    case tool::BeamBreak: {
        LeftItem last = item_left(v, false, false, true);
        if (!last.note) return 1;
        CNote* before = nullptr;
        short best = kNoDistance;
        for (short i = 1; i <= last.at.m->total(); i++) {
            CNote* n = last.at.m->get_note_item(i);
            if (!n || !in_voice(v, n->voice)) continue;
            const short limit = (short)(last.note->x - kDeleteWindow);
            if (n->x < limit && limit - n->x < best) best = (short)(limit - n->x), before = n;
        }
        if (!before) return 1;
        const short previous = pal->get_tool();
        const bool apart = before->gid == 0 || before->gid != last.note->gid;
        pal->set_tool(apart ? tool::Pointer : tool::BeamBreak, 0);
        press_on(v, last, h.notes, apart ? (short)(EvfLeft | EvfCtrl) : (short)EvfLeft, -2);
        pal->set_tool(previous, 0);
        return 1;
    }
    default:
        return 1;
    }
}

// ---- Click placement ----

short place_by_press(Editeur* v, Event* e) {
    Document* d = doc;
    ItemHit hit;
    if (find_note_at(v, e->x, e->y, &hit) || find_rest_at(v, e->x, e->y, &hit)) return 0;
    v->up->set_color(0);
    ShownMeasure found;
    const bool any = walk_shown(v, [&](const ShownMeasure& s) {
        const short left = (short)(s.mx - v->ox), top = (short)(s.my - v->oy);
        const bool inside = e->x >= left && e->x < left + (short)(s.m->width * v->scalex) && e->y >= top &&
                            e->y < top + 24 * v->scaley * s.ss;
        if (inside) found = s;
        return inside;
    });
    if (!any) return 0;
    localiser_mesure(found.index, &last_ma, &last_pa);
    bar_first_half(v);
    const short p = (short)(e->x - found.mx + v->ox);
    d->curseur_x = std::max<short>((short)(p / v->scalex), (short)(found.m->front + kBarMargin));
    d->curseur_ma = last_ma;
    d->curseur_pa = last_pa;
    bar_second_half(v);
    follow_staff(last_pa);
    v->rendre_visible_enpage(d->curseur_ma, d->curseur_pa);
    return 1;
}

// ---- Navigation ----

void column_change(short ma) {
    doc->curseur_ma = ma;
    CursorPlace at = cursor_place();
    if (at.m) doc->curseur_x = (short)(at.m->front + kBarMargin);
}

void horizontal_check(Editeur* v) {
    Document* d = doc;
    if (d->cur_pag != 0) return;
    if (d->curseur_ma < d->cur_mes) {
        d->cur_mes = d->curseur_ma;
        reset_linear_view(v);
    }
    short shown = 0;
    if (d->pag && d->pag[0] && d->pag[0]->tot_sys >= 1) {
        const short s = d->pag[0]->sys[1];
        if (s >= 1 && s <= d->max_sys && d->sys[s] && d->sys[s]->tot_por >= 1) {
            const short staff = d->sys[s]->por[1];
            if (staff >= 1 && staff <= d->max_por && d->por[staff]) shown = d->por[staff]->tot_mes;
        }
    }
    if (d->curseur_ma >= d->cur_mes + shown - 1 && d->cur_mes != d->curseur_ma) {
        d->cur_mes = d->curseur_ma;
        reset_linear_view(v);
    }
}

void vertical_check(Editeur* v) {
    Document* d = doc;
    if (d->cur_pag != 0) return;
    const short y = (short)(d->ins[d->curseur_pa].dy * v->scaley);
    const short h = v->up->get_height();
    short oy = v->oy;
    if (y + 50 * v->scaley > h + v->oy) oy = (short)(y + 12 * v->scaley - h / 2);
    else if (y - 25 * v->scaley < v->oy) oy = (short)(y - 12 * v->scaley - h / 2);
    else return;
    v->oy = std::max<short>(oy, 0);
    v->lin_ok = 0;
    v->up->dirty();
    if (v->upm) v->upm->dirty();
    v->curseur_visible = 0;
    v->loy = v->oy;
    if (v->ver) v->ver->set_value(v->oy);
}

short end_move(Editeur* v, bool vertical) {
    if (vertical) vertical_check(v);
    else horizontal_check(v);
    bar_second_half(v);
    v->rendre_visible_enpage(doc->curseur_ma, doc->curseur_pa);
    return 1;
}

short staff_change(Editeur* v, short direction) {
    Document* d = doc;
    const short last = direction < 0 ? 1 : d->tot_ins;
    for (short k = (short)(d->curseur_pa + direction); direction < 0 ? k >= last : k <= last; k = (short)(k + direction))
        if (on_page(d->curseur_ma, k)) {
            d->curseur_pa = k;
            set_scale_for(k);
            follow_staff(k);
            return end_move(v, true);
        }
    bar_second_half(v);  // nothing there: the bar comes back where it was
    return 1;
}

}  // namespace

short dispatch_editeur_curseur_complement(Editeur* v, Event* e) {
    Document* d = doc;
    if (!d || e->type != EvKey || !v->up) return 0;
    const short key = e->value;
    const bool shift = (e->flags & EvfShift) != 0;
    const short staves = d->sys && d->sys[1] ? d->sys[1]->tot_por : 0;
    const bool mine = (key == 0x1E && d->curseur_pa >= 2) || (key == 0x1F && d->curseur_pa < staves) ||
                      (key == 9 && !shift && d->curseur_ma < columns()) || (key == 9 && shift && d->curseur_ma > 1) ||
                      key == 0x1D || key == 0x1C;
    if (!mine) return 0;
    v->up->set_color(0);
    bar_first_half(v);
    if (key == 0x1E) return staff_change(v, -1);
    if (key == 0x1F) return staff_change(v, +1);
    if (key == 9) {
        column_change((short)(d->curseur_ma + (shift ? -1 : 1)));
        return end_move(v, false);
    }
    CursorPlace at = cursor_place();
    if (!at.m) return end_move(v, false);
    if (d->curseur_x < 0) d->curseur_x = (short)(at.m->front + kBarMargin);
    const std::vector<short> xs = item_xs(v, at.m, true);
    if (key == 0x1D) {
        const short to = step_right_bar(xs, d->curseur_x, at.m->width);
        if (to >= 0) d->curseur_x = to;
        else if (d->curseur_ma < columns()) column_change((short)(d->curseur_ma + 1));
    } else {
        const short to = step_left_bar(xs, d->curseur_x, at.m->front);
        if (to >= 0) {
            d->curseur_x = to;
        } else if (d->curseur_ma > 1) {
            d->curseur_ma = (short)(d->curseur_ma - 1);
            CursorPlace before = cursor_place();
            if (before.m) d->curseur_x = (short)(before.m->width - kBarMargin);
        }
    }
    return end_move(v, false);
}

short dispatch_editeur_curseur(Editeur* v, Event* e) {
    if (!v || !e || !set_cur_doc(v->id, v->sub_id) || !doc || !pal || !v->up) return 0;
    Document* d = doc;
    set_scale_for(d->curseur_pa);
    if (dispatch_editeur_curseur_complement(v, e)) return 1;
    const bool key = e->type == EvKey;
    if (key && e->value == 8) return delete_left(v);
    const bool digit = key && e->value >= '0' && e->value <= '8';
    short s = 0;
    if (key && !digit) {
        s = pal->get_tool_raccourci(e->value);
        if (s == -1) return 1;
        pal->annuler_raccourci();
        if (s == tool::StepCursor) return 1;
        if (s == tool::Dot || s == tool::StemFlip || s == tool::Tie || s == tool::BeamBreak) return shortcut(v, s);
    }
    if (!digit) return e->type == EvPress && (e->flags & EvfLeft) ? place_by_press(v, e) : 0;
    return enter_note(v, (short)(e->value - '0'));
}
