#pragma once
// The built-in General MIDI synthesizer: FluidSynth with a General MIDI SoundFont from the
// system. It plays to the sound server or to ALSA when one answers, and silently otherwise;
// a second form renders into a WAV file, in step with the MIDI clock, for checks by ear or sox.
// With BRINDLECOT_MIDI_LOG naming a file, every short message it receives is also appended to
// that file as a line "milliseconds status data1 data2" (decimal), for checks of what was heard.

#include "platform/MidiDevices.h"

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_audio_driver_t;
struct _fluid_file_renderer_t;

namespace platform {

// The SoundFont the synthesizer loads: the larger Fluid set when installed, else TimGM6mb;
// empty when none is found.
std::string midi_soundfont_path();

class MidiSynthDevice : public MidiOutDevice {
public:
    // Plays live (no audio driver when BRINDLECOT_HEADLESS is set or none answers).
    MidiSynthDevice();
    // Renders into a WAV file at 44,100 Hz: each message sounds at the MIDI clock's time.
    explicit MidiSynthDevice(const std::string& wav_path);
    ~MidiSynthDevice() override;

    const char* name() const override;
    short technology() const override { return MIDI_TECH_WAVETABLE; }
    int short_msg(uint32_t msg) override;
    int long_msg(const unsigned char* data, int len) override;
    void reset() override;

    // File form: renders the sound up to that clock time (milliseconds).
    void render_until(int32_t ms);
    // The loopback of the sound: while a tap is attached, the live audio driver is let go and
    // the sound is pulled by render_s16 instead, at 44,100 Hz, stereo, interleaved (silence
    // when the synthesizer did not start), each sample times `gain` and held to the 16-bit
    // range. Any thread; messages and pulls take the same lock.
    void attach_tap();
    void detach_tap();
    void render_s16(int16_t* out, int frames, float gain = 1.0f);
    static constexpr int kTapRate = 44100;

    // Where the sound goes, in words for the user (UTF-8).
    std::string destination() const;

protected:
    bool do_open() override;
    void do_close() override;

private:
    void render_to_now();
    void start_live_driver();  // under lock

    std::string wav_path;
    std::string driver_name;  // the audio driver that answered; empty when none
    mutable std::mutex lock;
    _fluid_hashtable_t* settings = nullptr;
    _fluid_synth_t* synth = nullptr;
    _fluid_audio_driver_t* driver = nullptr;
    _fluid_file_renderer_t* renderer = nullptr;
    int64_t frames_done = 0;   // file form: frames rendered so far
    int32_t start_ms = 0;      // file form: clock time of frame 0
    int period = 64;           // frames per rendered block
    int taps = 0;              // loopbacks attached (under lock)
    std::vector<float> tap_samples;  // under lock
    std::FILE* message_log = nullptr;  // under lock
};

}  // namespace platform
