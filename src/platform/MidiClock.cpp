#include "platform/MidiClock.h"

#include <chrono>

namespace platform {

int32_t MidiSystemClock::now_ms() const
{
    static const auto start = std::chrono::steady_clock::now();
    auto elapsed = std::chrono::steady_clock::now() - start;
    return static_cast<int32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

namespace {
MidiSystemClock system_clock;
std::atomic<MidiClock*> installed{nullptr};
}  // namespace

MidiClock* midi_clock()
{
    MidiClock* c = installed.load(std::memory_order_acquire);
    return c ? c : &system_clock;
}

void set_midi_clock(MidiClock* clock)
{
    installed.store(clock, std::memory_order_release);
}

}  // namespace platform
