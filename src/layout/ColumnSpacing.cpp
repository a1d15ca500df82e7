// Horizontal spacing of a column: the time grid, the room each event needs before and after
// it, the grid positions that give every voice its room, the scaling to the measure's width
// and the x of every note and rest.
#include <algorithm>
#include <cstdlib>

#include "layout/ColumnJustifier.h"
#include "framework/CUserPanel.h"
#include "framework/VectorDrawing.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"

namespace {

short value_index(short rythm) { return std::min<short>(8, std::max<short>(0, rythm)); }

void raise(short& slot, short value) {
    if (slot < value) slot = value;
}

}  // namespace

GridEvent ColumnJustifier::event_at(CMeasure* mes, short i) {
    GridEvent e;
    e.item = i;
    if (CNote* n = mes->get_note_item(i)) {
        e.note = n;
        e.x = n->x, e.y = n->y, e.start = n->start, e.length = n->length;
        e.rythm = n->rythm, e.point = n->point, e.dpx = n->dpx, e.voice = n->voice;
        e.nmask = n->nmask, e.sid = n->sid;
    } else if (CRest* r = mes->get_rest_item(i)) {
        e.rest = r;
        e.x = r->x, e.y = r->y, e.start = r->start, e.length = r->length;
        e.rythm = r->rythm, e.point = r->point, e.dpx = r->dpx, e.voice = r->voice;
        e.nmask = r->nmask, e.sid = r->sid;
    }
    return e;
}

std::vector<GridEvent> ColumnJustifier::voice_events(CMeasure* mes, short voice) {
    std::vector<GridEvent> events;
    for (short i = 1; i <= mes->total() && events.size() < (size_t)MAX_EVENTS; i++) {
        GridEvent e = event_at(mes, i);
        if ((e.note || e.rest) && e.voice == voice) events.push_back(e);
    }
    return events;
}

short ColumnJustifier::voice_count(CMeasure* mes) {
    short count = 0;
    for (short i = 1; i <= mes->total(); i++) {
        GridEvent e = event_at(mes, i);
        if ((e.note || e.rest) && e.voice < 9 && e.voice > count) count = e.voice;
    }
    return count;
}

void ColumnJustifier::read_reference() {
    CMeasure* ref = measure(p);
    entete = ref->front;
    ml = old_ml = (short)(ref->width - ref->front);
    length = (short)ref->length;
    length_beat = ref->length_beat;
    tot_beat = ref->tot_beat;
    end_bar = ref->end_bar;
}

short ColumnJustifier::grid_unit(short length) {
    short step = 5;
    while (length / step > 256) step = (short)(step + 5);
    return step;
}

void ColumnJustifier::make_grid() {
    unit = grid_unit(length);
    // A length of 0 or one beyond 16 bits still gets one grid column.
    tot_unit = (short)std::max(1, length / unit);
    switch (end_bar) {
        case 1: bar_room = 0; break;
        case 4: bar_room = 5; break;
        case 5: bar_room = 8; break;
        default: bar_room = end_bar;
    }
}

short ColumnJustifier::column(int32_t start) const {
    return (short)std::max<int32_t>(1, start / unit + 1);
}

void ColumnJustifier::room_by_value() {
    short r = -1;
    for (short i = 1; i <= staves; i++) {
        CMeasure* mes = measure(i);
        if (!treated(i) || !mes || mes->one_pause_measure()) continue;
        for (short k = 1; k <= mes->total(); k++) {
            GridEvent e = event_at(mes, k);
            if ((e.note || e.rest) && e.rythm > r) r = e.rythm;
        }
    }
    rooms_by_value(r < 0 ? 8 : value_index(r), d->justi_rapport, tax);
    for (short n = 0; n <= 8; n++) tbx[n] = 2;
}

void ColumnJustifier::rooms_by_value(short shortest, short ratio, short* tax) {
    // The ratio is kept where the rooms neither divide by zero nor leave 16 bits.
    int32_t kept = std::min<short>(200, std::max<short>(50, ratio));
    short r = value_index(shortest);
    tax[r] = 6;
    for (short n = (short)(r + 1); n <= 8; n++) tax[n] = (short)(tax[n - 1] * 100 / kept);
    for (short n = (short)(r - 1); n >= 0; n--) tax[n] = (short)(tax[n + 1] * kept / 100);
    for (short n = 0; n <= 4; n++) tax[n] = (short)(tax[n] * 1.5);
}

