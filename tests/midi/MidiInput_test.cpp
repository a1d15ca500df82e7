// MIDI input: filter, thru, input hook, external clock and queuing into the input nodes.
#include "MidiFixture.h"

namespace {

std::vector<int> notices;
void record_notice(char* msg, short) { notices.push_back(static_cast<unsigned char>(msg[0])); }
short drop_everything(Midi_union*, short) { return 0; }

uint32_t msg3(int s, int d1, int d2) { return s | (d1 << 8) | (d2 << 16); }

}  // namespace

class Input : public MidiFixture {
protected:
    void SetUp() override
    {
        MidiFixture::SetUp();
        write_prefs("1\n"
                    "1 0000 1 1 0 0 0 \"GM-1\"\n"
                    "2 0000 2 0 0 0 0 \"\"\n"
                    "0 0000 0 0 0 0 0 \"\"\n"
                    "0 0000 0 0 0 0 0 \"\"\n");
        make_midi();
    }
    // What reached input node 5 (port 1) and the thru output of port 1.
    std::vector<std::vector<int>> queued() { return drain(5); }
};

TEST_F(Input, LengthsAndRunningStatus)
{
    in[0]->inject(0x3C);           // a data byte alone counts as three bytes
    in[0]->inject(msg3(0xC0, 5, 0));
    in[0]->inject(0xF8);
    auto got = queued();
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0][3], 3);
    EXPECT_EQ(got[1][3], 2);
    EXPECT_EQ(got[2][3], 1) << "a clock on a port that does not sync is queued like other input";
}

TEST_F(Input, EchoWiringCopiesIntoRecorderNode)
{
    wait_keyboard_flag = 0;
    in[0]->inject(msg3(0x90, 60, 100));
    EXPECT_EQ(wait_keyboard_flag, 1);
    EXPECT_EQ(drain(6).size(), 1u) << "node 5 echoes to the recorder's node 6";
    EXPECT_EQ(drain(7).size(), 1u);
    EXPECT_EQ(out[0]->count(), 1u) << "thru to port 1";
}

TEST_F(Input, ChannelFilterAndThruMap)
{
    midi->filtre.canal[9] = 0;
    in[0]->inject(msg3(0x99, 36, 100));
    EXPECT_TRUE(queued().empty());
    EXPECT_EQ(out[0]->count(), 0u);

    midi->tab_midi_thru[0] = 9;
    in[0]->inject(msg3(0x90, 60, 100));
    auto log = out[0]->log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].bytes[0], 0x99) << "thru leaves on channel 10";
    auto got = queued();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0][1], 0x90) << "queued on its own channel";
}

TEST_F(Input, KindFilters)
{
    midi->filtre.control = 0;
    midi->filtre.sys_real = 0;
    struct Case {
        uint32_t data;
        bool passes;
    } cases[] = {
        {msg3(0xB0, 7, 100), false}, {msg3(0xB0, 123, 0), true}, {msg3(0xB0, 121, 0), false},
        {0xFE, false},               {msg3(0xE0, 0, 64), true},  {msg3(0xF2, 0, 0), true},
    };
    for (auto& c : cases) {
        in[0]->inject(c.data);
        EXPECT_EQ(queued().size(), c.passes ? 1u : 0u) << std::hex << c.data;
    }
}

TEST_F(Input, HookThatDropsKeepsMessageOutOfThruAndQueue)
{
    midi->midi_input_filter = drop_everything;
    in[0]->inject(msg3(0x90, 60, 100));
    EXPECT_TRUE(queued().empty());
    EXPECT_EQ(out[0]->count(), 0u);
}

TEST_F(Input, RefusedThruIsQueuedOnTheEchoPort)
{
    out[0]->refuse_next(1);
    in[0]->inject(msg3(0x90, 60, 100));
    EXPECT_EQ(out[0]->count(), 0u);
    midi->run();
    EXPECT_EQ(out[0]->count(), 1u) << "the scheduler sends it on the next pass";
}

TEST_F(Input, ExternalClockStartAndStop)
{
    notices.clear();
    midi->midi_special_treatment = record_notice;
    midi->external_sync = 2;
    for (int i = 0; i < 24; i++)
        in[1]->inject(0xF8);
    EXPECT_EQ(midi->time_unit, 480);
    clock.set(1000);
    midi->run();
    EXPECT_EQ(midi->time_unit, 480) << "under external sync only the external clock moves it";
    midi->time_unit_status = 0;
    in[1]->inject(0xF8);
    EXPECT_EQ(midi->time_unit, 480) << "a stopped clock ignores clocks";
    in[1]->inject(0xFA);
    in[1]->inject(0xFC);
    EXPECT_EQ(notices, (std::vector<int>{4, 5}));
    EXPECT_TRUE(drain(6).empty());
}

TEST_F(Input, ThruLeavesThroughTheOutputOfTheEchoPort)
{
    midi.reset();
    application->midi = nullptr;
    write_prefs("1\n"
                "1 0000 1 3 0 0 0 \"GM-1\"\n"
                "0 0000 0 0 0 0 0 \"\"\n"
                "3 0000 0 0 0 0 0 \"\"\n"
                "0 0000 0 0 0 0 0 \"\"\n");
    make_midi();
    EXPECT_EQ(midi->midi_echo_handle[1], out[2]);
    in[0]->inject(msg3(0x90, 60, 100));
    EXPECT_EQ(out[0]->count(), 0u);
    EXPECT_EQ(out[2]->count(), 1u) << "input 1 is echoed through port 3's output";
    out[2]->refuse_next(1);
    in[0]->inject(msg3(0x80, 60, 0));
    midi->run();
    EXPECT_EQ(out[2]->count(), 2u) << "a refused copy waits in port 3's queue";
    EXPECT_EQ(out[0]->count(), 0u);
}
