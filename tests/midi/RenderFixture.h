#pragma once
// Rendering a score built with the score fixture, and the messages it gives as text lines
// "tick: bytes" (hex; internal four-byte events are marked with a star), so that the golden
// tables of the tests read as what goes out.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "midi/ScoreRender.h"
#include "score/Piste.h"
#include "score/Placeholders.h"
#include "../score/ScoreFixture.h"

namespace render_test {

inline std::string line(int32_t tick, const unsigned char* b, short len, bool internal) {
    char text[64];
    int n = std::snprintf(text, sizeof text, "%d:%s", tick, internal ? " *" : "");
    for (short k = 0; k < len; k++)
        n += std::snprintf(text + n, sizeof text - (size_t)n, "%s%02X", internal && k == 0 ? "" : " ", b[k]);
    return text;
}

// The events of a track.
inline std::vector<std::string> events(const Piste* t) {
    std::vector<std::string> out;
    for (short i = 1; t && i <= t->tot; i++) {
        const MidiEvent& e = t->event[i];
        bool internal = e.buf[3] != 0xFF;
        short len = internal ? 4 : e.buf[0] == 0xFF ? 0 : e.buf[1] == 0xFF ? 1 : e.buf[2] == 0xFF ? 2 : 3;
        out.push_back(line(e.time, e.buf, len, internal));
    }
    return out;
}

// Only the lines whose bytes begin with `prefix` (for instance "9" for the notes on).
inline std::vector<std::string> only(const std::vector<std::string>& lines, const std::string& prefix) {
    std::vector<std::string> out;
    for (const std::string& l : lines) {
        size_t at = l.find(": ");
        if (at != std::string::npos && l.compare(at + 2, prefix.size(), prefix) == 0) out.push_back(l);
    }
    return out;
}

// Renders columns first..last of one staff into a new track (after its set-up pass when asked)
// with a render of its own, and gives the track's events.
inline std::vector<std::string> export_staff(short staff, short first = 1, short last = 999, bool setup = false,
                                             CScoreRender* with = nullptr) {
    CScoreRender own;
    CScoreRender* r = with ? with : &own;
    if (!with) r->reset_effets();
    Piste* t = creer_piste(1000);
    if (setup) t = r->jouer_mesures(1, 1, 0, 1, staff, t, 0);
    t = r->jouer_mesures(first, last, 0, 0, staff, t, 0);
    std::vector<std::string> out = events(t);
    detruire_piste(t);
    return out;
}

}  // namespace render_test
