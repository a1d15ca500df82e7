#include "layout/MeasureScaling.h"

#include <cstdint>

#include "framework/CUserPanel.h"
#include "layout/UtilitairesPartition.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"

namespace {

// The scale from the old content width to the new one, both counted from the front.
struct Scale {
    int32_t front, from, to;
    bool moves(int32_t x) const { return x - front > 0; }
    short position(int32_t x) const {
        return moves(x) ? (short)(to * (x - front) / from + front) : (short)x;
    }
    short length(int32_t w) const { return (short)(w * to / from); }
};

void scale_symbol(CSymbol* s, const Scale& k) {
    Definition* def = pal ? pal->get_definition(s->tool_id) : nullptr;
    if (!def) return;
    if (def->pos_hor != 1 && s->note_id == 0)
        s->set_local_param(1, k.position(s->get_local_param(def, 1)));
    if (def->options & (0x04 | 0x10)) {
        s->set_local_param(3, k.length(s->get_local_param(def, 3)));
    } else if (def->type == 3) {
        s->set_local_param(9, k.length(s->get_local_param(def, 9)));
        s->set_local_param(11, k.length(s->get_local_param(def, 11)));
    }
}

CLyrics* lyrics_with(CMeasure* m, short lid) {
    for (short i = 1; m && i <= m->total(); i++)
        if (CLyrics* l = m->get_lyrics_item(i))
            if (l->lid == lid) return l;
    return nullptr;
}

short text_width(CUserPanel* panel, short verse, CString& text) {
    if (!text.get() || !text.get()[0]) return 0;
    panel->set_font(doc->cha_font[verse], 1.0f);
    return panel->string_width_ascii(text.get());
}

// Where the gap after a syllable ends: the left edge of the next non-empty syllable of the
// verse along the staff, or 4 after the syllable when the line has none.
int32_t next_syllable(CUserPanel* panel, CMeasure* m, short mm, short pp, short lid, short v,
                      int32_t right) {
    short ma = mm, pa = pp;
    int32_t next = right + 4;
    for (short step = 1; step <= 25; step++) {
        const short from_ma = ma, from_lid = lid;
        trouver_paroles_a_droite(&ma, &pa, &lid);
        if (ma == from_ma && lid == from_lid) return right + 4;
        CMeasure* there = mesure_maitre(doc, ma, pa);
        if (!there) return right + 4;
        if (ma != mm && there->y != m->y) return right + 4;
        next = right;
        CLyrics* l = lyrics_with(there, lid);
        if (!l) continue;
        next = l->x - text_width(panel, v, l->text[v]) / 2;
        const char* t = l->text[v].get();
        if (!t || !t[0]) continue;
        if (ma == mm + 1) return next + m->width;
        if (ma > mm + 1) return right + 4;
        return next;
    }
    return next;
}

}  // namespace

void scale_mesure(short mn, short l1, short l2) {
    if (!doc || mn < 1 || mn > doc->max_mes || !doc->mes[mn]) return;
    short ma, pa;
    localiser_mesure(mn, &ma, &pa);
    scale_measure_at(mn, ma, pa, l1, l2);
}

void scale_measure_at(short mn, short ma, short pa, short l1, short l2) {
    if (!doc || mn < 1 || mn > doc->max_mes || !doc->mes[mn]) return;
    CMeasure* m = doc->mes[mn];
    m->change_mes_flags(0, 0x70);
    Scale k{m->front, l1 - m->front, l2 - m->front};
    if (k.to < 0) k.to = 0;
    if (k.from > 0) {
        for (short i = 1; i <= m->total(); i++) {
            CDataObject* o = m->get_item(i);
            if (CSymbol* s = object_as<CSymbol>(o)) {
                scale_symbol(s, k);
            } else if (CNote* n = object_as<CNote>(o)) {
                short old_x = n->x;
                n->x = k.position(n->x);
                if (n->x != old_x && n->sid)
                    deplacer_symbole(n->sid, m, old_x, n->y, n->height, n->dir, i, 0, 0, nullptr, nullptr);
            } else if (CRest* r = object_as<CRest>(o)) {
                short old_x = r->x;
                r->x = k.position(r->x);
                if (r->x != old_x && r->sid)
                    deplacer_symbole(r->sid, m, old_x, r->y, 0, 0, i, 0, 0, nullptr, nullptr);
            } else if (CTimeSig* t = object_as<CTimeSig>(o)) {
                t->x = k.position(t->x);
            } else if (CClef* c = object_as<CClef>(o)) {
                c->x = k.position(c->x);
            } else if (CTextBloc* b = object_as<CTextBloc>(o)) {
                b->x = k.position(b->x);
            } else if (CChordUse* u = object_as<CChordUse>(o)) {
                u->x = k.position(u->x);
            } else if (CKeySig* ks = object_as<CKeySig>(o)) {
                for (short j = 1; j <= ks->x.total(); j++) ks->x.set(k.position(ks->x.get(j)), j);
            } else if (CNolet* t = object_as<CNolet>(o)) {
                const int32_t old_x = t->x;
                const int32_t end1 = old_x + t->dx1, end2 = old_x + t->dx2;
                t->x = k.position(old_x);
                t->dx1 = (short)((k.moves(end1) ? k.position(end1) : end1) - t->x);
                t->dx2 = (short)((k.moves(end2) ? k.position(end2) : end2) - t->x);
            }
        }
    }
    ajuster_paroles(ma, pa);
}

void ajuster_paroles(short mm, short pp) {
    if (!doc) return;
    CMeasure* m = mesure_maitre(doc, mm, pp);
    if (!m) return;
    bool any = false;
    for (short i = 1; i <= m->total(); i++) {
        CLyrics* l = m->get_lyrics_item(i);
        if (!l) continue;
        any = true;
        for (short j = 1; j <= m->total(); j++)
            if (CNote* n = m->get_note_item(j))
                if (n->lid == l->lid) {
                    l->x = (short)(n->x + 3);
                    break;
                }
    }
    if (!any) return;  // no scratch panel for a measure without lyrics
    CUserPanel panel(nullptr);
    for (short i = 1; i <= m->total(); i++) {
        CLyrics* l = m->get_lyrics_item(i);
        if (!l) continue;
        for (short v = 0; v < CLyrics::VERSES; v++) {
            if (l->d[v] == -1) continue;
            const short w = text_width(&panel, v, l->text[v]);
            const int32_t right = l->x + w / 2;
            const int32_t next = next_syllable(&panel, m, mm, pp, l->lid, v, right);
            int32_t room = (next - right) / 2 + w / 2 - 2;
            l->d[v] = (short)(room < 0 ? 0 : room);
        }
    }
}
