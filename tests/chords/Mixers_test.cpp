// The mixers: one controller a measure written into an accompaniment track, the ruler's
// selection, the percussion pages, and a composition with fewer instruments left unharmed.
#include "chords/Mixers.h"

#include <gtest/gtest.h>

#include "midi/PlayRecordManager.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/Piste.h"
#include "score/ScoreFixture.h"

namespace {

void put(Document* d, short track, int32_t time, unsigned char b0, unsigned char b1, unsigned char b2)
{
    char bytes[4] = {(char)b0, (char)b1, (char)b2, (char)0xFF};
    d->piste[track] = inserer_dans_piste(time, 3, bytes, d->piste[track]);
}

// The control changes of c in a measure of a track, with their values.
std::vector<short> controllers(Document* d, short track, CMeasure* m, short c)
{
    std::vector<short> out;
    const int32_t end = m->start + m->length;
    Piste* t = d->piste[track];
    for (short k = 1; k <= t->tot; k++)
        if (t->event[k].time >= m->start && t->event[k].time < end && (t->event[k].buf[0] & 0xF0) == 0xB0 &&
            t->event[k].buf[1] == c)
            out.push_back(t->event[k].buf[2]);
    return out;
}

class AccompanimentMixer : public ::testing::Test {
protected:
    void SetUp() override
    {
        d = score.d;
        for (short s = 1; s <= 16; s++) d->ins[s].canal = s;
        calculer_mesures_start(d);
    }
    int32_t start(short column) { return score.measure(column, 1)->start; }
    ScoreFixture score{16, 8};
    Document* d = nullptr;
};

TEST_F(AccompanimentMixer, EachSelectedMeasureEndsWithExactlyOneControllerOfTheValue)
{
    // Measure 4 holds two volumes, measure 5 one with a note, 3 and 6 none; pan stays.
    put(d, 4, start(4), 0xB3, 7, 10);
    put(d, 4, start(4) + 480, 0xB3, 7, 20);
    put(d, 4, start(4) + 10, 0xB3, 10, 64);
    put(d, 4, start(5), 0x93, 60, 100);
    put(d, 4, start(5) + 100, 0xB3, 7, 30);
    put(d, 4, start(7), 0xB3, 7, 50);
    maj_rel_piste_mesures(4);

    EXPECT_EQ(change_controller_accomp(d, 7, 90, 4, 3, 6), 4);
    for (short m = 3; m <= 6; m++)
        EXPECT_EQ(controllers(d, 4, score.measure(m, 4), 7), (std::vector<short>{90})) << m;
    EXPECT_EQ(controllers(d, 4, score.measure(7, 4), 7), (std::vector<short>{50})) << "outside the selection";
    EXPECT_EQ(controllers(d, 4, score.measure(4, 4), 10), (std::vector<short>{64}));
    EXPECT_EQ(controllers(d, 5, score.measure(3, 5), 7), std::vector<short>{}) << "only track 4";
    // The new ones stand at their measure's start on the instrument's channel.
    Piste* t = d->piste[4];
    bool found = false;
    for (short k = 1; k <= t->tot; k++)
        if (t->event[k].time == start(3) && t->event[k].buf[0] == 0xB3 && t->event[k].buf[1] == 7) found = true;
    EXPECT_TRUE(found);
    // The measures know their events again.
    for (short m = 3; m <= 6; m++) EXPECT_EQ(controller_in_measure(d, 4, m, 7), 90) << m;
    EXPECT_EQ(controller_in_measure(d, 4, 8, 7), -1);
    EXPECT_EQ(controller_in_measure(d, 4, 5, 7), 90);
}

TEST_F(AccompanimentMixer, TheRangeIsHeldToTheMeasures)
{
    EXPECT_EQ(change_controller_accomp(d, 91, 40, 3, -5, 200), 8);
    for (short m = 1; m <= 8; m++) EXPECT_EQ(controller_in_measure(d, 3, m, 91), 40) << m;
}

TEST(AccompanimentMixerSmallScore, NothingIsWrittenPastTheInstrumentsOrTracks)
{
    ScoreFixture score(3, 4);
    Document* d = score.d;
    EXPECT_EQ(change_controller_accomp(d, 7, 90, 5, 1, 4), 0);
    EXPECT_EQ(change_controller_accomp(d, 7, 90, 16, 1, 4), 0);
    EXPECT_EQ(controller_in_measure(d, 5, 1, 7), -1);
    EXPECT_EQ(drum_level(d, 36), -1);
    EXPECT_FALSE(set_drum_level(d, 36, 80));
    EXPECT_EQ(change_controller_accomp(d, 7, 90, 3, 1, 4), 4) << "its own tracks still take it";
}

std::pair<short, short> span(const RulerSelection& s) { return {s.first, s.last}; }
std::pair<short, short> span_of(short a, short b) { return {a, b}; }

TEST(MixerRuler, PressShiftDoubleClickAndDrag)
{
    RulerSelection s;
    EXPECT_EQ(s.first, 1);
    EXPECT_EQ(s.last, 200);
    s.press(5, false, false, 30);
    EXPECT_EQ(span(s), span_of(5, 5));
    s.drag(6);
    s.drag(8);
    EXPECT_EQ(span(s), span_of(5, 8));
    s.drag(3);  // back past the anchor: the other end stays
    EXPECT_EQ(span(s), span_of(3, 8));
    s.press(12, true, false, 30);  // Shift after the first: stretches from it
    EXPECT_EQ(span(s), span_of(3, 12));
    EXPECT_EQ(s.anchor, 3);
    s.press(10, false, false, 30);
    s.press(7, true, false, 30);  // Shift before: stretches from the last
    EXPECT_EQ(span(s), span_of(7, 10));
    EXPECT_EQ(s.anchor, 10);
    s.press(9, false, true, 30);
    EXPECT_EQ(span(s), span_of(1, 30));
    EXPECT_EQ(ruler_measure(0, 1), 1);
    EXPECT_EQ(ruler_measure(45, 3), 5);
}

TEST(PercussionMixer, PagesOfFifteenDrumsEndAtNote81)
{
    EXPECT_EQ(drum_note(1, 1), 35);
    EXPECT_EQ(drum_note(1, 15), 49);
    EXPECT_EQ(drum_note(2, 1), 50);
    EXPECT_EQ(drum_note(3, 15), 79);
    short shown = 0;
    for (short j = 1; j <= kMixerRows; j++) shown += drum_note(4, j) <= kLastDrum;
    EXPECT_EQ(shown, 2) << "notes 80 and 81";
    ScoreFixture score(16, 2);
    EXPECT_TRUE(set_drum_level(score.d, 38, 70));
    EXPECT_EQ(drum_level(score.d, 38), 70);
    EXPECT_EQ(mixer_controller(1), 7);
    EXPECT_EQ(mixer_controller(2), 10);
    EXPECT_EQ(mixer_controller(3), 91);
    EXPECT_EQ(mixer_controller(4), 93);
}

TEST(PercussionMixer, DrumsAreNamedByTheBuiltInSynthesizer)
{
    EXPECT_EQ(drum_name(35), "Grosse caisse acoustique");
    EXPECT_EQ(drum_name(38), "Caisse claire acoustique");
    EXPECT_EQ(drum_name(81), "Triangle ouvert");
    EXPECT_EQ(drum_name(20), "");
}

}  // namespace
