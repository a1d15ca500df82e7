#pragma once
// Stand-ins for what opening a MIDI file as a composition calls in parts of the program that
// are not built yet. Each keeps its call site as it will be; the part that owns the real one
// replaces it here.

struct Document;

// Transcription of the recorded or imported events of measures first..last of one staff into
// notes, rests and lyrics. Nothing is transcribed yet: the staff keeps its events in its
// track, where playing and export find them.
void transcrire_proc(Document* d, short first, short last, short staff);
