#include "score/MusicGlobals.h"

#include "score/Placeholders.h"

const short tab_gamme_midi[7] = {0, 2, 4, 5, 7, 9, 11};

// Kind 3, the F clef on the middle line, puts F3 there: ten steps below the treble clef's B4.
const short tab_clef_constante[10] = {0, 0, -12, -10, -2, -4, -6, -8, 2, 0};

const short tab_clef_diese[10][8] = {
    {0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 3, -1, 2, 5, 1, 4}, {0, 2, 5, 1, 4, 7, 3, 6},
    {0, 4, 7, 3, 6, 2, 5, 1}, {0, 5, 8, 4, 7, 3, 6, 2}, {0, 3, 6, 2, 5, 1, 4, 0},
    {0, 1, 4, 0, 3, 6, 2, 5}, {0, 6, 2, 5, 1, 4, 0, 3}, {0, 2, 5, 1, 4, 7, 3, 6},
    {0, 0, 3, -1, 2, 5, 1, 4},
};

const short tab_clef_bemol[10][8] = {
    {0, 0, 0, 0, 0, 0, 0, 0}, {0, 4, 1, 5, 2, 6, 3, 7}, {0, 6, 3, 7, 4, 8, 5, 9},
    {0, 1, 5, 2, 6, 3, 7, 4}, {0, 2, 6, 3, 7, 4, 8, 5}, {0, 0, 4, 1, 5, 2, 6, 3},
    {0, 5, 2, 6, 3, 7, 4, 8}, {0, 3, 0, 4, 1, 5, 2, 6}, {0, 6, 3, 7, 4, 8, 5, 9},
    {0, 4, 1, 5, 2, 6, 3, 7},
};

short musical_font_index = 1;
CArrayString* note_names = nullptr;
CChordLibrary* chord_library = nullptr;
Document* doc = nullptr;
CToolsManager* pal = nullptr;  // the tools manager (score/ToolsManager.h)
