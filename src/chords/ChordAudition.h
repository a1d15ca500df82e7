#pragma once
// Chord audition of the composition assistant: a chord held by strings on MIDI channel 2 while
// a harp on channel 3 plays its notes one after another, an eighth note each, round and round;
// or a progression whose chords follow each other, one arpeggio pass each, until stopped.
//
// Threads: GUI thread only (the assistant's handlers and the application's periodic task). The
// clock it is given is the MIDI clock, which the timer thread advances. Messages go out at once
// through the output function.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The MIDI pitches of a chord name (its notes' low 7 bits, in the chord's order); none when the
// dictionary does not know the name.
std::vector<short> chord_pitches(const std::string& name);

class ChordAudition {
public:
    using MidiOut = std::function<void(const unsigned char* bytes, short count)>;
    using ChordNotes = std::function<std::vector<short>(const std::string& name)>;

    static constexpr int32_t kStep = 240;          // an eighth note
    static constexpr unsigned char kStringsProgram = 48;
    static constexpr unsigned char kHarpProgram = 46;
    static constexpr unsigned char kHeldVelocity = 80;
    static constexpr unsigned char kArpeggioVelocity = 100;

    ChordAudition(MidiOut out, ChordNotes notes);

    // The progressions: each entry's lines, the first its name, the others its chords.
    void set_progressions(std::vector<std::vector<std::string>> p) { progressions = std::move(p); }
    // Auditions the chord `name` (prog 0) or progression `prog` (from 1); an empty name with
    // prog 0 stops. Nothing starts while the touch-play tool is current.
    void listen(const std::string& name, short prog, int32_t now, bool touch_tool);
    void stop() { listen("", 0, 0, false); }
    // The arpeggio's step at clock time `now`. Taking the touch-play tool ends the audition.
    void step(int32_t now, bool touch_tool);

    bool sounding() const { return index != 0; }
    short current_note() const { return index; }
    short current_progression() const { return prog; }

private:
    void note(unsigned char status, short pitch, unsigned char velocity);
    void silence();
    void hold(unsigned char velocity);

    MidiOut out;
    ChordNotes notes_of;
    std::vector<std::vector<std::string>> progressions;
    std::vector<short> chord;  // Accord
    short index = 0;           // CurHarpilIndex: the arpeggio's note, 0 = silent
    short prog = 0;            // CurProg
    short line = 0;            // CurAccord: the progression's line sounding (2 = first chord)
    int32_t unit = 0;          // CurHarpilUnit
};
