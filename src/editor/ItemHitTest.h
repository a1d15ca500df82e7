#pragma once
// Which measure, note or rest of the page shown lies under a point of the score panel.
//
// The walk visits the page of the score editor view (`Document.cur_pag`, 0 the linear strip):
// its systems top to bottom, their staves in order, each staff's measures left to right. Every
// place is in the panel's pixels: a measure's stored `x`, `y`, `width` times the zoom, an item's
// stored `x` times `scalex` and its `y` times `scaley` and the staff scale of its part
// (`Ins.staff_size` / 100); every conversion to an integer truncates toward zero. A measure
// counts only across: it holds the points with mx - ox <= x < mx - ox + mw, whatever their
// height. Every index read from the document (staves, systems, measures, parts) is checked
// against its array, so a damaged layout makes the walk skip, never read outside.
//
// The walk reads the document and the view only: it writes no global. GUI thread.

#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"

class Editeur;

// One measure of the page shown as the walk meets it.
struct ShownMeasure {
    CMeasure* m = nullptr;
    short index = 0;           // in Document.mes
    short staff = 0, system = 0;  // ids in Document.por and Document.sys
    short mpos = 0, ppos = 0, spos = 0;  // measure in its staff, staff in its system, system in the page
    short part = 1;            // the staff's part (column-1 lookup of its first measure)
    float ss = 1.0f;           // that part's staff scale
    short mx = 0, my = 0, mw = 0;  // trunc(x * scalex), trunc(y * scaley), trunc(width * scalex)
};

// The staff scale of part p (1.0 for a part out of range or of size 0).
float staff_scale_of(short part);
// Calls f(const ShownMeasure&) for each measure of the page shown, in walk order, until f
// answers true; true when it did.
bool walk_shown_measures(const Editeur* v, bool (*f)(const ShownMeasure&, void*), void* data);
template <class F>
bool walk_shown(const Editeur* v, F f) {
    return walk_shown_measures(
        v, [](const ShownMeasure& s, void* d) -> bool { return (*static_cast<F*>(d))(s); }, &f);
}
// The column (measure number along its staff) of the measure of the page shown that holds panel
// point (x, y): across it, and from 30 pixels above its staff to 30 below; 0 when none.
short measure_column_at(const Editeur* v, short x, short y);
// True when panel x lies across measure s.
bool spans_x(const Editeur* v, const ShownMeasure& s, short x);

// The head box of a note, the glyph box of a rest: true when view point (vx, vy) (panel point
// plus the scroll origin) lies in it, bounds included. Rests of a value outside 0..9 have the
// box of a point.
bool note_box_holds(const Editeur* v, const ShownMeasure& s, const CNote* n, float vx, float vy);
bool rest_box_holds(const Editeur* v, const ShownMeasure& s, const CRest* r, float vx, float vy);

// Where a hit test found its item: the item's index in its measure and the walk's place. The
// place fields are written as the walk goes, so after a miss they hold the last place visited.
struct ItemHit {
    short item = 0;
    ShownMeasure at;
};
// The first note (rest) in walk order whose box holds panel point (x, y); 1 on a hit.
short find_note_at(const Editeur* v, short x, short y, ItemHit* hit);
short find_rest_at(const Editeur* v, short x, short y, ItemHit* hit);

// The measure that a click at panel (x, y) puts something into: among the measures spanning x,
// the first whose staff band (24 units from its top line) holds y, bounds included, else the
// first nearest to the band; false when no measure of the page spans x.
bool target_measure(const Editeur* v, short x, short y, ShownMeasure* target);
