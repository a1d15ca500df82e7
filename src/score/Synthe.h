#pragma once
// Synthesizer definitions: the instruments (program and bank), groups, percussion sounds,
// controller effects, message templates and bank-select templates of one synthesizer model,
// read from a ".SYN" text file in MISC/SYN and kept for the whole run in a cache of four; and
// the name of the synthesizer on each MIDI output port. Sending a bank select is the MIDI
// layer's part (midi/Synthe.h).

#include <cstdint>

struct Effet {
    char nom[32];
    short num;  // controller number
    short tot;  // number of values
    short def;  // value given to new instruments; -1 = none
};

struct Groupe {
    char nom[32];
    short num;
};

struct Instrument {
    char nom[32];
    short num;     // program number, from 1
    short bank;    // a Banque id
    short groupe;  // a Groupe num
    short id;      // identity of the sound across definitions
    short canaux;  // channel mask, bit n-1 = channel n
};

struct Percussion {
    char nom[32];
    short note;
    short num;
    short id;
};

struct Message {
    char nom[32];
    unsigned char data[24];
    short tot;  // template bytes, at most 24
};

struct Banque {
    short id;
    unsigned char msg[24];  // 0xFF ends it; 0xFE adds the channel, 0xFD adds the channel x 16
    char nom[32];
};

struct Synthe {
    char nom_complet[32];
    char nom_court[14];
    char fabricant[24];
    char nom_fichier[14];
    short midi_in, midi_out, midi_thru, midi_in_def, midi_out_def, midi_thru_def;
    short polyphonie;
    short multitimbral;
    short num_offset;
    short metro_midi, metro_pitch_mes, metro_pitch_bat, metro_velo_mes, metro_velo_bat;
    short tot_instr, max_instr;
    short tot_effet, max_effet;
    short tot_groupe, max_groupe;
    short tot_percu, max_percu;
    short tot_msg, max_msg;
    short tot_banque, max_banque;
    Effet* effet;          // entries 1 to tot_effet
    Groupe* groupe;
    Instrument* instr;
    Percussion* percu;
    Message* msg;
    Banque* banque;
};

Synthe* new_synthe(short max_e, short max_i, short max_g, short max_p, short max_m, short max_b);
Synthe* open_synthe(const char* s);
Synthe* get_synthe(const char* s);
short trouver_bank_lsbmsb(Synthe* syn, short lsb, short msb);
short trouver_index_banque(Synthe* syn, short bank);
// Frees one definition, or those of the cache (at the end of the run).
void detruire_synthe(Synthe* s);
void liberer_synthes();

// The short name of the synthesizer on MIDI output port 1 to 4, as the MIDI layer has it; until
// the MIDI layer answers (it does once it has configured its ports), every port has the default
// synthesizer "GM-1".
const char* synthe_port(short port);
using SynthePortAnswer = const char* (*)(short port);
// Makes `answer` the one that synthe_port asks; null gives the default back.
void set_synthe_port(SynthePortAnswer answer);
