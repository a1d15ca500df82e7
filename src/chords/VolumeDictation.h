#pragma once
// Volume dictation of the composition assistant: a loudness curve taken by hand over a span of
// the score (one sample, 0 to 127, at each touch) replaces the melody track's volume over that
// span and sets the velocities of the notes played in it; afterwards repeated volume events are
// removed. A volume event is a control change 7.
//
// GUI thread; works on the open document (`doc`), whose tracks the play-along task reads only
// while `ok_interrupt` lets it.

#include <cstdint>
#include <vector>

struct Document;

struct VolumeSamples {
    std::vector<int32_t> unit;  // ticks of the score, in the order taken
    std::vector<short> vol;
};

// Applies the samples to track 1 (the melody, channel 1): its channel-1 volume events in the
// samples' span are replaced by one event a change of value, each note-on in the span takes the
// volume in force before it, and each note of the first staff in the span takes the volume of
// the first sample at or after it. Fewer than two samples change nothing; 1 when applied.
short apply_volume_dictation(Document* d, const VolumeSamples& s);

// Removes every volume event that repeats the value of the volume event kept before it, in the
// tracks of instruments shown as piano rolls (bit 0 of `in_roll`); returns the events removed.
int32_t optimise_volume(Document* d);