std::vector<ClefChange> ColumnJustifier::clef_changes(CMeasure* mes) {
    std::vector<ClefChange> clefs;
    for (short i = 1; i <= mes->total() && clefs.size() < (size_t)MAX_CLEFS; i++) {
        CClef* c = mes->get_clef_item(i);
        if (!c || c->type == 1) continue;
        short tc = (short)(tot_unit + 1), nearest = 32767;
        for (short k = 1; k <= mes->total(); k++) {
            GridEvent e = event_at(mes, k);
            if ((e.note || e.rest) && e.x > c->x && e.x < nearest) {
                nearest = e.x;
                tc = column(e.start);
            }
        }
        clefs.push_back({c, tc});
    }
    return clefs;
}

void ColumnJustifier::margins(CMeasure* mes, const std::vector<ClefChange>& clefs) {
    short voices = std::min(voice_count(mes), MAX_VOICES);
    for (short v = 1; v <= voices; v++) {
        std::vector<GridEvent> events = voice_events(mes, v);
        if (events.empty()) continue;
        int32_t filled = 0;
        for (size_t i = 0; i < events.size(); i++)
            if (i == 0 || events[i].start != events[i - 1].start) filled += events[i].length;
        fullest = std::max(fullest, filled);
        after.emplace_back();
        before.emplace_back();
        GridTable& a_t = after.back();
        GridTable& b_t = before.back();
        a_t.fill(0);
        b_t.fill(0);
        a_t[tot_unit] = bar_room;
        for (const GridEvent& e : events) {
            short a = 0, b = 0;
            event_room(mes, e, &a, &b);
            short k = column(e.start);
            if (k > tot_unit) continue;
            raise(a_t[k], a);
            raise(b_t[k], b);
        }
        short q = (short)(d->justi_clef * 12 / 100);
        for (const ClefChange& c : clefs) {
            short k = (short)std::max(1, c.tc - 1);
            raise(a_t[k], q);
            raise(b_t[k], q);
        }
        if (d->justi_liga) beam_voice(mes, v, events);
    }
}

void ColumnJustifier::event_room(CMeasure* mes, const GridEvent& e, short* a, short* b) {
    short r = value_index(e.rythm);
    if (e.point) *a = (short)(*a + e.dpx + 2 + 4 * e.point);
    if (e.rest) {
        *b = (short)(*b + tbx[r]);
        *a = (short)(*a + tax[r]);
        return;
    }
    CNote* n = e.note;
    if (n->alt) {
        short q = n->alt == 1 ? 12 : 10;
        *b = (short)((short)(std::abs(*b - n->dax + q) * d->justi_alt_acc) / 100);
    }
    if (n->lid) {
        for (short i = 1; i <= mes->total(); i++) {
            CLyrics* l = mes->get_lyrics_item(i);
            if (!l || l->lid != n->lid) continue;
            CUserPanel scratch(nullptr);
            CUserPanel* panel = up ? up : &scratch;
            short w = 0;
            for (short v = 0; v < CLyrics::VERSES; v++) {
                if (d->cha_font[v]) panel->set_font(d->cha_font[v], 1.0f);
                w = std::max(w, panel->string_width_ascii(l->text[v].get()));
            }
            short h = (short)((short)((w + 15) / 2 * d->justi_symboles) / 100);
            raise(*a, h);
            raise(*b, h);
            break;
        }
    }
    if (n->sid) symbol_room(mes, e, a, b);
    *b = (short)(*b + tbx[r]);
    *a = (short)(*a + tax[r]);
    if (n->dir != 0 && n->cid != 0) {
        for (short i = 1; i <= mes->total(); i++) {
            CNote* o = mes->get_note_item(i);
            if (!o || o == n || o->cid != n->cid) continue;
            if (o->y == n->y - 3 || o->y == n->y + 3 || o->x != n->x) {
                *b = (short)(*b + 6);
                break;
            }
        }
    }
}

void ColumnJustifier::symbol_room(CMeasure* mes, const GridEvent& e, short* a, short* b) {
    for (short i = 1; i <= mes->total(); i++) {
        CSymbol* s = mes->get_symbol_item(i);
        if (!s || s->note_id != e.sid || !pal) continue;
        Definition* def = pal->get_definition(s->tool_id);
        if (!def || !(def->options & (short)0x8000)) continue;
        short x1 = s->get_local_param(def, 1), x2;
        if (def->type == 1 && def->gr) {
            x2 = (short)(x1 + static_cast<short*>(def->gr)[1]);
        } else if (def->type == 2 && def->gr) {
            Vect_dessin* v = static_cast<Vect_dessin*>(def->gr);
            short w = s->get_local_param(def, 3);
            short lx = v->x1, ly = v->y1, rx = v->x2, ry = v->y2;
            transformer_point(&lx, &ly, v->x2, v->y2, v->ox, v->oy, w, 100, 0, 0);
            transformer_point(&rx, &ry, v->x2, v->y2, v->ox, v->oy, w, 100, 0, 0);
            x1 = (short)(lx + (short)(x1 - v->ox));
            x2 = (short)(rx + x1);
        } else if (def->type == 3) {
            x1 = (short)(x1 + s->get_local_param(def, 7));
            x2 = (short)(x1 + s->get_local_param(def, 11));
        } else {
            continue;
        }
        short X = e.x, ra, rb;
        if (x2 > X) {
            ra = (short)(x2 - X);
            rb = x1 < X ? (short)(X - x1) : 0;
        } else {
            ra = 0;
            rb = (short)(X - x1);
        }
        raise(*a, (short)((short)(ra * d->justi_symboles) / 50));
        raise(*b, (short)((short)(rb * d->justi_symboles) / 50));
    }
}

