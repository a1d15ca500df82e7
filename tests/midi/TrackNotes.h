#pragma once
// The notes that the staves' tracks of a score hold, paired from their note-on and note-off
// messages: staff, channel, pitch, start and end in ticks, sorted.

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <vector>

#include "score/Document.h"
#include "score/Piste.h"

using TrackNote = std::tuple<int, int, int, int32_t, int32_t>;

inline std::vector<TrackNote> notes_of(Document* d) {
    std::vector<TrackNote> notes;
    for (short s = 1; s <= d->tot_piste; s++) {
        Piste* t = d->piste[s];
        for (short i = 1; i <= t->tot; i++) {
            const MidiEvent& on = t->event[i];
            if (on.buf[3] != 0xFF || (on.buf[0] & 0xF0) != 0x90 || on.buf[2] == 0) continue;
            for (short j = (short)(i + 1); j <= t->tot; j++) {
                const MidiEvent& off = t->event[j];
                bool ends = off.buf[3] == 0xFF && off.buf[1] == on.buf[1] &&
                            ((off.buf[0] & 0xF0) == 0x80 || ((off.buf[0] & 0xF0) == 0x90 && off.buf[2] == 0));
                if (ends) {
                    notes.emplace_back(s, on.buf[0] & 0x0F, on.buf[1], on.time, off.time);
                    break;
                }
            }
        }
    }
    std::sort(notes.begin(), notes.end());
    return notes;
}
