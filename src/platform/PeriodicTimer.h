#pragma once
// A periodic timer on a thread of its own, for work that must keep time while the GUI thread
// is busy (the MIDI scheduler). Ticks follow the system's monotonic clock at fixed deadlines;
// a tick that comes too late is not made up for. stop() returns once no tick runs any more.
//
// Extra ticks asked for with wake_at are kept to the microsecond: the thread sleeps until
// shortly before the moment and waits out the rest awake, the margin following how late the
// system has lately woken it. The thread runs at a real-time priority where the system grants
// one. Asking for a tick takes no lock, so that a sender never waits for the timer's thread nor
// holds it up.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace platform {

class PeriodicTimer {
public:
    PeriodicTimer() = default;
    ~PeriodicTimer() { stop(); }
    PeriodicTimer(const PeriodicTimer&) = delete;
    PeriodicTimer& operator=(const PeriodicTimer&) = delete;

    // Calls `tick` every `period_ms` (at least 1) milliseconds from now on, on the timer's
    // thread. A running timer takes the new period and function from its next tick on; so
    // does a timer that its own tick has just stopped.
    void start(int32_t period_ms, std::function<void()> tick);
    // Stops the ticks; from any thread but the timer's own, also waits for a running tick.
    void stop();
    // Runs one tick at `when` (or earlier) as well, when that comes before the next one; the
    // ticks go on at their period. A request for a later moment than one already pending is
    // served by that one. Any thread, the timer's own included; takes no lock.
    void wake_at(std::chrono::steady_clock::time_point when);
    bool running() const;
    int32_t period() const;

private:
    static constexpr int64_t kNoWake = INT64_MAX;

    void run();
    // Rouses the thread to look at its requests again.
    void notify();
    // Sleeps until `deadline` (ns of the steady clock) or a notification after `seen`.
    void sleep_until(int64_t deadline, uint32_t seen);

    mutable std::mutex mutex_;  // start and stop against each other and the thread
    std::thread thread_;
    std::function<void()> tick_;  // under mutex_
    int32_t period_ = 0;          // under mutex_
    bool joining_ = false;        // under mutex_: stop() on another thread waits for the end
    std::atomic<bool> stopping_{false};
    std::atomic<bool> restart_{false};           // a new period and function wait
    std::atomic<int64_t> early_{kNoWake};        // the earliest extra tick asked for (ns)
    std::atomic<uint32_t> requests_{0};          // counts the notifications; the thread sleeps on it
    int64_t margin_ns_ = 200000;                 // the thread's own: how early it wakes before a moment
    int64_t late_ns_ = 0;                        // the thread's own: recent lateness of its wakes
};

}  // namespace platform
