// Drawing of rests, beam groups and tuplets.
#include <cstdio>

#include "framework/CUserPanel.h"
#include "layout/DrawingRules.h"
#include "layout/DrawingServices.h"
#include "layout/UtilitairesGroupesAccords.h"
#include "layout/ScoreDrawing.h"
#include "score/CMeasure.h"
#include "score/CMusicalSymbolManager.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"

void draw_rest(CRest* r, CUserPanel* p, short mode, float sx, float sy) {
    if (!voice_drawn(p, r->voice)) return;
    if ((r->flags & 0x01) && !invisible_drawn(p, mode)) return;
    if (r->rythm < 0 || r->rythm > 8) return;
    float s = sy * staff_scale;
    short px, py;
    p->get_pc(&px, &py);
    int32_t saved = p->get_color();
    if (mode == 0) p->set_color(note_color(r->voice));
    p->set_back_color(WHITE);
    short h = thickness(&Document::epaisseur_portees, s);
    short glyph = (short)(r->rythm + 56);
    short w = msm->width(glyph, s, p);
    short lift = r->rythm <= 1 ? 11 : r->rythm == 2 ? 9 : 0;
    msm->draw(glyph, s, T(px + r->x * sx), T(py + (r->y + lift) * s), p, mode);
    if (r->rythm <= 2) {
        // The ledger segment the breve, whole and half rests hang from or sit on.
        short c = (short)(r->rythm == 2 ? r->y - 3 : r->y - 7);
        short x2 = r->rythm == 0 ? T(px + (r->x + 3) * sx + w) : T(px + (r->x + 11) * sx);
        short y1 = T(py + c * s - h / 2);
        p->fill_rect(T(px + (r->x - 3) * sx), y1, x2, T(py + c * s - h / 2 + h), mode);
    }
    short ddx = r->rythm >= 5 ? 2 : 1;
    short ddy = r->rythm <= 1 ? -4 : r->rythm == 2 ? -6 : -9;
    for (short k = 0; k < r->point; k++)
        msm->draw(10, s, T(px + (r->x + ddx + 9 + r->dpx + 4 * k) * sx),
                  T(py + (r->y + ddy + r->dpy) * s), p, mode);
    p->set_color(saved);
    p->go_to(px, py);
}

namespace {

bool in_measure(CMeasure* m, CDataObject* o) {
    for (short i = 1; m && i <= m->total(); i++)
        if (m->get_item(i) == o) return true;
    return false;
}

}  // namespace

void draw_beams(CBeams* b, CUserPanel* p, short mode, float sx, float sy) {
    float s = sy * staff_scale;
    if ((b->sx != sx || b->sy != s || b->voice == 0) && cur_mes_draw) {
        short gid = b->gid;
        calcul_groupe(cur_mes_draw, &gid, sx, s, p);
        if (!in_measure(cur_mes_draw, b)) return;  // the group dissolved: the item is gone
    }
    if (b->voice != 0 && !voice_drawn(p, b->voice)) return;
    short n = b->x1.total();
    if (n == 0) return;
    short px, py;
    p->get_pc(&px, &py);
    int32_t saved = p->get_color();
    if (couleur_notes >= -9 && couleur_notes <= -2)
        p->set_color(b->voice == -1 - couleur_notes || !on_screen(p) ? BLACK : SILVER);
    else
        p->set_color(note_color(b->voice));
    for (short i = 1; i <= n; i++) {
        int32_t h = b->h.get(i);
        int32_t dx = h > 0 ? 0 : 1, dy = h > 0 ? 0 : -1;
        int32_t x1 = px + b->x1.get(i) + dx, y1 = py + b->y1.get(i) + dy;
        int32_t x2 = px + b->x2.get(i) + dx, y2 = py + b->y2.get(i) + dy;
        const int32_t corners[8] = {x1, y1, x2, y2, x2, y2 + h, x1, y1 + h};
        p->fill_poly(4, corners, mode);
    }
    p->set_color(saved);
    p->go_to(px, py);
}

