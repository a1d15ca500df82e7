#include "layout/UtilitairesPartition.h"

#include "layout/UtilitairesGroupesAccords.h"
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

// The rightmost item of class T that `counts` lets through in measure m; an item must stand
// right of -10, and the first of equal positions wins.
template <class T, class Counts, class Position>
T* rightmost_in(CMeasure* m, Counts counts, Position position) {
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
    return best;
}

// The rightmost such item in the nearest column before ma on staff pa that holds one.
template <class T, class Counts, class Position>
T* in_force_at(short ma, short pa, Counts counts, Position position) {
    for (int c = ma - 1; c >= 1; c--)
        if (T* best = rightmost_in<T>(mesure_maitre(doc, c, pa), counts, position)) return best;
    return nullptr;
}

// What counts for each kind, and where it stands.
bool time_counts(CTimeSig* t) { return !(t->flags & 0x0002); }
short time_position(CTimeSig* t) { return t->x; }
bool key_counts(CKeySig* k) { return !(k->flags & 0x0001); }
short key_position(CKeySig* k) { return k->x.total() >= 1 ? (short)k->x.get(1) : (short)-10; }
bool clef_counts(CClef*) { return true; }
short clef_position(CClef* c) { return c->x; }

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
    return in_force_at<CTimeSig>(ma, pa, time_counts, time_position);
}

CKeySig* get_armure_start(short ma, short pa) {
    if (!doc) return nullptr;
    return in_force_at<CKeySig>(ma, pa, key_counts, key_position);
}

short get_clef_start(short ma, short pa) {
    if (!doc) return 1;
    CClef* c = in_force_at<CClef>(ma, pa, clef_counts, clef_position);
    return c ? c->id : 1;
}

