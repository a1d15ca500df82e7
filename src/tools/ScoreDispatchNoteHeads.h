#pragma once
// The note-head tool (tool 80): a press on a note (not in a refused measure) opens the head chooser, a grid of the
// fourteen head shapes of the music font; the note takes the shape chosen or the standard head
// of its value, at full or half size, and the choice can become the document's current head,
// which every note entered afterwards receives. The measure is recorded before the chooser
// opens (undo 14), also when it is cancelled. The tool has no erase action.
//
// Head codes (`CNote.head`): bits 0 to 14 the shape (0 the standard head, 1 to 14 the grid's
// shapes), bit 15 a small head.
//
// GUI thread, inside the router (tools/ToolContext.h).

class CPanel;
class Editeur;
struct Event;

short dispatch_editeur_tetes(Editeur* v, Event* e);

namespace head_undo {
enum : short { Changed = 14 };
}

constexpr short kSmallHead = (short)0x8000;
constexpr short kHeadShapes = 14;

// The head chooser on `head`: the code chosen, or -1 when cancelled. *as_default is 1 when it
// was confirmed with its current-head box checked, else 0. Replaceable (tests script it); the
// program's opens dialog 0x9C.
extern short (*choisir_tete)(short head, short* as_default);
short choisir_tete_dialog(short head, short* as_default);
// The event handler of the chooser's grid panel.
short head_proc(CPanel* panel, Event* e);

// ---- Decisions, on plain data ----

// The grid: 5 columns and 3 rows of cells 50 x 30 pixels; the shape of cell (row r, column c)
// is 5r + c + 1. The shape under grid point (x, y), a point on a shared border belonging to the
// cell left of it or above it; 0 outside the grid and on the empty last cell.
short head_cell_at(short x, short y);
// The chooser's state on opening with a head code, and the code its choice gives.
struct HeadChoice {
    short choix;  // 1 the standard head, 2 the grid's shape
    short te;     // the shape selected in the grid, 0 for none
    short small;  // the small-head box
};
HeadChoice head_choice_of(short head);
short head_code_of(const HeadChoice& c);
