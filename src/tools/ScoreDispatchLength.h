#pragma once
// The stem-length tool: the end of a note's stem is grabbed and dragged up or down. A beamed
// note's group is laid out again as the stem moves; an inner note of a beam moves the stems of
// both ends of the beam with it; an end note keeps the beam's slope within the document's beam
// angle. Symbols attached to the moved notes follow.
//
// The hit window and the limits are free functions over plain data. GUI thread only, inside the
// router.

class Editeur;
struct Event;

// The stem end of a note as the hit test sees it, in panel pixels: the head's place (hx, hy:
// the measure's origin plus trunc(x * scalex) and trunc((y - 2) * scaley * staff scale)).
struct StemEnd {
    short hx = 0, hy = 0;
    bool down = false;  // stem down
    short height = 0;  // stem length in staff units
};
// True when panel point (px, py) grabs the stem end: across, 3 to 11 units right of the head for
// a stem up, -3 to 5 for a stem down; down the staff, within 4 units of the stem's end.
bool stem_end_holds(const StemEnd& s, float scalex, float scaley, float ss, short px, short py);

// The range of `height` while the stem of an end note of a beam is dragged: its end kept within
// d units of the other end's (e, a staff y), d = |trunc(span * angle / 45)| - 2, span being the
// distance between the two ends' x. The range is always ordered (a span too short for the slope,
// as for a note taken as its own other end, gives the two units either side of `height`).
struct StemRange {
    short lowest = -10000, highest = 10000;
};
StemRange limite_hampe(short y, bool down, short height, short e, short span, short angle);
// The height after a drag step of `delta` staff units (positive down the staff): brought into
// the range, moved so that the stem end follows the pointer, and kept in the range.
short hauteur_suivante(short height, bool down, short delta, const StemRange& r);

// The tool's handler (router table field `hauteurs`).
short dispatch_editeur_hauteurs(Editeur* v, Event* e);
