#pragma once
// The shared musical tables and the global objects of the score model.

class CArrayString;
class CChordLibrary;
struct Document;

// Semitone of each diatonic step above C.
extern const short tab_gamme_midi[7];
// Vertical shift of each clef (codes 0 to 9) in staff steps.
extern const short tab_clef_constante[10];
// Per clef, the staff place of the 1st to 7th sharp (flat) of a key signature; column 0 unused.
extern const short tab_clef_diese[10][8];
extern const short tab_clef_bemol[10][8];

// Number 1 to 4 of the music font in use.
extern short musical_font_index;
// Names of the seven steps, entries 1 to 7 for C to B.
extern CArrayString* note_names;
// The chord dictionary.
extern CChordLibrary* chord_library;
// The open document, null when none is open.
extern Document* doc;
