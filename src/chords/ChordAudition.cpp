#include "chords/ChordAudition.h"

#include "score/CChord.h"

namespace {

constexpr unsigned char kHeldOn = 0x91;      // note on, channel 2
constexpr unsigned char kArpeggioOn = 0x92;  // note on, channel 3
constexpr unsigned char kHeldProgram = 0xC1;
constexpr unsigned char kArpeggioProgram = 0xC2;
constexpr short kFirstChordLine = 2;

}  // namespace

std::vector<short> chord_pitches(const std::string& name)
{
    std::vector<short> pitches;
    std::string text = name;
    CChord chord;
    if (text.empty() || !chord.set_chord_name(&text[0])) return pitches;
    for (short i = 1; i <= chord.get_chord_total(); i++)
        pitches.push_back((short)(chord.get_chord_note(i) & 0x7F));
    return pitches;
}

ChordAudition::ChordAudition(MidiOut o, ChordNotes n) : out(std::move(o)), notes_of(std::move(n)) {}

void ChordAudition::note(unsigned char status, short pitch, unsigned char velocity)
{
    const unsigned char bytes[3] = {status, (unsigned char)(pitch & 0x7F), velocity};
    out(bytes, 3);
}

void ChordAudition::hold(unsigned char velocity)
{
    for (short p : chord) note(kHeldOn, p, velocity);
}

void ChordAudition::silence()
{
    if (!index) return;
    for (size_t j = 0; j < chord.size(); j++) {
        note(kHeldOn, chord[j], 0);
        if ((short)(j + 1) == index) note(kArpeggioOn, chord[j], 0);
    }
    index = 0;
}

void ChordAudition::listen(const std::string& name, short p, int32_t now, bool touch_tool)
{
    silence();
    if (name.empty() && p == 0) {
        prog = 0;
        return;
    }
    if (touch_tool) return;
    if (p < 1) {
        chord = notes_of(name);
        prog = 0;
    } else {
        const bool known = p <= (short)progressions.size() &&
                           progressions[p - 1].size() >= (size_t)kFirstChordLine;
        chord = known ? notes_of(progressions[p - 1][kFirstChordLine - 1]) : std::vector<short>{};
        prog = known ? p : 0;
        line = kFirstChordLine;
    }
    // A chord the dictionary does not know sounds nothing.
    if (chord.empty()) return;
    const unsigned char strings[2] = {kHeldProgram, kStringsProgram};
    const unsigned char harp[2] = {kArpeggioProgram, kHarpProgram};
    out(strings, 2);
    out(harp, 2);
    index = 1;
    for (size_t j = 0; j < chord.size(); j++) {
        note(kHeldOn, chord[j], kHeldVelocity);
        if (j == 0) note(kArpeggioOn, chord[j], kArpeggioVelocity);
    }
    unit = now;
}

void ChordAudition::step(int32_t now, bool touch_tool)
{
    if (!index) return;
    if (touch_tool) {
        // The touch-play tool silences the output; the audition ends with it, so that it never
        // arpeggiates over a chord that no longer sounds.
        silence();
        prog = 0;
        return;
    }
    if (now < unit + kStep) return;
    unit += kStep;
    note(kArpeggioOn, chord[index - 1], 0);
    index++;
    if (index > (short)chord.size()) {
        if (prog > 0) {
            const std::vector<std::string>& lines = progressions[prog - 1];
            hold(0);
            line++;
            if (line > (short)lines.size()) line = kFirstChordLine;
            std::vector<short> next = notes_of(lines[line - 1]);
            if (!next.empty()) chord = std::move(next);
            hold(kHeldVelocity);
        }
        index = 1;
    }
    note(kArpeggioOn, chord[index - 1], kArpeggioVelocity);
}
