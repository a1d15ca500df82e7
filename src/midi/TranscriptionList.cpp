#include "midi/TranscriptionList.h"

#include <algorithm>
#include <cstdlib>

#include "layout/UtilitairesPartition.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/Piste.h"

short MINRESTVALUE = 240;

namespace {

// A Note On may carry a spelling hint in its fourth byte, so the status byte alone tells.
bool note_on(const MidiEvent& ev) { return (ev.buf[0] & 0xF0) == 0x90 && ev.buf[2] != 0; }
bool note_off(const MidiEvent& ev) {
    return (ev.buf[0] & 0xF0) == 0x80 || ((ev.buf[0] & 0xF0) == 0x90 && ev.buf[2] == 0);
}
bool lyric_event(const MidiEvent& ev) { return ev.buf[0] == 2 && ev.buf[3] != 0xFF; }

// Whether pass `pass` of staff p takes the played pitch. A split pass is active only when its
// staff exists, so that no pitch is left to a pass that does not run.
bool pass_takes(Document* d, short pass, short p, short pitch) {
    bool sup = d->split_sup && p != 1;
    bool inf = d->split_inf && p != d->tot_piste;
    if (pass == 1) return pitch > d->split_freq_sup;
    if (pass == 3) return pitch < d->split_freq_inf;
    return !(sup && pitch > d->split_freq_sup) && !(inf && pitch < d->split_freq_inf);
}

// The Note Off of every Note On of the track (0 when none): a Note Off ends the earliest note
// of its channel and pitch that still sounds, so that a note struck again while it sounds, or
// twice at once, keeps each of its ends.
std::vector<short> note_partners(const Piste* t) {
    std::vector<short> partner((size_t)t->tot + 1, 0);
    std::vector<std::vector<short>> sounding(16 * 128);
    std::vector<size_t> first(16 * 128, 0);  // the earliest of each list still sounding
    for (short k = 1; k <= t->tot; k++) {
        const MidiEvent& ev = t->event[k];
        bool on = note_on(ev), off = note_off(ev);
        if (!on && !off) continue;
        size_t key = (size_t)(ev.buf[0] & 0x0F) * 128 + (ev.buf[1] & 0x7F);
        std::vector<short>& held = sounding[key];
        if (on) {
            held.push_back(k);
        } else if (first[key] < held.size()) {
            partner[(size_t)held[first[key]++]] = k;
        }
    }
    return partner;
}

// The lyric event sung on the Note On at index `on` (0 when none): the one just after it at its
// time, or one a file placed just before it (at most `near` ticks earlier, with nothing but
// other kinds of events between them), within the events first..last of its measure.
short syllable_of(const Piste* t, short first, short last, short on, int32_t near) {
    int32_t time = t->event[on].time;
    if (on + 1 <= last && lyric_event(t->event[on + 1]) && t->event[on + 1].time - time <= near)
        return (short)(on + 1);
    for (short k = (short)(on - 1); k >= first && time - t->event[k].time <= near; k--) {
        if (note_on(t->event[k])) break;
        if (lyric_event(t->event[k])) return k;
    }
    return 0;
}

short distance_grille(int32_t x, int32_t g) {
    int32_t r = std::abs(x) % g;
    return (short)(r > g / 2 ? g - r : r);
}

// Entries k and every later entry of its chord, with their chord id (k alone without one).
std::vector<size_t> chord_members(const ListeTranscription& l, size_t k) {
    std::vector<size_t> out{k};
    if (l.e[k].acid == 0) return out;
    for (size_t j = k + 1; j < l.e.size(); j++)
        if (l.e[j].acid == l.e[k].acid) out.push_back(j);
    return out;
}

short new_chord_id() { return doc->next_pos_acid++; }

}  // namespace

bool ListeTranscription::inserer(size_t at, const EntreeTranscription& x) {
    if ((short)e.size() >= TR_MAX_ENTRIES) return false;
    e.insert(e.begin() + (long)at, x);
    for (Triolet& tr : triolets) {
        if (tr.first >= (short)at) tr.first++;
        if (tr.last >= (short)at) tr.last++;
    }
    return true;
}

