#pragma once
// The tuplet tool (tool 44): brackets of `n1` notes in the time of `n2` over a run of notes and
// rests of one measure.
//
// - A press on an empty place of a measure creates a tuplet with the tool's defaults, its
//   bracket over the notes when the press is in the upper half of the staff, under them in the
//   lower half, and lets the user stretch its end to the right (never closer than 10 units to
//   its start). With Ctrl the tuplet dialog opens after the stretch: OK makes its values the
//   defaults, Annuler takes the new tuplet away. A measure holding 16 tuplets takes no more
//   (a beep). Undo 21.
// - A press on a handle of a tuplet (its start, its end, its label) drags it: the start moves
//   the whole bracket, the end stretches it with the label following at half speed, the label
//   moves alone. A double click on a handle opens the dialog. Undo 23.
// - In erase mode a press on a handle deletes the tuplet; its notes and rests count at their
//   plain values again. Undo 22.
// After each change the notes and rests under the bracket, in the view's voice, are bound to
// the tuplet through the measure's tuplet masks.
//
// GUI thread, inside the router (tools/ToolContext.h).

#include <string>

class CNolet;
class Editeur;
struct Event;

short dispatch_editeur_nolet(Editeur* v, Event* e);

namespace nolet_undo {
enum : short { Created = 21, Deleted = 22, Changed = 23 };
}

// What a new tuplet takes; a tuplet made with Ctrl and confirmed in its dialog sets them.
struct NoletDefaults {
    short n1 = 3, n2 = 2, style = 1, dir = 1;
};
NoletDefaults& nolet_defaults();

// The tuplet dialog on t: true when confirmed (t holds the values chosen), false when cancelled
// (t unchanged). Replaceable (tests script it); the program's opens dialog 0x2F.
extern bool (*editer_nolet)(CNolet* t);
bool editer_nolet_dialog(CNolet* t);

// ---- Decisions, on plain data ----

// The label a tuplet shows: "n1" for styles 1, 4 and 6, "n1:n2" for the others, none for 3 and 8.
std::string nolet_label(const CNolet& t);

// A rectangle of panel pixels, bounds included.
struct PixelBox {
    short left, top, right, bottom;
    bool holds(short x, short y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};
// The three handles of a tuplet whose start lies at panel (ax, ay), with the zoom (sx, sy), the
// staff scale ss and the label's width in pixels.
struct NoletHandles {
    PixelBox start, end, label;
    bool has_label;
};
NoletHandles nolet_handles(const CNolet& t, short ax, short ay, float sx, float sy, float ss, short label_width);
// Which handle holds panel (x, y): 1 the start, 2 the end, 3 the label, 0 none (in that order).
short nolet_handle_at(const NoletHandles& h, short x, short y);

// A tuplet created by a press at (ux, uy) units of its measure (uy in staff units), in the
// upper half of the staff or not, with the defaults and its mask bit.
CNolet new_nolet(short ux, short uy, bool upper, const NoletDefaults& d, short mask);

// The leftmost pointer x (screen pixels) while the end is dragged from press gx0: the end stays
// 10 units right of the start.
short nolet_end_min_x(short gx0, short dx1, float sx);
// The label's offset from the start while the end moves by (mdx, mdy) pixels: half the movement
// from where it was at the press.
void nolet_label_follow(short press_dx2, short press_dy2, short mdx, short mdy, float sx, float sy, float ss,
                        short* dx2, short* dy2);
