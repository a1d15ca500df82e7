// The scale staff's decisions: the major scales of the key signatures, the classes a cell
// offers under each filter, the spellings and places of the staff notes, their labels, the
// piano colours, and the notes of the MIDI keyboard pulled onto offered keys.
#include "chords/ScaleStaff.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <string>
#include <thread>

namespace {

// A row of the scale table written as the musician reads it: degree and sign of each pitch
// class, "-" outside the scale.
std::string row(short key)
{
    std::string s;
    for (short pc = 0; pc < 12; pc++) {
        const short d = scale_degree(key, pc), sign = scale_sign(key, pc);
        if (pc) s += " ";
        if (d < 0) {
            s += "-";
            continue;
        }
        s += std::to_string(d);
        if (sign == 1) s += "#";
        if (sign == 2) s += "b";
    }
    return s;
}

TEST(ScaleTable, EveryKeySignatureFromSevenFlatsToSevenSharps)
{
    const char* const rows[15] = {
        "- 2b - 3b 4b - 5b - 6b - 7b 1b",  // -7
        "- 5b - 6b - 7 1b - 2b - 3b 4b",
        "7 1b - 2b - 3 4b - 5b - 6b -",
        "3 4b - 5b - 6 - 7 1b - 2b -",
        "6 - 7 1b - 2 - 3 4b - 5b -",
        "2 - 3 4b - 5 - 6 - 7 1b -",
        "5 - 6 - 7 1 - 2 - 3 4b -",
        "1 - 2 - 3 4 - 5 - 6 - 7",  // 0
        "4 - 5 - 6 - 7# 1 - 2 - 3",
        "- 7# 1 - 2 - 3# 4 - 5 - 6",
        "- 3# 4 - 5 - 6# - 7# 1 - 2",
        "- 6# - 7# 1 - 2# - 3# 4 - 5",
        "- 2# - 3# 4 - 5# - 6# - 7# 1",
        "- 5# - 6# - 7# 1# - 2# - 3# 4",
        "7# 1# - 2# - 3# 4# - 5# - 6# -",  // 7
    };
    for (short key = -7; key <= 7; key++) EXPECT_EQ(row(key), rows[key + 7]) << "key " << key;
    EXPECT_EQ(row(9), rows[14]);  // held to seven sharps
    EXPECT_EQ(row(-12), rows[0]);
}

uint16_t pcs(std::initializer_list<short> l)
{
    uint16_t m = 0;
    for (short pc : l) m |= (uint16_t)(1 << pc);
    return m;
}

using Classes = std::array<short, 12>;

TEST(ScaleClasses, KeyChordAndFilter)
{
    const uint16_t c_major = pcs({0, 4, 7});
    const uint16_t e_major = pcs({4, 8, 11});  // G sharp is outside C major
    struct Case {
        const char* what;
        ScaleContext c;
        Classes want;
    } cases[] = {
        {"chromatic, C in C", {0, c_major, kFilterChromatic, false, "Accords de base", false},
         {2, 3, 1, 3, 2, 1, 3, 2, 3, 1, 3, 1}},
        {"scale, C in C", {0, c_major, kFilterScale, false, "Accords de base", false},
         {2, 0, 1, 0, 2, 1, 0, 2, 0, 1, 0, 1}},
        {"chord, C in C", {0, c_major, kFilterChord, false, "Accords de base", false},
         {2, 0, 0, 0, 2, 0, 0, 2, 0, 0, 0, 0}},
        {"chord, E in C: G# not offered", {0, e_major, kFilterChord, false, "x", false},
         {0, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 2}},
        {"canvas takes the chromatic filter", {0, c_major, kFilterChord, true, "x", false},
         {2, 3, 1, 3, 2, 1, 3, 2, 3, 1, 3, 1}},
        {"harmonic grid: G becomes G#",
         {0, pcs({9, 0, 4}), kFilterScale, false, "Accords de La Mineur harmonique", false},
         {2, 0, 1, 0, 2, 1, 0, 0, 1, 2, 0, 1}},
        {"Harmo with a capital", {0, 0, kFilterScale, false, "Harmonie", false},
         {1, 0, 1, 0, 1, 1, 0, 0, 1, 1, 0, 1}},
        {"harmo, but G not offered", {0, pcs({9}), kFilterChord, false, "harmo", false},
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0}},
        {"one-cell grid, whatever the filter", {3, c_major, kFilterChord, false, "x", true},
         {2, 0, 0, 2, 1, 2, 2, 2, 0, 1, 2, 1}},
        {"G major: F# in, F out", {1, pcs({7, 11, 2}), kFilterScale, false, "x", false},
         {1, 0, 2, 0, 1, 0, 1, 2, 0, 1, 0, 2}},
    };
    for (const Case& c : cases) EXPECT_EQ(scale_classes(c.c), c.want) << c.what;
}

