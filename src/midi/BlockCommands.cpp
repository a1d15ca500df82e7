#include "midi/BlockCommands.h"

#include <cstdio>

#include "editor/View.h"
#include "framework/CApplication.h"
#include "framework/CResFile.h"
#include "framework/CUndoManager.h"
#include "framework/CUserPanel.h"
#include "framework/Dial_res.h"
#include "layout/Justification.h"
#include "layout/UtilitairesPartition.h"
#include "midi/Progression.h"
#include "midi/ScoreRender.h"
#include "midi/TrackTransfer.h"
#include "midi/Transcription.h"
#include "midi/Transposition.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/MusicGlobals.h"
#include "score/Piste.h"

short (*dialogue_transposition)(Document* d) = dialogue_transposition_105;
void (*arret_lecture_bloc)() = nullptr;

namespace {

constexpr short UNDO_MEASURE = 2;
constexpr short UNDO_TRACK = 6;

void record_measure(CUndoManager* undo, short column, short staff) {
    if (!undo || staff < 1 || staff > doc->sys[1]->tot_por) return;
    Portee* p = doc->por[doc->sys[1]->por[staff]];
    if (column < 1 || column > p->tot_mes) return;
    undo->add_obj((void**)&doc->mes[p->mes[column]], UNDO_MEASURE, 0, 0);
}

void record_track(CUndoManager* undo, short staff) {
    if (undo && staff >= 1 && staff <= doc->tot_piste) undo->add_obj((void**)&doc->piste[staff], UNDO_TRACK, 0, 0);
}

void finir(View* v) {
    doc->flag_maj = (short)(doc->flag_maj | 0x17);
    doc->modif = 1;
    (void)v;
}

void justifier_triolets(short m, short p, short all, short wid, CUserPanel* up, CUndoManager* undo) {
    short saved = doc->ajuster_nolet_vertical;
    doc->ajuster_nolet_vertical = 1;
    justifier_mesure(m, p, all, wid, 1.0f, 1.0f, up, undo);
    doc->ajuster_nolet_vertical = saved;
}

// Cleans the note events of columns a..last from track p and relates it to its measures again.
void nettoyer(short p, short a, short last) {
    if (p < 1 || p > doc->tot_piste) return;
    nettoyer_piste_notes(p, a, last);
    maj_rel_piste_mesures(p);
}

bool prendre(View* v) {
    if (!v || !doc) return false;
    set_cur_doc(v->id, v->sub_id);
    return !v->selection_vide();
}

}  // namespace

void transcrire_proc(View* v, CUndoManager* undo) {
    if (!prendre(v)) return;
    Document* d = doc;
    const short a = v->sel_first_m, b = v->sel_last_m, p1 = v->sel_first_p, p2 = v->sel_last_p;
    const short count = (short)((p2 - p1 + 1) * (b - a + 1));
    Progression progress(count, 1, 66, 17);
    if (undo)
        for (short s = 1; s <= d->tot_ins; s++)
            for (short m = a; m <= b; m++) {
                record_measure(undo, m, s);
                if (d->split_inf && s + 1 <= d->tot_piste) record_measure(undo, m, (short)(s + 1));
                if (d->split_sup && s > 1) record_measure(undo, m, (short)(s - 1));
            }
    const bool whole = p1 == 1 && p2 == d->tot_piste;
    short done = 0;
    for (short p = p1; p <= p2; p++) {
        progress.ligne(1, 66, 18, p, p2);
        record_track(undo, p);
        for (short m = a; m <= b; m++) transfert_mesure_piste(m, p);
        maj_rel_piste_mesures(p);
        for (short m = a; m <= b; m++) {
            progress.ligne(2, 65, 24, m, b);
            transcrire_une_mesure(m, p, 1.0f, 1.0f, v->up);
            if (d->auto_justi) {
                justifier_triolets(m, p, 1, 0, v->up, undo);
                if (CMeasure* measure = mesure_maitre(d, m, p)) {
                    for (short i = 1; i <= measure->total(); i++)
                        if (CNote* n = measure->get_note_item(i)) n->ajuster_hampe();
                    measure->change_mes_flags(0, 0x20);
                }
            }
            done++;
            if (progress.avance((short)(done * 100 / count))) {
                nettoyer(p, a, m);
                progress.fin();
                finir(v);
                return;
            }
        }
        nettoyer(p, a, b);
        if (d->split_inf && p + 1 <= d->tot_piste) nettoyer((short)(p + 1), a, b);
        if (d->split_sup && p > 1) nettoyer((short)(p - 1), a, b);
    }
    if (whole && d->auto_justi)
        for (short m = a; m <= b; m++) justifier_triolets(m, 1, 1, 1, v->up, undo);
    progress.fin();
    finir(v);
}

void transcrire_proc(Document* d, short first, short last, short staff) {
    if (!d) return;
    doc = d;
    View view;
    view.init_vue();
    view.sub_id = d->cur_sub_doc;
    view.selectionner(first, last, staff, staff);
    transcrire_proc(&view, nullptr);
}

void transcrire_enregistrement(short p, short first, short last, CUndoManager* undo) {
    Document* d = doc;
    if (!d || !d->sys || !d->sys[1] || p < 1 || p > d->tot_piste) return;
    const short columns = nombre_colonnes();
    if (first < 1) first = 1;
    if (last > columns) last = columns;
    for (short m = first; m <= last; m++) {
        CUserPanel surface(nullptr);
        record_measure(undo, m, p);
        if (d->split_inf && p + 1 <= d->tot_piste) record_measure(undo, m, (short)(p + 1));
        if (d->split_sup && p > 1) record_measure(undo, m, (short)(p - 1));
        transcrire_une_mesure(m, p, 1.0f, 1.0f, &surface);
        if (d->auto_justi) justifier_mesure(m, p, d->local_just ? 0 : 1, 0, 1.0f, 1.0f, &surface, undo);
    }
    if (first <= last) nettoyer(p, first, last);
    d->flag_maj = (short)(d->flag_maj | 0x11);
    d->modif = 1;
}

