// Live controller output: the pressure window, the values each source gives, the dead band of
// the pending values and the bytes of every message, clamped to what MIDI carries.
#include "app/Parametres.h"
#include "app/SendEffects.h"
#include "score/Document.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct Instruments {
    // Instrument 1 a soloist on channel 1, 2 and 3 accompaniment on channels 2 and 10, 4 a
    // second soloist on channel 4.
    Ins ins[5];
    Instruments()
    {
        std::memset(ins, 0, sizeof ins);
        const short channels[5] = {0, 1, 2, 10, 4};
        for (short i = 1; i <= 4; i++) {
            ins[i].canal = channels[i];
            ins[i].port = 1;
            std::memset(ins[i].effet, 255, sizeof ins[i].effet);
        }
        ins[1].in_roll = 1;
        ins[4].in_roll = 1;
    }
    LiveTargets targets(short psol = 0, short pressure_drives = 1, short height_drives = 2) const
    {
        LiveTargets t;
        t.ins = ins;
        t.count = 4;
        t.psol = psol;
        t.pressure_drives = pressure_drives;
        t.height_drives = height_drives;
        return t;
    }
};

LiveMessage cc(unsigned char status, unsigned char controller, unsigned char value)
{
    return LiveMessage{1, 3, {status, controller, value}};
}

TEST(SendEffects, PressureWindowTurnsThousandthsIntoPercent)
{
    struct Case {
        short pres, min, max, percent;
    } cases[] = {
        {400, 50, 100, 0},  {750, 50, 100, 50}, {1000, 50, 100, 100}, {500, 50, 100, 0},
        {0, 0, 100, 0},     {1000, 0, 100, 100}, {600, 60, 60, 0},    {900, 80, 20, 0},
        {1200, 50, 100, 100},
    };
    for (const Case& c : cases)
        EXPECT_EQ(echelle_pression(c.pres, c.min, c.max), c.percent) << c.pres << " " << c.min << ".." << c.max;
    init_param();
    EXPECT_EQ(echelle_pression(750), 50);
}

TEST(SendEffects, EachSourceGivesItsValueWithinItsCeiling)
{
    using namespace drives;
    struct Case {
        short (*value)(const LiveSource&);
        short slider, pressure, height, pressure_drives, height_drives;
        bool automatic;
        short expected;
    } cases[] = {
        // Soloist volume: slider alone, pressure from the slider's floor, height scaled, and
        // automatic play ignoring both.
        {soloist_volume_value, 100, 0, 0, Nothing, Nothing, false, 127},
        {soloist_volume_value, 50, 100, 0, SoloistVolume, Nothing, false, 127},
        {soloist_volume_value, 50, 0, 0, SoloistVolume, Nothing, false, 63},
        {soloist_volume_value, 100, 0, 50, Nothing, SoloistVolume, false, 63},
        {soloist_volume_value, 40, 100, 50, SoloistVolume, SoloistVolume, true, 50},
        // Pressure wins over height when both name the same target.
        {soloist_volume_value, 0, 50, 100, SoloistVolume, SoloistVolume, false, 63},
        {accompaniment_level_value, 40, 50, 0, AccompanimentLevel, Nothing, false, 70},
        {accompaniment_level_value, 40, 0, 80, Nothing, AccompanimentLevel, false, 80},
        {accompaniment_level_value, 250, 0, 0, Nothing, Nothing, false, 100},
        {vibrato_value, 100, 0, 0, Nothing, Nothing, false, 127},
        {vibrato_value, 0, 0, 100, Nothing, Vibrato, false, 127},
        {portamento_value, 100, 0, 0, Nothing, Nothing, false, 64},
        {portamento_value, 0, 100, 0, Portamento, Nothing, false, 64},
        {portamento_value, 0, 0, 50, Nothing, Portamento, false, 32},
        // Transposition, in octaves: height steps, pressure never above +2, no floor.
        {transposition_value, 0, 0, 97, Nothing, Transposition, false, 2},
        {transposition_value, 0, 0, 70, Nothing, Transposition, false, 1},
        {transposition_value, 0, 0, 30, Nothing, Transposition, false, 0},
        {transposition_value, 0, 0, 2, Nothing, Transposition, false, -1},
        {transposition_value, 0, 0, 1, Nothing, Transposition, false, -2},
        {transposition_value, 2, 100, 0, Transposition, Nothing, false, 2},
        {transposition_value, -3, 0, 0, Nothing, Nothing, false, -3},
    };
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; i++) {
        const Case& c = cases[i];
        LiveSource s;
        s.slider = c.slider;
        s.pressure = c.pressure;
        s.height = c.height;
        s.pressure_drives = c.pressure_drives;
        s.height_drives = c.height_drives;
        s.automatic = c.automatic;
        EXPECT_EQ(c.value(s), c.expected) << "case " << i;
    }
    EXPECT_EQ(reverb_value(100), 127);
    EXPECT_EQ(chorus_value(50), 63);
}

TEST(SendEffects, PendingValuesInsideTheDeadBandAreDroppedNotAccumulated)
{
    std::atomic<short> next{60}, cur{-1};
    short v = 0;
    ASSERT_TRUE(take_pending(next, cur, &v));  // the first value always goes
    EXPECT_EQ(v, 60);
    EXPECT_EQ(next, -1);
    next = 62;
    EXPECT_FALSE(take_pending(next, cur, &v));
    EXPECT_EQ(next, -1);
    EXPECT_EQ(cur, 60);
    next = 63;
    EXPECT_FALSE(take_pending(next, cur, &v));
    next = 64;
    ASSERT_TRUE(take_pending(next, cur, &v));
    EXPECT_EQ(v, 64);
    next = 60;
    ASSERT_TRUE(take_pending(next, cur, &v));
    EXPECT_FALSE(take_pending(next, cur, &v));  // nothing pending
}

