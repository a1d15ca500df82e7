#pragma once
// Curves: a short list of points from which a smooth arc is drawn, point 1 being one end,
// point 2 the apex and point 3 the other end. The arc is two quadratic halves meeting at the
// apex with a tangent parallel to the chord; it is drawn `epaisseur_courbe` times, the apex
// moving one pixel outwards each time.
//
// Text form: "courbe(tot" then ",x,y" per point and ")" with a carriage return.

#include "framework/Vector.h"

#include <cstdio>

class CUserPanel;

// `tot` points numbered from 1 (slot 0 unused), in one allocation made by create_courbe.
struct Courbe {
    short tot;
    Vect_point p[];
};

extern float facteur_courbure;  // the apex tangent's length relative to the chord
extern short epaisseur_courbe;  // passes, that is the arc's thickness in pixels
// The quadratic weights of tot_tab_courbe + 1 steps from 0 to 1 (tot_tab_courbe 0: none yet).
extern float* ta;
extern float* tb;
extern float* tc;
extern short tot_tab_courbe;

// A curve of n points at (0, 0) (no points for n below 0); freed with delete_courbe.
Courbe* create_courbe(short n);
Courbe* dupliquer_courbe(Courbe* c);
void delete_courbe(Courbe* c);
short write_texte_courbe(FILE* f, Courbe* c);
// Reads one curve; a count that does not read, or is negative, gives no points, and values
// that do not read leave their points at (0, 0). Null only when memory runs out.
Courbe* read_texte_courbe(FILE* f);
void calculer_courbe_precise(short n);
// Draws in black the arc of the curve's first three points moved by (x, y); a curve of fewer
// points draws nothing.
void draw_courbe(CUserPanel* panel, Courbe* c, short x, short y, short mode);
