#include "tools/SymbolGeometry.h"

#include <cstdlib>

#include "framework/VectorDrawing.h"

namespace {

constexpr short kCornerSquare = 6;  // pixels of the resize square, up and left of the corner
constexpr short kPointSquare = 3;   // pixels on each side of a curve point

short trunc_short(double v) { return (short)v; }

// Corner pair interpolation: the coordinate of the side (a0, b0)-(a1, b1) at a, or b0 when the
// side does not move along a.
int32_t along(int32_t a0, int32_t b0, int32_t a1, int32_t b1, int32_t a) {
    if (a1 == a0) return b0;
    return b0 + (b1 - b0) * (a - a0) / (a1 - a0);
}

}  // namespace

SymbolFrame symbol_frame(short mx, short my, const short p[7], bool bound, bool resizable, float head_width,
                         const SymbolZoom& z) {
    SymbolFrame f;
    f.x = trunc_short(mx + p[1] * z.scalex);
    if (bound && !resizable) f.x = trunc_short(f.x - head_width * (0.25 - (z.ss - 1.0) * 0.3));
    f.y = trunc_short(my + p[2] * z.unit_y());
    f.fw = resizable ? trunc_short(p[3] * z.scalex) : trunc_short(p[3] * z.scalex * z.ss);
    f.fh = trunc_short(p[4] * z.unit_y());
    f.shear_x = p[5];
    f.shear_y = p[6];
    return f;
}

SymbolCorners symbol_corners(const SymbolShape& g, const SymbolFrame& f, const SymbolZoom& z) {
    SymbolCorners c;
    short x1 = 0, y1 = 0, x2 = 0, y2 = 0, ox = 0, oy = 0, ref_w = 0, ref_h = 0;
    if (g.type == GraphicBitmap) {
        x2 = ref_w = trunc_short(g.bitmap_w * z.scalex * z.ss);
        y2 = ref_h = trunc_short(g.bitmap_h * z.unit_y());
    } else if (g.type == GraphicDrawing) {
        x1 = g.x1, y1 = g.y1, x2 = g.x2, y2 = g.y2, ox = g.ox, oy = g.oy;
        ref_w = trunc_short(g.x2 * z.scalex);
        ref_h = trunc_short(g.y2 * z.unit_y());
    } else {
        return c;
    }
    const short xs[4] = {x1, x2, x2, x1}, ys[4] = {y1, y2, y1, y2};
    for (int i = 0; i < 4; i++) {
        short x = xs[i], y = ys[i];
        transformer_point(&x, &y, ref_w, ref_h, ox, oy, f.fw, f.fh, f.shear_x, f.shear_y);
        c.x[i] = (short)(x - ox);
        c.y[i] = (short)(y - oy);
    }
    return c;
}

bool inside_corners(const SymbolCorners& c, short cx, short cy) {
    // Corners: 0 top-left, 1 bottom-right, 2 top-right, 3 bottom-left.
    const int32_t top = along(c.x[0], c.y[0], c.x[2], c.y[2], cx);
    const int32_t bottom = along(c.x[3], c.y[3], c.x[1], c.y[1], cx);
    const int32_t left = along(c.y[0], c.x[0], c.y[3], c.x[3], cy);
    const int32_t right = along(c.y[2], c.x[2], c.y[1], c.x[1], cy);
    return cy >= top && cy <= bottom && cx >= left && cx <= right;
}