void ListeTranscription::retirer(size_t at) {
    e.erase(e.begin() + (long)at);
    for (Triolet& tr : triolets) {
        if (tr.first > (short)at) tr.first--;
        if (tr.last > (short)at) tr.last--;
    }
}

size_t ListeTranscription::chord_first(size_t k) const {
    while (k > 0 && in_chord(k - 1, k)) k--;
    return k;
}

size_t ListeTranscription::chord_last(size_t k) const {
    while (k + 1 < e.size() && in_chord(k, k + 1)) k++;
    return k;
}

short get_map_inverse(short fm, short p) {
    if (empecher_carte_percu || !doc || p < 1 || p > doc->tot_ins || !doc->ins[p].percu) return fm;
    for (short i = 0; i < 128; i++)
        if (doc->ins[p].map[i] == fm) return i;
    return fm;
}

short quantifier_valeur(short s, short qu, short qut, short tri) {
    int32_t value = s, grid = qu, triplet = qut;
    if (grid <= 0) return s;
    int32_t cell = 2 * grid;
    int32_t r = value % cell, base = (value / cell) * cell;
    if (!tri) {
        if (r > 3 * grid / 2) return (short)(base + 2 * grid);
        if (r > grid / 2) return (short)(base + grid);
        return (short)base;
    }
    if (r > grid + triplet) return (short)(base + 2 * grid);
    if (r > (2 * triplet + grid) / 2) return (short)(base + 2 * triplet);
    if (r > (grid + triplet) / 2) return (short)(base + grid);
    if (r > triplet / 2) return (short)(base + triplet);
    return (short)base;
}

short tolerance_collecte(Document* d) {
    short level = (short)std::max(0, std::min<int>(d->min_quantification, 8));
    return (short)(7680 >> (level + 1));
}

void collecter_notes(ListeTranscription& l, short m, short p, short target, short pass) {
    Document* d = doc;
    l.e.clear();
    l.triolets.clear();
    l.tenues.clear();
    l.notes = 0;
    l.pitch_sum = 0;
    CMeasure* M = mesure_maitre(d, m, p);
    Piste* track = p <= d->tot_piste ? d->piste[p] : nullptr;
    if (!M || !track) return;
    int32_t S = 0;
    for (short c = 1; c < m; c++)
        if (CMeasure* before = mesure_maitre(d, c, p)) S += before->length;
    short L = l.L;
    short Q0 = tolerance_collecte(d);
    auto add = [&](const EntreeTranscription& x) { return l.inserer(l.e.size(), x); };

    // Notes of the previous measure of the target staff tied into this one.
    CMeasure* prev_target = m > 1 ? mesure_maitre(d, (short)(m - 1), target) : nullptr;
    if (prev_target) {
        for (short i = 1; i <= prev_target->total() && (short)l.tenues.size() < TR_MAX_TIES_IN; i++) {
            CNote* n = prev_target->get_note_item(i);
            if (!n || !(n->flags & 0x01) || !pass_takes(d, pass, p, n->pitch)) continue;
            bool continued = false;
            for (short j = 1; j <= prev_target->total() && !continued; j++) {
                CNote* o = prev_target->get_note_item(j);
                continued = o && o != n && o->pitch == n->pitch && o->x >= n->x && (o->flags & 0x02);
            }
            if (!continued) l.tenues.push_back(n);
        }
    }
    bool no_events = M->first_event == 0 || M->tot_event == 0;
    for (size_t k = 0; k < l.tenues.size(); k++) {
        EntreeTranscription x;
        x.i = (short)-(k + 1);
        if (no_events) {
            x.divers = TR_TIE_IN | TR_TIE_OUT;
            x.d = x.dq = L;
            add(x);
            continue;
        }
        short pitch = l.tenues[k]->pitch;
        for (short j = M->first_event; j <= track->tot; j++) {
            const MidiEvent& ev = track->event[j];
            if (!note_off(ev) || ev.buf[1] != pitch) continue;
            int32_t E = ev.time - S;
            if (E != 0) {
                x.divers = TR_TIE_IN;
                if (E > L + Q0 / 2) {
                    x.divers |= TR_TIE_OUT;
                    E = L;
                }
                x.d = x.dq = (short)E;
                if (add(x)) l.pitch_sum += get_map_inverse(pitch, p);
            }
            break;
        }
    }

    // The notes that begin in a measure's events and end at their Note Off.
    const std::vector<short> partner = note_partners(track);
    auto collect = [&](CMeasure* from, bool before_bar) {
        if (!from || from->first_event == 0) return;
        short last = (short)std::min<int>(from->first_event + from->tot_event - 1, track->tot);
        for (short k = from->first_event; k <= last; k++) {
            const MidiEvent& on = track->event[k];
            if (!note_on(on) || !pass_takes(d, pass, p, on.buf[1])) continue;
            short off = partner[(size_t)k];
            if (!off) continue;
            int32_t B = on.time - S, E = track->event[off].time - S;
            if (before_bar ? B < -(Q0 / 2) : L - B <= Q0 / 2) continue;
            EntreeTranscription x;
            x.i = k;
            x.pid = syllable_of(track, from->first_event, last, k, Q0 / 2);
            if (E > L + Q0 / 2) {
                x.divers = TR_TIE_OUT;
                E = L;
            }
            x.s = x.sq = (short)B;
            x.d = x.dq = (short)(E - B);
            if (!add(x)) return;
            l.pitch_sum += get_map_inverse(on.buf[1], p);
        }
    };
    if (m > 1) collect(mesure_maitre(d, (short)(m - 1), p), true);
    collect(M, false);
    l.notes = (short)l.e.size();
}

