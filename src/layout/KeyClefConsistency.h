#pragma once
// Key signatures follow the clefs: the same key puts its accidentals on other staff places
// under a bass clef than under a treble clef. After clefs, key signatures or the measures
// around them change, the staff is walked from one measure to its end and every key signature
// is placed again for the clef in force where it stands.

// Walks the staff of the master system that holds measure id m, from m's column to the last
// column, re-placing each key signature for the clef in force at its x (a key signature at the
// same x as a clef still belongs to the clef before it). At most 50 clefs and 50 key
// signatures of a measure, in item order, take part. `flag` has no effect. Returns 0 when m is
// on no staff of the master system, else 1.
short verifier_armures_clefs(short m, short flag);

// The same walk over columns from..to of master staff `staff` only, starting with `clef` in
// force before column `from`; returns the clef in force after column `to`. Layout passes that
// go along the score check each line's columns this way instead of walking to the end.
short verifier_armures_colonnes(short staff, short from, short to, short clef);
