#pragma once
// The editor's look-ups in the score grid of the current document `doc`: the measure of a staff
// of a system, the column a system starts at and the master staff each of its staves shows,
// and the colour the notes of a staff are drawn in.

#include <cstdint>

class CMeasure;

// Measure t of staff p of system s (record indices and places), or null.
CMeasure* mesure_systeme(short s, short p, short t);
// The column of the first measure of system s (1 when it stands in no master staff).
short colonne_du_systeme(short s);
// For each staff p of system s, table[p] = the master staff whose measure at the system's first
// column is p's first measure, `none` when no master staff matches.
void table_des_portees(short s, short* table, short none);
// The colour of the notes of master staff q by the document's colour mode: 1 by the voice
// shown (0 all voices), 2 every voice in its own colour (-1), else the instrument's colour in
// extract `sub_id`.
int32_t couleur_des_notes(short voice, short q, short sub_id);
