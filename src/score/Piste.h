#pragma once
// MIDI tracks: per staff, a list of time-stamped messages in time order (480 ticks per quarter
// note). A message of 1 to 3 bytes fills its unused bytes with 0xFF, so every MIDI message has
// 0xFF as its fourth byte; an event whose fourth byte is not 0xFF is internal (first byte 1: a
// tempo change, bytes 2 and 3 high byte first; 2 and 3: lyrics and score-following markers).
//
// The track and its events are one block: a track that grows moves, and its owner takes the
// new address.

#include "framework/Arrays.h"

#include <cstdint>

struct MidiEvent {
    int32_t time;          // ticks from the start of the score
    unsigned char buf[4];
};

constexpr short PISTE_NEW_ROOM = 1000;   // room of a new track
constexpr short PISTE_MAX_EVENTS = 7997; // a track never holds more

struct Piste {
    short tot;   // number of events
    short max;   // room
    short next;  // position kept by the track's users
    unsigned char tab[128];  // working tables and values of the track's users
    short mesi[128];
    short noti[128];
    CArrayInt arp_start;
    CArrayInt arp_stop;
    short arp_cur;
    int32_t last_tsol;
    short full_told;  // 1 once the user was told that the track refuses events
    MidiEvent event[1];  // entries 1 to max (the block extends past the declared size)
};

// A new empty track with room for max events (held to 1 to 7,997).
Piste* creer_piste(short max);
void detruire_piste(Piste* piste);

Piste* inserer_dans_piste(int32_t time, short length, char* bytes, Piste* piste);
short send_piste(short track, int32_t time, short length, char* bytes);
short is_note_on(MidiEvent* event, short pitch);
short is_note_off(MidiEvent* event, short pitch);
void effacer_piste_entre(short track, short first, short last, short notes, short others);
void nettoyer_piste_notes(short track, short first, short last);
void supprimer_piste_entre(short track, short first, short last);
void trier_piste(short track);
// Links the track's events to its staff's measures; returns the staff's measure count.
short maj_rel_piste_mesures(short track);
