#include "tools/ScoreDispatchClefs.h"

#include <algorithm>

#include "editor/Editeur.h"
#include "framework/CApplication.h"
#include "framework/CDialog.h"
#include "framework/CUndoManager.h"
#include "framework/CUserPanel.h"
#include "framework/DefaultHandlers.h"
#include "framework/Dial_res.h"
#include "framework/Event.h"
#include "framework/UserInput.h"
#include "layout/KeyClefConsistency.h"
#include "layout/ScoreDrawing.h"
#include "layout/SystemHeaders.h"
#include "layout/UtilitairesPartition.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/ScoreItems.h"
#include "score/SymbolPlacement.h"
#include "score/ToolNumbers.h"
#include "tools/ToolContext.h"

// ---- Decisions ----

namespace {
constexpr short kClefKinds = 10;
constexpr short kLastClef = 9;
constexpr short kUnitsLeftOfPress = 8, kLeftMargin = 2, kRightMargin = 18;

short clef_constant(short kind) { return tab_clef_constante[kind >= 0 && kind < kClefKinds ? kind : 1]; }
}  // namespace

short encode_clef_choice(const ClefChoice& c) {
    if (!c.inside) return (short)(c.id | (c.replace ? kClefReplaceBit : 0) | (c.reduced ? kClefReducedBit : 0));
    // A negative answer has the option bits set by the sign: an option on clears its bit.
    short r = (short)-c.id;
    if (c.replace) r = (short)(r & ~kClefReplaceBit);
    if (c.reduced) r = (short)(r & ~kClefReducedBit);
    return r;
}

ClefChoice decode_clef_choice(short r) {
    ClefChoice c;
    c.inside = r < 1;
    c.replace = c.reduced = false;
    for (const short bit : {kClefReplaceBit, kClefReducedBit}) {
        bool on = false;
        if (r < 1 && !(r & bit)) r = (short)(r | bit), on = true;
        else if (r > 0 && (r & bit)) r = (short)(r & ~bit), on = true;
        (bit == kClefReplaceBit ? c.replace : c.reduced) = on;
    }
    c.id = r < 0 ? (short)-r : r;
    return c;
}

short clef_cell_at(short x, short y) {
    if (y < 0 || y > kClefCell + 1) return -1;
    for (short i = 0; i < kClefCells; i++)
        if (x >= kClefCell * i && x <= kClefCell * i + kClefCell) return i < kLastClef ? i : (short)-1;
    return -1;
}

short inside_clef_x(short press_px, short width, float scalex) {
    short p = (short)(press_px - kUnitsLeftOfPress * scalex);
    const short highest = (short)((short)(width * scalex) - kRightMargin * scalex);
    if (p < kLeftMargin) p = kLeftMargin;
    if (p > highest) p = highest;
    return (short)(p / scalex);
}

short dragged_clef_x(short x, short moved_px, short width, float scalex) {
    const short at = (short)(x * scalex);
    const float lowest = kLeftMargin * scalex, highest = (short)(width * scalex) - kRightMargin * scalex;
    float edge = (float)(at + moved_px);
    if (edge < lowest) edge = lowest;
    if (edge > highest) edge = highest;
    return (short)((short)edge / scalex);
}

short governing_clef(const std::vector<StaffItem>& items, short x, short before) {
    std::vector<StaffItem> clefs;
    for (const StaffItem& i : items)
        if (i.kind == StaffItem::Clef) clefs.push_back(i);
    std::stable_sort(clefs.begin(), clefs.end(), [](const StaffItem& a, const StaffItem& b) { return a.x < b.x; });
    short kind = before;
    for (const StaffItem& c : clefs)
        if (c.x <= x) kind = c.id;
    return kind;
}

short replacement_shift(short from, short to) { return (short)(3 * (clef_constant(to) - clef_constant(from))); }

// ---- The chooser ----

short (*clef_chooser)(short clef) = choix_clef;

