#pragma once
// Import of a Standard MIDI File (format 0 or 1, or inside an ".rmi" file) into a document that
// holds one staff of one measure with its track and instrument. Every channel message goes to
// the track of a staff: one staff per track in format 1 (and one more for each further channel
// a track plays on, so that every channel keeps its instrument), one per channel in format 0; a
// staff whose track is full continues on a staff of its own, and a note always ends on the staff
// where it started. A note never released ends with its track. The file's
// length and time signatures make the measures; time and key signatures become notation items,
// the first tempo the document's tempo (120 without one; a time-code file plays its ticks as
// real time at 120), track names the instruments' names, lyrics (and the text of a ".kar"
// file) the document's lyric table, sung on the staff their track played on last (before it
// played, on the track's own); later tempo changes and lyrics become internal track events. Each
// track's opening bank, program and controller settings go into its instrument, and a staff
// whose notes lie mostly below middle C gets a bass clef. Notes are not transcribed.

struct Document;

// The tempo of a file that gives none, in quarter notes a minute.
constexpr short SMF_DEFAULT_TEMPO = 120;

// A karaoke file (".kar" in any case), whose text events are its lyrics.
bool is_karaoke(const char* path);

// 1 when the file was read into `d`. On failure the document is half built and must be
// discarded; `midi_import_error()` says what is wrong with the file.
short importer_midi(Document* d, const char* path);
const char* midi_import_error();

// The document name of a file path: the name after the last folder, without a ".mid",
// ".midi", ".rmi" or ".kar" extension in any case.
void midi_document_name(const char* path, char* out, int out_size);

// Lyrics in the document's table: slots of 12 bytes, lyric n at byte 12 n.
constexpr int LYRIC_TABLE_BYTES = 32000;
constexpr short LYRIC_MAX = 2665;
