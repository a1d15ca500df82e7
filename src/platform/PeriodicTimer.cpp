#include "platform/PeriodicTimer.h"

#include <algorithm>

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

void PeriodicTimer::run()
{
    using Clock = std::chrono::steady_clock;
    std::unique_lock<std::mutex> lock(mutex_);
    auto next = Clock::now() + std::chrono::milliseconds(period_);
    while (!stopping_) {
        if (changed_.wait_until(lock, next, [this] { return stopping_ || restart_; })) {
            if (stopping_) break;
            restart_ = false;
            next = Clock::now() + std::chrono::milliseconds(period_);
            continue;
        }
        std::function<void()> tick = tick_;
        lock.unlock();
        if (tick) tick();
        lock.lock();
        next += std::chrono::milliseconds(period_);
        const auto now = Clock::now();
        if (next <= now) next = now + std::chrono::milliseconds(period_);
    }
}

}  // namespace platform
