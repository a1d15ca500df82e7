// Scheduling jitter of the MIDI layer on a real periodic timer: a message every 10 ms of music
// for 10 seconds, the scheduler run every 5 ms by a timer thread; each message's lateness is
// the time it reached the device minus the time its tick fell due on the tick clock.
#include "framework/CApplication.h"
#include "midi/CMidi.h"
#include "score/Placeholders.h"
#include "platform/MidiClock.h"
#include "platform/MidiDevices.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using steady = std::chrono::steady_clock;

// Milliseconds from a start this benchmark knows, so that device times can be compared in µs.
class BenchClock : public platform::MidiClock {
public:
    steady::time_point start = steady::now();
    int32_t now_ms() const override
    {
        return static_cast<int32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(steady::now() - start).count());
    }
    int64_t now_us() const override
    {
        return std::chrono::duration_cast<std::chrono::microseconds>(steady::now() - start).count();
    }
    double exact_us() const { return std::chrono::duration<double, std::micro>(steady::now() - start).count(); }
};

class TimingDevice : public platform::MidiOutDevice {
public:
    explicit TimingDevice(const BenchClock& c) : clock(c) {}
    const char* name() const override { return "Chronom\xE8tre"; }
    short technology() const override { return platform::MIDI_TECH_PORT; }
    int short_msg(uint32_t msg) override
    {
        std::lock_guard<std::mutex> g(lock);
        sent.push_back({clock.exact_us(), static_cast<int>((msg >> 8) & 0x7F) << 7 | static_cast<int>((msg >> 16) & 0x7F)});
        return 0;
    }
    int long_msg(const unsigned char*, int) override { return 0; }
    void reset() override {}

    const BenchClock& clock;
    std::mutex lock;
    std::vector<std::pair<double, int>> sent;  // µs, message number
};

void BM_SchedulingJitter(benchmark::State& state)
{
    const int seconds = 10, every_ms = 10, tempo = 120;
    BenchClock clock;
    platform::set_midi_clock(&clock);
    auto device = std::make_unique<TimingDevice>(clock);
    TimingDevice* dev = device.get();
    platform::MidiDeviceList list;
    list.outputs.push_back(std::move(device));
    platform::set_midi_devices(std::move(list));
    std::string dir = "/tmp/brindlecot-bench-" + std::to_string(getpid());
    std::system(("mkdir -p " + dir + "/MISC && printf '1\\n1 0000 0 0 0 0 0 \"\"\\n' > " + dir + "/MISC/MIDIWIN.PFR").c_str());
    main_dir = dir.data();

    CApplication app("");
    application = &app;
    std::vector<double> late_ms;
    for (auto _ : state) {
        CMidi midi;  // puts the scheduler on the application's timer, idle until `midi` is set
        midi.tempo = tempo;
        int32_t origin_ms = midi.old_time_pos;
        const int count = seconds * 1000 / every_ms;
        for (int i = 0; i < count; i++) {
            int32_t tick = i * every_ms * tempo * 8 / 1000;  // 480 ticks per quarter: tempo x 8 per second
            char m[4] = {static_cast<char>(0x90), static_cast<char>((i >> 7) & 0x7F), static_cast<char>(i & 0x7F), 0};
            midi.send(1, tick, 3, m, 0);
        }
        application->timer.set_timer_resolution(5);
        application->midi = &midi;
        std::this_thread::sleep_for(std::chrono::seconds(seconds) + std::chrono::milliseconds(50));
        application->midi = nullptr;
        application->timer.set_timer_resolution(100);  // returns once no tick runs any more
        std::lock_guard<std::mutex> g(dev->lock);
        for (auto& [us, i] : dev->sent) {
            double tick = i * every_ms * tempo * 8 / 1000;
            double due_us = (origin_ms + tick * 1000.0 / (tempo * 8)) * 1000.0;
            late_ms.push_back((us - due_us) / 1000.0);
        }
    }
    application = nullptr;
    main_dir = nullptr;
    std::sort(late_ms.begin(), late_ms.end());
    if (!late_ms.empty()) {
        state.counters["messages"] = static_cast<double>(late_ms.size());
        state.counters["median_late_ms"] = late_ms[late_ms.size() / 2];
        state.counters["p99_late_ms"] = late_ms[late_ms.size() * 99 / 100];
        state.counters["max_late_ms"] = late_ms.back();
        state.counters["min_late_ms"] = late_ms.front();
    }
    platform::set_midi_clock(nullptr);
    std::system(("rm -rf " + dir).c_str());
}

}  // namespace

BENCHMARK(BM_SchedulingJitter)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
