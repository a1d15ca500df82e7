#pragma once
// New slots in the document's measure, staff and system arrays. These belong to the score
// structure utilities of the layout code; they live here until that code is built.

struct Document;

// Creates a system record with room for n staves; returns its index, 0 when no slot is free.
short nouveau_systeme(Document* d, short n);
// Creates a staff record with room for n measures; returns its index, 0 when no slot is free.
short nouvelle_portee(Document* d, short n);
// Reserves a measure slot (left null for the caller to fill); returns its index, or 0.
short nouvelle_mesure(Document* d);
// Grows the measure array by 250 slots when it is full, telling the undo managers.
void make_measure_space(Document* d);
// Tells the undo manager of every extract that a recorded object location moved.
void replace_object_location(Document* d, void** old_slot, void** new_slot);
// Appends one instrument with its empty track and its staff of `tm` new measures to the
// current extract; adds 1 to the count that `tp` points to.
void ajouter_piste_portee_midi(short* tp, short tm);
