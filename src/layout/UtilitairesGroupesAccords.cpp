#include "layout/UtilitairesGroupesAccords.h"

#include <initializer_list>

#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/CMusicalSymbolManager.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"

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

// ---- Beam groups ------------------------------------------------------------------------------

namespace {

constexpr int GROUP_MAX = 201;
constexpr double RESOLUTION = 2.8346;  // device units per millimetre; thicknesses are tenths

// The working lists of one group, 1-based, one entry per note in the order of x.
struct Group {
    CNote* note[GROUP_MAX + 1];
    short x[GROUP_MAX + 1];
    short beams[GROUP_MAX + 1];
    short dir[GROUP_MAX + 1];
    short length[GROUP_MAX + 1];  // stem length, layout units
    short head[GROUP_MAX + 1];    // head width, device units
    short hooks[GROUP_MAX + 1];
    int n = 0;

    void drop(int k) {
        for (int i = k; i < n; i++) {
            note[i] = note[i + 1];
            x[i] = x[i + 1];
            beams[i] = beams[i + 1];
            dir[i] = dir[i + 1];
            length[i] = length[i + 1];
            head[i] = head[i + 1];
            hooks[i] = hooks[i + 1];
        }
        n--;
    }
};

short beam_count(short rythm) { return rythm >= 4 && rythm <= 8 ? (short)(rythm - 3) : 0; }

// Takes the beam item out of the measure and deletes it.
void remove_beam(CMeasure* obj, CBeams* beam) {
    for (int i = 1; i <= obj->total(); i++)
        if (obj->get_item((short)i) == beam) {
            obj->remove((short)i);
            break;
        }
    delete beam;
}

// One beam segment to add: ends, and the note it belongs to (a hook's note, a run's last).
struct Segment {
    short x1, x2;
    int note;
    bool hook;
};

// The secondary beams and hooks of level v, left to right.
template <class Add>
void scan_level(const Group& g, short v, short s, float scalex, Add add) {
    const int n = g.n;
    auto stem_x = [&](int i) { return (short)(g.dir[i] == 0 ? g.x[i] + g.head[i] - s : g.x[i]); };
    auto start_x = [&](int i) { return (short)(g.dir[i] == 0 ? g.x[i] + g.head[i] : g.x[i] + s); };
    const short hook = (short)(6.0 * scalex);
    auto left_hook = [&](int i) { add(Segment{(short)(stem_x(i) - hook), stem_x(i), i, true}); };
    auto right_hook = [&](int i) {
        add(Segment{start_x(i), (short)(start_x(i) + 6.0 * scalex), i, true});
    };
    const short group_dir = g.dir[0];
    for (int i = 1; i <= n; i++) {
        if (g.beams[i] < v) continue;
        if (i == n) {
            left_hook(i);
        } else if (i == 1 && g.beams[2] < v) {
            right_hook(i);
        } else if (i > 1 && g.beams[i - 1] < v && g.beams[i + 1] < v) {
            if (g.beams[i - 1] < g.beams[i + 1])
                right_hook(i);
            else
                left_hook(i);
        } else {
            int j = i;
            while (j < n && g.beams[j + 1] >= v) j++;
            short left = start_x(i), right = (short)(g.dir[j] == 0 ? g.x[j] + g.head[j] - s : g.x[j]);
            // A stem on the other side of the beam at either end.
            if (g.dir[i] != group_dir) left = (short)(left - s);
            if (g.dir[j] != group_dir && j != n) right = (short)(right + s - 1);
            add(Segment{left, right, j, false});
            i = j;
        }
    }
}

}  // namespace

