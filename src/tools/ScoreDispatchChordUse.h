#pragma once
// The chord-symbol tool (2, and the any-object tools): chord symbols are the chord names over a
// staff; a symbol (`CChordUse`) holds only its place and its time in the measure, and shows the
// chord in force there in the extract's chord progression, which all parts share.
//
// - a left press where no symbol is places a symbol at the press, its time taken to the nearest
//   beat, and opens the chord chooser for it (undo 53: the measure and the progression);
// - a double click on a symbol opens the chooser for the chord it shows (undo 53);
// - a press on a symbol and a drag moves it; the other symbols of the part follow vertically,
//   of the measure only with Shift, of the staff in this system with Ctrl, none with both
//   (undo 55);
// - in erase mode a press deletes the symbol, and its chord with it unless another symbol shows
//   that chord at that place (undo 56).
//
// GUI thread, inside the router (tools/ToolContext.h); the chooser and the drag are modal.

class CChordProgression;
class CChordUse;
class Editeur;
struct Event;

short dispatch_editeur_chord_use(Editeur* v, Event* e);

// Opens the chord chooser for symbol `cu` (`placing` 1 for a symbol being placed) in the chord
// progression `prog`, for the measure column `last_ma`: 1 when confirmed (the chord is stored
// at the chosen time, the symbol's offset set to it), 0 when cancelled (nothing changed).
short edit_chord_use(CChordUse* cu, CChordProgression* prog, short placing);

namespace chord_symbol_undo {
enum : short { Edited = 53, Moved = 55, Erased = 56 };
constexpr short kAction = 1;
constexpr short kKindProgression = 5;
}  // namespace chord_symbol_undo

// ---- Decisions, on plain data ----

// The time of a new symbol from the time `t` found at its place, in a measure of `beats` beats
// of `beat_length` ticks: the nearest beat (half way goes to the later one), at most the end of
// the measure, never below 0.
short chord_symbol_offset(int t, short beat_length, short beats);

// Which other symbols follow a symbol dragged with these keys.
struct SymbolSpread {
    bool measure;  // the other symbols of its measure
    bool staff;    // those of the other measures of its staff in this system
    bool part;     // those of every other measure of its part
};
SymbolSpread spread_for(bool shift, bool ctrl);
