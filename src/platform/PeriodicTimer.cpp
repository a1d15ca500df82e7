#include "platform/PeriodicTimer.h"

#include <algorithm>

#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>

namespace platform {

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
    if (thread_.joinable()) {
        // Still running, or stopped by the tick that now starts it again: it goes on, unless
        // another thread is waiting for its end.
        if (!joining_) stopping_ = false;
        restart_ = true;
        changed_.notify_all();
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
        changed_.notify_all();
    }
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
    std::lock_guard<std::mutex> lock(mutex_);
    if (early_set_ && early_ <= when) return;
    early_set_ = true;
    early_ = when;
    woken_ = true;
    changed_.notify_all();
}

void PeriodicTimer::run()
{
    using Clock = std::chrono::steady_clock;
    // Deadlines are kept to the microsecond rather than rounded up by the kernel's slack.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    // Time-critical work: a real-time priority where the system grants it, else the normal one.
    sched_param priority{};
    priority.sched_priority = std::max(1, sched_get_priority_min(SCHED_FIFO) + 9);
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &priority);
    std::unique_lock<std::mutex> lock(mutex_);
    auto next = Clock::now() + std::chrono::milliseconds(period_);
    while (!stopping_) {
        const auto deadline = early_set_ && early_ < next ? early_ : next;
        woken_ = false;
        if (changed_.wait_until(lock, deadline, [this] { return stopping_ || restart_ || woken_; })) {
            if (stopping_) break;
            if (restart_) {
                restart_ = false;
                next = Clock::now() + std::chrono::milliseconds(period_);
            }
            continue;
        }
        auto now = Clock::now();
        const bool periodic = now >= next;
        if (early_set_ && early_ <= now) early_set_ = false;
        std::function<void()> tick = tick_;
        lock.unlock();
        if (tick) tick();
        lock.lock();
        if (!periodic) continue;
        next += std::chrono::milliseconds(period_);
        now = Clock::now();
        if (next <= now) next = now + std::chrono::milliseconds(period_);
    }
}

}  // namespace platform
