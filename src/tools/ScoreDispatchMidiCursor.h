#pragma once
// The step-entry cursor: a blinking bar in one measure of one staff (`Document.curseur_ma`,
// `curseur_pa`, `curseur_x`) while `Document.curseur` is on (palette tool 51). Typed keys work
// at the bar:
//
// - "0" to "8" enter a note of that value (0 breve ... 3 quarter ... 8 128th) at the bar, of
//   pitch 60 spelled from the clef and key in force there, and move the bar 14 units right
//   (never past the measure's end); a note that does not fit its voice beeps and is not
//   entered;
// - Backspace deletes what stands at the note or rest left of the bar (all within 6 units of
//   it), or goes back to the end of the previous measure;
// - the palette shortcuts of the dot, stem flip, tie and beam tools apply them to the note left
//   of the bar (by a press made for their handler);
// - Tab / Shift+Tab go to the next / previous measure, the left and right arrows step between
//   the notes and rests and on into the next measure, the up and down arrows go to the staff
//   above or below (`dispatch_editeur_curseur_complement`);
// - a press on an empty place of a measure puts the bar there.
//
// The record staff and the MIDI thru channels follow the cursor's staff, except while a
// recording runs. Refused measures (play-along, library markers) are not edited.
//
// Undo: operation 40 deletion, 41 entry. GUI thread, inside the router.

#include <vector>

class Editeur;
struct Event;

short dispatch_editeur_curseur(Editeur* v, Event* e);
short dispatch_editeur_curseur_complement(Editeur* v, Event* e);

namespace cursor_undo {
enum : short { Deleted = 40, Entered = 41 };
}

constexpr short kStepPitch = 60;       // every note typed at the cursor: middle C, respelled
constexpr short kAdvanceNote = 14;     // the bar moves this far after a note
constexpr short kAdvanceDot = 3;       // ... and after a dot
constexpr short kDeleteWindow = 6;     // Backspace takes what stands this near the item left of the bar

// ---- Decisions, on plain data ----

// A note of `pitch` spelled at the cursor: its height `y` (before `CNote::adjust`) and its
// accidental code (0 none, 1 double flat, 2 flat, 3 natural, 4 sharp, 5 double sharp).
struct Spelling {
    short y = 0;
    short alt = 0;
};
// The key in force: `value` sharps (> 0) or flats (< 0), its `mode` (1 to 3) and `taba`, the
// alteration of each staff step (TABA_SIZE entries, index 64 - step) as `armure_to_taba` makes
// it; `context` the document's black-key spelling choices (5 bits a mode); `clef` the clef id;
// `shown` the accidental code already shown on that line earlier in the measure, -1 when none.
// The shared spelling tables are read, never written: the black keys are spelled on a copy.
Spelling spell_at_cursor(short pitch, short value, short mode, short context, short clef, const short* taba,
                         short shown);
// The bar after an advance of `delta` in a measure `width` wide: never past width - 2.
short advance_bar(short x, short delta, short width);
// The bar after the right arrow among items at `xs` of a measure; -1 when no item lies right of
// it (the bar goes on to the next measure).
short step_right_bar(const std::vector<short>& xs, short x, short width);
// The same for the left arrow; -1 when no item lies left of it.
short step_left_bar(const std::vector<short>& xs, short x, short front);
// The x of the item nearest left of the bar (x < bar), -1 when none.
short nearest_left(const std::vector<short>& xs, short x);
// Whether an item at `x` goes with the item at `k` that Backspace deletes.
inline bool in_delete_window(short x, short k) { return x >= k - kDeleteWindow && x <= k + kDeleteWindow; }

// What the cursor asks of the program above it: the note that the composition assistant
// prepared for the cursor (the cursor owns it once taken; null when none waits). The note is
// built for a treble staff; the cursor places it for the clef in force at the bar.
class CNote;
struct StepCursorHooks {
    CNote* (*take_prepared_note)();
};
extern StepCursorHooks step_cursor_hooks;
StepCursorHooks default_step_cursor_hooks();
// The height on a staff of clef `clef` of a note that stands at `treble_y` on a treble staff.
short place_for_clef(short treble_y, short clef);
