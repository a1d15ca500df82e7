#pragma once
// Devices without hardware: an output that logs every message with the clock time it was sent
// at, and an input whose messages are injected by the caller. Tests, benchmarks and a machine
// without MIDI use them.

#include "platform/MidiDevices.h"

#include <atomic>
#include <string>
#include <vector>

namespace platform {

struct MidiLoggedMessage {
    int32_t ms;                        // clock time it was sent at
    std::vector<unsigned char> bytes;  // three bytes for a short message, the block for a long one
    bool sysex;
};

class MidiRecordingDevice : public MidiOutDevice {
public:
    explicit MidiRecordingDevice(std::string name = "Enregistreur", short tech = MIDI_TECH_PORT);
    const char* name() const override { return label.c_str(); }
    short technology() const override { return tech; }
    int short_msg(uint32_t msg) override;
    int long_msg(const unsigned char* data, int len) override;
    void reset() override { resets++; }

    // The next n short messages are refused (as a busy driver would).
    void refuse_next(int n) { refusals = n; }
    std::vector<MidiLoggedMessage> log() const;
    void clear();
    size_t count() const { return total.load(); }
    int reset_count() const { return resets.load(); }

private:
    std::string label;
    short tech;
    mutable std::mutex lock;
    std::vector<MidiLoggedMessage> messages;
    std::atomic<size_t> total{0};
    std::atomic<int> refusals{0};
    std::atomic<int> resets{0};
};

class MidiInjectedDevice : public MidiInDevice {
public:
    explicit MidiInjectedDevice(std::string name = "Entr\xE9" "e de test") : label(std::move(name)) {}
    const char* name() const override { return label.c_str(); }
    // Delivers a short message (status in the low byte) on the caller's thread.
    void inject(uint32_t data) { deliver(data, 0); }

private:
    std::string label;
};

}  // namespace platform
