#pragma once
// The measure tool: a press on the last 10 units of a measure, over its own staff, grabs its bar
// line; dragging it makes that measure column wider or narrower in every instrument. The
// following measures of the system move with it, or, in the page view of an extract that keeps
// the width of its systems, the next measure gives or takes the width. The contents of the
// measure are spread to the new width unless Ctrl was held at the press.
//
// The bounds of the drag are a free function over plain data; so is the change of the columns.
// GUI thread only, inside the router.

#include <vector>

class CUndoManager;
class Editeur;
struct Event;

// The column whose bar line is dragged, as the bounds need it (document units unless said).
struct BarLineColumn {
    float scalex = 1.0f;
    bool page = false;  // the page view (else the linear view)
    bool adjust = false;  // the extract keeps the width of its systems
    short k = 1, n = 1;  // the measure's place on its staff line, and the line's count
    short x = 0, width = 0, front = 0;
    short next_width = 0, next_front = 0;  // of the measure after it on the line (k < n)
    std::vector<short> widths_after;  // of every measure after it on the line
    short page_width = 0;  // the extract's page width
};
// The smallest and largest width of the column in pixels. A measure keeps its head part and 20
// units; in the linear view it may reach 32000 pixels; in the page view the line may reach 3
// units past the page's width, or, when the next measure gives the width, the next measure keeps
// its head part and 20 units. When the largest falls below the smallest the largest wins.
struct BarLineBounds {
    short smallest = 0, largest = 0;
};
BarLineBounds bornes_barre(const BarLineColumn& c);

// Widens column k of the staff line whose first column is c0 (n columns) by d pixels in every
// instrument of the master system: the measure itself (its contents spread from `old_px` to
// `new_px` wide unless `keep_places`), the measures after it moved (or, with `take_from_next`,
// the next one narrowed by as much and the rest left in place), and its neighbours' ties marked
// checked. Every measure changed is recorded in `undo` (may be null).
void elargir_colonne(short c0, short k, short n, short d, short old_px, short new_px, float scalex, bool keep_places,
                     bool page, bool take_from_next, CUndoManager* undo);

// The tool's handler (router table field `mesure`).
short dispatch_editeur_mesure(Editeur* v, Event* e);
