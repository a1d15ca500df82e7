#pragma once
// MIDI devices as the port layer sees them: numbered output and input devices with a name and
// a technology, opened by one client at a time. Output devices take short messages (status in
// the low byte) and System Exclusive blocks; input devices deliver short messages to a callback
// on their own thread.
//
// The device list holds, in order: the built-in General MIDI synthesizer (always output
// device 0), then every ALSA sequencer port when the sequencer exists. Tests replace the list.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

// Technologies of an output device, by the numbers the port settings rank.
enum MidiTechnology : short {
    MIDI_TECH_OTHER = 0,
    MIDI_TECH_PORT = 1,       // an external MIDI port
    MIDI_TECH_SYNTH = 2,      // some synthesizer
    MIDI_TECH_SQSYNTH = 3,    // square-wave synthesizer
    MIDI_TECH_FMSYNTH = 4,    // FM synthesizer
    MIDI_TECH_MAPPER = 5,     // a mapper to other devices
    MIDI_TECH_WAVETABLE = 6,  // sample-playing (wavetable) synthesizer
    MIDI_TECH_SWSYNTH = 7,    // software synthesizer
};

class MidiOutDevice {
public:
    virtual ~MidiOutDevice() = default;
    virtual const char* name() const = 0;  // Windows-1252
    virtual short technology() const = 0;
    // Takes the device for one client; false when it is already taken or cannot start.
    bool open();
    void close();
    bool is_open() const { return opened; }
    // A short message, status in the low byte; 0 when sent, non-zero when refused.
    virtual int short_msg(uint32_t msg) = 0;
    // A System Exclusive block; 0 when sent, non-zero when refused.
    virtual int long_msg(const unsigned char* data, int len) = 0;
    // Silences the device at once.
    virtual void reset() = 0;

protected:
    virtual bool do_open() { return true; }
    virtual void do_close() {}

private:
    bool opened = false;
};

class MidiInDevice;
// The value an input callback receives for a short message.
constexpr unsigned MIDI_IN_DATA = 0x3C3;
using MidiInCallback = void (*)(MidiInDevice* handle, unsigned message, uintptr_t instance, uint32_t data,
                                uint32_t time);

class MidiInDevice {
public:
    virtual ~MidiInDevice() = default;
    virtual const char* name() const = 0;
    // Takes the device for one client, which receives its messages through the callback.
    bool open(MidiInCallback cb, uintptr_t inst);
    void close();
    bool is_open() const { return callback != nullptr; }
    // Messages reach the callback only between start and stop.
    void start();
    void stop();

protected:
    virtual bool do_open() { return true; }
    virtual void do_close() {}
    // Called by the device (on its own thread) for each short message.
    void deliver(uint32_t data, uint32_t time);

private:
    std::mutex lock;  // guards the callback against stop and close
    MidiInCallback callback = nullptr;
    uintptr_t instance = 0;
    bool started = false;
};

// The devices of the run. Built on first use.
struct MidiDeviceList {
    std::vector<std::unique_ptr<MidiOutDevice>> outputs;
    std::vector<std::unique_ptr<MidiInDevice>> inputs;
};

// The built-in synthesizer, then the sequencer's ports when there is a sequencer.
MidiDeviceList midi_default_devices();
MidiDeviceList& midi_devices();
// Replaces the device list (tests, or a list built by hand); devices in use must be closed first.
void set_midi_devices(MidiDeviceList list);

// Device numbers are 0-based here; null outside the list.
short midi_out_count();
MidiOutDevice* midi_out_device(short n);
MidiInDevice* midi_in_device(short n);

}  // namespace platform
