// Chords and chord names: the name parser's two routes, respelling, refusals, the notes a
// chord builds, transposition and the scale model.
#include "score/CChord.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "score/CChordLibrary.h"
#include "score/MusicClasses.h"
#include "score/MusicGlobals.h"
#include "score/NoteCodes.h"

namespace {

std::vector<short> list(const CArrayInt& a) {
    std::vector<short> v;
    for (short i = 1; i <= a.total(); i++) v.push_back(a.get(i));
    return v;
}

// A dictionary whose only types are the major triad (identifier 1, no name) and, when asked,
// a minor seventh; the displayed note names are the letters.
class ChordNames : public ::testing::Test {
protected:
    void SetUp() override {
        CArrayInt triad;
        for (short v : {0, 516, 1031}) triad.add(v);
        library.add_chord(1, "", &triad);
        chord_library = &library;
        for (const char* n : {"C", "D", "E", "F", "G", "A", "B"}) {
            letters.add();
            letters.get(letters.total())->set(n);
        }
        note_names = &letters;
    }
    void TearDown() override {
        chord_library = nullptr;
        note_names = nullptr;
    }
    void add_minor_seventh() {
        CArrayInt m7;
        for (short v : {0, 515, 1031, 1546}) m7.add(v);
        library.add_chord(8, "m7", &m7);
    }

