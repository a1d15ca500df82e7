#pragma once
// The time-signature tool: a click in a measure opens the time-signature dialog on the time
// signature in force there; on OK the new one is placed at the start of the chosen range on
// every staff (or on the clicked staff only), the one that was in force after the range is put
// back in the first measure after it, and every measure's length is recomputed. Notes stay where
// they are: a measure made shorter keeps them all.
//
// A time signature may be additive: its numerator and denominator each hold up to five terms,
// typed with "+" between them ("3+2+2" over 8 is a measure of seven eighths). Only the first
// denominator term sets the beat.
//
// GUI thread only, inside the router.

#include <string>

class CTimeSig;
class CUndoManager;
class Editeur;
struct Event;

constexpr short kTimeTerms = 5;        // terms of a numerator or a denominator
constexpr short kTimeTermMax = 100;    // the largest term
constexpr short kTimeTextMax = 19;     // characters of a term text

// Reads a numerator or denominator text into five terms (missing ones 0): digits, "+" and
// blanks only, each term at most 100; an empty text, or a first term of 0, gives 4. False (the
// terms unchanged) when the text is refused.
bool parse_time_terms(const char* text, short terms[kTimeTerms]);
// The text of five terms: the first, then "+" and each later term that is not 0.
std::string time_terms_text(const short terms[kTimeTerms]);

// The range of a change: 0 the clicked measure only, -1 to the end of the score, n > 0 that
// many measures from the clicked one.
constexpr short kToTheEnd = -1;

// Places `ts` (copies of it) at column `ma` of every staff of the master system (of staff `pa`
// alone with `staff_only`), over `range` columns, and writes back the time signature that was in
// force after the range in the first column after it (4/4 when none was) unless that measure
// holds a time signature of its own, which stays; with automatic
// headers the time signatures inside the range go. Every measure the loop visits, of every
// staff, is recorded in `undo` (may be null). Measure lengths are not recomputed here.
void poser_temps(const CTimeSig& ts, short ma, short pa, short range, bool staff_only, CUndoManager* undo);

// The time-signature dialog on `ts`: 1 after OK with `ts`, `*range` and `*staff_only` set; 0
// after Annuler, nothing changed. Bad terms show the warning and keep the dialog open.
// Replaceable for tests.
extern short (*edit_temps)(CTimeSig* ts, short* range, short* staff_only);

// The tool's handler (router table field `temps`).
short dispatch_editeur_temps(Editeur* v, Event* e);
