#include "layout/UtilitairesPartition.h"

#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"

namespace {

Systeme* master_system() { return doc && doc->sys && doc->tot_sys >= 1 ? doc->sys[1] : nullptr; }

// The staff record at entry pa of the master system, or null.
Portee* master_staff(short pa) {
    Systeme* master = master_system();
    if (!master || pa < 1 || pa > master->tot_por) return nullptr;
    short s = master->por[pa];
    return doc->por && s >= 1 && s <= doc->max_por ? doc->por[s] : nullptr;
}

// The rightmost item of class T that `counts` lets through, in the nearest column before ma on
// staff pa; an item must stand right of -10, and the first of equal positions wins.
template <class T, class Counts, class Position>
T* in_force_at(short ma, short pa, Counts counts, Position position) {
    for (int c = ma - 1; c >= 1; c--) {
        CMeasure* m = mesure_maitre(doc, c, pa);
        T* best = nullptr;
        short best_x = -10;
        for (int i = 1; m && i <= m->total(); i++) {
            T* item = object_as<T>(m->get_item(i));
            if (!item || !counts(item)) continue;
            short x = position(item);
            if (x > best_x) {
                best_x = x;
                best = item;
            }
        }
        if (best) return best;
    }
    return nullptr;
}

constexpr short TIED_FROM = 0x000A;  // both bits set: the note continues a tie

// The beat length of a denominator.
short beat_length(short lower) {
    switch (lower) {
    case 1: return 1920;
    case 2: return 960;
    case 8: return 240;
    case 16: return 120;
    case 32: return 60;
    case 64: return 30;
    default: return 480;
    }
}

}  // namespace

short nombre_colonnes() {
    Portee* first = master_staff(1);
    return first ? first->tot_mes : 0;
}

void localiser_mesure(short m, short* ma, short* pa) {
    Systeme* master = master_system();
    short columns = nombre_colonnes();
    for (int c = 1; c <= columns; c++)
        for (int p = 1; p <= master->tot_por; p++) {
            Portee* staff = master_staff(p);
            if (staff && c <= staff->tot_mes && staff->mes[c] == m) {
                *ma = c;
                *pa = p;
                return;
            }
        }
    *ma = 1;
    *pa = 1;
}

short find_abs_staff(short m) {
    short ma, pa;
    localiser_mesure(m, &ma, &pa);
    return pa;
}

CTimeSig* get_mesure_start(short ma, short pa) {
    return in_force_at<CTimeSig>(
        ma, pa, [](CTimeSig* t) { return !(t->flags & 0x0002); }, [](CTimeSig* t) { return t->x; });
}

CKeySig* get_armure_start(short ma, short pa) {
    if (!doc) return nullptr;
    return in_force_at<CKeySig>(
        ma, pa, [](CKeySig* k) { return !(k->flags & 0x0001); },
        [](CKeySig* k) { return k->x.total() >= 1 ? (short)k->x.get(1) : (short)-10; });
}

short get_clef_start(short ma, short pa) {
    if (!doc) return 1;
    CClef* c = in_force_at<CClef>(ma, pa, [](CClef*) { return true; }, [](CClef* k) { return k->x; });
    return c ? c->id : 1;
}

short find_first_pitch(short ma, short pa, short i) {
    // Each step goes to a note further left (a smaller x, or an earlier column), so the walk ends.
    for (;;) {
        CMeasure* m = mesure_maitre(doc, ma, pa);
        CNote* note = m ? m->get_note_item(i) : nullptr;
        if (!note) return -1;
        short best = 0, best_x = -32000;
        for (int k = 1; k <= m->total(); k++) {
            CNote* n = m->get_note_item(k);
            if (n && n->x < note->x && n->y == note->y && n->voice == note->voice && n->x > best_x) {
                best_x = n->x;
                best = k;
            }
        }
        if (!best) {
            if (ma == 1) return -1;
            ma--;
            m = mesure_maitre(doc, ma, pa);
            best_x = -32000;
            for (int k = 1; m && k <= m->total(); k++) {
                CNote* n = m->get_note_item(k);
                if (n && n->y == note->y && n->x > best_x) {
                    best_x = n->x;
                    best = k;
                }
            }
            if (!best) return -1;
        }
        CNote* before = m->get_note_item(best);
        if ((before->flags & TIED_FROM) != TIED_FROM) return before->pitch;
        i = best;
    }
}

void maj_duree_mesures() {
    Systeme* master = master_system();
    if (!master) return;
    for (int p = 1; p <= master->tot_por; p++) {
        Portee* staff = master_staff(p);
        int32_t beats = 4, beat = 480;
        for (int c = 1; staff && c <= staff->tot_mes; c++) {
            CMeasure* m = mesure_maitre(doc, c, p);
            if (!m) continue;
            for (int i = 1; i <= m->total(); i++) {
                CTimeSig* t = m->get_timesig_item(i);
                if (!t || (t->flags & 0x0002)) continue;
                beats = 0;
                for (int k = 1; k <= 5; k++) beats += t->upper[k];
                beat = beat_length(t->lower[1]);
                break;
            }
            if (m->meas & 0x1800) continue;
            m->length = beats * beat;
            m->tot_beat = (short)(beats > 32767 ? 32767 : beats < -32768 ? -32768 : beats);
            m->length_beat = (short)beat;
        }
    }
    if (doc->sub_doc && doc->cur_sub_doc >= 1 && doc->cur_sub_doc <= doc->tot_sub_doc)
        if (CChordProgression* chords = doc->sub_doc[doc->cur_sub_doc].chprog) chords->update();
}

short mesure_in_page(short ma, short pa, short p) {
    Portee* master = master_staff(pa);
    if (!master || ma < 1 || ma > master->tot_mes || !doc->pag || p < 0 || p > doc->max_pag)
        return 0;
    short id = master->mes[ma];
    Page* page = doc->pag[p];
    for (int s = 1; page && s <= page->tot_sys; s++) {
        short sys = page->sys[s];
        Systeme* system = sys >= 1 && sys <= doc->max_sys ? doc->sys[sys] : nullptr;
        for (int k = 1; system && k <= system->tot_por; k++) {
            short st = system->por[k];
            Portee* staff = st >= 1 && st <= doc->max_por ? doc->por[st] : nullptr;
            for (int j = 1; staff && j <= staff->tot_mes; j++)
                if (staff->mes[j] == id) return 1;
        }
    }
    return 0;
}