void detranscrire_proc(View* v, CUndoManager* undo, short del) {
    if (!prendre(v)) return;
    Document* d = doc;
    if (arret_lecture_bloc) arret_lecture_bloc();
    const short a = v->sel_first_m, b = v->sel_last_m, p1 = v->sel_first_p, p2 = v->sel_last_p;
    Progression progress((short)((p2 - p1 + 1) * (b - a + 1)), 0, 66, 16);
    if (undo)
        for (short s = 1; s <= d->tot_ins; s++)
            for (short m = a; m <= b; m++) record_measure(undo, m, s);
    int32_t t0 = 0;
    for (short m = 1; m < a; m++)
        if (CMeasure* measure = mesure_maitre(d, m, 1)) t0 += measure->length;
    midi_auto_config();
    for (short p = p1; p <= p2; p++) {
        progress.ligne(1, 66, 18, p, p2);
        record_track(undo, p);
        if (p > d->tot_piste) continue;
        // A render of its own: what plays meanwhile keeps its clock, tempo and effects.
        CScoreRender render;
        render.reset_effets();
        d->piste[p] = render.jouer_mesures(a, b, t0, 0, p, d->piste[p], 1);
        maj_rel_piste_mesures(p);
        if (!del) continue;
        for (short m = a; m <= b; m++) {
            CMeasure* measure = mesure_maitre(d, m, p);
            for (short i = measure ? measure->total() : 0; i >= 1; i--) {
                CDataObject* o = measure->get_item(i);
                if (measure->get_note_item(i) || measure->get_rest_item(i) || measure->get_chorduse_item(i) ||
                    measure->get_textbloc_item(i) || measure->get_beams_item(i) || measure->get_lyrics_item(i) ||
                    measure->get_symbol_item(i) || measure->get_nolet_item(i)) {
                    measure->remove(i);
                    delete o;
                }
            }
            measure->change_mes_flags(0, 0x73);
        }
    }
    progress.fin();
    finir(v);
}

short dialogue_transposition_105(Document* d) {
    Dial_res dialogs;
    short ok = 0, cancel = 0;
    void* table[7] = {&ok, &cancel, &d->valeur_intervalle, &d->type_intervalle, &d->sens_intervalle,
                      &d->octave_intervalle, nullptr};
    if (!dialogs.ouvrir("MISC", "MUSIC.RES", 105, table, 0)) return 0;
    while (!ok && !cancel && dialogs.tot > 0) dialogs.work(105);
    dialogs.update_var();
    dialogs.fermer(105);
    return ok ? 1 : 0;
}

void transposer_proc(View* v, CUndoManager* undo) {
    if (!prendre(v)) return;
    Document* d = doc;
    // The dialog edits the four fields in place; cancel gives them back as they were.
    const short saved[4] = {d->valeur_intervalle, d->type_intervalle, d->sens_intervalle, d->octave_intervalle};
    d->octave_intervalle = (short)(d->octave_intervalle + 6);
    short ok = dialogue_transposition(d);
    set_cur_doc(v->id, v->sub_id);
    d->octave_intervalle = (short)(d->octave_intervalle - 6);
    if (!ok) {
        d->valeur_intervalle = saved[0];
        d->type_intervalle = saved[1];
        d->sens_intervalle = saved[2];
        d->octave_intervalle = saved[3];
        return;
    }
    const short a = v->sel_first_m, b = v->sel_last_m, p1 = v->sel_first_p, p2 = v->sel_last_p;
    const short count = (short)((p2 - p1 + 1) * (b - a + 1));
    Progression progress(count, 0, 66, 19);
    short done = 0;
    for (short p = p1; p <= p2; p++) {
        progress.ligne(1, 65, 23, p, p2);
        record_track(undo, p);
        for (short m = a; m <= b; m++) {
            progress.ligne(2, 65, 24, m, b);
            record_measure(undo, m, p);
            transposer_une_mesure(m, p, p == p1 ? 1 : 0);
            if (d->auto_justi) justifier_mesure(m, p, 0, 0, 1.0f, 1.0f, v->up, nullptr);
            done++;
            progress.avance((short)(done * 100 / count));
            set_cur_doc(v->id, v->sub_id);
        }
    }
    if (v->up) v->up->dirty(1);
    progress.fin();
    finir(v);
}

void justifier_proc(View* v, CUndoManager* undo) {
    if (!prendre(v)) return;
    Document* d = doc;
    const short a = v->sel_first_m, b = v->sel_last_m, p1 = v->sel_first_p, p2 = v->sel_last_p;
    const short columns = (short)(b - a + 1);
    const short all = p1 != p2 ? 1 : 0;
    Progression progress(columns, 1, 65, 29);
    progress.ligne_seule(65, 30);
    for (short m = a; m <= b; m++) {
        progress.ligne(2, 65, 24, (short)(m - a + 1), columns);
        if (progress.avance((short)((m - a) * 100 / columns))) break;
        justifier_mesure(m, p1, all, d->larg_just_fct, 1.0f, 1.0f, v->up, undo);
    }
    progress.fin();
    finir(v);
}
