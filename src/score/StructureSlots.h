#pragma once
// New slots in the document's measure, staff and system arrays, and a new track with its
// instrument and staff. The arrays are 1-based; a null slot is free and the lowest free slot
// is handed out first, so the indices of deleted elements come back. Every function that
// hands out a slot reports failure (no room left in a 16-bit count, or no memory) by 0 and
// then leaves the score as it was.

struct Document;

// Creates a system record with room for n staves in the first free slot of `sys`, growing the
// array by 20 when it is full; returns its index, 0 on failure.
short nouveau_systeme(Document* d, short n);
// Creates a staff record with room for n measures in the first free slot of `por`, growing the
// array by 20 when it is full; returns its index, 0 on failure.
short nouvelle_portee(Document* d, short n);
// Reserves the first free measure slot, counted in `tot_mes` but left null for the caller to
// fill before it reserves the next one; returns its index, 0 on failure.
short nouvelle_mesure(Document* d);
// Makes sure the measure array has a free slot beyond the used count, growing it by 250 when
// it is full and telling the undo store of every extract where each slot went. Returns 1, or 0
// when it could not grow (the array is then unchanged).
short make_measure_space(Document* d);
// Tells the undo store of every extract that a recorded object location moved.
void replace_object_location(Document* d, void** old_slot, void** new_slot);
// Appends one track, one instrument and one staff at the bottom of the current extract's
// master system, with one empty measure per column (at most the columns of the first staff),
// copied from the first staff's measure of that column: width, start of the notes and metre,
// and, with automatic measure headers, a copy of its first time and key signatures. The new
// instrument has no program or bank and stands 75 below the one before it. Adds 1 to
// `tot_piste` and to *counter; returns 1, or 0 with nothing changed when a slot or a record
// could not be had.
short ajouter_piste_portee_midi(short* counter, short columns);
