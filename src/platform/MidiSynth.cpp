#include "platform/MidiSynth.h"

#include "platform/MidiClock.h"

#include <alsa/asoundlib.h>
#include <fluidsynth.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {

const int sample_rate = 44100;

// FluidSynth's own complaints (a missing sound server, for one) and those of the ALSA library
// it tries next (no sound card) are not the user's business: the device says once where the
// sound goes instead.
void quiet_log(int, const char*, void*) {}
void quiet_alsa(const char*, int, const char*, int, const char*, ...) {}

void silence_fluidsynth()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
            fluid_set_log_function(level, quiet_log, nullptr);
        snd_lib_error_set_handler(quiet_alsa);
    });
}

void tell_destination_once(const std::string& where)
{
    static std::once_flag once;
    std::call_once(once, [&] { std::fprintf(stderr, "Brindlecot : %s\n", where.c_str()); });
}

}  // namespace

std::string midi_soundfont_path()
{
    for (const char* path : {"/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2",
                             "/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/soundfonts/default.sf2"}) {
        if (access(path, R_OK) == 0)
            return path;
    }
    return std::string();
}

MidiSynthDevice::MidiSynthDevice() = default;

MidiSynthDevice::MidiSynthDevice(const std::string& path) : wav_path(path) {}

MidiSynthDevice::~MidiSynthDevice()
{
    close();
}

const char* MidiSynthDevice::name() const
{
    return "Synth\xE9tiseur GM int\xE9gr\xE9";
}

std::string MidiSynthDevice::destination() const
{
    if (!wav_path.empty())
        return "le son MIDI est rendu dans le fichier " + wav_path;
    if (!synth)
        return "le synthétiseur intégré n'a pas pu démarrer : le son MIDI est perdu";
    if (driver_name.empty())
        return "le son MIDI va au synthétiseur intégré, sans sortie audio (rien ne s'entend)";
    return "le son MIDI va au synthétiseur intégré, sortie audio " + driver_name;
}

bool MidiSynthDevice::do_open()
{
    std::lock_guard<std::mutex> g(lock);
    silence_fluidsynth();
    settings = new_fluid_settings();
    fluid_settings_setnum(settings, "synth.sample-rate", sample_rate);
    fluid_settings_setint(settings, "synth.reverb.active", 0);
    fluid_settings_setint(settings, "synth.chorus.active", 0);
    if (!wav_path.empty()) {
        fluid_settings_setstr(settings, "audio.file.name", wav_path.c_str());
        fluid_settings_setstr(settings, "audio.file.type", "wav");
        fluid_settings_getint(settings, "audio.period-size", &period);
    }
    synth = new_fluid_synth(settings);
    std::string sf = midi_soundfont_path();
    if (synth && !sf.empty())
        fluid_synth_sfload(synth, sf.c_str(), 1);
    if (synth && !wav_path.empty()) {
        renderer = new_fluid_file_renderer(synth);
        frames_done = 0;
        start_ms = midi_clock()->now_ms();
    } else if (synth && !std::getenv("BRINDLECOT_HEADLESS") && taps == 0) {
        start_live_driver();
    }
    if (const char* log = std::getenv("BRINDLECOT_MIDI_LOG"))
        if (*log && !message_log)
            message_log = std::fopen(log, "a");
    tell_destination_once(destination());
    // A synthesizer that could not start still counts as open: its messages are dropped.
    return true;
}

void MidiSynthDevice::start_live_driver()
{
    for (const char* name : {"pulseaudio", "pipewire", "alsa"}) {
        fluid_settings_setstr(settings, "audio.driver", name);
        driver = new_fluid_audio_driver(settings, synth);
        if (driver) {
            driver_name = name;
            break;
        }
    }
}

void MidiSynthDevice::attach_tap()
{
    std::lock_guard<std::mutex> g(lock);
    if (taps++ == 0 && driver) {
        delete_fluid_audio_driver(driver);
        driver = nullptr;
    }
}

void MidiSynthDevice::detach_tap()
{
    std::lock_guard<std::mutex> g(lock);
    if (taps > 0 && --taps == 0 && !driver_name.empty() && synth && !driver)
        start_live_driver();
}

