#pragma once
// ALSA sequencer ports as MIDI devices: every port another client offers for writing is an
// output device, every port it offers for reading an input device. Nothing is listed when the
// machine has no sequencer (/dev/snd/seq).

#include "platform/MidiDevices.h"

#include <atomic>
#include <string>
#include <thread>

struct _snd_seq;
struct snd_midi_event;

namespace platform {

// Appends the sequencer's ports to the list; does nothing without a sequencer.
void alsa_add_devices(MidiDeviceList& list);

class MidiAlsaOutDevice : public MidiOutDevice {
public:
    MidiAlsaOutDevice(std::string name, int client, int port, short tech);
    ~MidiAlsaOutDevice() override;
    const char* name() const override { return label.c_str(); }
    short technology() const override { return tech; }
    int short_msg(uint32_t msg) override;
    int long_msg(const unsigned char* data, int len) override;
    void reset() override;

protected:
    bool do_open() override;
    void do_close() override;

private:
    int output(const unsigned char* bytes, long len);

    std::string label;
    int dest_client, dest_port;
    short tech;
    std::mutex lock;
    _snd_seq* seq = nullptr;
    snd_midi_event* parser = nullptr;
    int own_port = -1;
};

// Reads its port on a thread of its own and delivers each short message to the callback.
class MidiAlsaInDevice : public MidiInDevice {
public:
    MidiAlsaInDevice(std::string name, int client, int port);
    ~MidiAlsaInDevice() override;
    const char* name() const override { return label.c_str(); }

protected:
    bool do_open() override;
    void do_close() override;

private:
    void read_loop();

    std::string label;
    int src_client, src_port;
    _snd_seq* seq = nullptr;
    snd_midi_event* parser = nullptr;
    std::atomic<bool> running{false};
    std::thread reader;
};

}  // namespace platform
