// Cost of an audio export: a three-minute band score (45 measures of 4/4 at 60 to the quarter:
// a melody, block chords, a bass and a drum part on channel 10) exported as a WAV file at
// 44.1 kHz, 16 bits, stereo, the way "Exporter en AUDIO..." does it through the built-in
// synthesizer's loopback: the play manager plays the score, the offline drive runs the play
// clock from the frames rendered, the audio worker hands each recorded buffer to the export's
// callback, which writes it to the file; one second of tail. Reported: the music's duration
// against the wall clock (how many times faster than real time), and as the peer figure the
// synthesizer's own file renderer (`fluidsynth -F`, same SoundFont, reverb and chorus off as in
// the program) on the same score exported as a MIDI file, with the core count and the load.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "score/ScoreBuilder.h"
#include "HeadlessApplication.h"
#include "audio/CAudioFile.h"
#include "audio/CAudioManager.h"
#include "audio/ExportAudio.h"
#include "audio/OfflineDrive.h"
#include "audio/SynthLoopback.h"
#include "midi/CMidi.h"
#include "midi/MidiExport.h"
#include "midi/PlayRecordManager.h"
#include "platform/MidiSynth.h"
#include "score/MusicClasses.h"
#include "score/MusicSettings.h"

namespace {

constexpr short kStaves = 4, kMeasures = 45, kTempo = 60;
constexpr int32_t kTailMs = 1000;
constexpr int32_t kDriveBudgetMs = 50;
constexpr double kMusicSeconds = kMeasures * 4 * 60.0 / kTempo;

// Melody in quarters, chords in halves, bass in halves, drums in eighths (staff 4 on channel 10).
void fill_band(ScoreBuilder& score) {
    Document* d = score.d;
    d->tempo = kTempo;
    for (short p = 1; p <= kStaves; p++) {
        d->ins[p].canal = p == 4 ? 10 : p;
        score.clef(1, p, p == 3 ? 2 : 1);
        score.time(1, p, 4, 4);
    }
    for (short m = 1; m <= kMeasures; m++) {
        for (short beat = 0; beat < 4; beat++) score.note(m, 1, (short)(8 + 3 * ((m + beat) % 5)), 3);
        for (short half = 0; half < 2; half++) score.chord(m, 2, {20, 14, 8}, 2);
        for (short half = 0; half < 2; half++) score.note(m, 3, (short)(m % 2 ? 20 : 14), 2);
        for (short eighth = 0; eighth < 8; eighth++) score.note(m, 4, (short)(eighth % 2 ? 17 : 23), 4);
    }
}

void pump_play() {
    if (mpr && mpr->get_cur_play_mes()) mpr->play_temps_reel();
}

double load_average() {
    double one = 0;
    if (FILE* f = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(f, "%lf", &one) != 1) one = 0;
        std::fclose(f);
    }
    return one;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The WAV file's duration as sox reads it; 0 when it cannot be read.
double wav_seconds(const std::string& path) {
    double seconds = 0;
    if (FILE* p = popen(("soxi -D '" + path + "' 2>/dev/null").c_str(), "r")) {
        if (std::fscanf(p, "%lf", &seconds) != 1) seconds = 0;
        pclose(p);
    }
    return seconds;
}

void BM_ExportThreeMinutesToWav(benchmark::State& state) {
    HeadlessApplication app;
    const std::string dir = "/tmp/brindlecot-bench-audio-" + std::to_string(getpid());
    std::system(("mkdir -p " + dir + "/MISC && printf '1\\n1 0000 0 0 0 0 0 \"GM-1\"\\n' > " + dir +
                 "/MISC/MIDIWIN.PFR").c_str());
    main_dir = const_cast<char*>(dir.c_str());
    const std::string wav = dir + "/band.wav", mid = dir + "/band.mid", peer_wav = dir + "/peer.wav";
    double export_s = 0, peer_s = 0, exported_s = 0;
    for (auto _ : state) {
        ScoreBuilder score(kStaves, kMeasures);
        fill_band(score);
        auto midi = std::make_unique<CMidi>();
        application->midi = midi.get();
        midi->tempo = kTempo;
        auto manager = std::make_unique<CPlayRecordManager>();
        mpr = manager.get();
        manager->id = manager->sub_id = 1;
        manager->compter = 0;
        CAudioManager audio;
        if (!audio.open()) {
            state.SkipWithError("the wave devices do not open");
            break;
        }
        auto* loopback = dynamic_cast<SynthLoopbackInput*>(audio.input_device());
        if (!loopback) {
            state.SkipWithError("the standard input is not the synthesizer's loopback");
            break;
        }
        AudioExport shared;
        shared.recording = audio.format();
        CAudioFile file;
        if (!file.Create(wav.c_str(), 44100, 16, 2, 0)) {
            state.SkipWithError("the WAV file cannot be created");
            break;
        }

        const auto start = std::chrono::steady_clock::now();
        shared.file.store(&file);
        audio.start_recording(&AudioExport::record, &shared);
        OfflineDrive drive(loopback, &application->timer, pump_play);
        drive.begin();
        manager->play_but = 1;
        manager->play(0);
        while (manager->get_play_but()) drive.advance(kDriveBudgetMs);
        for (int32_t left = kTailMs; left > 0;) left -= drive.advance(kDriveBudgetMs, left);
        audio.stop_recording();
        audio.wait_recording_stopped(60000);
        drive.end();
        shared.file.store(nullptr);
        file.write_data(nullptr, 0, true, 44100, 2, 16);
        file.Close();
        export_s = seconds_since(start);
        state.SetIterationTime(export_s);
        exported_s = wav_seconds(wav);

        // The peer: the same score as a MIDI file (a track a staff), rendered by the synthesizer.
        const char* why = nullptr;
        if (exporter_midi_document(score.d, mid.c_str(), 3, &why) != 1) {
            state.SkipWithError("the MIDI export failed");
            break;
        }
        const std::string render = "fluidsynth -ni -q -R 0 -C 0 -r 44100 -F '" + peer_wav + "' '" +
                                   platform::midi_soundfont_path() + "' '" + mid + "' >/dev/null 2>&1";
        const auto peer_start = std::chrono::steady_clock::now();
        const int rc = std::system(render.c_str());
        peer_s = seconds_since(peer_start);
        if (rc != 0) state.SkipWithError("fluidsynth -F did not render the MIDI file");

        audio.stop();
        mpr = nullptr;
        application->midi = nullptr;
    }
    state.counters["music_s"] = kMusicSeconds;
    state.counters["wav_s"] = exported_s;
    state.counters["export_s"] = export_s;
    state.counters["times_real_time"] = export_s > 0 ? kMusicSeconds / export_s : 0;
    state.counters["peer_s"] = peer_s;
    state.counters["peer_times_real_time"] = peer_s > 0 ? kMusicSeconds / peer_s : 0;
    state.counters["peer_wav_s"] = wav_seconds(peer_wav);
    state.counters["cores"] = std::thread::hardware_concurrency();
    state.counters["load_1min"] = load_average();
    main_dir = nullptr;
    std::system(("rm -rf " + dir).c_str());
}

}  // namespace

BENCHMARK(BM_ExportThreeMinutesToWav)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
