#pragma once
// The pieces of the note tool that its source files share (not for other tools).

#include "score/CNote.h"
#include "tools/ToolContext.h"

class CMeasure;

// A pressed note with what it was at the press.
struct PressedNote {
    CNote* n = nullptr;
    short k = 0;  // item index in the touched measure
    short gid = 0, cid = 0, sid = 0, lid = 0;
    short x = 0, y = 0, height = 0, dir = 0;
    static PressedNote of(CMeasure* m, short k);
};

// Drags the pressed note (a note just entered: `fresh`), then brings the measure up to date.
short drag_note(ToolContext& c, const PressedNote& p, bool fresh);
// Tool 17 on a beamed note.
void split_group(ToolContext& c, const PressedNote& p);
// Ctrl on a note: true when the press ended in a join (answer 1), false to go on to the drag.
bool join_beams(ToolContext& c, const PressedNote& p);

// Bits 0x20, 0x40 and 0x80 of `from` given to the other notes of its chord in measure m.
void copy_beam_flags_to_chord(CMeasure* m, const CNote* from);
// True when measures a and b stand at the same place of their staves in one system of the
// page shown.
bool same_column(const Editeur* v, short a, short b);
// A new beam item of group `gid` at the end of measure m.
void add_beams(CMeasure* m, short gid);
// The group `gid` (through the pointer: it may be renumbered) laid out again in m.
void rebuild_group(const ToolContext& c, CMeasure* m, short* gid);

namespace note_flag {
enum : short {
    TiedToNext = 0x01,
    TiedFromPrevious = 0x02,
    UserJoined = 0x20,
    StemByHand = 0x40,
    UserSeparated = 0x80,
    BeamBits = UserJoined | StemByHand | UserSeparated,
};
}
