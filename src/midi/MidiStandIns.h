#pragma once
// Stand-ins for what the MIDI layer needs of the application framework and that does not exist
// yet: the periodic timer that the application object holds, and the program's millisecond
// clock. Each keeps the name and the call form of the real service, so that the real one
// replaces it without touching the callers. (The application object's message box, the
// program directory and the other services the score model needs too are its stand-ins, in
// score/Placeholders.h.)

#include "platform/PeriodicTimer.h"

#include <cstdint>
#include <mutex>

// The periodic timer: up to five tasks run on each tick, on the timer's own thread once started.
class CTimer {
public:
    ~CTimer();
    void add_timer_task(void (*task)());
    void remove_timer_task(void (*task)());
    // Takes effect at once when the timer runs.
    void set_timer_resolution(short ms);
    short get_timer_resolution() const { return resolution; }
    // Runs every registered task once (the tick itself).
    void tick();
    // Starts or stops the thread that ticks every resolution milliseconds.
    void start();
    void stop();

private:
    std::mutex lock;
    void (*tasks[6])() = {nullptr};
    short total = 0;
    short resolution = 100;
    platform::PeriodicTimer periodic;
};

// The millisecond clock.
int32_t get_time_pos();