TEST(ScaleColours, ClassesToKeysAndVoices)
{
    struct Case {
        short cls;
        int32_t colour;
        short voice;
        bool offered;
    } cases[] = {
        {kNotOffered, 0xFFFFFF, 0, false},
        {kScaleNote, 0x00FF00, 3, true},
        {kChordNote, 0xFF0000, 2, true},
        {kOutsideScale, 0xC0C0C0, 8, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(scale_key_colour(c.cls), c.colour) << c.cls;
        EXPECT_EQ(scale_note_voice(c.cls), c.voice) << c.cls;
        EXPECT_EQ(is_offered_colour(c.colour), c.offered) << c.cls;
    }
    EXPECT_FALSE(is_offered_colour(0));
}

TEST(ScaleSpellings, SignsStepsAndPlaces)
{
    struct Case {
        short k, key;
        bool one_cell;
        short step_key, alt;
        short y, dir, day;
    } cases[] = {
        {60, 0, false, 60, 0, 3 * (45 - 35), 0, 13},   // C4 below the staff
        {77, 0, false, 77, 0, 0, 1, -10},              // F5 on the top line, stem down
        {66, 1, false, 65, 4, 3 * (45 - 38), 0, 13},   // F# in G: on F, sharp
        {70, -1, false, 71, 2, 3 * (45 - 41), 0, 15},  // Bb in F: on B, flat
        {61, 0, false, 60, 4, 3 * (45 - 35), 0, 13},   // C# outside C major: sharp
        {61, -2, false, 62, 2, 3 * (45 - 36), 0, 15},  // outside Bb major: flat
        {66, -2, true, 65, 4, 3 * (45 - 38), 0, 13},   // the one-cell grid's F#
        {65, 6, false, 64, 4, 3 * (45 - 37), 0, 13},   // E# in F# major
        {71, -6, false, 72, 2, 3 * (45 - 42), 1, -10},  // Cb in Gb major, stem down
        {64, 0, false, 64, 0, 3 * (45 - 37), 0, 13},   // white key outside nothing: own step
        {84, 0, false, 84, 0, 3 * (45 - 49), 1, -10},  // C6 above: stem down
        {85, 0, false, 84, 4, 3 * (45 - 49), 1, -13},
    };
    for (const Case& c : cases) {
        const ScaleSpelling s = spell_scale_key(c.k, c.key, c.one_cell);
        EXPECT_EQ(s.step_key, c.step_key) << c.k << " in " << c.key;
        EXPECT_EQ(s.alt, c.alt) << c.k << " in " << c.key;
        const ScaleNotePlace p = place_scale_note(c.k, s);
        EXPECT_EQ(p.x, 24 + 14 * (c.k - 53));
        EXPECT_EQ(p.y, c.y) << c.k << " in " << c.key;
        EXPECT_EQ(p.dir, c.dir) << c.k;
        EXPECT_EQ(p.dax, 9);
        EXPECT_EQ(p.day, c.day) << c.k << " in " << c.key;
    }
}

TEST(ScaleLabels, DegreesNamesAndNothing)
{
    struct Case {
        short k, key;
        bool canvas, minor, one_cell;
        const char* label;
    } cases[] = {
        {60, 0, false, false, false, "I"},
        {67, 0, false, false, false, "V"},
        {71, 0, false, false, false, "VII"},
        {69, 0, false, true, false, "I"},    // A in a minor grid of key 0
        {60, 0, false, true, false, "III"},
        {67, 0, false, true, false, "VII"},
        {61, 0, false, false, false, ""},    // outside the scale
        {60, 0, false, false, true, ""},     // one-cell grid in free mode
        {60, 0, true, false, true, "Do"},
        {61, 2, true, false, false, "Do\r\n#"},
        {61, -2, true, false, false, "R\xe9\r\nb"},
        {66, -6, true, false, false, "Sol\r\nb"},
        {66, 1, true, false, false, "Fa\r\n#"},
        {65, 6, true, false, false, "Mi\r\n#"},
        {71, -6, true, false, false, "Do\r\nb"},
        {64, 0, true, false, false, "Mi"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(scale_label(c.k, c.key, c.canvas, c.minor, c.one_cell), c.label)
            << c.k << " in " << c.key;
}

TEST(MelodyFilter, NotesPulledOntoOfferedKeys)
{
    // C major scale offered (white keys), black keys not.
    auto colour = [](short n) {
        static const bool black[12] = {0, 1, 0, 1, 0, 0, 1, 0, 1, 0, 1, 0};
        if (n < kScaleLowKey || n > kScaleHighKey) return kKeyNotOffered;
        return black[n % 12] ? kKeyNotOffered : kKeyScale;
    };
    EXPECT_EQ(pull_to_offered(60, colour), 60);
    EXPECT_EQ(pull_to_offered(61, colour), 62);  // odd: upward
    EXPECT_EQ(pull_to_offered(66, colour), 65);  // even: downward
    EXPECT_EQ(pull_to_offered(63, colour), 64);
    EXPECT_EQ(pull_to_offered(88, colour), 88);
    // Nothing offered: nowhere to go.
    EXPECT_EQ(pull_to_offered(61, [](short) { return kKeyNotOffered; }), 0);
    // The piano of the assistant offers only its keys: a black key under the lowest offered
    // even note finds nothing below.
    auto only_60 = [](short n) { return n == 60 ? kKeyChord : kKeyNotOffered; };
    EXPECT_EQ(pull_to_offered(58, only_60), 0);
    EXPECT_EQ(pull_to_offered(59, only_60), 60);
}

TEST(MelodyFilter, MessagesPassSwallowedOrTaken)
{
    // A G chord under the chord filter: G, B and D offered.
    auto colour = [](short n) {
        const short pc = n % 12;
        if (n < kScaleLowKey || n > kScaleHighKey) return kKeyNotOffered;
        return pc == 7 || pc == 11 || pc == 2 ? kKeyChord : kKeyNotOffered;
    };
    struct Case {
        std::array<unsigned char, 3> bytes;
        short tot;
        bool active;
        MelodyVerdict verdict;
        short note;
        bool on;
    } cases[] = {
        {{0x90, 60, 100}, 3, true, MelodyVerdict::take, 59, true},   // even: down to B
        {{0x90, 61, 100}, 3, true, MelodyVerdict::take, 62, true},   // odd: up to D
        {{0x90, 67, 100}, 3, true, MelodyVerdict::take, 67, true},
        {{0x80, 61, 64}, 3, true, MelodyVerdict::take, 62, false},
        {{0x93, 61, 0}, 3, true, MelodyVerdict::take, 62, false},    // velocity 0 is an off
        {{0x90, 52, 100}, 3, true, MelodyVerdict::swallow, 0, false},
        {{0x90, 89, 100}, 3, true, MelodyVerdict::swallow, 0, false},
        {{0xB0, 7, 100}, 3, true, MelodyVerdict::pass, 0, false},
        {{0xC0, 5, 0}, 2, true, MelodyVerdict::pass, 0, false},
        {{0x90, 60, 100}, 3, false, MelodyVerdict::pass, 0, false},  // the assistant closed
    };
    for (const Case& c : cases) {
        const MelodyMessage m = melody_message(c.bytes.data(), c.tot, c.active, colour);
        EXPECT_EQ(m.verdict, c.verdict) << (int)c.bytes[0] << " " << (int)c.bytes[1];
        if (c.verdict != MelodyVerdict::take) continue;
        EXPECT_EQ(m.note, c.note) << (int)c.bytes[1];
        EXPECT_EQ(m.note_on, c.on) << (int)c.bytes[0];
    }
    // No offered key in reach.
    const unsigned char far[3] = {0x90, 54, 100};
    EXPECT_EQ(melody_message(far, 3, true, [](short) { return kKeyNotOffered; }).verdict,
              MelodyVerdict::swallow);
}

TEST(MelodyFilter, KeysPulledOntoOneNoteHoldItUntilTheLast)
{
    MelodyKeys k;
    struct Step {
        short note;
        bool on;
        short release, sound, notepitch, held;
    } steps[] = {
        {60, true, 0, 60, 60, 1},
        {60, true, 0, 0, 60, 2},    // a second key pulled onto 60
        {60, false, 0, 0, 60, 1},   // the first released: still sounding
        {62, false, 0, 0, 60, 1},   // another note's release does nothing
        {60, false, 60, 0, 0, 0},   // the last released
        {64, true, 0, 64, 64, 1},
        {65, true, 64, 65, 65, 1},  // a new note releases the old one
    };
    for (const Step& s : steps) {
        const MelodyAction a = melody_key(&k, s.note, s.on);
        EXPECT_EQ(a.release, s.release) << s.note << (s.on ? " on" : " off");
        EXPECT_EQ(a.sound, s.sound) << s.note << (s.on ? " on" : " off");
        EXPECT_EQ(k.notepitch, s.notepitch);
        EXPECT_EQ(k.held, s.held);
    }
}

// The MIDI input thread's filter against the GUI thread rebuilding the key colours (a new
// chord) and taking the notes: every note taken is one the filter moved onto a key that was
// offered, and nothing is lost.
TEST(MelodyInboxThreads, InputThreadFiltersWhileTheGuiChangesChords)
{
    MelodyInbox inbox;
    inbox.set_active(true);
    for (short k = kScaleLowKey; k <= kScaleHighKey; k++) inbox.set_colour(k, kKeyScale);
    std::atomic<int> taken_by_filter{0};
    std::atomic<bool> done{false};
    std::thread input([&] {
        for (int i = 0; i < 20000; i++) {
            const unsigned char on[3] = {0x90, (unsigned char)(50 + i % 42), 100};
            if (!inbox.filter(on, 3) && on[1] >= kScaleLowKey && on[1] <= kScaleHighKey)
                taken_by_filter++;
        }
        done = true;
    });
    int taken = 0;
    for (int round = 0; !done.load() || round < 2; round++) {
        const short root = (short)(round % 12);
        for (short k = kScaleLowKey; k <= kScaleHighKey; k++)
            inbox.set_colour(k, (k - root) % 3 == 0 ? kKeyChord : kKeyScale);
        for (const MelodyMessage& m : inbox.take()) {
            EXPECT_GE(m.note, kScaleLowKey);
            EXPECT_LE(m.note, kScaleHighKey);
            EXPECT_TRUE(m.note_on);
            taken++;
        }
    }
    input.join();
    taken += (int)inbox.take().size();
    EXPECT_EQ(taken, taken_by_filter.load());
}

}  // namespace
