#include "layout/MidiConversion.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "layout/UtilitairesPartition.h"
#include "layout/VoiceAssignment.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"
#include "score/Signatures.h"

namespace {

constexpr short MAX_CLEFS = 10;
constexpr short MAX_TIMED = 100;
constexpr short MAX_TUPLETS = 20;
constexpr short MAX_PITCHED = 100;
constexpr short MAX_SYMBOLS = 100;

struct ClefEntry {
    short x;
    short kind;
};

short clef_constant(short kind) { return tab_clef_constante[kind >= 0 && kind <= 9 ? kind : 1]; }

// One note or rest of the voice being timed.
struct Timed {
    CNote* note;
    CRest* rest;
    short x;
    int32_t start;
    int32_t length;
};

class Conversion {
public:
    Conversion(Document* d_, CMeasure* m, short col, short staff)
        : d(d_), measure(m), column(col), p(staff) {}
    void timing();
    void pitches();
    void order_symbols();

private:
    void time_voice(short v);
    // The position analysis of an incomplete voice; false when the measure is too narrow.
    bool place_by_position(std::vector<Timed>& u, short v);
    short clef_at(short x) const;
    bool partners(const Timed& a, const Timed& b) const {
        return a.note && b.note && a.x == b.x && a.note->cid != 0 && a.note->cid == b.note->cid;
    }

