#pragma once
// The open score (the global `doc`) exported to a WAV file without a display, the way
// "Exporter en AUDIO..." does it through the built-in synthesizer's loopback: the play manager
// plays the score, an offline drive runs the play clock from the frames rendered, the audio
// worker hands each recorded buffer to the export's callback, which writes the file; one second
// of tail follows the play. The caller provides the application object and a program folder
// (`main_dir`) whose MIDI settings put port 1 on the synthesizer.

#include <chrono>
#include <memory>
#include <string>

#include "audio/CAudioFile.h"
#include "audio/CAudioManager.h"
#include "audio/ExportAudio.h"
#include "audio/OfflineDrive.h"
#include "audio/SynthLoopback.h"
#include "framework/CApplication.h"
#include "midi/CMidi.h"
#include "midi/PlayRecordManager.h"
#include "score/MusicClasses.h"

struct OfflineExportResult {
    std::string error;    // empty when the file was written
    double wall_s = 0;    // from the start of the recording to the file closed
    int64_t music_ms = 0; // music rendered, the tail included
    uint32_t buffer_bytes = 0;
};

// The MIDI settings that put port 1 on the built-in synthesizer, for `main_dir`'s "MISC".
constexpr char kSynthOnPort1[] = "1\n1 0000 0 0 0 0 0 \"GM-1\"\n";

inline OfflineExportResult export_offline(const std::string& wav, short tempo, PcmFormat format = {44100, 2, 16})
{
    constexpr int32_t kTailMs = 1000, kBudgetMs = 50, kStopMs = 60000;
    OfflineExportResult r;
    auto midi = std::make_unique<CMidi>();
    application->midi = midi.get();
    midi->tempo = tempo;
    auto manager = std::make_unique<CPlayRecordManager>();
    CPlayRecordManager* kept = mpr;
    mpr = manager.get();
    manager->id = manager->sub_id = 1;
    manager->compter = 0;
    CAudioManager audio;  // records at its defaults; the file converts to `format`
    const auto finish = [&](const char* error) {
        if (error) r.error = error;
        audio.stop();
        mpr = kept;
        application->midi = nullptr;
        return r;
    };
    if (!audio.open()) return finish("the wave devices do not open");
    r.buffer_bytes = audio.inBufferSize;
    auto* loopback = dynamic_cast<SynthLoopbackInput*>(audio.input_device());
    if (!loopback) return finish("the standard input is not the synthesizer's loopback");
    AudioExport shared;
    shared.recording = audio.format();
    CAudioFile file;
    if (!file.Create(wav.c_str(), format.rate, static_cast<uint16_t>(format.bits), static_cast<uint16_t>(format.channels), 0))
        return finish("the WAV file cannot be created");

    const auto start = std::chrono::steady_clock::now();
    shared.file.store(&file);
    if (!audio.start_recording(&AudioExport::record, &shared)) return finish("the recording does not start");
    OfflineDrive drive(loopback, &application->timer, [] {
        if (mpr && mpr->get_cur_play_mes()) mpr->play_temps_reel();
    });
    drive.begin();
    manager->play_but = 1;
    manager->play(0);
    while (manager->get_play_but()) drive.advance(kBudgetMs);
    for (int32_t left = kTailMs; left > 0;) left -= drive.advance(kBudgetMs, left);
    audio.stop_recording();
    audio.wait_recording_stopped(kStopMs);
    r.music_ms = drive.music_ms();
    drive.end();
    shared.file.store(nullptr);
    const PcmFormat recorded = audio.format();
    file.write_data(nullptr, 0, true, static_cast<int32_t>(recorded.rate), static_cast<short>(recorded.channels),
                    static_cast<short>(recorded.bits));
    const bool closed = file.Close() && !file.failed();
    r.wall_s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return finish(closed ? nullptr : "the WAV file was not written whole");
}