void ColumnJustifier::merge() {
    size_t tables = after.size();
    B.fill(0);
    A.fill(0);
    xtab.fill(0);
    for (size_t t = 0; t < tables; t++) raise(B[1], before[t][1]);
    xtab[1] = B[1];
    // The latest column before u where each voice table needs room after its event.
    std::vector<short> last(tables, 0);
    for (short u = 2; u <= tot_unit; u++) {
        xtab[u] = xtab[u - 1];
        for (size_t t = 0; t < tables; t++) {
            if (after[t][u - 1] != 0) last[t] = (short)(u - 1);
            if (before[t][u] != 0 && last[t] != 0)
                raise(xtab[u], (short)(xtab[last[t]] + after[t][last[t]] + before[t][u]));
        }
    }
    for (short u = 2; u <= tot_unit; u++)
        if (xtab[u] == 0) xtab[u] = xtab[u - 1];
    for (short u = 2; u <= tot_unit; u++) B[u] = (short)(xtab[u] - xtab[u - 1]);
    A[tot_unit] = (short)(bar_room + 4);
    // An incomplete measure gets 10 more per missing beat.
    for (int32_t filled = fullest; length_beat > 0 && filled < length - 15; filled += length_beat)
        A[tot_unit] = (short)(A[tot_unit] + 10);
    after.clear();
    before.clear();
}

void ColumnJustifier::scale() {
    auto sum = [this] {
        int32_t s = 6;
        for (short u = 1; u <= tot_unit; u++) s += A[u] + B[u];
        return std::max(1, s);  // a negative content width can leave nothing to divide by
    };
    int32_t S = sum();
    if (wid == 0)
        f = (float)ml / S;
    else
        f = S < 20 ? d->fact_just * (20.0f / S) / 100 : d->fact_just / 100.0f;
    for (short u = 1; u <= tot_unit; u++) {
        A[u] = (short)(A[u] * f);
        if (u >= 2) B[u] = (short)(B[u] * f);
    }
    raise(A[tot_unit], bar_room);
    if (all == 0 && staves > 1) wid = 0;
    S = sum();
    if (wid == 0) {
        f = (float)ml / S;
    } else {
        int32_t base = S < 20 ? 20 : S;
        float f0 = S < 20 ? 20.0f / S : 1.0f;
        f = d->fact_just * f0 / 100;
        ml = (short)(base * d->fact_just / 100);
    }
    prefix[1] = 0;
    for (short k = 1; k <= tot_unit; k++) prefix[k + 1] = (short)(prefix[k] + B[k] + A[k]);
}

void ColumnJustifier::place_voice(CMeasure* mes, std::vector<GridEvent>& events) {
    bool whole_rest = events.size() == 1 && events[0].rest && events[0].rythm == 1;
    for (GridEvent& e : events) {
        short k = std::min(column(e.start), tot_unit), x;
        if (whole_rest) {
            x = (short)(ml / 2 - 4);
        } else {
            x = (short)(prefix[k] + B[k]);
            if (k > 1) x = (short)(x * f);
        }
        if (d->justi_dec_voix) {
            for (short i = 1; i <= mes->total(); i++) {
                CNote* o = mes->get_note_item(i);
                if (o && o->voice != e.voice && o->y + 3 == e.y && column(o->start) == k) {
                    x = (short)(x + d->justi_dec_voix);
                    break;
                }
            }
        }
        x = (short)(x + entete);
        if (e.note)
            e.note->x = x;
        else
            e.rest->x = x;
        if (!e.sid) continue;
        short height = 0, dir = 0, old_x = e.x;
        if (CNote* n = e.note) {
            height = n->height;
            dir = n->dir;
            if (n->cid != 0 && n->dir == 0)
                for (const GridEvent& o : events)
                    if (o.note && o.note->cid == n->cid && (o.y == e.y - 3 || o.y == e.y + 3)) {
                        old_x = (short)(old_x - 6);
                        break;
                    }
        }
        deplacer_symbole(e.sid, mes, old_x, e.y, height, dir, e.item, 0, 0, nullptr, nullptr);
    }
}
