#pragma once
// Note codes: the diatonic step in the high byte and the MIDI pitch in the low byte, so that
// spelling and sound travel together; one octave adds 1804. Note and chord names.

#include "framework/Arrays.h"
#include "framework/CString.h"

constexpr short NOTE_CODE_OCTAVE = 1804;

// (step AND 0x7F) << 8 | (pitch AND 0x7F).
short make_note(short step, short pitch);
// Code of spelled note `index` (0 C flat, 1 C, 2 C sharp, ... 20 B sharp); 0 for another index.
short note_from_define(short index);
// The code moved by whole octaves into the pitches low..high, or -1 when no octave fits.
short apply_note_range(short code, short low, short high);
// Alteration of a code: its pitch less the natural pitch of its step (-2..+2 when spelled).
short note_alteration(short code);
// Sets `out` to the note's name; 0 (with "?" appended) for an alteration outside -2..+2.
short note_name(short code, CString* out);
// Sets `out` to the chord's name from its root, its intervals or its dictionary name, and bass.
short chord_to_name(CArrayInt* intervals, short root, short bass, CString* out, short chord_id);
// Appends the chord-type part of a name built from the intervals; `last` keeps the spacing state.
void add_chord_type_name(CArrayInt* intervals, CString* out, char* last);
