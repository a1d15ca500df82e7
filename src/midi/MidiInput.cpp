// MIDI input: the callback of the input ports, with the external clock, the filter, the thru
// copy and the queuing into the input nodes.
#include "midi/CMidi.h"

#include "framework/CApplication.h"
#include "score/Placeholders.h"
#include "platform/MidiDevices.h"

namespace {

// Bytes of a message by its status; a data byte alone (running status) counts as three.
short message_length(unsigned char s)
{
    if ((s & 0xF8) == 0xF8 || (s & 0xFC) == 0xF4)
        return 1;
    if ((s & 0xFD) == 0xF1 || (s & 0xE0) == 0xC0)
        return 2;
    return 3;
}

}  // namespace

void midiInCallback(MidiInHandle, unsigned message, uintptr_t instance, uint32_t data, uint32_t)
{
    CMidi* midi = application->midi;
    short port = static_cast<short>(instance);
    if (message != platform::MIDI_IN_DATA || !midi || port < 1 || port > 4)
        return;
    Midi_union u;
    u.dword = data;
    unsigned char s = u.byte[0];
    short tot = message_length(s);
    if (tot == 1 && port == midi->external_sync) {
        if (s == 0xF8) {
            if (midi->time_unit_status)
                midi->time_unit += 20;  // 24 clocks make a quarter note of 480 ticks
            return;
        }
        if (s == 0xFA || s == 0xFC) {
            char notice[4] = {static_cast<char>(s == 0xFA ? 4 : 5), 0, 0, 0};
            if (auto* receiver = midi->midi_special_treatment.load())
                receiver(notice, 0);
            return;
        }
    }
    if (tot > 1)
        wait_keyboard_flag = 1;
    if (midi->echo(u, tot, port))
        midi->send(port + 4, midi->current_tick(), tot, reinterpret_cast<char*>(u.byte), 1);
}

short CMidi::echo(Midi_union data, short tot, short port)
{
    unsigned char s = data.byte[0];
    if (s >= 0xF0) {
        if (!(s <= 0xF7 ? filtre.sys_com : filtre.sys_real))
            return 0;
    } else {
        short ch = s & 0x0F;
        if (!filtre.canal[ch])
            return 0;
        short pass = 1;
        switch (s & 0xF0) {
        case 0x80:
        case 0x90: pass = filtre.notes; break;
        case 0xA0: pass = filtre.after_touch_poly; break;
        case 0xB0: pass = data.byte[1] < 122 ? filtre.control : filtre.chan_mode; break;
        case 0xC0: pass = filtre.patch; break;
        case 0xD0: pass = filtre.after_touch_channel; break;
        case 0xE0: pass = filtre.pitch_bend; break;
        default: break;
        }
        if (!pass)
            return 0;
        data.byte[0] = static_cast<unsigned char>((s & 0xF0) | (tab_midi_thru[ch].load() & 0x0F));
    }
    if (auto* filter = midi_input_filter.load(); filter && !filter(&data, tot))
        return 0;
    MidiOutHandle h = port >= 1 && port <= 4 ? midi_echo_handle[port] : nullptr;
    if (h && h->short_msg(data.dword) != 0)
        send(midi_prefs.echo[port], time_unit, tot, reinterpret_cast<char*>(data.byte), 0);
    return 1;
}
