// The periodic timer's task list, which the MIDI layer relies on until the framework provides
// the timer.
#include "midi/MidiStandIns.h"

#include <gtest/gtest.h>

namespace {

int ticks[4];
void task1() { ticks[1]++; }
void task2() { ticks[2]++; }
void task3() { ticks[3]++; }

}  // namespace

TEST(StandIns, TimerRunsAtMostFiveTasksInOrder)
{
    CTimer timer;
    for (auto* t : {task1, task2, task3, task1, task2, task3})
        timer.add_timer_task(t);
    ticks[1] = ticks[2] = ticks[3] = 0;
    timer.tick();
    EXPECT_EQ(ticks[1], 2);
    EXPECT_EQ(ticks[2], 2);
    EXPECT_EQ(ticks[3], 1) << "a sixth task is ignored";
    timer.remove_timer_task(task1);
    ticks[1] = ticks[2] = ticks[3] = 0;
    timer.tick();
    EXPECT_EQ(ticks[1], 1) << "only its first entry goes";
    EXPECT_EQ(ticks[2], 2);
}
