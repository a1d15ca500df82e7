#pragma once
// Widening or narrowing a measure with its content, and spacing its lyrics. Every position
// after the measure's `front` follows the width in proportion (notes and rests with their
// attached symbols, clefs, key and time signatures, tuplets, text blocks, chord symbols, and
// the start and width of free symbols); positions on the front stay. The lyrics are then
// placed under their notes and each syllable is given its room up to the next one.

// Rescales the content of measure mn (its index in the document's measure array) from width
// l1 to width l2 (both counted from the measure's left edge); then spaces its lyrics. A measure
// whose old content width (l1 − front) is not positive has nothing to scale from and keeps its
// positions.
void scale_mesure(short mn, short l1, short l2);
// The same for a caller that knows where measure mn stands in the master system (column ma,
// staff pa), without looking it up along the score.
void scale_measure_at(short mn, short ma, short pa, short l1, short l2);

// Places each syllable of the measure at column mm, staff pp, 3 after its note, and sets, per
// verse, its room to the right: half the gap to the next syllable of the verse along the staff
// (on this line) plus half its own width, less 2, and at least 0.
void ajuster_paroles(short mm, short pp);
