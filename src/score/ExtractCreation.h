#pragma once
// Adding an extract to the open score: an empty one, or one built from a block of measures
// selected in a score view and dropped on the music library window.

class CRect;
class CWindow;

// Appends a new extract holding one staff with one empty measure, one instrument and one empty
// track, with the default settings, and makes it current; returns its number, or 0 (nothing
// changed) when the document has no slot left for its measure or staff. (x, y) is the
// position asked, kept within `ri`; with both -1000 or less the position is left to the
// placing hook, from the origin (ox, oy). The caller brings the record of the extract current
// before the call up to date first (a context switch does so).
short creer_nouvel_extrait(short x, short y, CRect* ri, short ox, short oy);
// Builds a new extract from the staves sel_first_p..sel_last_p and the columns
// sel_first_m..sel_last_m of extract from_sub_id: copies of the staves' instruments (without
// their messages), copies of the measures with their items, numbered in the new extract, and
// the chords of the selected columns. (x, y) is the drop point in the window `win` of the
// music library. Does nothing unless the working mode allows it (bit 2).
void creer_extrait(short from_id, short from_sub_id, short sel_first_p, short sel_last_p,
                   short sel_first_m, short sel_last_m, short to_id, short x, short y,
                   CWindow* win);
