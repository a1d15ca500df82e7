#include "app/ChordBlockCommands.h"

namespace {

constexpr short kIntervalSemitones[9] = {0, 0, 2, 4, 5, 7, 9, 11, 12};  // by value 1..8
constexpr short kDiminished = 2, kMinor = 3, kAugmented = 6, kDown = 2;

// Seconds, thirds, sixths and sevenths: the values that have a minor form.
bool imperfect(short value) { return value == 2 || value == 3 || value == 6 || value == 7; }

}  // namespace

std::vector<std::string> hold_chord(const std::vector<std::string>& chords, short current, short n)
{
    std::vector<std::string> out = chords;
    const short last = (short)(chords.empty() ? 0 : chords.size() - 1);
    if (n < 1 || current < 0) return out;
    for (short c = last; c >= current + 1; c--) {
        out[(size_t)c].clear();
        if (c >= current + 1 + n) out[(size_t)c] = chords[(size_t)(c - n)];
    }
    return out;
}

Transposition transposition_of(const IntervalChoice& i)
{
    const short value = i.value < 1 ? 1 : i.value > 8 ? 8 : i.value;
    short semitones = kIntervalSemitones[value];
    if (i.type == kMinor && imperfect(value)) semitones--;
    if (i.type == kDiminished) semitones = (short)(semitones - (imperfect(value) ? 2 : 1));
    if (i.type == kAugmented) semitones++;
    Transposition t;
    t.steps = (short)(i.octaves * 7 + value - 1);
    t.semitones = (short)(i.octaves * 12 + semitones);
    if (i.direction == kDown) {
        t.steps = (short)-t.steps;
        t.semitones = (short)-t.semitones;
    }
    return t;
}
