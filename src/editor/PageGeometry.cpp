// The places of the measures in the two views and the scroll bars: the linear strip on page 0,
// the refresh of the page shown, the bars' ranges and steps, and bringing a measure into sight.
#include "editor/Editeur.h"
#include "score/MusicClasses.h"
#include "layout/UtilitairesPartition.h"

#include <algorithm>
#include <cstdlib>

#include "editor/EditorLookups.h"
#include "framework/CList.h"
#include "framework/CScroll.h"
#include "framework/CUserPanel.h"
#include "framework/CWindow.h"
#include "layout/UtilitairesGroupesAccords.h"
#include "layout/PageFitting.h"
#include "layout/SystemHeaders.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/Placeholders.h"
#include "score/StructureSlots.h"

namespace {

// While playback runs, the player gets its turn during long layouts.
void pompe() {
    if (editeur_hooks.get_play_but()) jouer_temps_reel();
}

short panel_width(CUserPanel* up) { return up ? up->get_width() : 0; }
short panel_height(CUserPanel* up) { return up ? up->get_height() : 0; }

// The staff records of page 0's systems are freed, then the systems.
void free_strip(Document* d) {
    Page* page0 = d->pag[0];
    for (short k = 1; k <= page0->tot_sys; k++) {
        const short s = page0->sys[k];
        if (!s || s > d->max_sys || !d->sys[s]) continue;
        Systeme* sys = d->sys[s];
        for (short p = 1; p <= sys->tot_por; p++) {
            const short r = sys->por[p];
            if (!r || r > d->max_por || !d->por[r]) continue;
            std::free(d->por[r]);
            d->por[r] = nullptr;
            d->tot_por--;
        }
        std::free(sys);
        d->sys[s] = nullptr;
        d->tot_sys--;
        page0->sys[k] = 0;
    }
    page0->tot_sys = 0;
}

}  // namespace

void Editeur::calculer_groupes_accords(CMeasure* m) {
    if (!(m->flags & 0x20)) {
        m->change_mes_flags(0x20, 0);
        for (short i = 1; i <= m->total(); i++)
            if (CBeams* b = m->get_beams_item(i)) {
                short gid = b->gid;
                calcul_groupe(m, &gid, scalex, scaley, up);
            }
    }
    if (!(m->flags & 0x10)) {
        m->change_mes_flags(0x10, 0);
        short done[20];
        short tot = 0;
        for (short i = 1; i <= m->total(); i++) {
            CNote* n = m->get_note_item(i);
            if (!n || !n->cid) continue;
            if (std::find(done, done + tot, n->cid) != done + tot) continue;
            if (tot < 20) done[tot++] = n->cid;
            short cid = n->cid;
            calcul_accord(m, &cid, staff_scale);
        }
    }
}

void Editeur::calculer_page_0() {
    if (!set_cur_doc(id, sub_id) || !doc || !doc->pag || !doc->pag[0]) return;
    Document* d = doc;
    lin_ok = pag_ok = 0;
    if (d->cur_pag != 0) return;
    Systeme* master = d->sys[1];
    const short n = master ? master->tot_por : 0;
    const short columns = nombre_colonnes();
    free_strip(d);
    if (n < 1 || columns < 1) return;
    if (d->pag[0]->max_sys < 1) {
        Page* bigger = nouveau_page(4);
        std::free(d->pag[0]);
        d->pag[0] = bigger;
    }
    const short strip = nouveau_systeme(d, n);
    if (!strip) return;
    d->pag[0]->sys[1] = strip;
    d->pag[0]->tot_sys = 1;
    d->sys[strip]->tot_por = n;
    d->cur_mes = std::clamp<short>(d->cur_mes, 1, columns);
    first_m = d->cur_mes;

    // The columns that start inside the panel; one at least.
    const short width = panel_width(up);
    int32_t x = d->ins[1].dx;
    short count = 0;
    for (short m = d->cur_mes; m <= columns; m++) {
        if (width <= x * scalex) break;
        CMeasure* measure = mesure_maitre(d, m, 1);
        x += measure->width - (m == d->cur_mes ? 0 : measure->front);
        count++;
    }
    count = std::max<short>(count, 1);
    if (hor) hor->set_steps(1, std::max<short>((short)(count - 1), 2));
    if (hor && count - 1 >= 2) hor->set_steps(1, (short)(count - 1));

    for (short s = 1; s <= n; s++) {
        const short r = nouvelle_portee(d, count);
        if (!r) return;
        Portee* staff = d->por[r];
        Portee* from = d->por[master->por[s]];
        for (short i = 1; i <= count; i++) staff->mes[i] = from->mes[d->cur_mes + i - 1];
        staff->tot_mes = count;
        d->sys[strip]->por[s] = r;
    }
    ajuster_mesures_systeme(strip, d->cur_mes, scalex, scaley, up, nullptr);

    x = d->ins[1].dx;
    for (short i = 1; i <= count; i++) {
        for (short s = 1; s <= n; s++) mesure_systeme(strip, s, i)->x = (short)x;
        x += mesure_systeme(strip, n, i)->width;
    }
    for (short s = 1; s <= n; s++) {
        const Ins& ins = d->ins[s];
        const short gap = s < n ? (short)(d->ins[s + 1].dy - ins.dy) : (short)0;
        for (short i = 1; i <= count; i++) {
            CMeasure* m = mesure_systeme(strip, s, i);
            m->y = ins.dy;
            m->ext_start_bar = (i == 1 || ins.relier) ? gap : (short)0;
            m->ext_end_bar = ins.relier ? gap : (short)0;
        }
        pompe();
    }
    for (short s = 1; s <= n; s++) {
        staff_scale = d->ins[s].staff_size / 100.0f;
        for (short i = 1; i <= count; i++) {
            calculer_groupes_accords(mesure_systeme(strip, s, i));
            pompe();
        }
    }
    staff_scale = 1.0f;
    lin_ok = 1;
}

