#include "layout/VoiceAssignment.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"

short duree_nominale(short rythm, short point) {
    int32_t d = 3840;
    for (short r = 0; r < rythm && d > 0; r++) d /= 2;
    int32_t h = d / 2;
    for (short k = 0; k < point && k < 16; k++) {
        d += h;
        h /= 2;
    }
    return (short)d;
}

namespace {

constexpr short MAX_UNITS = 100;
constexpr short MAX_CHORDS = 100;
constexpr short MAX_TUPLETS = 20;
constexpr short MAX_VOICES = 8;
constexpr short CANDIDATES_PER_ROUND = 11;

// One event of the search: a rest, a note outside a chord, or the first note of a chord.
struct Unit {
    CNote* note = nullptr;
    CRest* rest = nullptr;
    short x = 0;
    int32_t length = 0;
    short weight = 0;
    short group = 0;
    short fixed = 0;      // 1..V kept, 0 free, -1 follows its beam group
    short candidate = 0;
    short best = 0;
    short previous = 0;   // the voice it had before
};

class VoiceSearch {
public:
    VoiceSearch(CMeasure* m) : measure(m) {}
    void run();

private:
    void collect();
    bool free(const Unit& u) const { return u.fixed == 0; }
    short voice_of(const Unit& u) const { return u.fixed > 0 ? u.fixed : u.candidate; }
    // The score of the current candidate, or -32001 when it is not valid.
    int32_t score() const;
    // Moves the candidate on in odometer order; false once every free unit wrapped to voice 1.
    bool next_candidate();
    void settle_followers(bool searched);

