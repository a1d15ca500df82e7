#include "layout/Justification.h"
#include "score/MusicClasses.h"

#include <new>

#include "layout/ColumnJustifier.h"
#include "layout/MidiConversion.h"
#include "layout/SystemHeaders.h"
#include "layout/UtilitairesGroupesAccords.h"
#include "layout/VoiceAssignment.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"

void justifier_mesure(short m, short p, short all, short wid, float scalex, float scaley,
                      CUserPanel* up, CUndoManager* undo) {
    if (!doc || !doc->sys || !doc->sys[1] || !mesure_maitre(doc, m, p)) return;
    ColumnJustifier(doc, m, p, all, wid, scalex, scaley, up, undo).run();
}

ColumnJustifier::ColumnJustifier(Document* d_, short m_, short p_, short all_, short wid_,
                                 float scalex_, float scaley_, CUserPanel* up_,
                                 CUndoManager* undo_)
    : d(d_), m(m_), p(p_), all(all_), wid(wid_), scalex(scalex_), scaley(scaley_), up(up_),
      undo(undo_) {
    staves = d->sys[1]->tot_por;
}

CMeasure* ColumnJustifier::measure(short staff) { return mesure_maitre(d, m, staff); }

void ColumnJustifier::pump() {
    if (d->joue) jouer_temps_reel();
}

void ColumnJustifier::run() {
    cursor_here = d->curseur_ma == m && d->curseur_pa == p;
    // The voice tables are made room for before anything changes: without the memory the
    // column is left as it was.
    size_t tables = (size_t)(all ? staves : 1) * MAX_VOICES;
    try {
        after.reserve(tables);
        before.reserve(tables);
    } catch (const std::bad_alloc&) {
        return;
    }
    for (short i = 1; i <= staves; i++)
        if (treated(i)) prepare(i);
    ajuster_mesure_libre(m);
    read_reference();
    make_grid();
    room_by_value();
    for (short i = 1; i <= staves; i++) {
        CMeasure* mes = measure(i);
        if (!treated(i) || !mes || mes->one_pause_measure()) continue;
        pump();
        std::vector<ClefChange> clefs = clef_changes(mes);
        set_stems(mes);
        margins(mes, clefs);
    }
    merge();
    scale();
    for (short i = 1; i <= staves; i++) {
        CMeasure* mes = measure(i);
        if (!mes) continue;
        mes->width = (short)(ml + entete);
        mes->pw = (short)(mes->width - mes->front);
    }
    for (short i = 1; i <= staves; i++) {
        if (!treated(i) || !measure(i)) continue;
        pump();
        place_staff(i);
    }
}

void ColumnJustifier::prepare(short staff) {
    CMeasure* mes = measure(staff);
    if (!mes) return;
    if (undo) {
        short slot = d->por[d->sys[1]->por[staff]]->mes[m];
        undo->add_obj((void**)&d->mes[slot], 2, 0, 0);
    }
    assigner_voix_mesure(m, staff);
    mes->change_mes_flags(0, 2);
    conversion_graphique_midi(m, staff, 1);
    pump();
    mes->change_mes_flags(0, 0x70);
}

bool ColumnJustifier::manual(CNote* n) const {
    return d->permettre_justi_manuelle && (n->flags & 0x40);
}

void ColumnJustifier::set_up(CMeasure* mes, CNote* n, short check) {
    if (manual(n)) return;
    if (n->cid == 0)
        n->dir = 0;
    else
        egaliser_direction_accord(mes, n->cid, 0, check);
}

void ColumnJustifier::set_down(CMeasure* mes, CNote* n, short check) {
    if (manual(n)) return;
    if (n->cid == 0)
        n->dir = 1;
    else
        egaliser_direction_accord(mes, n->cid, 1, check);
}

void ColumnJustifier::set_stems(CMeasure* mes) {
    short mode = d->justi_hampes;
    if (mode < 2 || mode > 5) return;
    std::vector<CNote*> notes;
    for (short i = 1; i <= mes->total(); i++)
        if (CNote* n = mes->get_note_item(i)) notes.push_back(n);
    if (mode == 5 && voice_count(mes) == 1) mode = 2;
    if (mode == 2) {
        for (CNote* n : notes) n->y < 13 ? set_down(mes, n, 1) : set_up(mes, n, 1);
        return;
    }
    if (mode == 3 || mode == 4) {
        for (CNote* n : notes) mode == 3 ? set_up(mes, n, 0) : set_down(mes, n, 0);
        return;
    }
    // Several voices: voice 1 and voice 2 turn their stems away from each other.
    int32_t sum1 = 0, sum2 = 0, count1 = 0, count2 = 0;
    for (CNote* n : notes) {
        if (n->voice == 1) {
            sum1 += n->y;
            count1++;
        } else {
            sum2 += n->y;
            count2++;
        }
    }
    int32_t h1 = count1 ? sum1 / count1 : 0, h2 = count2 ? sum2 / count2 : 0;
    for (CNote* n : notes) {
        bool down = (n->voice == 1 && h2 < h1) || (n->voice == 2 && h1 < h2);
        down ? set_down(mes, n, 0) : set_up(mes, n, 0);
    }
    // Notes of different chords standing within 7 units of each other: the higher one stems up.
    for (size_t a = 0; a < notes.size(); a++)
        for (size_t b = a + 1; b < notes.size(); b++) {
            CNote* A = notes[a];
            CNote* B = notes[b];
            if (B->x - A->x > 7 || A->x - B->x > 7) continue;
            if (A->cid != 0 && A->cid == B->cid) continue;
            if (B->y < A->y) {
                set_down(mes, A, 0);
                set_up(mes, B, 0);
            } else if (B->y > A->y) {
                set_up(mes, A, 0);
                set_down(mes, B, 0);
            }
        }
}
