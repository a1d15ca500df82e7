// The player on the real 5 ms timer while this thread touches, slides and releases, as the
// touch input does: every shared field goes through atomics, and the notes heard follow the
// touches. Run under the thread sanitizer by the test script.
#include "app/TouchLocator.h"
#include "app/TouchPlayer.h"

#include "platform/PeriodicTimer.h"
#include "score/Piste.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int32_t kBar = 1920;
constexpr short kColumns = 4;

// A clock of 960 ticks a second (a quarter note at 120), kept by the timer thread alone; the MIDI
// log is read by the test after the timer stopped.
class TimerIo : public PlayerIo {
public:
    int32_t clock() override { return base_ + (int32_t)(elapsed_ms() * 960 / 1000); }
    void set_clock(int32_t t) override
    {
        base_ = t;
        from_ = Clock::now();
    }
    int32_t now_ms() override { return (int32_t)std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now().time_since_epoch()).count(); }
    void midi_out(short, const unsigned char* b, short) override
    {
        if ((b[0] & 0xF0) == 0x90 && b[2] > 0) note_ons.push_back({b[0], b[1]});
        if ((b[0] & 0xF0) == 0x80) note_offs++;
    }
    void send(int32_t, const unsigned char*, short) override {}
    void highlight(bool, short, short) override {}
    void controls() override { controls_passes++; }
    bool playback_running() override { return false; }
    void assistant_play() override {}

    struct Note {
        unsigned char status, pitch;
    };
    std::vector<Note> note_ons;
    int note_offs = 0, controls_passes = 0;

private:
    int64_t elapsed_ms() const { return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - from_).count(); }
    int32_t base_ = 0;
    Clock::time_point from_ = Clock::now();
};

struct PisteDeleter {
    void operator()(Piste* p) const { detruire_piste(p); }
};

TEST(TouchPlayerThreads, TheTimerPlaysWhileTheProgramTouchesSlidesAndReleases)
{
    // One staff line of four measures at x 100, 300, 500, 700 (width 200, head 20). The
    // soloist (channel 1) plays pitch 60 + column as whole notes; the accompaniment (channel 2)
    // 40 + column.
    TouchScore page;
    page.area = {0, 1000, 0, 1000};
    TouchSystem system;
    system.id = 1;
    TouchStaffLine line;
    for (short c = 1; c <= kColumns; c++) {
        TouchMeasure m;
        m.ma = c;
        m.pa = 1;
        m.x = (short)(100 + (c - 1) * 200);
        m.y = 100;
        m.width = 200;
        m.front = 20;
        m.jump_next = 135;
        m.start_time = (c - 1) * kBar;
        m.length = kBar;
        line.measures.push_back(m);
    }
    system.staves.push_back(line);
    page.systems.push_back(system);
    page.columns.resize(kColumns + 1);
    PlayerScore score;
    score.columns.resize(kColumns + 1);
    std::unique_ptr<Piste, PisteDeleter> solo(creer_piste(100)), accomp(creer_piste(100));
    for (short c = 1; c <= kColumns; c++) {
        TouchColumn& tc = page.columns[c];
        tc.start_time = (c - 1) * kBar;
        tc.length = kBar;
        tc.tabtu.assign(181, 0);
        for (int x = 1; x <= 180; x++) tc.tabtu[(size_t)x] = x * kBar / 180;
        PlayerColumn& pc = score.columns[c];
        pc.start_time = tc.start_time;
        pc.length = kBar;
        pc.first_event = {0, (short)(2 * c - 1), (short)(2 * c - 1)};
        for (Piste* t : {solo.get(), accomp.get()}) {
            const unsigned char channel = t == solo.get() ? 0 : 1, pitch = (unsigned char)((t == solo.get() ? 60 : 40) + c);
            t->event[2 * c - 1] = {tc.start_time, {(unsigned char)(0x90 + channel), pitch, 80, 0xFF}};
            t->event[2 * c] = {tc.start_time + kBar - 10, {(unsigned char)(0x80 + channel), pitch, 0, 0xFF}};
            t->tot = (short)(2 * c);
        }
    }
    score.tracks.resize(3);
    score.tracks[1] = PlayerTrack{solo.get(), 1, 1, true, false};
    score.tracks[2] = PlayerTrack{accomp.get(), 2, 1, false, false};

    TouchShared shared;
    shared.jeu_bcot_actif = 1;
    shared.accomp_actif = 1;
    shared.syscur = 1;
    TimerIo io;
    TouchPlayer player(shared, io);
    player.set_score(&score);

    platform::PeriodicTimer timer;
    std::atomic<int> ticks{0};
    timer.start(5, [&] {
        player.work();
        ticks++;
    });

    // Presses on each measure, slides through it and back, releases; then a touch off the page.
    std::vector<short> touched;
    const auto end = Clock::now() + std::chrono::seconds(3);
    uint32_t seen_indicator = 0;
    int indicator_moves = 0;
    while (Clock::now() < end) {
        for (short c = 1; c <= kColumns && Clock::now() < end; c++) {
            const int32_t x0 = 100 + (c - 1) * 200 + 25;
            shared.touch = 1;
            shared.appuyer = 1;
            for (int32_t dx = 0; dx <= 150; dx += 15) {
                TouchContext ctx;
                ctx.macc = shared.macc;
                ctx.accomp_actif = shared.accomp_actif;
                const TouchPlace p = localiser(page, ctx, x0 + dx, 105);
                ASSERT_TRUE(p.found);
                publish_touch(shared, p);
                std::this_thread::sleep_for(std::chrono::milliseconds(7));
                // The program's thread takes the indicator the player asked for.
                const uint32_t seq = shared.indic_seq.load(std::memory_order_acquire);
                if (seq != seen_indicator) {
                    seen_indicator = seq;
                    indicator_moves++;
                    EXPECT_GE(shared.indic_ma.load(), 1);
                    EXPECT_LE(shared.indic_ma.load(), kColumns);
                }
            }
            touched.push_back(c);
            shared.touch = 0;
            shared.relever = 1;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        publish_touch(shared, localiser(page, TouchContext{}, -50, -50));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    timer.stop();

    EXPECT_GT(ticks.load(), 300) << "three seconds of 5 ms periods";
    EXPECT_GE(io.controls_passes, 20);
    EXPECT_GT(indicator_moves, 10);
    ASSERT_FALSE(io.note_ons.empty());
    // The soloist sounds only the touched measures' notes; the accompaniment plays too.
    int soloist = 0, accompaniment = 0;
    for (const TimerIo::Note& n : io.note_ons) {
        if ((n.status & 0x0F) == 0) {
            soloist++;
            EXPECT_GE(n.pitch, 61);
            EXPECT_LE(n.pitch, 60 + kColumns);
        } else {
            accompaniment++;
            EXPECT_GE(n.pitch, 41);
            EXPECT_LE(n.pitch, 40 + kColumns);
        }
    }
    EXPECT_GE(soloist, kColumns);
    EXPECT_GE(accompaniment, kColumns);
    EXPECT_GT(io.note_offs, 0);
}

}  // namespace
