#pragma once
// The key-signature dialog: a standard key chosen by its number of sharps or flats (a scroll
// bar), its tonic (a pop-up of fifteen names) and its mode, or a free key whose accidentals the
// user places one by one on a small staff from a palette; and, for a change of key, how far it
// reaches, whether it concerns the clicked staff only and whether the music is transposed.
//
// The dialog works on a parameter block that holds at most 16 accidentals; a key read from a
// file with more is shown with its first 16, and only the free kind's palette adds more, up to
// 15. The decisions (pop-up entries, the limits of the minor mode, the accidentals of a standard
// key) are free functions tested as tables. GUI thread only; one key dialog at a time.

class CKeySig;
class CPanel;
struct Event;

constexpr short kKeyBlockAccidentals = 16;  // accidentals the parameter block holds
constexpr short kKeyPaletteMost = 15;       // accidentals the palette adds up to
constexpr short kKeyFirstX = 22;            // x of a standard key's first accidental
constexpr short kKeyStepX = 6;              // between two accidentals of a standard key

// The pop-up entry (1 to 15) of a negated value v (sharps negative) in a mode (3 minor).
short entree_tonique(short v, short mode);
// The negated value of pop-up entry `entry` in a mode; in minor at most 7 (seven flats).
short valeur_tonique(short entry, short mode);
// The negated value kept within what a mode allows: in minor at most four sharps (v >= -4).
short borner_valeur(short v, short mode);
// The negated value after a change of mode (same tonic): major to minor adds 3, minor to major
// takes 3; between the two majors nothing changes.
short valeur_changement_mode(short v, short mode_before, short mode_after);
// True when the minor radio is offered: not with more than four flats in a major mode.
bool mineur_possible(short v, short mode);

// One accidental of a key: x (units from the key's origin), staff step below the top line,
// accidental code.
struct KeyAccidental {
    short x, y, alt;
};
// The accidentals of the standard key of negated value v for clef `clef`: |v| sharps (v < 0) or
// flats on the clef's row, from x 22 every 6 units. Returns their count; `out` holds 7.
short alterations_standard(short v, short clef, KeyAccidental* out);

// The dialog on key `obj` (null: a new key with its first accidental at x and clef `id`). In and
// out: *total (-1 to the end, 0 until the next change, N measures), *unique, *transpo. Returns
// the key changed in place (a new one when obj is null), or null after Annuler with obj
// untouched. Replaceable for tests.
extern CKeySig* (*editer_armure)(CKeySig* obj, short x, short id, short* total, short* unique, short* transpo);

// The handler of the dialog's two drawing panels (item 1 the palette, item 2 the staff).
short keys_proc(CPanel* panel, Event* e);
