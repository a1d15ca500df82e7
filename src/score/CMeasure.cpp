#include "score/CMeasure.h"

#include <cstdlib>
#include <vector>

#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"

CMeasure::~CMeasure() {
    for (short i = 1; i <= tab.total(); i++) delete get_item(i);
}

CDataObject* CMeasure::duplicate() {
    CMeasure* copy = new CMeasure;
    copy->width = width;
    copy->start_bar = start_bar;
    copy->end_bar = end_bar;
    copy->x = x;
    copy->y = y;
    copy->ext_start_bar = ext_start_bar;
    copy->ext_end_bar = ext_end_bar;
    copy->px = px;
    copy->py = py;
    copy->length = length;
    copy->front = front;
    copy->flags = flags;
    copy->tot_beat = tot_beat;
    copy->length_beat = length_beat;
    copy->first_event = first_event;
    copy->tot_event = tot_event;
    copy->lines = lines;
    copy->pw = pw;
    copy->number = number;
    copy->meas = meas;
    copy->extended = extended;
    copy->id = id;
    return copy;
}

// Positions start at 1: the list's spare slot 0 never holds an item, so that every item
// stored is one the measure finds again and deletes.
CDataObject* CMeasure::get_item(short i) { return i >= 1 ? (CDataObject*)tab.get(i) : nullptr; }

void CMeasure::set_item(short i, CDataObject* o) {
    if (i >= 1) tab.set((intptr_t)o, i);
}

void CMeasure::add(CDataObject* o) { tab.add((intptr_t)o); }

// A position before the first inserts at the front.
void CMeasure::insert(CDataObject* o, short i) { tab.insert((intptr_t)o, i < 1 ? (short)1 : i); }

void CMeasure::remove(short i) {
    if (i >= 1 && i <= tab.total()) tab.remove(i);
}

void CMeasure::change_mes_flags(short set, short clear) { flags = (short)((flags | set) & ~clear); }

CBeams* CMeasure::get_groupe(short gid) {
    for (short i = 1; i <= total(); i++) {
        CBeams* b = get_beams_item(i);
        if (b && b->gid == gid) return b;
    }
    return nullptr;
}

short CMeasure::one_pause_measure() {
    short rests = 0;
    for (short i = 1; i <= total(); i++) {
        if (get_note_item(i)) return 0;
        CRest* r = get_rest_item(i);
        if (r && (++rests > 1 || r->rythm != 1)) return 0;
    }
    return 1;
}

short CMeasure::nouvel_id_paroles() {
    short largest = 0;
    for (short i = 1; i <= total(); i++) {
        CLyrics* l = get_lyrics_item(i);
        CNote* n = get_note_item(i);
        short lid = l ? l->lid : n ? n->lid : 0;
        if (lid > largest) largest = lid;
    }
    return (short)(largest + 1);
}

void CMeasure::start_edit() {
    for (short i = 1; i <= total(); i++) {
        CNote* n = get_note_item(i);
        if (n && n->rec_start != 32000) n->rec_start = (short)(n->rec_start - n->start);
    }
}

void CMeasure::stop_edit() {
    for (short i = 1; i <= total(); i++) {
        CNote* n = get_note_item(i);
        if (n && n->rec_start != 32000) n->rec_start = (short)(n->rec_start + n->start);
    }
}

short CMeasure::permettre_ajout_voix(short voice, short duration, short signal) {
    int32_t sum = 0;
    std::vector<short> chords;
    for (short i = 1; i <= total(); i++) {
        CNote* n = get_note_item(i);
        CRest* r = get_rest_item(i);
        if (n && n->voice == voice) {
            if (n->cid != 0) {
                bool seen = false;
                for (short c : chords) seen = seen || c == n->cid;
                if (seen) continue;
                chords.push_back(n->cid);
            }
            sum += n->length;
        } else if (r && r->voice == voice) {
            sum += r->length;
        }
    }
    if (duration + sum <= length) return 1;
    if (signal) beep();
    return 0;
}

short CMeasure::position_from_time(int32_t time, short column) {
    if (time < 0) time = 0;
    if (time > length) time = length;
    std::vector<CMeasure*> sources;
    if (column == 0) {
        sources.push_back(this);
    } else if (doc && doc->sys && doc->sys[1]) {
        for (short p = 1; p <= doc->sys[1]->tot_por; p++) {
            CMeasure* m = mesure_maitre(doc, column, p);
            if (m) sources.push_back(m);
        }
    }
    bool have_after = false, have_before = false;
    int32_t after_x = width, after_t = length, before_x = front, before_t = 0;
    for (CMeasure* m : sources) {
        for (short i = 1; i <= m->total(); i++) {
            CNote* n = m->get_note_item(i);
            if (!n) continue;
            int32_t pos = n->x + 3;
            if (n->start >= time && (!have_after || pos < after_x)) {
                have_after = true;
                after_x = pos;
                after_t = n->start;
            }
            if (n->start <= time && (!have_before || pos > before_x)) {
                have_before = true;
                before_x = pos;
                before_t = n->start;
            }
        }
    }
    if (after_t == before_t) return (short)before_x;
    return (short)(before_x + (after_x - before_x) * (time - before_t) / (after_t - before_t));
}

