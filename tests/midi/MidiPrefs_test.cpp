// The port settings file, opening the ports and the automatic configuration.
#include "MidiFixture.h"

#include "framework/CApplication.h"
#include "score/Document.h"
#include "score/Synthe.h"

#include <fstream>
#include <sstream>

namespace {

std::string read_file(const std::string& path)
{
    std::ifstream f(path);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

const char* default_prefs = "1\n"
                            "0 0000 0 0 0 0 0 \"\"\n"
                            "0 0000 0 0 0 0 0 \"\"\n"
                            "0 0000 0 0 0 0 0 \"\"\n"
                            "0 0000 0 0 0 0 0 \"\"\n";

}  // namespace

using Prefs = MidiFixture;

TEST_F(Prefs, MissingFileIsCreatedWithDefaults)
{
    make_midi();
    EXPECT_EQ(read_file(prefs_path()), default_prefs);
    EXPECT_EQ(midi->midi_out_handle[1], nullptr);
}

TEST_F(Prefs, RoundTrip)
{
    const std::string text = "3\n"
                             "1 00A5 1 1 0 7 0 \"GM-1\"\n"
                             "2 FFFF 0 0 -1 0 2 \"MODELE-1\"\n"
                             "0 0000 2 3 0 0 0 \"\"\n"
                             "0 0000 0 0 0 0 0 \"X\"\n";
    write_prefs(text);
    make_midi();
    EXPECT_EQ(midi->midi_prefs.cur_port, 3);
    EXPECT_EQ(midi->midi_prefs.adresse[2], -1);
    EXPECT_STREQ(midi->midi_prefs.synthe[2], "MODELE-1");
    EXPECT_EQ(midi->midi_out_handle[1], out[0]);
    EXPECT_EQ(midi->midi_echo_handle[3], midi->midi_out_handle[3]) << "port 3's input echoes through port 3";
    midi.reset();
    EXPECT_EQ(read_file(prefs_path()), text);
}

TEST_F(Prefs, DamagedFilesFallBackToDefaults)
{
    struct Case {
        const char* text;
        short port1;
        const char* name1;
        short port2;
    } cases[] = {
        {"garbage\n", 0, "", 0},
        {"", 0, "", 0},
        {"1\n1 0000 0 0 0 0 0 \"GM-1\"\n2 0000 zz", 1, "GM-1", 0},
        {"1\n1 0000 0 9 0 0 0 \"AVERYLONGSYNTHNAME\"\n", 1, "AVERYLONG", 0},
        {"1\n1 0000 0 0 0 0 0 \"\"\n", 1, "", 0},
        {"7\n-4 0000 -2 -9 0 0 0 \"\"\n99 0000 99 99 0 0 0 \"\"\n", -4, "", 99},
    };
    for (auto& c : cases) {
        write_prefs(c.text);
        make_midi();
        EXPECT_EQ(midi->midi_prefs.port[1], c.port1) << c.text;
        EXPECT_STREQ(midi->midi_prefs.synthe[1], c.name1) << c.text;
        EXPECT_EQ(midi->midi_prefs.port[2], c.port2) << c.text;
        EXPECT_GE(midi->midi_prefs.cur_port, 1);
        EXPECT_LE(midi->midi_prefs.cur_port, 4);
        char note[3] = {static_cast<char>(0x90), 60, 1};
        for (short p = 1; p <= 4; p++)
            EXPECT_EQ(midi->midi_out(3, note, p), 1) << "a port without a device accepts and drops";
        midi.reset();
        application->midi = nullptr;
    }
}

TEST_F(Prefs, OverlongNameWordIsCutNotOverrun)
{
    write_prefs("1\n1 0000 0 0 0 0 0 \"" + std::string(300, 'N') + "\"\n");
    make_midi();
    EXPECT_STREQ(midi->midi_prefs.synthe[1], "NNNNNNNNN");
}

TEST_F(Prefs, PortsOnOneDeviceShareOneHandleClosedOnce)
{
    write_prefs("1\n1 0000 0 0 0 0 0 \"\"\n1 0000 0 0 0 0 0 \"\"\n0 0000 0 0 0 0 0 \"\"\n0 0000 0 0 0 0 0 \"\"\n");
    make_midi();
    EXPECT_EQ(midi->midi_out_handle[1], out[0]);
    EXPECT_EQ(midi->midi_out_handle[2], out[0]);
    midi->midi_quit(0);
    EXPECT_FALSE(out[0]->is_open());
    EXPECT_TRUE(out[0]->open()) << "closed exactly once, so it opens again";
    out[0]->close();
}

TEST_F(Prefs, AutoConfigRanksDevices)
{
    using platform::MidiRecordingDevice;
    struct Case {
        std::vector<short> techs;
        short chosen;
    } cases[] = {
        {{platform::MIDI_TECH_MAPPER, platform::MIDI_TECH_FMSYNTH, platform::MIDI_TECH_SWSYNTH}, 3},
        {{platform::MIDI_TECH_WAVETABLE, platform::MIDI_TECH_WAVETABLE}, 1},
        {{platform::MIDI_TECH_PORT, platform::MIDI_TECH_OTHER}, 1},
        {{platform::MIDI_TECH_OTHER}, 0},
        {{}, 0},
    };
    for (auto& c : cases) {
        platform::MidiDeviceList list;
        for (short t : c.techs)
            list.outputs.push_back(std::make_unique<MidiRecordingDevice>("d", t));
        platform::set_midi_devices(std::move(list));
        write_prefs(default_prefs);
        make_midi();
        midi->auto_config();
        EXPECT_EQ(midi->midi_prefs.port[1], c.chosen);
        EXPECT_STREQ(midi->midi_prefs.synthe[1], "GM-1");
        if (c.chosen) {
            EXPECT_EQ(midi->midi_prefs.echo[1], 1);
            EXPECT_NE(midi->midi_out_handle[1], nullptr);
            EXPECT_EQ(read_file(prefs_path()).substr(2, 2), std::to_string(c.chosen) + " ")
                << "the new settings are written at once";
        }
        midi.reset();
        application->midi = nullptr;
    }
}

TEST_F(Prefs, AutoConfigKeepsAChosenDeviceAndNames)
{
    write_prefs("1\n2 0000 0 0 0 0 0 \"---\"\n0 0000 0 0 0 0 0 \"\"\n0 0000 0 0 0 0 0 \"\"\n0 0000 0 0 0 0 0 \"\"\n");
    make_midi();
    midi->auto_config();
    EXPECT_EQ(midi->midi_prefs.port[1], 2);
    EXPECT_STREQ(midi->midi_prefs.synthe[1], "GM-1");
}

TEST_F(Prefs, ScoreModelAsksThePortsForTheirSynthesizers)
{
    write_prefs("1\n"
                "1 0000 0 0 0 0 0 \"MODELE-1\"\n"
                "2 0000 0 0 0 0 0 \"GM-1\"\n"
                "0 0000 0 0 0 0 0 \"\"\n"
                "0 0000 0 0 0 0 0 \"X\"\n");
    EXPECT_STREQ(synthe_port(1), "GM-1") << "no port layer yet: the default synthesizer";
    make_midi();
    EXPECT_STREQ(synthe_port(1), "MODELE-1");
    EXPECT_STREQ(synthe_port(2), "GM-1");
    EXPECT_STREQ(synthe_port(3), "");
    EXPECT_STREQ(synthe_port(4), "X");
    EXPECT_STREQ(synthe_port(0), "MODELE-1") << "any other port has port 1's";

    main_dir = const_cast<char*>(BRINDLECOT_BUILD_DATA);  // only read
    liberer_synthes();
    Ins ins;
    init_var_ins(&ins, 1);
    EXPECT_STREQ(ins.synthe, "MODELE-1") << "a new instrument takes port 1's synthesizer";
    liberer_synthes();
    main_dir = dir.data();  // the settings are written back into the test's own folder

    midi.reset();
    EXPECT_STREQ(synthe_port(1), "GM-1") << "the default again once the port layer is gone";
}