    CMeasure* measure;
    std::vector<Unit> units;
    int32_t L = 0;
    short V = 1;
};

void VoiceSearch::collect() {
    std::vector<CNolet*> tuplets;
    for (short i = 1; i <= measure->total() && (short)tuplets.size() < MAX_TUPLETS; i++)
        if (CNolet* t = measure->get_nolet_item(i)) tuplets.push_back(t);
    std::vector<short> chords;
    bool chords_full = false;
    for (short i = 1; i <= measure->total() && (short)units.size() < MAX_UNITS; i++) {
        CNote* n = measure->get_note_item(i);
        CRest* r = measure->get_rest_item(i);
        if (!n && !r) continue;
        if (n && n->cid != 0 && !chords_full) {
            if (std::find(chords.begin(), chords.end(), n->cid) != chords.end()) continue;
            chords.push_back(n->cid);
            chords_full = chords.size() >= (size_t)MAX_CHORDS;
        }
        Unit u;
        u.note = n;
        u.rest = r;
        u.x = (short)((n ? n->x : r->x) - measure->front);
        int32_t len = n ? duree_nominale(n->rythm, n->point) : duree_nominale(r->rythm, r->point);
        short mask = n ? n->nmask : r->nmask;
        for (CNolet* t : tuplets)
            if ((t->mask & mask) && t->n1 != 0) len = len * t->n2 / t->n1;
        u.length = std::min(len, L);
        u.weight = n ? (n->dir != 0 ? n->dir : (short)-1) : (short)0;
        u.group = n ? n->gid : (short)0;
        u.previous = n ? n->voice : r->voice;
        units.push_back(u);
    }
}

int32_t VoiceSearch::score() const {
    int32_t fill[MAX_VOICES + 2] = {0};
    int32_t weight[MAX_VOICES + 2] = {0};
    for (size_t k = 0; k < units.size(); k++) {
        const Unit& u = units[k];
        if (u.fixed < 0) continue;
        short v = voice_of(u);
        fill[v] += u.length;
        weight[v] += u.weight;
        for (size_t j = k + 1; j < units.size() && units[j].x == u.x; j++)
            if (units[j].fixed >= 0 && voice_of(units[j]) == v) return -32001;
    }
    int32_t total = 0;
    for (short v = 1; v <= V; v++) {
        if (fill[v] > L + 10) return -32001;
        total += std::abs(weight[v]);
    }
    return total;
}

bool VoiceSearch::next_candidate() {
    for (size_t k = units.size(); k-- > 0;) {
        Unit& u = units[k];
        if (!free(u)) continue;
        if (u.candidate < V) {
            u.candidate++;
            return true;
        }
        u.candidate = 1;
    }
    return false;
}

// Followers take the voice of the first unit of their beam group that has one; units that the
// search could not place keep their voice when it exists, else voice 1.
void VoiceSearch::settle_followers(bool searched) {
    for (Unit& u : units) {
        if (u.fixed == 0) u.best = searched ? u.best : (u.previous >= 1 && u.previous <= V ? u.previous : 1);
        if (u.fixed > 0) u.best = u.fixed;
    }
    for (Unit& u : units) {
        if (u.fixed >= 0) continue;
        u.best = 0;
        for (const Unit& w : units)
            if (w.fixed >= 0 && w.note && w.group == u.group && w.best >= 1) {
                u.best = w.best;
                break;
            }
        if (u.best == 0) u.best = u.previous >= 1 && u.previous <= V ? u.previous : 1;
    }
}

void VoiceSearch::run() {
    L = (int16_t)measure->length;
    if (measure->meas & 0x1000) L = std::min<int32_t>(64 * measure->length_beat, 32000);
    if (L < 1) L = 1;
    collect();
    if (units.empty()) return;
    const size_t n = units.size();
    // Close events stand together, unless they are neighbours in one beam group.
    for (size_t k = 0; k + 1 < n; k++) {
        Unit& a = units[k];
        Unit& b = units[k + 1];
        bool beamed = a.note && b.note && a.group != 0 && a.group == b.group;
        if (b.x <= a.x + 6 && !beamed) b.x = a.x;
    }
    int32_t run = 1, longest = 1, total = 0;
    for (size_t k = 0; k < n; k++) {
        total += units[k].length;
        run = k > 0 && units[k].x == units[k - 1].x ? run + 1 : 1;
        longest = std::max(longest, run);
    }
    V = (short)std::min<int32_t>(MAX_VOICES, std::max<int32_t>(longest, (total + L - 1) / L));
    for (Unit& u : units) u.fixed = u.previous >= 1 && u.previous <= V ? u.previous : 0;
    // A beamed group is placed as one piece through its first free note.
    for (size_t i = 0; i + 1 < n; i++) {
        if (!free(units[i]) || units[i].group == 0 || !units[i].note) continue;
        for (size_t j = i + 1; j < n; j++)
            if (free(units[j]) && units[j].note && units[j].group == units[i].group) {
                units[j].fixed = -1;
                units[i].length += units[j].length;
                units[j].length = 0;
            }
    }
    bool searched = false;
    bool any_free = std::any_of(units.begin(), units.end(), [](const Unit& u) { return u.fixed == 0; });
    while (any_free) {
        for (Unit& u : units) u.candidate = 1;
        int32_t best = -32000;
        bool found = false;
        for (short c = 0; c < CANDIDATES_PER_ROUND; c++) {
            if (c > 0 && !next_candidate()) break;
            int32_t s = score();
            if (s > best) {
                best = s;
                found = true;
                for (Unit& u : units) u.best = u.candidate;
            }
        }
        if (found) {
            searched = true;
            break;
        }
        if (V >= MAX_VOICES) break;
        V++;
    }
    settle_followers(searched);
    // The fullest voice becomes voice 1.
    int32_t fill[MAX_VOICES + 1] = {0};
    for (const Unit& u : units)
        if (u.best >= 1 && u.best <= V) fill[u.best] += u.length;
    short order[MAX_VOICES + 1];
    for (short v = 1; v <= V; v++) order[v] = v;
    std::stable_sort(order + 1, order + V + 1, [&](short a, short b) { return fill[a] > fill[b]; });
    short renumber[MAX_VOICES + 1] = {0};
    for (short k = 1; k <= V; k++) renumber[order[k]] = k;
    for (Unit& u : units) {
        u.best = u.best >= 1 && u.best <= V ? renumber[u.best] : (short)1;
        if (u.rest) u.rest->voice = u.best;
        else u.note->voice = u.best;
    }
    // The other notes of a chord go with the unit that stands for it.
    for (short i = 1; i <= measure->total(); i++) {
        CNote* c = measure->get_note_item(i);
        if (!c || c->cid == 0) continue;
        auto stands = std::find_if(units.begin(), units.end(),
                                   [&](const Unit& u) { return u.note && u.note->cid == c->cid; });
        bool own = std::any_of(units.begin(), units.end(), [&](const Unit& u) { return u.note == c; });
        if (!own && stands != units.end()) c->voice = stands->best;
    }
}

}  // namespace

void assigner_voix_mesure(short m, short p) {
    CMeasure* measure = doc ? mesure_maitre(doc, m, p) : nullptr;
    if (!measure) return;
    measure->sort_notes_rests();
    measure->sort_symbols();
    if (measure->flags & 0x01) return;
    measure->change_mes_flags(0x01, 0);
    VoiceSearch(measure).run();
}
