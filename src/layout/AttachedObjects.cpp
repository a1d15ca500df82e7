// Placement of one staff's measure after the column was spaced: its notes and rests, then
// what depends on them: chords, clef changes, the step-entry cursor, tuplets, stretched
// symbols, text blocks, free symbols, lyrics and chord symbols.
#include <algorithm>
#include <cstdlib>

#include "layout/ColumnJustifier.h"
#include "layout/MeasureScaling.h"
#include "layout/UtilitairesGroupesAccords.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"

namespace {

// Width of a stretchable symbol's graphic, before its horizontal size in percent.
short graphic_width(CSymbol* s, Definition* def) {
    if (def->type == 1) return def->gr ? static_cast<short*>(def->gr)[1] : 0;
    if (def->type == 2) {
        Vect_dessin* v = static_cast<Vect_dessin*>(def->gr);
        return v ? (short)(v->x2 - v->x1) : 0;
    }
    return (short)(s->get_local_param(def, 11) - s->get_local_param(def, 7));
}

bool stretchable(const Definition* def) { return (def->options & 0x14) || def->type == 3; }

}  // namespace

short ColumnJustifier::rescale(short value) const {
    return old_ml == 0 ? value : (short)((int32_t)ml * value / old_ml);
}

short ColumnJustifier::follow_width(short x) const {
    return old_ml == 0 ? x : (short)(rescale((short)(x - entete)) + entete);
}

void ColumnJustifier::place_staff(short staff) {
    CMeasure* mes = measure(staff);
    short voices = 0;
    bool any_event = false;
    std::vector<TupletAnchors> tuplets;
    std::vector<ClefChange> clefs;
    std::vector<StretchSymbol> symbols;
    for (short i = 1; i <= mes->total(); i++) {
        GridEvent e = event_at(mes, i);
        if (e.note || e.rest) {
            any_event = true;
            if (e.voice < 9) voices = std::max(voices, e.voice);
            if (staff == p && cursor_here && e.x < d->curseur_x && d->curseur_x - e.x < cursor_dist) {
                cursor_item = i;
                cursor_dist = (short)(d->curseur_x - e.x);
            }
        } else if (CNolet* t = mes->get_nolet_item(i)) {
            if (tuplets.size() < (size_t)MAX_TUPLETS) tuplets.push_back({t});
        } else if (CTextBloc* tb = mes->get_textbloc_item(i)) {
            if (tb->x > 0) tb->x = follow_width(tb->x);
        } else if (CClef* c = mes->get_clef_item(i)) {
            if (c->type != 1 && clefs.size() < (size_t)MAX_CLEFS)
                clefs.push_back({c, (short)(tot_unit + 1)});
        } else if (CSymbol* s = mes->get_symbol_item(i)) {
            Definition* def = pal ? pal->get_definition(s->tool_id) : nullptr;
            if (!def) continue;
            if (stretchable(def)) {
                if (symbols.size() >= (size_t)MAX_SYMBOLS) continue;
                short w = (short)(graphic_width(s, def) * s->get_local_param(def, 3) / 100);
                StretchSymbol rec{s};
                if (def->pos_hor == 3 && s->note_id != 0) {
                    for (short k = 1; k <= mes->total() && !rec.anchor1; k++) {
                        GridEvent a = event_at(mes, k);
                        if ((a.note || a.rest) && a.sid == s->note_id) rec.anchor1 = k;
                    }
                    if (rec.anchor1) {
                        short x1 = event_at(mes, rec.anchor1).x, x2 = (short)(x1 + w);
                        int32_t best = 0x7FFFFFFF;
                        for (short k = 1; k <= mes->total(); k++) {
                            GridEvent b = event_at(mes, k);
                            if (!(b.note || b.rest) || k == rec.anchor1) continue;
                            if (std::abs(b.x - x2) < best) {
                                best = std::abs(b.x - x2);
                                rec.anchor2 = k;
                            }
                        }
                        if (rec.anchor2)
                            rec.dn = (short)std::max(0, event_at(mes, rec.anchor2).x - x1);
                    }
                }
                symbols.push_back(rec);
            }
            short p1 = s->get_local_param(def, 1);
            if (s->note_id == 0 && p1 > 0) s->set_local_param(1, follow_width(p1));
        }
    }
    for (ClefChange& c : clefs) {
        short nearest = 32767;
        for (short k = 1; k <= mes->total(); k++) {
            GridEvent e = event_at(mes, k);
            if ((e.note || e.rest) && e.x > c.clef->x && e.x < nearest) {
                nearest = e.x;
                c.tc = column(e.start);
            }
        }
    }
    for (short v = 1; v <= voices; v++) {
        std::vector<GridEvent> events = voice_events(mes, v);
        for (const GridEvent& e : events)
            for (TupletAnchors& t : tuplets) {
                if (!(t.tuplet->mask & e.nmask)) continue;
                int32_t to_first = std::abs(e.x - (t.tuplet->x - 4));
                int32_t to_last = std::abs(e.x - (t.tuplet->x - 4 + t.tuplet->dx1));
                if (to_first < t.first_dist) t.first_dist = to_first, t.first = e.item;
                if (to_last < t.last_dist) t.last_dist = to_last, t.last = e.item;
            }
        place_voice(mes, events);
    }
    lay_out_chords(mes);
    place_clefs(clefs, any_event);
    if (staff == p && cursor_here && cursor_item) place_cursor(mes);
    place_tuplets(mes, tuplets);
    lay_out_chords(mes);
    stretch_symbols(mes, symbols);
    ajuster_paroles(m, staff);
    for (short i = 1; i <= mes->total(); i++)
        if (CChordUse* c = mes->get_chorduse_item(i)) c->x = mes->position_from_time(c->offset, 0);
}