void en_vigueur_suivante(short ma, short pa, short* clef, CKeySig** key, CTimeSig** time) {
    CMeasure* m = doc && ma >= 1 ? mesure_maitre(doc, ma, pa) : nullptr;
    if (!m) return;
    if (CClef* c = rightmost_in<CClef>(m, clef_counts, clef_position)) *clef = c->id;
    if (CKeySig* k = rightmost_in<CKeySig>(m, key_counts, key_position)) *key = k;
    if (CTimeSig* t = rightmost_in<CTimeSig>(m, time_counts, time_position)) *time = t;
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

// ---- Ties and lyrics -------------------------------------------------------------------------

namespace {

constexpr short TIE_ASKED = 0x0001, TIE_FOUND = 0x0004;

// The note of `m` at staff place y whose x is the greatest below `below` (or the smallest
// above `above`), among those `fits` lets through; the first of equal positions wins.
template <class Fits>
CNote* left_neighbour(CMeasure* m, short below, Fits fits) {
    CNote* best = nullptr;
    short best_x = -32000;
    for (int i = 1; m && i <= m->total(); i++) {
        CNote* n = m->get_note_item((short)i);
        if (n && n->x < below && fits(n) && n->x > best_x) {
            best_x = n->x;
            best = n;
        }
    }
    return best;
}

template <class Fits>
CNote* right_neighbour(CMeasure* m, short above, Fits fits) {
    CNote* best = nullptr;
    short best_x = 32000;
    for (int i = 1; m && i <= m->total(); i++) {
        CNote* n = m->get_note_item((short)i);
        if (n && n->x > above && fits(n) && n->x < best_x) {
            best_x = n->x;
            best = n;
        }
    }
    return best;
}

// Ties `from` to `to` when `from` asks for it, else clears both ends; `gap` is the width of
// the measure between them (0 in one measure).
void join(CNote* from, CNote* to, short gap) {
    if (!(from->flags & TIE_ASKED)) {
        from->flags &= (short)~(TIE_ASKED | TIE_FOUND);
        to->flags &= (short)~TIED_FROM;
        return;
    }
    from->flags |= TIE_ASKED | TIE_FOUND;
    to->flags |= TIED_FROM;
    int w = to->x - from->x - 6 + gap;
    if (from->dir == 0 && from->tdh < 0) w -= 2;
    if (to->dir == 1 && to->tdh > 0) w -= 2;
    from->tdw = (short)w;
    from->tdh = from->tdh < 0 ? -4 : 4;
}

// Creates or finds the syllable of note n in measure m and returns its id.
short syllable_of(CMeasure* m, CNote* n) {
    short id = n->lid;
    if (id == 0 && n->cid != 0) {
        InfoAccord chord;
        get_info_accord(m, n->cid, &chord);
        for (short k = 1; k <= chord.tot && id == 0; k++)
            if (CNote* other = doc->mes[chord.tabm[k]]->get_note_item(chord.tabi[k])) id = other->lid;
    }
    bool present = false;
    for (int i = 1; id && i <= m->total(); i++)
        if (CLyrics* l = m->get_lyrics_item((short)i)) present = present || l->lid == id;
    if (id == 0 || !present) {
        CLyrics* l = new CLyrics;
        if (id == 0) {
            id = m->nouvel_id_paroles();
            n->lid = id;
        }
        l->lid = id;
        l->x = (short)(n->x + 3);
        m->add(l);
        doc->modif = 1;
    }
    return id;
}

// The x of the first syllable of `m` with that id, or `none`.
short syllable_x(CMeasure* m, short lid, short none) {
    for (int i = 1; m && i <= m->total(); i++)
        if (CLyrics* l = m->get_lyrics_item((short)i))
            if (l->lid == lid) return l->x;
    return none;
}

}  // namespace

void verifier_tenues_notes(short ma, short pa) {
    CMeasure* m = mesure_maitre(doc, ma, pa);
    if (!m || (m->flags & 0x0040)) return;
    m->flags |= 0x0040;
    CMeasure* before = ma > 1 ? mesure_maitre(doc, (short)(ma - 1), pa) : nullptr;
    CMeasure* after = ma < nombre_colonnes() ? mesure_maitre(doc, (short)(ma + 1), pa) : nullptr;
    for (int i = 1; i <= m->total(); i++) {
        CNote* n = m->get_note_item((short)i);
        if (!n) continue;
        auto same = [n](CNote* o) { return o->y == n->y && o->voice == n->voice && o->pitch == n->pitch; };
        auto place = [n](CNote* o) { return o->y == n->y; };

        // From the left. Over the bar line only the first note at its place in the measure
        // can end a tie: a later one (another pitch after a tied note) is struck anew.
        short gap = 0;
        CNote* left = left_neighbour(m, n->x, same);
        if (!left && before && !left_neighbour(m, n->x, place)) {
            left = left_neighbour(before, 32767, place);
            gap = before->width;
        }
        if (left)
            join(left, n, gap);
        else
            n->flags &= (short)~TIED_FROM;

        // To the right.
        n->flags &= (short)~TIE_FOUND;
        gap = 0;
        CNote* right = right_neighbour(m, n->x, same);
        if (!right && after && !right_neighbour(m, n->x, place)) {
            right = right_neighbour(after, -32767, place);
            gap = m->width;
        }
        if (right) join(n, right, gap);
    }
}

short trouver_paroles_a_gauche(short* ma, short* pa, short* lid) {
    if (!*ma || !*pa || !*lid) return 0;
    CMeasure* m = mesure_maitre(doc, *ma, *pa);
    if (!m) return 0;
    short reference = syllable_x(m, *lid, 0);
    short column = *ma;
    CNote* found = left_neighbour(m, (short)(reference - 6), [](CNote* n) { return n->x > 0; });
    while (!found && --column >= 1) {
        m = mesure_maitre(doc, column, *pa);
        found = left_neighbour(m, 32767, [](CNote* n) { return n->x > -10000; });
    }
    if (!found) return 0;
    *ma = column;
    *lid = syllable_of(m, found);
    return 0;
}

short trouver_paroles_a_droite(short* ma, short* pa, short* lid) {
    if (!*ma || !*pa || !*lid) return 0;
    CMeasure* m = mesure_maitre(doc, *ma, *pa);
    if (!m) return 0;
    const short given = *lid;
    short reference = syllable_x(m, given, 32000);
    short column = *ma;
    CNote* found = right_neighbour(m, (short)(reference + 6),
                                   [given](CNote* n) { return n->x < 10000 && n->lid != given; });
    const short columns = nombre_colonnes();
    while (!found && ++column <= columns) {
        m = mesure_maitre(doc, column, *pa);
        found = right_neighbour(m, -32767, [](CNote* n) { return n->x < 10000; });
    }
    if (!found) return 0;
    *ma = column;
    *lid = syllable_of(m, found);
    return 0;
}
