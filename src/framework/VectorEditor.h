#pragma once
// The vector drawing editor: a modal window with a strip of tools and colours above a canvas
// showing the drawing inside its frame. The user draws rectangles, ellipses, lines, texts and
// polygons, selects elements to move them or their handles, recolours and reorders them,
// moves the origin and the frame's corners. The drawing is edited in place (it may be replaced
// by a longer one when elements are added).

#include "framework/CFont.h"
#include "framework/Vector.h"

class CPanel;
class CUserPanel;
class CRect;
struct Event;

namespace vector_editor {
extern short cur_outil;    // 1 select, 2 text, 3/4 rectangle, 5/6 ellipse, 7/8 polygon, 9 line
extern short cur_col;      // the outline, line and text colour (0 to 15)
extern short cur_col_sec;  // the fill colour
extern short cur_w;        // pen width, tenths of a millimetre
extern short cur_sel;      // the selected element's slot, 0 for none
extern CFont cur_font;     // the font of new texts
extern short close_vecteur_var;
extern short inside_dispatch_vecteur;
extern CUserPanel* surface;  // the open editor's drawing surface, null when none
}  // namespace vector_editor

Vect_dessin* edit_vect_dessin(Vect_dessin* dessin);
short dessin_handler(CPanel* pan, Event* evt);
void draw_vecteur(CUserPanel* up);
short dispatch_vecteur(Event* event, CUserPanel* up);
void redraw_it(Vect_dessin* dessin, CRect* ri, short bol, CUserPanel* up);
void draw_select(CUserPanel* up, Vect_dessin* dessin, short x, short y, short bol, CRect* ri);