    CChordLibrary library;
    CArrayString letters;
};

TEST_F(ChordNames, TheTableOfNames) {
    struct Case {
        const char* text;
        short ok;
        const char* respelled;
        short root, bass, id;
        std::vector<short> def;
    };
    const Case cases[] = {
        {"C", 1, "C", 0, -1, 1, {0, 516, 1031}},
        {"C7", 1, "C7", 0, -1, 0, {0, 516, 1031, 1546}},
        {"Cm7", 1, "Cm7", 0, -1, 0, {0, 515, 1031, 1546}},
        {"Cm(b5)", 1, "Cm(b5)", 0, -1, 0, {0, 515, 1030}},
        {"Csus4", 1, "Csus4", 0, -1, 0, {0, 516, 773, 1031}},
        {"CSUS", 1, "Csus", 0, -1, 0, {0, 516, 773, 1031}},
        {"C/E", 1, "C/E", 0, 516, 1, {0, 516, 1031}},
        {"C / e", 1, "C / E", 0, 516, 1, {0, 516, 1031}},
        {"C/X", 1, "C/X", 0, -1, 0, {0, 516, 1031}},  // only the suffixes accept it
        {"cb", 1, "Cb", 1803, -1, 1, {0, 516, 1031}},
        {"db", 1, "Db", 257, -1, 1, {0, 516, 1031}},
        {"F#m/A", 1, "F#m/A", 774, 1289, 0, {0, 515, 1031}},
        {"Bb7/Ab", 1, "Bb7/Ab", 1546, 1288, 0, {0, 516, 1031, 1546}},
        {"sol7", 1, "Sol7", 1031, -1, 0, {0, 516, 1031, 1546}},
        {"C MAJ7", 1, "C Maj7", 0, -1, 0, {0, 516, 1031, 1547}},
        {"CDIM7", 1, "Cdim7", 0, -1, 0, {0, 516, 1031, 1545}},
        {"C7(#9,b13)", 0, nullptr, 0, 0, 0, {}},  // the comma is no suffix
        {"c maj7", 0, nullptr, 0, 0, 0, {}},
        {"Cdim", 0, nullptr, 0, 0, 0, {}},
        {"H7", 0, nullptr, 0, 0, 0, {}},
        {"", 0, nullptr, 0, 0, 0, {}},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        CArrayInt def;
        short root = 99, bass = 99, id = 99;
        ASSERT_EQ(name_to_chord(&text[0], &def, &root, &bass, &id), c.ok) << c.text;
        if (!c.ok) continue;
        EXPECT_EQ(text, c.respelled) << c.text;
        EXPECT_EQ(root, c.root) << c.text;
        EXPECT_EQ(bass, c.bass) << c.text;
        EXPECT_EQ(id, c.id) << c.text;
        EXPECT_EQ(list(def), c.def) << c.text;
    }
}

TEST_F(ChordNames, EverySuffixAddsItsInterval) {
    struct Case {
        const char* suffix;
        short interval;
        bool third, fifth;
        const char* respelled;
    };
    const Case cases[] = {
        {"2", 258, 0, 0, "2"},       {"#2", 259, 0, 0, "#2"},     {"b2", 257, 0, 0, "b2"},
        {"#3", 517, 1, 0, "#3"},     {"min", 515, 1, 0, "min"},   {"m", 515, 1, 0, "m"},
        {"3", 516, 1, 0, "3"},       {"MAJ7", 1547, 0, 0, "Maj7"}, {"Maj", 516, 1, 0, "Maj"},
        {"b3", 515, 1, 0, "b3"},     {"b4", 772, 0, 0, "b4"},     {"SUS4", 773, 0, 0, "sus4"},
        {"Sus", 773, 0, 0, "sus"},   {"#4", 774, 0, 0, "#4"},     {"4", 773, 0, 0, "4"},
        {"b5", 1030, 0, 1, "b5"},    {"#5", 1032, 0, 1, "#5"},    {"5", 1031, 0, 1, "5"},
        {"6", 1289, 0, 0, "6"},      {"b6", 1288, 0, 0, "b6"},    {"#6", 1290, 0, 0, "#6"},
        {"7", 1546, 0, 0, "7"},      {"Dim7", 1545, 0, 0, "dim7"}, {"9", 2062, 0, 0, "9"},
        {"#9", 2063, 0, 0, "#9"},    {"B9", 2061, 0, 0, "B9"},    {"11", 2577, 0, 0, "11"},
        {"#11", 2578, 0, 0, "#11"},  {"b11", 2576, 0, 0, "b11"},  {"13", 3093, 0, 0, "13"},
        {"#13", 3094, 0, 0, "#13"},  {"b13", 3092, 0, 0, "b13"},
    };
    for (const Case& c : cases) {
        // In parentheses, so that a leading "#" or "b" is not read as the root's accidental.
        std::string text = std::string("G(") + c.suffix + ")";
        CArrayInt def;
        short root, bass, id;
        ASSERT_TRUE(name_to_chord(&text[0], &def, &root, &bass, &id)) << c.suffix;
        EXPECT_EQ(text, std::string("G(") + c.respelled + ")");
        std::vector<short> want = {0, c.interval};
        if (!c.third) want.push_back(516);
        if (!c.fifth) want.push_back(1031);
        std::vector<short> sorted = want;
        for (size_t i = 0; i < sorted.size(); i++)
            for (size_t j = i + 1; j < sorted.size(); j++)
                if ((sorted[j] & 0x7F) < (sorted[i] & 0x7F)) std::swap(sorted[i], sorted[j]);
        EXPECT_EQ(list(def), sorted) << c.suffix;
        EXPECT_EQ(id, 0);
    }
}

TEST_F(ChordNames, TheDictionaryRouteComesFirst) {
    add_minor_seventh();
    CChord chord;
    char text[] = "e M7 / g#";
    ASSERT_TRUE(chord.set_chord_name(text));
    EXPECT_STREQ(text, "E m7 / G#");
    EXPECT_STREQ(chord.chord_name.get(), "E m7 / G#");
    EXPECT_EQ(chord.chord_id, 8);
    EXPECT_EQ(chord.base_note, 516);
    EXPECT_EQ(chord.alt_bass, make_note(4, 8));
    // A bass that is not a note makes the dictionary route refuse; the suffixes take it.
    char odd[] = "Em7/Q";
    ASSERT_TRUE(chord.set_chord_name(odd));
    EXPECT_EQ(chord.chord_id, 0);
    EXPECT_EQ(chord.alt_bass, -1);
}

TEST_F(ChordNames, NamesTheDocumentCouldNotReadBackAreRefused) {
    CChord chord;
    char g[] = "G";
    ASSERT_TRUE(chord.set_chord_name(g));
    std::string longest = "C" + std::string(CHORD_NAME_MAX - 1, ' ');
    EXPECT_TRUE(chord.set_chord_name(&longest[0]));
    std::string too_long = longest + " ";
    EXPECT_FALSE(chord.set_chord_name(&too_long[0]));
    char comma[] = "C7,9";
    EXPECT_FALSE(chord.set_chord_name(comma));
    EXPECT_EQ(chord.chord_name.length(), CHORD_NAME_MAX);  // the last accepted name stays
    char nothing[] = "xyz";
    EXPECT_FALSE(chord.set_chord_name(nothing));
    EXPECT_EQ(chord.base_note, 0);
}

TEST_F(ChordNames, ANewChordIsTheDefaultTypeOnMiddleC) {
    CChord chord;
    EXPECT_EQ(chord.chord_id, 1);
    EXPECT_STREQ(chord.chord_name.get(), "C ");  // the root, then a blank before the empty name
    EXPECT_EQ(list(chord.chord), (std::vector<short>{9020, 9020 + 516, 9020 + 1031}));
    chord_library = nullptr;
    CChord bare;
    EXPECT_EQ(bare.chord_id, 0);
    EXPECT_STREQ(bare.chord_name.get(), "");
    EXPECT_EQ(bare.get_chord_total(), 0);
}

TEST_F(ChordNames, TheBassGoesBelowTheChord) {
    CChord chord;
    char name[] = "C/E";
    ASSERT_TRUE(chord.set_chord_name(name));
    // E is above C: an octave lower.
    EXPECT_EQ(list(chord.chord), (std::vector<short>{9020 + 516 - 1804, 9020, 9020 + 516, 9020 + 1031}));
    chord.set_octave(0);
    chord.build_chord();
    // In octave 0 the bass stays and the chord moves up.
    EXPECT_EQ(list(chord.chord), (std::vector<short>{516, 1804, 1804 + 516, 1804 + 1031}));
    chord.set_octave(11);  // out of range: nothing
    EXPECT_EQ(chord.octave, 0);
}

TEST(Transposition, StepsWrapIntoTheOctave) {
    struct Case {
        short note, steps, semitones, wrap, octave_in;
        short result, octave_out;
    };
    const Case cases[] = {
        {make_note(6, 11), 1, 1, 1, 5, make_note(0, 0), 6},    // B up to C of the next octave
        {make_note(6, 11), 1, 1, 0, 5, make_note(7, 12), 5},   // without wrap: step 7
        {make_note(0, 0), -1, -1, 1, 5, make_note(6, 11), 4},  // C down to B
        {make_note(0, 0), -1, -1, 1, 0, make_note(6, 11), 0},  // the octave stops at 0
        {make_note(2, 4), 2, 3, 1, 5, make_note(4, 7), 5},     // E up a third: G
        {make_note(35, 60), -14, -24, 0, 5, make_note(21, 36), 5},
    };
    for (const Case& c : cases) {
        short octave = c.octave_in;
        EXPECT_EQ(transposer_note(c.note, c.steps, c.semitones, &octave, c.wrap), c.result) << c.note;
        EXPECT_EQ(octave, c.octave_out) << c.note;
    }
    EXPECT_EQ(transposer_note(make_note(6, 11), 1, 1, nullptr, 1), make_note(0, 0));
}

TEST_F(ChordNames, TransposingMovesRootBassNotesAndName) {
    add_minor_seventh();
    CChord chord;
    char name[] = "Bm7/D";
    ASSERT_TRUE(chord.set_chord_name(name));
    std::vector<short> before = list(chord.chord);
    chord.transpose(1, 1);  // up a minor second: C
    EXPECT_EQ(chord.base_note, make_note(7, 12));  // no wrap: one octave of steps above
    EXPECT_EQ(chord.alt_bass, make_note(2, 3));     // E flat
    EXPECT_STREQ(chord.chord_name.get(), "C m7/Eb");
    EXPECT_EQ(chord.chord_id, 8);
    for (size_t i = 0; i < before.size(); i++)
        EXPECT_EQ(chord.get_chord_note((short)(i + 1)), transposer_note(before[i], 1, 1, nullptr, 0));
    EXPECT_EQ(chord.tonic, 256 + 1);  // the tonic C moved to D flat, within the octave
    EXPECT_EQ(chord.octave, 5);
}

TEST_F(ChordNames, TheScaleModelBuildsFromTheScaleTables) {
    // One scale (C major) and one scale chord (root, third, fifth).
    CArrayString scales, shapes;
    scales.add();
    scales.get(1)->set("scale(\"Majeur\",7,0,1,2,3,4,5,6,0,2,4,5,7,9,11,0,0,0,0,0,0,0,0,0,0,0,0,0,0)");
    shapes.add();
    shapes.get(1)->set("chord(\"Triade\",3,0,2,4)");
    scale_names = &scales;
    scale_table = build_scale_table(&scales);
    scale_chord_names = &shapes;
    scale_chord_table = build_scale_chord_table(&shapes);
    {
        CChord chord;
        const short c5 = make_note(35, 60);
        EXPECT_EQ(chord.get_scale_total(), 7);
        EXPECT_EQ(chord.get_scale_note(1), c5);
        EXPECT_EQ(chord.get_scale_note(8), c5 + 1804);
        chord.degree = 7;  // on B: B, D, F above it
        chord.compute_chord();
        EXPECT_EQ(list(chord.chord), (std::vector<short>{(short)(c5 + make_note(6, 11)),
                                                         (short)(c5 + 1804 + make_note(1, 2)),
                                                         (short)(c5 + 1804 + make_note(3, 5))}));
        chord.inversion = 1;
        chord.compute_chord();
        EXPECT_EQ(chord.get_chord_note(3), c5 + make_note(6, 11) + 1804);
        chord.set_type(0);
        EXPECT_EQ(chord.type, 1);
        chord.set_tonic(make_note(4, 7));
        EXPECT_EQ(chord.get_scale_note(1), c5 + make_note(4, 7));
    }
    free_scale_table(scale_table, 1);
    free_scale_table(scale_chord_table, 1);
    scale_table = scale_chord_table = nullptr;
    scale_names = scale_chord_names = nullptr;
}

TEST_F(ChordNames, ADuplicateIsEqualAndIndependent) {
    CChord chord;
    char name[] = "F#m/A";
    ASSERT_TRUE(chord.set_chord_name(name));
    chord.ana_id = 3;
    chord.ana_chord_names.add();
    chord.ana_chord_names.get(1)->set("F#m");
    chord.ana_chord_fact.add(-32768);
    chord.ana_global_tonic.add(2);
    chord.ana_global_type.add(1);
    chord.ana_notes_communes = 2;
    CChord* copy = chord.duplicate();
    EXPECT_STREQ(copy->chord_name.get(), "F#m/A");
    EXPECT_EQ(list(copy->chord), list(chord.chord));
    EXPECT_EQ(copy->alt_bass, chord.alt_bass);
    EXPECT_EQ(copy->ana_id, 3);
    EXPECT_STREQ(copy->ana_chord_names.get(1)->get(), "F#m");
    EXPECT_EQ(copy->ana_chord_fact.get(1), -32768);
    EXPECT_EQ(copy->ana_global_type.get(1), 1);
    EXPECT_EQ(copy->ana_notes_communes, 2);
    chord.ana_chord_names.get(1)->set("G");
    EXPECT_STREQ(copy->ana_chord_names.get(1)->get(), "F#m");
    delete copy;
}

}  // namespace