void quantifier_liste(ListeTranscription& l) {
    Document* d = doc;
    short beat = l.beat > 0 ? l.beat : 480;
    short minq = (short)std::max(0, std::min<int>(d->min_quantification, 8));
    short G;
    if (!d->auto_quantification) {
        G = minq;
    } else {
        int32_t best = 32000;
        for (G = 0; G <= minq; G++) {
            int32_t g = 3840 >> G;
            if (g > beat) continue;
            int32_t error = 0;
            for (const EntreeTranscription& x : l.e)
                error += distance_grille(x.s, g) + distance_grille((int32_t)x.s + x.d, g);
            if (error == 0) break;
            if ((best - error) * 100 / beat < 8) {
                G = (short)(G > 0 ? G - 1 : 0);
                break;
            }
            best = error;
            if (G == minq) break;
        }
    }
    l.G = G;
    l.g = (short)(3840 >> G);
    l.t = (short)(2 * l.g / 3);
    short g = l.g, t = l.t, L = l.L;
    short f = d->detect_triolet ? 1 : 0;

    for (EntreeTranscription& x : l.e) {
        short start = quantifier_valeur(x.s, g, t, f);
        if (start >= L) start = (short)(start - (f ? t : g));
        short end = quantifier_valeur((short)(x.s + x.d), g, t, f);
        x.sq = start;
        x.dq = (short)std::max<int>(end - start, f ? t : g);
    }
    // Chords: notes played together.
    for (size_t k = 0; k < l.e.size(); k++) {
        if (l.e[k].acid) continue;
        for (size_t j = k + 1; j < l.e.size() && l.e[j].s - l.e[k].s <= g / 4; j++) {
            if (!l.e[k].acid) l.e[k].acid = new_chord_id();
            l.e[j].acid = l.e[k].acid;
            l.e[j].sq = l.e[k].sq;
            l.e[j].dq = l.e[k].dq;
        }
    }
    // Overlaps.
    for (size_t k = 0; k + 1 < l.e.size(); k++) {
        if (l.in_chord(k, k + 1) || l.e[k + 1].sq >= l.e[k].sq + l.e[k].dq) continue;
        short dq = (short)std::max(0, l.e[k + 1].sq - l.e[k].sq);
        l.e[k].dq = dq;
        for (size_t j = l.chord_first(k); j < k; j++) l.e[j].dq = dq;
    }
    // Gaps and rests.
    if (l.e.empty()) return;
    auto rest = [](short start, short length) {
        EntreeTranscription r;
        r.s = r.sq = start;
        r.d = r.dq = length;
        r.divers = TR_REST;
        return r;
    };
    if (l.e[0].sq > 0) l.inserer(0, rest(0, l.e[0].sq));
    for (size_t k = 0; k < l.e.size(); k++) {
        if (l.e[k].divers & TR_REST) continue;
        size_t last = l.chord_last(k);
        size_t first = l.chord_first(k);
        int32_t end = l.e[last].sq + l.e[last].dq;
        int32_t next = last + 1 < l.e.size() ? l.e[last + 1].sq : L;
        if (next - end < MINRESTVALUE) {
            for (size_t j = first; j <= last; j++) l.e[j].dq = (short)std::max<int32_t>(0, next - l.e[j].sq);
        } else {
            l.inserer(last + 1, rest((short)end, (short)(next - end)));
        }
        k = last;
    }
}

