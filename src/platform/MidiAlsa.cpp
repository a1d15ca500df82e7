#include "platform/MidiAlsa.h"

#include "platform/Cp1252.h"
#include "platform/MidiClock.h"

#include <alsa/asoundlib.h>
#include <poll.h>
#include <unistd.h>

#include <vector>

namespace platform {

namespace {

// Bytes of a short message with this status (a data byte alone counts as three, as running
// status would have it).
long short_length(unsigned char status)
{
    if ((status & 0xF8) == 0xF8 || (status & 0xFC) == 0xF4)
        return 1;
    if ((status & 0xFD) == 0xF1 || (status & 0xE0) == 0xC0)
        return 2;
    return 3;
}

snd_seq_t* open_client(int mode, snd_midi_event_t** parser)
{
    snd_seq_t* seq = nullptr;
    if (snd_seq_open(&seq, "default", mode, 0) < 0)
        return nullptr;
    snd_seq_set_client_name(seq, "Brindlecot");
    if (snd_midi_event_new(1024, parser) < 0) {  // room for the longest System Exclusive block sent
        snd_seq_close(seq);
        return nullptr;
    }
    snd_midi_event_no_status(*parser, 1);
    return seq;
}

// Frees the parser and closes the client, either of which may be missing.
void close_client(snd_seq_t** seq, snd_midi_event_t** parser)
{
    if (*parser)
        snd_midi_event_free(*parser);
    if (*seq)
        snd_seq_close(*seq);
    *parser = nullptr;
    *seq = nullptr;
}

}  // namespace

void alsa_add_devices(MidiDeviceList& list)
{
    if (access("/dev/snd/seq", R_OK | W_OK) != 0)
        return;
    snd_seq_t* seq = nullptr;
    if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_DUPLEX, 0) < 0)
        return;
    int self = snd_seq_client_id(seq);
    snd_seq_client_info_t* cinfo;
    snd_seq_port_info_t* pinfo;
    snd_seq_client_info_alloca(&cinfo);
    snd_seq_port_info_alloca(&pinfo);
    snd_seq_client_info_set_client(cinfo, -1);
    while (snd_seq_query_next_client(seq, cinfo) >= 0) {
        int client = snd_seq_client_info_get_client(cinfo);
        if (client == self || client == SND_SEQ_CLIENT_SYSTEM)
            continue;
        snd_seq_port_info_set_client(pinfo, client);
        snd_seq_port_info_set_port(pinfo, -1);
        while (snd_seq_query_next_port(seq, pinfo) >= 0) {
            unsigned caps = snd_seq_port_info_get_capability(pinfo);
            unsigned type = snd_seq_port_info_get_type(pinfo);
            int port = snd_seq_port_info_get_port(pinfo);
            std::string name = utf8_to_cp1252(std::string(snd_seq_client_info_get_name(cinfo)) + ": " +
                                              snd_seq_port_info_get_name(pinfo));
            const unsigned w = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
            const unsigned r = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ;
            if ((caps & w) == w) {
                short tech = MIDI_TECH_PORT;
                if (type & SND_SEQ_PORT_TYPE_SYNTHESIZER)
                    tech = (type & SND_SEQ_PORT_TYPE_SOFTWARE) ? MIDI_TECH_SWSYNTH : MIDI_TECH_SYNTH;
                list.outputs.push_back(std::make_unique<MidiAlsaOutDevice>(name, client, port, tech));
            }
            if ((caps & r) == r)
                list.inputs.push_back(std::make_unique<MidiAlsaInDevice>(name, client, port));
        }
    }
    snd_seq_close(seq);
}

MidiAlsaOutDevice::MidiAlsaOutDevice(std::string name, int client, int port, short t)
    : label(std::move(name)), dest_client(client), dest_port(port), tech(t)
{
}

MidiAlsaOutDevice::~MidiAlsaOutDevice()
{
    close();
}

