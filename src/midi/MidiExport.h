#pragma once
// Export of the score as a Standard MIDI File with 480 ticks per quarter note, the program's
// own tick, so that score ticks are written unchanged. Three kinds:
//   1  format 0, one track: the tempo, staff 1's signatures, every staff's messages, tempo
//      changes and lyrics;
//   2  format 0, one track "Tempo": the tempo map alone (tempo, staff 1's signatures, changes);
//   3  format 1: a track "Tempo" with the tempo map, then one track per staff with its name
//      (its instrument's, or the name of its sound, or "Portée n"), channel, signatures,
//      messages and lyrics.
// The staves are rendered column by column by the score renderer (notes, lyrics, the symbols'
// play rules and the staves' own track events). The measure columns are those of the first
// staff, up to the last one holding a note or an event; repeat signs of the first staff are
// followed (each at most 10 times). Every event is written at its own time. The file is written whole to a temporary file and then renamed, so
// that a failed export leaves no truncated file.

#include <cstdint>
#include <cstdio>

struct Document;

// Writes `d` to `path`; 1 when written, else 0 and `*why` says what went wrong.
short exporter_midi_document(Document* d, const char* path, short kind, const char** why);

// The path the export writes for the path a user chose: its ".mid" or ".midi" extension
// upper-cased, or ".MID" added when it has neither. The folder is kept as it is.
void midi_export_path(const char* chosen, char* out, int out_size);

// The export command of the shell: the kind asked for in its dialog (the one chosen last
// offered again; nothing happens on Annuler), the file asked for with the save dialog (and
// confirmed when it exists), the score of the front view written; a failure is said.
void exporter_midi();

// The kind of file chosen in dialog 106 of "MUSIC.RES": radio buttons for the three kinds
// above, `*kind` checked as it opens. 1 with `*kind` set on OK; 0 on Annuler (or the dialog
// closed another way), `*kind` unchanged. The export calls it through the pointer, which tests
// replace.
constexpr short MIDI_FORMAT_DIALOG = 106;
short dialogue_format_midi_106(short* kind);
extern short (*dialogue_format_midi)(short* kind);

// The variable-length number of the file format (7 bits a byte, most significant first);
// returns the number of bytes written (1 to 4 for 0 to 2^28 - 1).
short write_var_len(int32_t value, FILE* fd);