void Editeur::rafraichir_page() {
    if (!set_cur_doc(id, sub_id) || !doc) return;
    Document* d = doc;
    if (d->cur_pag < 1 || d->cur_pag > d->tot_pag || !d->pag[d->cur_pag]) return;
    Page* page = d->pag[d->cur_pag];
    if (page->tot_sys < 1) {
        pag_ok = 1;
        return;
    }
    short ma = colonne_du_systeme(page->sys[1]);
    for (short k = 1; k <= page->tot_sys; k++) {
        const short s = page->sys[k];
        Systeme* sys = d->sys[s];
        if (!sys || sys->tot_por < 1) continue;
        ajuster_mesures_systeme(s, ma, scalex, scaley, up, nullptr);
        Portee* f = d->por[sys->por[1]];
        short x = d->mes[f->mes[1]]->px;
        for (short p = 1; p <= sys->tot_por; p++)
            if (CMeasure* m = mesure_systeme(s, p, 1)) m->x = x;
        for (short i = 2; i <= f->tot_mes; i++) {
            x = (short)(x + d->mes[f->mes[i - 1]]->width);
            for (short p = 1; p <= sys->tot_por; p++)
                if (CMeasure* m = mesure_systeme(s, p, i)) m->x = m->px = x;
        }
        if (d->sub_doc[sub_id].adjust_horiz)
            adjust_system_horizontally(s, scalex, scaley, up, ma, nullptr, 0);
        ma = (short)(ma + f->tot_mes);
    }

    const short masters = nombre_portees(d);
    short* table = new short[std::max<short>(masters, 1) + 2]();
    for (short k = 1; k <= page->tot_sys; k++) {
        const short s = page->sys[k];
        Systeme* sys = d->sys[s];
        if (!sys) continue;
        table_des_portees(s, table, 0);
        for (short p = 1; p <= sys->tot_por; p++) {
            const short q = table[p];
            const short q_next = p < sys->tot_por ? table[p + 1] : (short)0;
            // Bar lines join toward the next staff shown only when no staff left out between
            // them refuses to join.
            bool joined = q >= 1 && d->ins[q].relier;
            for (short r = (short)(q + 1); joined && r < q_next; r++)
                if (!d->ins[r].relier) joined = false;
            Portee* staff = d->por[sys->por[p]];
            for (short t = 1; staff && t <= staff->tot_mes; t++) {
                CMeasure* m = d->mes[staff->mes[t]];
                m->y = m->py;
                CMeasure* below = p < sys->tot_por ? mesure_systeme(s, (short)(p + 1), t) : nullptr;
                const short gap = below ? (short)(below->py - m->y) : (short)0;
                m->ext_start_bar = (t == 1 || joined) ? gap : (short)0;
                m->ext_end_bar = joined ? gap : (short)0;
                if (d->joue) pompe();
            }
        }
        // Then the beam groups and chords, at each staff's size.
        for (short p = 1; p <= sys->tot_por; p++) {
            staff_scale = table[p] >= 1 ? d->ins[table[p]].staff_size / 100.0f : 1.0f;
            Portee* staff = d->por[sys->por[p]];
            for (short t = 1; staff && t <= staff->tot_mes; t++) {
                calculer_groupes_accords(d->mes[staff->mes[t]]);
                pompe();
            }
        }
    }
    delete[] table;
    staff_scale = 1.0f;
    pag_ok = 1;
}