SymbolHit grab_symbol(const SymbolShape& g, const SymbolFrame& f, const short p[13], bool resizable, bool ctrl,
                      short px, short py, const SymbolZoom& z) {
    SymbolHit hit;
    if (g.type == GraphicCurve) {
        for (short k = 1; k <= 3; k++) {
            const short x = trunc_short(f.x + p[5 + 2 * k] * z.scalex);
            const short y = trunc_short(f.y + p[6 + 2 * k] * z.unit_y());
            if (std::abs(px - x) <= kPointSquare && std::abs(py - y) <= kPointSquare) hit.kind = (short)(GrabFirst + k - 1);
        }
        if (hit.kind == GrabLast) {
            hit.ox2 = trunc_short(p[9] * z.scalex);
            hit.oy2 = trunc_short(p[10] * z.unit_y());
        }
        return hit;
    }
    if (g.type != GraphicBitmap && g.type != GraphicDrawing) return hit;
    const SymbolCorners c = symbol_corners(g, f, z);
    const short cx = (short)(px - f.x), cy = (short)(py - f.y);
    if (inside_corners(c, cx, cy)) hit.kind = GrabBody;
    const short x2 = c.x[1], y2 = c.y[1];
    if (resizable && cx >= x2 - kCornerSquare && cx <= x2 && cy >= y2 - kCornerSquare && cy <= y2)
        hit.kind = ctrl ? GrabShear : GrabResize;
    if (hit.kind) {
        hit.del_x = (short)(x2 - cx);
        hit.del_y = (short)(y2 - cy);
    }
    return hit;
}

ShapeSize shape_size(const SymbolShape& g, const SymbolZoom& z) {
    ShapeSize s;
    if (g.type == GraphicBitmap) {
        s.w = s.x4 = trunc_short(g.bitmap_w * z.scalex * z.ss);
        s.h = s.y4 = trunc_short(g.bitmap_h * z.unit_y());
    } else if (g.type == GraphicDrawing) {
        s.w = trunc_short(g.x2 * z.scalex);
        s.h = trunc_short(g.y2 * z.unit_y());
        s.x4 = trunc_short((g.x2 - g.ox) * z.scalex);
        s.y4 = trunc_short((g.y2 - g.oy) * z.unit_y());
    }
    return s;
}

Percent2 resize_percent(int32_t X, int32_t Y, const ShapeSize& s, short shear_x, short shear_y, short keep_w,
                        short keep_h) {
    Percent2 r{keep_w, keep_h};
    const int64_t den_w = (int64_t)s.h * s.x4 * 100 + (int64_t)s.y4 * shear_x * s.w;
    const int64_t den_h = (int64_t)s.w * s.y4 * 100 + (int64_t)s.x4 * shear_y * s.h;
    if (den_w) r.a = (short)((int64_t)X * s.h * 10000 / den_w);
    if (den_h) r.b = (short)((int64_t)Y * s.w * 10000 / den_h);
    return r;
}

Percent2 shear_percent(int32_t X, int32_t Y, const ShapeSize& s, short fw, short fh, short keep_x, short keep_y) {
    Percent2 r{keep_x, keep_y};
    const int64_t den_x = (int64_t)fw * s.w * s.y4;
    const int64_t den_y = (int64_t)fh * s.h * s.x4;
    if (den_x) r.a = (short)((int64_t)s.h * (100 * (int64_t)X - (int64_t)s.x4 * fw) * 100 / den_x);
    if (den_y) r.b = (short)((int64_t)s.w * (100 * (int64_t)Y - (int64_t)s.y4 * fh) * 100 / den_y);
    return r;
}

Point2 middle_after_last(short tx, short ty, short ox2, short oy2, const SymbolZoom& z) {
    return {trunc_short(tx / 2 + ox2 / z.scalex), trunc_short(ty / 2 + oy2 / z.unit_y())};
}

short keep_clear_pixels(short p2, int32_t k, int32_t d, int32_t h, float unit_y) {
    if (unit_y <= 0) return p2;
    if (k <= 12 * unit_y) return k > d - h ? trunc_short((d - h) / unit_y) : p2;
    return k < d + 24 * unit_y ? trunc_short((d + 24 * unit_y) / unit_y) : p2;
}

short keep_clear_units(short k, short d, short h) {
    if (k <= 0 && k > d - h) return (short)(d - h);
    if (k > 0 && k < d + 24) return (short)(d + 24);
    return k;
}

short into_space(short k, short anchor_y) {
    if (k < anchor_y) {
        if (k > -3)
            while (k % 6 != 3 && k % 6 != -3) k--;
    } else if (k < 27) {
        while (k % 6 != 3 && k % 6 != -3) k++;
    }
    return k;
}
