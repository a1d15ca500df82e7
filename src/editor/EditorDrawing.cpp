// Drawing of the score panel and of the position panel: the linear strip or the page shown,
// with the page furniture, text blocks, measures, selection, measure numbers, instrument names,
// brackets and braces, the play indicator and the step-entry caret.
#include "editor/Editeur.h"
#include "score/MusicClasses.h"
#include "layout/UtilitairesPartition.h"

#include <algorithm>
#include <cstdio>

#include "editor/EditorLookups.h"
#include "framework/CFont.h"
#include "framework/CUserPanel.h"
#include "framework/CWindow.h"
#include "framework/LocalTime.h"
#include "layout/DrawingRules.h"
#include "score/CMeasure.h"
#include "score/CTextBloc.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/Placeholders.h"
#include "editor/StaffFurniture.h"

namespace {

constexpr int32_t kGrey = rgb(192, 192, 192);
constexpr int32_t kGreen = rgb(0, 255, 0);

}  // namespace

void Editeur::draw() {
    if (editeur_non_affichable || !set_cur_doc(id, sub_id) || !doc || !up) return;
    Document* d = doc;
    inside_draw = 1;
    cur_drawing_page = d->cur_pag;
    last_flags_groupe = 0x20;
    if (d->cur_pag == 0) ox = lox, oy = loy;
    else ox = pox, oy = poy;
    for (short c = 0; c < 16; c++) {
        const short to = d->rec_piste >= 1 && d->rec_piste <= d->tot_ins
                             ? (short)(d->ins[d->rec_piste].canal - 1)
                             : c;
        editeur_hooks.set_midi_thru(c, (unsigned char)to);
    }
    d->flag_maj &= ~0x20;
    if (win) {
        char title[160];
        std::snprintf(title, sizeof title, "\"%s\" - %s", d->nom ? d->nom->get() : "",
                      d->sub_doc[sub_id].nom ? d->sub_doc[sub_id].nom->get() : "");
        win->set_title(title);
    }
    d->flag_maj &= ~0x01;
    if (d->flag_maj & 0x10) {
        lin_ok = pag_ok = 0;
        d->flag_maj &= ~0x10;
    }
    if (d->cur_pag == 0) {
        if (!lin_ok) calculer_page_0();
        if (!lin_ok) {
            inside_draw = 0;
            return;
        }
    }
    up->set_color(0);
    const short masters = nombre_portees(d);
    short* table = new short[masters + 2]();
    if (d->cur_pag != 0 && !pag_ok) rafraichir_page();
    up->set_origin(0, 0);
    offset = 0;
    if (d->cur_pag == 0) {
        pag_ok = 0;
    } else {
        if (!up->recording()) {
            const Sub_document& s = d->sub_doc[sub_id];
            const auto P = [&](double a) { return T(-ox + a * scalex); };
            const auto Q = [&](double b) { return T(-oy + b * scaley); };
            const short w = up->get_width(), h = up->get_height();
            up->set_color(0);
            up->draw_rect((short)-ox, (short)-oy, P(s.mx), Q(s.my), 0);
            up->set_color(kGrey);
            up->fill_rect(P(s.mx), 0, w, h, 0);
            up->fill_rect(0, Q(s.my), w, h, 0);
            if (ox < 0) up->fill_rect(0, 0, (short)-ox, h, 0);
            if (oy < 0) up->fill_rect(0, 0, w, (short)-oy, 0);
            if (pal && pal->get_reperes_tool()) {
                up->set_color(kGreen);
                up->draw_rect(T(-ox + s.me_g * scalex + s.mi_g * scalex),
                              T(-oy + s.me_s * scaley + s.mi_s * scaley),
                              T(-ox + s.mx * scalex - s.me_d * scalex - s.mi_d * scalex),
                              T(-oy + s.my * scaley - s.me_i * scaley - s.mi_i * scaley), 0);
                up->set_color(RED);
                up->draw_rect(P(s.mdecx + s.me_g), Q(s.mdecy + s.me_s),
                              P(s.rmx - s.me_d + s.mdecx), Q(s.rmy - s.me_i + s.mdecy), 0);
            }
        }
        pag_ok = 1;
        lin_ok = 0;
    }
    staff_scale = 1.0f;
    up->set_origin((short)-ox, (short)-oy);
    up->go_to(0, 0);
    if (d->cur_pag != 0) {
        for (short i = 1; i <= d->max_ptx; i++) {
            CTextBloc* t = d->ptx ? d->ptx[i] : nullptr;
            if (!t) continue;
            if ((t->type == 1 && t->page == d->cur_pag) || (t->type == 3 && t->page <= d->cur_pag)) {
                up->go_to(0, 0);
                t->draw_object(up, 1, this, 0, scalex, scaley);
            }
        }
    }
    up->set_color(0);
    if (d->pag && d->cur_pag >= 0 && d->cur_pag <= d->max_pag && d->pag[d->cur_pag]) {
        Page* page = d->pag[d->cur_pag];
        for (short k = 1; k <= page->tot_sys; k++) draw_system(k, table);
    }
    up->set_origin(0, 0);
    delete[] table;
    if (indic_edit && !up->recording()) {
        const short strip = d->cur_pag == 0 && d->pag[0] && d->pag[0]->tot_sys ? d->pag[0]->sys[1] : 0;
        invert_indic(1, editeur_hooks.get_cur_play_mes(), strip, -1);
        indic_edit = 1;
    }
    up->set_color(0);
    if (curseur_visible && d->cur_mes <= d->curseur_ma) {
        invert_curseur();
        next_time_curseur = get_time_pos() + 400;
    }
    staff_scale = 1.0f;
    inside_draw = 0;
}

