#pragma once
// SymbolGeometry: where a placed symbol lies on the score panel and what a press on it grabs,
// as plain arithmetic over plain data, so that the symbol tool (tools/ScoreDispatchSymbols.cpp)
// only reads the score, calls these and writes the results back.
//
// Units: a symbol's parameters 1 and 2 are its origin from its measure's left edge (score units,
// `scalex` pixels each) and from its staff's top line (staff units, `scaley` x staff scale
// pixels each); 3 and 4 its width and height in percent, 5 and 6 its horizontal and vertical
// shear in percent, 7 to 12 the first, middle and last point of a curve in graphic units.
// Every conversion of a real value to a pixel or a parameter truncates toward zero, at each
// step, as the drawing of the symbol does (layout/SymbolDrawing.cpp), so that what is grabbed
// is what is drawn.
//
// Threads: none of its own; pure functions.

#include <cstdint>

// The zoom and the staff scale a symbol is seen at.
struct SymbolZoom {
    float scalex = 1.0f, scaley = 1.0f;
    float ss = 1.0f;  // the staff's instrument size / 100
    float unit_y() const { return scaley * ss; }
};

// Definition options that decide the geometry.
namespace symbol_option {
enum : short {
    ShearX = 0x0001,
    ShearY = 0x0002,
    StretchX = 0x0004,
    StretchY = 0x0008,
    TileX = 0x0010,
    TileY = 0x0020,
    Resizable = 0x003F,  // any of the above: a resize handle, no staff scale on the width
    KeepClear = 0x0040,  // pushed out of the five lines
    IntoSpace = 0x0080,  // a bound symbol inside the staff goes to the middle of a space
    AltStemDown = 0x0100,  // on a note whose stem direction is 1, the alternate definition
    AltStemUp = 0x0200,    // on a note whose stem direction is 0
    MovableX = 0x0800,
    MovableY = 0x1000,
    OwnRule = 0x2000,
    Invisible = 0x4000,
    Respaces = (short)0x8000,  // the measure is re-justified after a change
};
}  // namespace symbol_option

// Graphic kinds of a definition.
enum SymbolGraphic : short { GraphicBitmap = 1, GraphicDrawing = 2, GraphicCurve = 3 };

// A symbol's screen frame: its origin in panel pixels, its width and height factors (percent,
// the zoom included) and its shears.
struct SymbolFrame {
    short x = 0, y = 0;
    short fw = 0, fh = 0;
    short shear_x = 0, shear_y = 0;
};

// The frame of a symbol whose measure's top-left corner is (mx, my) in panel pixels, with
// parameters p[1..6]. A bound symbol that is not resizable is moved left by a quarter of a note
// head (less for a large staff); `head_width` is the note head's width in pixels at `scalex`.
SymbolFrame symbol_frame(short mx, short my, const short p[7], bool bound, bool resizable, float head_width,
                         const SymbolZoom& z);

// The graphic of a definition as the grab test sees it.
struct SymbolShape {
    short type = 0;                        // SymbolGraphic; any other: no graphic, never hit
    short bitmap_w = 0, bitmap_h = 0;      // a bitmap's size in its own pixels
    short x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // a drawing's box
    short ox = 0, oy = 0;                  // a drawing's origin
};

// Grab kinds of a press on a symbol.
enum SymbolGrab : short {
    GrabNone = 0,
    GrabBody = 1,    // moves the symbol
    GrabResize = 2,  // the corner square, resizable symbols
    GrabFirst = 3,   // a curve's first point: moves the curve
    GrabMiddle = 4,  // a curve's middle point
    GrabLast = 5,    // a curve's last point, the middle point following by half
    GrabShear = 6,   // the corner square with Ctrl
};

// What a press grabs: the kind, the offset from the press to the resize corner, and for a grab
// of a curve's last point the middle point's offset from the origin in pixels at the press.
struct SymbolHit {
    short kind = GrabNone;
    short del_x = 0, del_y = 0;
    short ox2 = 0, oy2 = 0;
};

// The four corners, relative to the symbol's origin, of its transformed graphic box: the images
// of (0, 0), (w, h), (w, 0) and (0, h). Bitmaps only and drawings only.
struct SymbolCorners {
    short x[4] = {}, y[4] = {};
};
SymbolCorners symbol_corners(const SymbolShape& g, const SymbolFrame& f, const SymbolZoom& z);

// True when (cx, cy), relative to the origin, lies inside the four corners' quadrilateral,
// its sides included.
bool inside_corners(const SymbolCorners& c, short cx, short cy);

// The grab test of one symbol for a press at panel (px, py); p[1..12] are its parameters.
// `resizable` and `ctrl` choose between the corner's two grabs.
SymbolHit grab_symbol(const SymbolShape& g, const SymbolFrame& f, const short p[13], bool resizable, bool ctrl,
                      short px, short py, const SymbolZoom& z);

// The graphic's size at this zoom (W, H) and its corner relative to its origin (X4, Y4).
struct ShapeSize {
    int32_t w = 0, h = 0, x4 = 0, y4 = 0;
};
ShapeSize shape_size(const SymbolShape& g, const SymbolZoom& z);

// Resizing: the width and height percent that put the transformed corner at (X, Y) relative to
// the origin, the shears kept; a zero divisor leaves that value at `keep_w` / `keep_h`.
struct Percent2 {
    short a = 0, b = 0;
};
Percent2 resize_percent(int32_t X, int32_t Y, const ShapeSize& s, short shear_x, short shear_y, short keep_w,
                        short keep_h);
// Shearing: the shears that put the corner at (X, Y) with the press's factors fw, fh.
Percent2 shear_percent(int32_t X, int32_t Y, const ShapeSize& s, short fw, short fh, short keep_x, short keep_y);

// Dragging a curve's last point by (tx, ty) units in total: the middle point's new place, half
// the movement (integer halves) added to where it was at the press (ox2, oy2 pixels).
struct Point2 {
    short x = 0, y = 0;
};
Point2 middle_after_last(short tx, short ty, short ox2, short oy2, const SymbolZoom& z);

// Keep-clear after a drag or at a free insertion: k, d and h in pixels (the symbol's y, its
// reference offset and its height), the result the new parameter 2, or `p2` when the symbol is
// already clear: in the upper half (k <= 12 staff units) it goes above the staff unless it is
// already there, else below it unless it is already there.
short keep_clear_pixels(short p2, int32_t k, int32_t d, int32_t h, float unit_y);
// Keep-clear at a bound insertion, in staff units: above when k <= 0, below when k > 0.
short keep_clear_units(short k, short d, short h);

// The middle of a staff space for a bound symbol at k with its note at anchor_y: moved away from
// the note one unit at a time until k is 3 or -3 modulo 6, only inside the staff's reach.
short into_space(short k, short anchor_y);
