// A score exported to WAV without a display through the synthesizer's loopback, as the audio
// export does: sox reads the file; it lasts as long as the music and its tail; the notes sound
// at their pitches and at their times.
#include "OfflineExport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "framework/AppFixture.h"
#include "framework/ProgramFiles.h"
#include "score/ScoreFixture.h"

namespace {

std::string run(const std::string& command)
{
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char line[256];
        while (fgets(line, sizeof line, p)) out += line;
        pclose(p);
    }
    return out;
}

// The left channel of a 16-bit stereo WAV file with a 44-byte header.
std::vector<float> left_channel(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    std::vector<float> out;
    for (size_t i = 44; i + 3 < bytes.size(); i += 4)
        out.push_back(static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8)) /
                      32768.0f);
    return out;
}

// The power of frequency f over samples [from, from + n) (Goertzel).
double power_at(const std::vector<float>& s, size_t from, size_t n, double f, double rate)
{
    const double w = 2 * M_PI * f / rate, c = 2 * std::cos(w);
    double a = 0, b = 0;
    for (size_t i = from; i < from + n && i < s.size(); i++) {
        const double x = s[i] + c * a - b;
        b = a;
        a = x;
    }
    return a * a + b * b - c * a * b;
}

class OfflineExport : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        folder = std::string(BRINDLECOT_TEST_OUTPUT) + "/offline-export";
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder + "/MISC");
        std::ofstream(folder + "/MISC/MIDIWIN.PFR") << kSynthOnPort1;
        saved_dir = main_dir;
        main_dir = folder.data();
    }
    void TearDown() override
    {
        main_dir = saved_dir;
        AppFixture::TearDown();
    }
    std::string folder;
    char* saved_dir = nullptr;
};

}  // namespace

TEST_F(OfflineExport, AMelodySoundsAtItsPitchesAndTimesAndTheFileHoldsItsTail)
{
    ASSERT_FALSE(run("command -v soxi").empty()) << "sox is needed";
    constexpr short kTempo = 60;  // a quarter lasts a second
    constexpr double kRate = 44100, kQuarter = 1.0;
    // C4, E4, G4, A4 in quarters, then a whole-measure rest: two measures of 4/4.
    struct Note {
        short y;
        double hz;
    } tune[] = {{32, 261.63}, {26, 329.63}, {20, 392.00}, {17, 440.00}};
    ScoreFixture score(1, 2);
    score.d->tempo = kTempo;
    score.clef(1, 1, 1);
    score.time(1, 1, 4, 4);
    for (const Note& n : tune) score.note(1, 1, n.y, 3);
    const std::string wav = folder + "/melody.wav";
    const OfflineExportResult r = export_offline(wav, kTempo);
    ASSERT_EQ(r.error, "");
    std::filesystem::copy_file(wav, std::string(BRINDLECOT_TEST_OUTPUT) + "/offline_export_melody.wav",
                               std::filesystem::copy_options::overwrite_existing);

    // sox: the format, and the music (two measures, 8 s, and the play's end) with its one-second
    // tail, to within one buffer of the recording.
    EXPECT_EQ(run("soxi -r '" + wav + "'"), "44100\n");
    EXPECT_EQ(run("soxi -c '" + wav + "'"), "2\n");
    EXPECT_EQ(run("soxi -b '" + wav + "'"), "16\n");
    double seconds = 0;
    ASSERT_EQ(std::sscanf(run("soxi -D '" + wav + "'").c_str(), "%lf", &seconds), 1);
    const double buffer_s = r.buffer_bytes / 4.0 / kRate;
    EXPECT_NEAR(seconds, r.music_ms / 1000.0, buffer_s) << "what was rendered is in the file";
    const double played = r.music_ms / 1000.0 - 1.0;
    EXPECT_GE(played, 2 * 4 * kQuarter) << "the whole music";
    // The play's own end (it stops on a later pass of its pump) comes a few seconds after the
    // last measure, more under the sanitizers: not counted here as music, only bounded.
    EXPECT_LT(played, 2 * 4 * kQuarter + 6.0) << "and no more than the play's end";

    // Each note: its onset, where the sound's sharp part (the change from one sample to the next)
    // grows most from one 2 ms frame to the next near the note's time; and in the note's first
    // 100 ms its pitch is the strongest of the four.
    const std::vector<float> s = left_channel(wav);
    ASSERT_GT(s.size(), static_cast<size_t>(4 * kRate));
    const size_t frame = static_cast<size_t>(0.002 * kRate);
    std::vector<double> sharp(s.size() / frame, 0.0);
    for (size_t i = 1; i < sharp.size() * frame; i++) sharp[i / frame] += (s[i] - s[i - 1]) * (s[i] - s[i - 1]);
    std::vector<double> onsets;
    for (size_t k = 0; k < std::size(tune); k++) {
        const double from = onsets.empty() ? 0 : onsets[0] + k * kQuarter - 0.1;
        const size_t first = std::max<size_t>(1, static_cast<size_t>(from * kRate) / frame);
        const size_t last = std::min(sharp.size(), first + static_cast<size_t>(0.3 * kRate) / frame);
        size_t best = first;
        for (size_t f = first; f < last; f++)
            if (sharp[f] - sharp[f - 1] > sharp[best] - sharp[best - 1]) best = f;
        onsets.push_back(best * frame / kRate);
        const double onset = onsets.back();
        const size_t body = static_cast<size_t>((onset + 0.01) * kRate), span = static_cast<size_t>(0.1 * kRate);
        const double own = power_at(s, body, span, tune[k].hz, kRate);
        for (size_t j = 0; j < std::size(tune); j++) {
            if (j != k) {
                EXPECT_GT(own, power_at(s, body, span, tune[j].hz, kRate)) << "note " << k << " against " << j;
            }
        }
    }
    // The play starts with the recording: each note at its time from the file's start. Rendered
    // offline, a note may come up to a few tens of milliseconds late (a real-time play places
    // them within the scheduler's step): 50 ms is allowed here.
    for (size_t k = 0; k < onsets.size(); k++) EXPECT_NEAR(onsets[k], k * kQuarter, 0.050) << "note " << k << " on its beat";
    std::printf("rendered %.2f s of music in %.2f s; onsets", r.music_ms / 1000.0, r.wall_s);
    for (double o : onsets) std::printf(" %.4f", o);
    std::printf("\n");
}
