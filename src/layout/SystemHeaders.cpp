#include "layout/SystemHeaders.h"
#include "score/MusicClasses.h"

#include <vector>

#include "framework/CUndoManager.h"
#include "layout/KeyClefConsistency.h"
#include "layout/UtilitairesPartition.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"
#include "score/Signatures.h"

namespace {

constexpr short NONE = 10000;

// What one master staff brings to the column being worked on.
struct StaffState {
    short clef = 0;              // clef in force, 0 when none is needed
    CKeySig* key = nullptr;      // key in force (an item of an earlier measure), or null
    CTimeSig* time = nullptr;    // time in force, or null
    short cw = 0, kw = 0, tw = 0;
    CClef* start_clef = nullptr; // the clef that opens the measure
    short old_front = 0;
    bool own_time = false;
    bool in_system = false;
    // What is in force at the start of the column being handled, as the lookups give it.
    short clef_at = 1;
    CKeySig* key_at = nullptr;
    CTimeSig* time_at = nullptr;
};

// A key signature without accidentals (all cancelled) takes no room.
short key_width(CKeySig* k) { return k->total() > 0 ? get_armure_width(k) : 0; }

short bar_allowance(short start_bar) {
    switch (start_bar) {
        case 1: return 0;
        case 4: return 5;
        case 5: return 8;
        default: return start_bar;
    }
}

void pump() {
    if (doc->joue) jouer_temps_reel();
}

short slot_at(short ma, short pa) {
    Portee* p = doc->por[doc->sys[1]->por[pa]];
    return (p && ma >= 1 && ma <= p->tot_mes) ? p->mes[ma] : 0;
}

// What an open pass carries from one line to the next, per master staff.
struct Carried {
    // In force at the start of the previous line's last column.
    short clef_at = 1;
    CKeySig* key_at = nullptr;
    CTimeSig* time_at = nullptr;
    bool checked = false;  // the key and clef check has reached the staff in this pass
    short check_clef = 1;  // the check's clef after the previous line's last column
};

struct PassState {
    Document* document = nullptr;
    short next = 0;  // the column the next line opens with; 0 before the first line
    bool broken = false;
    std::vector<Carried> staff;  // indexed by master staff
};

PassState* open_pass = nullptr;

// The open pass when the line at column ma continues it, else null; a line of the pass's
// document that breaks its order ends the pass's help.
PassState* continuing_pass(short ma, short staves) {
    PassState* run = open_pass;
    if (!run || run->broken) return nullptr;
    if (run->next == 0 && run->staff.empty()) {
        run->document = doc;
        run->staff.resize(staves + 1);
    }
    if (run->document != doc) return nullptr;  // another document's lines leave the pass be
    if ((short)run->staff.size() != staves + 1 || (run->next != 0 && run->next != ma)) {
        run->broken = true;
        return nullptr;
    }
    return run;
}

// Where measure m stands when it is expected in column c: one column searched instead of the
// score.
void locate_in_column(short m, short c, short* ma, short* pa) {
    for (short p = 1; p <= doc->sys[1]->tot_por; p++)
        if (slot_at(c, p) == m) {
            *ma = c;
            *pa = p;
            return;
        }
    localiser_mesure(m, ma, pa);
}

void record(CUndoManager* undo, short ma, short pa) {
    short m = slot_at(ma, pa);
    if (undo && m) undo->add_obj((void**)&doc->mes[m], 2, 0, 0);
}

void drop(CMeasure* m, short& i) {
    CDataObject* o = m->get_item(i);
    m->remove(i);
    delete o;
    i--;
}

Portee* system_staff(short s, short j) { return doc->por[doc->sys[s]->por[j]]; }

// Moves every item that follows the music by dx; beam ends by dx scaled by sx.
void shift_music(CDataObject* o, short dx, float sx) {
    if (CNote* n = object_as<CNote>(o)) n->x = (short)(n->x + dx);
    else if (CRest* r = object_as<CRest>(o)) r->x = (short)(r->x + dx);
    else if (CNolet* t = object_as<CNolet>(o)) t->x = (short)(t->x + dx);
    else if (CLyrics* l = object_as<CLyrics>(o)) l->x = (short)(l->x + dx);
    else if (CTextBloc* tb = object_as<CTextBloc>(o)) tb->x = (short)(tb->x + dx);
    else if (CChordUse* cu = object_as<CChordUse>(o)) cu->x = (short)(cu->x + dx);
    else if (CClef* c = object_as<CClef>(o)) {
        if (c->type != 1) c->x = (short)(c->x + dx);
    } else if (CBeams* b = object_as<CBeams>(o)) {
        for (short j = 1; j <= b->x1.total(); j++) b->x1.set((short)(b->x1.get(j) + dx * sx), j);
        for (short j = 1; j <= b->x2.total(); j++) b->x2.set((short)(b->x2.get(j) + dx * sx), j);
    } else if (CSymbol* sym = object_as<CSymbol>(o)) {
        if (Definition* def = pal ? pal->get_definition(sym->tool_id) : nullptr)
            sym->set_local_param(1, (short)(sym->get_local_param(def, 1) + dx));
    }
}

// Moves the accidentals of k so that the first one stands at `at`.
void place_key(CKeySig* k, short at) {
    short least = NONE;
    for (short j = 1; j <= k->total(); j++)
        if (k->x.get(j) < least) least = k->x.get(j);
    if (least == NONE) return;
    for (short j = 1; j <= k->total(); j++) k->x.set((short)(k->x.get(j) + at - least), j);
}

// Walks the items of one measure: the first clef of type 1 opens it, others go; key and time
// signatures are left to `key_sig` and `time_sig`. Returns the smallest note or rest x.
template <class KeyFn, class TimeFn>
short survey(CMeasure* m, StaffState& st, KeyFn key_sig, TimeFn time_sig) {
    short least = NONE;
    st.start_clef = nullptr;
    for (short i = 1; i <= m->total(); i++) {
        CDataObject* o = m->get_item(i);
        if (CNote* n = object_as<CNote>(o)) {
            if (n->x < least) least = n->x;
        } else if (CRest* r = object_as<CRest>(o)) {
            if (r->x < least) least = r->x;
        } else if (CClef* c = object_as<CClef>(o)) {
            if (c->type != 1) continue;
            if (!st.start_clef && c->x < NONE) st.start_clef = c;
            else drop(m, i);
        } else if (CKeySig* k = object_as<CKeySig>(o)) {
            if (!(k->flags & 0x0001) && key_sig(k)) drop(m, i);
        } else if (CTimeSig* t = object_as<CTimeSig>(o)) {
            if (!(t->flags & 0x0002)) time_sig(t);
        }
    }
    return least;
}

// Time width of a measure's own time signature: 0 when it only repeats the time in force.
short own_time_width(CMeasure* m, CTimeSig* t, CTimeSig* in_force) {
    if (m->meas & 0x4000) return 0;
    if (temps_egaux(t, in_force) && !(m->meas & 0x8000)) return 0;
    return (short)(get_temps_width(t) + doc->dist_entete_3);
}

// Places the items of a measure after its header widths are known. `at` gives the unscaled
// header positions, which `scale` turns into item positions; keep_times keeps own time
// signatures that repeat the time in force.
void place_items(CMeasure* m, StaffState& st, short shift, short b, short wc, short wk,
                 float scale, float sx, bool first_column, bool keep_times) {
    for (short i = 1; i <= m->total(); i++) {
        CDataObject* o = m->get_item(i);
        if (CClef* c = object_as<CClef>(o); c && c->type == 1) {
            if (first_column || c == st.start_clef) {
                c->x = (short)((b + 2 + doc->dist_entete_1) * scale);
                st.clef = c->id;
            }
        } else if (CKeySig* k = object_as<CKeySig>(o)) {
            if (k->flags & 0x0001) {
                drop(m, i);
                continue;
            }
            place_key(k, (short)((wc + b + doc->dist_entete_2) * scale));
            st.key = k;
        } else if (CTimeSig* t = object_as<CTimeSig>(o)) {
            if (t->flags & 0x0002) {
                drop(m, i);
                continue;
            }
            t->x = (short)((st.tw / 2 + b + wc + wk + doc->dist_entete_3) * scale);
            if (!st.time || !temps_egaux(st.time, t) || (m->meas & 0x8000)) st.time = t;
            else if (!keep_times) drop(m, i);
        } else if (!object_as<CRepeat>(o) && !object_as<CLibUse>(o)) {
            shift_music(o, shift, sx);
        }
    }
    m->extended = 0;
}

float staff_scale() {
    float scale = 1.0f;
    for (short i = 1; i <= doc->sys[1]->tot_por; i++)
        if (doc->ins && i <= doc->tot_ins && doc->ins[i].staff_size / 100.0f > scale)
            scale = doc->ins[i].staff_size / 100.0f;
    return scale;
}

void move_caret(short ma, short pa, short shift) {
    if (doc->curseur && doc->curseur_ma == ma && doc->curseur_pa == pa)
        doc->curseur_x = (short)(doc->curseur_x + shift);
}

// Courtesy key and time signatures at the end of system s; returns the largest `extended`.
// `at` (indexed by master staff), when given, holds what is in force at the start of the
// system's last column, which is laid out: what follows it is then found in one step; the
// system then ends in column last_column.
short courtesy_signatures(short s, const std::vector<StaffState>* at, short last_column) {
    short columns = nombre_colonnes();
    short widest = 0;
    for (short pass = 0; pass < 2; pass++) {
        bool keys = pass == 0;
        if (keys ? !doc->ksig_end : !doc->tsig_end) continue;
        short e = widest;
        for (short j = 1; j <= doc->sys[s]->tot_por; j++) {
            Portee* staff = system_staff(s, j);
            if (!staff || staff->tot_mes < 1) continue;
            short last = staff->mes[staff->tot_mes];
            short c, pa;
            if (at) locate_in_column(last, last_column, &c, &pa);
            else localiser_mesure(last, &c, &pa);
            if (c >= columns) break;
            CMeasure* l = doc->mes[last];
            CMeasure* next = mesure_maitre(doc, (short)(c + 1), pa);
            if (!l || !next) continue;
            short clef = 1;
            CKeySig* key_next = nullptr;
            CTimeSig* time_next = nullptr;
            if (at && pa < (short)at->size()) {
                const StaffState& a = (*at)[pa];
                clef = a.clef_at, key_next = a.key_at, time_next = a.time_at;
                en_vigueur_suivante(c, pa, &clef, &key_next, &time_next);
            } else {
                key_next = keys ? get_armure_start((short)(c + 1), pa) : nullptr;
                time_next = keys ? nullptr : get_mesure_start((short)(c + 1), pa);
            }
            if (keys) {
                CKeySig* in_force = key_next;
                if (!in_force) continue;
                for (short i = 1; i <= next->total(); i++) {
                    CKeySig* k = next->get_keysig_item(i);
                    if (!k || (k->flags & 0x0001) || armures_egales(k, in_force)) continue;
                    CKeySig* copy = static_cast<CKeySig*>(k->duplicate());
                    ajouter_becarres(copy, in_force);
                    copy->flags |= 0x0001;
                    place_key(copy, (short)(l->width + doc->dist_entete_2));
                    l->add(copy);
                    l->extended = (short)(key_width(copy) + doc->dist_entete_2);
                    if (l->extended > widest) widest = l->extended;
                    break;
                }
            } else {
                CTimeSig* in_force = time_next;
                if (!in_force) continue;
                for (short i = 1; i <= next->total(); i++) {
                    CTimeSig* t = next->get_timesig_item(i);
                    if (!t || (t->flags & 0x0002) || temps_egaux(t, in_force)) continue;
                    CTimeSig* copy = static_cast<CTimeSig*>(t->duplicate());
                    copy->flags |= 0x0002;
                    short w = get_temps_width(copy);
                    copy->x = (short)(w / 2 + e + l->width + doc->dist_entete_3);
                    l->add(copy);
                    l->extended = (short)(l->extended + w + doc->dist_entete_3 + doc->dist_entete_4);
                    if (l->extended > widest) widest = l->extended;
                    break;
                }
            }
        }
    }
    return widest;
}

}  // namespace

