#include "layout/StructureEditing.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "framework/Arrays.h"
#include "framework/CApplication.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CResFile.h"
#include "framework/CString.h"
#include "framework/CTextedit.h"
#include "framework/CUndoManager.h"
#include "framework/ControlHandlers.h"
#include "framework/Event.h"
#include "layout/KeyClefConsistency.h"
#include "layout/PageBreaking.h"
#include "layout/PageFitting.h"
#include "layout/UndoGeneral.h"
#include "layout/UtilitairesPartition.h"
#include "score/CChordProgression.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/Extracts.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/Piste.h"
#include "score/StructureSlots.h"

StructureEditingHooks default_structure_editing_hooks() {
    StructureEditingHooks h{};
    h.get_play_but = []() -> short { return 0; };
    h.stop_play = []() {};
    h.limit_view_measure = [](short) {};
    return h;
}
StructureEditingHooks structure_editing_hooks = default_structure_editing_hooks();

namespace {

constexpr short STAFF_SPACING = 75;

Systeme* master() { return doc->sys[1]; }
Portee* master_staff(short j) { return doc->por[master()->por[j]]; }
Sub_document& extract() { return doc->sub_doc[doc->cur_sub_doc]; }
CUndoManager* extract_undo() { return extract().undo; }

CString res_line(short group, short line) {
    CString s;
    gr_string("MISC", "MUSIC.RES", group, line, &s);
    return s;
}

// Records a snapshot in the level being opened; a snapshot the level did not take is freed.
void record_snapshot(CUndoManager* undo, Undo_general* snapshot) {
    if (!snapshot) return;
    if (undo) {
        undo->add_obj((void**)&snapshot, 7, 4, 0);
        if (undo->level >= 1 && undo->level <= undo->total()) {
            CUndoOperation* op = undo->get(undo->level);
            for (short i = 1; i <= op->old_obj.total(); i++)
                if ((Undo_general*)op->old_obj.get(i) == snapshot) return;
        }
    }
    liberer_undo_general(snapshot);
}

// Makes staff record q hold at least `capacity` measures.
Portee* grow_staff(short q, short capacity) {
    Portee* old = doc->por[q];
    if (old->max_mes >= capacity) return old;
    Portee* grown = nouveau_portee(capacity);
    if (!grown) return old;
    grown->tot_mes = old->tot_mes;
    for (short i = 1; i <= old->tot_mes; i++) grown->mes[i] = old->mes[i];
    std::free(old);
    doc->por[q] = grown;
    return grown;
}

// The lowest free measure slot at or after `from` (the array grown first); 0 when none.
short measure_slot(short* from) {
    if (!make_measure_space(doc)) return 0;
    for (short i = *from < 1 ? 1 : *from; i <= doc->max_mes; i++)
        if (!doc->mes[i]) {
            *from = i;
            return i;
        }
    for (short i = 1; i <= doc->max_mes; i++)
        if (!doc->mes[i]) {
            *from = i;
            return i;
        }
    return 0;
}

// The repeat references of every measure of staff j at or after `from` move by `by`; those
// inside [from, to] become 0 when `clear_range` is set.
void remap_repeats(short j, short from, short to, short by, bool clear_range) {
    Portee* staff = master_staff(j);
    for (short c = 1; c <= staff->tot_mes; c++) {
        CMeasure* m = doc->mes[staff->mes[c]];
        for (short i = 1; m && i <= m->total(); i++) {
            CRepeat* r = m->get_repeat_item(i);
            if (!r) continue;
            for (short k = 1; k <= 10; k++) {
                short ref = r->next[k];
                if (ref == 0) continue;
                if (clear_range) {
                    if (ref >= from && ref <= to) r->next[k] = 0;
                    else if (ref > to) r->next[k] = (short)(ref + by);
                } else if (ref >= from) {
                    r->next[k] = (short)(ref + by);
                }
            }
        }
    }
}

// The tick at which column c begins along staff 1.
int32_t column_start(short c) {
    Portee* staff = master_staff(1);
    int32_t t = 0;
    for (short k = 1; k < c && k <= staff->tot_mes; k++) t += doc->mes[staff->mes[k]]->length;
    return t;
}

// Moves the events of track j at or after `at` later by `by`, except the end of a note begun
// before `at` (no start of its pitch on its channel between `at` and it).
void shift_track(short j, int32_t at, int32_t by) {
    Piste* t = j <= doc->tot_piste ? doc->piste[j] : nullptr;
    if (!t || by == 0) return;
    short e = 1;
    while (e <= t->tot && t->event[e].time < at) e++;
    std::vector<bool> keep(t->tot + 1, false);
    for (short i = e; i <= t->tot; i++) {
        MidiEvent* ev = &t->event[i];
        if (!is_note_off(ev, -1)) continue;
        bool started = false;
        for (short s = e; s < i && !started; s++)
            started = is_note_on(&t->event[s], ev->buf[1]) && (t->event[s].buf[0] & 0x0F) == (ev->buf[0] & 0x0F);
        keep[i] = !started;
    }
    for (short i = e; i <= t->tot; i++)
        if (!keep[i]) t->event[i].time += by;
    trier_piste(j);
}

// A new measure for an added column, next to measure `next_to` at column c of staff j.
CMeasure* column_measure(CMeasure* next_to, CMeasure* at_c) {
    CMeasure* m = new CMeasure;
    m->width = m->pw = (short)(next_to->width - next_to->front);
    m->start_bar = m->end_bar = 1;
    m->x = m->px = 0;
    m->y = m->py = next_to->y;
    m->lines = at_c->lines;
    m->flags = (short)(at_c->flags & ~0x3);
    if (at_c->meas & 0x1000) m->meas = 0x1000;
    else if (at_c->meas & 0x800) m->meas = 0x800;
    if (m->meas) {
        m->tot_beat = at_c->tot_beat;
        m->length_beat = at_c->length_beat;
        m->length = (int32_t)m->tot_beat * m->length_beat;
    }
    m->id = doc->next_meas_id++;
    return m;
}

// A new measure for an added staff, copied from the source staff's measure of the column.
CMeasure* staff_measure(CMeasure* src) {
    CMeasure* m = new CMeasure;
    m->width = src->width;
    m->start_bar = src->start_bar;
    m->end_bar = src->end_bar;
    m->front = src->front;
    m->pw = (short)(src->width - src->front);
    m->number = src->number;
    m->meas = src->meas;
    m->extended = src->extended;
    m->tot_beat = src->tot_beat;
    m->length_beat = src->length_beat;
    m->length = (short)src->length;
    m->x = m->px = m->y = m->py = 0;
    m->flags = (short)(src->flags & ~0x3);
    for (short i = 1; i <= src->total(); i++)
        if (CRepeat* r = src->get_repeat_item(i)) {
            m->add(r->duplicate());
            break;
        }
    if (doc->entete_mesure_automatique) {
        for (short i = 1; i <= src->total(); i++)
            if (CTimeSig* t = src->get_timesig_item(i)) {
                m->add(t->duplicate());
                break;
            }
        for (short i = 1; i <= src->total(); i++)
            if (CKeySig* k = src->get_keysig_item(i)) {
                m->add(k->duplicate());
                break;
            }
    }
    m->id = doc->next_meas_id++;
    return m;
}

struct Progress {
    short total = 1, done = 0;
    void step() {
        done++;
        if (application) application->do_patience((short)((int32_t)done * 100 / (total > 0 ? total : 1)));
    }
};

// ---- Adding --------------------------------------------------------------------------------

void add_columns(short m, short c, short n, bool before, bool record_tracks, Progress& progress,
                 CArrayInt* messys, CArrayInt* syspag) {
    Sub_document& sd = extract();
    if (messys && syspag) {
        for (short i = 0; i < n; i++) {
            short last = messys->total();
            if (last >= 1 && messys->get(last) < sd.mes_par_por) {
                messys->set((short)(messys->get(last) + 1), last);
                continue;
            }
            messys->add(1);
            short pages = syspag->total();
            if (pages >= 1 && syspag->get(pages) < sd.sys_par_pag) syspag->set((short)(syspag->get(pages) + 1), pages);
            else syspag->add(1);
        }
    }
    if (application) application->patience_string_1(res_line(66, 6).get());
    CUndoManager* undo = extract_undo();
    const short columns = nombre_colonnes();
    const short at = before ? c : (short)(c + 1);  // first new column
    const int32_t at_time = column_start(at);
    CMeasure* next_to = doc->mes[m];
    short slot = 1;
    for (short j = 1; j <= master()->tot_por; j++) {
        if (record_tracks && undo && j <= doc->tot_piste) undo->add_obj((void**)&doc->piste[j], 6, 0, 0);
        Portee* staff = master_staff(j);
        if (c >= 1 && c <= staff->tot_mes) {
            doc->mes[staff->mes[c]]->change_mes_flags(0, 0x40);
            short across = before ? (c > 1 ? (short)(c - 1) : 0) : (c < staff->tot_mes ? (short)(c + 1) : 0);
            if (across) doc->mes[staff->mes[across]]->change_mes_flags(0, 0x40);
        }
        staff = grow_staff(master()->por[j], (short)(columns + n + 10));
        if (staff->max_mes < staff->tot_mes + n) continue;
        CMeasure* at_c = doc->mes[staff->mes[c < staff->tot_mes ? c : staff->tot_mes]];
        for (short i = staff->tot_mes; i >= at; i--) staff->mes[i + n] = staff->mes[i];
        for (short i = 0; i < n; i++) {
            short s = measure_slot(&slot);
            if (!s) break;
            doc->mes[s] = column_measure(next_to, at_c);
            doc->tot_mes++;
            staff->mes[at + i] = s;
            progress.step();
        }
        staff->tot_mes = (short)(staff->tot_mes + n);
        if (j == 1 && sd.chprog) {
            if (undo) undo->add_obj((void**)&sd.chprog, 5, 0, 0);
            CChordProgression* prog = sd.chprog;
            for (short i = 1; i <= prog->total(); i++)
                if (prog->get_chord_measure(i) >= at) prog->set_chord_measure(i, (short)(prog->get_chord_measure(i) + n));
            if (prog->get_end_measure() >= at) prog->set_end_measure((short)(prog->get_end_measure() + n));
        }
        remap_repeats(j, at, 0, n, false);
    }
    // The new measures take the metre in force where they stand; the music after them moves by
    // the time they really take.
    maj_duree_mesures();
    int32_t added = column_start((short)(at + n)) - at_time;
    for (short j = 1; j <= master()->tot_por && j <= doc->tot_piste; j++) shift_track(j, at_time, added);
}

void add_staves(short p, short k, bool before, Progress& progress) {
    if (application) application->patience_string_1(res_line(66, 7).get());
    Systeme* sys = master();
    const short staves = sys->tot_por;
    const short columns = nombre_colonnes();
    if (doc->max_piste < doc->tot_piste + k) {
        short max = (short)(doc->tot_piste + k + 5);
        Piste** grown = new Piste*[max + 1]();
        for (short t = 1; t <= doc->tot_piste; t++) grown[t] = doc->piste[t];
        delete[] doc->piste;
        doc->piste = grown;
        doc->max_piste = max;
    }
    if (sys->max_por < staves + k) {
        Systeme* grown = nouveau_systeme_record((short)(staves + k + 10));
        grown->tot_por = sys->tot_por;
        for (short j = 1; j <= staves; j++) grown->por[j] = sys->por[j];
        std::free(sys);
        doc->sys[1] = sys = grown;
    }
    if (doc->max_ins < doc->tot_ins + k) {
        short max = (short)(doc->tot_ins + k + 5);
        Ins* grown = new Ins[max + 1]();
        for (short i = 1; i <= doc->tot_ins; i++) grown[i] = doc->ins[i];
        delete[] doc->ins;
        doc->ins = grown;
        doc->max_ins = max;
    }
    const short b = before ? p : (short)(p + 1);
    for (short j = staves; j >= b; j--) sys->por[j + k] = sys->por[j];
    for (short i = doc->tot_ins; i >= b; i--) doc->ins[i + k] = doc->ins[i];
    for (short t = doc->tot_piste; t >= b; t--) doc->piste[t + k] = doc->piste[t];
    for (short i = 0; i < k; i++) {
        init_var_ins(&doc->ins[b + i], (short)(b + i));
        doc->piste[b + i] = creer_piste(PISTE_NEW_ROOM);
    }
    if (b > doc->tot_ins) doc->tot_ins = (short)(b + k - 1);
    else doc->tot_ins = (short)(doc->tot_ins + k);
    if (b > doc->tot_piste) doc->tot_piste = (short)(b + k - 1);
    else doc->tot_piste = (short)(doc->tot_piste + k);
    sys->tot_por = (short)(staves + k);
    // The source of the new measures: the staff after the block when it starts at the top,
    // else staff 1.
    const short source = b == 1 ? (short)(b + k) : 1;
    short slot = 1;
    for (short i = 0; i < k; i++) {
        short q = nouvelle_portee(doc, (short)(columns + 10));
        sys->por[b + i] = q;
        if (!q) continue;
        Portee* staff = doc->por[q];
        Portee* from = master_staff(source);
        for (short c = 1; c <= columns; c++) {
            short s = measure_slot(&slot);
            if (!s) break;
            doc->mes[s] = staff_measure(doc->mes[from->mes[c]]);
            doc->tot_mes++;
            staff->mes[++staff->tot_mes] = s;
            progress.step();
        }
    }
    // Vertical offsets: the block stands where the staff after it stood (at the top) or 75
    // below the staff before it; the staves after it move down.
    const short after = (short)(b + k);
    short dy = b == 1 ? (after <= doc->tot_ins ? doc->ins[after].dy : 0)
                      : (short)(doc->ins[b - 1].dy + STAFF_SPACING);
    const short dx = doc->ins[source].dx;
    for (short i = 0; i < k; i++) {
        doc->ins[b + i].dx = dx;
        doc->ins[b + i].dy = (short)(dy + i * STAFF_SPACING);
    }
    for (short j = after; j <= doc->tot_ins; j++) doc->ins[j].dy = (short)(doc->ins[j].dy + k * STAFF_SPACING);
}

// ---- Erasing -------------------------------------------------------------------------------

void erase_columns(short c, short n, bool ending_at_c, bool record_tracks, CArrayInt* messys,
                   CArrayInt* syspag) {
    const short columns = nombre_colonnes();
    short first, last;
    if (ending_at_c) {
        if (n > c) n = c;
        first = (short)(c - n + 1);
        last = c;
    } else {
        if (n > columns - c + 1) n = (short)(columns - c + 1);
        first = c;
        last = (short)(c + n - 1);
    }
    if (n >= columns) {  // the last column stays
        last--;
        n--;
    }
    if (n <= 0 || last < first) return;
    if (messys && syspag) {
        for (short i = 0; i < n; i++) {
            short s = messys->total();
            if (s < 1) break;
            if (messys->get(s) > 1) {
                messys->set((short)(messys->get(s) - 1), s);
                continue;
            }
            messys->remove(s);
            short pg = syspag->total();
            if (pg >= 1 && syspag->get(pg) > 1) syspag->set((short)(syspag->get(pg) - 1), pg);
            else if (pg >= 1) syspag->remove(pg);
        }
    }
    CUndoManager* undo = extract_undo();
    Sub_document& sd = extract();
    for (short j = 1; j <= master()->tot_por; j++) {
        if (j > doc->tot_piste) continue;
        if (record_tracks && undo) undo->add_obj((void**)&doc->piste[j], 6, 0, 0);
        supprimer_piste_entre(j, first, last);
    }
    for (short j = 1; j <= master()->tot_por; j++) {
        Portee* staff = master_staff(j);
        for (short i = first; i <= last && i <= staff->tot_mes; i++) {
            short m = staff->mes[i];
            delete doc->mes[m];
            doc->mes[m] = nullptr;
            doc->tot_mes--;
        }
        for (short i = (short)(last + 1); i <= staff->tot_mes; i++) staff->mes[i - n] = staff->mes[i];
        staff->tot_mes = (short)(staff->tot_mes - n);
    }
    if (first <= nombre_colonnes())
        for (short j = 1; j <= master()->tot_por; j++) verifier_armures_clefs(master_staff(j)->mes[first], 0);
    if (sd.chprog) {
        if (undo) undo->add_obj((void**)&sd.chprog, 5, 0, 0);
        sd.chprog->remove_measures(first, n);
    }
    for (short j = 1; j <= master()->tot_por; j++) remap_repeats(j, first, last, (short)-n, true);
    for (short j = 1; j <= master()->tot_por && j <= doc->tot_piste; j++) maj_rel_piste_mesures(j);
}

void erase_staves(short p, short k, bool ending_at_p) {
    doc->rec_piste = 0;
    Systeme* sys = master();
    const short staves = sys->tot_por;
    short first, last;
    if (ending_at_p) {
        first = (short)(p - k + 1 < 1 ? 1 : p - k + 1);
        last = p;
    } else {
        first = p;
        last = (short)(p + k - 1 > staves ? staves : p + k - 1);
    }
    if (last - first + 1 >= staves) last--;  // the last staff stays
    if (last < first) return;
    k = (short)(last - first + 1);
    int32_t gaps = 0;
    for (short j = first; j <= last; j++) {
        if (j < staves && j + 1 <= doc->tot_ins && j <= doc->tot_ins) gaps += doc->ins[j + 1].dy - doc->ins[j].dy;
        Portee* staff = master_staff(j);
        for (short c = 1; staff && c <= staff->tot_mes; c++) {
            short m = staff->mes[c];
            if (doc->mes[m]) {
                delete doc->mes[m];
                doc->mes[m] = nullptr;
                doc->tot_mes--;
            }
        }
        short q = sys->por[j];
        std::free(doc->por[q]);
        doc->por[q] = nullptr;
        doc->tot_por--;
        if (j <= doc->tot_piste) {
            detruire_piste(doc->piste[j]);
            doc->piste[j] = nullptr;
        }
        if (j <= doc->tot_ins) {
            std::free(doc->ins[j].buf_msg);
            doc->ins[j].buf_msg = nullptr;
        }
    }
    for (short j = (short)(last + 1); j <= staves; j++) sys->por[j - k] = sys->por[j];
    sys->tot_por = (short)(staves - k);
    for (short i = (short)(last + 1); i <= doc->tot_ins; i++) doc->ins[i - k] = doc->ins[i];
    for (short t = (short)(last + 1); t <= doc->tot_piste; t++) doc->piste[t - k] = doc->piste[t];
    for (short t = (short)(doc->tot_piste - k + 1); t <= doc->tot_piste; t++)
        if (t >= 1) doc->piste[t] = nullptr;
    doc->tot_ins = (short)(doc->tot_ins - k < 0 ? 0 : doc->tot_ins - k);
    doc->tot_piste = (short)(doc->tot_piste - k < 0 ? 0 : doc->tot_piste - k);
    for (short j = first; j <= doc->tot_ins; j++) doc->ins[j].dy = (short)(doc->ins[j].dy - gaps);
}

}  // namespace

