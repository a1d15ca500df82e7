#include "framework/VectorDrawing.h"

#include "framework/CUserPanel.h"

#include <vector>

namespace {

struct Transform {
    float ox, oy, fxx, fyy, fxy, fyx;

    Transform(short x2, short y2, short ox_, short oy_, short dw, short dh, short dec_x, short dec_y)
        : ox(ox_), oy(oy_)
    {
        fxx = dw / 100.0f;
        fyy = dh / 100.0f;
        fxy = y2 ? (x2 * fxx * dec_x) / (y2 * 100.0f) : 0.0f;
        fyx = x2 ? (y2 * fyy * dec_y) / (x2 * 100.0f) : 0.0f;
    }
    void apply(short* x, short* y) const
    {
        const float px = *x - ox, py = *y - oy;
        const float nx = ox + fxx * px + fxy * py;
        const float ny = oy + fyx * px + fyy * py;
        *x = static_cast<short>(nx);
        *y = static_cast<short>(ny);
    }
};

}  // namespace

short vect_pen_pixels(CUserPanel* up, short w, float scaley)
{
    float pixels = w * up->get_resolution_y() * scaley / 10.0f;
    if (pixels < 1.0f) pixels = 1.0f;
    return static_cast<short>(pixels);
}

void draw_dessin(CUserPanel* up, Vect_dessin* d, short x, short y, short mode, float, float scaley)
{
    static std::vector<int32_t> points;  // kept between calls: drawing allocates only for longer polygons
    const short dx = static_cast<short>(x - d->ox), dy = static_cast<short>(y - d->oy);
    auto X = [dx](short v) { return static_cast<short>(v + dx); };
    auto Y = [dy](short v) { return static_cast<short>(v + dy); };
    for (short i = 1; i <= d->tot && d->v[i]; i++) {
        void* e = d->v[i];
        switch (vect_kind(e)) {
        case VECT_RECTANGLE:
        case VECT_ELLIPSE: {
            const Vect_rectangle* b = static_cast<const Vect_rectangle*>(e);
            const bool ellipse = vect_kind(e) == VECT_ELLIPSE;
            if (b->col_fill != -1) {
                up->set_color(b->col_fill);
                if (ellipse) up->fill_ellipse(X(b->x1), Y(b->y1), X(b->x2), Y(b->y2), mode);
                else up->fill_rect(X(b->x1), Y(b->y1), X(b->x2), Y(b->y2), mode);
            }
            up->set_color(b->col);
            up->set_pen_width(vect_pen_pixels(up, b->w, scaley));
            if (ellipse) up->draw_ellipse(X(b->x1), Y(b->y1), X(b->x2), Y(b->y2), mode);
            else up->draw_rect(X(b->x1), Y(b->y1), X(b->x2), Y(b->y2), mode);
            break;
        }
        case VECT_LIGNE: {
            const Vect_ligne* l = static_cast<const Vect_ligne*>(e);
            up->set_color(l->col);
            if (l->w < 0 && Y(l->y1) == Y(l->y2)) {
                int32_t xa = X(l->x1) < X(l->x2) ? X(l->x1) : X(l->x2);
                const int32_t xb = X(l->x1) < X(l->x2) ? X(l->x2) : X(l->x1);
                const int32_t length = -static_cast<int32_t>(l->w);
                bool on = true;
                do {
                    int32_t xe = xa + length > xb ? xb : xa + length;
                    if (on) up->draw_line(static_cast<short>(xa), Y(l->y1), static_cast<short>(xe), Y(l->y1), mode);
                    on = !on;
                    xa = xe;
                } while (xa < xb);
            } else {
                up->set_pen_width(vect_pen_pixels(up, l->w, scaley));
                up->draw_line(X(l->x1), Y(l->y1), X(l->x2), Y(l->y2), mode);
            }
            break;
        }
        case VECT_TEXTE: {
            const Vect_texte* t = static_cast<const Vect_texte*>(e);
            up->set_color(t->col);
            up->set_font(t->police, static_cast<short>(t->taille * scaley), t->style);
            short left = X(t->x);
            if (t->justi == 1) left = static_cast<short>(left - up->string_width(t->s));
            else if (t->justi != 0) left = static_cast<short>(left - up->string_width(t->s) / 2);
            up->go_to(left, Y(t->y));
            up->draw_string(t->s, mode);
            break;
        }
        case VECT_POLYGONE: {
            const Vect_polygone* p = static_cast<const Vect_polygone*>(e);
            if (p->n < 1) break;
            points.resize(2 * static_cast<size_t>(p->n));
            for (short k = 1; k <= p->n; k++) {
                points[2 * (k - 1)] = X(p->p[k].x);
                points[2 * (k - 1) + 1] = Y(p->p[k].y);
            }
            if (p->col_fill != -1) {
                up->set_color(p->col_fill);
                up->fill_poly(p->n, points.data(), mode);
            }
            up->set_color(p->col);
            up->set_pen_width(vect_pen_pixels(up, p->w, scaley));
            up->draw_poly(p->n, points.data(), mode);
            break;
        }
        }
    }
    up->set_pen_width(1);
}

void transformer_point(short* x, short* y, short ref_w, short ref_h, short ox, short oy, short dw, short dh,
                       short dec_x, short dec_y)
{
    Transform(ref_w, ref_h, ox, oy, dw, dh, dec_x, dec_y).apply(x, y);
}

void transformer_dessin(Vect_dessin* d, short dw, short dh, short dec_x, short dec_y)
{
    const Transform t(d->x2, d->y2, d->ox, d->oy, dw, dh, dec_x, dec_y);
    for (short i = 1; i <= d->tot && d->v[i]; i++)
        for_each_vect_point(d->v[i], [&t](short* x, short* y) { t.apply(x, y); });
}

void draw_dessin_etendu(CUserPanel* up, Vect_dessin* d, short x, short y, short dw, short dh, short dec_x,
                        short dec_y, short mode, float scalex, float scaley)
{
    Vect_dessin* copy = dupliquer_vect_dessin(d);
    if (!copy) return;
    transformer_dessin(copy, dw, dh, dec_x, dec_y);
    draw_dessin(up, copy, x, y, mode, scalex, scaley);
    delete_vect_dessin(copy);
}
