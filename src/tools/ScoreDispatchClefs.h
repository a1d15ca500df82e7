#pragma once
// The clef tool (50, and the any-object tools): a press on a clef drags it sideways inside its
// measure (undo 10), or deletes it in erase mode (undo 9); a press elsewhere in a measure opens
// the clef chooser and inserts the chosen clef at the start of the measure or, with the
// chooser's inside box, 8 units left of the press (undo 11). On insertion the notes the new clef
// governs move on the staff so that they keep their pitch, up to the next clef of another kind,
// across measures, systems and pages; clefs of the replaced kind further on become the new
// kind. A header clef (type 1) is the automatic headers' while they are on: it cannot be
// picked then, and a clef inserted at a measure's start replaces it.
//
// The chooser `choix_clef` is resource dialog 0x60 of "MUSIC.RES": a strip of the nine clefs
// drawn from the music font (`clefs_proc`), the inside box, the re-place-the-notes box and the
// reduced-size box. It answers the chosen clef id, negated for the inside box, with two option
// bits (`encode_clef_choice`); 0 when cancelled.
//
// GUI thread, inside the router (tools/ToolContext.h); the chooser and the drag are modal loops
// that turn the application's idle step.

#include <vector>

class CPanel;
class CMeasure;
class Editeur;
struct Event;

short dispatch_editeur_clefs(Editeur* v, Event* e);

short choix_clef(short clef);
short clefs_proc(CPanel* strip, Event* e);
// The chooser the tool opens: `choix_clef`; tests put a scripted one in its place.
extern short (*clef_chooser)(short clef);

namespace clef_undo {
enum : short { Deleted = 9, Moved = 10, Inserted = 11 };
}

// ---- Decisions, on plain data ----

// The chooser's answer and its reading.
struct ClefChoice {
    short id = 1;          // 1 to 9
    bool inside = false;   // placed inside the measure (a change of clef), not at its start
    bool replace = true;   // the notes keep their pitch
    bool reduced = false;  // drawn at 0.75 size
};
constexpr short kClefReplaceBit = 0x100, kClefReducedBit = 0x200;
short encode_clef_choice(const ClefChoice& c);
ClefChoice decode_clef_choice(short result);

// The strip's cell (0 to 8: clef id - 1) under a point of the strip panel; -1 outside the cells
// and on the tenth cell, which holds no clef.
constexpr short kClefCell = 21, kClefCells = 10;
short clef_cell_at(short x, short y);

// The x (score units) of a clef inserted inside a measure by a press `press_px` pixels right of
// the measure's left edge: 8 units left of the press, kept 2 pixels from the left edge and 18
// units from the right one.
short inside_clef_x(short press_px, short width, float scalex);
// The x of a clef dragged by `moved_px` pixels from `x`: its left edge kept between 2 units
// right of the measure's left edge and 18 units left of its right edge.
short dragged_clef_x(short x, short moved_px, short width, float scalex);

// One item of a measure as the re-placement sees it.
struct StaffItem {
    enum Kind { Note, Clef, Other } kind = Other;
    short x = 0;
    short id = 0;  // a clef's kind
    short y = 0;   // a note's height
};
// The clef kind governing a note at `x` among the clefs (x, kind) of its measure: the last at or
// left of it, `before` when none is.
short governing_clef(const std::vector<StaffItem>& items, short x, short before);
// The staff steps a note moves by when the clef governing it changes from kind `from` to kind
// `to` (3 units a step): it keeps its pitch.
short replacement_shift(short from, short to);
