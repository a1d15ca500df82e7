#pragma once
// The offline drive of an audio export through the synthesizer's loopback: the program's play
// clock (the MIDI clock, the timer's tasks that the scheduler and the players run on, and the
// play manager's pump) is driven by the audio frames rendered instead of the wall clock, the
// way an offline renderer works. Each millisecond of music: the MIDI clock moves to it, the
// timer's tasks run once, the pump turns every 20 ms, and the synthesizer renders that
// millisecond's frames into the loopback. So an export takes as long as rendering takes, not
// as long as the music, and the file holds the events at the sample positions a real-time
// play gives them (to within the millisecond the tasks run at).
//
// GUI thread only: begin, advance and end run there, and so do the timer's tasks meanwhile
// (the timer's own thread is stopped). The loopback's buffers come back through the audio
// worker; when none has room the drive waits for it, so nothing is lost however fast it runs.

#include <climits>
#include <cstdint>

class CTimer;
class SynthLoopbackInput;
namespace platform {
class MidiDrivenClock;
}

class OfflineDrive {
public:
    static constexpr int32_t kPumpPeriodMs = 20;

    // `pump` may be null; `timer` may be null (nothing ticks then).
    OfflineDrive(SynthLoopbackInput* loopback, CTimer* timer, void (*pump)());
    ~OfflineDrive();  // ends the drive when it runs
    OfflineDrive(const OfflineDrive&) = delete;
    OfflineDrive& operator=(const OfflineDrive&) = delete;

    // Takes the clock, the timer and the loopback over.
    void begin();
    // Renders music for at most `wall_budget_ms` of the wall clock, and at most `music_ms` of
    // music; returns the milliseconds of music rendered. Waits (within the budget) for the
    // loopback's buffers when they are full.
    int32_t advance(int32_t wall_budget_ms, int32_t music_ms = INT32_MAX);
    // Gives everything back: the clock goes on from where the music is, the timer ticks again.
    void end();
    bool running() const { return active; }
    // Milliseconds of music rendered since begin.
    int64_t music_ms() const { return step; }

    // The MIDI clock that drives take over (installed for good by the first drive).
    static platform::MidiDrivenClock& clock();

private:
    SynthLoopbackInput* loopback;
    CTimer* timer;
    void (*pump)();
    bool active = false;
    int64_t step = 0;  // milliseconds of music rendered
};
