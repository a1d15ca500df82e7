// Cost of queuing: messages sent in rising time order (the usual case, an append after the
// slot filled last) and in scattered order, each batch then taken out again in time order.
#include "framework/CApplication.h"
#include "midi/CMidi.h"
#include "score/Placeholders.h"
#include "platform/MidiClock.h"
#include "platform/MidiDevices.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// A MIDI layer without devices, in a program directory of its own.
struct Layer {
    Layer()
    {
        platform::set_midi_clock(&clock);
        platform::set_midi_devices(platform::MidiDeviceList());
        dir = "/tmp/brindlecot-bench-queue-" + std::to_string(getpid());
        std::system(("mkdir -p " + dir + "/MISC").c_str());
        main_dir = dir.data();
        application = &app;
        midi = new CMidi();
    }
    ~Layer()
    {
        delete midi;
        application = nullptr;
        main_dir = nullptr;
        platform::set_midi_clock(nullptr);
        std::system(("rm -rf " + dir).c_str());
    }
    platform::MidiVirtualClock clock;
    std::string dir;
    CApplication app{""};
    CMidi* midi;
};

void run_batch(benchmark::State& state, const std::vector<int32_t>& times)
{
    Layer layer;
    char m[4] = {static_cast<char>(0x90), 60, 100, 0};
    char out[4];
    for (auto _ : state) {
        for (int32_t t : times)
            layer.midi->send(2, t, 3, m, 0);
        int32_t when;
        short tot;
        do {
            when = 1 << 30;
            layer.midi->receive(2, &when, &tot, out);
        } while (tot);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(times.size()));
}

void BM_QueueRisingTimes(benchmark::State& state)
{
    std::vector<int32_t> times;
    for (int i = 0; i < 1500; i++)
        times.push_back(i * 10);
    run_batch(state, times);
}

void BM_QueueScatteredTimes(benchmark::State& state)
{
    std::mt19937 rng(7);
    std::vector<int32_t> times;
    for (int i = 0; i < 1500; i++)
        times.push_back(static_cast<int32_t>(rng() % 15000));
    run_batch(state, times);
}

}  // namespace

BENCHMARK(BM_QueueRisingTimes);
BENCHMARK(BM_QueueScatteredTimes);