namespace {

constexpr short kChooserDialog = 0x60;
constexpr short kStripId = 100, kStripX = 44, kStripY = 24;
constexpr short kStripWidth = 211, kStripHeight = 21;
constexpr float kStripScale = 0.5f;  // a staff of 12 pixels in a cell of 21
constexpr short kStripStaffTop = 4;

// The clef highlighted in the open chooser's strip.
short clef_courante = 1;

void invert_cell(CUserPanel* p, short id) {
    p->fill_rect((short)(kClefCell * (id - 1) + 1), 1, (short)(kClefCell * (id - 1) + kClefCell), kClefCell - 1, 3);
}

void draw_strip(CUserPanel* p) {
    const float saved_scale = staff_scale;
    staff_scale = 1.0f;
    p->set_color(0);
    for (short id = 1; id <= kLastClef; id++) {
        const short left = (short)(kClefCell * (id - 1));
        for (short line = 0; line < 5; line++) {
            const short y = (short)(kStripStaffTop + line * 6 * kStripScale);
            p->draw_line((short)(left + 2), y, (short)(left + kClefCell - 2), y, 0);
        }
        CClef glyph;
        glyph.id = id;
        glyph.x = 4;
        p->go_to(left, kStripStaffTop);
        draw_clef(&glyph, p, 0, kStripScale, kStripScale);
    }
    for (short i = 0; i < kClefCells; i++)
        p->draw_rect((short)(kClefCell * i), 0, (short)(kClefCell * i + kClefCell + 1), kClefCell, 0);
    invert_cell(p, clef_courante);
    staff_scale = saved_scale;
}

}  // namespace

short clefs_proc(CPanel* strip, Event* e) {
    CUserPanel* p = static_cast<CUserPanel*>(strip);
    if (e->type == EvPaint) {
        draw_strip(p);
        return 1;
    }
    if (e->type == EvPress && (e->flags & EvfLeft)) {
        const short cell = clef_cell_at(e->x, e->y);
        if (cell >= 0 && cell + 1 != clef_courante) {
            invert_cell(p, clef_courante);
            clef_courante = (short)(cell + 1);
            invert_cell(p, clef_courante);
        }
        return 1;
    }
    return 0;
}

short choix_clef(short clef) {
    short ok = 0, cancel = 0, inside = clef < 0 ? 1 : 0, replace = 1, reduced = 0;
    CDialog* area = nullptr;
    void* table[7] = {nullptr, &ok, &cancel, &inside, &area, &replace, &reduced};
    if (!gdr || !gdr->ouvrir("MISC", "MUSIC.RES", kChooserDialog, table, 0)) return 0;
    if (!area) {
        gdr->fermer(kChooserDialog);
        return 0;
    }
    clef_courante = (short)std::min<int>(std::max<int>(clef < 0 ? -clef : clef, 1), kLastClef);
    CUserPanel* strip = new CUserPanel(area);
    strip->item_id = kStripId;
    strip->set_position(kStripX, kStripY);
    strip->set_dimension(kStripWidth, kStripHeight);
    strip->event_handler = clefs_proc;
    strip->show();
    Event ev;
    // Closed another way than by its buttons: as Annuler.
    while (!ok && !cancel && area->run_modal(&ev)) default_event_handler(area, &ev);
    short result = 0;
    if (ok && !cancel) {
        ClefChoice c;
        c.id = clef_courante;
        c.inside = inside != 0;
        c.replace = replace != 0;
        c.reduced = reduced != 0;
        result = encode_clef_choice(c);
    }
    gdr->fermer(kChooserDialog);
    return result;
}

// ---- The handler ----

