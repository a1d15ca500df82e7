// The play-along player on a virtual clock: the windows it plays as the clock passes their ends
// (loops, play once, queued windows, page turns), and what `jeu` sends for the tracks (a MIDI
// log): the soloist following the finger back and forth, the transposition, the button mode,
// the metronome keys and the accompaniment's volume.
#include "app/TouchPlayer.h"

#include "score/Piste.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

struct Sent {
    short port;
    unsigned char b0, b1, b2;
    bool operator==(const Sent& o) const { return port == o.port && b0 == o.b0 && b1 == o.b1 && b2 == o.b2; }
};
std::ostream& operator<<(std::ostream& os, const Sent& s)
{
    return os << "{" << s.port << ", " << std::hex << (int)s.b0 << std::dec << ", " << (int)s.b1 << ", " << (int)s.b2 << "}";
}

class FakeIo : public PlayerIo {
public:
    int32_t clock() override { return tick; }
    void set_clock(int32_t t) override
    {
        tick = t;
        clock_sets++;
    }
    int32_t now_ms() override { return ms; }
    void midi_out(short port, const unsigned char* b, short tot) override
    {
        out.push_back({port, b[0], b[1], tot > 2 ? b[2] : (unsigned char)0});
    }
    void send(int32_t when, const unsigned char* b, short tot) override
    {
        queued.push_back({when, {b[0], b[1], b[2], tot > 3 ? b[3] : (unsigned char)0}});
    }
    void highlight(bool on, short id, short) override { highlights.push_back(on ? id : -id); }
    void controls() override { control_passes++; }
    bool playback_running() override { return playing; }
    void assistant_play() override { assistant_plays++; }

    int32_t tick = 0, ms = 0;
    int clock_sets = 0;
    bool playing = false;
    std::vector<Sent> out;
    std::vector<MidiEvent> queued;
    std::vector<short> highlights;
    int control_passes = 0, assistant_plays = 0;
};

struct PisteDeleter {
    void operator()(Piste* p) const { detruire_piste(p); }
};
using TrackPtr = std::unique_ptr<Piste, PisteDeleter>;

// A track of events; `first_event` of each column is filled from the times.
TrackPtr track(const std::vector<MidiEvent>& events)
{
    TrackPtr t(creer_piste(200));
    for (size_t k = 0; k < events.size(); k++) t->event[k + 1] = events[k];
    t->tot = (short)events.size();
    return t;
}
MidiEvent on(int32_t time, unsigned char pitch, unsigned char velocity = 90, unsigned char channel = 1)
{
    return {time, {(unsigned char)(0x90 + channel - 1), pitch, velocity, 0xFF}};
}
MidiEvent off(int32_t time, unsigned char pitch, unsigned char channel = 1)
{
    return {time, {(unsigned char)(0x80 + channel - 1), pitch, 0, 0xFF}};
}
MidiEvent control(int32_t time, unsigned char number, unsigned char value, unsigned char channel)
{
    return {time, {(unsigned char)(0xB0 + channel - 1), number, value, 0xFF}};
}

