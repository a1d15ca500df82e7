#pragma once
// The program's millisecond clock: the window manager's (virtual in the headless display)
// while one exists, else the system's monotonic clock.

#include <cstdint>

namespace platform {

int64_t milliseconds();

// The system's monotonic clock, in milliseconds, whatever the display.
int64_t real_milliseconds();

// Waits `ms` milliseconds of the program's clock. Call it on the GUI thread; other threads
// use std::this_thread::sleep_for.
void sleep_ms(int64_t ms);

}  // namespace platform
