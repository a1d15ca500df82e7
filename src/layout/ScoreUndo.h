#pragma once
// Undo of the score's editing commands. The commands record, before they change it, each
// object they touch in the undo manager of the extract (kind 2 a measure slot of the document,
// 5 the extract's chord progression slot, 6 a track slot, 7 a layout snapshot); the hooks
// installed here make real copies of those objects, and undoing a level puts the copies back.

class CChordProgression;
class CUndoManager;

// Installs the copying hooks in the undo manager's hook table.
void install_score_undo();
// A copy of a chord progression with its chords, measures, offsets and times.
CChordProgression* copier_progression(CChordProgression* p);
// Undoes the current level of `undo` on the current document: every recorded object is put
// back, the last recorded first, and the level is removed. 1 when there was a level to undo.
short annuler_niveau(CUndoManager* undo);
