#include "framework/LocalTime.h"

#include "platform/Clock.h"

#include <ctime>

namespace {

std::tm local_now()
{
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    return t;
}

}  // namespace

short get_cur_second() { return static_cast<short>(local_now().tm_sec); }

short get_cur_minute() { return static_cast<short>(local_now().tm_min); }

short get_cur_hour() { return static_cast<short>(local_now().tm_hour); }

int32_t get_time_pos() { return static_cast<int32_t>(platform::milliseconds()); }
