#pragma once
// The layout snapshot that makes a change of the score's structure undoable: copies of the
// current extract's pages, laid-out systems and their staves, the master system with its staves
// and every measure of it with its items, and, on request, the instruments and the tracks.
// Restoring puts every copied record back in the slot it came from, so that the document reads
// and saves exactly as it did when the snapshot was taken.

#include "framework/Arrays.h"
#include "score/Document.h"

struct Undo_general {
    short tot_pag, max_pag;
    Page** pag;  // 0..max_pag; system numbers replaced by indices into sys
    short tot_sys, max_sys;
    Systeme** sys;  // 1..tot_sys; staff numbers replaced by indices into por
    short tot_por, max_por;
    Portee** por;  // 1..tot_por; measure numbers stay the document's
    short mise_en_page_ok;
    short cur_pag;
    Systeme* sys1;  // the master system; staff numbers replaced by indices into por
    CArrayInt* index_meas;  // slot of every measure of the master system, staff by staff
    CArrayPtr* tab_meas;    // a full copy of each of them, in the same order
    short tot_ins, max_ins;  // 0 when the instruments were not taken
    Ins* ins;                // 1..tot_ins
    short tot_piste, max_piste;  // 0 when the tracks were not taken
    Piste** piste;               // 1..tot_piste
    // Where each copied system and staff stood in the document.
    short* sys_slot;  // 1..tot_sys
    short* por_slot;  // 1..tot_por
    short sys1_slot;
};

// A new snapshot of document d's current extract, or null when undo recording is off. With
// `with_ins` it also holds copies of the instruments and of the tracks.
Undo_general* preparer_undo_general(Document* d, short with_ins);
// Frees a snapshot and everything it still holds.
void liberer_undo_general(Undo_general* u);
// Puts the snapshot's structure (and instruments and tracks, when it holds them) back into d,
// freeing what stands there now; the measure copies pass to the document. Returns 1, or 0 when
// a record could not be had.
short restaurer_undo_general(Document* d, Undo_general* u);

// Deep copies that the undo snapshots and the clipboard share: a measure with copies of all its
// items; a track with its events; an instrument table with its message lists.
class CMeasure;
CMeasure* copier_mesure_complete(CMeasure* m);
Piste* copier_piste(const Piste* t);
Ins* copier_instruments(const Ins* ins, short tot, short max);
void liberer_instruments(Ins* ins, short tot);