class Player : public ::testing::Test {
protected:
    // Columns of these lengths, in order; every column plays in mode `mode` unless set after.
    void columns(const std::vector<int32_t>& lengths, short mode = kModeDefault)
    {
        score.columns.assign(lengths.size() + 1, PlayerColumn{});
        int32_t start = 0;
        for (size_t c = 1; c <= lengths.size(); c++) {
            score.columns[c].start_time = start;
            score.columns[c].length = lengths[c - 1];
            score.columns[c].bcot_mode = mode;
            start += lengths[c - 1];
        }
    }
    // Adds a track and links its events to the columns.
    short add(TrackPtr t, short channel, bool soloist)
    {
        if (score.tracks.empty()) score.tracks.resize(1);
        PlayerTrack pt;
        pt.piste = t.get();
        pt.channel = channel;
        pt.soloist = soloist;
        score.tracks.push_back(pt);
        const short i = (short)(score.tracks.size() - 1);
        for (size_t c = 1; c < score.columns.size(); c++) {
            PlayerColumn& col = score.columns[c];
            col.first_event.resize(score.tracks.size(), 0);
            for (short k = 1; k <= t->tot; k++)
                if (t->event[k].time >= col.start_time && t->event[k].time < col.start_time + col.length) {
                    col.first_event[(size_t)i] = k;
                    break;
                }
        }
        tracks.push_back(std::move(t));
        return i;
    }
    // What a touch on column c queues (its whole window).
    void queue(short c)
    {
        shared.next_macc = c;
        shared.next_start_acc = score.columns[(size_t)c].start_time;
        shared.next_stop_acc = score.columns[(size_t)c].start_time + score.columns[(size_t)c].length;
    }
    void touch(short c, int32_t offset, short staff = 1)
    {
        shared.psol = staff;
        shared.msol = c;
        shared.trsol = offset;
        shared.tsol = score.columns[(size_t)c].start_time + std::max(0, offset);
    }
    // Runs periods of `step` ticks until `ticks` have passed; the column of each window taken,
    // in order.
    std::vector<short> run(int32_t ticks, int32_t step = 60)
    {
        std::vector<short> windows;
        for (int32_t passed = 0; passed < ticks; passed += step) {
            const int sets = io.clock_sets;
            player.work();
            if (io.clock_sets != sets) {
                if (shared.macc) windows.push_back(shared.macc);
                EXPECT_EQ(io.tick, shared.start_acc.load()) << "the clock starts at the window's start";
            }
            io.tick += step;
            io.ms += 5;
        }
        return windows;
    }
    void SetUp() override
    {
        shared.jeu_bcot_actif = 1;
        shared.accomp_actif = 1;
        player.set_score(&score);
    }

    TouchShared shared;
    FakeIo io;
    PlayerScore score;
    std::vector<TrackPtr> tracks;
    TouchPlayer player{shared, io};
};

TEST_F(Player, ALoopOfFourColumnsGoesForwardThenBackToItsStart)
{
    // Mixed lengths: each step goes to the column's own start and length.
    std::vector<int32_t> lengths(14, 1920);
    lengths[10] = 960;     // column 11, 2/4
    lengths[11] = 40000;   // column 12, a window above 32,767 ticks
    columns(lengths);
    shared.bouclage = 4;
    touch(10, 0);
    queue(10);
    const int32_t total = 1920 + 960 + 40000 + 1920 + 600;
    EXPECT_EQ(run(total), (std::vector<short>{10, 11, 12, 13, 10}));
    EXPECT_EQ(shared.start_acc, score.columns[10].start_time);
}

TEST_F(Player, ALoopThatRunsOutOfColumnsRepeatsItsColumn)
{
    columns(std::vector<int32_t>(10, 1920));
    shared.bouclage = 4;
    touch(10, 0);
    queue(10);
    EXPECT_EQ(run(3 * 1920 + 100), (std::vector<short>{10, 10, 10, 10}));
}

TEST_F(Player, WithoutALoopTheTouchedMeasureRepeatsUntilAnotherIsQueued)
{
    columns({1920, 1920, 1920});
    touch(1, 0);
    queue(1);
    EXPECT_EQ(run(2 * 1920 + 100), (std::vector<short>{1, 1, 1}));
    // Queued in the middle of the window: taken only at its end.
    io.tick = 900;
    shared.macc = 1;
    shared.start_acc = 0;
    shared.stop_acc = 1920;
    queue(2);
    player.work();
    EXPECT_EQ(shared.macc, 1);
    EXPECT_EQ(io.tick, 900);
    io.tick = 1919;
    player.work();
    EXPECT_EQ(shared.macc, 1);
    io.tick = 1925;  // the overshoot is dropped
    player.work();
    EXPECT_EQ(shared.macc, 2);
    EXPECT_EQ(io.tick, 1920);
    EXPECT_EQ(shared.start_acc, 1920);
    EXPECT_EQ(shared.stop_acc, 3840);
    EXPECT_EQ(shared.next_start_acc, 0);
    EXPECT_EQ(shared.next_stop_acc, 0);
    EXPECT_EQ(shared.next_macc, 2) << "the last queued column is kept";
}

