#pragma once
// The key-signature tool. With automatic headers (the default) a key signature is a change of
// key from a measure column on: a click in a measure opens the key dialog, and on OK the new key
// is set there for the whole rest of the piece, for N measures (the old key coming back after
// them) or until the next change of key, on every staff or the clicked one alone. The written
// accidentals of the notes are rewritten so that no note changes pitch; with "transpose" the
// music moves by the interval between the old and the new key instead. With free placement a
// key signature is an object inside its measure: a press drags it sideways, a double click edits
// it, the eraser removes it, a press elsewhere inserts one.
//
// The decisions are free functions over plain data; the handler only finds the measure, asks
// the dialog and runs them. GUI thread only, inside the router.

class CKeySig;
class CMeasure;
class CUndoManager;
class Editeur;
struct Event;

// ---- The accidental rewrite of one measure ----

// A clef change inside a measure: from x on, clef id.
struct ClefAt {
    short x, id;
};
constexpr short kMaxClefsInMeasure = 10;  // the clef in force at the start and nine changes

// Rewrites the written accidentals of the notes of m, read under the old key (`tab_old`, drawn
// for clef `clef_old`) so that they sound the same under the new key (`tab_new`, clef
// `clef_new`). `clefs` (count `n`) are the clefs of the measure by x, the first the one in force
// at its start at x 0. An accidental written in the measure lasts to its end, under both keys.
// The notes are put in x order among the measure's note places first. The tables have 121
// entries indexed by 64 + the staff step (0 the top line, upward); a step outside them counts as
// natural and is not written.
void reecrire_alterations(CMeasure* m, const short* tab_old, short clef_old, const short* tab_new, short clef_new,
                          const ClefAt* clefs, short n);

// The clefs of measure m by x: the one in force at its start (`clef_start`) at x 0, then its clef
// items; at most kMaxClefsInMeasure. Returns the count.
short clefs_of_measure(CMeasure* m, short clef_start, ClefAt* clefs);

// ---- The interval between two keys ----

// Steps and semitones from a key (value: sharps, negative for flats; mode 3 minor, else major)
// to another, brought to semitones -5..6.
struct KeyInterval {
    short steps = 0, semitones = 0;
};
KeyInterval intervalle_armures(short v_old, short m_old, short v_new, short m_new);

// The document's interval settings for a key interval: number (1 unison .. 8 octave), quality
// (2 diminished, 3 minor, 4 perfect, 5 major, 6 augmented), direction (1 up, 2 down) and how many
// times the transposition runs (2 for a doubled augmented unison). False when the pair is not in
// the table (nothing to transpose, the interval being 0 included).
struct IntervalSettings {
    short valeur = 1, type = 4, sens = 1, times = 1;
};
bool reglage_intervalle(const KeyInterval& k, IntervalSettings* out);

// ---- The change of key over columns ----

// The reach of a change: -1 to the end of the piece, 0 until the next change of key, N columns.
constexpr short kKeyToTheEnd = -1;
constexpr short kKeyUntilNext = 0;

// Sets `key` from column ma on staff pa (every staff unless `unique`) over `count` columns with
// the rewrite of the accidentals (or, with `transpo`, the transposition of the standard-key
// measures), the old key written back after a fixed count, and the replaced key signatures
// removed. Every measure visited is recorded in `undo` (may be null). `key` stays the caller's.
void appliquer_armure(const CKeySig& key, short ma, short pa, short count, bool unique, bool transpo,
                      CUndoManager* undo);

// The tool's handler (router table field `armures`).
short dispatch_editeur_armures(Editeur* v, Event* e);
