#pragma once
// Transposition of a measure by the interval held in the document (`valeur_intervalle` 1 to 8,
// `type_intervalle` 1 to 6, `sens_intervalle` 2 down, `octave_intervalle`): every note moves by
// the interval's staff steps and gets the accidental that makes it sound the interval's number
// of semitones away in the key in force at the end of the measure (quality 1 keeps the written
// accidentals); the MIDI pitches, the keys of the measure's notes in the staff's track and, on
// request, the chords of the column in the chord progression follow.

// Semitones of an interval number (1 to 8) of a quality (1 to 6), before octaves and direction;
// -1000 outside the table.
short demi_tons_intervalle(short valeur, short type);

// Steps and semitones of the document's interval, signed by its direction; 0 when the interval
// is outside the table (nothing is then transposed).
short intervalle_document(short* steps, short* semitones);

// Transposes column m of staff p; with `transposer_accords` the chords of column m too.
void transposer_une_mesure(short m, short p, short transposer_accords);
