// How closely the periodic timer thread keeps a 5 ms period (the period used while music
// plays): the mean and the largest gap between two ticks beyond the period.
#include "platform/PeriodicTimer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

using namespace platform;

namespace {

void BM_FiveMillisecondTicks(benchmark::State& state)
{
    constexpr int kTicks = 200;
    constexpr int kPeriod = 5;
    for (auto _ : state) {
        std::mutex mutex;
        std::condition_variable done;
        int count = 0;
        double total_late_us = 0, worst_late_us = 0;
        auto last = std::chrono::steady_clock::now();
        PeriodicTimer timer;
        timer.start(kPeriod, [&] {
            const auto now = std::chrono::steady_clock::now();
            std::lock_guard<std::mutex> lock(mutex);
            ++count;
            const double late = std::chrono::duration<double, std::micro>(now - last).count() - kPeriod * 1000.0;
            last = now;
            total_late_us += std::max(0.0, late);
            worst_late_us = std::max(worst_late_us, late);
            if (count == kTicks) done.notify_one();
        });
        std::unique_lock<std::mutex> lock(mutex);
        done.wait(lock, [&] { return count >= kTicks; });
        lock.unlock();
        timer.stop();
        state.counters["mean_late_us"] = total_late_us / kTicks;
        state.counters["worst_late_us"] = worst_late_us;
    }
}
BENCHMARK(BM_FiveMillisecondTicks)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
