#pragma once
// The scale staff of the composition assistant as decisions over plain data: which pitch classes
// a chord-grid cell offers (its class: not offered, scale note, chord note, outside the scale),
// how each key of the staff's three octaves is spelled and placed, its label, the colour of its
// piano key, and where a note from the MIDI keyboard is pulled to. Free of windows and threads.

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// The keys the staff and the piano offer.
constexpr short kScaleLowKey = 53;
constexpr short kScaleHighKey = 88;
// Key signatures of the cells: -7 (seven flats) to 7 (seven sharps).
constexpr short kScaleMinKey = -7;
constexpr short kScaleMaxKey = 7;

enum ScaleClass : short {
    kNotOffered = 0,
    kScaleNote = 1,
    kChordNote = 2,
    kOutsideScale = 3,
};

// The scale-filter popup's entries.
enum ScaleFilter : short {
    kFilterChromatic = 1,
    kFilterScale = 2,
    kFilterChord = 3,
};

// Colours (0x00BBGGRR) of the piano keys for each class, and the staff voice that draws it.
constexpr int32_t kKeyNotOffered = 0xFFFFFF;
constexpr int32_t kKeyScale = 0x00FF00;
constexpr int32_t kKeyChord = 0xFF0000;
constexpr int32_t kKeyOutside = 0xC0C0C0;
int32_t scale_key_colour(short cls);
short scale_note_voice(short cls);
bool is_offered_colour(int32_t colour);

// The major scale of a key signature, for pitch class pc: the sign that spells it (0 natural,
// 1 sharp, 2 flat; -1 outside the scale) and its degree (1..7; -1 outside).
short scale_sign(short key, short pc);
short scale_degree(short key, short pc);

// A key signature held to -7..7.
short clamp_scale_key(short key);

struct ScaleContext {
    short key = 0;                   // the cell's key signature (clamped here)
    uint16_t chord_classes = 0;      // bit pc set for each pitch class of the chord
    short filter = kFilterChromatic;
    bool canvas = false;             // canvas mode: the filter counts as chromatic
    std::string grid_name;           // the harmony's name ("harmo" moves the fifth up)
    bool one_cell = false;           // a grid of one column and one row
};
std::array<short, 12> scale_classes(const ScaleContext& c);

// How key k of the staff is written: the key whose diatonic step is used and the accidental
// (0 none, 2 flat, 4 sharp).
struct ScaleSpelling {
    short step_key = 0;
    short alt = 0;
};
ScaleSpelling spell_scale_key(short k, short key, bool one_cell);

// A staff note's place: x and y in staff units (y 0 the top line), stem down, the accidental's
// offsets.
struct ScaleNotePlace {
    short x = 0, y = 0;
    short dir = 0;
    short dax = 0, day = 0;
};
ScaleNotePlace place_scale_note(short k, const ScaleSpelling& s);

// The label under a staff note of class 1 or 2: the degree in Roman numerals in free mode (read
// from the relative minor for a minor grid), the note's name in canvas mode (two lines, name
// and sign, for altered notes), nothing for a one-cell grid in free mode.
std::string scale_label(short k, short key, bool canvas, bool minor_grid, bool one_cell);

// A MIDI-keyboard note pulled onto an offered key: the note itself when its key is offered,
// else the nearest offered key upward (odd notes) or downward (even notes); 0 when none.
// `colour_of(note)` gives the key colours of the piano.
template <typename ColourOf>
short pull_to_offered(short note, ColourOf colour_of)
{
    if (is_offered_colour(colour_of(note))) return note;
    if (note & 1) {
        for (short n = (short)(note + 1); n <= 127; n++)
            if (is_offered_colour(colour_of(n))) return n;
    } else {
        for (short n = (short)(note - 1); n >= 1; n--)
            if (is_offered_colour(colour_of(n))) return n;
    }
    return 0;
}

// What the MIDI input filter does with one incoming message while the assistant is open: pass
// it on (anything but a note, or the assistant closed), swallow it (a note outside the offered
// keys' range, or one that finds no offered key), or take it as the note `note` (moved onto an
// offered key), which the assistant then plays itself.
enum class MelodyVerdict { pass, swallow, take };
struct MelodyMessage {
    MelodyVerdict verdict = MelodyVerdict::pass;
    short note = 0;
    bool note_on = false;
};
template <typename ColourOf>
MelodyMessage melody_message(const unsigned char* buf, short tot, bool active, ColourOf colour_of)
{
    MelodyMessage m;
    if (!active || tot != 3 || (buf[0] & 0xE0) != 0x80) return m;
    m.verdict = MelodyVerdict::swallow;
    const short note = buf[1] & 0x7F;
    if (note < kScaleLowKey || note > kScaleHighKey) return m;
    m.note = pull_to_offered(note, colour_of);
    if (!m.note) return m;
    m.note_on = (buf[0] & 0xF0) == 0x90 && buf[2] != 0;
    m.verdict = MelodyVerdict::take;
    return m;
}

// The MIDI-keyboard notes that reach the assistant's single sounding note: several keys pulled
// onto the same note hold it until the last is released.
struct MelodyKeys {
    short notepitch = 0;
    short held = 0;  // keys held on notepitch
};
struct MelodyAction {
    short release = 0;  // a note to stop first (0 none)
    short sound = 0;    // a note to start (0 none)
};
MelodyAction melody_key(MelodyKeys* k, short note, bool note_on);

// The hand-over of MIDI-keyboard notes from the MIDI input thread to the GUI thread: the input
// thread's filter reads the piano's key colours (atomics the GUI writes) and queues the notes it
// takes; the GUI thread takes them from its periodic task and only then plays, draws or inserts.
class MelodyInbox {
public:
    MelodyInbox();
    void set_active(bool on) { active.store(on, std::memory_order_release); }
    void set_colour(short key, int32_t colour);
    int32_t colour(short key) const;
    // Input thread: 1 when the message goes on to the echo, 0 when it is consumed.
    short filter(const unsigned char* buf, short tot);
    // GUI thread: the notes taken since the last call, in order.
    std::vector<MelodyMessage> take();

private:
    std::array<std::atomic<int32_t>, 128> colours;
    std::atomic<bool> active{false};
    std::mutex lock;
    std::vector<MelodyMessage> pending;
};
