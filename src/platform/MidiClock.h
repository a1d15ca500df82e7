#pragma once
// The millisecond clock of the MIDI layer. The scheduler reads the time from here, so that a
// play can run on the system's monotonic clock or, in tests, on a clock that only moves when
// told to.

#include <atomic>
#include <cstdint>

namespace platform {

class MidiClock {
public:
    virtual ~MidiClock() = default;
    // Milliseconds since an arbitrary start; wraps like any 32-bit millisecond counter.
    virtual int32_t now_ms() const = 0;
    // The same clock to the microsecond: its thousands are now_ms (before the wrap).
    virtual int64_t now_us() const { return static_cast<int64_t>(now_ms()) * 1000; }
};

// Milliseconds of the system's monotonic clock.
class MidiSystemClock : public MidiClock {
public:
    int32_t now_ms() const override;
    int64_t now_us() const override;
};

// A clock that stands still until a test moves it.
class MidiVirtualClock : public MidiClock {
public:
    int32_t now_ms() const override { return ms.load(std::memory_order_acquire); }
    void set(int32_t t) { ms.store(t, std::memory_order_release); }
    void advance(int32_t dt) { ms.fetch_add(dt, std::memory_order_acq_rel); }

private:
    std::atomic<int32_t> ms{0};
};

// The system clock that an offline renderer can take over: while driven it reads what the
// renderer has rendered; given back, it goes on from there (never backwards: its offset from
// the system clock only grows), so that time as the MIDI layer sees it stays monotonic.
class MidiDrivenClock : public MidiClock {
public:
    int32_t now_ms() const override { return static_cast<int32_t>(now_us() / 1000); }
    int64_t now_us() const override;
    // Takes the clock over at its present reading.
    void drive();
    // Moves the driven clock forward by `us` microseconds.
    void advance_us(int64_t us) { driven_us.fetch_add(us, std::memory_order_acq_rel); }
    // Gives the clock back to the system's.
    void release();
    bool driven() const { return is_driven.load(std::memory_order_acquire); }

private:
    MidiSystemClock system;
    std::atomic<bool> is_driven{false};
    std::atomic<int64_t> driven_us{0};
    std::atomic<int64_t> offset_us{0};
};

// The clock the MIDI layer reads: the system clock unless another was installed.
MidiClock* midi_clock();
// Installs a clock (null restores the system clock); the caller keeps it alive while installed.
void set_midi_clock(MidiClock* clock);

}  // namespace platform
