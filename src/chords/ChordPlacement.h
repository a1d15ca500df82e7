#pragma once
// Placing the chords of the current extract's progression on one staff, for the columns and
// staff selected in a view (the harmonic analysis selects them before it places).
//
// Chord symbols: every chord standing in a selected column gets a symbol in the staff's
// measure at its offset, above the staff, unless the measure has one there already.
//
// Chord notes: the notes and rests of the staff in the selected columns, in its measures and
// in its track, are replaced by the chords' notes, each chord sounding from its start to the next chord or to the end of the
// selection, on the staff's channel at its instrument's velocity; the columns are then
// transcribed into notation. `notes_param` is kept for the callers' vocabulary; every caller
// passes 0 and it changes nothing.

class CUndoManager;
class View;

// Both return the number of symbols or chords placed.
short menu_chord_place(View* view, CUndoManager* undo);
short menu_chord_notes(View* view, short notes_param, CUndoManager* undo);
