#include "platform/PeriodicTimer.h"

#include <algorithm>
#include <climits>
#include <ctime>

#include <linux/futex.h>
#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform {

namespace {

static_assert(sizeof(std::atomic<uint32_t>) == sizeof(uint32_t) && std::atomic<uint32_t>::is_always_lock_free,
              "the request counter is the futex word itself");

// Nanoseconds of the steady clock, which is the system's monotonic clock.
int64_t now_ns()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The margin of a wake is kept between these, whatever the system's wakes have been like.
constexpr int64_t kMinMargin = 100000, kMaxMargin = 1000000;

inline void relax()
{
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

}  // namespace

void PeriodicTimer::start(int32_t period_ms, std::function<void()> tick)
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (thread_.joinable() && stopping_ && thread_.get_id() != std::this_thread::get_id()) {
        lock.unlock();
        thread_.join();  // a timer stopped by its own tick
        lock.lock();
    }
    period_ = std::max<int32_t>(1, period_ms);
    tick_ = std::move(tick);
    restart_ = true;
    if (thread_.joinable()) {
        // Still running, or stopped by the tick that now starts it again: it goes on, unless
        // another thread is waiting for its end.
        if (!joining_) stopping_ = false;
        lock.unlock();
        notify();
        return;
    }
    stopping_ = false;
    thread_ = std::thread(&PeriodicTimer::run, this);
}

void PeriodicTimer::stop()
{
    const bool own = thread_.get_id() == std::this_thread::get_id();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!thread_.joinable()) return;
        stopping_ = true;
        if (!own) joining_ = true;
    }
    notify();
    // Asked by a tick, the thread ends after it and is joined by the next start or stop.
    if (own) return;
    thread_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    joining_ = false;
}

bool PeriodicTimer::running() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return thread_.joinable() && !stopping_;
}

int32_t PeriodicTimer::period() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return period_;
}

void PeriodicTimer::wake_at(std::chrono::steady_clock::time_point when)
{
    const int64_t at = std::chrono::duration_cast<std::chrono::nanoseconds>(when.time_since_epoch()).count();
    int64_t pending = early_.load();
    do {
        if (pending <= at) return;  // an earlier tick is already asked for
    } while (!early_.compare_exchange_weak(pending, at));
    notify();
}

void PeriodicTimer::notify()
{
    requests_.fetch_add(1);
    syscall(SYS_futex, reinterpret_cast<uint32_t*>(&requests_), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr, nullptr, 0);
}

void PeriodicTimer::sleep_until(int64_t deadline, uint32_t seen)
{
    // An absolute time of the monotonic clock; a notification after `seen` ends the sleep.
    const timespec at{static_cast<time_t>(deadline / 1000000000), static_cast<long>(deadline % 1000000000)};
    syscall(SYS_futex, reinterpret_cast<uint32_t*>(&requests_), FUTEX_WAIT_BITSET_PRIVATE, seen, &at, nullptr,
            FUTEX_BITSET_MATCH_ANY);
}

void PeriodicTimer::run()
{
    // Deadlines are kept to the microsecond rather than rounded up by the kernel's slack.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    // Time-critical work: a real-time priority where the system grants it, else the normal one.
    sched_param priority{};
    priority.sched_priority = std::max(1, sched_get_priority_min(SCHED_FIFO) + 9);
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority);

    std::function<void()> tick;
    int64_t period = 0, next = 0;
    while (!stopping_) {
        if (restart_.exchange(false)) {
            std::lock_guard<std::mutex> lock(mutex_);
            tick = tick_;
            period = static_cast<int64_t>(period_) * 1000000;
            next = now_ns() + period;
        }
        const uint32_t seen = requests_.load();
        if (stopping_ || restart_) continue;
        const int64_t early = early_.load();
        const bool precise = early < next;  // a moment asked for, rather than the period's
        const int64_t deadline = precise ? early : next;
        int64_t now = now_ns();
        if (now < deadline) {
            const int64_t wake = precise ? deadline - margin_ns_ : deadline;
            if (now < wake) {
                sleep_until(wake, seen);
                if (requests_.load() != seen) continue;  // asked for something else: look again
                now = now_ns();
                if (now < wake) continue;
                // How late the system woke the thread sets how early it goes to sleep's end:
                // the largest recent lateness, fading, and a little more.
                late_ns_ = std::max(now - wake, late_ns_ - late_ns_ / 32);
                margin_ns_ = std::clamp(late_ns_ + 50000, kMinMargin, kMaxMargin);
                if (now < deadline && precise) continue;  // the last stretch is waited out awake
            } else {
                while (now < deadline && requests_.load() == seen) {
                    relax();
                    now = now_ns();
                }
                if (now < deadline) continue;
            }
        }
        const bool periodic = now >= next;
        int64_t served = early;
        if (early <= now) early_.compare_exchange_strong(served, kNoWake);  // a newer request stays
        if (tick) tick();
        if (!periodic) continue;
        next += period;
        now = now_ns();
        if (next <= now) next = now + period;
    }
}

}  // namespace platform