namespace {

void draw_bracket(CNolet* t, CUserPanel* p, short mode, short px, short py, float sx, float s,
                  short th) {
    short X1 = T(px + t->x * sx), Y1 = T(py + t->y * s);
    short X2 = T(px + (t->dx1 + t->x) * sx), Y2 = T(py + (t->dy1 + t->y) * s);
    if (mode == 2 && th == 1) {
        p->draw_line(X1, Y1, X2, Y2, 2);
    } else {
        int32_t X2b = T(px + (t->dx1 + t->x) * sx + th - 1);
        const int32_t corners[8] = {X1, Y1, X2b, Y2, X2b, Y2 + th - 1, X1, Y1 + th - 1};
        p->fill_poly(4, corners, mode);
    }
    short hooks = (short)(t->dir & 0x0F);
    short right = T(px + (t->dx1 + t->x) * sx + th);
    if (hooks == 1) {
        short bottom = mode == 2 ? T(py + t->y * s + th - 1) : T(py + t->y * s + th);
        p->fill_rect(X1, T(py + (t->y - 5) * s), T(px + t->x * sx + th), bottom, mode);
        p->fill_rect(X2, T(py + (t->dy1 + t->y - 5) * s), right, Y2, mode);
    } else if (hooks == 2) {
        p->fill_rect(X1, Y1, T(px + t->x * sx + th), T(py + (t->y + 5) * s), mode);
        p->fill_rect(X2, Y2, right, T(py + (t->dy1 + t->y + 5) * s), mode);
    }
}

void draw_arc(CNolet* t, CUserPanel* p, short mode, short px, short py, float sx, float s) {
    bool up = (t->dir & 0x0F) == 1;
    short e = up ? -5 : 5;
    short d = (short)((t->dx1 - 16) / 4 + 5);
    if (d > 8) d = 8;
    Courbe* c = create_courbe(3);
    if (!c) return;
    c->p[1].x = T(px + t->x * sx);
    c->p[1].y = T(py + (t->y + e) * s);
    short m = T(py + (t->dy1 / 2 + t->y + e) * s);
    c->p[2].x = T(px + (t->dx1 / 2 + t->x) * sx);
    c->p[2].y = up ? T(m + d * s) : T(m - d * s);
    c->p[3].x = T(px + (t->dx1 + t->x) * sx);
    c->p[3].y = T(py + (t->dy1 + t->y + e) * s);
    epaisseur_courbe = T(curve_width * 0.1 * s);
    draw_courbe(p, c, 0, 0, mode);
    delete_courbe(c);
}

}  // namespace

void draw_nolet(CNolet* t, CUserPanel* p, short mode, float sx, float sy) {
    float s = sy * staff_scale;
    short th = thickness(&Document::epaisseur_autres, s);
    short px, py;
    p->get_pc(&px, &py);
    bool marks = marks_shown(p);
    int32_t colour = document_color(p, 6);
    p->set_color(t->style >= 6 && marks ? RED : colour);
    if (t->style <= 5 || marks) {
        if (t->dir & 0x10) draw_arc(t, p, mode, px, py, sx, s);
        else draw_bracket(t, p, mode, px, py, sx, s, th);
    }
    if (t->style != 3 && t->style != 8) {
        char text[16];
        if (t->style == 1 || t->style == 4 || t->style == 6)
            std::snprintf(text, sizeof text, "%hd", t->n1);
        else
            std::snprintf(text, sizeof text, "%hd:%hd", t->n1, t->n2);
        CFont fallback;
        CFont* font = doc && doc->nol_font ? doc->nol_font : &fallback;
        p->set_font(font, 1.0f);
        p->set_font_size(T(font->get_size() * s));
        short w = p->string_width(text);
        if ((t->style == 4 || t->style == 5) && mode == 0)
            p->fill_rect(T(px + (t->dx2 + t->x - 3) * sx - w / 2),
                         T(py + (t->dy2 + t->y - 2) * s - p->get_font_ascent()),
                         T(px + (t->dx2 + t->x + 3) * sx + w / 2),
                         T(py + (t->dy2 + t->y + 2) * s + p->get_font_descent()), 1);
        p->go_to(T(px + (t->dx2 + t->x) * sx - w / 2), T(py + (t->dy2 + t->y) * s));
        p->set_color(colour);
        p->draw_string(text, mode);
    }
    p->go_to(px, py);
}
