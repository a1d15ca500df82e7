// The arithmetic of placed symbols: their screen frame, what a press grabs on a bitmap, a
// vector drawing with its origin inside its box and a three-point curve, the resize and shear
// solved back into percent, a curve's middle point following its last one, and the rules that
// keep a symbol off the staff lines or put it in the middle of a space.
#include <gtest/gtest.h>

#include "tools/SymbolGeometry.h"

namespace {

SymbolShape bitmap(short w, short h) {
    SymbolShape g;
    g.type = GraphicBitmap;
    g.bitmap_w = w, g.bitmap_h = h;
    return g;
}

SymbolShape drawing(short x1, short y1, short x2, short y2, short ox, short oy) {
    SymbolShape g;
    g.type = GraphicDrawing;
    g.x1 = x1, g.y1 = y1, g.x2 = x2, g.y2 = y2, g.ox = ox, g.oy = oy;
    return g;
}

SymbolFrame frame_at(short x, short y, short fw = 100, short fh = 100, short shx = 0, short shy = 0) {
    SymbolFrame f;
    f.x = x, f.y = y, f.fw = fw, f.fh = fh, f.shear_x = shx, f.shear_y = shy;
    return f;
}

const SymbolZoom kOne{};

}  // namespace

TEST(SymbolGeometry, TheFrameTruncatesAtEachStepAndShiftsABoundGlyphOntoTheHead) {
    struct Case {
        const char* what;
        short p1, p2, p3, p4;
        bool bound, resizable;
        float head, scalex, scaley, ss;
        short x, y, fw, fh;
    } cases[] = {
        {"free, zoom 1", 10, -6, 100, 100, false, false, 10, 1, 1, 1, 110, 44, 100, 100},
        {"bound: a quarter head left", 10, -6, 100, 100, true, false, 10, 1, 1, 1, 107, 44, 100, 100},
        {"bound and resizable: not shifted", 10, -6, 100, 100, true, true, 10, 1, 1, 1, 110, 44, 100, 100},
        {"zoom 1.5", 10, 7, 100, 100, false, false, 10, 1.5f, 1.5f, 1, 115, 60, 150, 150},
        {"large staff: width by the staff scale unless resizable", 10, 10, 100, 100, false, false, 10, 1, 1, 1.5f,
         110, 65, 150, 150},
        {"large staff, resizable", 10, 10, 100, 100, false, true, 10, 1, 1, 1.5f, 110, 65, 100, 150},
        {"large staff, bound: a smaller shift", 10, 0, 100, 100, true, false, 20, 1, 1, 1.5f, 108, 50, 150, 150},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const short p[7] = {0, c.p1, c.p2, c.p3, c.p4, 0, 0};
        const SymbolFrame f = symbol_frame(100, 50, p, c.bound, c.resizable, c.head, {c.scalex, c.scaley, c.ss});
        EXPECT_EQ(f.x, c.x);
        EXPECT_EQ(f.y, c.y);
        EXPECT_EQ(f.fw, c.fw);
        EXPECT_EQ(f.fh, c.fh);
    }
}

