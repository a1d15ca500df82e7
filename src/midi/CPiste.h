#pragma once
// One track of a MIDI file read into memory: its events in time order (480 ticks per quarter
// note, the bytes after a message padded with 0xFF, internal tempo events as 1, tempo high
// byte, tempo low byte, 0), its name, the bank, program and controller settings that opened
// it, and a play cursor.

#include <cstdint>

#include "framework/CObject.h"
#include "framework/CString.h"
#include "score/Piste.h"  // MidiEvent

// A track never holds more events; the reader refuses a file with a longer track.
constexpr int32_t CPISTE_MAX_EVENTS = 1000000;

class CPiste : public CObject {
public:
    CPiste() { uid = 610; }
    ~CPiste() override;
    CPiste(const CPiste&) = delete;
    CPiste& operator=(const CPiste&) = delete;

    // Stores the first `total` bytes of buf (the rest of the 4 set to 0xFF, in buf too) at
    // `when`, after the events of the same time; 0 when the track is full.
    short send(int32_t when, short total, char* buf);
    // 1 when the track has room for `howmuch` events (growing by half again, at most to the
    // largest track).
    short sizeup(int32_t howmuch);
    // Removes event `index` (1 to tot).
    void remove_event(int32_t index);
    // Lifts the settings before the first Note On into the fields below and takes them out.
    void extract_params();
    // Sends the settings to output node 1 at once, the volume scaled by pcvol percent.
    short send_config(short pcvol);
    void clear();

    int32_t tot = 0;
    int32_t max = 0;
    MidiEvent* events = nullptr;  // entries 1 to tot of a block of max + 1
    CString name;
    short bqm = -1, bql = -1, pg = -1, vol = -1, rev = -1, cho = -1, bal = -1, mod = -1;
    short chan = 0;  // 0 to 15
    short extra1 = -1, extra2 = -1;
    int32_t next = 0;  // index of the next event to play, 0 none
};
