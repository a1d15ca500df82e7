#pragma once
// Measure numbers and the attributes that every staff of a column shares. The numbering runs
// along the master system of the current extract, column by column.

// Renumbers the measures of the current extract: each column takes the number after the one
// of the nearest numbered column before it (plus the span of a multi-measure rest there), or
// `offset_mesure` for the first; a fixed number (0x4000) stays and a measure without number
// (0x8000) keeps none. Then every staff of a column takes the first staff's number, its
// `extended` and its column-wide `meas` bits, keeping its own bits 10, 14 and 15. Does nothing
// without a current document.
void maj_param_measures();
