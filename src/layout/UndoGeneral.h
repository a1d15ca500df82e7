#pragma once
// The layout snapshot of a document: copies of its pages with their systems and staves, of the
// master system with its staves and of every measure of the master system with all its items,
// and on request of the instruments and tracks. An editing command that relays out the score
// takes one first and records it in its undo level (kind 7); restoring it brings the layout,
// the measures and (when held) the instruments and tracks back as they were.
//
// The snapshot owns every block it points to and shares nothing with the document, so the
// document may change or be destroyed while it is kept.

#include "framework/Arrays.h"

class CUndoManager;
#include "score/Document.h"

struct Undo_general {
    short tot_pag, max_pag;
    Page** pag;  // 0..max_pag; system numbers replaced by indices into `sys`
    short tot_sys, max_sys;
    Systeme** sys;  // 1..tot_sys, page by page; staff numbers replaced by indices into `por`
    short tot_por, max_por;
    Portee** por;  // 1..tot_por: the page systems' staves, then the master system's
    short mise_en_page_ok;
    short cur_pag;
    Systeme* sys1;          // the master system, staff numbers as indices into `por`
    CArrayInt* index_meas;  // measure numbers of the master system, staff by staff
    CArrayPtr* tab_meas;    // CMeasure*: a full copy of each, in the same order
    short tot_ins, max_ins;  // 0 when instruments are not held
    Ins* ins;                // 1..tot_ins
    short tot_piste, max_piste;  // 0 when tracks are not held
    Piste** piste;               // 1..tot_piste
    // The document's slot number of each copied system and staff, so that a restored layout
    // stands in the same slots and the views that keep a system number find it again.
    CArrayInt* num_sys;
    CArrayInt* num_por;
};

// A new snapshot of document d, or null when undo recording is off (or memory is short).
// With with_ins it also holds copies of the instruments and tracks.
Undo_general* preparer_undo_general(Document* d, short with_ins);
// Puts the snapshot's layout, measures and (when held) instruments and tracks back into the
// current extract of d, in place of the present ones; the snapshot stays as it was and is
// still the caller's. Measures of the master system that the snapshot does not know (added
// since) are deleted. Returns 1, or 0 when nothing was restored (no document or snapshot).
short restaurer_undo_general(Document* d, const Undo_general* u);
// Takes a snapshot of d and records it in the current (or pending) level of `undo` as kind 7,
// specifier 4. The level keeps what the application's copy hook gives for it: the snapshot
// itself (the level then owns it) or a copy of its own (the snapshot is then freed here, as it
// is when undo recording is off or the hook keeps nothing). Restoring such a level calls
// restaurer_undo_general with the kept snapshot; the recorded location is only a key.
void enregistrer_undo_general(CUndoManager* undo, Document* d, short with_ins);
// Frees a snapshot and everything it holds; null is allowed.
void liberer_undo_general(Undo_general* u);

// Deep copies that the snapshot makes and the undo of single objects shares: a measure with
// copies of all its items, and a track with its events. Null gives null.
class CMeasure;
CMeasure* copier_mesure_complete(CMeasure* m);
Piste* copier_piste(const Piste* t);
