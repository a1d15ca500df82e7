#pragma once
// Stand-in for what the MIDI layer needs of the application framework and that does not exist
// yet: the program's millisecond clock. It keeps the name and the call form of the real
// service, so that the real one replaces it without touching the callers.

#include <cstdint>

// The millisecond clock.
int32_t get_time_pos();
