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

#include <vector>

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

// ---- The repeat tool (tool 55) ----
//
// A press on a measure (not a refused one) opens the repeat dialog: a range of measures (by their displayed
// numbers), the bar lines drawn at the start and end of those measures, and for each of the
// first ten passes the measure at which playback goes on after them. On OK every measure of the
// range, in every staff, takes the two bar lines and a repeat item with the ten jumps (measure
// columns); no jumps and plain bar lines take the repeat item away. A first measure that
// matches no measure is refused with a beep. Undo 20 (action 2), every measure recorded.
short dispatch_editeur_reprises(Editeur* v, Event* e);

namespace repeat_undo {
enum : short { Set = 20, Action = 2 };
}

// What the dialog shows and takes: displayed measure numbers (0 for none) and the two menus'
// items (bar-line code + 1).
struct RepeatValues {
    short first = 0, last = 0;
    short start_item = 2, end_item = 2;
    short targets[10] = {};
};
// The repeat dialog: true on OK. Replaceable (tests script it); the program's opens dialog 0x77.
extern bool (*dialogue_reprise)(RepeatValues* values);
bool dialogue_reprise_dialog(RepeatValues* values);

// The displayed numbers of the measures of part 1, column by column (index 0 unused).
using ColumnNumbers = std::vector<short>;
// The column whose part-1 measure shows `number`, the first from the left; 0 when none.
short column_of_number(const ColumnNumbers& numbers, short number);
// The dialog's values on opening for a measure showing `number` whose repeat item holds `next`
// (null without one) and bar lines start_bar, end_bar.
RepeatValues repeat_values_of(short number, const short* next, short start_bar, short end_bar,
                              const ColumnNumbers& numbers);
// What OK does: the columns first..last (last < first: none) and the ten jump columns; refused
// when the first number matches no measure. Clearing a range field (0) means the clicked column.
struct RepeatPlan {
    bool refused = false;
    short first = 0, last = 0;
    short jumps[11] = {};  // entries 1 to 10
    short start_bar = 1, end_bar = 1;
    bool removes = false;  // no jumps and plain (or no) bar lines: the repeat item goes
};
RepeatPlan plan_repeat(const RepeatValues& values, const ColumnNumbers& numbers, short clicked_column);
