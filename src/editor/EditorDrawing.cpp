// Drawing of the score panel and of the position panel: the linear strip or the page shown,
// with the page furniture, text blocks, measures, selection, measure numbers, instrument names,
// brackets and braces, the play indicator and the step-entry caret.
#include "editor/Editeur.h"
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

namespace {

constexpr int32_t kGrey = rgb(192, 192, 192);
constexpr int32_t kGreen = rgb(0, 255, 0);

// The lowest (`lo`, top of the staff) and highest (`hi`) line position, 10 down to -5, of a
// staff's line mask (bit 10 - position); a staff without lines counts as position 3, and one
// whose lines lie fewer than three positions apart is widened by one each way.
void lignes_de(short lignes, short* hi, short* lo) {
    *hi = -6;
    *lo = 11;
    for (short pos = 10; pos >= -5; pos--)
        if (lignes & (1 << (10 - pos))) {
            *hi = std::max(*hi, pos);
            *lo = std::min(*lo, pos);
        }
    if (*lo > *hi) *hi = *lo = 3;
    if (*hi - *lo < 3) {
        (*hi)++;
        (*lo)--;
    }
}

// Whether master staff r is shown in the system whose staff table is `table` (staves 1..n).
bool montree(short r, const short* table, short n) {
    for (short p = 1; p <= n; p++)
        if (table[p] == r) return true;
    return false;
}

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
    const short tool = pal ? pal->get_tool() : 0;
    const short hidden = pal ? pal->get_hidden_tool() : 0;
    const bool selection_shown = hidden == 57 || (hidden == 0 && tool == 57);
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
                if (selection_shown && cma >= sel_first_m && cma <= sel_last_m &&
                    cpa >= sel_first_p && cpa <= sel_last_p && !selection_vide())
                    up->fill_rect(X, Y, (short)(X + W), T(Y + 24 * scaley * staff_scale), 2);
            }
            // Measure number: the staff's own numbering, or instrument 1's on the top staff.
            short v = 0;
            if (d->ins[q].num_type != 0) v = q;
            else if (p == 1 && d->ins[1].num_type != 0) v = 1;
            if (v && (d->ins[v].num_type > 0 || t == 1) && (m->number & 0x3FFF) > 0 &&
                d->num_font) {
                up->set_color(d->col[3]);
                up->go_to(T(m->x * scalex + d->ins[v].num_dx * scalex),
                          T(m->y * scaley + d->ins[v].num_dy * scaley * staff_scale));
                up->set_font(d->num_font, scaley * staff_scale);
                char text[12];
                std::snprintf(text, sizeof text, "%hd", (short)(m->number & 0x3FFF));
                up->draw_string(text, 0);
            }
            if (t == 1) {
                // Full names on the first system of the linear strip or of page 1, then the
                // abbreviations.
                const Ins& named = d->ins[d->position_nom == 0 ? q : 1];
                const short y = T(m->y * scaley + d->ins[q].y_nom * scaley * staff_scale);
                const short x = T(m->x * scalex - named.x_nom * scalex);
                const char* text = (k == 1 && d->cur_pag < 2) ? d->ins[q].nom : d->ins[q].abrege;
                if (d->nom_font && text[0]) {
                    up->set_color(d->col[4]);
                    up->set_font(d->nom_font, scaley * staff_scale);
                    const short w = up->string_width(text);
                    if (d->position_nom == 1) up->go_to((short)(x - w), y);
                    else if (d->position_nom == 3) up->go_to((short)(x - w / 2), y);
                    else up->go_to(x, y);
                    up->draw_string(text, 0);
                }
                up->set_color(d->col[2]);
                draw_bracket(s, p, q, m, table);
                up->set_color(0);
            }
            if (editeur_hooks.get_play_but()) {
                up->set_origin(0, 0);
                if (mpr) mpr->play_temps_reel();
                up->set_origin((short)-ox, (short)-oy);
            }
        }
    }
}

void Editeur::draw_bracket(short s, short p, short q, CMeasure* m, short* table) {
    Document* d = doc;
    Systeme* sys = d->sys[s];
    short kind = d->ins[q].accol_type, span = d->ins[q].accol_tot, dx = d->ins[q].accol_dx;
    if (kind == 0 && q > 1) {
        // A bracket opened on staves hidden in this system reaches down to this one.
        short hidden = 0;
        kind = span = 0;
        for (short r = (short)(q - 1); r >= 1 && !montree(r, table, sys->tot_por); r--) {
            hidden++;
            if (d->ins[r].accol_type && d->ins[r].accol_tot) {
                kind = d->ins[r].accol_type;
                dx = d->ins[r].accol_dx;
                span = (short)(d->ins[r].accol_tot - hidden);
                break;
            }
        }
    }
    if (kind == 0 || span <= 0) return;
    const short x0 = T(T(m->x * scalex) - dx * scalex);
    short hi = 0, lo = 0;
    lignes_de(d->ins[q].lignes, &hi, &lo);
    const short Y = T(m->y * scaley);
    const short top = T(Y + lo * 6 * scaley * staff_scale);
    short last = (short)(p + span - 1);
    for (short r = (short)(q + 1); r <= q + span - 1 && r <= nombre_portees(d); r++)
        if (!montree(r, table, sys->tot_por)) last--;
    if (last > sys->tot_por) last = sys->tot_por;
    if (last < p) last = p;
    const short q_last = table[last];
    lignes_de(d->ins[q_last].lignes, &hi, &lo);
    CMeasure* lm = mesure_systeme(s, last, 1);
    const short Y2 = lm ? T(lm->y * scaley) : Y;
    const short bottom = T(Y2 + hi * 6 * scaley * d->ins[q_last].staff_size / 100);
    if (kind == 2) {
        const int32_t pts[12] = {x0, top, T(x0 + 6 * scalex), T(top - 6 * scaley),
                                 T(x0 - 3 * scalex), top, T(x0 - 3 * scalex), bottom,
                                 T(x0 + 6 * scalex), T(bottom + 6 * scaley), x0, bottom};
        up->fill_poly(6, pts, 0);
        return;
    }
    CFont saved;
    saved.set(up->get_font());
    saved.set_width(up->get_font()->get_width());
    CFont brace;
    brace.set("Marcatino", T((bottom - top) * 1.25), 0, up->get_color());
    brace.set_width(T(scalex * 30));
    up->set_font(&brace, 1.0f);
    up->go_to((short)(x0 - up->char_width('{')), bottom);
    up->draw_char('{', 0);
    brace.set_width(0);
    up->set_font(&saved, 1.0f);
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