TEST_F(Player, AColumnOfModePlayOncePlaysOnceAndResets)
{
    columns({1920, 1920, 1920});
    score.columns[2].bcot_mode = kModePlayOnce;
    touch(2, 0);
    queue(2);
    shared.syscur = 1;
    EXPECT_EQ(run(1920 + 600), (std::vector<short>{2}));
    EXPECT_EQ(shared.macc, 0);
    EXPECT_EQ(shared.msol, 0);
    EXPECT_EQ(shared.stop_acc, 0);
    EXPECT_EQ(shared.next_macc, 0);
    EXPECT_TRUE(shared.indic_erase);
    EXPECT_EQ(shared.touch, 0);
}

TEST_F(Player, AQueuedJumpToTheNextPageTurnsThePageWhenItStarts)
{
    columns({1920, 1920});
    touch(1, 1800);
    shared.touch = 1;
    shared.macc = 1;
    shared.stop_acc = 1920;
    shared.syscur = 3;
    queue(2);
    shared.nextsyscur = 4;
    shared.next_saut_page = 1;
    io.tick = 1000;
    player.work();
    EXPECT_FALSE(shared.page_turn) << "not before the window's end";
    EXPECT_EQ(shared.syscur, 3);
    io.tick = 1920;
    player.work();
    EXPECT_TRUE(shared.page_turn);
    EXPECT_EQ(shared.syscur, 4);
    EXPECT_EQ(shared.nextsyscur, 0);
    EXPECT_EQ(shared.next_saut_page, 0);
    EXPECT_EQ(shared.touch, 0);
    EXPECT_EQ(shared.macc, 2);
}

TEST_F(Player, TheControllersGoOutEveryHundredMillisecondsAndNothingRunsWhenOff)
{
    columns({1920});
    for (int i = 0; i < 43; i++) {
        io.ms = i * 5 + 1;
        player.work();
    }
    EXPECT_EQ(io.control_passes, 3);  // at 1, 106 and 211 ms
    shared.jeu_bcot_actif = 0;
    io.ms = 1000;
    player.work();
    EXPECT_EQ(io.control_passes, 3);
}

// ---- jeu against a MIDI log ----

class Jeu : public Player {
protected:
    void SetUp() override
    {
        Player::SetUp();
        columns({1920, 1920});
        // The melody of column 1: 60 on 0-480, 62 on 480-960, 64 on 960-1920.
        soloist = add(track({on(0, 60), off(480, 60), on(480, 62), off(960, 62), on(960, 64), off(1920, 64)}), 1, true);
    }
    std::vector<Sent> play_at(short c, int32_t offset)
    {
        io.out.clear();
        touch(c, offset);
        player.jeu();
        return io.out;
    }
    short soloist = 0;
};

TEST_F(Jeu, TheSoloistFollowsTheFingerForwardAndBack)
{
    EXPECT_EQ(play_at(1, 1000), (std::vector<Sent>{{1, 0x90, 64, 90}})) << "chased from the start";
    EXPECT_EQ(play_at(1, 1100), (std::vector<Sent>{})) << "nothing new";
    // Back: the note held there sounds again, the later one stops.
    EXPECT_EQ(play_at(1, 500), (std::vector<Sent>{{1, 0x90, 62, 90}, {1, 0x80, 64, 0}}));
    EXPECT_EQ(play_at(1, 10), (std::vector<Sent>{{1, 0x90, 60, 90}, {1, 0x80, 62, 0}}));
    EXPECT_EQ(play_at(1, 1500), (std::vector<Sent>{{1, 0x80, 60, 0}, {1, 0x90, 64, 90}}));
    // A touch that leaves the score silences it.
    EXPECT_EQ(play_at(2, 10), (std::vector<Sent>{{1, 0x80, 64, 0}}));
}

TEST_F(Jeu, ATranspositionMovesTheSoundingNotesByOctaves)
{
    play_at(1, 1000);
    io.out.clear();
    shared.transpo = 1;
    player.jeu();
    EXPECT_EQ(io.out, (std::vector<Sent>{{1, 0x80, 64, 0}, {1, 0x90, 76, 90}}));
    // Further on, the notes come transposed.
    EXPECT_EQ(play_at(1, 100), (std::vector<Sent>{{1, 0x90, 72, 90}, {1, 0x80, 76, 0}}));
}

