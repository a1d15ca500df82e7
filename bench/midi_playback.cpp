// Lateness of the Note Ons of a dense score played by the play and record manager on the real
// timer: four staves of thirty-second notes at tempo 120 (640 Note Ons in 10 s, none of them on
// the scheduler's 5 ms steps), the pump turned every 2 ms as the program's periodic task would.
// Each Note On's lateness is measured at the moment the device takes it, against the moment the
// tick clock reached its tick (to the microsecond). Reports the median, the 99th percentile and
// the largest lateness in ms.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "score/ScoreBuilder.h"
#include "HeadlessApplication.h"
#include "midi/CMidi.h"
#include "midi/PlayRecordManager.h"
#include "platform/MidiDevices.h"
#include "score/MusicClasses.h"
#include "score/MusicSettings.h"

namespace {

constexpr short kStaves = 4, kColumns = 5, kTempo = 120;

// Logs, for every Note On, how far the tick clock is past the note's tick when it goes out.
class LatenessDevice : public platform::MidiOutDevice {
public:
    const char* name() const override { return "Chronom\xE8tre"; }
    short technology() const override { return platform::MIDI_TECH_PORT; }
    int short_msg(uint32_t msg) override {
        if ((msg & 0xF0) == 0x90 && ((msg >> 16) & 0x7F) > 0 && midi) {
            std::lock_guard<std::mutex> g(lock);
            ticks.push_back(midi->exact_tick());
        }
        return 0;
    }
    int long_msg(const unsigned char*, int) override { return 0; }
    void reset() override {}

    CMidi* midi = nullptr;
    std::mutex lock;
    std::vector<double> ticks;  // the clock's tick when each Note On went out
};

void BM_PlaybackLateness(benchmark::State& state) {
    HeadlessApplication app;
    auto device = std::make_unique<LatenessDevice>();
    LatenessDevice* dev = device.get();
    platform::MidiDeviceList list;
    list.outputs.push_back(std::move(device));
    platform::set_midi_devices(std::move(list));
    std::string dir = "/tmp/brindlecot-bench-play-" + std::to_string(getpid());
    std::system(("mkdir -p " + dir + "/MISC && printf '1\\n1 0000 0 0 0 0 0 \"GM-1\"\\n' > " + dir +
                 "/MISC/MIDIWIN.PFR").c_str());
    main_dir = dir.data();
    follow_flags = 0x10;  // the markers travel with the notes, as in the program
    std::vector<double> late_ms;
    dev->ticks.reserve(4096);  // the device's log never allocates while the notes go out
    for (auto _ : state) {
        ScoreBuilder score(kStaves, kColumns);
        score.d->tempo = kTempo;
        for (short p = 1; p <= kStaves; p++) {
            score.clef(1, p, 1);
            for (short c = 1; c <= kColumns; c++)
                for (int i = 0; i < 32; i++) score.note(c, p, (short)(2 + 3 * ((i + p) % 9)), 6);
        }
        auto midi = std::make_unique<CMidi>();
        application->midi = midi.get();
        dev->midi = midi.get();
        CPlayRecordManager* manager = new CPlayRecordManager;
        mpr = manager;
        midi->tempo = kTempo;  // as the front document's tempo is taken by the transport
        manager->id = manager->sub_id = 1;
        manager->compter = 0;
        manager->play_but = 1;
        manager->play(0);
        const int32_t origin = manager->offset_time_unit;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(10500);
        while (manager->get_play_but() && std::chrono::steady_clock::now() < end) {
            manager->play_temps_reel();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        if (manager->get_play_but()) manager->stop_playing();
        dev->midi = nullptr;
        std::vector<double> due;
        for (int k = 0; k < kColumns * 32; k++)
            for (short p = 0; p < kStaves; p++) due.push_back(origin + 60.0 * k);
        std::lock_guard<std::mutex> g(dev->lock);
        for (size_t i = 0; i < dev->ticks.size() && i < due.size(); i++)
            late_ms.push_back((dev->ticks[i] - due[i]) * 1000.0 / (kTempo * 8));
        state.counters["notes"] = static_cast<double>(dev->ticks.size());
        dev->ticks.clear();
        mpr = nullptr;
        delete manager;
        application->midi = nullptr;
    }
    main_dir = nullptr;
    std::sort(late_ms.begin(), late_ms.end());
    if (!late_ms.empty()) {
        state.counters["median_late_ms"] = late_ms[late_ms.size() / 2];
        state.counters["p99_late_ms"] = late_ms[late_ms.size() * 99 / 100];
        state.counters["max_late_ms"] = late_ms.back();
        state.counters["min_late_ms"] = late_ms.front();
    }
    std::system(("rm -rf " + dir).c_str());
}

}  // namespace

BENCHMARK(BM_PlaybackLateness)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
