#pragma once
// Measure justification: lays out one column of measures of the master system. It brings the
// treated measures' notation up to date (voices, MIDI values, stem directions, beams), spaces
// their notes and rests on one time grid shared by every voice and staff, sets the width of
// every measure of the column and moves what hangs on the notes (clefs, tuplets, chords,
// symbols, text blocks, lyrics, chord symbols, the step-entry cursor).

class CUndoManager;
class CUserPanel;

// Column m (along staff 1 of the master system) with the measure of staff p as reference: its
// header width and content width drive the column. `all` non-zero treats every staff, else staff
// p only. `wid` non-zero makes the width follow the content (times the document's `fact_just`),
// zero spreads the content over the present width; with `all` zero on a system of several
// staves the width stays. `scalex`, `scaley` and `up` go to the beam layout, `up` also measures
// lyrics (a measuring panel stands in when it is null). With `undo`, every treated measure is
// recorded before it changes.
void justifier_mesure(short m, short p, short all, short wid, float scalex, float scaley,
                      CUserPanel* up, CUndoManager* undo);
