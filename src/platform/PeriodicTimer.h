#pragma once
// A periodic timer on a thread of its own, for work that must keep time while the GUI thread
// is busy (the MIDI scheduler). Ticks follow the system's monotonic clock at fixed deadlines;
// a tick that comes too late is not made up for. stop() returns once no tick runs any more.

#include <chrono>
#include <condition_variable>
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
    // Runs one tick at `when` as well, when that comes before the next one; the ticks go on
    // at their period. Any thread, the timer's own included.
    void wake_at(std::chrono::steady_clock::time_point when);
    bool running() const;
    int32_t period() const;

private:
    void run();

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::thread thread_;
    std::function<void()> tick_;
    int32_t period_ = 0;
    bool stopping_ = false;
    bool restart_ = false;
    bool joining_ = false;  // stop() on another thread waits for the thread's end
    bool woken_ = false;    // an earlier tick was asked for
    bool early_set_ = false;
    std::chrono::steady_clock::time_point early_{};  // the earliest tick asked for
};

}  // namespace platform