void calcul_groupe(CMeasure* obj, short* id, float scalex, float scaley, CUserPanel* up) {
    if (!obj) return;
    const short gid = *id;
    Group g;
    CBeams* beam = nullptr;
    short voice = 0;

    // 1. The notes of the group in the order of x, and its beam item.
    for (int i = 1; i <= obj->total(); i++) {
        CDataObject* item = obj->get_item((short)i);
        if (CNote* n = object_as<CNote>(item)) {
            if (n->gid != gid) continue;
            if (g.n >= GROUP_MAX) break;
            int k = ++g.n;
            while (k > 1 && g.x[k - 1] > n->x) {
                g.note[k] = g.note[k - 1];
                g.x[k] = g.x[k - 1];
                k--;
            }
            g.note[k] = n;
            g.x[k] = n->x;
            if (n->voice) voice = n->voice;
        } else if (CBeams* b = object_as<CBeams>(item)) {
            if (b->gid == gid) beam = b;
        }
    }
    if (beam && voice) beam->voice = voice;

    // 2. Dissolving.
    if (g.n < 2) {
        if (!beam) return;
        if (g.n == 1) g.note[1]->gid = 0;
        remove_beam(obj, beam);
        return;
    }
    if (!beam) return;
    bool one_chord = g.note[1]->cid != 0;
    for (int k = 2; k <= g.n && one_chord; k++) one_chord = g.note[k]->cid == g.note[1]->cid;
    if (one_chord) {
        for (int k = 1; k <= g.n; k++) g.note[k]->gid = 0;
        remove_beam(obj, beam);
        return;
    }
    for (int k = 1; k <= g.n; k++) {
        g.length[k] = g.note[k]->height;
        g.hooks[k] = 0;
    }

    // 3. A chord at either end stands by its stem note.
    while (g.n >= 2 && g.note[1]->cid != 0 && g.note[2]->cid == g.note[1]->cid)
        g.drop(g.note[1]->height == 0 ? 1 : 2);
    while (g.n >= 2 && g.note[g.n]->cid != 0 && g.note[g.n - 1]->cid == g.note[g.n]->cid)
        g.drop(g.note[g.n]->height == 0 ? g.n : g.n - 1);

    // 4. A temporary id becomes the next positive one.
    short group = gid;
    if (gid < 0) {
        group = doc->next_pos_gid++;
        for (int i = 1; i <= obj->total(); i++) {
            CDataObject* item = obj->get_item((short)i);
            if (CNote* n = object_as<CNote>(item)) {
                if (n->gid == gid) n->gid = group;
            } else if (CBeams* b = object_as<CBeams>(item)) {
                if (b->gid == gid) b->gid = group;
            }
        }
        *id = group;
    }

    // 5, 6. Directions: stems of negative length turn over; then the majority, a tie going up.
    const bool manual = (last_flags_groupe & 0x30) == 0x30;
    int down = 0;
    for (int k = 1; k <= g.n; k++) {
        CNote* n = g.note[k];
        g.beams[k] = beam_count(n->rythm);
        if (!manual && n->height < 0) {
            n->height = (short)-n->height;
            n->dir = (short)(1 - (n->dir ? 1 : 0));
        }
        down += n->dir != 0;
    }
    const short group_dir = down > g.n / 2 ? 1 : 0;
    if (!manual && down != 0 && down != g.n)
        for (int k = 1; k <= g.n; k++) {
            CNote* n = g.note[k];
            if (n->cid)
                egaliser_direction_accord(obj, n->cid, group_dir, 0);
            else
                n->dir = group_dir;
        }
    for (int k = 1; k <= g.n; k++) {
        g.dir[k] = g.note[k]->dir ? 1 : 0;
        g.length[k] = g.note[k]->height;
    }
    g.dir[0] = group_dir;

    // 7. A chord of short values in the middle: its heads line up on its stem side.
    for (int k = 2; k < g.n; k++) {
        CNote* n = g.note[k];
        if (n->rythm <= 4 || n->cid == 0) continue;
        bool handled = false;
        for (int j = 2; j < k; j++) handled = handled || g.note[j]->cid == n->cid;
        if (handled) continue;
        short lo = g.x[k], hi = g.x[k];
        for (int j = k + 1; j < g.n; j++)
            if (g.note[j]->cid == n->cid) {
                if (g.x[j] < lo) lo = g.x[j];
                if (g.x[j] > hi) hi = g.x[j];
            }
        if (lo == hi) continue;
        for (int j = k; j < g.n; j++)
            if (g.note[j]->cid == n->cid) g.x[j] = g.dir[j] == 0 ? lo : hi;
    }

    // 8. Thicknesses and head widths, in device units.
    auto thickness = [](short tenths, float scale) {
        double v = tenths * RESOLUTION * scale / 10.0;
        return (short)(v < 1.0 ? 1.0 : v);
    };
    const short t = thickness(doc->epaisseur_ligatures, scaley), gap = t;
    const short s = thickness(doc->epaisseur_hampes, scalex);
    const short tg = (short)(t + gap);
    for (int k = 1; k <= g.n; k++) {
        short shape = (short)(g.note[k]->head & 0x7FFF);
        short r = g.note[k]->rythm;
        shape = shape == 0 ? (short)(r == 0 ? 3 : r == 1 ? 2 : r == 2 ? 1 : 0) : (short)(shape - 1);
        g.head[k] = up && msm ? msm->width((short)(11 + 2 * shape), scaley, up) : 0;
        g.x[k] = (short)(g.x[k] * scalex);  // from here on, X in device units
    }

    const int n = g.n;
    short x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    double a = 0.0;
    int b = 0, dd = 0;
    bool clipped = false;
    for (int round = 0; round < 100; round++) {
        // 9. The primary beam from the first stem to the last.
        x1 = (short)(g.dir[1] == 0 ? g.x[1] + g.head[1] : g.x[1] + s);
        x2 = (short)(g.dir[n] == 0 ? g.x[n] + g.head[n] - s : g.x[n]);
        auto stem_end = [&](int k) {
            int e = g.dir[k] == 0 ? g.length[k] : -g.length[k];
            return (int)((g.note[k]->y - 2 - e) * scaley);
        };
        int e1 = stem_end(1), e2 = stem_end(n);
        auto correct = [&](int k, int neighbour, int& end) {
            int l = (g.beams[k] < g.beams[neighbour] ? g.beams[k] : g.beams[neighbour]) - 1;
            if (group_dir == 0 && g.dir[k] == 0 && g.length[k] < 1) end -= t + tg * l;
            if (group_dir == 0 && g.dir[k] != 0 && g.length[k] > 0) end -= t + tg * l + 1;
            if (group_dir != 0 && g.dir[k] == 0 && g.length[k] > 0) end += tg * l + t + 1;
            if (group_dir != 0 && g.dir[k] != 0 && g.length[k] < 1) end += tg * l + t;
        };
        correct(1, 2, e1);
        correct(n, n - 1, e2);
        y1 = (short)e1;
        y2 = (short)e2;
        a = x2 != x1 ? (double)(y2 - y1) / (x2 - x1) : 0.0;
        double limit = doc->angle_ligatures / 45.0;
        clipped = false;
        if (a > limit || a < -limit) {
            a = a > limit ? limit : -limit;
            y2 = (short)(y1 + (x2 - x1) * a);
            clipped = true;
        }
        b = (int)(y1 - x1 * a);
        dd = y1 - (int)(b + x1 * a);

        // 11. The hooks each note will carry.
        for (int k = 1; k <= n; k++) g.hooks[k] = 0;
        for (short v = 2; v <= 5; v++)
            scan_level(g, v, s, scalex, [&](const Segment& seg) {
                if (seg.hook) g.hooks[seg.note]++;
            });

        // 12. The middle stems (and the last one under a clipped slope) reach the beam.
        int shortfall = 0;
        const int last = clipped ? n : n - 1;
        for (int k = 2; k <= last; k++) {
            CNote* note = g.note[k];
            int c = g.dir[k] == 0 ? g.x[k] + g.head[k] - s / 2 : g.x[k] + s / 2;
            int r = (int)((note->y - 2) * scaley - c * a - b + (group_dir == 0 ? -(t / 2) : t / 2));
            int kk = g.beams[k] - g.hooks[k] - 1;
            int length;
            if (group_dir == 0)
                length = g.dir[k] == 0 ? (r < 1 ? r - kk * tg : r) : (r < 1 ? kk * tg - r : -r);
            else
                length = g.dir[k] == 0 ? (r > 0 ? r + kk * tg : r) : (r < 1 ? -r : -kk * tg - r);
            bool stemless = note->height == 0 && note->cid != 0 && [&] {
                InfoAccord chord;
                get_info_accord(obj, note->cid, &chord);
                for (short j = 2; j <= chord.tot; j++)
                    if (chord.tabx[j] != chord.tabx[1]) return true;
                return false;
            }();
            if (stemless) {
                length = 0;
            } else if (!manual) {
                int least = (int)(((note->rythm - 3) * 4 + 8) * scaley);
                if (length - least < shortfall) shortfall = length - least;
            }
            note->height = (short)(length / scaley);
            g.length[k] = note->height;
            g.hooks[k] = 0;
        }
        if (shortfall == 0 || manual) break;
        // The end stems grow by the shortfall (at least one unit, so that the loop ends).
        int grow = (int)(-shortfall / scaley + 0.999);
        if (grow < 1) grow = 1;
        g.length[1] = g.note[1]->height = (short)(g.length[1] + grow);
        g.length[n] = g.note[n]->height = (short)(g.length[n] + grow);
    }

    // 10. The beam item with its primary segment.
    beam->mode = (short)(voice * 256);
    beam->gid = group;
    for (CArrayInt* list : {&beam->x1, &beam->y1, &beam->x2, &beam->y2, &beam->h}) list->clear();
    beam->sx = up ? scalex : 0.0f;
    beam->sy = up ? scaley : 0.0f;
    beam->x1.add(x1);
    beam->y1.add(y1);
    beam->x2.add(x2);
    beam->y2.add(y2);
    beam->h.add(group_dir == 0 ? t : (short)-t);
    beam->voice = g.note[1]->voice;

    // 13. Chords inside the group stand by one note.
    for (int k = 2; k <= g.n;)
        if (g.note[k]->cid != 0 && g.note[k]->cid == g.note[k - 1]->cid)
            g.drop(k);
        else
            k++;

    // 14. Secondary beams and hooks.
    auto line = [&](short x) { return dd + b + x * a; };
    for (int k = 1; k <= g.n; k++) g.hooks[k] = 0;
    for (short v = 2; v <= 5; v++)
        scan_level(g, v, s, scalex, [&](const Segment& seg) {
            int k = seg.note;
            bool heads_side = (g.dir[k] == group_dir && g.length[k] > 0) ||
                              (g.dir[k] != group_dir && g.length[k] < 0);
            double offset = (v - 1) * tg;
            if (seg.hook && !heads_side) offset = -(g.hooks[k] + 1) * tg;
            if (group_dir != 0) offset = -offset;
            short ya = (short)(line(seg.x1) + offset), yb = (short)(line(seg.x2) + offset);
            if (seg.hook && g.length[k] == 0 && beam->y1.total() > 0) {
                ya = (short)beam->y1.get(beam->y1.total());
                yb = (short)beam->y2.get(beam->y2.total());
            }
            beam->x1.add(seg.x1);
            beam->y1.add(ya);
            beam->x2.add(seg.x2);
            beam->y2.add(yb);
            beam->h.add(group_dir == 0 && g.dir[k] == 0 ? t : (short)-t);
            if (seg.hook) g.hooks[k]++;
        });
}
