// Volume dictation on a melody track: the samples' span takes their volumes, once a change,
// the notes in it their velocities, and the repeated volume events go afterwards.
#include "chords/VolumeDictation.h"

#include <gtest/gtest.h>

#include "midi/PlayRecordManager.h"
#include "score/CMeasure.h"
#include "score/CNote.h"
#include "score/Document.h"
#include "score/Piste.h"
#include "score/ScoreFixture.h"

namespace {

void put(Document* d, short track, int32_t time, unsigned char b0, unsigned char b1, unsigned char b2)
{
    char bytes[4] = {(char)b0, (char)b1, (char)b2, (char)0xFF};
    d->piste[track] = inserer_dans_piste(time, 3, bytes, d->piste[track]);
}

struct Ev {
    int32_t time;
    unsigned char b0, b1, b2;
    bool operator==(const Ev& o) const { return time == o.time && b0 == o.b0 && b1 == o.b1 && b2 == o.b2; }
};
std::ostream& operator<<(std::ostream& o, const Ev& e)
{
    return o << "{" << e.time << " " << std::hex << (int)e.b0 << " " << std::dec << (int)e.b1 << " " << (int)e.b2 << "}";
}

std::vector<Ev> events(Document* d, short track)
{
    std::vector<Ev> out;
    Piste* t = d->piste[track];
    for (short k = 1; k <= t->tot; k++)
        out.push_back({t->event[k].time, t->event[k].buf[0], t->event[k].buf[1], t->event[k].buf[2]});
    return out;
}

class Dictation : public ::testing::Test {
protected:
    void SetUp() override
    {
        d = score.d;
        calculer_mesures_start(d);
        // Track 1: a volume before the span, a note-on at 480 (the span's start), one at 960, a
        // volume of channel 1 inside, one of channel 2 inside, a note-on after the span.
        put(d, 1, 0, 0xB0, 7, 100);
        put(d, 1, 480, 0x90, 60, 90);
        put(d, 1, 700, 0xB0, 7, 33);
        put(d, 1, 700, 0xB1, 7, 44);
        put(d, 1, 960, 0x90, 62, 90);
        put(d, 1, 2000, 0x90, 64, 90);
    }
    ScoreFixture score{2, 3};
    Document* d = nullptr;
};

TEST_F(Dictation, OneSampleChangesNothing)
{
    const std::vector<Ev> before = events(d, 1);
    EXPECT_EQ(apply_volume_dictation(d, VolumeSamples{{480}, {70}}), 0);
    EXPECT_EQ(events(d, 1), before);
}

TEST_F(Dictation, TheSpanTakesOneEventAChangeAndTheNotesTheVolumeInForce)
{
    VolumeSamples s{{480, 600, 800, 1200}, {70, 70, 70, 50}};
    ASSERT_EQ(apply_volume_dictation(d, s), 1);
    const std::vector<Ev> expected = {
        {0, 0xB0, 7, 100},
        {480, 0x90, 60, 90},  // at the first sample's time: its velocity stays
        {480, 0xB0, 7, 70},   // equal values: one event
        {700, 0xB1, 7, 44},   // another channel's volume stays
        {960, 0x90, 62, 70},  // takes the volume in force
        {1200, 0xB0, 7, 50},
        {2000, 0x90, 64, 90},  // after the span
    };
    EXPECT_EQ(events(d, 1), expected);
}

TEST_F(Dictation, TheNotesOfTheFirstStaffTakeTheFirstSampleAtOrAfterThem)
{
    CNote* played = score.note(1, 1, 26);  // start 0
    CNote* second = score.note(1, 1, 20);  // start 480
    CNote* third = score.note(1, 1, 14);   // start 960, recorded at 900
    third->rec_start = 900;
    d->modif = 0;
    ASSERT_EQ(apply_volume_dictation(d, VolumeSamples{{400, 600, 950}, {30, 60, 90}}), 1);
    EXPECT_EQ(played->velocity, 64) << "before the span";
    EXPECT_EQ(second->velocity, 60);
    EXPECT_EQ(second->rec_vel, 60);
    EXPECT_EQ(third->velocity, 90) << "timed by its recorded start";
    EXPECT_EQ(d->modif, 1);
}

TEST_F(Dictation, RepeatedVolumesGoAndTheFirstStays)
{
    Document* doc2 = d;
    put(doc2, 2, 0, 0xB1, 7, 80);
    put(doc2, 2, 500, 0xB1, 7, 80);
    put(doc2, 2, 600, 0x91, 60, 80);
    put(doc2, 2, 900, 0xB1, 7, 80);
    doc2->ins[2].in_roll = 1;
    doc2->ins[1].in_roll = 0;
    EXPECT_EQ(optimise_volume(doc2), 2);
    EXPECT_EQ(events(doc2, 2), (std::vector<Ev>{{0, 0xB1, 7, 80}, {600, 0x91, 60, 80}}));
    EXPECT_EQ(events(doc2, 1).size(), 6u) << "a track not shown as a roll is left";
}

}  // namespace
