#pragma once
// Two measure commands of the composition assistant on the chords written in a composition's
// first staff (its chord blocks), as rules over plain values: holding the current chord some
// measures longer, and the interval of a transposition of a span of measures.

#include <string>
#include <vector>

// "Maintenir cet accord...": the chord names of columns 1..N (entry 0 unused, empty = no chord)
// after the chord of column `current` is held `n` columns longer: every chord after `current`
// moves `n` columns later, those pushed past the last column are dropped, and columns
// current + 1 to current + n are left without a chord. n < 1 changes nothing.
std::vector<std::string> hold_chord(const std::vector<std::string>& chords, short current, short n);

// A transposition interval as the transposition dialog gives it: its value (1 unison .. 8
// octave), its type (1 perfect or major, 2 diminished, 3 minor, 6 augmented), the octaves added
// and the direction (2 down).
struct IntervalChoice {
    short value = 1, type = 1, octaves = 0, direction = 1;
};
// The diatonic steps and semitones of the interval, negative downwards.
struct Transposition {
    short steps = 0, semitones = 0;
};
Transposition transposition_of(const IntervalChoice& interval);
