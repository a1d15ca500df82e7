#pragma once
// The audio settings ("Configuration audio..."): the decisions of the settings dialog and of
// the file "Audio.dat" that it writes. The dialog itself is `CAudioManager::edit`, the file
// `CAudioManager::save`.
//
// The dialog offers the rates, sizes and channel counts of the output device chosen (also for
// the input), the devices of the machine, and for each direction the ring's buffer count, the
// buffers in flight and the buffer size. The settings hold for the run: nothing reads
// "Audio.dat" back; every start begins with the manager's defaults.
//
// GUI thread only; the dialog runs while the manager's worker is stopped.

#include <cstdint>
#include <string>
#include <vector>

class CAudioManager;

namespace audio_settings {

// Dialog items.
constexpr short kOk = 1, kCancel = 2, kOutputDevice = 5, kInputDevice = 6, kRate = 11, kBits = 13, kMono = 14,
                kStereo = 15, kOutRing = 22, kInRing = 23, kOutFlight = 24, kInFlight = 25, kOutSize = 26,
                kInSize = 27, kDefaults = 28;
// The device popups: entry 1 none, entry 2 the standard device, then the machine's devices.
constexpr short kFirstDeviceEntry = 3;
// The buffer size the Defaults button gives (the manager's own default is larger).
constexpr int32_t kDefaultsBufferSize = 10000;

}  // namespace audio_settings

// The folder and name of the settings file, as the program names files, in the user's folder.
std::string audio_settings_path();

// The 11 values of "Audio.dat" for the manager's settings, in the file's order: rate, bits,
// channels, then for the output and the input: device, ring buffers, buffer size, in flight.
std::vector<int32_t> audio_settings_values(const CAudioManager& m);

// A device number from its popup entry (entry 1: -2 none, entry 2: -1 standard, 3: device 0)
// and back.
short device_of_entry(short entry);
short entry_of_device(short device);

// What the rate and bits popups and the channel buttons offer for a device's format mask.
struct FormatChoices {
    std::vector<std::string> rates;  // "11025 Hz", "22050 Hz", "44100 Hz" as the mask allows
    short rate_entry = 0;            // the entry of the current rate, 0 when not offered
    std::vector<std::string> bits;   // "8 bits", "16 bits"
    short bits_entry = 0;
    bool mono = false, stereo = false;  // the buttons enabled
    short channels = 1;                 // the button checked
};
// `known` false: the device's capabilities could not be had (no device): nothing offered.
FormatChoices format_choices(bool known, uint32_t formats, uint32_t rate, uint16_t bits, uint16_t channels);

// The rate and bits named by a popup entry's text; the defaults (44,100 Hz, 16 bits) for any
// other text.
uint32_t rate_of_entry(const std::string& text);
uint16_t bits_of_entry(const std::string& text);

// A typed buffer size brought within 400 to 64,000 bytes, compared as unsigned (so a negative
// number gives the largest).
uint32_t typed_buffer_size(int32_t typed);

// The in-flight popup's entry (k buffers) for a ring popup's entry (k + 1 buffers): never as many
// as the ring holds, so that the ring always has a buffer to hand on.
short in_flight_entry(short ring_entry, short flight_entry);