TEST(SymbolGeometry, GrabKindsOverABitmapADrawingWithItsOriginInsideAndAShearedBox) {
    struct Case {
        const char* what;
        SymbolShape g;
        SymbolFrame f;
        bool resizable, ctrl;
        short dx, dy;  // the press from the frame's origin
        short kind;
    } cases[] = {
        {"bitmap body", bitmap(10, 8), frame_at(100, 50), false, false, 5, 4, GrabBody},
        {"bitmap edges count", bitmap(10, 8), frame_at(100, 50), false, false, 10, 8, GrabBody},
        {"bitmap corner, not resizable: the body", bitmap(10, 8), frame_at(100, 50), false, false, 9, 7, GrabBody},
        {"bitmap corner, resizable", bitmap(10, 8), frame_at(100, 50), true, false, 9, 7, GrabResize},
        {"bitmap corner with Ctrl: shear", bitmap(10, 8), frame_at(100, 50), true, true, 4, 2, GrabShear},
        {"beside the bitmap", bitmap(10, 8), frame_at(100, 50), true, false, 11, 4, GrabNone},
        {"above the bitmap", bitmap(10, 8), frame_at(100, 50), true, false, 5, -1, GrabNone},
        {"bitmap twice as wide", bitmap(10, 8), frame_at(100, 50, 200), false, false, 19, 4, GrabBody},
        // Sheared right by half: the bottom edge runs from x 5 to 15.
        {"sheared: inside only because of the shear", bitmap(10, 8), frame_at(100, 50, 100, 100, 50), false, false,
         12, 7, GrabBody},
        {"sheared: the bottom-left is now outside", bitmap(10, 8), frame_at(100, 50, 100, 100, 50), false, false, 2,
         7, GrabNone},
        {"sheared corner moved with the shear", bitmap(10, 8), frame_at(100, 50, 100, 100, 50), true, false, 14, 7,
         GrabResize},
        // A drawing whose box runs from -4 to 20 across and -10 to 6 down, origin (4, -2): on
        // screen the box lies from 8 left of the origin to 16 right of it.
        {"drawing left of its origin", drawing(-4, -10, 20, 6, 4, -2), frame_at(100, 50), false, false, -6, 0,
         GrabBody},
        {"drawing corner", drawing(-4, -10, 20, 6, 4, -2), frame_at(100, 50), true, false, 15, 7, GrabResize},
        {"beside the drawing", drawing(-4, -10, 20, 6, 4, -2), frame_at(100, 50), true, false, 17, 0, GrabNone},
        {"above the drawing", drawing(-4, -10, 20, 6, 4, -2), frame_at(100, 50), true, false, 0, -9, GrabNone},
        {"no graphic is never hit", SymbolShape{}, frame_at(100, 50), true, false, 0, 0, GrabNone},
    };
    const short p[13] = {};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SymbolHit h =
            grab_symbol(c.g, c.f, p, c.resizable, c.ctrl, (short)(c.f.x + c.dx), (short)(c.f.y + c.dy), kOne);
        EXPECT_EQ(h.kind, c.kind);
    }
    // The press's offset to the corner, for the resize that follows.
    const SymbolHit h = grab_symbol(bitmap(10, 8), frame_at(100, 50), p, true, false, 106, 55, kOne);
    EXPECT_EQ(h.kind, GrabResize);
    EXPECT_EQ(h.del_x, 4);
    EXPECT_EQ(h.del_y, 3);
}

TEST(SymbolGeometry, ACurveIsGrabbedByItsThreePointsOnlyTheLaterSquareWinning) {
    SymbolShape curve;
    curve.type = GraphicCurve;
    // First (0, 0), middle (20, -6), last (40, 0).
    const short p[13] = {0, 0, 0, 100, 100, 0, 0, 0, 0, 20, -6, 40, 0};
    struct Case {
        short x, y;
        SymbolZoom z;
        short kind, ox2, oy2;
    } cases[] = {
        {102, 53, kOne, GrabFirst, 0, 0},
        {97, 47, kOne, GrabFirst, 0, 0},
        {117, 41, kOne, GrabMiddle, 0, 0},
        {143, 47, kOne, GrabLast, 20, -6},
        {110, 50, kOne, GrabNone, 0, 0},   // no body grab between the points
        {104, 50, kOne, GrabNone, 0, 0},   // 4 pixels off
        {180, 50, {2, 2, 1}, GrabLast, 40, -12},  // zoom 2: the last point at 80 pixels
    };
    for (const Case& c : cases) {
        const SymbolHit h = grab_symbol(curve, frame_at(100, 50), p, false, false, c.x, c.y, c.z);
        EXPECT_EQ(h.kind, c.kind) << c.x << "," << c.y;
        EXPECT_EQ(h.ox2, c.ox2);
        EXPECT_EQ(h.oy2, c.oy2);
    }
    // Points close together: the last square that holds the press wins.
    const short close[13] = {0, 0, 0, 100, 100, 0, 0, 0, 0, 4, 0, 8, 0};
    EXPECT_EQ(grab_symbol(curve, frame_at(100, 50), close, false, false, 102, 50, kOne).kind, GrabMiddle);
    EXPECT_EQ(grab_symbol(curve, frame_at(100, 50), close, false, false, 106, 50, kOne).kind, GrabLast);
}