void ajuster_mesures_systeme(short s, short ma, float sx, float, CUserPanel*, CUndoManager* undo) {
    bool lookup = s < 0;
    if (lookup) s = (short)-s;
    if (!doc || !doc->sys || s < 1 || s > doc->max_sys || !doc->sys[s] || !doc->sys[1]) return;
    Systeme* sys = doc->sys[s];
    short staves = doc->sys[1]->tot_por;
    Portee* lead = sys->tot_por >= 1 ? system_staff(s, 1) : nullptr;
    if (!lead || lead->tot_mes < 1) return;
    short count = lead->tot_mes;

    if (!doc->entete_mesure_automatique) {
        for (short j = 1; j <= sys->tot_por; j++) {
            Portee* p = system_staff(s, j);
            for (short k = 1; p && k <= p->tot_mes; k++) {
                if (undo) undo->add_obj((void**)&doc->mes[p->mes[k]], 2, 0, 0);
                if (CMeasure* m = doc->mes[p->mes[k]]) m->front = 0;
            }
        }
        return;
    }

    pump();
    PassState* run = lookup ? nullptr : continuing_pass(ma, staves);
    const short columns = nombre_colonnes();
    const short last_column = lookup ? 0 : (short)(ma + count - 1);
    if (run)
        // The staves the check has reached were placed by it before this line came (and the
        // column after it, which the courtesy signatures read) as a check to the staff's end
        // would have left them.
        for (short i = 1; i <= staves; i++) {
            Carried& c = run->staff[i];
            if (!c.checked) continue;
            c.check_clef = verifier_armures_colonnes(i, ma, last_column, c.check_clef);
            if (last_column < columns)
                verifier_armures_colonnes(i, (short)(last_column + 1), (short)(last_column + 1), c.check_clef);
        }
    std::vector<StaffState> st(staves + 1);
    std::vector<short> opening_clef(staves + 1, 1);
    for (short i = 1; i <= staves; i++) {
        short m = slot_at(ma, i);
        for (short j = 1; j <= sys->tot_por && m; j++) {
            Portee* p = system_staff(s, j);
            if (p && p->tot_mes >= 1 && p->mes[1] == m) st[i].in_system = true;
        }
    }
    float scale = staff_scale();
    short d1 = doc->dist_entete_1, d2 = doc->dist_entete_2, d3 = doc->dist_entete_3,
          d4 = doc->dist_entete_4;

    // First column: the header proper.
    short wc = 0, wk = 0, wt = 0;
    for (short i = 1; i <= staves; i++) {
        pump();
        StaffState& a = st[i];
        if (run && run->next) {
            // The line before ended in column ma - 1: one step from what was in force there.
            a.clef_at = run->staff[i].clef_at;
            a.key_at = run->staff[i].key_at;
            a.time_at = run->staff[i].time_at;
            en_vigueur_suivante((short)(ma - 1), i, &a.clef_at, &a.key_at, &a.time_at);
        } else {
            a.clef_at = get_clef_start(ma, i);
            a.key_at = get_armure_start(ma, i);
            a.time_at = get_mesure_start(ma, i);
        }
        a.clef = opening_clef[i] = a.clef_at;
        a.key = a.key_at;
        a.time = a.time_at;
        CMeasure* m = mesure_maitre(doc, ma, i);
        if (!m) continue;
        m->flags &= ~0x0040;
        record(undo, ma, i);
        a.old_front = m->front;
        a.tw = (a.time && (m->meas & 0x8000)) ? (short)(get_temps_width(a.time) + d3) : 0;
        a.kw = (a.key && !(m->meas & 0x0400)) ? (short)(key_width(a.key) + d2) : 0;
        short least = survey(
            m, a,
            [&](CKeySig* k) {
                if (!doc->ksig_end) ajouter_becarres(k, a.key);
                else supprimer_becarres(k);
                a.kw = (m->meas & 0x0400) ? 0 : (short)(key_width(k) + d2);
                a.key = nullptr;
                return false;
            },
            [&](CTimeSig* t) { a.tw = own_time_width(m, t, a.time); });
        a.cw = (short)(d1 + 18);
        if (a.start_clef && a.start_clef->x < least) a.clef = 0;
        else a.start_clef = nullptr;
        if (!a.in_system) a.cw = a.kw = a.tw = 0;
        if (a.cw > wc) wc = a.cw;
        if (a.kw > wk) wk = a.kw;
        if (a.tw > wt) wt = a.tw;
    }
    for (short i = 1; i <= staves; i++) {
        CMeasure* m = mesure_maitre(doc, ma, i);
        if (!m) continue;
        StaffState& a = st[i];
        if (a.clef) {
            CClef* c = new CClef;
            c->id = a.clef;
            c->type = 1;
            c->x = (short)(d1 + 2);
            m->add(c);
        }
        if (a.key) {
            CKeySig* k = static_cast<CKeySig*>(a.key->duplicate());
            supprimer_becarres(k);
            m->add(k);
        }
        if (a.time && (m->meas & 0x8000)) m->add(a.time->duplicate());
    }
    CMeasure* opening = doc->mes[lead->mes[1]];
    short b = bar_allowance(opening ? opening->start_bar : 1);
    short header = (short)(b + wc + wk + wt + d4);
    short shift = -10000;
    for (short i = 1; i <= staves; i++) {
        short d = (short)(header * scale - st[i].old_front);
        if (d > shift) shift = d;
    }
    for (short i = 1; i <= staves; i++) {
        CMeasure* m = mesure_maitre(doc, ma, i);
        if (!m) continue;
        move_caret(ma, i, shift);
        m->width = (short)(m->width + shift);
        m->front = (short)(header * scale);
        place_items(m, st[i], shift, b, wc, wk, scale, sx, true, false);
    }

    // Later columns: tidy what the measure opens with.
    for (short k = 2; k <= count; k++) {
        pump();
        short c = (short)(ma + k - 1);
        if (lookup) {
            short pa;
            localiser_mesure(lead->mes[k], &c, &pa);
            if (c == 1) c = 2;
            if (c > columns) continue;
        }
        wc = wk = wt = 0;
        for (short i = 1; i <= staves; i++) {
            StaffState& a = st[i];
            if (lookup) {
                a.clef_at = get_clef_start(c, i);
                a.key_at = get_armure_start(c, i);
                a.time_at = get_mesure_start(c, i);
            } else {
                // Column c - 1 is laid out: what it ends with is in force at c.
                en_vigueur_suivante((short)(c - 1), i, &a.clef_at, &a.key_at, &a.time_at);
            }
            a.clef = a.clef_at;
            a.key = a.key_at;
            a.time = a.time_at;
            CMeasure* m = mesure_maitre(doc, c, i);
            if (!m) continue;
            record(undo, c, i);
            m->flags &= ~0x0040;
            a.cw = a.kw = a.tw = 0;
            a.own_time = false;
            a.old_front = m->front;
            if (i == 1) b = bar_allowance(m->start_bar);
            short least = survey(
                m, a,
                [&](CKeySig* key) {
                    if (armures_egales(key, a.key)) return true;
                    if (!(m->meas & 0x0400)) {
                        ajouter_becarres(key, a.key);
                        a.kw = (short)(key_width(key) + d2);
                    }
                    return false;
                },
                [&](CTimeSig* t) {
                    a.tw = own_time_width(m, t, a.time);
                    a.own_time = true;
                });
            if (a.start_clef && a.start_clef->x < least) {
                if (a.start_clef->id == a.clef) {
                    for (short j = 1; j <= m->total(); j++)
                        if (m->get_item(j) == a.start_clef) drop(m, j);
                    a.start_clef = nullptr;
                } else {
                    a.cw = (short)(d1 + 18);
                }
            } else {
                a.start_clef = nullptr;
            }
            if (!a.own_time && a.time && (m->meas & 0x8000)) {
                m->insert(a.time->duplicate(), 3);
                a.tw = (short)(get_temps_width(a.time) + d3);
            }
            if (!a.in_system) a.cw = a.kw = a.tw = 0;
            if (a.cw > wc) wc = a.cw;
            if (a.kw > wk) wk = a.kw;
            if (a.tw > wt) wt = a.tw;
        }
        header = (short)(b + wc + wk + wt + d4);
        shift = -10000;
        for (short i = 1; i <= staves; i++)
            if (mesure_maitre(doc, c, i) && header - st[i].old_front > shift)
                shift = (short)(header - st[i].old_front);
        for (short i = 1; i <= staves; i++) {
            CMeasure* m = mesure_maitre(doc, c, i);
            if (!m) continue;
            move_caret(c, i, shift);
            m->width = (short)(m->width + shift);
            m->front = header;
            place_items(m, st[i], shift, b, wc, wk, 1.0f, sx, false, lookup);
        }
    }

    // Courtesy signatures, one `extended` for the whole last column.
    short widest = courtesy_signatures(s, lookup ? nullptr : &st, last_column);
    short end_column = last_column;
    if (lookup) {
        short pa;
        localiser_mesure(lead->mes[count], &end_column, &pa);
    }
    for (short i = 1; i <= staves; i++)
        if (CMeasure* m = mesure_maitre(doc, end_column, i)) m->extended = widest;

    for (short j = 1; j <= sys->tot_por; j++) {
        if (short m = slot_at(ma, j)) {
            if (!run) {
                verifier_armures_clefs(m, 0);
            } else {
                Carried& c = run->staff[j];
                c.check_clef = verifier_armures_colonnes(j, ma, last_column, opening_clef[j]);
                c.checked = true;
            }
        }
        for (short k = 1; k <= count; k++) {
            short c = (short)(ma + k - 1);
            if (lookup) {
                short pa;
                localiser_mesure(lead->mes[k], &c, &pa);
            }
            verifier_tenues_notes(c, j);
        }
    }
    if (run) {
        for (short i = 1; i <= staves; i++) {
            run->staff[i].clef_at = st[i].clef_at;
            run->staff[i].key_at = st[i].key_at;
            run->staff[i].time_at = st[i].time_at;
        }
        run->next = (short)(last_column + 1);
    }
}

HeaderPass::HeaderPass() : opened_(open_pass == nullptr) {
    if (opened_) open_pass = new PassState;
}

HeaderPass::~HeaderPass() {
    if (!opened_) return;
    delete open_pass;
    open_pass = nullptr;
}

void ajuster_mesure_libre(short ma) {
    CMeasure* first = doc ? mesure_maitre(doc, ma, 1) : nullptr;
    if (!first || !(first->meas & 0x1000)) return;
    short longest = 0;
    for (short p = 1; p <= doc->sys[1]->tot_por; p++)
        if (CMeasure* m = mesure_maitre(doc, ma, p))
            if ((short)m->length > longest) longest = (short)m->length;
    for (short p = 1; p <= doc->sys[1]->tot_por; p++) {
        CMeasure* m = mesure_maitre(doc, ma, p);
        if (!m || m->length >= longest) continue;
        m->length = longest;
        if (m->length_beat > 0) m->tot_beat = (short)(longest / m->length_beat);
    }
}
