#pragma once
// Drawing vector drawings on a drawing surface, and their scale-and-shear transform about
// their origin.

#include "framework/Vector.h"

class CUserPanel;

// Draws every element up to the first empty slot with the drawing's origin on (x, y); `mode`
// goes to every drawing call. Pen widths (tenths of a millimetre, at least one pixel) and text
// sizes follow `scaley`; the horizontal factor has no effect. The pen width is 1 afterwards.
void draw_dessin(CUserPanel* up, Vect_dessin* dessin, short x, short y, short mode, float scalex, float scaley);

// Scales the elements' points about the origin by dw and dh per cent and shears them: dec_x is
// the horizontal shift over the frame's height in per cent of the scaled frame width, dec_y the
// vertical shift over the frame's width in per cent of the scaled frame height. A frame of no
// width or height gives no shear.
void transformer_dessin(Vect_dessin* des, short dw, short dh, short dec_x, short dec_y);
// The same transform of one point, for a frame (ref_w, ref_h) and an origin (ox, oy).
void transformer_point(short* x, short* y, short ref_w, short ref_h, short ox, short oy, short dw, short dh,
                       short dec_x, short dec_y);

// Draws a transformed copy of the drawing; the drawing itself is left unchanged.
void draw_dessin_etendu(CUserPanel* up, Vect_dessin* dessin, short x, short y, short dw, short dh, short dec_x,
                        short dec_y, short mode, float scalex, float scaley);

// The pen width in pixels of a width in tenths of a millimetre on that surface.
short vect_pen_pixels(CUserPanel* up, short w, float scaley);
