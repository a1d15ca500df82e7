#pragma once
// Adding and erasing whole columns of measures (one measure on every staff of the current
// extract) and whole staves (with their instrument, their track and one measure per column),
// next to a given measure. Everything that refers to columns or staff positions follows: the
// tracks' events, the chord progression, the jump targets of repeat marks, the layout tables,
// the instruments' vertical offsets and the current measure. The whole change is one undo level
// of the extract (operation 0x31 for adding, 0x32 for erasing).

class CUserPanel;

// What the structure editing asks of the player and of the views, which sit above it. Until the
// program fills the table, nothing plays and no view holds a measure of its own.
struct StructureEditingHooks {
    short (*get_play_but)();  // non-zero while the score plays
    void (*stop_play)();      // stops it
    // Lowers the current measure of every open view of the current document to at most `last`.
    void (*limit_view_measure)(short last);
};
extern StructureEditingHooks structure_editing_hooks;
StructureEditingHooks default_structure_editing_hooks();

// Choices of the add-or-erase dialog and of the direct calls.
struct AjoutEffacement {
    short operation = 1;   // 1 add, 2 erase
    short mesures = 1;     // columns
    short portees = 0;     // staves
    short cote_mesures = 2;  // 1 before (erase: ending at the column), 2 after (starting at it)
    short cote_portees = 2;  // the same for staves
};

// Shows the add-or-erase dialog preset with `choice`; 1 with the values taken, 0 on cancel.
short dialogue_ajouter_effacer(AjoutEffacement* choice);

// Adds or erases next to measure id m. With `ask` the dialog gives the operation, the counts
// and the sides; without it they are `operation`, n columns and k staves, both after m. sx, sy
// and panel are handed to the page relayout.
void ajouter_effacer_mesures(short m, float sx, float sy, CUserPanel* panel, short ask, short n,
                             short k, short operation);
// The same with every choice given.
void ajouter_effacer(short m, float sx, float sy, CUserPanel* panel, const AjoutEffacement& choice);
