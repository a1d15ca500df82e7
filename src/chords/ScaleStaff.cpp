#include "chords/ScaleStaff.h"

#include "score/MusicSettings.h"

namespace {

// Semitones of the major scale's degrees above its tonic, and the pitch class of each letter
// C, D, E, F, G, A, B.
constexpr short kMajorSteps[7] = {0, 2, 4, 5, 7, 9, 11};
constexpr short kLetterClass[7] = {0, 2, 4, 5, 7, 9, 11};
// The degrees as labels, and as read from the relative minor.
const char* const kRoman[8] = {"", "I", "II", "III", "IV", "V", "VI", "VII"};
constexpr short kRelativeMinorDegree[8] = {0, 3, 4, 5, 6, 7, 1, 2};

short mod(short a, short m) { return (short)(((a % m) + m) % m); }

// The degree (1..7) of pitch class pc in the major scale of `key`, its sign through the out
// argument; 0 outside the scale.
short degree_and_sign(short key, short pc, short* sign)
{
    key = clamp_scale_key(key);
    const short tonic = mod((short)(7 * key), 12);
    const short tonic_letter = mod((short)(4 * key), 7);  // a fifth is four letters up
    for (short d = 0; d < 7; d++) {
        if (mod((short)(tonic + kMajorSteps[d]), 12) != pc) continue;
        const short letter = (short)((tonic_letter + d) % 7);
        const short alteration = mod((short)(pc - kLetterClass[letter]), 12);
        *sign = alteration == 0 ? 0 : alteration == 1 ? 1 : 2;
        return (short)(d + 1);
    }
    *sign = -1;
    return 0;
}

bool names_a_harmonic_grid(const std::string& name)
{
    return name.find("harmo") != std::string::npos || name.find("Harmo") != std::string::npos;
}

// The note names of the canvas labels: natural classes by name, altered ones by their sign.
std::string canvas_name(short pc, short s)
{
    switch (pc) {
    case 0: return "Do";
    case 1: return s == 1 ? "Do\r\n#" : "R\xe9\r\nb";
    case 2: return "R\xe9";
    case 3: return s == 1 ? "R\xe9\r\n#" : "Mi\r\nb";
    case 4: return s == 2 ? "Fa\r\nb" : "Mi";
    case 5: return s == 1 ? "Mi\r\n#" : "Fa";
    case 6: return s == 2 ? "Sol\r\nb" : "Fa\r\n#";
    case 7: return "Sol";
    case 8: return s == 1 ? "Sol\r\n#" : "La\r\nb";
    case 9: return "La";
    case 10: return s == 1 ? "La\r\n#" : "Si\r\nb";
    default: return s == 2 ? "Do\r\nb" : "Si";
    }
}

}  // namespace

int32_t scale_key_colour(short cls)
{
    switch (cls) {
    case kScaleNote: return kKeyScale;
    case kChordNote: return kKeyChord;
    case kOutsideScale: return kKeyOutside;
    default: return kKeyNotOffered;
    }
}

short scale_note_voice(short cls)
{
    switch (cls) {
    case kScaleNote: return 3;
    case kChordNote: return 2;
    case kOutsideScale: return 8;
    default: return 0;
    }
}

bool is_offered_colour(int32_t colour)
{
    return colour == kKeyChord || colour == kKeyScale || colour == kKeyOutside;
}

short clamp_scale_key(short key)
{
    return key < kScaleMinKey ? kScaleMinKey : key > kScaleMaxKey ? kScaleMaxKey : key;
}

short scale_sign(short key, short pc)
{
    short sign = -1;
    degree_and_sign(key, mod(pc, 12), &sign);
    return sign;
}

short scale_degree(short key, short pc)
{
    short sign = -1;
    const short d = degree_and_sign(key, mod(pc, 12), &sign);
    return d ? d : -1;
}

