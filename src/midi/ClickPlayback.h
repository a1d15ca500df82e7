#pragma once
// Sounding a note at once while the user places it (click playback), and the values that the
// play-parameters dialog shows and stores for one note (its played velocity, length and start
// and three flags).

class CNote;

// The pitch that click playback sounds, -1 when none (the switch is `play_while_moving`).
extern short note_playing;

// On 1 sounds the note at column `measure` of staff `staff` on the staff's instrument (after
// its bank select and program), silencing the one already sounding; on 0 silences it. A press
// on the pitch already sounding sends nothing. `item` is the document's index of the measure.
void play_note_clic(short on, CNote* note, short measure, short staff, short item);

// What the play-parameters dialog shows of a note, and stores back.
struct PlayParameters {
    short velocity = 64;     // slider 4
    short velocity_set = 0;  // box 5
    short length_set = 0;    // box 6
    short length = 100;      // slider 8: played length in percent of the written one
    short start_set = 0;     // box 7
    short start = 0;         // slider 10: played start offset in percent of the written length
    short flag_40 = 0;       // box 12
    short radio = 1;         // group 14: 1 none, 2 flag 0x80, 3 flag 0x20
};
// The dialog's values for a note. A note of no length shows 100 % and 0 % (nothing to divide by).
PlayParameters play_parameters_of(const CNote* note);
// Stores confirmed values into the note (ticks held inside 16 bits).
void store_play_parameters(const PlayParameters& p, CNote* note);
// The play-parameters dialog of a note: shows its values, stores them when the user confirms.
// 1 when confirmed, 0 when cancelled (the note unchanged).
short edit_play_parameters(CNote* note);
