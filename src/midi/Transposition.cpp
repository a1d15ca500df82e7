#include "midi/Transposition.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "layout/UtilitairesPartition.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/Piste.h"
#include "score/Placeholders.h"
#include "score/Signatures.h"

namespace {

short clef_constant(short id) { return id >= 0 && id <= 9 ? tab_clef_constante[id] : 0; }

int32_t floor_div(int32_t a, int32_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// The step of a head position above the top line.
int32_t step_of(short y) { return floor_div(2 - y, 3); }

// The sounding pitch of staff step s under clef c with alteration a.
int32_t pitch_of(int32_t s, short c, int32_t a) {
    int32_t g = s + clef_constant(c) + 45;
    int32_t octave = floor_div(g, 7);
    return 12 * octave + tab_gamme_midi[g - 7 * octave] + a;
}

// An alteration table of the key, indexed 64 + step + clef offset; steps off the table read as
// unaltered and keep nothing.
struct Table {
    short v[TABA_SIZE];
    short get(int32_t i) const { return i >= 0 && i < TABA_SIZE ? v[i] : 0; }
    void set(int32_t i, int32_t a) {
        if (i >= 0 && i < TABA_SIZE) v[i] = (short)a;
    }
};

}  // namespace

short demi_tons_intervalle(short valeur, short type) {
    static const short base[9] = {0, 0, 2, 4, 5, 7, 9, 11, 12};
    if (valeur < 1 || valeur > 8 || type < 1 || type > 6) return -1000;
    bool imperfect = valeur == 2 || valeur == 3 || valeur == 6 || valeur == 7;
    short s = base[valeur];
    if (type == 2) s = (short)(s - 1 - (imperfect ? 1 : 0));
    if (type == 3 && imperfect) s--;
    if (type == 6) s++;
    return s;
}

short intervalle_document(short* steps, short* semitones) {
    Document* d = doc;
    short table = d ? demi_tons_intervalle(d->valeur_intervalle, d->type_intervalle) : -1000;
    if (table == -1000 || d->octave_intervalle < -5 || d->octave_intervalle > 10) return 0;
    *steps = (short)(7 * d->octave_intervalle + d->valeur_intervalle - 1);
    *semitones = (short)(table + 12 * d->octave_intervalle);
    if (d->sens_intervalle == 2) {
        *steps = (short)-*steps;
        *semitones = (short)-*semitones;
    }
    return 1;
}

void transposer_une_mesure(short m, short p, short transposer_accords) {
    Document* d = doc;
    short steps = 0, semitones = 0;
    CMeasure* measure = d ? mesure_maitre(d, m, p) : nullptr;
    // An interval the table does not know transposes nothing.
    if (!measure || !intervalle_document(&steps, &semitones)) return;
    measure->change_mes_flags(0, 0x72);

    struct ClefEntry {
        short x, id;
    };
    std::vector<ClefEntry> clefs{{0, get_clef_start(m, p)}};
    for (short i = 1; i <= measure->total() && clefs.size() < 10; i++)
        if (CClef* c = measure->get_clef_item(i)) clefs.push_back({c->x, c->id});
    std::stable_sort(clefs.begin() + 1, clefs.end(), [](const ClefEntry& a, const ClefEntry& b) { return a.x < b.x; });
    auto clef_at = [&](short x) {
        short id = clefs[0].id;
        if (x <= 0) return id;
        for (const ClefEntry& e : clefs)
            if (e.x < x) id = e.id;
        return id;
    };

    // The notes in order of x, among their own slots.
    std::vector<short> slots;
    for (short i = 1; i <= measure->total(); i++)
        if (measure->get_note_item(i)) slots.push_back(i);
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (size_t a = 0; a < slots.size(); a++)
            for (size_t b = a + 1; b < slots.size(); b++) {
                CNote* na = measure->get_note_item(slots[a]);
                CNote* nb = measure->get_note_item(slots[b]);
                if (nb->x < na->x) {
                    measure->set_item(slots[a], nb);
                    measure->set_item(slots[b], na);
                    swapped = true;
                }
            }
    }

    CKeySig* key = get_armure_start((short)(m + 1), p);
    short k = key && key->clef ? key->clef : 1;
    Table source{}, target{};
    armure_to_taba(key, source.v);
    std::memcpy(target.v, source.v, sizeof target.v);

    const short type = d->type_intervalle;
    for (short slot : slots) {
        CNote* n = measure->get_note_item(slot);
        short c = clef_at(n->x);
        int32_t offset = clef_constant(c) - clef_constant(k);
        int32_t s = step_of(n->y);
        auto index = [&](int32_t step) { return 64 + step + offset; };
        short old_y = n->y;
        short new_y = (short)(n->y - 3 * steps);
        if (type != 1) {
            int32_t sum = 0, cur = s, dir = steps > 0 ? 1 : -1;
            for (int32_t j = 0; j < std::abs((int)steps); j++) {
                int32_t before;
                if (j == 0) {
                    before = source.get(index(cur));
                    if (n->alt != 0) {
                        before = n->alt - 3;
                        source.set(index(cur), before);
                    }
                } else {
                    before = target.get(index(cur));
                }
                int32_t after = target.get(index(cur + dir));
                sum += pitch_of(cur + dir, c, after) - pitch_of(cur, c, before);
                cur += dir;
            }
            short own_alt = n->alt;
            if (steps != 0) n->alt = 0;
            int32_t extra = semitones - sum;
            int32_t i = index(cur);
            int32_t f = target.get(i);
            if (steps == 0) {
                f = source.get(i);
                if (own_alt != 0) {
                    f = own_alt - 3;
                    source.set(i, f);
                }
            }
            if (extra != 0) {
                int32_t w = extra + f;
                if (steps == 0 && w == target.get(i)) {
                    n->alt = 0;
                } else {
                    target.set(i, w);
                    n->alt = (short)std::max<int32_t>(1, std::min<int32_t>(5, w + 3));
                }
            }
        }
        n->y = new_y;
        n->adjust();
        if (n->sid != 0)
            deplacer_symbole(n->sid, measure, n->x, old_y, n->height, n->dir, slot, 0, 0, nullptr, nullptr);
        n->pitch = (short)std::max(0, std::min(127, n->pitch + semitones));
    }

    // The keys of the measure's notes in the track, with their Note Off wherever it lies.
    Piste* track = p <= d->tot_piste ? d->piste[p] : nullptr;
    if (track && measure->first_event > 0) {
        short last = (short)std::min<int>(measure->first_event + measure->tot_event - 1, track->tot);
        for (short e = last; e >= measure->first_event; e--) {
            MidiEvent& on = track->event[e];
            if ((on.buf[0] & 0xF0) != 0x90 || on.buf[2] == 0) continue;
            for (short j = (short)(e + 1); j <= track->tot; j++) {
                MidiEvent& off = track->event[j];
                if ((off.buf[0] | 0x10) != (on.buf[0] | 0x10) || off.buf[1] != on.buf[1]) continue;
                if ((off.buf[0] & 0xF0) == 0x90 && off.buf[2] != 0) continue;
                unsigned char moved = (unsigned char)std::max(0, std::min(127, on.buf[1] + semitones));
                on.buf[1] = off.buf[1] = moved;
                break;
            }
        }
    }
    if (transposer_accords && d->sub_doc && d->cur_sub_doc >= 1 && d->cur_sub_doc <= d->tot_sub_doc)
        if (CChordProgression* prog = d->sub_doc[d->cur_sub_doc].chprog) prog->transpose(m, steps, semitones);
}
