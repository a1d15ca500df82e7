#pragma once
// The melodies of the composition assistant as plain data: the draft zone (a scratch melody
// with its cursor and scroll), the notes its staff shows (and the theme staff's, and the note
// that a played key hands to the score's step cursor), coloured by the chord and scale of the
// chord-grid cell in force. Free of windows and threads.
//
// An element is a MIDI pitch (-1 for a rest) with a rhythm code: the value code 0..8 (0xF00 >>
// code ticks: 1 whole, 3 quarter, 8 hundred-twenty-eighth) plus 100 for a dotted value.

#include <array>
#include <vector>

// ---- The draft zone ----

// The slots of the draft's staff; the cursor stands before slot 1 .. after slot kDraftSlots.
constexpr short kDraftSlots = 37;
constexpr short kDraftRest = -1;

struct DraftZone {
    std::vector<short> pitches;  // tab_brou
    std::vector<short> rhythms;  // tab_brou_rythmes
    short offset = 0;            // elements scrolled out on the left
    short indicx = 0;            // the cursor: slots shown before it, 0..kDraftSlots

    short size() const { return (short)pitches.size(); }
    // The elements before the cursor.
    short position() const { return (short)(offset + indicx); }
    void clear();
    // Inserts an element at the cursor and moves the cursor past it (the view scrolls when the
    // cursor stands after the last slot).
    void insert(short pitch, short rhythm);
    // Backspace: removes the element before the cursor; false at the start.
    bool backspace();
    // The arrows: the cursor one element left or right, scrolling at the ends of the view; the
    // right arrow goes as far as after the last element. False when the cursor stays.
    bool left();
    bool right();
    // The scroll bar moved to `value`: the cursor keeps its element.
    void scroll_to(short value);
    // The cursor held to 0..kDraftSlots.
    void clamp();
};

// ---- Notes on a melody staff ----

// The colour classes of the twelve pitch classes for a cell: from the scale filter alone (no
// canvas or harmony-name rule); a grid of one row or one column takes the fixed classes.
std::array<short, 12> melody_classes(short key, unsigned short chord_classes, short filter, bool one_row_or_column);

// A note of a melody staff: its fields as the staff's measure draws it.
struct MelodyNote {
    short rythm = 3;
    short point = 0;
    short height = 0;  // 0: the default stem
    short y = 0;       // on a treble staff, before CNote::adjust
    short alt = 0;     // accidental code: 0 none, 2 flat, 4 sharp
    short dir = 0;     // 1 stem down
    short dax = 9, day = 13;
    short voice = 3;
};
// The note of `pitch` with rhythm code `code` in a cell of key `key` (held to -7..7): spelled by
// the scale (a black key outside it takes a flat in a flat key, else a sharp), its voice from
// its class (2 chord note, 8 outside the scale, else 3).
MelodyNote melody_note(short pitch, short code, short key, const std::array<short, 12>& classes);
// The x of slot j (from 1) of a melody staff, for a note and for a rest.
constexpr short melody_note_x(short j) { return (short)(14 * (j - 1) + 23); }
constexpr short melody_rest_x(short j) { return (short)(14 * (j - 1) + 25); }
constexpr short kMelodyRestY = 24;
// The cursor's slot count before the item at `x` and the item itself (the cursor goes just
// after it).
constexpr short draft_cursor_after(short x) { return (short)((x - 23) / 14 + 1); }

// ---- A note for the score's step cursor ----

// The value of a note tool for a note sent into the score: its value code and stem length
// (0: the default). False for a tool that is no note tool (5 to 12 and 20).
struct ToolValue {
    short rythm = 3;
    short height = 0;
};
bool note_tool_value(short tool, ToolValue* out);
