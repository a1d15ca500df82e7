#pragma once
// The editor's commands on a block of measures that go through MIDI: transcribing the selected
// staves' tracks into notation, regenerating the tracks from the notation, transposing the
// selection by an interval chosen in a dialog, and re-justifying the selection. Each works on the
// selection of a view (columns by staves of the master system), records what it changes in the
// given undo manager (which may be null; the caller opens the level), shows a progress box from
// two measures on (a wait cursor below) and asks for the redraw of the document at the end.

class CUndoManager;
class View;
struct Document;

void transcrire_proc(View* v, CUndoManager* undo);
// With `del`, the notation of the selected measures is cleared after the tracks are rebuilt.
void detranscrire_proc(View* v, CUndoManager* undo, short del);
void transposer_proc(View* v, CUndoManager* undo);
void justifier_proc(View* v, CUndoManager* undo);

// Transcribes columns first..last of one staff of document `d` (made the open document), without
// undo: what opening a MIDI file and the end of a recording use.
void transcrire_proc(Document* d, short first, short last, short staff);

// What the end of a recording does when the document asks for a transcription: columns
// first..last of staff p (cut at the score's last column) are each recorded in `undo` (with the
// measures of the staves above and below that the hand split writes to), transcribed and, with
// `auto_justi`, justified (the whole column unless `local_just`); then their note events leave
// the track, which is related to its measures again, and the score views are asked to lay out
// again. The caller has merged the take into the track and opened the undo level.
void transcrire_enregistrement(short p, short first, short last, CUndoManager* undo);

// The transposition dialog as a function that edits the four interval fields of the document
// and answers 1 for OK, 0 for cancel; the default opens dialog 105 of "MUSIC.RES". Tests put
// their own.
extern short (*dialogue_transposition)(Document* d);
short dialogue_transposition_105(Document* d);