short dialogue_ajouter_effacer(AjoutEffacement* choice) {
    CDialog* d = new CDialog("MISC", "MUSIC.RES", 25, default_dialog_handler, 0);
    auto set_radio = [&](short first, short count, short value) {
        for (short i = 0; i < count; i++)
            if (CRadio* r = d->radio((short)(first + i))) r->set_value(i + 1 == value ? 1 : 0);
    };
    set_radio(1, 2, choice->operation);
    set_radio(8, 2, choice->cote_mesures);
    set_radio(15, 2, choice->cote_portees);
    if (CTextedit* t = d->te(4)) t->set_integer(choice->mesures);
    if (CTextedit* t = d->te(6)) t->set_integer(choice->portees);
    auto get_radio = [&](short first, short count, short fallback) -> short {
        for (short i = 0; i < count; i++)
            if (CRadio* r = d->radio((short)(first + i)); r && r->get_value()) return (short)(i + 1);
        return fallback;
    };
    short taken = 0;
    Event ev;
    while (d->run_modal(&ev)) {
        if (ev.type != EvControl) continue;
        if (ev.item == 19) break;
        if (ev.item != 18) continue;
        choice->operation = get_radio(1, 2, 1);
        choice->cote_mesures = get_radio(8, 2, 2);
        choice->cote_portees = get_radio(15, 2, 2);
        if (CTextedit* t = d->te(4)) choice->mesures = (short)t->get_integer();
        if (CTextedit* t = d->te(6)) choice->portees = (short)t->get_integer();
        taken = 1;
        break;
    }
    delete d;
    return taken;
}

