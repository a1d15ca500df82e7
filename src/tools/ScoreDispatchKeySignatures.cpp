#include "tools/ScoreDispatchKeySignatures.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "editor/Editeur.h"
#include "editor/ItemHitTest.h"
#include "framework/CUndoManager.h"
#include "framework/CUserPanel.h"
#include "framework/Event.h"
#include "layout/KeyClefConsistency.h"
#include "layout/UtilitairesPartition.h"
#include "midi/Transposition.h"
#include "score/CKeySig.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/ScoreItems.h"
#include "score/Signatures.h"
#include "score/ToolNumbers.h"
#include "score/ToolsManager.h"
#include "tools/KeySignatureDialog.h"
#include "tools/ToolContext.h"

namespace {

constexpr short kTableMiddle = 64;        // index of the top line's step in an alteration table
constexpr short kUndoKeySignature = 28;   // undo operation of a key-signature edit
constexpr short kUndoActionMany = 2;      // the level may hold measures of several staves
constexpr short kNatural = 3;             // accidental code of a natural; code - 3 = semitones
constexpr short kMinorMode = 3;
constexpr short kStandardKind = 1;
constexpr short kKeyHalfWidth = 3;        // units either side of a key's accidentals that hit it
constexpr short kKeyRightRoom = 8;        // units right of the last accidental inside the measure
constexpr short kKeyRightMargin = 5;      // units a dragged key keeps from the bar line

// The step offset of a clef id (0 outside the table).
short clef_constant(short id) { return id >= 0 && id <= 9 ? tab_clef_constante[id] : (short)0; }

bool in_table(int index) { return index >= 0 && index < TABA_SIZE; }

// The id of the measure at column ma of staff pa of the master system; 0 when none.
short master_measure_id(short ma, short pa) {
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

void record(CUndoManager* undo, short id) {
    if (undo && id) undo->add_obj(reinterpret_cast<void**>(&doc->mes[id]), kUndoKindMeasure, 0, 0);
}

bool has_key(CMeasure* m) {
    for (short i = 1; i <= m->total(); i++)
        if (m->get_keysig_item(i)) return true;
    return false;
}

void remove_keys(CMeasure* m) {
    for (short i = m->total(); i >= 1; i--)
        if (CKeySig* k = m->get_keysig_item(i)) {
            m->remove(i);
            delete k;
        }
}

CKeySig* copy_of(const CKeySig* k) {
    return k ? static_cast<CKeySig*>(const_cast<CKeySig*>(k)->duplicate()) : nullptr;
}

// What a column's key was before the change: its value, mode and kind.
struct KeyFacts {
    short value = 0, mode = 1, type = kStandardKind;
};

// Transposes measure (m, p) by the interval between its old key and the new one, both standard.
void transpose_for_key(const KeyFacts& before, const CKeySig& key, short m, short p, bool chords) {
    if (before.type != kStandardKind || key.type != kStandardKind) return;
    IntervalSettings s;
    if (!reglage_intervalle(intervalle_armures(before.value, before.mode, key.value, key.mode), &s)) return;
    const short valeur = doc->valeur_intervalle, type = doc->type_intervalle, sens = doc->sens_intervalle,
                octave = doc->octave_intervalle;
    doc->valeur_intervalle = s.valeur, doc->type_intervalle = s.type, doc->sens_intervalle = s.sens;
    doc->octave_intervalle = 0;
    for (short k = 0; k < s.times; k++) transposer_une_mesure(m, p, chords ? 1 : 0);
    doc->valeur_intervalle = valeur, doc->type_intervalle = type, doc->sens_intervalle = sens;
    doc->octave_intervalle = octave;
}

}  // namespace

short clefs_of_measure(CMeasure* m, short clef_start, ClefAt* clefs) {
    short n = 0;
    clefs[n++] = {0, clef_start};
    for (short i = 1; i <= m->total() && n < kMaxClefsInMeasure; i++)
        if (CClef* c = m->get_clef_item(i)) clefs[n++] = {c->x, c->id};
    std::stable_sort(clefs, clefs + n, [](const ClefAt& a, const ClefAt& b) { return a.x < b.x; });
    return n;
}

void reecrire_alterations(CMeasure* m, const short* tab_old, short clef_old, const short* tab_new, short clef_new,
                          const ClefAt* clefs, short n) {
    // The notes in x order among the measure's note places.
    std::vector<short> places;
    std::vector<CNote*> notes;
    for (short i = 1; i <= m->total(); i++)
        if (CNote* note = m->get_note_item(i)) places.push_back(i), notes.push_back(note);
    std::stable_sort(notes.begin(), notes.end(), [](const CNote* a, const CNote* b) { return a->x < b->x; });
    for (size_t k = 0; k < places.size(); k++) m->set_item(places[k], notes[k]);

    short old_bis[TABA_SIZE], new_bis[TABA_SIZE];
    std::copy(tab_old, tab_old + TABA_SIZE, old_bis);
    std::copy(tab_new, tab_new + TABA_SIZE, new_bis);
    for (CNote* note : notes) {
        const int step = (3002 - note->y) / 3 - 1000;
        short clef_here = -1;
        for (short k = n; k >= 1 && clef_here < 0; k--)
            if (clefs[k - 1].x < note->x) clef_here = clefs[k - 1].id;
        const int d_old = clef_here < 0 ? 0 : clef_constant(clef_here) - clef_constant(clef_old);
        const int d_new = clef_here < 0 ? 0 : clef_constant(clef_here) - clef_constant(clef_new);
        const int io = kTableMiddle + step + d_old, in = kTableMiddle + step + d_new;
        short sounding = 0;
        if (note->alt == 0) {
            sounding = in_table(io) ? old_bis[io] : (short)0;
        } else {
            sounding = (short)(note->alt - kNatural);
            if (in_table(io)) old_bis[io] = sounding;
        }
        const short in_key = in_table(in) ? new_bis[in] : (short)0;
        if (in_key == sounding) {
            note->alt = 0;
        } else if (sounding == 0) {
            note->alt = kNatural;
            if (in_table(in)) new_bis[in] = 0;
        } else {
            note->alt = (short)(sounding + kNatural);
            if (in_table(in)) new_bis[in] = sounding;
        }
    }
    m->change_mes_flags(0, measure_flag::MidiCurrent);
}

KeyInterval intervalle_armures(short v_old, short m_old, short v_new, short m_new) {
    KeyInterval k;
    if (m_old != kMinorMode && m_new == kMinorMode) k.semitones -= 3, k.steps -= 2;
    if (m_old == kMinorMode && m_new != kMinorMode) k.semitones += 3, k.steps += 2;
    const int fifths = v_new - v_old;
    k.semitones = (short)(k.semitones + 7 * fifths);
    k.steps = (short)(k.steps + 4 * fifths);
    while (k.semitones > 6) k.semitones -= 12, k.steps -= 7;
    while (k.semitones < -5) k.semitones += 12, k.steps += 7;
    return k;
}

bool reglage_intervalle(const KeyInterval& k, IntervalSettings* out) {
    struct Row {
        short steps, semitones, type;
    };
    static const Row kRows[] = {
        {4, 6, 2},   {4, 7, 4},   {4, 8, 6},                           // fifths
        {3, 4, 2},   {3, 5, 4},   {3, 6, 6},                           // fourths
        {2, 2, 2},   {2, 3, 3},   {2, 4, 5},   {2, 5, 6},              // thirds
        {1, 0, 2},   {1, 1, 3},   {1, 2, 5},   {1, 3, 6},              // seconds
        {0, 1, 6},   {0, -1, 6},  {0, 2, 6},   {0, -2, 6},             // unisons
        {-1, 0, 2},  {-1, -1, 3}, {-1, -2, 5}, {-1, -3, 6},            // seconds down
        {-2, -2, 2}, {-2, -3, 3}, {-2, -4, 5}, {-2, -5, 6},            // thirds down
        {-3, -4, 2}, {-3, -5, 4},                                      // fourths down
    };
    if (k.steps == 0 && k.semitones == 0) return false;
    for (const Row& r : kRows) {
        if (r.steps != k.steps || r.semitones != k.semitones) continue;
        IntervalSettings s;
        s.type = r.type;
        if (k.steps > 0) s.valeur = (short)(k.steps + 1), s.sens = 1;
        else if (k.steps < 0) s.valeur = (short)(1 - k.steps), s.sens = 2;
        else s.valeur = 1, s.sens = k.semitones <= 0 ? 2 : 1;
        s.times = k.steps == 0 && (k.semitones == 2 || k.semitones == -2) ? 2 : 1;
        *out = s;
        return true;
    }
    return false;
}

void appliquer_armure(const CKeySig& key, short ma, short pa, short count, bool unique, bool transpo,
                      CUndoManager* undo) {
    const short columns = nombre_colonnes();
    const short staves = doc && doc->sys && doc->sys[1] ? doc->sys[1]->tot_por : (short)0;
    if (count < 0) count = (short)(columns - ma + 1);
    short tab_new[TABA_SIZE] = {};
    armure_to_taba(const_cast<CKeySig*>(&key), tab_new);
    const short clef_new = key.clef ? key.clef : (short)1;
    for (short p = 1; p <= staves; p++) {
        if (unique && p != pa) continue;
        // Taken before the staff changes: the key in force at the first column, the one to write
        // back after a fixed count (an empty key when none was in force there), and, until the
        // next change, the key in force in column ma before it.
        std::unique_ptr<CKeySig> start(copy_of(get_armure_start(ma, p)));
        std::unique_ptr<CKeySig> restore;
        if (count > 0 && ma + count <= columns) {
            restore.reset(copy_of(get_armure_start((short)(ma + count), p)));
            if (!restore) restore = std::make_unique<CKeySig>();
        }
        std::unique_ptr<CKeySig> until;
        if (count == kKeyUntilNext && ma < columns) until.reset(copy_of(get_armure_start((short)(ma + 1), p)));
        std::vector<KeyFacts> before(columns + 1);
        if (transpo) {
            CKeySig* running = get_armure_start(ma, p);
            short clef = 1;
            CTimeSig* time = nullptr;
            for (short col = ma; col <= columns; col++) {
                en_vigueur_suivante(col, p, &clef, &running, &time);
                if (running) before[col] = {running->value, running->mode, running->type};
            }
        }
        short tab_old[TABA_SIZE] = {};
        armure_to_taba(start.get(), tab_old);
        short clef_old = start && start->clef ? start->clef : (short)1;
        for (short m = ma; m <= columns; m++) {
            const short id = master_measure_id(m, p);
            if (!id) break;
            record(undo, id);
            CMeasure* measure = doc->mes[id];
            if (count > 0 && m >= ma + count) {
                // The old key comes back here, unless the measure changes key itself.
                if (restore && !has_key(measure)) measure->insert(copy_of(restore.get()), 1);
                break;
            }
            bool later_change = false;
            for (short i = 1; i <= measure->total(); i++) {
                CKeySig* k = measure->get_keysig_item(i);
                if (!k) continue;
                armure_to_taba(k, tab_old);
                clef_old = k->clef ? k->clef : (short)1;
                if (count == kKeyUntilNext && m > ma && !armures_egales(k, until.get())) later_change = true;
            }
            if (later_change) break;
            ClefAt clefs[kMaxClefsInMeasure];
            const short n = clefs_of_measure(measure, get_clef_start(m, p), clefs);
            reecrire_alterations(measure, tab_old, clef_old, tab_new, clef_new, clefs, n);
            remove_keys(measure);
            if (m == ma) measure->add(copy_of(&key));
            if (transpo) transpose_for_key(before[m], key, m, p, p == 1 && !unique);
        }
        if (const short first = master_measure_id(ma, p)) verifier_armures_clefs(first, 0);
    }
}

namespace {

// The clef in force at x (measure units) of measure m in column ma of staff pa: the one at its
// start, replaced by each of its clef items left of x.
short clef_at(CMeasure* m, short ma, short pa, double x) {
    short clef = get_clef_start(ma, pa);
    for (short i = 1; i <= m->total(); i++)
        if (CClef* c = m->get_clef_item(i))
            if (c->x < x) clef = c->id;
    return clef;
}

// Free placement: a key's accidentals shifted so that they lie inside a measure `width` wide.
void fit_key(CKeySig* k, short width) {
    if (!k->total()) return;
    short lo = 32000, hi = -32000;
    for (short i = 1; i <= k->total(); i++) lo = std::min<short>(lo, (short)k->x.get(i)), hi = std::max<short>(hi, (short)k->x.get(i));
    lo = (short)(lo - kKeyHalfWidth), hi = (short)(hi + kKeyRightRoom);
    short shift = 0;
    if (hi >= width) shift = (short)(width - hi);
    if (lo + shift <= 0) shift = (short)-lo;
    for (short i = 1; i <= k->total(); i++) k->x.set(i, k->x.get(i) + shift);
}

void shift_key(CKeySig* k, short dx) {
    for (short i = 1; i <= k->total(); i++) k->x.set(i, k->x.get(i) + dx);
}

// Free placement: the key signature of the touched measure under panel x, with its span.
struct KeyHit {
    short item = 0;
    short lo = 0, hi = 0;  // its smallest x - 3 and largest x + 3, measure units
};
bool find_key(const ToolContext& c, KeyHit* hit) {
    CMeasure* m = c.at.m;
    for (short i = 1; i <= m->total(); i++) {
        CKeySig* k = m->get_keysig_item(i);
        if (!k || !k->total()) continue;
        short lo = 32000, hi = -32000;
        for (short j = 1; j <= k->total(); j++) lo = std::min<short>(lo, (short)k->x.get(j)), hi = std::max<short>(hi, (short)k->x.get(j));
        lo = (short)(lo - kKeyHalfWidth), hi = (short)(hi + kKeyHalfWidth);
        const short left = c.left();
        if (c.x >= left + lo * c.v->scalex && c.x <= left + hi * c.v->scalex) {
            *hit = {i, lo, hi};
            return true;
        }
    }
    return false;
}

short erase_key(ToolContext& c, const KeyHit& hit) {
    c.record(kUndoKeySignature);
    CKeySig* k = c.at.m->get_keysig_item(hit.item);
    c.draw_item(k, DrawErase);
    c.at.m->remove(hit.item);
    delete k;
    c.draw_measure(DrawNormal);
    c.repaint_measure();
    return tool_result::Handled;
}

short edit_key(ToolContext& c, const KeyHit& hit, short ma, short pa) {
    CKeySig* k = c.at.m->get_keysig_item(hit.item);
    short total = 0, unique = 0, transpo = 0;
    c.v->offset = 0;
    std::unique_ptr<CKeySig> copy(copy_of(k));
    CKeySig* edited = editer_armure(copy.get(), 0, 0, &total, &unique, &transpo);
    c.v->offset = 1;
    if (!edited) {
        ToolContext::untouch();
        return tool_result::Handled;
    }
    c.record(kUndoKeySignature);
    c.draw_item(k, DrawErase);
    const double at = (c.x - c.left()) / c.v->scalex;
    transposer_armure(edited, clef_at(c.at.m, ma, pa, at));
    fit_key(edited, (short)(c.at.mw / c.v->scalex));
    c.at.m->set_item(hit.item, copy.release());
    delete k;
    c.draw_measure(DrawNormal);
    c.repaint_measure();
    return tool_result::Handled;
}

short drag_key(ToolContext& c, const KeyHit& hit, short ma, short pa) {
    CKeySig* k = c.at.m->get_keysig_item(hit.item);
    Editeur* v = c.v;
    const short width = (short)(c.at.mw / v->scalex);
    const short lowest = (short)-(hit.lo);                          // units the key may move left
    const short highest = (short)(width - hit.hi - kKeyRightMargin);  // units it may move right
    c.draw_item(k, DrawErase);
    c.draw_measure_except(k);
    c.draw_item(k, DrawInvert);
    short moved = 0;
    c.drag(v->scalex, 1.0f, [&](short tx, short) {
        short units = (short)(tx / v->scalex);
        units = std::min(units, highest);
        units = std::max(units, lowest);
        if (units == moved) return;
        if (moved == 0) c.record(kUndoKeySignature);
        c.draw_item(k, DrawInvert);
        shift_key(k, (short)(units - moved));
        moved = units;
        c.draw_item(k, DrawInvert);
    });
    c.draw_item(k, DrawInvert);
    if (moved) transposer_armure(k, clef_at(c.at.m, ma, pa, k->x.get(1)));
    c.draw_measure(DrawNormal);
    c.repaint_measure();
    return tool_result::Handled;
}

}  // namespace

short dispatch_editeur_armures(Editeur* v, Event* e) {
    ToolContext c;
    if (!c.begin(v, e)) return tool_result::NotMine;
    ShownMeasure hit;
    const bool found = walk_shown(v, [&](const ShownMeasure& s) {
        const short left = (short)(s.mx - v->ox), top = (short)(s.my - v->oy);
        if (c.x < left || c.x > left + s.mw || c.y < top || c.y > top + v->scaley * 24.0 * s.ss) return false;
        hit = s;
        return true;
    });
    if (!found || is_refused(hit.m)) return tool_result::NotMine;
    c.touch(hit);
    const short ma = last_ma, pa = last_pa;
    if (!doc->entete_mesure_automatique) {
        KeyHit key;
        if (find_key(c, &key)) {
            doc->modif = 1;
            if (c.erase) return erase_key(c, key);
            if (e->flags & EvfDouble) return edit_key(c, key, ma, pa);
            return drag_key(c, key, ma, pa);
        }
    }
    if (c.tool == tool::Pointer || c.erase) return tool_result::NotMine;
    const double at = (c.x - c.left()) / v->scalex;
    const short clef = clef_at(hit.m, ma, pa, at);
    std::unique_ptr<CKeySig> copy(copy_of(get_armure_start(ma, pa)));
    if (!copy) copy = std::make_unique<CKeySig>();
    supprimer_becarres(copy.get());
    short total = 0, unique = 0, transpo = 0;
    staff_scale = 1.0f;
    v->offset = 0;
    CKeySig* edited = editer_armure(copy.get(), (short)at, clef, &total, &unique, &transpo);
    v->offset = 1;
    c.touch(hit);
    if (!edited) {
        ToolContext::untouch();  // nothing changed: nothing to re-space
        return tool_result::Handled;
    }
    doc->modif = 1;
    if (v->undo) v->undo->set_operation(kUndoKeySignature, kUndoActionMany);
    if (!doc->entete_mesure_automatique) {
        c.record(kUndoKeySignature);
        fit_key(copy.get(), hit.mw ? (short)(hit.mw / v->scalex) : hit.m->width);
        CKeySig* placed = copy.release();
        hit.m->add(placed);
        c.draw_item(placed, DrawNormal);
        return tool_result::Handled;
    }
    appliquer_armure(*copy, ma, pa, total, unique != 0, transpo != 0, v->undo);
    v->dirty_page_lin();
    v->up->dirty(1);
    return tool_result::Handled;
}