void ColumnJustifier::lay_out_chords(CMeasure* mes) {
    for (short i = 1; i <= mes->total(); i++)
        if (CNote* n = mes->get_note_item(i))
            if (n->cid != 0) calcul_accord(mes, &n->cid, 1.0f);
}

void ColumnJustifier::place_clefs(std::vector<ClefChange>& clefs, bool any_event) {
    if (!any_event) return;
    short J = d->justi_clef;
    for (ClefChange& c : clefs) {
        short x0;
        switch (c.clef->id) {
            case 2:
            case 3: x0 = (short)(J * 12 / 100 - 8 + J * 8 / 100); break;
            case 1:
            case 7: x0 = (short)(J * 13 / 100 - 8 + J * 2 / 100 + 5); break;
            case 0: x0 = (short)(J * 9 / 100 - 1); break;
            default: x0 = (short)(J * 9 / 100 - 1 + J * 6 / 100 - 2);
        }
        short k = (short)std::max(1, c.tc - 1);
        short x = (short)(x0 + prefix[k]);
        c.clef->x = (short)((short)(x * f) + entete);
    }
}

void ColumnJustifier::place_cursor(CMeasure* mes) {
    GridEvent e = event_at(mes, cursor_item);
    d->curseur_x = (short)std::min(e.x + cursor_dist, mes->width - 2);
    Portee* first = d->por[d->sys[1]->por[1]];
    if (e.start + e.length <= length - 5 || m >= first->tot_mes) return;
    d->curseur_ma++;
    if (CMeasure* next = mesure_maitre(d, (short)(m + 1), 1)) d->curseur_x = (short)(next->front + 2);
    if (d->cur_pag != 0 || !d->pag || !d->pag[0] || d->pag[0]->tot_sys < 1) return;
    Systeme* line = d->sys[d->pag[0]->sys[1]];
    if (!line || line->tot_por < 1) return;
    short n = d->por[line->por[1]]->tot_mes;
    if (d->curseur_ma >= d->cur_mes + n - 1) d->cur_mes = (short)(d->cur_mes + (n == 2 ? n - 1 : n - 2));
}

void ColumnJustifier::place_tuplets(CMeasure* mes, const std::vector<TupletAnchors>& tuplets) {
    for (const TupletAnchors& t : tuplets) {
        if (!t.first || !t.last) continue;
        mes->adjust_nolet(t.tuplet, d->ajuster_nolet_vertical);
        GridEvent a1 = event_at(mes, t.first), a2 = event_at(mes, t.last);
        auto in_anchor_chord = [&](const GridEvent& e) {
            if (!e.note || e.note->cid == 0) return false;
            return (a1.note && a1.note->cid == e.note->cid) || (a2.note && a2.note->cid == e.note->cid);
        };
        if (a2.start == a1.start) continue;
        for (short i = 1; i <= mes->total(); i++) {
            GridEvent e = event_at(mes, i);
            if (!(e.note || e.rest) || i == t.first || i == t.last || e.voice != a1.voice) continue;
            if (!(e.nmask & t.tuplet->mask) || in_anchor_chord(e)) continue;
            short x = (short)(a1.x + (e.start - a1.start) * (a2.x - a1.x) / (a2.start - a1.start));
            (e.note ? e.note->x : e.rest->x) = x;
            if (e.sid)
                deplacer_symbole(e.sid, mes, e.x, e.y, e.note ? e.note->height : 0,
                                 e.note ? e.note->dir : 0, i, 0, 0, nullptr, nullptr);
        }
    }
}

void ColumnJustifier::stretch_symbols(CMeasure* mes, const std::vector<StretchSymbol>& symbols) {
    for (const StretchSymbol& rec : symbols) {
        Definition* def = pal ? pal->get_definition(rec.symbol->tool_id) : nullptr;
        if (!def) continue;
        short params[2] = {9, 11};
        short count = def->type == 3 ? 2 : 1;
        if (def->type != 3) params[0] = 3;
        bool anchored = rec.anchor1 && rec.anchor2 && rec.dn != 0;
        short span = anchored ? (short)(event_at(mes, rec.anchor2).x - event_at(mes, rec.anchor1).x) : 0;
        for (short k = 0; k < count; k++) {
            short value = rec.symbol->get_local_param(def, params[k]);
            value = anchored ? (short)((int32_t)value * span / rec.dn) : rescale(value);
            rec.symbol->set_local_param(params[k], value);
        }
    }
}
