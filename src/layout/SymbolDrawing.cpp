// Drawing of musical symbols from their definitions in the tool palettes: bitmaps, vector
// drawings and curves, placed, stretched, tiled or slanted by the symbol's parameters, with
// the texts that depend on the score and the editing marks.
#include <algorithm>
#include <cstring>
#include <string>

#include "framework/CUserPanel.h"
#include "layout/DrawingRules.h"
#include "layout/DrawingServices.h"
#include "layout/ScoreDrawing.h"
#include "score/CMeasure.h"
#include "score/CMusicalSymbolManager.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/OldFormats.h"
#include "score/Placeholders.h"
#include "score/Synthe.h"

namespace {

struct SymbolFrame {
    short px = 0, py = 0;
    float sx = 1, sy = 1, s = 1;
    short x = 0, y = 0, w = 0, h = 0, k5 = 0, k6 = 0;
    short nx = 1, ny = 1;
    bool stretchable = false;  // the definition may be stretched, tiled or slanted
};

struct Corner {
    short u, v;
};

// The corners P1, P2, P3, P4 of a box through the transformer.
void transformed_corners(Corner* c, short x1, short y1, short x2, short y2, short ox, short oy,
                         short ref_w, short ref_h, const SymbolFrame& f) {
    const short xs[4] = {x1, x2, x2, x1}, ys[4] = {y1, y2, y1, y2};
    for (int i = 0; i < 4; i++) {
        c[i] = {xs[i], ys[i]};
        transformer_point(&c[i].u, &c[i].v, ref_w, ref_h, ox, oy, f.w, f.h, f.k5, f.k6);
    }
}

// The outline P1-P3, P1-P4, P2-P3, P2-P4 of the transformed box, offset by (x, y).
void draw_outline(CUserPanel* p, const Corner* c, short x, short y, short mode) {
    const int pairs[4][2] = {{0, 2}, {0, 3}, {1, 2}, {1, 3}};
    for (const auto& pr : pairs)
        p->draw_line((short)(x + c[pr[0]].u), (short)(y + c[pr[0]].v), (short)(x + c[pr[1]].u),
                     (short)(y + c[pr[1]].v), mode);
}

// The offset of tile (i, j) of a tiled graphic.
Corner tile_offset(short i, short j, short tw, short th, const SymbolFrame& f) {
    Corner c{(short)(i * tw), (short)(j * th)};
    transformer_point(&c.u, &c.v, (short)(tw * f.nx), (short)(th * f.ny), 0, 0, 100, 100, f.k5,
                      f.k6);
    return c;
}

void draw_bitmap(Definition* def, const SymbolFrame& f, CUserPanel* p, short mode, bool marks) {
    const char* image = static_cast<const char*>(def->gr);
    short bw, bh;
    std::memcpy(&bw, image + 2, 2);
    std::memcpy(&bh, image + 4, 2);
    short tw = T(bw * f.sx), th = T(bh * f.s);
    if (!(def->options & 0x30)) {
        if (mode == 0) draw_image_ptr(p, image, f.x, f.y);
        else p->fill_rect(f.x, f.y, (short)(f.x + f.w), (short)(f.y + f.h), mode);
    } else {
        for (short i = 0; i < f.nx; i++)
            for (short j = 0; j < f.ny; j++) {
                Corner o = tile_offset(i, j, tw, th, f);
                short tx = (short)(f.x + o.u), ty = (short)(f.y + o.v);
                if (mode == 0) draw_image_ptr(p, image, tx, ty);
                else p->fill_rect(tx, ty, (short)(tx + tw), (short)(ty + th), mode);
            }
    }
    if (!marks) return;
    Corner c[4];
    transformed_corners(c, 0, 0, tw, th, 0, 0, tw, th, f);
    p->set_color(translate_color(9));
    draw_outline(p, c, f.x, f.y, mode);
    if (f.stretchable)
        p->draw_rect(T(f.x + c[1].u - 6 * f.sx), T(f.y + c[1].v - 6 * f.s), T(f.x + c[1].u + f.sx),
                     T(f.y + c[1].v + f.s), mode);
}

// The tempo marks: the note value shown and the tempo in that value, from quarter notes per
// minute. False for another definition.
bool tempo_mark(short id, short tempo, short* rythm, short* dot, int* shown) {
    switch (id) {
    case 2107: case 2108: case 2109: case 2112: case 2113: case 2114: case 2115:
        *rythm = 3, *dot = 0, *shown = tempo; return true;
    case 2118: *rythm = 2, *dot = 0, *shown = tempo / 2; return true;
    case 2119: *rythm = 2, *dot = 1, *shown = tempo / 3; return true;
    case 2130: *rythm = 3, *dot = 1, *shown = (int)(tempo / 1.5); return true;
    case 2131: *rythm = 4, *dot = 0, *shown = (int)(tempo / 0.5); return true;
    case 2132: *rythm = 4, *dot = 1, *shown = (int)(tempo / 0.75); return true;
    case 2133: *rythm = 5, *dot = 0, *shown = (int)(tempo / 0.25); return true;
    case 2134: *rythm = 5, *dot = 1, *shown = (int)(tempo / 0.375); return true;
    default: return false;
    }
}

// Name of instrument `number` of the synthesizer that MIDI port 1 plays; false when that
// definition cannot be had.
bool instrument_name(short number, std::string* out) {
    Synthe* syn = get_synthe(synthe_port(1));
    if (!syn) return false;
    out->clear();
    for (short i = 1; i <= syn->tot_instr; i++)
        if (syn->instr[i].num == number) {
            *out = syn->instr[i].nom;
            break;
        }
    return true;
}

// The score-dependent text that goes into the drawing's first text element (drawing the
// tempo mark's note first); the element's slot and the original, to be put back, or -1.
short replace_text(Definition* def, Vect_dessin* d, CSymbol* sym, const SymbolFrame& f,
                   CUserPanel* p, short mode, void** original) {
    std::string text;
    short p21 = sym->get_local_param(def, 21);
    short rythm, dot;
    int shown;
    bool centre = false;
    if (tempo_mark(def->id, p21, &rythm, &dot, &shown)) {
        CNote note;
        note.rythm = rythm;
        note.point = dot;
        int32_t saved = couleur_notes;
        couleur_notes = 0;
        p->go_to(T(f.x - 14 * f.sx - (staff_scale - 1) * 18), T(f.y + 3 * f.s));
        draw_note(&note, p, mode, f.sx, f.sy);
        couleur_notes = saved;
        text = "= " + std::to_string(shown);
    } else if (def->id == 2527) {
        if (!instrument_name(p21, &text)) return -1;
    } else if (def->id == 2611) {
        if (cur_mes_draw && (cur_mes_draw->meas & 0x2000))
            text = std::to_string(cur_mes_draw->meas & 0x3FF);
        centre = true;
    } else {
        return -1;
    }
    short slot = 0;
    for (short i = 1; i <= d->tot && d->v[i]; i++)
        if (vect_kind(d->v[i]) == VECT_TEXTE) {
            slot = i;
            break;
        }
    if (slot == 0) return -1;
    Vect_texte* old = static_cast<Vect_texte*>(d->v[slot]);
    Vect_texte* copy = create_vect_texte(text.c_str(), old);
    if (!copy) return -1;
    if (centre) {
        p->set_font(old->police, old->taille, old->style);
        copy->x = (short)(6 - p->string_width(text.c_str()) / 2);
    }
    *original = old;
    d->v[slot] = copy;
    return slot;
}

void draw_vector(Definition* def, SymbolFrame& f, CSymbol* sym, CUserPanel* p, short mode,
                 bool marks) {
    Vect_dessin* d = static_cast<Vect_dessin*>(def->gr);
    void* original = nullptr;
    short slot = replace_text(def, d, sym, f, p, mode, &original);
    if (!(def->options & 0x30)) {
        draw_dessin_etendu(p, d, f.x, f.y, f.w, f.h, f.k5, f.k6, mode, f.sx, f.s);
    } else {
        short tw = T(d->x2 * f.sx), th = T(d->y2 * f.s);
        for (short i = 0; i < f.nx; i++)
            for (short j = 0; j < f.ny; j++) {
                Corner o = tile_offset(i, j, tw, th, f);
                draw_dessin_etendu(p, d, (short)(f.x + o.u), (short)(f.y + o.v), 100, 100, 0, 0,
                                   mode, f.sx, f.s);
            }
    }
    if (slot > 0) {
        delete_vect_element(d->v[slot]);
        d->v[slot] = original;
    }
    if (!marks) return;
    f.x = (short)(f.x - d->ox);
    f.y = (short)(f.y - d->oy);
    Corner c[4];
    transformed_corners(c, d->x1, d->y1, d->x2, d->y2, d->ox, d->oy, T(d->x2 * f.sx),
                        T(d->y2 * f.s), f);
    p->set_color(RED);
    draw_outline(p, c, f.x, f.y, mode);
    if (f.stretchable)
        p->draw_rect((short)(f.x + c[1].u - 6), (short)(f.y + c[1].v - 6), (short)(f.x + c[1].u + 1),
                     (short)(f.y + c[1].v + 1), mode);
}

void draw_curve(Definition* def, const SymbolFrame& f, CSymbol* sym, CUserPanel* p, short mode,
                bool marks) {
    Courbe* c = static_cast<Courbe*>(def->gr);
    if (!c || c->tot < 3) return;
    const Vect_point first = c->p[1];
    Courbe* drawn = create_courbe(3);
    if (!drawn) return;
    for (short i = 1; i <= 3; i++) {
        drawn->p[i].x = T(sym->get_local_param(def, (short)(5 + 2 * i)) * f.sx);
        drawn->p[i].y = T(sym->get_local_param(def, (short)(6 + 2 * i)) * f.s);
    }
    epaisseur_courbe = T(curve_width * 0.1 * f.s);
    draw_courbe(p, drawn, f.x, f.y, mode);
    delete_courbe(drawn);
    if (!marks) return;
    p->set_color(translate_color(9));
    const Corner handles[3] = {
        {T(first.x * f.sx), T(first.y * f.s)},
        {T(sym->get_local_param(def, 9) * f.sx), T(sym->get_local_param(def, 10) * f.s)},
        {T(sym->get_local_param(def, 11) * f.sx), T(sym->get_local_param(def, 12) * f.s)}};
    for (const Corner& h : handles)
        p->draw_rect((short)(f.x + h.u - 3), (short)(f.y + h.v - 3), (short)(f.x + h.u + 3),
                     (short)(f.y + h.v + 3), mode);
}

// The line from the note or rest the symbol belongs to to the symbol's reference point.
void draw_link(CSymbol* sym, const SymbolFrame& f, CUserPanel* p, short mode) {
    p->set_color(translate_color(6));
    if (sym->note_id == 0 || !cur_mes_draw) return;
    for (short i = 1; i <= cur_mes_draw->total(); i++) {
        CNote* n = cur_mes_draw->get_note_item(i);
        CRest* r = cur_mes_draw->get_rest_item(i);
        short ix, iy;
        if (n && n->sid == sym->note_id) ix = n->x, iy = n->y;
        else if (r && r->sid == sym->note_id) ix = r->x, iy = r->y;
        else continue;
        p->draw_line((short)(f.px + T(ix * f.sx)), (short)(f.py + T(iy * f.s)), f.x, f.y, mode);
        return;
    }
}

}  // namespace

