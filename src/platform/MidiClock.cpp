#include "platform/MidiClock.h"

#include "platform/Clock.h"

#include <chrono>

namespace platform {

int32_t MidiSystemClock::now_ms() const
{
    // The low 32 bits, as a millisecond counter that wraps.
    return static_cast<int32_t>(static_cast<uint32_t>(real_milliseconds()));
}

int64_t MidiSystemClock::now_us() const
{
    const auto since_boot = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::microseconds>(since_boot).count();
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

namespace platform {

int64_t MidiDrivenClock::now_us() const
{
    if (is_driven.load(std::memory_order_acquire)) return driven_us.load(std::memory_order_acquire);
    return system.now_us() + offset_us.load(std::memory_order_acquire);
}

void MidiDrivenClock::drive()
{
    driven_us.store(now_us(), std::memory_order_release);
    is_driven.store(true, std::memory_order_release);
}

void MidiDrivenClock::release()
{
    if (!is_driven.load()) return;
    const int64_t behind = driven_us.load() - system.now_us();
    if (behind > offset_us.load()) offset_us.store(behind, std::memory_order_release);
    is_driven.store(false, std::memory_order_release);
}

}  // namespace platform
