#include "layout/DrawingServices.h"

#include <cmath>
#include <cstring>
#include <vector>

#include "framework/CUserPanel.h"
#include "layout/DrawingRules.h"
#include "layout/LayoutPlaceholders.h"
#include "score/OldFormats.h"
#include "score/Placeholders.h"

short epaisseur_courbe = 1;
CComposer* composer = nullptr;

namespace {

// A point of the quadratic curve from a through b (at its middle) to c.
void curve_point(double t, double ax, double ay, double bx, double by, double cx, double cy,
                 int32_t* out) {
    // The control point that makes the curve pass through b at t = 0.5.
    double kx = 2 * bx - (ax + cx) / 2, ky = 2 * by - (ay + cy) / 2;
    double u = 1 - t;
    out[0] = (int32_t)std::lround(u * u * ax + 2 * u * t * kx + t * t * cx);
    out[1] = (int32_t)std::lround(u * u * ay + 2 * u * t * ky + t * t * cy);
}

}  // namespace

void draw_courbe(CUserPanel* panel, Courbe* c, short x, short y, short mode) {
    constexpr int STEPS = 16;
    double ax = x + c->x[1], ay = y + c->y[1], bx = x + c->x[2], by = y + c->y[2];
    double cx = x + c->x[3], cy = y + c->y[3];
    // The apex moves outwards, away from the line between the ends.
    double out = by - (ay + cy) / 2 >= 0 ? 1.0 : -1.0;
    double thick = epaisseur_courbe > 1 ? epaisseur_courbe - 1 : 0;
    std::vector<int32_t> points(4 * (STEPS + 1));
    for (int i = 0; i <= STEPS; i++) {
        curve_point((double)i / STEPS, ax, ay, bx, by, cx, cy, &points[2 * i]);
        curve_point((double)(STEPS - i) / STEPS, ax, ay, bx, by + out * thick, cx, cy,
                    &points[2 * (STEPS + 1 + i)]);
    }
    int32_t saved = panel->get_color();
    panel->set_color(BLACK);
    panel->fill_poly((short)(2 * (STEPS + 1)), points.data(), mode);
    panel->set_color(saved);
}

void draw_dessin_etendu(CUserPanel* panel, Vect_dessin* d, short x, short y, short wpct,
                        short hpct, short kx, short ky, short mode, float, float sy) {
    int32_t saved = panel->get_color();
    for (short i = 1; i <= d->total(); i++) {
        Vect_element* e = d->get(i);
        if (!e || e->kind != 4) continue;
        Vect_texte* t = static_cast<Vect_texte*>(e);
        short tx = t->x, ty = t->y;
        transformer_point(&tx, &ty, d->x2, d->y2, d->ox, d->oy, wpct, hpct, kx, ky);
        panel->set_font(t->police.get(), T(t->taille * sy), t->style);
        panel->set_color(t->col);
        short w = panel->string_width(t->s.get());
        short left = (short)(x + tx - d->ox);
        if (t->justi == 1) left = (short)(left - w);
        else if (t->justi != 0) left = (short)(left - w / 2);
        panel->go_to(left, (short)(y + ty - d->oy));
        panel->draw_string(t->s.get(), mode);
    }
    panel->set_color(saved);
}

void delete_vect_dessin(Vect_dessin* d) { delete d; }

void draw_image_ptr(CUserPanel* panel, const char* image, short x, short y) {
    short kind, w, h;
    std::memcpy(&kind, image, 2);
    std::memcpy(&w, image + 2, 2);
    std::memcpy(&h, image + 4, 2);
    platform::Surface* s = panel->get_dc();
    if (!s || w <= 0 || h <= 0) return;
    const unsigned char* pixels = reinterpret_cast<const unsigned char*>(image + 6);
    std::vector<int32_t> colors((size_t)w * (size_t)h);
    for (size_t i = 0; i < colors.size(); i++)
        colors[i] = kind == 16 ? translate_color(pixels[i]) : rgb(pixels[i], pixels[i], pixels[i]);
    short ox, oy;
    panel->get_origin(&ox, &oy);
    s->draw_pixels(x + ox, y + oy, colors.data(), w, h);
}
