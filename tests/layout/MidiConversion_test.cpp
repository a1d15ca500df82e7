// From notation to MIDI values: pitches from clef, key and carried accidentals, ties; starts
// and lengths from values, dots, tuplets, chords and voices; free-length measures; the cache.
#include "layout/MidiConversion.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "layout/UtilitairesPartition.h"
#include "layout/VoiceAssignment.h"
#include "../score/ScoreFixture.h"

namespace {

// A note at x and y with an accidental, appended to measure (column, 1).
CNote* put(ScoreFixture& s, short x, short y, short alt = 0, short rythm = 3, short column = 1) {
    CNote* n = new CNote;
    n->x = x;
    n->y = y;
    n->alt = alt;
    n->rythm = rythm;
    n->voice = 1;
    n->pitch = n->start = n->length = -99;
    s.measure(column, 1)->add(n);
    return n;
}

CClef* put_clef(ScoreFixture& s, short x, short id) {
    CClef* c = new CClef;
    c->x = x;
    c->id = id;
    s.measure(1, 1)->add(c);
    return c;
}

void convert(ScoreFixture& s, short column = 1) {
    s.measure(column, 1)->flags = 0;
    conversion_graphique_midi(column, 1, 1);
}

std::vector<short> pitches(ScoreFixture& s, short column = 1) {
    std::vector<short> out;
    CMeasure* m = s.measure(column, 1);
    for (short i = 1; i <= m->total(); i++)
        if (CNote* n = m->get_note_item(i)) out.push_back(n->pitch);
    return out;
}

// A MIDI value of every note and rest of the measure, in item order.
std::vector<short> values(ScoreFixture& s, short CNote::*of_note, short CRest::*of_rest, short column = 1) {
    std::vector<short> out;
    CMeasure* m = s.measure(column, 1);
    for (short i = 1; i <= m->total(); i++) {
        if (CNote* n = m->get_note_item(i)) out.push_back(n->*of_note);
        if (CRest* r = m->get_rest_item(i)) out.push_back(r->*of_rest);
    }
    return out;
}
std::vector<short> starts(ScoreFixture& s) { return values(s, &CNote::start, &CRest::start); }
std::vector<short> lengths(ScoreFixture& s) { return values(s, &CNote::length, &CRest::length); }

constexpr short F5 = 2, F4 = 23;  // treble clef: the top line, and an octave lower

}  // namespace

// The top line of every clef kind, read through the clef constants.
TEST(MidiConversion, EachClefGivesItsTopLine) {
    const short top[10] = {77, 77, 57, 60, 74, 71, 67, 64, 81, 77};
    const short middle[10] = {71, 71, 50, 53, 67, 64, 60, 57, 74, 71};  // kind 3: F3 on its F line
    for (short kind = 0; kind < 10; kind++) {
        ScoreFixture s(1, 1);
        put_clef(s, 2, kind);
        put(s, 20, 2);
        put(s, 40, 14);  // the middle line, four steps lower
        convert(s);
        EXPECT_EQ(pitches(s)[0], top[kind]) << "clef " << kind;
        EXPECT_EQ(pitches(s)[1], middle[kind]) << "clef " << kind;
    }
}

// Written accidentals hold for the rest of the measure on the same step, not in other octaves;
// a natural cancels the key's accidental; a key change anywhere in the measure rules all of it;
// after a clef change the same step keeps the accidental.
TEST(MidiConversion, AccidentalsCarryThroughTheMeasureOnTheirStep) {
    {
        ScoreFixture s(1, 1);
        put_clef(s, 2, 1);
        put(s, 20, F5, 4);
        put(s, 50, F5);
        put(s, 80, F4);
        convert(s);
        EXPECT_EQ(pitches(s), (std::vector<short>{78, 78, 65}));
    }
    {
        ScoreFixture s(1, 1);
        put_clef(s, 2, 1);
        s.key(1, 1, 1);  // G major
        put(s, 20, F5, 3);
        put(s, 50, F5);
        put(s, 80, F4);
        convert(s);
        EXPECT_EQ(pitches(s), (std::vector<short>{77, 77, 66}));
    }
    {
        ScoreFixture s(1, 1);
        put_clef(s, 2, 1);
        put(s, 20, F5);
        put(s, 50, F5);
        s.key(1, 1, 1)->clef = 1;  // written after the notes
        convert(s);
        EXPECT_EQ(pitches(s), (std::vector<short>{78, 78}));
    }
    {
        ScoreFixture s(1, 1);
        put_clef(s, 2, 1);
        put(s, 20, F5, 4);
        put_clef(s, 60, 3);         // top line C4: F5 stands ten steps higher
        put(s, 90, (short)(2 - 30));
        put(s, 120, (short)(2 - 9));   // F4 in that clef: an octave lower
        convert(s);
        EXPECT_EQ(pitches(s), (std::vector<short>{78, 78, 65}));
    }
}