namespace {

// Cuts entry k and the members of its chord at `first_length`: the first copies keep the start,
// the second copies follow them. Notes are tied over the cut. False when the list is full.
bool couper(ListeTranscription& l, size_t k, short first_length) {
    std::vector<size_t> members = chord_members(l, k);
    if ((short)(l.e.size() + members.size()) > TR_MAX_ENTRIES) return false;
    short second_acid = members.size() > 1 ? new_chord_id() : 0;
    std::vector<EntreeTranscription> seconds;
    for (size_t j : members) {
        EntreeTranscription& a = l.e[j];
        EntreeTranscription b = a;
        short cut = (short)(a.sq + first_length);
        b.sq = cut;
        b.dq = (short)(a.dq - first_length);
        b.acid = second_acid;
        b.pid = 0;
        a.dq = first_length;
        if (!(a.divers & TR_REST)) {
            a.divers |= TR_TIE_OUT;
            b.divers |= TR_TIE_IN;
        }
        int32_t played_end = (int32_t)a.s + a.d;
        if (played_end > cut) {
            b.s = cut;
            b.d = (short)(played_end - cut);
            a.d = (short)(cut - a.s);
        } else {
            a.d = (short)(a.d / 2);
            b.d = a.d;
            b.s = (short)(a.s + a.d);
        }
        seconds.push_back(b);
    }
    size_t at = l.chord_last(k) + 1;
    for (const EntreeTranscription& b : seconds) l.inserer(at++, b);
    return true;
}

// Moves the start of entry k (with its chord) to `to`: it shrinks by the move and the entry
// before it (with its chord) grows by it.
void deplacer(ListeTranscription& l, size_t k, short to) {
    size_t first = l.chord_first(k);
    short delta = (short)(to - l.e[first].sq);
    if (delta == 0) return;
    for (size_t j : chord_members(l, first)) {
        l.e[j].sq = to;
        l.e[j].dq = (short)(l.e[j].dq - delta);
    }
    if (first == 0) return;
    // A move back past the start of the entry before leaves it without length, not a negative one.
    for (size_t j = l.chord_first(first - 1); j < first; j++) l.e[j].dq = (short)std::max(0, l.e[j].dq + delta);
}

void marquer_triolet(ListeTranscription& l, size_t k) {
    for (size_t j : chord_members(l, l.chord_first(k))) l.e[j].divers |= TR_TRIPLET;
}

bool dans(short x, int32_t low, int32_t high) { return x >= low && x <= high; }

// A fraction reduced by dividing once by each k from 2 to `limit` that divides both terms.
int32_t reduite(int32_t num, int32_t den, int32_t limit) {
    for (int32_t k = 2; k <= limit; k++)
        if (num % k == 0 && den % k == 0) {
            num /= k;
            den /= k;
        }
    return num + den;
}

int32_t modulo(int32_t a, int32_t b) { return b == 0 ? 0 : a % b; }

void trouver_triolets(ListeTranscription& l) {
    const short L = l.L;
    for (short level = 0; level <= l.G; level++) {
        int32_t q = 3840 >> level;
        if (2 * q > L) continue;
        for (int32_t p = 0; p <= L && (short)l.triolets.size() < TR_MAX_TRIPLETS; p += 2 * q) {
            size_t n = l.e.size(), a = n;
            for (size_t k = 0; k < n && a == n; k++)
                if (l.e[k].sq == p) a = k;
            if (a == n || l.e[a].dq >= 2 * q || (l.e[a].divers & TR_TRIPLET)) continue;
            size_t b = n;
            for (size_t k = l.chord_last(a) + 1; k < n && b == n; k++)
                if (l.e[k].sq > l.e[a].sq) b = k;
            if (b == n || l.e[b].sq >= p + 2 * q || (l.e[b].divers & TR_TRIPLET)) continue;
            size_t c = n;
            for (size_t k = l.chord_last(b) + 1; k < n && c == n; k++)
                if (l.e[k].sq > l.e[b].sq) c = k;
            if (c != n && (l.e[c].divers & TR_TRIPLET)) continue;
            if (c != n && l.e[c].sq >= p + 2 * q) c = n;
            if (c != n) {
                bool other = false;
                for (size_t k = c + 1; k < n && !other; k++)
                    other = l.e[k].sq != l.e[c].sq && l.e[k].sq < p + 2 * q;
                if (other) continue;
            }
            const EntreeTranscription &eb = l.e[b];
            bool b_rest = eb.divers & TR_REST;
            size_t last;
            if (c == n) {
                if (!b_rest && dans(eb.s, p + 13 * q / 24, p + 19 * q / 24)) {
                    deplacer(l, b, (short)(p + 2 * q / 3));
                    if (l.e[b].dq > 4 * q / 3) couper(l, b, (short)(4 * q / 3));
                } else if (!b_rest && dans(eb.s, p + 29 * q / 24, p + 35 * q / 24)) {
                    deplacer(l, b, (short)(p + 4 * q / 3));
                    if (l.e[b].dq > 2 * q / 3) couper(l, b, (short)(2 * q / 3));
                } else {
                    continue;
                }
                last = b;
            } else {
                if (!dans(eb.s, p + 13 * q / 24, p + 19 * q / 24) ||
                    !dans(l.e[c].s, p + 29 * q / 24, p + 35 * q / 24))
                    continue;
                deplacer(l, b, (short)(p + 2 * q / 3));
                deplacer(l, c, (short)(p + 4 * q / 3));
                if (l.e[c].dq > 2 * q / 3) couper(l, c, (short)(2 * q / 3));
                last = c;
            }
            marquer_triolet(l, a);
            marquer_triolet(l, b);
            if (c != n) marquer_triolet(l, c);
            l.triolets.push_back({(short)a, (short)last});
        }
    }
}

}  // namespace

