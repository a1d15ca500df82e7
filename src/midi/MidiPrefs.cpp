// The port settings: opening and closing the ports, the settings file "MIDIWIN.PFR", the
// automatic choice of an output device and the ports' synthesizer names for the score model.
#include "midi/CMidi.h"

#include "framework/UserFiles.h"
#include "score/Placeholders.h"
#include "score/Synthe.h"
#include "platform/MidiDevices.h"

#include <strings.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>

namespace {

// The port layer whose settings answer the score model's questions about port synthesizers.
CMidi* configured = nullptr;

// The synthesizer of an output port; a port outside 1 to 4 has port 1's, the default one.
const char* configured_synthe(short port)
{
    return configured->midi_prefs.synthe[port >= 1 && port <= 4 ? port : 1];
}

std::string prefs_path()
{
    const std::string path = user_system_file("MIDIWIN.PFR");
    mkdir(path.substr(0, path.find_last_of('/')).c_str(), 0777);  // a new folder is made
    return path;
}

// Rank of a device technology for the automatic choice; 0 is never chosen.
short technology_rank(short tech)
{
    switch (tech) {
    case platform::MIDI_TECH_WAVETABLE: return 7;
    case platform::MIDI_TECH_SWSYNTH: return 6;
    case platform::MIDI_TECH_FMSYNTH: return 5;
    case platform::MIDI_TECH_SQSYNTH: return 4;
    case platform::MIDI_TECH_SYNTH: return 3;
    case platform::MIDI_TECH_MAPPER: return 2;
    case platform::MIDI_TECH_PORT: return 1;
    default: return 0;
    }
}

}  // namespace

void CMidi::write_prefs()
{
    FILE* f = std::fopen(prefs_path().c_str(), "w");
    if (!f)
        return;
    std::fprintf(f, "%hd\n", midi_prefs.cur_port);
    for (short p = 1; p <= 4; p++) {
        std::fprintf(f, "%hd %04X %hd %hd %hd %hd %hd \"%s\"\n", midi_prefs.port[p],
                     static_cast<unsigned>(static_cast<unsigned short>(midi_prefs.adresse[p])), midi_prefs.par1[p],
                     midi_prefs.echo[p], midi_prefs.par3[p], midi_prefs.par4[p], midi_prefs.par5[p],
                     midi_prefs.synthe[p]);
    }
    std::fclose(f);
}

// Reads the settings; a port line that is cut short or damaged leaves that port and the ones
// after it at their defaults.
void CMidi::read_prefs()
{
    FILE* f = std::fopen(prefs_path().c_str(), "r");
    if (!f) {
        write_prefs();
        return;
    }
    short cur;
    if (std::fscanf(f, "%hd", &cur) == 1) {
        midi_prefs.cur_port = cur >= 1 && cur <= 4 ? cur : 1;
        for (short p = 1; p <= 4; p++) {
            short port, par1, echo_port, par3, par4, par5;
            unsigned adresse;
            char word[64];
            if (std::fscanf(f, "%hd%X%hd%hd%hd%hd%hd %63s", &port, &adresse, &par1, &echo_port, &par3, &par4, &par5,
                            word) != 8)
                break;
            midi_prefs.port[p] = port;
            midi_prefs.adresse[p] = static_cast<short>(adresse);
            midi_prefs.par1[p] = par1;
            midi_prefs.echo[p] = echo_port;
            midi_prefs.par3[p] = par3;
            midi_prefs.par4[p] = par4;
            midi_prefs.par5[p] = par5;
            // The name stands between quotes; at most 9 of its characters are kept.
            size_t len = std::strlen(word);
            size_t inner = len >= 2 ? len - 2 : 0;
            if (inner > 9)
                inner = 9;
            std::memcpy(midi_prefs.synthe[p], word + 1, inner);
            midi_prefs.synthe[p][inner] = 0;
        }
    }
    std::fclose(f);
}

void CMidi::open_ports()
{
    for (short p = 1; p <= 4; p++) {
        midi_in_handle[p] = nullptr;
        midi_out_handle[p] = nullptr;
        midi_echo_handle[p] = nullptr;
        short dev = midi_prefs.port[p];
        if (dev > 0) {
            platform::MidiOutDevice* out = platform::midi_out_device(dev - 1);
            if (out && out->open()) {
                midi_out_handle[p] = out;
            } else {
                // A device opened once serves every port that names it.
                for (short q = 1; q < p && !midi_out_handle[p]; q++) {
                    if (midi_prefs.port[q] == dev)
                        midi_out_handle[p] = midi_out_handle[q];
                }
            }
        }
        if (midi_prefs.par1[p] > 0) {
            platform::MidiInDevice* in = platform::midi_in_device(midi_prefs.par1[p] - 1);
            if (in && in->open(midiInCallback, static_cast<uintptr_t>(p)))
                midi_in_handle[p] = in;
        }
    }
    for (short p = 1; p <= 4; p++) {
        short e = midi_prefs.echo[p];
        if (e >= 1 && e <= 4)
            midi_echo_handle[p] = midi_out_handle[e];
    }
}

void CMidi::midi_init(short read)
{
    for (short i = 0; i < 16; i++)
        tab_midi_thru[i] = static_cast<unsigned char>(i);
    if (read) {
        std::memset(&midi_prefs, 0, sizeof midi_prefs);
        midi_prefs.cur_port = 1;
        read_prefs();
    }
    open_ports();
    configured = this;
    set_synthe_port(configured_synthe);
    for (auto& channel : lastctrl)
        for (auto& c : channel)
            c = -1;
}

void CMidi::midi_quit(short write)
{
    if (configured == this) {
        set_synthe_port(nullptr);
        configured = nullptr;
    }
    for (short p = 1; p <= 4; p++) {
        MidiOutHandle out = midi_out_handle[p];
        bool shared = false;
        for (short q = 1; q < p; q++)
            shared = shared || midi_out_handle[q] == out;
        if (out && !shared)
            out->close();
        if (midi_in_handle[p])
            midi_in_handle[p]->close();
    }
    for (short p = 1; p <= 4; p++) {
        midi_out_handle[p] = nullptr;
        midi_in_handle[p] = nullptr;
        midi_echo_handle[p] = nullptr;
    }
    if (write)
        write_prefs();
}

void CMidi::auto_config()
{
    char* name = midi_prefs.synthe[1];
    if (!name[0] || strcasecmp(name, "---") == 0)
        std::strcpy(name, "GM-1");
    if (midi_prefs.port[1] >= 1)
        return;
    short best = -1, best_rank = 0;
    for (short d = 0; d < platform::midi_out_count(); d++) {
        short rank = technology_rank(platform::midi_out_device(d)->technology());
        if (rank > best_rank) {
            best = d;
            best_rank = rank;
        }
    }
    if (best < 0)
        return;
    midi_prefs.port[1] = static_cast<short>(best + 1);
    midi_prefs.echo[1] = 1;
    midi_dispatch_quit();
    midi_quit(1);
    midi_init(0);
    midi_dispatch_init();
}