void MidiSynthDevice::render_s16(int16_t* out, int frames, float gain)
{
    std::lock_guard<std::mutex> g(lock);
    if (frames <= 0) return;
    if (!synth || renderer) {
        std::fill(out, out + 2 * frames, int16_t(0));
        return;
    }
    tap_samples.resize(static_cast<size_t>(frames) * 2);
    fluid_synth_write_float(synth, frames, tap_samples.data(), 0, 2, tap_samples.data(), 1, 2);
    for (size_t i = 0; i < tap_samples.size(); i++) {
        const float v = std::clamp(tap_samples[i] * gain * 32768.0f, -32768.0f, 32767.0f);
        out[i] = static_cast<int16_t>(std::lrint(v));
    }
}

void MidiSynthDevice::do_close()
{
    if (renderer)
        render_to_now();
    std::lock_guard<std::mutex> g(lock);
    if (message_log) {
        std::fclose(message_log);
        message_log = nullptr;
    }
    if (driver)
        delete_fluid_audio_driver(driver);
    if (renderer)
        delete_fluid_file_renderer(renderer);
    if (synth)
        delete_fluid_synth(synth);
    if (settings)
        delete_fluid_settings(settings);
    driver = nullptr;
    renderer = nullptr;
    synth = nullptr;
    settings = nullptr;
    driver_name.clear();
}

void MidiSynthDevice::render_until(int32_t ms)
{
    std::lock_guard<std::mutex> g(lock);
    if (!renderer)
        return;
    int64_t target = static_cast<int64_t>(ms - start_ms) * sample_rate / 1000;
    while (frames_done + period <= target) {
        if (fluid_file_renderer_process_block(renderer) != FLUID_OK)
            break;
        frames_done += period;
    }
}

void MidiSynthDevice::render_to_now()
{
    render_until(midi_clock()->now_ms());
}

int MidiSynthDevice::short_msg(uint32_t msg)
{
    if (renderer)
        render_to_now();
    std::lock_guard<std::mutex> g(lock);
    int status = msg & 0xFF, d1 = (msg >> 8) & 0x7F, d2 = (msg >> 16) & 0x7F;
    if (message_log) {
        std::fprintf(message_log, "%ld %d %d %d\n", (long)midi_clock()->now_ms(), status, d1, d2);
        std::fflush(message_log);
    }
    if (!synth)
        return 0;
    int chan = status & 0x0F;
    switch (status & 0xF0) {
    case 0x80: fluid_synth_noteoff(synth, chan, d1); break;
    case 0x90:
        if (d2)
            fluid_synth_noteon(synth, chan, d1, d2);
        else
            fluid_synth_noteoff(synth, chan, d1);
        break;
    case 0xA0: fluid_synth_key_pressure(synth, chan, d1, d2); break;
    case 0xB0: fluid_synth_cc(synth, chan, d1, d2); break;
    case 0xC0: fluid_synth_program_change(synth, chan, d1); break;
    case 0xD0: fluid_synth_channel_pressure(synth, chan, d1); break;
    case 0xE0: fluid_synth_pitch_bend(synth, chan, d1 | (d2 << 7)); break;
    default:
        if (status == 0xFF)
            fluid_synth_system_reset(synth);
        break;
    }
    return 0;
}

int MidiSynthDevice::long_msg(const unsigned char* data, int len)
{
    std::lock_guard<std::mutex> g(lock);
    if (!synth || len < 2 || data[0] != 0xF0)
        return 0;
    // FluidSynth takes the message without its F0 and F7 bytes.
    int body = len - 1 - (data[len - 1] == 0xF7 ? 1 : 0);
    fluid_synth_sysex(synth, reinterpret_cast<const char*>(data + 1), body, nullptr, nullptr, nullptr, 0);
    return 0;
}

void MidiSynthDevice::reset()
{
    std::lock_guard<std::mutex> g(lock);
    if (synth)
        fluid_synth_system_reset(synth);
}

}  // namespace platform