TEST_F(Jeu, PitchesThatTheTranspositionMovesOutOfRangeAreSkipped)
{
    Piste* t = tracks[0].get();
    t->event[1].buf[1] = 120;
    t->event[2].buf[1] = 120;
    shared.transpo = 1;  // 120 + 12 is no MIDI pitch
    EXPECT_EQ(play_at(1, 100), (std::vector<Sent>{}));
    EXPECT_EQ(play_at(1, 1000), (std::vector<Sent>{{1, 0x90, 76, 90}}));
    // A held note that a new transposition would push out stays where it is.
    t->event[5].buf[1] = 118;
    t->event[6].buf[1] = 118;
    shared.transpo = 0;
    player.jeu();
    io.out.clear();
    player.reset_tracks();
    play_at(1, 1000);  // 118 sounds
    io.out.clear();
    shared.transpo = 1;
    player.jeu();
    EXPECT_EQ(io.out, (std::vector<Sent>{})) << "118 cannot move to 130";
}

TEST_F(Jeu, TheButtonModeReleasesAndPressesTheSoloist)
{
    play_at(1, 1000);
    io.out.clear();
    shared.relever = 1;
    player.jeu();
    EXPECT_EQ(io.out, (std::vector<Sent>{{1, 0x80, 64, 0}}));
    EXPECT_EQ(shared.soliste_actif, 0);
    io.out.clear();
    shared.cur_volsol = 40;
    shared.appuyer = 1;
    player.jeu();
    EXPECT_EQ(io.out, (std::vector<Sent>{{1, 0x90, 64, 40}}));
    EXPECT_EQ(shared.soliste_actif, 1);
}

TEST_F(Jeu, TheLastVolumeReplacesTheSoloistsVelocityButOne)
{
    shared.param19 = 1;
    shared.cur_volsol = 33;
    tracks[0]->event[1].buf[2] = 1;
    EXPECT_EQ(play_at(1, 100), (std::vector<Sent>{{1, 0x90, 60, 1}}));
    EXPECT_EQ(play_at(1, 1000), (std::vector<Sent>{{1, 0x80, 60, 0}, {1, 0x90, 64, 33}}));
}

TEST_F(Jeu, TheMetronomeStaffPlaysTheChosenKeysAndTheAccompanimentVolumeIsScaled)
{
    const short metro = add(track({on(0, 67, 100, 10), off(240, 67, 10), on(480, 81, 100, 10), off(720, 81, 10)}), 10, false);
    const short accomp = add(track({control(0, 7, 100, 3), control(0, 10, 64, 3), on(0, 48, 70, 3), off(1900, 48, 3)}), 3, false);
    score.portee_metronome = metro;
    shared.param21 = 37;
    shared.param22 = 56;
    shared.metro_velo = 77;
    shared.cur_volacc = 25;
    shared.macc = 1;
    shared.start_acc = 0;
    shared.stop_acc = 1920;
    auto accompaniment_at = [&](int32_t tick) {
        io.out.clear();
        touch(1, tick);
        shared.tacc = tick;
        shared.tracc = tick;
        player.jeu();
        std::vector<Sent> log;
        for (const Sent& s : io.out)
            if ((s.b0 & 0x0F) != 0) log.push_back(s);  // not the soloist's channel 1
        return log;
    };
    EXPECT_EQ(accompaniment_at(100), (std::vector<Sent>{{1, 0x99, 37, 77}, {1, 0xB2, 7, 50}, {1, 0xB2, 10, 64}, {1, 0x92, 48, 70}}));
    EXPECT_EQ(accompaniment_at(600), (std::vector<Sent>{{1, 0x89, 37, 0}, {1, 0x99, 56, 77}}));
    // A composition maps no metronome.
    score.composition = true;
    EXPECT_EQ(accompaniment_at(800), (std::vector<Sent>{{1, 0x89, 81, 0}}));
    // Silent metronome velocity.
    score.composition = false;
    shared.metro_velo = 0;
    EXPECT_EQ(accompaniment_at(500), (std::vector<Sent>{{1, 0x99, 56, 0}}));
    (void)accomp;
}

TEST_F(Jeu, TheVolumeOfTheFirstTrackIsNotScaled)
{
    tracks[0]->event[1] = control(0, 7, 100, 1);
    shared.cur_volacc = 25;
    const std::vector<Sent> sent = play_at(1, 1000);
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.front(), (Sent{1, 0xB0, 7, 100}));
}

}  // namespace