void CMeasure::shift_entry(short dx) {
    change_mes_flags(0, 0x40);
    for (short i = 1; i <= total(); i++) {
        CDataObject* o = get_item(i);
        if (CNote* n = object_as<CNote>(o)) {
            short old_x = n->x;
            n->x = (short)(n->x + dx);
            if (n->sid)
                deplacer_symbole(n->sid, this, old_x, n->y, n->height, n->dir, i, 0, 0, nullptr, nullptr);
        } else if (CRest* r = object_as<CRest>(o)) {
            short old_x = r->x;
            r->x = (short)(r->x + dx);
            if (r->sid) deplacer_symbole(r->sid, this, old_x, r->y, 0, 0, i, 0, 0, nullptr, nullptr);
        } else if (CSymbol* s = object_as<CSymbol>(o)) {
            Definition* def = pal ? pal->get_definition(s->tool_id) : nullptr;
            if (s->note_id == 0 && def && def->pos_hor != 1)
                s->set_local_param(1, (short)(s->get_local_param(def, 1) + dx));
        } else if (CClef* c = object_as<CClef>(o)) {
            c->x = (short)(c->x + dx);
        } else if (CTimeSig* t = object_as<CTimeSig>(o)) {
            t->x = (short)(t->x + dx);
        } else if (CNolet* nl = object_as<CNolet>(o)) {
            nl->x = (short)(nl->x + dx);
        } else if (CTextBloc* tb = object_as<CTextBloc>(o)) {
            tb->x = (short)(tb->x + dx);
        } else if (CKeySig* k = object_as<CKeySig>(o)) {
            for (short j = 1; j <= k->total(); j++) k->x.set((short)(k->x.get(j) + dx), j);
        }
    }
}

void CMeasure::sort_slots(short* slots, short* keys, short n) {
    for (short pass = 1; pass < n; pass++) {
        bool exchanged = false;
        for (short j = 0; j + 1 < n; j++) {
            if (keys[j + 1] >= keys[j]) continue;
            short k = keys[j];
            keys[j] = keys[j + 1];
            keys[j + 1] = k;
            CDataObject* a = get_item(slots[j]);
            set_item(slots[j], get_item(slots[j + 1]));
            set_item(slots[j + 1], a);
            exchanged = true;
        }
        if (!exchanged) break;
    }
}

constexpr short SORT_LIMIT = 100;

void CMeasure::sort_notes_rests() {
    short slots[SORT_LIMIT], keys[SORT_LIMIT], n = 0;
    for (short i = 1; i <= total() && n < SORT_LIMIT; i++) {
        CNote* note = get_note_item(i);
        CRest* rest = get_rest_item(i);
        if (!note && !rest) continue;
        slots[n] = i;
        keys[n++] = note ? note->x : rest->x;
    }
    sort_slots(slots, keys, n);
}

short* CMeasure::attached_x(short sid) {
    for (short j = 1; j <= total(); j++) {
        CNote* note = get_note_item(j);
        CRest* rest = get_rest_item(j);
        if (note && note->sid == sid) return &note->x;
        if (rest && rest->sid == sid) return &rest->x;
    }
    return nullptr;
}

void CMeasure::sort_symbols() {
    short slots[SORT_LIMIT], keys[SORT_LIMIT], n = 0;
    for (short i = 1; i <= total() && n < SORT_LIMIT; i++) {
        CSymbol* s = get_symbol_item(i);
        if (!s) continue;
        short* key = s->note_id != 0 ? attached_x(s->note_id) : nullptr;
        // A free symbol, or one whose note is not in the measure, goes by its own x.
        slots[n] = i;
        keys[n++] = key ? *key
                        : s->get_local_param(pal ? pal->get_definition(s->tool_id) : nullptr, 1);
    }
    sort_slots(slots, keys, n);
}

// ---- Tuplet bits --------------------------------------------------------------------------

namespace {
// The fields that notes and rests share, seen through one view.
struct Timed {
    short* x;
    short* y;
    short* voice;
    short* nmask;
    short rythm;
};

bool timed_view(CDataObject* o, Timed* t) {
    if (CNote* n = object_as<CNote>(o)) {
        *t = {&n->x, &n->y, &n->voice, &n->nmask, n->rythm};
        return true;
    }
    if (CRest* r = object_as<CRest>(o)) {
        *t = {&r->x, &r->y, &r->voice, &r->nmask, r->rythm};
        return true;
    }
    return false;
}

// Ticks of a value code; 0 for a code that stands for no value.
int32_t value_ticks(short rythm) { return (rythm >= 0 && rythm <= 11) ? 3840 >> rythm : 0; }
}  // namespace

short CMeasure::next_nolet_mask() {
    short used = 0;
    for (short i = 1; i <= total(); i++)
        if (CNolet* t = get_nolet_item(i)) used |= t->mask;
    for (short k = 0; k < 16; k++)
        if (!(used & (1 << k))) return (short)(1 << k);
    return 0;
}

