#pragma once
// The time of day and the program's millisecond clock.

#include <cstdint>

short get_cur_second();
short get_cur_minute();
short get_cur_hour();
// Milliseconds of the program's clock (virtual when the display is headless).
int32_t get_time_pos();
