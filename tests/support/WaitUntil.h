#pragma once
// Waiting in a test for the program, a server or a thread: the condition is looked at every few
// milliseconds until it holds or a deadline passes. The deadline is long enough for a sanitizer
// build on two busy cores, so that a test fails on a real hang only, never because the machine
// is slow; a fast machine does not wait any longer for it.

#include <chrono>
#include <thread>

// How long a test waits for something that takes a second on a quiet machine.
inline constexpr std::chrono::seconds kGenerousWait{60};
inline constexpr int kGenerousWaitMs = static_cast<int>(std::chrono::milliseconds(kGenerousWait).count());

// True as soon as `done()` is; false when it still is not after `deadline`. `done` is looked at
// once more at the deadline, so a slow last step is not lost.
template <class Done>
bool wait_until(Done&& done, std::chrono::milliseconds step = std::chrono::milliseconds(20),
                std::chrono::steady_clock::duration deadline = kGenerousWait)
{
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return done();
        std::this_thread::sleep_for(step);
    }
    return true;
}