namespace {

constexpr short kClefHitWidth = 16;
constexpr short kNoteReplacedFlags = measure_flag::MidiCurrent | measure_flag::Flag20 | measure_flag::TiesChecked;

// The measure whose staff band holds the press.
bool find_measure(const ToolContext& c, ShownMeasure* found) {
    const Editeur* v = c.v;
    return walk_shown(v, [&](const ShownMeasure& s) {
        const short top = (short)(s.my - v->oy);
        if (!spans_x(v, s, c.x) || c.y < top || c.y >= top + v->scaley * 24 * s.ss) return false;
        *found = s;
        return true;
    });
}

// The measure id of column `column` of part `part` (0 when none).
short measure_id(short column, short part) {
    Systeme* master = doc->sys[1];
    if (!master || part < 1 || part > master->tot_por) return 0;
    Portee* staff = doc->por[master->por[part]];
    return staff && column >= 1 && column <= staff->tot_mes ? staff->mes[column] : (short)0;
}

std::vector<StaffItem> staff_items(CMeasure* m) {
    std::vector<StaffItem> items;
    for (short i = 1; i <= m->total(); i++) {
        StaffItem s;
        if (CNote* n = m->get_note_item(i)) s.kind = StaffItem::Note, s.x = n->x, s.y = n->y;
        else if (CClef* k = m->get_clef_item(i)) s.kind = StaffItem::Clef, s.x = k->x, s.id = k->id;
        items.push_back(s);
    }
    return items;
}

// Moves note `index` of measure `mid` by `shift` units, its symbols with it.
void shift_note(Editeur* v, short mid, short index, short shift) {
    CMeasure* m = doc->mes[mid];
    CNote* n = m->get_note_item(index);
    if (!n || !shift) return;
    const short ox = n->x, oy = n->y, oh = n->height, od = n->dir;
    n->y = (short)(n->y + shift);
    n->adjust();
    if (n->sid) deplacer_symbole(n->sid, m, ox, oy, oh, od, index, 0, 0, v->up, v);
    m->change_mes_flags(0, kNoteReplacedFlags);
}

void record_measure(Editeur* v, short mid) {
    if (v->undo && mid >= 1) v->undo->add_obj(reinterpret_cast<void**>(&doc->mes[mid]), kUndoKindMeasure, 0, 0);
}

// The measures after the clicked one on its staff: clefs of kind `from` become `to`; with
// `replace`, the notes up to the first clef of another kind move by the shift. Stops after the
// first measure that holds a clef of another kind.
void replace_following(Editeur* v, short from_column, short part, short from, short to, bool replace) {
    const short shift = replacement_shift(from, to);
    const short columns = nombre_colonnes();
    for (short col = from_column; col <= columns; col++) {
        const short mid = measure_id(col, part);
        CMeasure* m = mid ? doc->mes[mid] : nullptr;
        if (!m) continue;
        record_measure(v, mid);
        m->change_mes_flags(0, measure_flag::MidiCurrent);
        bool other = false;
        short limit = 0;
        for (short i = 1; i <= m->total(); i++)
            if (CClef* k = m->get_clef_item(i); k && k->id != from && (!other || k->x < limit)) other = true, limit = k->x;
        for (short i = 1; i <= m->total(); i++) {
            if (CClef* k = m->get_clef_item(i)) {
                if (k->id == from) k->id = to;
                continue;
            }
            CNote* n = m->get_note_item(i);
            if (n && replace && (!other || n->x <= limit)) shift_note(v, mid, i, shift);
        }
        if (other) return;
    }
}

short move_clef(ToolContext& c, short k) {
    Editeur* v = c.v;
    CMeasure* m = c.at.m;
    CClef* clef = m->get_clef_item(k);
    c.record(clef_undo::Moved);
    c.draw_item(clef, DrawInvert);
    c.draw_measure_except(clef);
    c.draw_item(clef, DrawInvert);
    const short x0 = clef->x;
    short moved = 0, last_x = c.gx;
    while (get_mouse_left()) {
        modal_turn();
        const short mouse = get_mouse_x();
        if (mouse == last_x) continue;
        last_x = mouse;
        c.draw_item(clef, DrawInvert);
        moved = (short)(mouse - c.gx);
        clef->x = dragged_clef_x(x0, moved, m->width, v->scalex);
        c.draw_item(clef, DrawInvert);
    }
    c.draw_item(clef, DrawInvert);
    clef->x = dragged_clef_x(x0, moved, m->width, v->scalex);
    c.draw_measure(DrawNormal);
    m->change_mes_flags(0, measure_flag::MidiCurrent);
    verifier_armures_clefs(c.at.index, 1);
    c.repaint_measure();
    return tool_result::Handled;
}

short delete_clef(ToolContext& c, short k) {
    CMeasure* m = c.at.m;
    CClef* clef = m->get_clef_item(k);
    c.draw_item(clef, DrawErase);
    c.record(clef_undo::Deleted);
    m->remove(k);
    delete clef;
    c.draw_measure(DrawNormal);
    m->change_mes_flags(0, measure_flag::MidiCurrent);
    verifier_armures_clefs(c.at.index, 1);
    c.repaint_measure();
    return tool_result::Handled;
}

short insert_clef(ToolContext& c) {
    Editeur* v = c.v;
    CMeasure* m = c.at.m;
    const short ma = last_ma, pa = last_pa;
    const bool headers = doc->entete_mesure_automatique != 0;
    short asked = get_clef_start(ma, pa);
    if (!headers) asked = (short)-asked;
    short result = 0;
    {
        short x0 = 0, y0 = 0;
        v->up->get_origin(&x0, &y0);
        v->offset = 0;
        result = clef_chooser ? clef_chooser(asked) : (short)0;
        v->offset = 1;
        v->up->set_origin(x0, y0);
    }
    if (!result) return tool_result::NotMine;
    const ClefChoice choice = decode_clef_choice(result);
    if (choice.id < 1 || choice.id > kLastClef) return tool_result::NotMine;
    c.touch(c.at);  // the chooser's own drawing may have used the globals
    short old = get_clef_start(ma, pa);
    {
        short leftmost = 0x7FFF;
        for (short i = 1; i <= m->total(); i++)
            if (CClef* k = m->get_clef_item(i); k && k->type == 1 && k->x < leftmost) leftmost = k->x, old = k->id;
    }
    c.record(clef_undo::Inserted);
    // The notes of the measure with the clef governing each, before the change.
    struct Governed {
        CNote* n;
        short clef;
    };
    std::vector<Governed> notes;
    {
        const std::vector<StaffItem> items = staff_items(m);
        for (short i = 1; i <= m->total(); i++)
            if (CNote* n = m->get_note_item(i)) notes.push_back({n, governing_clef(items, n->x, old)});
    }
    CClef* clef = new CClef;
    clef->id = choice.id;
    if (choice.inside) {
        clef->type = 2;
        clef->x = inside_clef_x((short)(c.x - c.left()), m->width, v->scalex);
    } else if (headers) {
        for (short i = m->total(); i >= 1; i--)
            if (CClef* k = m->get_clef_item(i); k && k->type == 1) {
                m->remove(i);
                delete k;
            }
    }
    clef->red = choice.reduced ? 1 : 0;
    doc->modif = 1;
    m->add(clef);
    m->change_mes_flags(0, measure_flag::MidiCurrent);
    replace_following(v, (short)(ma + 1), pa, old, choice.id, choice.replace);
    if (choice.replace) {
        const std::vector<StaffItem> items = staff_items(m);
        for (const Governed& g : notes) {
            const short now = governing_clef(items, g.n->x, old);
            if (now == g.clef) continue;
            for (short i = 1; i <= m->total(); i++)
                if (m->get_note_item(i) == g.n) shift_note(v, c.at.index, i, replacement_shift(g.clef, now));
        }
    }
    if (!headers) {
        verifier_armures_clefs(c.at.index, 1);
        c.draw_item(clef, DrawNormal);
    } else {
        ajuster_mesures_systeme(c.at.system, doc->cur_mes, v->scalex, v->scaley, v->up, v->undo);
        v->lin_ok = 0;
        v->pag_ok = 0;
        doc->flag_maj = (short)(doc->flag_maj | 1);
    }
    c.draw_measure(DrawNormal);
    c.repaint_measure();
    return tool_result::Handled;
}

}  // namespace

short dispatch_editeur_clefs(Editeur* v, Event* e) {
    ToolContext c;
    if (!c.begin(v, e)) return tool_result::NotMine;
    ShownMeasure s;
    if (!find_measure(c, &s) || is_refused(s.m)) return tool_result::NotMine;
    c.touch(s);
    limiter_liaison_droite = 0;
    CMeasure* m = s.m;
    for (short i = 1; i <= m->total(); i++) {
        CClef* k = m->get_clef_item(i);
        if (!k || (k->type == 1 && doc->entete_mesure_automatique)) continue;
        const short cx = (short)(s.mx + (short)(k->x * v->scalex));
        const short at = (short)(c.x + v->ox);
        if (at < cx || at > cx + kClefHitWidth * v->scalex) continue;
        doc->modif = 1;
        return c.erase ? delete_clef(c, i) : move_clef(c, i);
    }
    if (c.tool == tool::Pointer || c.erase) return tool_result::NotMine;
    return insert_clef(c);
}
