// The periodic timer: at most five tasks, removal rules, stale ticks and a new period.
#include "framework/CTimer.h"

#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

std::atomic<int> g_runs[4];
void task1() { g_runs[1]++; }
void task2() { g_runs[2]++; }
void task3() { g_runs[3]++; }

// A task that stays inside until released.
std::atomic<bool> g_inside{false}, g_release{false};
void slow_task()
{
    g_inside = true;
    while (!g_release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    g_inside = false;
}

// A task that takes itself off the timer it runs on.
CTimer* g_timer = nullptr;
void self_removing_task()
{
    g_timer->remove_timer_task(self_removing_task);
    g_runs[1]++;
}

class Timer : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (auto& r : g_runs) r = 0;
    }
    // One tick as the current timer sends it.
    void tick() { CTimer::timer_proc(timer.timer_id.load(), &timer); }

    CTimer timer;
};

TEST_F(Timer, StartsAt100MsWithNoTask)
{
    EXPECT_EQ(timer.uid, 28);
    EXPECT_EQ(timer.get_timer_resolution(), 100);
    EXPECT_EQ(timer.total_timer.load(), 0);
    EXPECT_NE(timer.timer_id.load(), 0u);
}

TEST_F(Timer, ASixthTaskIsIgnored)
{
    for (int i = 0; i < 6; i++) timer.add_timer_task(i < 5 ? task1 : task2);
    EXPECT_EQ(timer.total_timer.load(), 5);
    timer.set_timer_resolution(10000);  // no real tick during the test
    tick();
    EXPECT_EQ(g_runs[1], 5);
    EXPECT_EQ(g_runs[2], 0);
}

TEST_F(Timer, RemovalKeepsTheOrderAndTakesTheFirstEntryOnly)
{
    timer.set_timer_resolution(10000);
    timer.add_timer_task(task1);
    timer.add_timer_task(task2);
    timer.add_timer_task(task3);
    timer.remove_timer_task(task2);
    EXPECT_EQ(timer.total_timer.load(), 2);
    EXPECT_EQ(timer.timer_task[1].load(), task1);
    EXPECT_EQ(timer.timer_task[2].load(), task3);
    timer.add_timer_task(task1);
    timer.remove_timer_task(task1);
    EXPECT_EQ(timer.total_timer.load(), 2);
    EXPECT_EQ(timer.timer_task[1].load(), task3);
    EXPECT_EQ(timer.timer_task[2].load(), task1);
    timer.remove_timer_task(task2);  // not registered
    EXPECT_EQ(timer.total_timer.load(), 2);
}

// Once a removal returns the task runs no more, so its owner may free its data: a removal
// waits for a tick that is running the task, except on the timer's own thread.
TEST_F(Timer, ARemovalReturnsOnlyOnceNoTickRunsTheTask)
{
    timer.set_timer_resolution(10000);
    timer.add_timer_task(slow_task);
    g_release = false;
    std::thread ticking([&] { tick(); });
    while (!g_inside) std::this_thread::yield();
    std::atomic<bool> removed{false};
    std::thread removing([&] {
        timer.remove_timer_task(slow_task);
        removed = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(removed) << "the removal returned while the task was running";
    g_release = true;
    removing.join();
    ticking.join();
    EXPECT_TRUE(removed);
    EXPECT_EQ(timer.total_timer.load(), 0);

    g_timer = &timer;
    timer.add_timer_task(self_removing_task);
    tick();
    EXPECT_EQ(g_runs[1], 1);
    EXPECT_EQ(timer.total_timer.load(), 0);
}

TEST_F(Timer, ALateTickOfAReplacedTimerRunsNoTask)
{
    timer.set_timer_resolution(10000);
    const uint32_t old_id = timer.timer_id.load();
    timer.add_timer_task(task1);
    timer.set_timer_resolution(10000);
    EXPECT_NE(timer.timer_id.load(), old_id);
    CTimer::timer_proc(old_id, &timer);
    EXPECT_EQ(g_runs[1], 0);
    tick();
    EXPECT_EQ(g_runs[1], 1);
}

TEST_F(Timer, AShortPeriodRunsTheTasksOften)
{
    timer.add_timer_task(task1);
    timer.set_timer_resolution(5);
    EXPECT_EQ(timer.get_timer_resolution(), 5);
    // Twenty ticks at 5 ms take about 100 ms; at the old 100 ms period they would take two
    // seconds. A loaded machine delays ticks, so only the order of magnitude is checked.
    const auto start = std::chrono::steady_clock::now();
    wait_until([] { return g_runs[1] >= 20; }, std::chrono::milliseconds(1));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    timer.remove_timer_task(task1);
    EXPECT_GE(g_runs[1], 20);
    EXPECT_LT(elapsed, std::chrono::milliseconds(1800));
}

}  // namespace
