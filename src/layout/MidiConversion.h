#pragma once
// From notation to MIDI values: the pitch, velocity, start and length (ticks from the start of
// the measure, 480 per quarter note) of every note of one measure, and the start and length of
// its rests, from the clef, the key signature, the accidentals carried through the measure,
// ties, values, dots, tuplets and the voices (VoiceAssignment.h). It also orders the measure's
// symbols by their position and lets a free-length measure grow to hold its content.
//
// The result is cached: bit 0x02 of the measure's `flags` says that its MIDI values are up to
// date; editing clears it.

// Converts the measure at column m of staff p. With `timing` 0 only pitches and velocities are
// computed (and the symbols ordered).
void conversion_graphique_midi(short m, short p, short timing);
