#include "layout/UtilitairesGroupesAccords.h"

#include <initializer_list>

#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"

namespace {

// The index of `obj` in the document's measure array, 0 when it is not there.
short measure_index(CMeasure* obj) {
    if (!doc || !doc->mes || !obj) return 0;
    for (int m = 1; m <= doc->max_mes; m++)
        if (doc->mes[m] == obj) return (short)m;
    return 0;
}

// Appends the notes of measure index m whose chord id is `acid`; false once the lists are full.
bool append_notes(short m, short acid, short* tabi, short* tabm, short* tabx, short* taby,
                  short* tot) {
    CMeasure* mes = doc->mes[m];
    for (int i = 1; mes && i <= mes->total(); i++) {
        CNote* n = mes->get_note_item((short)i);
        if (!n || n->cid != acid) continue;
        if (*tot >= ACCORD_MAX) return false;
        short k = ++*tot;
        tabi[k] = (short)i;
        tabm[k] = m;
        tabx[k] = (short)(mes->x + n->x);
        taby[k] = (short)(mes->y + n->y);
    }
    return true;
}

// The record at index i of an array of records, or null.
template <class T>
T* record(T** array, short max, short i) {
    return array && i >= 1 && i <= max ? array[i] : nullptr;
}

CNote* note_of(const InfoAccord& c, short k) {
    return doc->mes[c.tabm[k]]->get_note_item(c.tabi[k]);
}

// Orders the lists by absolute y, top first; equal heights keep their order.
void sort_by_height(InfoAccord& c) {
    for (short pass = 1; pass < c.tot; pass++)
        for (short k = 1; k < c.tot; k++) {
            if (c.taby[k] <= c.taby[k + 1]) continue;
            for (short* list : {c.tabi, c.tabm, c.tabx, c.taby}) {
                short t = list[k];
                list[k] = list[k + 1];
                list[k + 1] = t;
            }
        }
}

}  // namespace

short get_info_accord(CMeasure* obj, short acid, short* tabi, short* tabm, short* tabx, short* taby,
                      short* tot) {
    *tot = 0;
    short m = measure_index(obj);
    if (!m) return 0;
    if (!append_notes(m, acid, tabi, tabm, tabx, taby, tot) || acid > 0) return 1;
    Page* page = doc->pag && doc->cur_pag >= 0 && doc->cur_pag <= doc->max_pag ? doc->pag[doc->cur_pag]
                                                                                : nullptr;
    for (int s = 1; page && s <= page->tot_sys; s++) {
        Systeme* system = record(doc->sys, doc->max_sys, page->sys[s]);
        for (int k = 1; system && k <= system->tot_por; k++) {
            Portee* staff = record(doc->por, doc->max_por, system->por[k]);
            for (int j = 1; staff && j <= staff->tot_mes; j++) {
                if (staff->mes[j] != m) continue;
                // Found at column j of staff k: the other staves of this system, in order.
                for (int o = 1; o <= system->tot_por; o++) {
                    Portee* other = record(doc->por, doc->max_por, system->por[o]);
                    if (o == k || !other || j > other->tot_mes) continue;
                    short id = other->mes[j];
                    if (!record(doc->mes, doc->max_mes, id)) continue;
                    if (!append_notes(id, acid, tabi, tabm, tabx, taby, tot)) return 1;
                }
                return 1;
            }
        }
    }
    return 0;
}

short get_info_accord(CMeasure* obj, short acid, InfoAccord* c) {
    return get_info_accord(obj, acid, c->tabi, c->tabm, c->tabx, c->taby, &c->tot);
}

