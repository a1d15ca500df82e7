// The play-along's speed. From a touch to its melody note: touches written by this thread as the
// touch input writes them, the player run by a 5 ms timer thread, the note-on leaving the MIDI
// layer to a device that notes when it arrives; the median, p99 and max delay with the load
// average. And the cost of one player period on a 600-measure composition of 16 tracks.
#include "app/TouchLocator.h"
#include "app/TouchPlayer.h"
#include "framework/CApplication.h"
#include "framework/ProgramFiles.h"
#include "midi/CMidi.h"
#include "platform/MidiClock.h"
#include "platform/MidiDevices.h"
#include "platform/PeriodicTimer.h"
#include "score/Piste.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using steady = std::chrono::steady_clock;

double load_average()
{
    double one = 0;
    if (std::FILE* f = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(f, "%lf", &one) != 1) one = 0;
        std::fclose(f);
    }
    return one;
}

struct PisteDeleter {
    void operator()(Piste* p) const { detruire_piste(p); }
};
using TrackPtr = std::unique_ptr<Piste, PisteDeleter>;

// Columns of 4/4 and, per track, `per_measure` notes a measure (channel = track), with their
// first events.
void make_score(PlayerScore* score, std::vector<TrackPtr>* tracks, short columns, short count, short per_measure)
{
    score->columns.assign((size_t)columns + 1, PlayerColumn{});
    score->tracks.assign((size_t)count + 1, PlayerTrack{});
    for (short c = 1; c <= columns; c++) {
        score->columns[(size_t)c].start_time = (c - 1) * 1920;
        score->columns[(size_t)c].length = 1920;
        score->columns[(size_t)c].first_event.assign((size_t)count + 1, 0);
    }
    for (short i = 1; i <= count; i++) {
        TrackPtr t(creer_piste(PISTE_MAX_EVENTS));
        short k = 0;
        const int32_t step = 1920 / per_measure;
        for (short c = 1; c <= columns && k + 2 * per_measure <= PISTE_MAX_EVENTS; c++) {
            score->columns[(size_t)c].first_event[(size_t)i] = (short)(k + 1);
            for (short n = 0; n < per_measure; n++) {
                const int32_t at = (c - 1) * 1920 + n * step;
                const unsigned char pitch = (unsigned char)(36 + (c * 7 + n * 5 + i) % 60);
                t->event[++k] = {at, {(unsigned char)(0x90 + (i - 1) % 16), pitch, 80, 0xFF}};
                t->event[++k] = {at + step - 10, {(unsigned char)(0x80 + (i - 1) % 16), pitch, 0, 0xFF}};
            }
        }
        t->tot = k;
        score->tracks[(size_t)i] = PlayerTrack{t.get(), (short)((i - 1) % 16 + 1), 1, i == 1, false};
        tracks->push_back(std::move(t));
    }
}

// ---- From a touch to its note ----

class BenchClock : public platform::MidiClock {
public:
    steady::time_point start = steady::now();
    int32_t now_ms() const override
    {
        return (int32_t)std::chrono::duration_cast<std::chrono::milliseconds>(steady::now() - start).count();
    }
    int64_t now_us() const override
    {
        return std::chrono::duration_cast<std::chrono::microseconds>(steady::now() - start).count();
    }
};

// The device at the end of the MIDI layer: when each soloist note-on arrived.
class ArrivalDevice : public platform::MidiOutDevice {
public:
    const char* name() const override { return "Arriv\xE9" "es"; }
    short technology() const override { return platform::MIDI_TECH_PORT; }
    int short_msg(uint32_t msg) override
    {
        if ((msg & 0xFF) == 0x90 && ((msg >> 16) & 0x7F) > 0) {
            last_pitch = (int)((msg >> 8) & 0x7F);
            arrivals.fetch_add(1, std::memory_order_release);
        }
        return 0;
    }
    int long_msg(const unsigned char*, int) override { return 0; }
    void reset() override {}
    std::atomic<int> last_pitch{0};
    std::atomic<int> arrivals{0};
};

// The player's output straight to the MIDI layer, as the program's.
class LayerIo : public PlayerIo {
public:
    explicit LayerIo(CMidi& m) : midi(m) {}
    int32_t clock() override { return midi.time_unit.load(); }
    void set_clock(int32_t tick) override { midi.time_unit = tick; }
    int32_t now_ms() override { return (int32_t)(steady::now().time_since_epoch().count() / 1000000); }
    void midi_out(short port, const unsigned char* bytes, short tot) override { midi.midi_out(tot, (char*)bytes, port); }
    void send(int32_t when, const unsigned char* bytes, short tot) override { midi.send(1, when, tot, (char*)bytes, 0); }
    void highlight(bool, short, short) override {}
    void controls() override {}
    bool playback_running() override { return false; }
    void assistant_play() override {}
    CMidi& midi;
};

