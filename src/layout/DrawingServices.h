#pragma once
// Stand-ins for the drawing services that the score objects' drawing calls and that other
// parts of the program will provide: curves, vector drawings and images of the symbol
// palettes, and the composition assistant's state. Each keeps the call sites as they will be.

#include <cstdint>

class CMeasure;
class CUserPanel;
struct Vect_dessin;

// A curve: `tot` points numbered from 1 (entry 0 unused); points 1 to 3 are its control points.
struct Courbe {
    short tot = 3;
    short x[4] = {};
    short y[4] = {};
};

// Strokes of the next curve drawn: its thickness in pixels at the apex.
extern short epaisseur_courbe;

// Draws in black a curve from point 1 through point 2 to point 3, each relative to (x, y): a
// crescent `epaisseur_courbe` pixels thick at the apex (one pixel at least), thin at the ends,
// bulging away from the line between the ends. The panel's colour is kept.
void draw_courbe(CUserPanel* panel, Courbe* c, short x, short y, short mode);
// Draws the drawing's text elements, each moved about the drawing's origin (ox, oy) by the
// percentages wpct and hpct and the slants kx and ky, the origin being placed at (x, y); texts
// in their own face, style and colour, at their size times sy, left (0), right (1) or centred
// on their x. The panel's colour is kept.
void draw_dessin_etendu(CUserPanel* panel, Vect_dessin* d, short x, short y, short wpct,
                        short hpct, short kx, short ky, short mode, float sx, float sy);
// Frees a vector drawing and its elements.
void delete_vect_dessin(Vect_dessin* d);
// Draws an image block (16-bit kind 16 or 256, width, height, then one byte per pixel: an
// old colour number for kind 16, a grey level for 256) with its top-left corner at (x, y).
void draw_image_ptr(CUserPanel* panel, const char* image, short x, short y);

// The composition assistant, reduced to what the drawing of a measure reads.
struct CComposer {
    CMeasure* cur_meas = nullptr;  // the assistant's current measure
    bool visible = false;          // its window is shown
};
extern CComposer* composer;  // null until the assistant is created
