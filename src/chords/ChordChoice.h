#pragma once
// The chord-choice dialog, opened when a chord symbol is edited: the root, its accidental,
// the chord type from a grid of the dictionary, an optional bass, or the name typed; and the
// beat and offset where the chord starts in its measure.

#include "framework/CPanel.h"

class CChord;
class CChordLibrary;
class CDialog;

// What the dialog and its handlers share.
struct ChooseChordData {
    short note1 = 0;   // root step 0 to 6 (C to B)
    short alt1 = -1;   // root accidental: 0 flat, 1 sharp, -1 none
    short note2 = -1;  // bass step, -1 without a bass
    short alt2 = -1;   // bass accidental
    short fl = 0;      // first grid row shown
    short curlis = 0;  // dictionary index of the chord's type, 0 when it has none
    CDialog* dial = nullptr;
    CChord* ch = nullptr;
    short modify_text_internally = 0;  // 1 while the program writes the name field
};

// Runs the dialog on the chord (changed in place) and the offset in ticks (read and written);
// 1 when the user confirms, 0 when the user cancels or closes the dialog.
short choose_chord(CChordLibrary* library, short* offset, CChord* chord, short beat_length, short beats);
// The five drawing areas: root, root accidental, type grid, bass, bass accidental.
short choose_chord_area_handler(CPanel* panel, Event* e);
// The chord-name field: "+" is typed as "#", "-" as "b".
short choose_chord_te_handler(CPanel* panel, Event* e);
// Brings the dialog in line with the chord; with set_text also the name field.
void chord_to_editor(ChooseChordData* data, short set_text);
