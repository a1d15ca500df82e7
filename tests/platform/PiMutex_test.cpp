#include "platform/PiMutex.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>

using namespace platform;

// It excludes as a mutex does, with the standard lock types, between threads.
TEST(PiMutex, ExcludesOtherThreadsUntilUnlocked)
{
    PiMutex m;
    int counter = 0;
    {
        std::unique_lock<PiMutex> held(m);
        bool taken = true;
        std::thread other([&] { taken = m.try_lock(); });
        other.join();
        EXPECT_FALSE(taken) << "held by this thread";
    }
    std::thread a([&] {
        for (int i = 0; i < 10000; i++) {
            std::lock_guard<PiMutex> g(m);
            ++counter;
        }
    });
    for (int i = 0; i < 10000; i++) {
        std::lock_guard<PiMutex> g(m);
        ++counter;
    }
    a.join();
    EXPECT_EQ(counter, 20000);
    EXPECT_TRUE(m.try_lock());
    m.unlock();
}
