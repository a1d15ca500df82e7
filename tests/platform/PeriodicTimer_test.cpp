#include "platform/Clock.h"
#include "platform/PeriodicTimer.h"

#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace platform;

TEST(PeriodicTimer, TicksAtItsPeriodUntilStopped)
{
    std::atomic<int> ticks{0};
    PeriodicTimer timer;
    const int64_t start = real_milliseconds();
    timer.start(5, [&] { ++ticks; });
    // Waits for the ticks rather than for a fixed time, which a loaded machine may not honour.
    wait_until([&] { return ticks.load() >= 10; }, std::chrono::milliseconds(2));
    timer.stop();
    const int64_t elapsed = real_milliseconds() - start;
    const int counted = ticks.load();
    // A loaded machine may lose ticks, never gain them.
    EXPECT_LE(counted, elapsed / 5 + 1);
    EXPECT_GE(counted, 10);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(ticks.load(), counted);  // no tick after stop
    EXPECT_FALSE(timer.running());
}

TEST(PeriodicTimer, TakesANewPeriodAndFunctionWhileRunning)
{
    std::atomic<int> slow{0}, fast{0};
    PeriodicTimer timer;
    timer.start(100, [&] { ++slow; });
    timer.start(2, [&] { ++fast; });
    EXPECT_EQ(timer.period(), 2);
    // Waits for the ticks rather than for a fixed time, which a loaded machine may not honour.
    wait_until([&] { return fast.load() >= 5; }, std::chrono::milliseconds(2));
    timer.stop();
    EXPECT_EQ(slow.load(), 0) << "the first period of 100 ms never came";
    EXPECT_GE(fast.load(), 5);
}

TEST(PeriodicTimer, ATickMayStopItsOwnTimer)
{
    std::atomic<int> ticks{0};
    PeriodicTimer timer;
    timer.start(1, [&] {
        if (++ticks == 3) timer.stop();
    });
    wait_until([&] { return !timer.running(); }, std::chrono::milliseconds(2));
    EXPECT_FALSE(timer.running());
    EXPECT_EQ(ticks.load(), 3);
}

TEST(PeriodicTimer, ATickMayStopAndRestartItsOwnTimer)
{
    std::atomic<int> first{0}, second{0};
    PeriodicTimer timer;
    timer.start(1, [&] {
        if (++first != 3) return;
        timer.stop();
        timer.start(1, [&] { ++second; });
    });
    wait_until([&] { return second.load() >= 5; }, std::chrono::milliseconds(2));
    EXPECT_TRUE(timer.running());
    timer.stop();
    EXPECT_EQ(first.load(), 3);
    EXPECT_GE(second.load(), 5);
    EXPECT_FALSE(timer.running());
}

// Moments asked for from other threads are served long before the period, and never early: the
// thread sleeps until shortly before each and waits out the rest awake. A request for a later
// moment than one pending is served by that one.
TEST(PeriodicTimer, MomentsAskedForTickOnTimeAndNeverEarly)
{
    using Clock = std::chrono::steady_clock;
    std::atomic<int> ticks{0};
    std::atomic<int64_t> last_tick{0};
    PeriodicTimer timer;
    timer.start(60000, [&] {
        last_tick = Clock::now().time_since_epoch().count();
        ++ticks;
    });
    for (int round = 1; round <= 5; ++round) {
        const Clock::time_point asked = Clock::now() + std::chrono::milliseconds(3 * round);
        std::thread other([&] {
            timer.wake_at(asked);
            timer.wake_at(asked + std::chrono::seconds(30));
        });
        other.join();
        wait_until([&] { return ticks.load() >= round; }, std::chrono::milliseconds(2));
        ASSERT_EQ(ticks.load(), round) << "one tick for the two requests of round " << round;
        EXPECT_GE(last_tick.load(), asked.time_since_epoch().count()) << "round " << round;
    }
    timer.stop();
    EXPECT_FALSE(timer.running());
}
