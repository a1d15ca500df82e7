#pragma once
// Key and time signature utilities: placing a key signature's accidentals for a clef, the
// cautionary naturals, comparisons, drawn widths, the alteration table, the brace width.

class CKeySig;
class CTimeSig;

constexpr short TABA_SIZE = 121;  // alteration table entries 0..120, index = 64 - staff place

// Re-places the accidentals of `k` for `clef` and sets `k->clef`.
void transposer_armure(CKeySig* k, short clef);
// Removes the cautionary naturals at the front of a standard signature.
void supprimer_becarres(CKeySig* k);
// Gives `k` the cautionary naturals that cancel the previous signature `prev`.
void ajouter_becarres(CKeySig* k, CKeySig* prev);
// 1 when two key signatures are the same, else 0.
short armures_egales(CKeySig* a, CKeySig* b);
// 1 when two time signatures are the same, else 0 (also when either is missing).
short temps_egaux(CTimeSig* a, CTimeSig* b);
// Drawn width of a key signature.
short get_armure_width(CKeySig* k);
// Drawn width of a time signature.
short get_temps_width(CTimeSig* t);
// Fills `taba` (TABA_SIZE entries) with the alteration each staff step gets from `k`.
void armure_to_taba(CKeySig* k, short* taba);
// Width of the brace or bracket at the start of a system.
short get_accol_width();