void Editeur::adjust_scroll() {
    if (!set_cur_doc(id, sub_id) || !doc) return;
    Document* d = doc;
    if (up) up->update_size();
    const bool page_view = d->cur_pag != 0;
    if (!page_view && page_scroll) {
        delete page_scroll;
        page_scroll = nullptr;
        if (hor) hor->set_left_side(120, SidePixels, nullptr);
        if (upm) upm->set_right_side(120, SidePixels, nullptr);
        ox = lox, oy = loy;
        if (lin_pag_pop) lin_pag_pop->set_cur(1);
        if (hor) hor->update_size();
        if (upm) upm->update_size();
    } else if (page_view && !page_scroll && win) {
        if (hor) {
            hor->set_left_side(180, SidePixels, nullptr);
            hor->set_right_side(-116, SidePixels, nullptr);
        }
        if (upm) upm->set_right_side(80, SidePixels, nullptr);
        page_scroll = new CScroll(win, 5, 1);
        page_scroll->data = this;
        page_scroll->event_handler = score_proc;
        page_scroll->set_left_side(80, SidePixels, nullptr);
        page_scroll->set_top_side(-16, SidePixels, nullptr);
        page_scroll->set_right_side(180, SidePixels, nullptr);
        page_scroll->set_bottom_side(100, SidePercent, nullptr);
        page_scroll->show();
        if (hor) hor->update_size();
        if (upm) upm->update_size();
        ox = pox, oy = poy;
        if (lin_pag_pop) lin_pag_pop->set_cur(2);
    } else if (page_view && page_scroll) {
        page_scroll->set_min_max(1, d->tot_pag);
        if (d->cur_pag > d->tot_pag) d->cur_pag = d->tot_pag;
        page_scroll->set_value(d->cur_pag);
    }
    const short w = panel_width(up), h = panel_height(up);
    if (!page_view) {
        oy = std::max<short>(oy, 0);
        ox = std::max<short>(ox, 0);
        const short n = nombre_colonnes();
        if (n >= 1 && hor) {
            hor->set_min_max(1, n);
            hor->set_steps(1, std::max<short>(2, (short)(w / 150)));
            first_m = d->cur_mes;
            hor->set_value(first_m);
            n == 1 ? hor->disable() : hor->enable();
        }
        const short last = std::clamp<short>(d->tot_piste, 1, std::max<short>(d->tot_ins, 1));
        const int32_t strip = d->ins && d->tot_ins >= 1 ? d->ins[last].dy + 150 : 150;
        if (ver) {
            if (strip * scaley <= h) {
                oy = 0;
                ver->set_min_max(0, 0);
                ver->set_value(0);
                ver->disable();
            } else {
                ver->set_min_max(0, (short)(strip * scaley - h));
                ver->set_steps((short)(h / 6), h);
                ver->set_value(oy);
                ver->enable();
            }
        }
        lox = ox, loy = oy;
        return;
    }
    const Sub_document& s = d->sub_doc[sub_id];
    ox = std::max<short>(ox, -10);
    oy = std::max<short>(oy, -5);
    if (hor) {
        hor->set_min_max(-10, (short)(s.mx * scalex + 10 - w / 2));
        hor->set_steps((short)(w / 10), w);
        hor->set_value(ox);
        ox = hor->get_value();
        hor->enable();
    }
    if (page_scroll) {
        page_scroll->set_min_max(1, d->tot_pag);
        page_scroll->set_steps(1, 5);
        page_scroll->set_value(d->cur_pag);
        d->tot_pag == 1 ? page_scroll->disable() : page_scroll->enable();
    }
    if (ver) {
        ver->set_min_max(-5, (short)(s.my * scaley + 10 - h / 2));
        ver->set_steps((short)(h / 5), h);
        ver->set_value(oy);
        oy = ver->get_value();
        ver->enable();
    }
    pox = ox, poy = oy;
}

void Editeur::rendre_visible_enpage(short ma, short pa) {
    if (!set_cur_doc(id, sub_id) || !doc || doc->cur_pag == 0) return;
    Document* d = doc;
    if (!mesure_in_page(ma, pa, d->cur_pag)) {
        for (short p = 1; p <= d->tot_pag; p++)
            if (mesure_in_page(ma, pa, p)) {
                d->cur_pag = p;
                if (page_scroll) page_scroll->set_value(p);
                pag_ok = 0;
                if (up) up->dirty();
                if (upm) upm->dirty();
                break;
            }
    }
    CMeasure* m = mesure_maitre(d, ma, pa);
    if (!m) return;
    const short X = (short)(m->px * scalex), Y = (short)((m->py - 24) * scaley);
    const short W = (short)(m->width * scalex), H = (short)(72 * scaley);
    const short w = panel_width(up), h = panel_height(up);
    if (hor && (X < ox || (w + ox < W + X && X - 10 != hor->get_value()))) {
        hor->set_value((short)(X - 10));
        pox = ox = hor->get_value();
        if (up) up->dirty();
    }
    if (ver && (Y < oy || (h + oy < H + Y && H < h && Y - 10 != ver->get_value()))) {
        ver->set_value((short)(Y - 10));
        poy = oy = ver->get_value();
        if (up) up->dirty();
    }
}
