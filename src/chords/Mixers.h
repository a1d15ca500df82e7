#pragma once
// The accompaniment and percussion mixers of the composition assistant, as decisions and
// changes over the open composition: the controller of each accompaniment track measure by
// measure, the measure ruler's selection, the rows of the percussion pages and their drums'
// loudness. A composition has staff, track and instrument n together; 1 is the melody, 2 to 16
// the accompaniment, 10 the drums.
//
// GUI thread; the changes work on the document given.

#include <string>

struct Document;

// The controllers of the mixer's popup: volume, pan, reverb, chorus (entries 1 to 4).
short mixer_controller(short entry);
// The accompaniment tracks the mixer shows (tracks 2 to 16) and the drum instrument.
constexpr short kMixerRows = 15;
constexpr short kDrumInstrument = 10;
constexpr short kSliderOffset = 15;  // slider k + 15 belongs to row k
// A slider of a measure without the controller shows the slider's kNoValue.

// The value of controller `c` in measure `measure` of staff `staff`: the third byte of the
// first control change of c among the measure's events; -1 when it has none (or no such staff,
// track or measure).
short controller_in_measure(Document* d, short staff, short measure, short c);

// Writes controller c = v into the track of staff `staff` for measures first..last (held to
// the first staff's measures): each measure ends with exactly one control change of c, the
// first one it had or a new one at its start. Nothing is written for a staff that the document
// has no instrument, track or staff of. Returns the measures written.
short change_controller_accomp(Document* d, short c, short v, short staff, short first, short last);

// The measure ruler's selection.
struct RulerSelection {
    short first = 1, last = 200;
    short anchor = 1;
    // A press on measure m: a double click takes every one of `measures`; Shift stretches the
    // selection from its nearer end; else m alone.
    void press(short m, bool shift, bool double_click, short measures);
    // A drag onto measure m moves the end on m's side of the anchor.
    void drag(short m);
};
// The measure of ruler column x (20 pixels a column) when the ruler starts at `first_shown`.
constexpr short ruler_measure(short x, short first_shown) { return (short)(x / 20 + first_shown); }

// The drum note of row j (1 to 15) of percussion page p (from 1); rows past the last drum are
// not shown.
constexpr short kLastDrum = 81;
constexpr short drum_note(short page, short row) { return (short)(15 * page + row + 19); }
// The name of drum `note` in the built-in synthesizer's definition, "" when it has none.
std::string drum_name(short note);
// The loudness (percent of the velocity) of drum `note`, -1 when the document has no drum
// instrument; setting it changes nothing then.
short drum_level(Document* d, short note);
bool set_drum_level(Document* d, short note, short value);