// The velocity is the recorded one, else the staff's instrument's.
TEST(MidiConversion, VelocityIsRecordedOrTheInstruments) {
    ScoreFixture s(1, 1);
    s.d->ins[1].velocity = 90;
    put(s, 20, 14);
    put(s, 50, 14)->rec_vel = 33;
    convert(s);
    CMeasure* m = s.measure(1, 1);
    EXPECT_EQ(m->get_note_item(1)->velocity, 90);
    EXPECT_EQ(m->get_note_item(2)->velocity, 33);
}

// Sequential voices: values, dots, chords sharing start and length, tuplets with the rounding
// that keeps their sum exact.
TEST(MidiConversion, VoicesArePlacedInSequence) {
    struct Case {
        const char* what;
        std::initializer_list<short> rythms;
        short n1, n2;  // a tuplet over all of them; 0 none
        short point;   // dots of the first
        std::vector<short> starts, lengths;
    } cases[] = {
        {"four quarters", {3, 3, 3, 3}, 0, 0, 0, {0, 480, 960, 1440}, {480, 480, 480, 480}},
        {"dotted quarter, eighth", {3, 4}, 0, 0, 1, {0, 720}, {720, 240}},
        {"double-dotted quarter", {3}, 0, 0, 2, {0}, {840}},
        {"quarter triplet", {3, 3, 3}, 3, 2, 0, {0, 320, 640}, {320, 320, 320}},
        {"eighth triplet", {4, 4, 4}, 3, 2, 0, {0, 160, 320}, {160, 160, 160}},
        {"septuplet of sixteenths", {5, 5, 5, 5, 5, 5, 5}, 7, 4, 0,
         {0, 69, 137, 206, 274, 343, 411}, {69, 68, 69, 68, 69, 68, 69}},
        {"a tuplet of no notes divides by nothing", {3, 3}, 0, 2, 0, {0, 480}, {480, 480}},
    };
    for (const Case& c : cases) {
        ScoreFixture s(1, 1);
        short x = 20, k = 0;
        for (short r : c.rythms) {
            CNote* n = put(s, x, 14, 0, r);
            if (k++ == 0) n->point = c.point;
            if (c.n2) n->nmask = 1;
            x = (short)(x + 15);
        }
        if (c.n2) {
            CNolet* t = new CNolet;
            t->n1 = c.n1;
            t->n2 = c.n2;
            t->mask = 1;
            s.measure(1, 1)->add(t);
        }
        convert(s);
        EXPECT_EQ(starts(s), c.starts) << c.what;
        EXPECT_EQ(lengths(s), c.lengths) << c.what;
    }
}

TEST(MidiConversion, AChordSharesStartAndLength) {
    ScoreFixture s(1, 1);
    put(s, 20, 14, 0, 2);
    for (short y : {26, 20, 14}) put(s, 60, y, 0, 3)->cid = 4;
    put(s, 100, 14, 0, 3);
    convert(s);
    EXPECT_EQ(starts(s), (std::vector<short>{0, 960, 960, 960, 1440}));
    EXPECT_EQ(lengths(s), (std::vector<short>{960, 480, 480, 480, 480}));
}

// A second voice that does not fill the measure is placed by its position when the document
// asks for it: it takes the start of a voice-1 note within 4 units, and a unit that would end
// after the measure moves earlier.
TEST(MidiConversion, AnIncompleteSecondVoiceIsPlacedByPosition) {
    ScoreFixture s(1, 1);  // width 150, front 10: cells of 33 units per beat
    s.d->analyse_voix_incompletes = 1;
    put(s, 20, 8, 0, 3);
    put(s, 50, 8, 0, 3);
    put(s, 81, 8, 0, 2);
    CNote* low = put(s, 79, 26, 0, 2);
    low->voice = 2;
    convert(s);
    EXPECT_EQ(low->start, 960);
    low->x = 130;
    convert(s);
    EXPECT_EQ(low->start, 960);  // would start at beat 4 and end after the measure
    // The same voice in sequence when the document does not analyse positions.
    s.d->analyse_voix_incompletes = 0;
    convert(s);
    EXPECT_EQ(low->start, 0);
}

