// Drawing of notes: accidental, dots, head, stem and flags, ties and ledger lines.
#include "framework/CUserPanel.h"
#include "layout/DrawingRules.h"
#include "layout/DrawingServices.h"
#include "layout/ScoreDrawing.h"
#include "score/CMeasure.h"
#include "score/CMusicalSymbolManager.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"

namespace {

// What every part of a note is placed from: the pen, the scales and the head's widths.
struct NoteFrame {
    short px = 0, py = 0;
    float sx = 1, s = 1, g = 1;  // horizontal zoom, staff size, glyph size
    short k = 0;                 // head shape
    short wf = 0, wh = 0;        // head width at full size and as drawn
    bool up = true;

    NoteFrame(CNote* n, CUserPanel* p, float sx_, float sy) : sx(sx_) {
        p->get_pc(&px, &py);
        s = sy * staff_scale;
        g = (n->head & 0x8000) ? 0.5f * s : s;
        short shape = (short)(n->head & 0x7FFF);
        if (shape == 0) k = n->rythm == 0 ? 3 : n->rythm == 1 ? 2 : n->rythm == 2 ? 1 : 0;
        else k = (short)(shape - 1);
        wf = msm->width((short)(11 + 2 * k), s, p);
        wh = msm->width((short)(11 + 2 * k), g, p);
        up = n->dir == 0;
    }
    // Left edge of the head: right-aligned on a full-size head when the stem is up.
    short head_x(CNote* n) const { return T(px + n->x * sx + (up ? wf - wh : 0)); }
    short X(CNote* n) const { return T(px + n->x * sx); }
};

void draw_head_glyph(CNote* n, const NoteFrame& f, CUserPanel* p, short mode) {
    if (f.k >= 14) return;
    short glyph = (short)(11 + 2 * f.k + (f.up ? 0 : 1));
    msm->draw(glyph, f.g, f.head_x(n), T(f.py + (n->y - 2) * f.s), p, mode);
}

int32_t accidental_color(CUserPanel* p, short voice, int32_t note) {
    if (couleur_notes >= -9 && couleur_notes <= -2)
        return voice == -1 - couleur_notes ? BLACK : SILVER;
    if (!doc) return BLACK;
    if (doc->utiliser_couleurs == 1 && doc->col[9] != p->get_back_color() &&
        document_colors_apply(p))
        return doc->col[9];
    return note;
}

int32_t tie_color(CUserPanel* p) {
    if (doc && doc->col[10] != p->get_back_color() && document_colors_apply(p)) return doc->col[10];
    return p->get_color();
}

void draw_tie(CUserPanel* p, short xs, short ys, short xm, short ym, short xe, short ye, float s,
              short mode) {
    Courbe* c = create_courbe(3);
    if (!c) return;
    c->p[1] = {xs, ys}, c->p[2] = {xm, ym}, c->p[3] = {xe, ye};
    epaisseur_courbe = T(curve_width * 0.1 * s);
    draw_courbe(p, c, 0, 0, mode);
    delete_courbe(c);
}

void draw_outgoing_tie(CNote* n, const NoteFrame& f, CUserPanel* p, short mode) {
    p->set_color(tie_color(p));
    short xs = T(f.px + (n->tdx + n->x) * f.sx + (f.up ? f.wf : f.wh));
    if (n->tdh < 0 && f.up) xs = T(xs + 2 * f.sx * staff_scale);
    short ys = T(f.py + (n->tdy + n->y - 2) * f.s);
    ys = n->tdh < 0 ? T(ys - 4 * f.s) : T(ys + 4 * f.s);
    short xe = T(xs + n->tdw * f.sx);
    xe = T(xe + (1 - staff_scale) * 8 * f.sx);
    if (limiter_liaison_droite && xe > f.px + limiter_liaison_droite * f.sx)
        xe = T(f.px + limiter_liaison_droite * f.sx);
    draw_tie(p, xs, ys, (short)((xs + xe) / 2 + 1), T(ys + n->tdh * f.s), xe, ys, f.s, mode);
}

// A tie coming in from the system before, unless an earlier note of the measure at the same
// height draws it.
void draw_incoming_tie(CNote* n, const NoteFrame& f, CUserPanel* p, short mode) {
    for (short i = 1; cur_mes_draw && i <= cur_mes_draw->total(); i++) {
        CNote* o = cur_mes_draw->get_note_item(i);
        if (o && o->x < n->x - 5 && o->y == n->y) return;
    }
    p->set_color(tie_color(p));
    short xe = f.up ? T(f.px + n->x * f.sx + f.wf - f.wh) : f.X(n);
    short xm = T(xe - 4 * f.sx), xs = T(xm - 4 * f.sx);
    short ys, ym;
    if (n->tdh > 0) {
        ys = T(f.py + (n->y + 3) * f.s);
        ym = T(ys + 3 * f.s);
    } else {
        ys = T(f.py + (n->y - 6) * f.s);
        ym = T(ys - 3 * f.s);
    }
    draw_tie(p, xs, ys, xm, ym, xe, ys, f.s, mode);
}

void draw_stem_and_flags(CNote* n, const NoteFrame& f, CUserPanel* p, short mode) {
    short t = thickness(&Document::epaisseur_hampes, f.sx * ((n->head & 0x8000) ? 0.5f : 1.0f));
    short X = f.X(n);
    short head_y = T(f.py + (n->y - 2) * f.s);
    if (f.up)
        p->fill_rect(T(X + f.wf + 1 - t), T(f.py + (n->y - 2 - n->height) * f.s), T(X + f.wf + 1),
                     head_y, mode);
    else
        p->fill_rect(T(X + 1), head_y, T(X + t + 1), T(f.py + (n->y - 2 + n->height) * f.s), mode);
    if (n->gid != 0 || (n->cid != 0 && n->height == 0)) return;
    for (short k = 0; k <= 4 && k <= n->rythm - 4; k++) {
        if (f.up)
            msm->draw(41, f.g, T(X + f.wf + 1 - t), T(f.py + (n->y - 2 - n->height + 5 * k) * f.s),
                      p, mode);
        else
            msm->draw(42, f.g, T(X + 1), T(f.py + (n->y - 2 + n->height - 5 * k) * f.s), p, mode);
    }
}

void draw_ledger_lines(CNote* n, const NoteFrame& f, CUserPanel* p, short mode) {
    if (n->bar_type < 1 || n->bar_type > 4) return;
    short h = thickness(&Document::epaisseur_portees, f.s);
    short X = f.X(n);
    short x1 = n->dir == 1 ? T(X - 2 * f.g) : T(X + f.wf - f.wh - 2 * f.g);
    short x2 = n->dir == 1 ? T(X + f.wh + 3 * f.g) : T(X + f.wf + 3 * f.g);
    for (short i = 0; i < n->bar_sup; i++) {
        short c = n->bar_type == 1   ? (short)(n->y + 1 + 6 * i)
                  : n->bar_type == 2 ? (short)(n->y - 2 + 6 * i)
                  : n->bar_type == 3 ? (short)(n->y - 2 - 6 * i)
                                     : (short)(n->y - 5 - 6 * i);
        short y1 = T(f.py + c * f.s - h / 2);
        p->fill_rect(x1, y1, x2, T(f.py + c * f.s - h / 2 + h), mode);
    }
}

}  // namespace

