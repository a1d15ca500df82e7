#include "score/MidiAutoConfig.h"

#include <cstdio>
#include <cstring>

#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/Synthe.h"

namespace {

constexpr short PORTS = 4, CHANNELS = 16;

bool same_sound(const Ins& a, const Ins& b) {
    return a.patch == b.patch && a.bank == b.bank && a.groupe == b.groupe && a.port == b.port;
}

// Channel c of the synthesizer for the instrument's sound: the first entry of its table with the
// instrument's program, bank and group decides.
bool sound_allows(const Synthe* syn, const Ins& in, short c) {
    for (short i = 1; i <= syn->tot_instr; i++) {
        const Instrument& e = syn->instr[i];
        if (e.num == in.patch && e.bank == in.bank && e.groupe == in.groupe) return (e.canaux >> (c - 1)) & 1;
    }
    return false;
}

}  // namespace

void midi_auto_config() {
    if (!doc || !doc->ins) return;
    Ins* ins = doc->ins;
    const short n = doc->tot_ins;
    bool taken[PORTS + 1][CHANNELS + 1] = {};
    auto in_range = [](short port, short canal) {
        return port >= 1 && port <= PORTS && canal >= 1 && canal <= CHANNELS;
    };
    for (short i = 1; i <= n; i++) {
        if (std::strcmp(ins[i].synthe, "---") != 0) continue;
        for (short p = 1; p <= PORTS; p++) {
            const char* name = synthe_port(p);
            if (name && name[0]) {
                std::snprintf(ins[i].synthe, sizeof ins[i].synthe, "%s", name);
                break;
            }
        }
    }
    for (short i = 1; i <= n; i++)
        if (ins[i].groupe == 0) ins[i].patch = ins[i].bank = -1;
    for (short i = 1; i <= n; i++) {
        if (!(ins[i].autom & 0x0001) || !ins[i].synthe[0]) continue;
        for (short p = 1; p <= PORTS; p++) {
            const char* name = synthe_port(p);
            if (name && std::strcmp(name, ins[i].synthe) == 0) {
                ins[i].port = p;
                break;
            }
        }
    }
    for (short i = 1; i <= n; i++) {
        if (ins[i].autom & 0x0002) continue;
        if (ins[i].canal == 0) ins[i].canal = 1;
        // Stored settings out of range take nothing (they would reach outside the table).
        if (in_range(ins[i].port, ins[i].canal)) taken[ins[i].port][ins[i].canal] = true;
    }
    for (short i = 1; i <= n; i++) {
        Ins& in = ins[i];
        if (!(in.autom & 0x0002) || !in.synthe[0] || in.patch == -1 || in.bank == -1) continue;
        Synthe* syn = get_synthe(in.synthe);
        if (!syn) continue;
        bool found = false;
        for (short c = 1; c <= CHANNELS && !found; c++) {
            if (in.port < 1 || in.port > PORTS || taken[in.port][c] || !((syn->midi_in >> (c - 1)) & 1)) continue;
            if (sound_allows(syn, in, c)) {
                in.canal = c;
                taken[in.port][c] = true;
                found = true;
            }
        }
        for (short j = 1; j < i && !found; j++)
            if (same_sound(ins[j], in)) {
                in.canal = ins[j].canal;
                found = true;
            }
        for (short j = 1; j < i && !found; j++)
            for (short k = (short)(j + 1); k < i && !found; k++)
                if (same_sound(ins[j], ins[k]) && ins[j].canal != ins[k].canal) {
                    in.canal = ins[k].canal;
                    ins[k].canal = ins[j].canal;
                    found = true;
                }
        if (!found) in.canal = 1;
    }
}
