#include "platform/HeadlessBackend.h"

namespace platform {

HeadlessBackend::HeadlessBackend(Point screen_size) : screen_size_(screen_size) {}

void HeadlessBackend::attach(WindowManager*) {}

void HeadlessBackend::advance(int64_t ms)
{
    if (ms > 0) clock_ += ms;
}

void HeadlessBackend::wait(int64_t timeout_ms)
{
    std::unique_lock<std::mutex> lock(mutex_);
    if (woken_) {
        woken_ = false;
        return;
    }
    if (timeout_ms >= 0) {
        advance(timeout_ms);
        return;
    }
    woken_cv_.wait(lock, [this] { return woken_; });
    woken_ = false;
}

void HeadlessBackend::wake()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        woken_ = true;
    }
    woken_cv_.notify_one();
}

void HeadlessBackend::present(const Rect& area) { presented_ = presented_.united(area); }

}  // namespace platform
