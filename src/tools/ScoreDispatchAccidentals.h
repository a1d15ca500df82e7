#pragma once
// The accidental tools:
//
// - tools 31 to 36: a press on a note head sets its accidental: 31 takes the written one away,
//   32 writes a double flat, 34 a natural, 36 a double sharp, as they are; 33 lowers and 35
//   raises by one step from what the note reads now (its own accidental, else the nearest
//   earlier one on its line in the measure, else the key signature's), and then writes nothing
//   where the measure already reads that value. The note sounds for 100 ms with its new pitch.
//   Undo 7; the measure's MIDI rendering is made again;
// - tool 37 (and the any-object pointer): a press on a note's accidental drags the glyph beside
//   its head; the eraser does not drag it. Undo 8.
//
// GUI thread, inside the router (tools/ToolContext.h).

class Editeur;
struct Event;

short dispatch_editeur_alterations(Editeur* v, Event* e);
short dispatch_editeur_bouger_alterations(Editeur* v, Event* e);

namespace accidental_undo {
enum : short { Set = 7, Moved = 8 };
}

// Accidental codes of `CNote.alt`.
namespace accidental {
enum : short { None = 0, DoubleFlat = 1, Flat = 2, Natural = 3, Sharp = 4, DoubleSharp = 5 };
}

// ---- Decisions, on plain data ----

// The staff step of a note height `y`: 0 the top line, one more a step up (3 units).
short staff_step(short y);
// The entry of the key table (`armure_to_taba`) that reads step `step` under clef `clef`, the
// table being laid out for the key's clef `key_clef`; clef kinds outside 0..9 count as 1.
short key_table_index(short step, short clef, short key_clef);
// The table's alteration (-2 to +2) at `index`; 0 for an index outside its entries 1 to 120
// (a note far from the staff, or a height read from a file) and for a value out of range.
short key_alteration(const short* taba, short index);

// The code written after tool `tool` on a note whose own code is `cur`, whose nearest earlier
// accidental on its line in the measure is `prev` (0 none) and to which the key gives `implied`
// (0 none): the fixed tools write their code, raise and lower step along their cycle from what
// the note reads and then write nothing where the measure already reads the result.
short accidental_after(short tool, short cur, short prev, short implied);
