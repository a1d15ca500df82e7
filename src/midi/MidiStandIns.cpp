#include "midi/MidiStandIns.h"

#include "platform/MidiClock.h"

CTimer::~CTimer()
{
    stop();
}

void CTimer::add_timer_task(void (*task)())
{
    std::lock_guard<std::mutex> g(lock);
    if (total < 5)
        tasks[++total] = task;
}

void CTimer::remove_timer_task(void (*task)())
{
    std::lock_guard<std::mutex> g(lock);
    for (short i = 1; i <= total; i++) {
        if (tasks[i] == task) {
            for (short j = i; j < total; j++)
                tasks[j] = tasks[j + 1];
            tasks[total--] = nullptr;
            return;
        }
    }
}

void CTimer::tick()
{
    std::lock_guard<std::mutex> g(lock);
    for (short i = 1; i <= total; i++)
        tasks[i]();
}

void CTimer::set_timer_resolution(short ms)
{
    resolution = ms;
    if (periodic.running())
        start();
}

void CTimer::start()
{
    periodic.start(resolution, [this] { tick(); });
}

void CTimer::stop()
{
    periodic.stop();
}

int32_t get_time_pos()
{
    return platform::midi_clock()->now_ms();
}