std::array<short, 12> scale_classes(const ScaleContext& c)
{
    std::array<short, 12> cls{};
    const short filter = c.canvas ? (short)kFilterChromatic : c.filter;
    for (short pc = 0; pc < 12; pc++) {
        const bool in_scale = scale_sign(c.key, pc) != -1;
        const bool in_chord = (c.chord_classes >> pc) & 1;
        switch (filter) {
        case kFilterScale: cls[pc] = in_scale ? (in_chord ? kChordNote : kScaleNote) : kNotOffered; break;
        case kFilterChord: cls[pc] = in_scale && in_chord ? kChordNote : kNotOffered; break;
        default: cls[pc] = in_scale ? (in_chord ? kChordNote : kScaleNote) : kOutsideScale; break;
        }
    }
    if (names_a_harmonic_grid(c.grid_name) && cls[7] != kNotOffered) {
        cls[7] = kNotOffered;
        cls[8] = kScaleNote;
    }
    if (c.one_cell) cls = {2, 0, 0, 2, 1, 2, 2, 2, 0, 1, 2, 1};
    return cls;
}

ScaleSpelling spell_scale_key(short k, short key, bool one_cell)
{
    const short pc = mod(k, 12);
    const short s = scale_sign(key, pc);
    const ScaleSpelling sharp{(short)(k - 1), 4}, flat{(short)(k + 1), 2}, plain{k, 0};
    switch (s) {
    case 1: return sharp;
    case 2: return flat;
    case 0: return plain;
    default:
        if (!tab_acc[pc]) return plain;
        if (clamp_scale_key(key) < 0 && !(one_cell && pc == 6)) return flat;
        return sharp;
    }
}

ScaleNotePlace place_scale_note(short k, const ScaleSpelling& s)
{
    const short w = s.step_key;
    const short d = (short)(7 * (w / 12) + tab_deg[w % 12]);
    ScaleNotePlace p;
    p.x = (short)(24 + 14 * (k - kScaleLowKey));
    p.y = (short)(3 * (45 - d));
    p.dir = p.y < 12 ? 1 : 0;
    p.dax = 9;
    if (p.dir)
        p.day = s.alt == 4 ? -13 : -10;
    else
        p.day = s.alt == 2 ? 15 : 13;
    return p;
}

std::string scale_label(short k, short key, bool canvas, bool minor_grid, bool one_cell)
{
    const short pc = mod(k, 12);
    if (canvas) return canvas_name(pc, scale_sign(key, pc));
    if (one_cell) return "";
    short d = scale_degree(key, pc);
    if (d < 1) return "";
    if (minor_grid) d = kRelativeMinorDegree[d];
    return kRoman[d];
}

MelodyAction melody_key(MelodyKeys* k, short note, bool note_on)
{
    MelodyAction a;
    if (note_on) {
        if (note == k->notepitch) {
            k->held++;
            return a;
        }
        a.release = k->notepitch;
        a.sound = note;
        k->notepitch = note;
        k->held = 1;
        return a;
    }
    if (!k->notepitch || note != k->notepitch) return a;
    if (k->held < 2) {
        a.release = k->notepitch;
        k->notepitch = 0;
        k->held = 0;
    } else {
        k->held--;
    }
    return a;
}

MelodyInbox::MelodyInbox()
{
    for (auto& c : colours) c.store(kKeyNotOffered, std::memory_order_relaxed);
}

void MelodyInbox::set_colour(short key, int32_t colour)
{
    if (key >= 0 && key < 128) colours[key].store(colour, std::memory_order_release);
}

int32_t MelodyInbox::colour(short key) const
{
    return key >= 0 && key < 128 ? colours[key].load(std::memory_order_acquire) : kKeyNotOffered;
}

short MelodyInbox::filter(const unsigned char* buf, short tot)
{
    const MelodyMessage m = melody_message(buf, tot, active.load(std::memory_order_acquire),
                                           [this](short n) { return colour(n); });
    if (m.verdict == MelodyVerdict::pass) return 1;
    if (m.verdict == MelodyVerdict::take) {
        std::lock_guard<std::mutex> g(lock);
        pending.push_back(m);
    }
    return 0;
}

std::vector<MelodyMessage> MelodyInbox::take()
{
    std::lock_guard<std::mutex> g(lock);
    std::vector<MelodyMessage> out;
    out.swap(pending);
    return out;
}