void CMeasure::remove_nolet_mask(short bits) {
    Timed t;
    for (short i = 1; i <= total(); i++)
        if (timed_view(get_item(i), &t)) *t.nmask &= ~bits;
}

short CMeasure::find_nolet_voice(CNolet* tuplet) {
    Timed t;
    for (short i = 1; i <= total(); i++)
        if (timed_view(get_item(i), &t) && (*t.nmask & tuplet->mask) && *t.voice != 0) return *t.voice;
    return 0;
}

void CMeasure::analyse_nolet_item(CDataObject* item) {
    Timed it;
    if (!timed_view(item, &it)) return;
    short entry_voice = *it.voice;
    *it.nmask = 0;
    for (short i = 1; i <= total(); i++) {
        CNolet* t = get_nolet_item(i);
        if (!t || *it.x < t->x - 3 || *it.x > t->x + t->dx1 + 3) continue;
        short v = find_nolet_voice(t);
        if (entry_voice == 0 && v != 0) {
            int32_t duration = value_ticks(it.rythm);
            if (t->n1 != 0) duration = duration * t->n2 / t->n1;
            if (permettre_ajout_voix(v, (short)duration, 0)) {
                *it.nmask |= t->mask;
                *it.voice = v;
            }
        }
        if (entry_voice == v) *it.nmask |= t->mask;
    }
}

void CMeasure::analyse_nolet_mask(CNolet* tuplet, short voice) {
    Timed t;
    if (voice == 0) {
        int best = -1;
        for (short i = 1; i <= total(); i++) {
            CDataObject* o = get_item(i);
            if (!timed_view(o, &t)) continue;
            short left = (short)(tuplet->x - (o->uid == KIND_REST ? 5 : 3));
            if (*t.x < left || *t.x > tuplet->x + 10) continue;
            int distance = std::abs(*t.y - tuplet->y);
            if (best < 0 || distance < best) {
                best = distance;
                voice = *t.voice;
            }
        }
    }
    remove_nolet_mask(tuplet->mask);
    for (short i = 1; i <= total(); i++) {
        if (!timed_view(get_item(i), &t)) continue;
        if (*t.x >= tuplet->x - 2 && *t.x <= tuplet->x + tuplet->dx1 + 2 && *t.voice == voice)
            *t.nmask |= tuplet->mask;
    }
}

namespace {
// One end of a tuplet bracket: the note or rest it stands on.
struct BracketEnd {
    short x, y, height, dir, cid;
};

BracketEnd end_of(CDataObject* o) {
    if (CNote* n = object_as<CNote>(o)) return {n->x, n->y, n->height, n->dir, n->cid};
    CRest* r = object_as<CRest>(o);
    return {r->x, r->y, 20, 0, 0};
}

// Whether a note continues the chord that an end stands on, with a stem of its own.
bool same_chord(const BracketEnd& end, CDataObject* o) {
    CNote* n = object_as<CNote>(o);
    return n && n->cid != 0 && n->cid == end.cid && n->height != 0;
}
}  // namespace

void CMeasure::adjust_nolet(CNolet* tuplet, short place) {
    BracketEnd left = {(short)(width + front), 0, 0, 0, 0}, right = {0, 0, 0, 0, 0};
    bool found = false;
    Timed t;
    for (short i = 1; i <= total(); i++) {
        CDataObject* o = get_item(i);
        if (!timed_view(o, &t) || !(*t.nmask & tuplet->mask)) continue;
        found = true;
        if (*t.x < left.x || same_chord(left, o)) left = end_of(o);
        if (*t.x > right.x || same_chord(right, o)) right = end_of(o);
    }
    tuplet->x = (short)(left.x + 2);
    tuplet->dx1 = (short)(right.x - left.x + 4);
    tuplet->dx2 = (short)(tuplet->dx1 / 2);
    if (!place || !found) return;
    if (left.height == 0) left.height = 20;
    if (right.height == 0) right.height = 20;
    short yL = left.y, hL = left.height, dL = left.dir;
    short yR = right.y, hR = right.height, dR = right.dir;
    if ((tuplet->dir & 0x0F) == 1) {
        if (dL == 0) {
            tuplet->y = (short)(yL + 10);
            tuplet->dy1 = (short)(dR == 0 ? yR - yL : yR + hR - 3 - yL);
        } else {
            tuplet->y = (short)(yL + hL + 7);
            tuplet->dy1 = (short)(dR == dL ? yR + hR - yL - hL : yR + 3 - yL - hL);
        }
    } else if (dL == 0) {
        tuplet->y = (short)(yL - 10 - hL);
        tuplet->dy1 = (short)(dR == 0 ? yR - hR - yL + hL : yR - yL + hL);
    } else {
        tuplet->y = (short)(yL - 12);
        tuplet->dy1 = (short)(dR == dL ? yR - yL : yR - hR - yL);
    }
}
