#pragma once
// A display kept in memory, with a virtual clock: when the GUI thread would wait for a
// timer, the clock jumps to it at once, so that seconds of program time run in an instant
// and always the same way. Only a wait with no timer at all waits for real, for a message
// posted by another thread.

#include "platform/Backend.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace platform {

class HeadlessBackend : public Backend {
public:
    explicit HeadlessBackend(Point screen_size = {1024, 768});

    void attach(WindowManager* manager) override;
    int64_t now_ms() override { return clock_.load(); }
    void wait(int64_t timeout_ms) override;
    void wake() override;
    void sleep(int64_t ms) override { advance(ms); }
    void present(const Rect& area) override;
    void set_cursor(Cursor cursor) override { cursor_ = cursor; }
    bool warp_pointer(Point) override { return false; }
    Point screen_size() override { return screen_size_; }
    void set_title(const std::string& title) override { title_ = title; }
    bool virtual_clock() const override { return true; }
    void bell() override { ++bells_; }

    // Moves the virtual clock on by `ms` milliseconds.
    void advance(int64_t ms);
    Cursor shown_cursor() const { return cursor_; }
    Rect presented() const { return presented_; }  // union of every area presented
    const std::string& title() const { return title_; }
    int bells() const { return bells_; }  // how often the bell was asked for

private:
    Point screen_size_;
    std::atomic<int64_t> clock_{0};
    std::mutex mutex_;
    std::condition_variable woken_cv_;
    bool woken_ = false;
    Cursor cursor_ = Cursor::Arrow;
    Rect presented_;
    std::string title_;
    int bells_ = 0;
};

}  // namespace platform
