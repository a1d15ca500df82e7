#pragma once
// Voices of a measure: every note, chord and rest of one measure of one staff gets a voice
// number, so that each voice can be timed as a sequence. Voices the user set stay when they
// fit; the others are found by a bounded search that fills the voices up to the measure length,
// never puts two simultaneous events into one voice and prefers voices whose stems point the
// same way; at the end the fullest voice becomes voice 1.
//
// The result is cached: bit 0x01 of the measure's `flags` says that the voices are up to date.

// The nominal length in ticks of a value code with its dots: 3840 halved `rythm` times (each
// halving truncating), each dot adding half of the previous addition.
short duree_nominale(short rythm, short point);

// Gives the notes, chords and rests of the measure at column m of staff p their voices (1 to
// 8). The measure's notes and rests, and its symbols, are sorted by x on every call.
void assigner_voix_mesure(short m, short p);
