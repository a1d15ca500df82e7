#include "audio/OfflineDrive.h"

#include "audio/SynthLoopback.h"
#include "framework/CTimer.h"
#include "platform/MidiClock.h"

#include <chrono>
#include <thread>

namespace {

// Synthesizer frames from the start to the end of millisecond `ms`.
int64_t frames_until(int64_t ms) { return ms * SynthLoopbackInput::kSynthRate / 1000; }

}  // namespace

platform::MidiDrivenClock& OfflineDrive::clock()
{
    static platform::MidiDrivenClock driven;
    return driven;
}

OfflineDrive::OfflineDrive(SynthLoopbackInput* l, CTimer* t, void (*p)()) : loopback(l), timer(t), pump(p) {}

OfflineDrive::~OfflineDrive() { end(); }

void OfflineDrive::begin()
{
    if (active || !loopback) return;
    if (platform::midi_clock() != &clock()) {
        // From here on the MIDI layer reads the drivable clock; undriven it is the system's
        // clock, moved on by what earlier drives ran ahead.
        platform::set_midi_clock(&clock());
    }
    clock().drive();
    if (timer) timer->drive_from_outside();
    loopback->hold(true);
    step = 0;
    active = true;
}

int32_t OfflineDrive::advance(int32_t wall_budget_ms, int32_t music_ms)
{
    if (!active) return 0;
    using wall = std::chrono::steady_clock;
    const auto until = wall::now() + std::chrono::milliseconds(wall_budget_ms);
    int32_t done = 0;
    while (done < music_ms) {
        const int32_t frames = static_cast<int32_t>(frames_until(step + 1) - frames_until(step));
        if (loopback->room_frames() < frames) {
            if (wall::now() >= until) break;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            continue;
        }
        if (timer) timer->tick_from_outside();
        if (pump && step % kPumpPeriodMs == 0) pump();
        loopback->render_frames(frames);
        clock().advance_us(1000);
        step++;
        done++;
        if (wall::now() >= until) break;
    }
    return done;
}

void OfflineDrive::end()
{
    if (!active) return;
    active = false;
    loopback->hold(false);
    clock().release();
    if (timer) timer->resume_own_ticks();
}
