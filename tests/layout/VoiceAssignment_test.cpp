// Voices of a measure: kept when they fit, searched otherwise, renumbered fullest first.
#include "layout/VoiceAssignment.h"

#include <gtest/gtest.h>

#include <vector>

#include "../score/ScoreFixture.h"

namespace {

// A note of value `rythm` at x, with a stem direction and a preset voice, appended to the
// measure at (1, 1).
CNote* put_note(ScoreFixture& s, short x, short rythm, short voice, short dir = 0, short gid = 0,
                short cid = 0) {
    CNote* n = new CNote;
    n->x = x;
    n->y = 14;
    n->rythm = rythm;
    n->voice = voice;
    n->dir = dir;
    n->gid = gid;
    n->cid = cid;
    s.measure(1, 1)->add(n);
    return n;
}

CRest* put_rest(ScoreFixture& s, short x, short rythm, short voice) {
    CRest* r = new CRest;
    r->x = x;
    r->rythm = rythm;
    r->voice = voice;
    s.measure(1, 1)->add(r);
    return r;
}

std::vector<short> voices(ScoreFixture& s) {
    std::vector<short> v;
    CMeasure* m = s.measure(1, 1);
    for (short i = 1; i <= m->total(); i++) {
        if (CNote* n = m->get_note_item(i)) v.push_back(n->voice);
        if (CRest* r = m->get_rest_item(i)) v.push_back(r->voice);
    }
    return v;
}

}  // namespace

TEST(VoiceAssignment, NominalLengthsHalveAndDotsAddHalves) {
    struct Case {
        short rythm, point, ticks;
    } cases[] = {{0, 0, 3840}, {1, 0, 1920}, {3, 0, 480}, {3, 1, 720}, {3, 2, 840},
                 {4, 3, 450}, {9, 0, 7}, {11, 0, 1}, {12, 0, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(duree_nominale(c.rythm, c.point), c.ticks) << c.rythm << "/" << c.point;
}

// One line that fits the measure is voice 1 whatever it held; the measure's items end sorted
// by x and the cache bit is set.
TEST(VoiceAssignment, OneLineBecomesVoiceOneSortedByPosition) {
    ScoreFixture s(1, 1);
    put_note(s, 70, 3, 5);
    put_rest(s, 40, 3, 0);
    put_note(s, 100, 3, 3);
    put_note(s, 10, 3, 0);
    assigner_voix_mesure(1, 1);
    EXPECT_EQ(voices(s), (std::vector<short>{1, 1, 1, 1}));
    CMeasure* m = s.measure(1, 1);
    EXPECT_EQ(m->get_note_item(1)->x, 10);
    EXPECT_NE(m->get_rest_item(2), nullptr);
    EXPECT_TRUE(m->flags & 0x01);
    // Up to date: a second call leaves what an edit changed.
    m->get_note_item(1)->voice = 4;
    assigner_voix_mesure(1, 1);
    EXPECT_EQ(m->get_note_item(1)->voice, 4);
}

// Preset voices 1 and 2 stay, but are swapped when voice 2 holds more ticks.
TEST(VoiceAssignment, PresetVoicesStayAndTheFullestBecomesVoiceOne) {
    {
        ScoreFixture s(1, 1);
        put_note(s, 10, 2, 1, 0);  // a half in voice 1
        put_note(s, 11, 2, 2, 1);  // a half below it in voice 2
        put_note(s, 70, 2, 1, 0);
        assigner_voix_mesure(1, 1);
        EXPECT_EQ(voices(s), (std::vector<short>{1, 2, 1}));
    }
    {
        ScoreFixture s(1, 1);
        put_note(s, 10, 2, 1, 0);
        put_note(s, 11, 1, 2, 1);  // a whole in voice 2: the fuller one
        assigner_voix_mesure(1, 1);
        EXPECT_EQ(voices(s), (std::vector<short>{2, 1}));
    }
}

// Distance decides what is simultaneous: 5 units apart is, 7 is not, and neighbours of one
// beam group never are.
TEST(VoiceAssignment, CloseEventsAreSimultaneousExceptInABeamGroup) {
    struct Case {
        short dx, gid;
        bool two_voices;
    } cases[] = {{5, 0, true}, {6, 0, true}, {7, 0, false}, {5, 3, false}};
    for (const Case& c : cases) {
        ScoreFixture s(1, 1);
        put_note(s, 10, 4, 0, 1, c.gid);
        put_note(s, (short)(10 + c.dx), 4, 0, 1, c.gid);
        assigner_voix_mesure(1, 1);
        std::vector<short> v = voices(s);
        EXPECT_EQ(v[0] != v[1], c.two_voices) << c.dx << " gid " << c.gid;
    }
}

// A chord is one event: its notes share the voice of the unit standing for it.
TEST(VoiceAssignment, AChordTakesOneVoice) {
    ScoreFixture s(1, 1);
    put_note(s, 10, 3, 0, 0, 0, 7);
    put_note(s, 10, 3, 0, 0, 0, 7);
    put_note(s, 10, 3, 0, 0, 0, 7);
    put_note(s, 11, 3, 0, 1);  // simultaneous with the chord: another voice
    put_note(s, 60, 2, 0, 0);
    assigner_voix_mesure(1, 1);
    std::vector<short> v = voices(s);
    EXPECT_EQ(v[0], v[1]);
    EXPECT_EQ(v[1], v[2]);
    EXPECT_NE(v[3], v[0]);
}

// The free notes of a beam group go into one voice together, even with a simultaneous event
// at their side that forces two voices.
TEST(VoiceAssignment, AFreeBeamGroupStaysTogether) {
    ScoreFixture s(1, 1);
    put_note(s, 10, 1, 0, 1);  // a whole note, stem down
    for (short x : {12, 40, 70, 100}) put_note(s, x, 4, 0, 0, 9);  // four beamed eighths
    assigner_voix_mesure(1, 1);
    std::vector<short> v = voices(s);
    EXPECT_NE(v[0], v[1]);
    for (size_t k = 2; k < v.size(); k++) EXPECT_EQ(v[k], v[1]);
}

// A value longer than the measure counts as the measure: a breve in 4/4 needs no second voice.
TEST(VoiceAssignment, ALongValueCountsAsTheMeasure) {
    ScoreFixture s(1, 1);
    put_note(s, 10, 0, 4);
    assigner_voix_mesure(1, 1);
    EXPECT_EQ(voices(s), (std::vector<short>{1}));
}

// When no assignment is valid (two kept events at one place share a voice), the events that the
// search would have placed keep the voice they had, or voice 1 when they had none.
TEST(VoiceAssignment, WithoutAValidAssignmentThePreviousVoiceStays) {
    ScoreFixture s(1, 1);
    put_note(s, 10, 2, 1);
    put_note(s, 10, 2, 1);  // same place, same kept voice: never valid
    put_note(s, 40, 3, 0);  // free, had none
    put_rest(s, 90, 3, 9);  // free, had voice 9: out of range
    assigner_voix_mesure(1, 1);
    std::vector<short> v = voices(s);
    EXPECT_EQ(v[2], 1);
    EXPECT_EQ(v[3], 1);
    for (short voice : v) {
        EXPECT_GE(voice, 1);
        EXPECT_LE(voice, 8);
    }
}