TEST(SymbolGeometry, ResizeAndShearSolveTheTransformBackIntoPercent) {
    const ShapeSize s = shape_size(bitmap(10, 8), kOne);
    EXPECT_EQ(s.w, 10);
    EXPECT_EQ(s.y4, 8);
    struct Case {
        const char* what;
        int32_t X, Y;
        short shear_x, shear_y;
        short w, h;
    } resizes[] = {
        {"twice the size", 20, 16, 0, 0, 200, 200},
        {"half the width", 5, 8, 0, 0, 50, 100},
        {"the horizontal shear kept", 20, 8, 50, 0, 133, 100},
        {"the vertical shear kept", 10, 16, 0, 50, 100, 133},
    };
    for (const Case& c : resizes) {
        SCOPED_TRACE(c.what);
        const Percent2 r = resize_percent(c.X, c.Y, s, c.shear_x, c.shear_y, -1, -1);
        EXPECT_EQ(r.a, c.w);
        EXPECT_EQ(r.b, c.h);
    }
    // The shear that moves the corner of a 100 % box 5 pixels right, and 4 down.
    const Percent2 sh = shear_percent(15, 12, s, 100, 100, -1, -1);
    EXPECT_EQ(sh.a, 50);
    EXPECT_EQ(sh.b, 50);
    // A drawing's corner is taken from its origin.
    const ShapeSize d = shape_size(drawing(0, -5, 48, 5, 0, 0), kOne);
    EXPECT_EQ(resize_percent(96, 5, d, 0, 0, -1, -1).a, 200);
    // Nothing to divide by: the values stay.
    const Percent2 none = resize_percent(20, 16, ShapeSize{}, 0, 0, 77, 88);
    EXPECT_EQ(none.a, 77);
    EXPECT_EQ(none.b, 88);
    const Percent2 flat = shear_percent(20, 16, ShapeSize{}, 100, 100, 5, 6);
    EXPECT_EQ(flat.a, 5);
    EXPECT_EQ(flat.b, 6);
}

TEST(SymbolGeometry, ACurvesMiddlePointFollowsItsLastPointByHalf) {
    struct Case {
        short tx, ty, ox2, oy2;
        SymbolZoom z;
        short x, y;
    } cases[] = {
        {10, 0, 20, -6, kOne, 25, -6},          // a slur's last point +10: the middle +5
        {11, -3, 20, -6, kOne, 25, -7},         // integer halves
        {-11, 0, 20, -6, kOne, 15, -6},
        {10, 4, 40, -12, {2, 2, 1}, 25, -4},    // the press offsets are pixels
    };
    for (const Case& c : cases) {
        const Point2 m = middle_after_last(c.tx, c.ty, c.ox2, c.oy2, c.z);
        EXPECT_EQ(m.x, c.x) << c.tx;
        EXPECT_EQ(m.y, c.y) << c.ty;
    }
}

TEST(SymbolGeometry, KeepClearPushesASymbolOffTheLinesOnTheNearerSide) {
    // A symbol 10 high with its reference at its bottom (d 0).
    struct Case {
        const char* what;
        int32_t k;
        float unit;
        short p2;
    } cases[] = {
        {"in the upper half: above the staff", 5, 1, -10},
        {"on the middle line: above", 12, 1, -10},
        {"in the lower half: below", 13, 1, 24},
        {"already above stays", -20, 1, 99},
        {"just clear above stays", -10, 1, 99},
        {"already below stays", 30, 1, 99},
        {"zoom 2: pixels back to units", 10, 2, -10},
        {"zoom 2, lower half", 30, 2, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(keep_clear_pixels(99, c.k, 0, (int32_t)(10 * c.unit), c.unit), c.p2);
    }
    struct Unit {
        short k, d, h, y;
    } bound[] = {
        {-2, 0, 10, -10}, {0, 0, 10, -10}, {-15, 0, 10, -15}, {1, 0, 10, 24}, {5, 2, 10, 26}, {30, 0, 10, 30},
        {32, 0, 14, 32},  // a dynamic placed below the staff stays
    };
    for (const Unit& u : bound) EXPECT_EQ(keep_clear_units(u.k, u.d, u.h), u.y) << u.k;
}

TEST(SymbolGeometry, AStaccatoGoesToTheMiddleOfTheSpaceAwayFromItsNote) {
    struct Case {
        short k, note, y;
    } cases[] = {
        {10, 12, 9},   // 2 above a note on the middle line: the space above it
        {4, 12, 3},   {3, 12, 3},  {0, 12, -3}, {-2, 12, -3},
        {-5, 12, -5},  // above the staff's reach: left alone
        {14, 12, 15},  {12, 12, 15},  // not above the note: downward
        {22, 12, 27}, {27, 12, 27}, {40, 12, 40},
    };
    for (const Case& c : cases) {
        const short y = into_space(c.k, c.note);
        EXPECT_EQ(y, c.y) << c.k;
        if (y == c.k && (c.k <= -3 || c.k >= 27)) continue;
        EXPECT_TRUE(y % 6 == 3 || y % 6 == -3) << y;
    }
}
