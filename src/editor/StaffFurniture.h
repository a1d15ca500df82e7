#pragma once
// What stands beside the measures of a laid-out system, drawn alike on the screen and on paper:
// the measure numbers, the instruments' names and the brackets and braces that group staves.

#include <cstdint>

class CMeasure;
class CUserPanel;

// Whether master staff r is shown in the system whose staff table is `table` (staves 1..n).
bool montree(short r, const short* table, short n);
// The number of measure m (the t-th of staff p of its system, showing master staff q), by the
// numbering of q or, on the system's first staff, of instrument 1; nothing when neither numbers.
// One rule for the screen and for paper: a numbering above 0 (1, 2, ...) numbers every measure,
// one below 0 only the first measure of each line, 0 none.
void dessiner_numero_mesure(CUserPanel* up, CMeasure* m, short p, short q, short t, float sx, float sy,
                            int32_t colour);
// The name of master staff q beside its first measure m: the full name with `full`, else the
// abbreviation, placed by the document's `position_nom`.
void dessiner_nom_instrument(CUserPanel* up, CMeasure* m, short q, bool full, float sx, float sy, int32_t colour);
// The bracket or brace of master staff q (staff p of system s, first measure m), or of the group
// opened above it on staves this system does not show.
void dessiner_accolade(CUserPanel* up, short s, short p, short q, CMeasure* m, const short* table, float sx,
                       float sy);
