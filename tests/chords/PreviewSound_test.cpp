// The assistant heard: a chord chosen in the grid and a variation of the default style previewed
// through the built-in synthesizer rendered into a WAV file on the virtual clock. sox reads the
// file back: it is not silent, and the pitch classes that sound strongest are the chord's.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "chords/CComposer.h"
#include "framework/AppFixture.h"
#include "framework/CUserPanel.h"
#include "framework/MessageBoxes.h"
#include "framework/ProgramFiles.h"
#include "midi/CMidi.h"
#include "platform/MidiClock.h"
#include "platform/MidiSynth.h"
#include "platform/TempFolder.h"
#include "score/MusicClasses.h"
#include "support/ChordNoteNames.h"

namespace fs = std::filesystem;

namespace {

std::string run(const std::string& command)
{
    std::string text;
    if (FILE* p = popen(command.c_str(), "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, p)) text += line;
        pclose(p);
    }
    return text;
}

double sox_stat(const std::string& wav, const std::string& name)
{
    const std::string text = run("sox '" + wav + "' -n stat 2>&1");
    const size_t at = text.find(name + ":");
    return at == std::string::npos ? -1 : std::strtod(text.c_str() + at + name.size() + 1, nullptr);
}

// The energy of each pitch class over MIDI notes 36 to 95 (Goertzel filters on the samples sox
// gives as 8 kHz mono 16-bit).
std::array<double, 12> pitch_class_energy(const std::string& wav, const std::string& raw)
{
    std::system(("sox '" + wav + "' -t raw -r 8000 -c 1 -b 16 -e signed-integer '" + raw + "' remix -").c_str());
    std::ifstream f(raw, std::ios::binary);
    std::vector<int16_t> samples;
    int16_t s;
    while (f.read(reinterpret_cast<char*>(&s), sizeof s)) samples.push_back(s);
    std::array<double, 12> energy{};
    for (int note = 36; note < 96; note++) {
        const double freq = 440.0 * std::pow(2.0, (note - 69) / 12.0);
        const double w = 2 * M_PI * freq / 8000.0, coeff = 2 * std::cos(w);
        double total = 0;
        // Blocks of a quarter of a second.
        for (size_t start = 0; start + 2000 <= samples.size(); start += 2000) {
            double s1 = 0, s2 = 0;
            for (size_t i = start; i < start + 2000; i++) {
                const double s0 = samples[i] + coeff * s1 - s2;
                s2 = s1;
                s1 = s0;
            }
            total += s1 * s1 + s2 * s2 - coeff * s1 * s2;
        }
        energy[note % 12] += total;
    }
    return energy;
}

class PreviewSound : public AppFixture {
protected:
    void SetUp() override
    {
#if defined(__SANITIZE_THREAD__)
        GTEST_SKIP() << "FluidSynth loads its SoundFont with an OpenMP runtime that ThreadSanitizer cannot see into";
#endif
        AppFixture::SetUp();
        // The program folder of the build, with MIDI settings of the test's own.
        const fs::path built = fs::path(BRINDLECOT_BUILD_DATA) / "misc";
        const fs::path misc = fs::path(tree.path()) / "misc";
        fs::create_directories(misc);
        for (const auto& e : fs::directory_iterator(built))
            if (e.path().filename() != "MIDIWIN.PFR") fs::create_symlink(e.path(), misc / e.path().filename());
        std::ofstream(misc / "MIDIWIN.PFR") << "1\n0 0000 0 0 0 0 0 \"\"\n0 0000 0 0 0 0 0 \"\"\n"
                                               "0 0000 0 0 0 0 0 \"\"\n0 0000 0 0 0 0 0 \"\"\n";
        saved_main_dir = main_dir;
        main_dir = strdup(tree.path().c_str());
        init_music_classes();
        platform::set_midi_clock(&clock);
        wav = std::string(BRINDLECOT_TEST_OUTPUT) + "/assistant_preview.wav";
        platform::MidiDeviceList list;
        list.outputs.push_back(std::make_unique<platform::MidiSynthDevice>(wav));
        platform::set_midi_devices(std::move(list));
        midi = std::make_unique<CMidi>();
        // The test runs the scheduler and the preview's steps itself, on the virtual clock: the
        // timer's own thread must not step the preview at the same time.
        application->timer.remove_timer_task(run_midi);
        application->timer.drive_from_outside();
        application->midi = midi.get();
        midi->auto_config();
    }
    void TearDown() override
    {
        delete composer;
        midi.reset();
        if (application) application->midi = nullptr;
        platform::set_midi_clock(nullptr);
        quit_music_classes();
        chord_note_names_environment->SetUp();
        std::free(main_dir);
        main_dir = saved_main_dir;
        AppFixture::TearDown();
    }
    // Runs the preview's step and the scheduler every 5 ms up to `ms`.
    void play_until(int32_t ms)
    {
        for (int32_t t = clock.now_ms() + 5; t <= ms; t += 5) {
            clock.set(t);
            composer->jeu();
            midi->run();
            composer->periodic();
        }
    }
    void press(CUserPanel* p, short x, short y)
    {
        Event e;
        e.type = EvPress;
        e.flags = EvfLeft;
        e.x = x;
        e.y = y;
        p->event_handler(p, &e);
    }

    TempFolder tree;
    char* saved_main_dir = nullptr;
    platform::MidiVirtualClock clock;
    std::unique_ptr<CMidi> midi;
    std::string wav;
};

TEST_F(PreviewSound, TheVariationSoundsOnTheChosenChord)
{
    ASSERT_FALSE(platform::midi_soundfont_path().empty()) << "a General MIDI SoundFont is installed";
    ASSERT_EQ(midi->midi_prefs.port[1], 1) << "the built-in synthesizer is port 1";
    new CComposer(kComposerFreeDialog);
    ASSERT_NE(composer->current_style(), nullptr);
    // "Accords de base": cell 5 of the first row is G.
    press(composer->upchords, (short)(kGridLeft + 4 * 58 + 20), (short)(kGridTop + 5));
    ASSERT_EQ(composer->current_chord(), 5);
    // The style panel's cell 2 ("Couplet A"): the preview starts.
    press(composer->upstyle, (short)(2 * 106 + 20), 7);
    EXPECT_EQ(composer->preview().state().cur_var, (std::vector<short>{2}));
    play_until(8000);
    midi.reset();  // renders what the clock has reached
    application->midi = nullptr;

    const std::string soxi = run("soxi -D '" + wav + "' 2>&1");
    EXPECT_NEAR(std::strtod(soxi.c_str(), nullptr), 8.0, 0.1) << soxi;
    EXPECT_GT(sox_stat(wav, "Maximum amplitude"), 0.05) << "not silent";
    const std::array<double, 12> energy = pitch_class_energy(wav, std::string(BRINDLECOT_TEST_OUTPUT) + "/assistant_preview.raw");
    std::array<int, 12> order;
    for (int i = 0; i < 12; i++) order[i] = i;
    std::sort(order.begin(), order.end(), [&](int a, int b) { return energy[a] > energy[b]; });
    std::string ranking;
    for (int pc : order) ranking += std::to_string(pc) + " ";
    // Each note of G major (G 7, B 11, D 2) sounds stronger than the two pitch classes a
    // semitone away, so the chord is not F♯, G♯, B♭, C, C♯ or E♭ of any quality. (Which overtones
    // rank next depends on the SoundFont installed, so a plain top three is not asked for.)
    for (int pc : {7, 11, 2})
        for (int neighbour : {(pc + 11) % 12, (pc + 1) % 12})
            EXPECT_GT(energy[pc], energy[neighbour])
                << "pitch class " << pc << " over " << neighbour << " in " << ranking;
    std::system(("sox '" + wav + "' -n remix 1 rate 4k spectrogram -y 300 -x 600 -o '" + std::string(BRINDLECOT_TEST_OUTPUT) +
                 "/assistant_preview_spectrogram.png'")
                    .c_str());
}

}  // namespace
