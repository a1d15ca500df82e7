#pragma once
// Stand-ins for what the transcription calls in parts of the program that are not built yet.
// Each keeps its call site as it will be; the part that owns the real one replaces it here.

// Rescales the content of measure `mn` (index in the document's measure list) from width `l1`
// to width `l2`. Nothing moves yet: the measure's later justification places its content.
void scale_mesure(short mn, short l1, short l2);