// A measure whose width leaves no cells (width equal to its front, or too narrow for its
// beats) and one of no beats place an incomplete voice in sequence instead of dividing by zero.
TEST(MidiConversion, ANarrowMeasurePlacesInSequence) {
    struct Case {
        short width, beats;
    } cases[] = {{10, 4}, {18, 4}, {25, 4}, {150, 0}};
    for (const Case& c : cases) {
        ScoreFixture s(1, 1);
        s.d->analyse_voix_incompletes = 1;
        CMeasure* m = s.measure(1, 1);
        m->width = c.width;
        m->tot_beat = c.beats;
        put(s, 12, 8, 0, 2);
        put(s, 14, 8, 0, 2);
        put(s, 13, 26, 0, 3)->voice = 2;
        put(s, 15, 26, 0, 3)->voice = 2;
        convert(s);
        EXPECT_EQ(starts(s), (std::vector<short>{0, 960, 0, 480})) << c.width << " " << c.beats;
    }
}

// A free-length measure grows to its content; times only come with `timing`.
TEST(MidiConversion, AFreeLengthMeasureGrowsToItsContent) {
    ScoreFixture s(1, 1);
    CMeasure* m = s.measure(1, 1);
    m->meas |= 0x1000;
    for (short x : {20, 40, 60, 80, 100}) put(s, x, 14);
    m->flags = 0;
    conversion_graphique_midi(1, 1, 0);
    EXPECT_EQ(m->length, 1920);
    EXPECT_EQ(starts(s)[4], -99);
    convert(s);
    EXPECT_EQ(m->tot_beat, 5);
    EXPECT_EQ(m->length, 2400);
    EXPECT_EQ(starts(s)[4], 1920);
}

// Up to date: nothing changes, symbols included; after the conversion the symbols stand in the
// order of their positions.
TEST(MidiConversion, TheCacheBitKeepsTheMeasureAndSymbolsAreOrdered) {
    ScoreFixture s(1, 1);
    CMeasure* m = s.measure(1, 1);
    CNote* n = put(s, 20, 14);
    CSymbol* right = new CSymbol;
    right->set_local_param(1, 90);
    CSymbol* left = new CSymbol;
    left->set_local_param(1, 30);
    m->add(right);
    m->add(left);
    m->flags = 0x02;
    conversion_graphique_midi(1, 1, 1);
    EXPECT_EQ(n->pitch, -99);
    EXPECT_EQ(m->get_symbol_item(2), right);
    m->flags = 0;
    conversion_graphique_midi(1, 1, 1);
    EXPECT_EQ(n->pitch, 71);
    EXPECT_EQ(m->get_symbol_item(2), left);
    EXPECT_EQ(m->get_symbol_item(3), right);
    EXPECT_TRUE(m->flags & 0x02);
}

// Notes far off the staff are outside the accidental table: they take no accidental from it
// and never reach past it; their pitches stay within MIDI's range.
TEST(MidiConversion, NotesFarOffTheStaffStayInRange) {
    ScoreFixture s(1, 1);
    put(s, 20, -600, 4);
    put(s, 40, -600);
    put(s, 60, 900, 2);
    put(s, 80, 3005);
    put(s, 100, 14);
    convert(s);
    std::vector<short> p = pitches(s);
    EXPECT_EQ(p[0], 127);
    EXPECT_EQ(p[2], 0);
    EXPECT_EQ(p[3], 0);
    EXPECT_EQ(p[4], 71);
}

// A D flat tied over the bar line and followed by a D sharp on the same line: the tie ends on
// the first D, which keeps the flat; the D sharp is played as written and sounds.
TEST(MidiConversion, ANoteAfterATiedNoteOnItsLineIsPlayedAsWritten) {
    ScoreFixture s(1, 2);
    put_clef(s, 2, 1);
    constexpr short D5 = F5 + 6;
    CNote* flat = put(s, 200, D5, 2, 2);
    flat->flags = 0x1;
    CNote* held = put(s, 20, D5, 0, 3, 2);
    CNote* sharp = put(s, 60, D5, 4, 3, 2);
    // The pitches as a transcription writes them, before the ties are checked.
    flat->pitch = held->pitch = 73;
    sharp->pitch = 75;
    for (short c = 1; c <= 2; c++) s.measure(c, 1)->flags = 0;
    verifier_tenues_notes(1, 1);
    verifier_tenues_notes(2, 1);
    convert(s, 1);
    convert(s, 2);
    EXPECT_EQ(flat->pitch, 73);
    EXPECT_EQ(held->pitch, 73) << "the tied D keeps the flat";
    EXPECT_EQ(sharp->pitch, 75) << "the D sharp as written";
    EXPECT_EQ(held->flags & 0x2, 0x2);
    EXPECT_EQ(sharp->flags & 0x2, 0) << "struck anew, not tied";
}
