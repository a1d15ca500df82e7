#include "framework/CTimer.h"

#include <mutex>

namespace {
thread_local bool in_tick = false;  // this thread is running a tick's tasks
}  // namespace

CTimer::CTimer()
{
    uid = 28;
    for (auto& slot : timer_task) slot.store(nullptr);
    start();
}

CTimer::~CTimer()
{
    timer_id.store(0);
    ticker_.stop();
}

void CTimer::start()
{
    const uint32_t id = ++last_id_;
    timer_id.store(id);
    ticker_.start(timer_resolution, [id, this] { timer_proc(id, this); });
}

void CTimer::set_timer_resolution(short ms)
{
    timer_id.store(0);
    ticker_.stop();
    timer_resolution = ms > 0 ? ms : 1;
    if (!outside_.load()) start();
}

void CTimer::add_timer_task(TimerTask task)
{
    const short total = total_timer.load();
    if (total >= kMaxTasks) return;
    timer_task[total + 1].store(task);
    total_timer.store((short)(total + 1));
}

void CTimer::remove_timer_task(TimerTask task)
{
    const short total = total_timer.load();
    for (short i = 1; i <= total; i++) {
        if (timer_task[i].load() != task) continue;
        for (short j = i; j < total; j++) timer_task[j].store(timer_task[j + 1].load());
        timer_task[total].store(nullptr);
        total_timer.store((short)(total - 1));
        // A tick that read the old list may still be running the task: wait for its end.
        if (!in_tick) {
            tick_.lock();
            tick_.unlock();
        }
        return;
    }
}

void CTimer::wake_in_us(int64_t us)
{
    if (outside_.load()) return;
    ticker_.wake_at(std::chrono::steady_clock::now() + std::chrono::microseconds(us > 0 ? us : 0));
}

void CTimer::drive_from_outside()
{
    outside_.store(true);
    timer_id.store(0);
    ticker_.stop();
}

void CTimer::tick_from_outside()
{
    if (!outside_.load()) return;
    std::lock_guard<platform::PiMutex> running(tick_);
    in_tick = true;
    for (short i = 1; i <= total_timer.load() && i <= kMaxTasks; i++)
        if (TimerTask task = timer_task[i].load()) task();
    in_tick = false;
}

void CTimer::resume_own_ticks()
{
    if (!outside_.exchange(false)) return;
    start();
}

void CTimer::timer_proc(uint32_t id, CTimer* timer)
{
    if (id != timer->timer_id.load()) return;
    std::lock_guard<platform::PiMutex> running(timer->tick_);
    in_tick = true;
    for (short i = 1; i <= timer->total_timer.load() && i <= kMaxTasks; i++)
        if (TimerTask task = timer->timer_task[i].load()) task();
    in_tick = false;
}