TEST(SendEffects, PitchBendWordsAndBytes)
{
    struct Case {
        short percent;
        unsigned char low, high;
    } cases[] = {{0, 0x00, 0x40}, {50, 0x7F, 0x5F}, {-50, 0x01, 0x20},
                 {300, 0x7F, 0x7F}, {-300, 0x00, 0x00}};
    Instruments in;
    for (const Case& c : cases) {
        std::vector<LiveMessage> out;
        pitchbend_messages(in.targets(), c.percent, &out);
        ASSERT_EQ(out.size(), 2u) << c.percent;  // both soloists
        EXPECT_EQ(out[0], cc(0xE0, c.low, c.high)) << c.percent;
        EXPECT_EQ(out[1], cc(0xE3, c.low, c.high)) << c.percent;
    }
}

TEST(SendEffects, MessagesGoToTheSoloistsOrToTheTouchedStaffAlone)
{
    Instruments in;
    std::vector<LiveMessage> out;
    vibrato_messages(in.targets(), 127, &out);
    EXPECT_EQ(out, (std::vector<LiveMessage>{cc(0xB0, 1, 88), cc(0xB3, 1, 88)}));
    out.clear();
    // Height drives the vibrato and staff 4 is touched: only its instrument.
    vibrato_messages(in.targets(4, drives::Nothing, drives::Vibrato), 100, &out);
    EXPECT_EQ(out, (std::vector<LiveMessage>{cc(0xB3, 1, 70)}));
    out.clear();
    portamento_messages(in.targets(), 0, &out);
    EXPECT_EQ(out, (std::vector<LiveMessage>{cc(0xB0, 65, 0), cc(0xB0, 5, 0), cc(0xB3, 65, 0), cc(0xB3, 5, 0)}));
    out.clear();
    portamento_messages(in.targets(1, drives::Portamento), 40, &out);
    EXPECT_EQ(out, (std::vector<LiveMessage>{cc(0xB0, 65, 127), cc(0xB0, 5, 40)}));
    out.clear();
    // Pressure drives the soloist volume but no staff is touched yet: every soloist.
    soloist_volume_messages(in.targets(0, drives::SoloistVolume), 200, &out);
    EXPECT_EQ(out, (std::vector<LiveMessage>{cc(0xB0, 7, 127), cc(0xB3, 7, 127)}));
    out.clear();
    reverb_messages(in.targets(), 30, &out);
    chorus_messages(in.targets(), 31, &out);
    EXPECT_EQ(out, (std::vector<LiveMessage>{cc(0xB0, 91, 30), cc(0xB3, 91, 30), cc(0xB0, 93, 31), cc(0xB3, 93, 31)}));
}

TEST(SendEffects, AccompanimentLevelScalesEachInstrumentAndKeepsTheMetronomeFloor)
{
    Instruments in;
    in.ins[2].effet[7] = 80;
    in.ins[3].effet[7] = 40;
    struct Case {
        short level, metronome, floor;
        unsigned char second, third;
    } cases[] = {
        {50, 0, 0, 80, 40},   {0, 0, 0, 0, 0},     {100, 0, 0, 127, 127},
        {25, 0, 0, 40, 20},   {75, 0, 0, 103, 83}, {0, 3, 100, 0, 100},
        {50, 3, 30, 80, 40},
    };
    for (const Case& c : cases) {
        LiveTargets t = in.targets();
        t.portee_metronome = c.metronome;
        t.metro_velo = c.floor;
        std::vector<LiveMessage> out;
        accompaniment_level_messages(t, c.level, &out);
        EXPECT_EQ(out, (std::vector<LiveMessage>{cc(0xB1, 7, c.second), cc(0xB9, 7, c.third)})) << c.level;
    }
    // A volume never set counts as the device's own 100; a stored value above 127 never goes out.
    in.ins[2].effet[7] = 255;
    in.ins[3].effet[7] = 200;
    std::vector<LiveMessage> out;
    accompaniment_level_messages(in.targets(), 50, &out);
    EXPECT_EQ(out, (std::vector<LiveMessage>{cc(0xB1, 7, 100), cc(0xB9, 7, 127)}));
}

TEST(SendEffects, OnePassSendsWhatMovedInOrderAndTheCentredBendFirst)
{
    Instruments in;
    LiveControls c;
    // A new view: only the centred pitch bend goes out.
    auto out = live_controller_messages(c, in.targets(), nullptr);
    EXPECT_EQ(out, (std::vector<LiveMessage>{cc(0xE0, 0, 0x40), cc(0xE3, 0, 0x40)}));
    EXPECT_TRUE(live_controller_messages(c, in.targets(), nullptr).empty());
    c.next_volsol = 60;
    c.next_porta = 10;
    out = live_controller_messages(c, in.targets(), nullptr);
    EXPECT_EQ(out, (std::vector<LiveMessage>{cc(0xB0, 7, 60), cc(0xB3, 7, 60), cc(0xB0, 65, 127), cc(0xB0, 5, 10),
                                             cc(0xB3, 65, 127), cc(0xB3, 5, 10)}));
    c.next_volsol = 62;
    EXPECT_TRUE(live_controller_messages(c, in.targets(), nullptr).empty());
    // The assistant's style takes the accompaniment level when it plays.
    static short restyled;
    restyled = -1;
    c.next_volacc = 40;
    out = live_controller_messages(c, in.targets(), [](short percent) {
        restyled = percent;
        return true;
    });
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(restyled, 80);
}

}  // namespace