void draw_symbol(CSymbol* sym, CUserPanel* p, short mode, float sx, float sy) {
    Definition* def = pal ? pal->get_definition(sym->tool_id) : nullptr;
    if (!def) return;
    if (sym->get_local_param(def, 13) != 0 &&
        !(doc && doc->voir_symboles_invisibles && on_screen(p)))
        return;
    bool marks = marks_shown(p);
    SymbolFrame f;
    p->get_pc(&f.px, &f.py);
    f.sx = sx;
    f.sy = sy;
    f.s = sy * staff_scale;
    f.stretchable = (def->options & 0x3F) != 0;
    f.x = T(f.px + sym->get_local_param(def, 1) * sx);
    if (sym->note_id != 0 && !f.stretchable)
        f.x = T(f.x - msm->width(11, sx, p) * (0.25 - (staff_scale - 1.0) * 0.3));
    f.y = T(f.py + sym->get_local_param(def, 2) * f.s);
    short p3 = sym->get_local_param(def, 3);
    f.w = f.stretchable ? T(p3 * sx) : T(p3 * sx * staff_scale);
    f.h = T(sym->get_local_param(def, 4) * f.s);
    f.k5 = sym->get_local_param(def, 5);
    f.k6 = sym->get_local_param(def, 6);
    if (def->options & 0x10) f.nx = T(std::max(1.0, f.w / (sx * 100.0)));
    if (def->options & 0x20) f.ny = T(std::max(1.0, f.h / (f.s * 100.0)));
    if (def->gr && def->type == 1) draw_bitmap(def, f, p, mode, marks);
    else if (def->gr && def->type == 2) draw_vector(def, f, sym, p, mode, marks);
    else if (def->gr && def->type == 3) draw_curve(def, f, sym, p, mode, marks);
    if (marks) draw_link(sym, f, p, mode);
    p->go_to(f.px, f.py);
}
