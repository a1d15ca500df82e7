#pragma once
// The user's settings kept between runs: "Options.txt" (favourite instruments, three play
// options, and where the three floating panels stand and whether they show) and "LastDoc.txt"
// (the last score opened from the libraries, opened again at the next start), both in the
// folder "Misc" of the program directory; and the highlight of the note being played.

#include <cstdint>
#include <string>

// The favourite instruments (entries 1 to 16).
extern short patch_favoris[17];
// Play options: pressure effect, metronome click velocity, transposition.
extern short pressure_effect, metro_velo, transpo;
// The floating panels: volume, effects, instruments; screen positions and whether shown.
extern short panvol_x, panvol_y, paneffect_x, paneffect_y, paninstru_x, paninstru_y;
extern short panvol_open, paneffect_open, paninstru_open;

// Reads "Options.txt": a missing file keeps every value, a short one keeps the values it
// lacks.
void read_options();
// Writes "Options.txt" (lines end with a single line feed); an unwritable file is ignored.
void write_options();
// Start-up: the favourites all 1, then the options read.
void read_settings();

// Writes the path as the last document (no line end); nothing when the file cannot be made.
void write_last_document(const char* path);
// The last document's path (up to the first line end), empty when there is none.
std::string read_last_document();
// Opens the last document again as the library command that opened it did; nothing when the
// file is missing or the score no longer opens.
void reopen_last_document();

// The highlight of the note being played, given a score-following marker (4 bytes: kind in
// the low 3 bits of byte 0, 2 starts and 3 ends the note, the staff above them; measure number
// in bytes 1 and 2; item of the note in byte 3): the note's head is drawn in the highlight
// colour, or in its own again, when its measure is on the page shown, and its highlight flag set
// or cleared in any case. Byte 0 is left holding the kind alone. Nothing without an open
// document and view. Runs on the program's thread: it draws.
void midi_color(char* marker, short unused);
// The receiver of the MIDI layer's markers (start-up makes it so), on whatever thread delivers
// them: a note's marker waits for the program's thread; the others (an external start or stop)
// are dropped.
void queue_midi_color(char* marker, short unused);
// Draws the waiting markers with midi_color (the periodic task, and before a document closes).
void draw_queued_highlights();