void triolets_et_durees(ListeTranscription& l) {
    Document* d = doc;
    const short g = l.g, t = l.t, L = l.L, beat = l.beat > 0 ? l.beat : 480;
    if (d->detect_triolet) {
        trouver_triolets(l);
        // Starts off the grid outside the triplets.
        for (size_t k = 0; k < l.e.size(); k++) {
            if ((l.e[k].divers & TR_TRIPLET) || l.e[k].sq % g == 0) continue;
            short to = quantifier_valeur(l.e[k].sq, g, t, 0);
            if (to >= L) to = (short)(to - g);
            deplacer(l, k, to);
        }
    }
    // Zero lengths.
    for (size_t k = 0; k < l.e.size();) {
        EntreeTranscription& x = l.e[k];
        if (x.dq != 0) {
            k++;
            continue;
        }
        if (x.divers & TR_REST) {
            l.retirer(k);
            continue;
        }
        size_t j = k + 1;
        while (j < l.e.size() && l.e[j].dq == 0) j++;
        if (j >= l.e.size()) break;
        x.dq = l.e[j].dq;
        short id = new_chord_id();
        bool triplet = l.e[j].divers & TR_TRIPLET;
        short start = x.sq;
        for (EntreeTranscription& y : l.e)
            if (y.sq == start) {
                y.acid = id;
                if (triplet) y.divers |= TR_TRIPLET;
            }
        k++;
    }
    // Rests inside a chord.
    for (size_t k = 0; k < l.e.size();) {
        if (!(l.e[k].divers & TR_REST) || l.e[k].acid == 0) {
            k++;
            continue;
        }
        bool before_in_chord = k > 0 && l.in_chord(k - 1, k);
        for (Triolet& tr : l.triolets)
            if ((tr.first == (short)k || tr.last == (short)k) && before_in_chord) {
                if (tr.first == (short)k) tr.first = (short)(k - 1);
                if (tr.last == (short)k) tr.last = (short)(k - 1);
                l.e[k - 1].divers |= TR_TRIPLET;
            }
        l.retirer(k);
    }
    if (l.e.empty()) {
        EntreeTranscription r;
        r.divers = TR_REST;
        r.d = r.dq = L;
        l.inserer(0, r);
    }
    // Writable lengths.
    for (size_t k = 0; k < l.e.size() && (short)l.e.size() < TR_MAX_ENTRIES;) {
        EntreeTranscription& x = l.e[k];
        if (x.divers & TR_TRIPLET) {
            k++;
            continue;
        }
        int32_t D = x.dq / g, S = x.sq / g;
        bool again = false;
        for (int32_t u = 256; u >= 1; u /= 2) {
            if (D == u || (D == u + u / 2 && x.sq % beat == 0)) break;
            if (D < u) continue;
            int32_t rest = D - u;
            int32_t u_first = reduite(S % u, u, u) + reduite(modulo(S + u, rest), u, u);
            int32_t rest_first = reduite(modulo(S, rest), u, u) + reduite((S + rest) % u, u, u);
            if (u_first < rest_first) {
                couper(l, k, (short)(u * g));
            } else {
                again = couper(l, k, (short)(rest * g));
            }
            break;
        }
        if (!again) k++;
    }
    // Rests on their own: each starts on a multiple of its value.
    for (size_t k = 0; k < l.e.size() && (short)l.e.size() < TR_MAX_ENTRIES;) {
        EntreeTranscription& x = l.e[k];
        if (!(x.divers & TR_REST) || x.acid || (x.divers & TR_TRIPLET)) {
            k++;
            continue;
        }
        int32_t m = 1, h = 0;
        for (int n = 0; n < 100; n++) {
            if ((int32_t)g * m == x.dq || (int32_t)g * m >= L) break;
            if ((int32_t)g * m > x.dq) {
                h = g * m / 2;
                break;
            }
            m *= 2;
        }
        if ((x.sq / g) % m == 0) {
            k++;
            continue;
        }
        short first = (short)(h == 0 ? x.dq / 2 : x.dq - h);
        if (first <= 0 || first >= x.dq || !couper(l, k, first)) k++;
    }
    // Neighbouring rests that make one value.
    for (bool merged = true; merged;) {
        merged = false;
        for (size_t k = 0; k + 1 < l.e.size(); k++) {
            EntreeTranscription &a = l.e[k], &b = l.e[k + 1];
            if (!(a.divers & TR_REST) || !(b.divers & TR_REST) || a.acid || b.acid ||
                (a.divers & TR_TRIPLET) || (b.divers & TR_TRIPLET) || a.sq + a.dq != b.sq || a.dq <= 0)
                continue;
            if ((a.dq == b.dq && a.sq % (2 * a.dq) == 0) || (a.dq == 2 * b.dq && a.sq % (2 * a.dq) == 0)) {
                a.dq = (short)(a.dq + b.dq);
                a.d = a.dq;
                l.retirer(k + 1);
                merged = true;
            }
        }
    }
}
