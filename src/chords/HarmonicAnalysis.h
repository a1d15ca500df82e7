#pragma once
// Harmonic analysis of a passage of a chord progression: the chords of the passage share an
// analysis id and each holds candidate names and possible local and global keys. The user
// chooses the global key (which selects each chord's local key and the candidates that fit
// it), counts the analyses in which neighbouring chords share enough notes, and applies one.

#include "score/CChordProgression.h"

class CChord;
class CUndoManager;
class View;

// What `denombrer` answers when the user stopped the enumeration.
constexpr short ANALYSIS_ABORTED = -1;
// The most analyses counted.
constexpr short ANALYSIS_CAP = 999;

// 1 when the two chord names may follow each other: they share at least `common` notes
// (after bringing every note down to the lowest octaves); the scratch chords are overwritten.
short tester_enchainement(const char* name1, const char* name2, short common, CChord* a, CChord* b);
// With goal 0, the number of analyses of the passage of that id (at most ANALYSIS_CAP); with
// goal g, applies analysis g and answers its number. ANALYSIS_ABORTED when the user stopped.
short denombrer(CChordProgression* prog, short id, short goal, short common);
// The analysis dialog for the passage of that id.
void modify_analyse(CChordProgression* prog, short id, View* view, CUndoManager* undo, short notes_param);

// Placing chord symbols or chord notes on the staff chosen in the analysis dialog, over the
// passage's measures selected in the view (ChordPlacement.h); tests may put others in.
struct AnalysisPlacement {
    short (*menu_chord_place)(View* view, CUndoManager* undo);
    short (*menu_chord_notes)(View* view, short notes_param, CUndoManager* undo);
};
extern AnalysisPlacement analysis_placement;
