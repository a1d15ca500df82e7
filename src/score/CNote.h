#pragma once
// A note of a measure: its head position, value, stem, accidental, MIDI values, ties and ids.

#include <cstdint>

#include "score/CDataObject.h"

class CNote : public CDataObject {
public:
    static constexpr short KIND = KIND_NOTE;
    CNote() { uid = KIND; }

    CDataObject* duplicate() override;
    short read(FILE* f) override;
    short write(FILE* f) override;

    // Snaps the head to the staff grid and sets the ledger lines and the dot.
    void adjust();
    // Caps and lengthens the stem so that it reaches the middle line.
    void ajuster_hampe();

    short x = 0, y = 0;
    short rythm = 3;       // value code: 3840 >> rythm ticks
    short point = 0;       // non-zero: dotted
    short alt = 0;         // accidental
    short dir = 0;         // 0 stem up (end at y - height), else stem down (end at y + height)
    short bar_type = 0;    // ledger lines: 0 none, 1 or 2 above the staff, 3 or 4 below
    short bar_sup = 0;     // number of ledger lines
    short gid = 0;         // beam group id, 0 for none
    short height = 21;     // stem length
    short cid = 0;         // chord id shared by the notes of one chord
    short dpx = 0, dpy = 0;  // dot offset
    short dax = 0, day = 0;  // accidental offset
    short pitch = 0;       // sounding MIDI pitch
    short velocity = 64;
    short start = 0;       // ticks from the start of the measure
    short length = 480;    // ticks
    short voice = 0;
    short rec_vel = -1, rec_start = 32000, rec_length = 32000;  // recorded values; 32000 (-1) none
    short flags = 0;       // 0x1 tied to the next note, 0x2 tied from the previous one
    short tdx = 0, tdy = 0, tdh = 5, tdw = 20;  // tie curve
    short sid = 0;         // id by which symbols attach to this note
    short lid = 0;         // id of the lyrics of this note
    short head = 0;        // head shape
    short nmask = 0;       // bits of the tuplets holding the note
    int32_t color = 0;     // colour the note was last drawn in; never copied
};