void Editeur::invert_curseur() {
    Document* d = doc;
    CMeasure* m = mesure_maitre(d, d->curseur_ma, d->curseur_pa);
    if (!m || d->curseur_pa < 1 || d->curseur_pa > d->tot_ins) return;
    if (d->curseur_x < 0) d->curseur_x = (short)(m->front + 2);
    const float size = d->ins[d->curseur_pa].staff_size / 100.0f;
    const short x = T(-ox + d->curseur_x * scalex + m->x * scalex);
    const short y = T(-oy + m->y * scaley);
    up->set_color(0);
    up->draw_line(x, T(y - 6 * scaley * size), x, T(y + 30 * scaley * size), 2);
}

void Editeur::draw_system(short k, short* table) {
    Document* d = doc;
    const short s = d->pag[d->cur_pag]->sys[k];
    if (s < 1 || s > d->max_sys || !d->sys[s]) return;
    Systeme* sys = d->sys[s];
    // The master staff each staff shows (the first when none matches).
    table_des_portees(s, table, 1);
    const bool shown = selection_shown();
    for (short p = 1; p <= sys->tot_por; p++) {
        const short q = table[p];
        couleur_notes = couleur_des_notes(voice, q, sub_id);
        voix_visibles = d->voix_visibles;
        Portee* staff = d->por[sys->por[p]];
        for (short t = 1; staff && t <= staff->tot_mes; t++) {
            const short id_m = staff->mes[t];
            CMeasure* m = d->mes[id_m];
            if (!m) continue;
            short cma = 1, cpa = 1;
            localiser_mesure(id_m, &cma, &cpa);
            verifier_tenues_notes(last_ma, last_pa);
            const short X = T(m->x * scalex), Y = T(m->y * scaley), W = T(m->width * scalex);
            dessiner_liaison_gauche = t == 1;
            limiter_liaison_droite = t == staff->tot_mes ? T(W / scalex) : (short)0;
            const short H = m->ext_start_bar < 24 ? (short)24 : m->ext_start_bar;
            staff_scale = d->ins[q].staff_size / 100.0f;
            if (up->rectangle_visible(T(X - 24 * scalex), T(Y - 48 * scaley),
                                      T(W + X + 24 * scalex), T(Y + 48 * scaley + H * scaley))) {
                m->draw_object(up, 1, this, 0, scalex, scaley);
                up->set_color(0);
                if (shown && cma >= sel_first_m && cma <= sel_last_m &&
                    cpa >= sel_first_p && cpa <= sel_last_p && !selection_vide())
                    up->fill_rect(X, Y, (short)(X + W), T(Y + 24 * scaley * staff_scale), 2);
            }
            // Measure number: the staff's own numbering, or instrument 1's on the top staff.
            dessiner_numero_mesure(up, m, p, q, t, scalex, scaley, d->col[3]);
            if (t == 1) {
                // Full names on the first system of the linear strip or of page 1, then the
                // abbreviations.
                dessiner_nom_instrument(up, m, q, k == 1 && d->cur_pag < 2, scalex, scaley, d->col[4]);
                up->set_color(d->col[2]);
                draw_bracket(s, p, q, m, table);
                up->set_color(0);
            }
            if (editeur_hooks.get_play_but()) {
                up->set_origin(0, 0);
                jouer_temps_reel();
                up->set_origin((short)-ox, (short)-oy);
            }
        }
    }
}

void Editeur::draw_bracket(short s, short p, short q, CMeasure* m, short* table) {
    dessiner_accolade(up, s, p, q, m, table, scalex, scaley);
}

void Editeur::draw_meas() {
    if (!set_cur_doc(id, sub_id) || !doc || !upm) return;
    Document* d = doc;
    char text[48];
    if (d->cur_pag != 0) {
        std::snprintf(text, sizeof text, "P-%hd/%hd", d->cur_pag, d->tot_pag);
    } else {
        CMeasure* m = mesure_maitre(d, d->cur_mes, 1);
        std::snprintf(text, sizeof text, "M-%hd/%hd (%hd)", d->cur_mes, nombre_colonnes(),
                      (short)(m ? m->number & 0x3FFF : 0));
    }
    upm->fill_rect(1, 1, 119, 16, 1);
    upm->set_color(0);
    upm->set_font("Arial", 12, 0);
    const short c = d->cur_pag != 0 ? 40 : 60;
    upm->go_to((short)(c - upm->string_width(text) / 2), 13);
    upm->draw_string(text, 0);
    upm->draw_line(0, 0, 120, 0, 0);
}
