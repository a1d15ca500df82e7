#pragma once
// Live controller output of the play-along: the soloist's and the accompaniment's sound shaped
// while the user plays.
//
// A slider, the pen pressure, the height of the touch inside the measure, a key or a joystick
// button gives a value; a `maj_` function turns it into a pending value of the play-along view
// (`LiveControls`, a `next_` field); `maj_controls` sends every pending value that moved far
// enough from the last one sent (a `cur_` field) as MIDI messages and forgets the pending one.
// Which source drives what is chosen by parameters 15 (pen pressure) and 16 (touch height).
//
// Every data byte that leaves here is held to 0..127.
//
// Threads: the `maj_` functions run on the program's thread (panels, keys, tablet and mouse);
// `maj_controls` on the timer thread inside the play-along task, and on the program's thread
// after a change of the touch height. The pending and sent values are atomics; the document's
// instrument records are only read here.

#include <atomic>
#include <cstdint>
#include <vector>

struct Ins;
struct Document;

// The pending (`next_`, -1 nothing pending) and last sent (`cur_`, -1 nothing sent yet) values
// of the play-along view. The view starts with every value -1 but `next_pitchbend`, 0, so the
// first pass sends the centred pitch bend.
struct LiveControls {
    std::atomic<short> next_volsol{-1}, cur_volsol{-1};        // soloist volume, 0-127
    std::atomic<short> next_volacc{-1}, cur_volacc{-1};        // accompaniment level, 0-100
    std::atomic<short> next_vibrato{-1}, cur_vibrato{-1};      // soloist modulation, 0-127
    std::atomic<short> next_revsol{-1}, cur_revsol{-1};        // soloist reverb, 0-127
    std::atomic<short> next_chorus{-1}, cur_chorus{-1};        // soloist chorus, 0-127
    std::atomic<short> next_porta{-1}, cur_porta{-1};          // soloist portamento time, 0-64
    std::atomic<short> next_pitchbend{0}, cur_pitchbend{-1};   // percent of the full bend, signed
};

// A pending value goes out when nothing was sent yet or when it differs from the last one sent
// by more than this.
constexpr short kLiveDeadBand = 3;

// ---- Values: the sources turned into pending values (all divisions integer) ----

// The pen pressure (thousandths) in percent of the pressure window min..max (parameters 13 and
// 14): 0 up to min, rising to 100 at max; 0 when the window is empty or reversed.
short echelle_pression(short pres, short min, short max);
// The same with the window of the parameters.
short echelle_pression(short pres);

// What drives one value at a moment: the slider's value (0-100; octaves, a small signed
// number, for the transposition slider), the pressure in percent, the touch height in percent,
// the targets of parameters 15 and 16, and whether automatic play runs.
struct LiveSource {
    short slider = 0;
    short pressure = 0;
    short height = 0;
    short pressure_drives = 1;
    short height_drives = 2;
    bool automatic = false;
};
short soloist_volume_value(const LiveSource& s);      // 0-127
short accompaniment_level_value(const LiveSource& s); // 0-100
short vibrato_value(const LiveSource& s);             // 0-127
short portamento_value(const LiveSource& s);          // 0-64
short reverb_value(short slider);                     // 0-127
short chorus_value(short slider);                     // 0-127
// The transposition in octaves, at most +2 (the player moves the soloist by whole octaves).
short transposition_value(const LiveSource& s);

// The `maj_` functions: the pending value from the slider named (its value given) and the live
// source of the moment (pen pressure, `hpor`, parameters 15 and 16). Nothing without `controls`.
void maj_volume_soliste(LiveControls* controls, short slider, bool automatic);
void maj_volume_accomp(LiveControls* controls, short slider);
void maj_vibrato(LiveControls* controls, short slider);
void maj_porta(LiveControls* controls, short slider);
void maj_reverb(LiveControls* controls, short slider);
void maj_chorus(LiveControls* controls, short slider);
// `transpo` (octaves) from the transposition slider.
void maj_transpo(short slider);

// The touch height inside the measure in percent (100 at its top), set by the touch locator.
extern std::atomic<short> hpor;

// ---- Messages ----

struct LiveMessage {
    short port;
    short tot;  // 2 or 3 bytes
    unsigned char bytes[3];
    bool operator==(const LiveMessage& o) const
    {
        return port == o.port && tot == o.tot && bytes[0] == o.bytes[0] && bytes[1] == o.bytes[1] &&
               (tot < 3 || bytes[2] == o.bytes[2]);
    }
};

// Whom the messages go to: the instrument records 1..count (soloist: bit 0 of `in_roll`), the
// staff touched (`psol`, 0 none), parameters 15 and 16, the metronome's instrument and its
// floor.
struct LiveTargets {
    const Ins* ins = nullptr;  // entries 1..count
    short count = 0;
    short psol = 0;
    short pressure_drives = 1;
    short height_drives = 2;
    short portee_metronome = 0;
    short metro_velo = 0;
};
// The targets of the open document and parameters.
LiveTargets live_targets(const Document* d, short psol, short portee_metronome);

void soloist_volume_messages(const LiveTargets& t, short v, std::vector<LiveMessage>* out);
// Level 0-100: 50 keeps each accompaniment instrument's own volume (`effet` 7; 100 when it was
// never set), 0 silences it, 100 gives 127; the metronome's instrument never goes below
// `metro_velo`.
void accompaniment_level_messages(const LiveTargets& t, short level, std::vector<LiveMessage>* out);
void vibrato_messages(const LiveTargets& t, short v, std::vector<LiveMessage>* out);     // CC1, v x 0.7
void reverb_messages(const LiveTargets& t, short v, std::vector<LiveMessage>* out);      // CC91
void chorus_messages(const LiveTargets& t, short v, std::vector<LiveMessage>* out);      // CC93
void portamento_messages(const LiveTargets& t, short p, std::vector<LiveMessage>* out);  // CC65 then CC5
void pitchbend_messages(const LiveTargets& t, short b, std::vector<LiveMessage>* out);
// The 14-bit pitch-bend word for a bend in percent (8192 the centre).
short pitchbend_word(short percent);

// Takes a pending value: true (and its value) when it is to be sent; the pending value is
// forgotten in both cases.
bool take_pending(std::atomic<short>& next, std::atomic<short>& cur, short* value);

// What one pass sends, in order: soloist volume, accompaniment level, vibrato, reverb, chorus,
// portamento, pitch bend. `restyle` (may be null) re-sends the composition assistant's style at
// a volume percentage and is true when it did: then the accompaniment level sends nothing else.
std::vector<LiveMessage> live_controller_messages(LiveControls& c, const LiveTargets& t,
                                                  bool (*restyle)(short percent));

// ---- Sending ----

// One pass over the play-along view's pending values (`view`'s when it is the play-along view),
// sent to the MIDI outputs.
void maj_controls(LiveControls& c, short psol, short portee_metronome);
// The program change of `patch` (1-based) with its bank select, on port 1: `chan` -1 to every
// soloist instrument, else to the 0-based channel `chan`. Nothing without a synthesizer
// definition for output 1.
void envoyer_patch(short patch, short chan);
// Sends the messages to the MIDI outputs (nothing without the MIDI layer).
void send_live_messages(const std::vector<LiveMessage>& messages);
