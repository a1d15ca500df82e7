// The built-in synthesizer: a scale queued through the port layer, rendered into a WAV file
// on the virtual clock, is audible and lasts as long as the play.
#include "MidiFixture.h"

#include "platform/MidiSynth.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace {

// sox's "stat" figures of a sound file, by name.
double sox_stat(const std::string& path, const std::string& name)
{
    std::string cmd = "sox '" + path + "' -n stat 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return -1;
    std::string text;
    char line[256];
    while (std::fgets(line, sizeof line, p))
        text += line;
    pclose(p);
    size_t at = text.find(name + ":");
    if (at == std::string::npos)
        return -1;
    return std::strtod(text.c_str() + at + name.size() + 1, nullptr);
}

}  // namespace

class BuiltInSynth : public MidiFixture {
protected:
    void SetUp() override
    {
#if defined(__SANITIZE_THREAD__)
        GTEST_SKIP() << "FluidSynth loads its SoundFont with an OpenMP runtime that ThreadSanitizer cannot see into";
#endif
        MidiFixture::SetUp();
    }
};

TEST_F(BuiltInSynth, ScaleRendersAudibleWaveOfTheRightLength)
{
    ASSERT_FALSE(platform::midi_soundfont_path().empty()) << "a General MIDI SoundFont is installed";
    std::string wav = dir + "/scale.wav";
    platform::MidiDeviceList list;
    list.outputs.push_back(std::make_unique<platform::MidiSynthDevice>(wav));
    platform::set_midi_devices(std::move(list));
    write_prefs("1\n0 0000 0 0 0 0 0 \"\"\n0 0000 0 0 0 0 0 \"\"\n0 0000 0 0 0 0 0 \"\"\n0 0000 0 0 0 0 0 \"\"\n");
    make_midi();
    midi->auto_config();
    ASSERT_EQ(midi->midi_prefs.port[1], 1) << "the built-in synthesizer is chosen";
    midi->tempo = 120;
    char piano[4] = {static_cast<char>(0xC0), 0, 0, 0};
    midi->send(1, 0, 2, piano, 0);
    const int scale[8] = {60, 62, 64, 65, 67, 69, 71, 72};
    for (int i = 0; i < 8; i++) {
        send3(1, i * 480, 0x90, scale[i], 100);
        send3(1, i * 480 + 400, 0x80, scale[i], 0);
    }
    midi->run();
    run_until(4500);
    midi.reset();  // closing the port renders up to the clock's time

    EXPECT_NEAR(sox_stat(wav, "Length (seconds)"), 4.5, 0.01);
    EXPECT_GT(sox_stat(wav, "Maximum amplitude"), 0.01) << "not silent";
    EXPECT_GT(sox_stat(wav, "RMS     amplitude"), 0.001);
    // A picture of the scale for a person to look at: eight rising notes, half a second each.
    std::string png = dir + "/scale-spectrogram.png";
    std::system(("sox '" + wav + "' -n remix 1 rate 4k spectrogram -y 300 -x 600 -o '" + png + "'").c_str());
    EXPECT_EQ(access(png.c_str(), R_OK), 0);
}

TEST_F(BuiltInSynth, LivePortStartsWithoutAudioDevice)
{
    platform::MidiDeviceList list;
    list.outputs.push_back(std::make_unique<platform::MidiSynthDevice>());
    platform::set_midi_devices(std::move(list));
    write_prefs("1\n1 0000 0 0 0 0 0 \"GM-1\"\n0 0000 0 0 0 0 0 \"\"\n0 0000 0 0 0 0 0 \"\"\n0 0000 0 0 0 0 0 \"\"\n");
    make_midi();
    ASSERT_NE(midi->midi_out_handle[1], nullptr);
    char note[3] = {static_cast<char>(0x90), 60, 100};
    EXPECT_EQ(midi->midi_out(3, note, 1), 1);
    midi->reset_midi_out(1, 1);
    auto* synth = static_cast<platform::MidiSynthDevice*>(midi->midi_out_handle[1]);
    EXPECT_NE(synth->destination().find("synth"), std::string::npos);
}

TEST_F(BuiltInSynth, FreshProgramDirectoryPlaysIntoTheBuiltInSynthesizer)
{
    platform::set_midi_devices(platform::midi_default_devices());
    make_midi();
    EXPECT_EQ(midi->midi_out_handle[1], nullptr) << "a new settings file names no device";
    midi->auto_config();
    ASSERT_NE(midi->midi_out_handle[1], nullptr);
    EXPECT_EQ(midi->midi_out_handle[1], platform::midi_out_device(0));
    EXPECT_EQ(platform::midi_out_device(0)->technology(), platform::MIDI_TECH_WAVETABLE);
    EXPECT_STREQ(midi->midi_prefs.synthe[1], "GM-1");
    send3(1, 0, 0x90, 60, 100);
    midi->run();
    midi.reset();
    std::ifstream f(prefs_path());
    std::string first, second;
    std::getline(f, first);
    std::getline(f, second);
    EXPECT_EQ(second, "1 0000 0 1 0 0 0 \"GM-1\"");
}

TEST_F(BuiltInSynth, LiveSynthesizerLooksForSoundQuietly)
{
    // Without the headless setting the synthesizer tries the sound server, then ALSA; on a
    // machine without either, only its own line may reach the standard error.
    std::string saved = std::getenv("BRINDLECOT_HEADLESS") ? std::getenv("BRINDLECOT_HEADLESS") : "";
    unsetenv("BRINDLECOT_HEADLESS");
    std::string errors = dir + "/stderr.txt";
    std::fflush(stderr);
    int kept = dup(2);
    FILE* f = std::fopen(errors.c_str(), "w");
    dup2(fileno(f), 2);
    {
        platform::MidiSynthDevice synth;
        EXPECT_TRUE(synth.open());
        EXPECT_EQ(synth.short_msg(0x90 | 60 << 8 | 1 << 16), 0);
        synth.close();
    }
    std::fflush(stderr);
    dup2(kept, 2);
    close(kept);
    std::fclose(f);
    if (!saved.empty())
        setenv("BRINDLECOT_HEADLESS", saved.c_str(), 1);
    std::ifstream in(errors);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text.find("ALSA lib"), std::string::npos) << text;
}