void ajouter_effacer_mesures(short m, float sx, float sy, CUserPanel* panel, short ask, short n, short k,
                             short operation) {
    AjoutEffacement choice;
    choice.operation = operation;
    choice.mesures = n;
    choice.portees = k;
    if (ask) {
        choice.mesures = 1;
        choice.portees = 0;
        choice.operation = 1;
        if (!dialogue_ajouter_effacer(&choice)) return;
    }
    ajouter_effacer(m, sx, sy, panel, choice);
}

void ajouter_effacer(short m, float sx, float sy, CUserPanel* panel, const AjoutEffacement& choice) {
    if (!doc || !doc->sys || !doc->sys[1]) return;
    permuter_contexte(doc, doc->cur_sub_doc);
    short n = choice.mesures < 0 ? 0 : choice.mesures;
    short k = choice.portees < 0 ? 0 : choice.portees;
    if (n + k == 0 || (choice.operation != 1 && choice.operation != 2)) return;
    if (structure_editing_hooks.get_play_but()) structure_editing_hooks.stop_play();
    doc->modif = 1;
    short c = 1, p = 1;
    if (m >= 1 && m <= doc->max_mes && doc->mes[m]) localiser_mesure(m, &c, &p);
    else m = master_staff(1)->mes[1];
    CArrayInt messys, syspag;
    const bool laid_out = doc->mise_en_page_ok != 0;
    short page = 1;
    if (laid_out) {
        recup_tableaux(&messys, &syspag);
        short column = 1, e = 1;
        for (short pg = 1; pg <= syspag.total(); pg++) {
            short last_column = column;
            for (short s = 0; s < syspag.get(pg); s++, e++) last_column = (short)(last_column + messys.get(e));
            if (c >= column && c < last_column) {
                page = pg;
                break;
            }
            column = last_column;
        }
        if (k) page = 1;
    }
    CUndoManager* undo = extract_undo();
    CArrayInt* ms = laid_out ? &messys : nullptr;
    CArrayInt* sp = laid_out ? &syspag : nullptr;
    if (choice.operation == 1) {
        Progress progress;
        const short staves = master()->tot_por, columns = nombre_colonnes();
        progress.total = (short)(n * staves + k * columns + k * n);
        if (application) application->open_patience(0, 0, res_line(66, 5).get(), "", "");
        editeur_non_affichable = 1;
        if (undo) {
            undo->new_level(0x31, 4);
            record_snapshot(undo, preparer_undo_general(doc, k != 0));
        }
        if (n) add_columns(m, c, n, choice.cote_mesures == 1, k == 0, progress, ms, sp);
        if (k) add_staves(p, k, choice.cote_portees == 1, progress);
        if (application) application->close_patience();
        editeur_non_affichable = 0;
    } else {
        if (undo) {
            undo->new_level(0x32, 4);
            record_snapshot(undo, preparer_undo_general(doc, k != 0));
        }
        if (application) application->set_cursor_wait();
        if (n) erase_columns(c, n, choice.cote_mesures == 1, k == 0, ms, sp);
        if (k) erase_staves(p, k, choice.cote_portees == 1);
    }
    if (application) application->set_cursor_arrow();
    const short columns = nombre_colonnes();
    if (doc->cur_mes > columns) doc->cur_mes = columns;
    structure_editing_hooks.limit_view_measure(doc->cur_mes);
    if (laid_out) adapter_mep(&messys, &syspag, page, sx, sy, panel, 1, nullptr, 0);
    if (doc->cur_pag > doc->tot_pag) doc->cur_pag = doc->tot_pag;
    doc->flag_maj |= 0x37;
    if (extract().chprog) extract().chprog->update();
    maj_param_measures();
    maj_duree_mesures();
    for (short j = 1; j <= master()->tot_por && j <= doc->tot_piste; j++) maj_rel_piste_mesures(j);
}