void BM_TouchToNoteOn(benchmark::State& state)
{
    BenchClock clock;
    platform::set_midi_clock(&clock);
    auto device = std::make_unique<ArrivalDevice>();
    ArrivalDevice* dev = device.get();
    platform::MidiDeviceList list;
    list.outputs.push_back(std::move(device));
    platform::set_midi_devices(std::move(list));
    std::string dir = "/tmp/brindlecot-bench-touch-" + std::to_string(getpid());
    if (std::system(("mkdir -p " + dir + "/MISC && printf '1\\n1 0000 0 0 0 0 0 \"\"\\n' > " + dir + "/MISC/MIDIWIN.PFR").c_str()) != 0)
        return;
    main_dir = dir.data();
    CApplication app("");
    application = &app;

    PlayerScore score;
    std::vector<TrackPtr> tracks;
    make_score(&score, &tracks, 16, 4, 1);
    std::vector<double> delays_ms;
    for (auto _ : state) {
        CMidi midi;
        midi.tempo = 120;
        application->timer.set_timer_resolution(5);
        application->midi = &midi;
        TouchShared shared;
        shared.jeu_bcot_actif = 1;
        shared.accomp_actif = 1;
        LayerIo io(midi);
        TouchPlayer player(shared, io);
        player.set_score(&score);
        platform::PeriodicTimer timer;
        timer.start(5, [&] { player.work(); });
        std::mt19937 random(7);
        for (int touch = 0; touch < 400; touch++) {
            const short c = (short)(touch % 2 + 1);
            const int expected = 36 + (c * 7 + 1) % 60;
            TouchPlace p;
            p.found = true;
            p.psol = 1;
            p.msol = c;
            p.trsol = 100;
            p.tsol = (c - 1) * 1920 + 100;
            p.cur_mode = kModeDefault;
            const int before = dev->arrivals.load(std::memory_order_acquire);
            const auto t0 = steady::now();
            publish_touch(shared, p);
            while (!(dev->arrivals.load(std::memory_order_acquire) > before && dev->last_pitch == expected) &&
                   steady::now() - t0 < std::chrono::milliseconds(100))
                std::this_thread::yield();
            delays_ms.push_back(std::chrono::duration<double, std::milli>(steady::now() - t0).count());
            std::this_thread::sleep_for(std::chrono::microseconds(2000 + random() % 7000));
        }
        timer.stop();
        application->midi = nullptr;
        application->timer.set_timer_resolution(100);
    }
    application = nullptr;
    main_dir = nullptr;
    std::sort(delays_ms.begin(), delays_ms.end());
    if (!delays_ms.empty()) {
        state.counters["touches"] = (double)delays_ms.size();
        state.counters["median_ms"] = delays_ms[delays_ms.size() / 2];
        state.counters["p99_ms"] = delays_ms[delays_ms.size() * 99 / 100];
        state.counters["max_ms"] = delays_ms.back();
        state.counters["load_average"] = load_average();
    }
    platform::set_midi_clock(nullptr);
    if (std::system(("rm -rf " + dir).c_str()) != 0) return;
}

// ---- One period ----

class CountingIo : public PlayerIo {
public:
    int32_t clock() override { return tick; }
    void set_clock(int32_t t) override { tick = t; }
    int32_t now_ms() override { return ms; }
    void midi_out(short, const unsigned char*, short) override { sent++; }
    void send(int32_t, const unsigned char*, short) override { sent++; }
    void highlight(bool, short, short) override {}
    void controls() override {}
    bool playback_running() override { return false; }
    void assistant_play() override {}
    int32_t tick = 0, ms = 0;
    long sent = 0;
};

void BM_WorkPeriod(benchmark::State& state)
{
    PlayerScore score;
    std::vector<TrackPtr> tracks;
    make_score(&score, &tracks, 600, 16, 6);
    TouchShared shared;
    shared.jeu_bcot_actif = 1;
    shared.accomp_actif = 1;
    shared.bouclage = 4;
    CountingIo io;
    TouchPlayer player(shared, io);
    player.set_score(&score);
    // A touch in the middle of the piece; the finger slides on through the loop.
    TouchPlace p;
    p.found = true;
    p.psol = 1;
    p.msol = 300;
    p.cur_mode = kModeDefault;
    p.queue = true;
    p.next_macc = 300;
    p.next_start_acc = 299 * 1920;
    p.next_stop_acc = 300 * 1920;
    publish_touch(shared, p);
    int32_t finger = 0;
    for (auto _ : state) {
        player.work();
        io.tick += 5;  // 5 ms at a quarter note of 0.5 s
        io.ms += 5;
        finger = (finger + 7) % 1920;
        shared.trsol = finger;
        shared.tsol = 299 * 1920 + finger;
    }
    state.counters["messages"] = (double)io.sent;
}

}  // namespace

BENCHMARK(BM_TouchToNoteOn)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WorkPeriod)->Unit(benchmark::kMicrosecond);
