#pragma once
// The chunks of a Standard MIDI File held in memory: the file itself or the "data" chunk of a
// RIFF "RMID" file, its header chunk and its track chunks. Every step stays inside the bytes
// it was given and says, in a text for the user, why it refuses a file.

#include <cstdint>
#include <vector>

#include "midi/MidiFileReaders.h"

struct SmfHeader {
    short format = 0;
    short tracks = 0;
    int32_t division = 480;     // ticks per quarter note; with a time code, see below
    // A time-code division counts ticks of real time: `division` ticks make `scale` quarter
    // notes of the standard's default 120 a minute (ticks per second times 2 / 2 = ticks per
    // second; 29.97 frames a second keep their fraction through a larger scale).
    int32_t scale = 1;
    bool time_code = false;
    int32_t progress_base = 0;  // bytes of MIDI data, the base of a progress percentage
};

// Files beyond this size are refused before they are read.
constexpr int32_t SMF_MAX_FILE_BYTES = 64 * 1024 * 1024;

// Files beyond this size show a progress box while they are read.
constexpr size_t SMF_PROGRESS_BYTES = 500000;

// Reads the whole file. False, with the reason, when it cannot be opened or read or is too big.
bool smf_read_file(const char* path, std::vector<unsigned char>* out, const char** why);
// Finds the header chunk (at the start, or inside a RIFF "RMID" file, whose other chunks are
// passed over) and reads it; `b` is then at the first track chunk. Accepts formats 0 and 1
// with at least one track and a division other than 0.
bool smf_header(SmfBytes& b, SmfHeader* h, const char** why);
// Reads the next track chunk's id and length; `track` is its body and `b` moves past it.
// Chunks of other kinds before it are passed over, as the format asks of a reader; a chunk
// whose length runs past the end, or no track chunk left, is refused.
bool smf_track(SmfBytes& b, SmfBytes* track, const char** why);
// Event time in 480ths of a quarter note of an absolute tick; -1 past what a score can hold.
int32_t smf_time(int64_t tick, int32_t division);
int32_t smf_time(int64_t tick, const SmfHeader& h);