bool MidiAlsaOutDevice::do_open()
{
    std::lock_guard<std::mutex> g(lock);
    seq = open_client(SND_SEQ_OPEN_OUTPUT, &parser);
    if (!seq)
        return false;
    own_port = snd_seq_create_simple_port(seq, "Brindlecot out", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                          SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    if (own_port < 0 || snd_seq_connect_to(seq, own_port, dest_client, dest_port) < 0) {
        close_client(&seq, &parser);
        return false;
    }
    return true;
}

void MidiAlsaOutDevice::do_close()
{
    std::lock_guard<std::mutex> g(lock);
    close_client(&seq, &parser);
}

int MidiAlsaOutDevice::output(const unsigned char* bytes, long len)
{
    std::lock_guard<std::mutex> g(lock);
    if (!seq)
        return 1;
    snd_seq_event_t ev;
    snd_seq_ev_clear(&ev);
    snd_midi_event_reset_encode(parser);
    if (snd_midi_event_encode(parser, bytes, len, &ev) < 0 || ev.type == SND_SEQ_EVENT_NONE)
        return 0;  // not a message the sequencer carries; nothing to send
    snd_seq_ev_set_source(&ev, own_port);
    snd_seq_ev_set_subs(&ev);
    snd_seq_ev_set_direct(&ev);
    return snd_seq_event_output_direct(seq, &ev) < 0 ? 1 : 0;
}

int MidiAlsaOutDevice::short_msg(uint32_t msg)
{
    unsigned char bytes[3] = {static_cast<unsigned char>(msg), static_cast<unsigned char>(msg >> 8),
                              static_cast<unsigned char>(msg >> 16)};
    return output(bytes, short_length(bytes[0]));
}

int MidiAlsaOutDevice::long_msg(const unsigned char* data, int len)
{
    return len > 0 ? output(data, len) : 0;
}

void MidiAlsaOutDevice::reset()
{
    for (unsigned char ch = 0; ch < 16; ch++) {
        unsigned char off[3] = {static_cast<unsigned char>(0xB0 | ch), 123, 0};
        unsigned char sound_off[3] = {static_cast<unsigned char>(0xB0 | ch), 120, 0};
        output(off, 3);
        output(sound_off, 3);
    }
}

MidiAlsaInDevice::MidiAlsaInDevice(std::string name, int client, int port)
    : label(std::move(name)), src_client(client), src_port(port)
{
}

MidiAlsaInDevice::~MidiAlsaInDevice()
{
    close();
}

bool MidiAlsaInDevice::do_open()
{
    seq = open_client(SND_SEQ_OPEN_INPUT, &parser);
    if (!seq)
        return false;
    int own = snd_seq_create_simple_port(seq, "Brindlecot in", SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
                                         SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
    if (own < 0 || snd_seq_connect_from(seq, own, src_client, src_port) < 0) {
        close_client(&seq, &parser);
        return false;
    }
    snd_seq_nonblock(seq, 1);
    running = true;
    reader = std::thread([this] { read_loop(); });
    return true;
}

void MidiAlsaInDevice::do_close()
{
    running = false;
    if (reader.joinable())
        reader.join();
    close_client(&seq, &parser);
}

void MidiAlsaInDevice::read_loop()
{
    int count = snd_seq_poll_descriptors_count(seq, POLLIN);
    std::vector<pollfd> fds(count > 0 ? count : 1);
    snd_seq_poll_descriptors(seq, fds.data(), static_cast<unsigned>(fds.size()), POLLIN);
    while (running) {
        if (poll(fds.data(), fds.size(), 100) <= 0)
            continue;
        snd_seq_event_t* ev = nullptr;
        while (snd_seq_event_input(seq, &ev) >= 0 && ev) {
            unsigned char bytes[16];
            long n = snd_midi_event_decode(parser, bytes, sizeof bytes, ev);
            if (n >= 1 && n <= 3) {
                uint32_t data = bytes[0] | (n > 1 ? bytes[1] << 8 : 0) | (n > 2 ? bytes[2] << 16 : 0);
                deliver(data, static_cast<uint32_t>(midi_clock()->now_ms()));
            }
            ev = nullptr;
        }
    }
}

}  // namespace platform
