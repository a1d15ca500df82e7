// A style played under a chord progression on the virtual clock: every pitched note it sends
// is a tone of the chord of its measure, and through the built-in synthesizer the play renders
// to a sound file that is not silent and lasts as long as the measures played.
#include "MidiFixture.h"
#include "support/ChordNoteNames.h"

#include "midi/CStyleFile.h"
#include "platform/MidiSynth.h"
#include "score/CChord.h"
#include "score/CChordProgression.h"

#include <cstdio>
#include <cstdlib>
#include <set>
#include <unistd.h>

namespace {

// sox's "stat" figure of a sound file, by name; -1 when there is none.
double sox_stat(const std::string& path, const std::string& name) {
    FILE* p = popen(("sox '" + path + "' -n stat 2>&1").c_str(), "r");
    if (!p) return -1;
    std::string text;
    char line[256];
    while (std::fgets(line, sizeof line, p)) text += line;
    pclose(p);
    size_t at = text.find(name + ":");
    return at == std::string::npos ? -1 : std::strtod(text.c_str() + at + name.size() + 1, nullptr);
}

}  // namespace

class StyleUnderChords : public MidiFixture {
protected:
    void SetUp() override {
        MidiFixture::SetUp();
        chord_note_names_environment->SetUp();  // another test of the program may have changed them
        const char* names[] = {"C", "Am", "F", "G7"};
        for (short m = 1; m <= 4; m++) {
            CChord chord;
            std::string name = names[m - 1];
            ASSERT_EQ(chord.set_chord_name(name.data()), 1);
            progression.set_chord(m, 0, &chord);
        }
    }

    // Plays variation `var` of the style once, the chord of each measure arranged when the
    // measure begins, the scheduler run every 5 ms of the virtual clock; the length in ms.
    int32_t play(CStyleFile* style, short var) {
        CArrayInt vars;
        vars.add(var);
        midi->tempo = style->start(&vars);
        const int32_t length = style->get_length(var);
        const int32_t measure = length / style->get_variation(var)->tot_mes;
        int32_t t0 = midi->time_unit, ms = clock.now_ms(), arranged = 0;
        for (;;) {
            int32_t when = midi->time_unit - t0;
            short m = (short)std::min<int32_t>(when / measure + 1, style->get_variation(var)->tot_mes);
            if (m != arranged) {
                style->arranger(progression.get_chord(progression.get_chord_index(m, 0, 0)));
                arranged = m;
            }
            style->play_upto(&vars, when);
            if (when > length) break;
            clock.set(ms += 5);
            midi->run();
        }
        return ms;
    }

    CChordProgression progression;
};

TEST_F(StyleUnderChords, EveryPitchedNoteIsAToneOfItsMeasuresChord) {
    write_prefs();
    make_midi();
    midi->run();
    for (const char* name : {"Pop", "Valse", "Swing", "Bossa"}) {
        SCOPED_TRACE(name);
        CStyleFile style;
        ASSERT_EQ(style.load_from_folder((std::string(BRINDLECOT_BUILD_DATA) + "/misc/Styles").c_str(), name), 1);
        out[0]->clear();
        const int32_t start_ms = clock.now_ms();
        const short var = 3;
        CArrayInt vars;
        vars.add(var);
        const int tempo = style.start(&vars);
        const int32_t measure_ms = style.get_length(var) / style.get_variation(var)->tot_mes * 60000 / 480 / tempo;
        play(&style, var);
        const std::set<int> tones[4] = {{0, 4, 7}, {9, 0, 4}, {5, 9, 0}, {7, 11, 2, 5}};
        int notes = 0, drums = 0;
        std::set<int> channels;
        for (const auto& m : out[0]->log()) {
            if (m.sysex || (m.bytes[0] & 0xF0) != 0x90 || m.bytes[2] == 0) continue;
            if ((m.bytes[0] & 0x0F) == 9) {
                drums++;
                continue;
            }
            // Notes go out a scheduler pass after they fall due, never before.
            int measure = std::min<int32_t>((m.ms - start_ms - 1) / measure_ms, 3);
            EXPECT_EQ(tones[measure].count(m.bytes[1] % 12), 1u)
                << "pitch " << (int)m.bytes[1] << " in measure " << measure + 1;
            channels.insert(m.bytes[0] & 0x0F);
            notes++;
        }
        EXPECT_GT(notes, 20);
        EXPECT_GT(drums, 10);
        EXPECT_EQ(channels.size(), 3u) << "three pitched instruments";
        style.stop();
    }
}

TEST_F(StyleUnderChords, RendersThroughTheBuiltInSynthesizer) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "FluidSynth loads its SoundFont with an OpenMP runtime that ThreadSanitizer cannot see into";
#endif
    ASSERT_FALSE(platform::midi_soundfont_path().empty()) << "a General MIDI SoundFont is installed";
    std::string wav = dir + "/pop-couplet.wav";
    platform::MidiDeviceList list;
    list.outputs.push_back(std::make_unique<platform::MidiSynthDevice>(wav));
    platform::set_midi_devices(std::move(list));
    write_prefs("1\n1 0000 0 0 0 0 0 \"GM-1\"\n0 0000 0 0 0 0 0 \"\"\n0 0000 0 0 0 0 0 \"\"\n0 0000 0 0 0 0 0 \"\"\n");
    make_midi();
    CStyleFile style;
    ASSERT_EQ(style.load_from_folder((std::string(BRINDLECOT_BUILD_DATA) + "/misc/Styles").c_str(), "Pop"), 1);
    style.send_config(100);
    midi->run();
    int32_t ms = play(&style, 2);
    midi.reset();  // closing the port renders up to the clock's time

    // Four measures of 4/4 at 100 to the quarter note: 9.6 seconds.
    EXPECT_NEAR(ms, 9600, 10);
    EXPECT_NEAR(sox_stat(wav, "Length (seconds)"), 9.6, 0.05);
    EXPECT_GT(sox_stat(wav, "Maximum amplitude"), 0.05) << "not silent";
    EXPECT_GT(sox_stat(wav, "RMS     amplitude"), 0.01);
    std::string png = dir + "/pop-couplet-spectrogram.png";
    std::system(("sox '" + wav + "' -n remix 1 rate 8k spectrogram -y 400 -x 960 -t 'Pop, Couplet: C Am F G7' -o '" +
                 png + "'").c_str());
    EXPECT_EQ(access(png.c_str(), R_OK), 0);
}