void calcul_accord(CMeasure* obj, short* acid, float staff_scale) {
    InfoAccord c;
    const short old_id = *acid;
    get_info_accord(obj, old_id, &c);
    if (c.tot == 0) return;
    if (c.tot == 1) {
        CNote* n = note_of(c, 1);
        n->cid = 0;
        n->height = 20;
        return;
    }
    sort_by_height(c);
    const short n_notes = c.tot;

    bool one_measure = true;
    for (short k = 2; k <= n_notes; k++) one_measure = one_measure && c.tabm[k] == c.tabm[1];
    if (one_measure && old_id < 0) {
        short id = doc->next_pos_acid++;
        CMeasure* mes = doc->mes[c.tabm[1]];
        for (int i = 1; i <= mes->total(); i++)
            if (CNote* n = mes->get_note_item((short)i))
                if (n->cid == old_id) n->cid = id;
        *acid = id;
    }

    const short top_y = c.taby[1], low_y = c.taby[n_notes];
    const short dir = note_of(c, 1)->dir ? 1 : 0;
    int length;
    if (dir == 0) {
        int end = top_y - 10;
        for (short k = 1; k <= n_notes; k++) {
            int e = c.taby[k] - note_of(c, k)->height;
            if (e < end) end = e;
        }
        length = low_y - end;
    } else {
        int end = low_y + 10;
        for (short k = 1; k <= n_notes; k++) {
            int e = c.taby[k] + note_of(c, k)->height;
            if (e > end) end = e;
        }
        length = end - top_y;
    }

    short min_x = note_of(c, 1)->x, max_x = min_x;
    for (short k = 2; k <= n_notes; k++) {
        short x = note_of(c, k)->x;
        if (x < min_x) min_x = x;
        if (x > max_x) max_x = x;
    }
    const bool one_x = min_x == max_x;
    const short column = dir == 0 ? min_x : max_x;
    const float side = dir == 0 ? 6.0f * staff_scale : -6.0f * staff_scale;

    // Heads from the stem end: every other head of a run of seconds goes across the stem.
    bool displaced = false;
    for (short s = 1; s <= n_notes; s++) {
        short k = dir == 0 ? (short)(n_notes - s + 1) : s;
        CNote* n = note_of(c, k);
        n->dir = dir;
        if (s == 1) {
            n->height = (short)length;
            if (!one_x) n->x = column;
            continue;
        }
        n->height = 0;
        short prev = dir == 0 ? c.taby[k + 1] : c.taby[k - 1];
        bool second = dir == 0 ? prev - c.taby[k] == 3 : c.taby[k] - prev == 3;
        if (second && !displaced) {
            n->x = (short)(column + side);
            displaced = true;
        } else {
            n->x = column;
            displaced = false;
        }
    }

    // Dots right of the displaced heads; a raised dot under a second goes down instead.
    short lo_x = note_of(c, 1)->x, hi_x = lo_x;
    for (short k = 2; k <= n_notes; k++) {
        short x = note_of(c, k)->x;
        if (x < lo_x) lo_x = x;
        if (x > hi_x) hi_x = x;
    }
    if (note_of(c, 1)->point) {
        for (short k = 1; k <= n_notes; k++) {
            CNote* n = note_of(c, k);
            n->dpx = n->x == lo_x ? (short)(hi_x - lo_x) : 0;
            if (k > 1 && n->dpy == -3 && c.taby[k] - c.taby[k - 1] == 3) n->dpy = 3;
        }
    }

    // Accidentals from the top down, stepping left while they follow each other closely.
    if (!doc->auto_pos_alterations) return;
    short prev_code = 0, prev_y = -10000, prev_x = -10000, shift = 0;
    for (short k = 1; k <= n_notes; k++) {
        CNote* n = note_of(c, k);
        if (!n->alt) continue;
        short w = 6, h = 12;
        if (n->alt == prev_code) {
            if (n->alt == 2) w = 4;
            if (n->alt == 3) h = 15, w = 4;
            if (n->alt == 1) w = 9;
            if (n->alt == 5) h = 9;
        }
        short dax = n->x > lo_x ? -6 : 0;
        if (c.taby[k] < prev_y + h && prev_x > lo_x - w) {
            dax = (short)(dax + shift - w);
            shift = (short)(shift - w);
        } else {
            shift = 0;
        }
        n->dax = dax;
        prev_code = n->alt;
        prev_y = c.taby[k];
        prev_x = (short)(n->x + dax);
    }
}

void egaliser_direction_accord(CMeasure* mes, short acid, short dir, short perm) {
    InfoAccord c;
    get_info_accord(mes, acid, &c);
    if (c.tot == 0) return;
    sort_by_height(c);
    CNote* top = note_of(c, 1);
    CNote* low = note_of(c, c.tot);
    if (perm) {
        short mid = (short)((low->y + top->y) / 2);
        if ((mid > 12 && dir == 1) || (mid <= 12 && dir == 0)) return;
    }
    if (top->dir != dir) {
        short h = top->height;
        top->height = low->height;
        low->height = h;
    }
    for (short k = 1; k <= c.tot; k++) note_of(c, k)->dir = dir;
}
