// MIDI set-up of a score's instruments: synthesizer, port and channel chosen from the ports'
// synthesizers and the synthesizer's definition, with shared and freed channels, channel 10,
// fixed channels and stored settings out of range.
#include "score/MidiAutoConfig.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "ProgramFolder.h"
#include "score/ScoreFixture.h"

namespace {

const char* port_names[5] = {"", "TST", "", "", ""};
const char* test_ports(short port) { return port >= 1 && port <= 4 ? port_names[port] : ""; }

// Piano (program 1, group 1) plays on channel 1 only, drums (program 1, group 2) on channel 10
// only, strings (program 2, group 1) on channels 1 and 2.
const char* const definition =
    "instrument(Piano,num=1,groupe=1,bank=0,canaux=0001)\n"
    "instrument(Batterie,num=1,groupe=2,bank=0,canaux=0200)\n"
    "instrument(Cordes,num=2,groupe=1,bank=0,canaux=0003)\n";

enum Sound { PIANO, DRUMS, STRINGS };

void give(Ins& in, Sound s, short autom = 0x3) {
    std::snprintf(in.synthe, sizeof in.synthe, "TST");
    in.patch = s == STRINGS ? 2 : 1;
    in.groupe = s == DRUMS ? 2 : 1;
    in.bank = 0;
    in.port = 1;
    in.canal = 0;
    in.autom = autom;
}

struct Case {
    const char* name;
    const char* midi_in;  // the synthesizer's receive mask
    short instruments;
    std::function<void(Ins*)> set;
    std::function<void(Ins*)> check;
};

class MidiAutoConfig : public ::testing::Test {
protected:
    void SetUp() override { set_synthe_port(test_ports); }
    void TearDown() override {
        set_synthe_port(nullptr);
        port_names[2] = "";
        port_names[1] = "TST";
    }
};

TEST_F(MidiAutoConfig, ChannelsAreChosenSharedAndFreed) {
    const Case cases[] = {
        {"two pianos share the one channel the sound allows", "FFFF", 2,
         [](Ins* i) { give(i[1], PIANO), give(i[2], PIANO); },
         [](Ins* i) { EXPECT_EQ(i[1].canal, 1); EXPECT_EQ(i[2].canal, 1); }},
        {"a fixed channel 0 becomes 1 and is reserved first", "FFFF", 2,
         [](Ins* i) { give(i[1], STRINGS), give(i[2], PIANO, 0x1); },
         [](Ins* i) { EXPECT_EQ(i[2].canal, 1); EXPECT_EQ(i[1].canal, 2); }},
        {"no group: no program, no bank, no automatic channel", "FFFF", 1,
         [](Ins* i) { give(i[1], PIANO), i[1].groupe = 0, i[1].canal = 7; },
         [](Ins* i) {
             EXPECT_EQ(i[1].patch, -1); EXPECT_EQ(i[1].bank, -1);
             EXPECT_EQ(i[1].canal, 7);
         }},
        {"drums get channel 10 when the synthesizer receives on it", "0201", 1,
         [](Ins* i) { give(i[1], DRUMS); }, [](Ins* i) { EXPECT_EQ(i[1].canal, 10); }},
        {"drums fall back to channel 1 when it does not", "0003", 1,
         [](Ins* i) { give(i[1], DRUMS); }, [](Ins* i) { EXPECT_EQ(i[1].canal, 1); }},
        {"two strings on channels 1 and 2 share one to free one for a piano", "FFFF", 3,
         [](Ins* i) { give(i[1], STRINGS), give(i[2], STRINGS), give(i[3], PIANO); },
         [](Ins* i) {
             EXPECT_EQ(i[1].canal, 1);
             EXPECT_EQ(i[2].canal, 1);
             EXPECT_EQ(i[3].canal, 2);
         }},
        {"fixed settings out of range reserve nothing", "FFFF", 4,
         [](Ins* i) {
             give(i[1], PIANO, 0x0), i[1].port = -3, i[1].canal = 40;
             give(i[2], PIANO, 0x0), i[2].port = 5, i[2].canal = 17;
             give(i[3], PIANO, 0x0), i[3].port = 1, i[3].canal = -2;
             give(i[4], PIANO);
         },
         [](Ins* i) {
             EXPECT_EQ(i[1].canal, 40);
             EXPECT_EQ(i[4].canal, 1);
         }},
        {"the port follows the synthesizer's name", "FFFF", 1,
         [](Ins* i) {
             give(i[1], PIANO), i[1].port = 3;
             port_names[1] = "AUTRE";
             port_names[2] = "TST";
         },
         [](Ins* i) { EXPECT_EQ(i[1].port, 2); EXPECT_EQ(i[1].canal, 1); }},
        {"\"---\" takes the first named port's synthesizer", "FFFF", 1,
         [](Ins* i) { give(i[1], PIANO), std::strcpy(i[1].synthe, "---"); },
         [](Ins* i) { EXPECT_STREQ(i[1].synthe, "TST"); }},
        {"\"---\" stays without any named port", "FFFF", 1,
         [](Ins* i) { give(i[1], PIANO), std::strcpy(i[1].synthe, "---"), port_names[1] = ""; },
         [](Ins* i) { EXPECT_STREQ(i[1].synthe, "---"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramFolder folder;
        folder.write_syn("TST", definition + std::string("midi_in(") + c.midi_in + ")\n");
        port_names[1] = "TST";
        port_names[2] = "";
        ScoreFixture score(c.instruments, 1);
        c.set(score.d->ins);
        midi_auto_config();
        c.check(score.d->ins);
    }
}

}  // namespace