    Document* d;
    CMeasure* measure;
    short column, p;
    int32_t F = 0, W = 0, L = 0, N = 0, B = 0;
    short V = 0;
    int32_t greatest_end = 0;
    std::vector<ClefEntry> clefs;

public:
    void prepare();
    bool free_length() const { return measure->meas & 0x1000; }
    void grow_free_measure();
};

void Conversion::prepare() {
    F = measure->front;
    W = measure->width - measure->front;
    L = (int16_t)measure->length;
    N = measure->tot_beat;
    B = measure->length_beat;
    if (free_length()) L = std::min<int32_t>(64 * B, 32000);
    clefs.push_back({0, get_clef_start(column, p)});
    for (short i = 1; i <= measure->total() && (short)clefs.size() < MAX_CLEFS; i++)
        if (CClef* c = measure->get_clef_item(i)) clefs.push_back({c->x, c->id});
    // Equal positions keep their order.
    for (size_t a = 0; a + 1 < clefs.size(); a++)
        for (size_t b = 0; b + 1 < clefs.size() - a; b++)
            if (clefs[b + 1].x < clefs[b].x) std::swap(clefs[b], clefs[b + 1]);
    for (short i = 1; i <= measure->total(); i++) {
        if (CNote* n = measure->get_note_item(i)) V = std::max(V, n->voice);
        if (CRest* r = measure->get_rest_item(i)) V = std::max(V, r->voice);
    }
}

short Conversion::clef_at(short x) const {
    short kind = clefs[0].kind;
    if (x <= 0) return kind;
    for (const ClefEntry& e : clefs)
        if (e.x < x) kind = e.kind;
    return kind;
}

void Conversion::timing() {
    greatest_end = B;
    measure->start_edit();
    for (short v = 1; v <= V; v++) time_voice(v);
    measure->stop_edit();
}

void Conversion::time_voice(short v) {
    std::vector<Timed> u;
    std::vector<CNolet*> tuplets;
    for (short i = 1; i <= measure->total(); i++) {
        if (CNolet* t = measure->get_nolet_item(i))
            if ((short)tuplets.size() < MAX_TUPLETS) tuplets.push_back(t);
        if ((short)u.size() >= MAX_TIMED) continue;
        CNote* n = measure->get_note_item(i);
        CRest* r = measure->get_rest_item(i);
        if ((n && n->voice == v) || (r && r->voice == v))
            u.push_back({n, n ? nullptr : r, n ? n->x : r->x, 0, 0});
    }
    if (u.empty()) return;
    // Lengths, with tuplets and a rounding that keeps the sum of the voice exact.
    float exact_sum = 0;
    int32_t sum = 0, total = 0;
    for (Timed& t : u) {
        int32_t len = t.note ? duree_nominale(t.note->rythm, t.note->point)
                             : duree_nominale(t.rest->rythm, t.rest->point);
        float exact = (float)len;
        short mask = t.note ? t.note->nmask : t.rest->nmask;
        for (CNolet* tu : tuplets)
            if ((tu->mask & mask) && tu->n1 != 0) {
                len = len * tu->n2 / tu->n1;
                exact = exact * tu->n2 / tu->n1;
            }
        exact_sum += exact;
        sum += len;
        int32_t rounded = (int32_t)(exact_sum + 0.5f);
        if (sum != rounded) {
            len += rounded - sum;
            sum = rounded;
        }
        t.length = len;
        total += len;
    }
    for (size_t k = 0; k + 1 < u.size(); k++)
        if (u[k].note && u[k + 1].note && u[k].note->cid != 0 && u[k].note->cid == u[k + 1].note->cid)
            u[k + 1].x = u[k].x;
    bool sequential = d->analyse_voix_incompletes == 0 || V < 2 || (L - 5 <= total && total <= L + 5);
    if (sequential || !place_by_position(u, v)) {
        u[0].start = 0;
        for (size_t k = 1; k < u.size(); k++) {
            if (partners(u[k], u[k - 1])) {
                u[k].start = u[k - 1].start;
                u[k].length = u[k - 1].length;
            } else {
                u[k].start = u[k - 1].start + u[k - 1].length;
            }
        }
    }
    for (Timed& t : u) {
        short* start = t.note ? &t.note->start : &t.rest->start;
        short* length = t.note ? &t.note->length : &t.rest->length;
        *start = (short)t.start;
        *length = (short)t.length;
        greatest_end = std::max(greatest_end, t.start + t.length);
    }
}

bool Conversion::place_by_position(std::vector<Timed>& u, short v) {
    // A measure too narrow for its beats has no cells to place by: the voice goes in sequence.
    if (N < 1 || B < 1 || (W - 8) / N < 1 || (W - 8) / (2 * N) < 1) return false;
    const size_t n = u.size();
    for (size_t k = 0; k < n; k++) {
        int32_t offset = u[k].x - 4 - F;
        if (u[k].length >= B) u[k].start = B * (offset / ((W - 8) / N));
        else u[k].start = ((offset / ((W - 8) / (2 * N))) * B) / 2;
        if (k == 0) continue;
        int32_t after = u[k - 1].start + u[k - 1].length;
        if (u[k].start < after) u[k].start = after;
        if (partners(u[k], u[k - 1])) {
            u[k].start = u[k - 1].start;
            u[k].length = u[k - 1].length;
        }
    }
    if (v > 1)
        for (short i = 1; i <= measure->total(); i++) {
            CNote* above = measure->get_note_item(i);
            if (!above || above->voice >= v) continue;
            for (Timed& t : u)
                if (t.x >= above->x - 4 && t.x <= above->x + 4) t.start = above->start;
        }
    u.push_back({nullptr, nullptr, (short)32767, L, 0});
    for (size_t k = n; k-- > 0;) {
        if (partners(u[k], u[k + 1])) {
            u[k].start = u[k + 1].start;
            u[k].length = u[k + 1].length;
        } else if (u[k].start + u[k].length > u[k + 1].start) {
            u[k].start = u[k + 1].start - u[k].length;
        }
    }
    for (size_t k = 0; k + 1 < n; k++) {
        if (u[k].start < 0) u[k].start = 0;
        if (k == 0) continue;
        if (partners(u[k], u[k - 1])) {
            u[k].start = u[k - 1].start;
            u[k].length = u[k - 1].length;
        } else if (u[k].start < u[k - 1].start + u[k - 1].length) {
            u[k].start = u[k - 1].start + u[k - 1].length;
        }
    }
    u.pop_back();
    return true;
}

void Conversion::pitches() {
    CKeySig* key = get_armure_start(column, p);
    for (short i = 1; i <= measure->total(); i++)
        if (CKeySig* k = measure->get_keysig_item(i))
            if (!(k->flags & 1)) key = k;
    short taba[TABA_SIZE];
    std::memset(taba, 0, sizeof taba);
    armure_to_taba(key, taba);
    short key_clef = key ? key->clef : clefs[0].kind;
    short velocity = p >= 1 && p <= d->tot_ins ? d->ins[p].velocity : 64;
    short done = 0;
    for (short i = 1; i <= measure->total() && done < MAX_PITCHED; i++) {
        CNote* n = measure->get_note_item(i);
        if (!n) continue;
        done++;
        int32_t s = (3000 - (n->y - 2)) / 3 - 1000;
        short c = clef_at(n->x);
        int32_t index = 64 + s + clef_constant(c) - clef_constant(key_clef);
        // A note far off the staff has no entry in the table: it takes no key accidental.
        bool inside = index >= 0 && index < TABA_SIZE;
        int32_t a = inside ? taba[index] : 0;
        if (n->alt != 0) {
            a = n->alt - 3;
            if (inside) taba[index] = (short)a;
        }
        int32_t g = s + clef_constant(c) + 45;
        int32_t octave = g >= 0 ? g / 7 : -((6 - g) / 7);
        int32_t pitch = 12 * octave + tab_gamme_midi[g - 7 * octave] + a;
        n->pitch = (short)std::max<int32_t>(0, std::min<int32_t>(127, pitch));
        n->velocity = n->rec_vel != -1 ? n->rec_vel : velocity;
    }
    for (short i = 1; i <= measure->total(); i++) {
        CNote* n = measure->get_note_item(i);
        if (!n || (n->flags & 0x0A) != 0x0A) continue;
        short first = find_first_pitch(column, p, i);
        if (first >= 0) n->pitch = first;
    }
}

void Conversion::order_symbols() {
    short slots[MAX_SYMBOLS], keys[MAX_SYMBOLS], n = 0;
    for (short i = 1; i <= measure->total() && n < MAX_SYMBOLS; i++)
        if (CSymbol* s = measure->get_symbol_item(i)) {
            slots[n] = i;
            keys[n++] = s->get_local_param(pal ? pal->get_definition(s->tool_id) : nullptr, 1);
        }
    for (short i = 0; i + 1 < n; i++)
        for (short j = (short)(i + 1); j < n; j++)
            if (keys[j] < keys[i]) {
                CDataObject* a = measure->get_item(slots[i]);
                CDataObject* b = measure->get_item(slots[j]);
                measure->set_item(slots[i], b);
                measure->set_item(slots[j], a);
                std::swap(keys[i], keys[j]);
            }
}

void Conversion::grow_free_measure() {
    if (B < 1) return;
    measure->tot_beat = (short)std::max<int32_t>(1, (greatest_end + B - 1) / B);
    measure->length = (int32_t)B * measure->tot_beat;
    if (d->sub_doc && d->cur_sub_doc >= 1 && d->cur_sub_doc <= d->tot_sub_doc)
        if (CChordProgression* prog = d->sub_doc[d->cur_sub_doc].chprog) prog->update();
}

}  // namespace

void conversion_graphique_midi(short m, short p, short timing) {
    CMeasure* measure = doc ? mesure_maitre(doc, m, p) : nullptr;
    if (!measure || (measure->flags & 0x02)) return;
    measure->change_mes_flags(0x02, 0);
    Conversion c(doc, measure, m, p);
    c.prepare();
    if (timing) c.timing();
    c.pitches();
    c.order_symbols();
    if (timing && c.free_length()) c.grow_free_measure();
}
