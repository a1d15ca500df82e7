#pragma once
// CTimer: a periodic timer running up to five task functions on a thread of its own,
// independently of the message loop (the MIDI scheduler and the play-along task run on it).
//
// Tasks are added and removed on the GUI thread while ticks may be running: the task list is a
// fixed array of atomic slots, never reallocated, so a tick sees either the old or the new
// entry. Once `remove_timer_task` returns, the task runs no more (a tick that had picked it up
// has ended), so its owner may free what it uses. Keeping the tasks' own data consistent while
// they run is their owners' business.

#include "framework/CObject.h"
#include "platform/PeriodicTimer.h"
#include "platform/PiMutex.h"

#include <atomic>
#include <cstdint>

using TimerTask = void (*)();

class CTimer : public CObject {
public:
    static constexpr short kMaxTasks = 5;

    // 100 ms, no task, running from now on.
    CTimer();
    ~CTimer() override;
    CTimer(const CTimer&) = delete;
    CTimer& operator=(const CTimer&) = delete;

    short get_timer_resolution() const { return timer_resolution; }
    // Replaces the running timer by one of period `ms` (restarted even for the same period);
    // a late tick of the replaced timer runs no task.
    void set_timer_resolution(short ms);
    // A sixth task is ignored; the same task may stand twice and then runs twice per tick.
    void add_timer_task(TimerTask task);
    // Removes the first entry holding the task; an absent task changes nothing. Called off the
    // timer's thread, it returns once no tick is running the task.
    void remove_timer_task(TimerTask task);
    // One more tick, `us` microseconds from now, when that comes before the next one (a task
    // that knows when it is next due asks for it).
    void wake_in_us(int64_t us);

    // An offline drive (an audio export rendered faster than real time) takes the ticks over:
    // the timer's thread stops (a running tick ends first) and the drive calls
    // `tick_from_outside` on its own thread for each period of the time it renders; the
    // resolution can still be set meanwhile. `resume_own_ticks` starts the thread again.
    void drive_from_outside();
    void tick_from_outside();
    void resume_own_ticks();
    bool driven_from_outside() const { return outside_.load(); }

    // One tick of the timer `id`: runs the tasks when `id` is the current timer.
    static void timer_proc(uint32_t id, CTimer* timer);

    short timer_resolution = 100;
    std::atomic<TimerTask> timer_task[kMaxTasks + 1];  // 1..total_timer; 0 unused
    std::atomic<short> total_timer{0};
    std::atomic<uint32_t> timer_id{0};

private:
    void start();

    platform::PiMutex tick_;  // held by a tick while it runs the tasks; outlives the ticker
    platform::PeriodicTimer ticker_;
    uint32_t last_id_ = 0;
    std::atomic<bool> outside_{false};
};
