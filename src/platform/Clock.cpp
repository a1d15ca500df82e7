#include "platform/Clock.h"

#include "platform/WindowManager.h"

#include <chrono>
#include <thread>

namespace platform {

int64_t real_milliseconds()
{
    const auto since_boot = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(since_boot).count();
}

int64_t milliseconds()
{
    if (WindowManager* manager = WindowManager::current()) return manager->now();
    return real_milliseconds();
}

void sleep_ms(int64_t ms)
{
    if (ms <= 0) return;
    if (WindowManager* manager = WindowManager::current()) manager->sleep(ms);
    else std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

}  // namespace platform
