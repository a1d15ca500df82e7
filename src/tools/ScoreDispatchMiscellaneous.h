#pragma once
// The note modifier tools:
//
// - the dot (tool 21): a press right of a note head, or on a rest, adds a dot; in erase mode
//   takes one away. A chord gets the pressed note's count on all its notes. A dot that does not
//   fit the chosen voice, or one more than the value allows, beeps and changes nothing.
//   Undo 15 (note), 16 (rest);
// - the tie (tool 54): each press on a note goes one step through no tie, a tie curved away
//   from the stem, a tie curved toward it, and back; the ties of the measure and of its two
//   neighbours are worked out again and redrawn. Undo 18;
// - the voice tools (70 + v, v 0 to 8; 79 hides and shows): the pressed note or rest goes to
//   voice v, a beamed note with its whole group (across staves for a cross-staff group, each
//   measure recorded). Undo 17;
// - the stem flip (tool 14): the pressed note turns its stem, a chord as a whole, a beamed note
//   its whole group (only itself with Ctrl); the turned notes keep their direction through
//   justification; ties go to the other side. Undo 19.
//
// GUI thread, inside the router (tools/ToolContext.h).

class Editeur;
struct Event;

short dispatch_editeur_point(Editeur* v, Event* e);
short dispatch_editeur_liaison_tenue(Editeur* v, Event* e);
short dispatch_editeur_voix(Editeur* v, Event* e);
short dispatch_editeur_inverser(Editeur* v, Event* e);

namespace modifier_undo {
enum : short { NoteDot = 15, RestDot = 16, Voice = 17, Tie = 18, Stem = 19 };
}

// ---- Decisions, on plain data ----

// The dot count after a press on an item of value `rythm` with `point` dots: one more, or one
// less in erase mode (never below 0); -1 when one more would go past the shortest value (the
// last dot of a value may not be shorter than a 128th).
short dots_after(short point, short rythm, bool erase);
// The ticks a dot adds: the new last dot of a value with `point` dots in all.
short dot_ticks(short rythm, short point);

// A note's tie state: its flags and the height of the tie's curve.
struct TieState {
    short flags, tdh;
};
// The next state of the cycle: no tie -> curve away from the stem -> toward it -> no tie.
TieState next_tie(TieState now, short dir);

// The beam item's mode with a group's voice written in its high byte (what the beam layout
// stores there), the low byte kept.
short beam_mode_for_voice(short mode, short voice);