void draw_note(CNote* n, CUserPanel* p, short mode, float sx, float sy) {
    if (!voice_drawn(p, n->voice)) return;
    if ((n->flags & 0x10) && !invisible_drawn(p, mode)) return;
    NoteFrame f(n, p, sx, sy);
    int32_t colour = note_color(n->voice);
    p->set_color(colour);
    n->color = colour;
    if (n->alt != 0) {
        p->set_color(accidental_color(p, n->voice, colour));
        short a = (short)(n->alt <= 5 ? n->alt + 4 : n->alt + 59);
        short wa = msm->width(a, f.g, p);
        short ay = T(f.py + (n->day + n->y - 2) * f.s);
        short ax = f.up ? T(f.px + (n->dax + n->x - 3) * sx + f.wf - f.wh - wa)
                        : T(f.px + (n->dax + n->x - 3) * sx - wa);
        msm->draw(a, 0.84f * f.g, ax, ay, p, mode);
        p->set_color(colour);
    }
    for (short k = 0; k < n->point; k++)
        msm->draw(10, f.g, T(f.px + (n->x + n->dpx + 2 + 4 * k) * sx + (f.up ? f.wf : f.wh)),
                  T(f.py + (n->y + n->dpy - 2) * f.s), p, mode);
    // The note being played: its head crisp, as the marks of the playback lay it on and take it
    // off, so that no trace of the highlight stays at its edge.
    const bool highlighted = (n->flags & 0x100) && on_screen(p);
    if (highlighted) {
        p->set_color(highlight_note);
        p->set_crisp_text(true);
    }
    draw_head_glyph(n, f, p, mode);
    p->set_crisp_text(false);
    p->set_color(colour);
    if (n->rythm >= 2 && n->rythm <= 8) draw_stem_and_flags(n, f, p, mode);
    if (n->flags & 0x01) draw_outgoing_tie(n, f, p, mode);
    if ((n->flags & 0x02) && dessiner_liaison_gauche) draw_incoming_tie(n, f, p, mode);
    p->set_color(colour);
    draw_ledger_lines(n, f, p, mode);
    p->go_to(f.px, f.py);
}

void draw_note_head(CNote* n, CUserPanel* p, float sx, float sy, int32_t colour) {
    if ((n->flags & 0x10) && !invisible_drawn(p, 0)) return;
    NoteFrame f(n, p, sx, sy);
    int32_t saved = p->get_color();
    p->set_color(colour);
    p->set_crisp_text(true);
    draw_head_glyph(n, f, p, 0);
    p->set_crisp_text(false);
    p->set_color(saved);
    p->go_to(f.px, f.py);
}
