#pragma once
// The audio export ("Exporter en AUDIO..."): plays the open score and records the sound of the
// wave input into a WAV file, with the chosen format and gains, and two level meters.
//
// The road: the command asks for the file, opens its dialog and starts recording at once so
// that the meters show the input; Export creates the file and starts the play; the audio
// worker hands each recorded buffer to `AudioExport::record`, which applies the gains,
// measures the peaks and appends the block, converted, to the file; the export ends when the
// user stops it or when the play ends, after one more second of recording. Through the
// built-in synthesizer's loopback the whole export runs on an offline drive (OfflineDrive.h),
// as fast as the machine renders.
//
// The state the worker and the GUI thread share is an `AudioExport`: atomics only, the file
// handed over after `Create` and taken back after the worker has stopped recording.

#include "audio/CAudioFile.h"

#include <atomic>
#include <cstdint>
#include <string>

class CAudioManager;

// The file to write: ".wav" is appended unless the file's own name ends with ".wav" or
// ".WAV" (a folder named "x.wav" does not count).
std::string wav_file_path(const std::string& chosen);

// One sample scaled by `percent`, truncated toward zero and held to the sample's range.
int32_t gained_16(int32_t sample, int32_t percent);
int32_t gained_8(int32_t sample, int32_t percent);  // unsigned, 128 the zero
// Scales a buffer in place: the left gain on left (and mono) samples, the right on right.
void apply_gains(unsigned char* buffer, int32_t bytes, const PcmFormat& format, int32_t left_percent,
                 int32_t right_percent);
// The peak of each channel in the 16-bit range (8-bit samples scaled up; mono on both).
void measure_peaks(const unsigned char* buffer, int32_t bytes, const PcmFormat& format, int32_t* left,
                   int32_t* right);
// A meter's value in percent of full scale.
short meter_value(int32_t peak);
// The file format of the dialog's popups: rate entry 1-3, channel entry 1-2, bits entry 1-2.
PcmFormat export_file_format(short rate_entry, short channels_entry, short bits_entry);

class AudioExport {
public:
    // The recording callback (on the audio worker): gains, peaks, then the file when set.
    static int32_t record(void* self, short* buffer, int32_t bytes);

    PcmFormat recording;  // the manager's format; set before recording starts
    std::atomic<int32_t> gain_left{100}, gain_right{100};
    std::atomic<int32_t> peak_left{0}, peak_right{0};
    std::atomic<CAudioFile*> file{nullptr};
    std::atomic<int64_t> bytes_recorded{0};
};

// The menu command: on the front view's score, with the program's wave device manager.
void exporter_audio();
