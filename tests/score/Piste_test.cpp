// Track event lists: insertion, growth, note pairs, clearing and cutting measures, sorting and
// linking to measures.
#include "score/Piste.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "framework/CApplication.h"
#include "score/ScoreFixture.h"

namespace {

// A document of one staff with the given measure lengths and an empty track.
class OneStaff {
public:
    explicit OneStaff(std::vector<int32_t> lengths, short room = PISTE_NEW_ROOM)
        : score(1, static_cast<short>(lengths.size()))
    {
        for (size_t k = 1; k <= lengths.size(); k++)
            measure(static_cast<short>(k))->length = lengths[k - 1];
        detruire_piste(score.d->piste[1]);
        score.d->piste[1] = creer_piste(room);
    }
    Piste* track() { return score.d->piste[1]; }
    CMeasure* measure(short k) { return score.measure(k, 1); }
    void add(int32_t time, int s, int d1 = -1, int d2 = -1)
    {
        char b[4] = {static_cast<char>(s), static_cast<char>(d1), static_cast<char>(d2), 0};
        short len = d1 < 0 ? 1 : d2 < 0 ? 2 : 3;
        ASSERT_EQ(send_piste(1, time, len, b), 1);
    }
    void add_internal(int32_t time, int kind)
    {
        char b[4] = {static_cast<char>(kind), 0, 1, 0};
        ASSERT_EQ(send_piste(1, time, 4, b), 1);
    }
    // Each event as time and status (or internal kind).
    std::vector<std::pair<int32_t, int>> events()
    {
        std::vector<std::pair<int32_t, int>> out;
        for (short i = 1; i <= track()->tot; i++)
            out.push_back({track()->event[i].time, track()->event[i].buf[0]});
        return out;
    }

private:
    ScoreFixture score;
};

using Events = std::vector<std::pair<int32_t, int>>;

}  // namespace

TEST(Piste, InsertionOrderPaddingAndInternalEvents)
{
    Piste* t = creer_piste(PISTE_NEW_ROOM);
    char a[4] = {static_cast<char>(0x90), 60, 100, 0};
    char b[4] = {static_cast<char>(0xC0), 5, 0, 0};
    char tempo[4] = {1, 0, 120, 7};
    t = inserer_dans_piste(100, 3, a, t);
    t = inserer_dans_piste(100, 2, b, t);
    t = inserer_dans_piste(100, 4, tempo, t);
    t = inserer_dans_piste(10, 3, a, t);
    ASSERT_EQ(t->tot, 4);
    EXPECT_EQ(t->event[1].time, 10) << "earlier than all goes first";
    EXPECT_EQ(t->event[2].buf[0], 0x90) << "equal times keep their insertion order";
    EXPECT_EQ(t->event[3].buf[0], 0xC0);
    EXPECT_EQ(t->event[3].buf[2], 0xFF);
    EXPECT_EQ(t->event[3].buf[3], 0xFF);
    EXPECT_EQ(t->event[4].buf[3], 7) << "an internal event keeps its four bytes";
    EXPECT_TRUE(is_note_on(&t->event[2], 60));
    EXPECT_FALSE(is_note_on(&t->event[2], 61));
    EXPECT_FALSE(is_note_on(&t->event[4], -1));
    detruire_piste(t);
}

TEST(Piste, GrowthAndCapacity)
{
    struct Case {
        short room, fill;
        bool by_send;
        short expected_max;
    } cases[] = {{1000, 1000, false, 3000}, {1000, 1000, true, 2000}, {7000, 7000, false, 7997}, {7000, 7000, true, 7997}};
    for (auto& c : cases) {
        OneStaff s({1920}, c.room);
        for (short i = 0; i < c.fill; i++)
            s.add(i, 0x90, 60, 1);
        s.track()->arp_start.add(42);
        char m[4] = {static_cast<char>(0x80), 60, 0, 0};
        if (c.by_send) {
            send_piste(1, 99999, 3, m);
        } else {
            doc->piste[1] = inserer_dans_piste(99999, 3, m, doc->piste[1]);
        }
        EXPECT_EQ(s.track()->max, c.expected_max);
        EXPECT_EQ(s.track()->tot, c.fill + 1);
        EXPECT_EQ(s.track()->event[c.fill].time, c.fill - 1) << "the events move with the track";
        EXPECT_EQ(s.track()->arp_start.get(1), 42) << "the working lists move too";
    }
}

TEST(Piste, FullTrackRefusesAndTellsTheUserOnce)
{
    short warnings = application->shown.warnings;
    OneStaff s({1920}, PISTE_MAX_EVENTS);
    for (short i = 0; i < 7995; i++)
        s.add(i, 0x90, 60, 1);
    char m[4] = {static_cast<char>(0x80), 60, 0, 0};
    EXPECT_EQ(send_piste(1, 8000, 3, m), 0);
    EXPECT_EQ(send_piste(1, 8001, 3, m), 0);
    EXPECT_EQ(application->shown.warnings, warnings + 1);
    EXPECT_NE(std::strstr(application->shown.last_warning.get(), "pleine"), nullptr);
    doc->piste[1] = inserer_dans_piste(8000, 3, m, doc->piste[1]);
    doc->piste[1] = inserer_dans_piste(8000, 3, m, doc->piste[1]);
    doc->piste[1] = inserer_dans_piste(8000, 3, m, doc->piste[1]);
    EXPECT_EQ(s.track()->tot, 7997) << "insertion still stores up to 7,997";
}

TEST(Piste, ClearingNotesKeepsEndsOfEarlierNotes)
{
    OneStaff s({1920, 1920, 1920});
    s.add(100, 0x90, 62, 90);     // measure 1, ends in measure 2
    s.add(2000, 0x80, 62, 0);
    s.add(2100, 0x90, 60, 90);    // measure 2, ends in measure 3
    s.add(2200, 0xB0, 7, 100);
    s.add_internal(2300, 2);      // a lyric
    s.add_internal(2400, 1);      // a tempo change
    s.add(4000, 0x90, 60, 0);     // Note On with velocity 0 ends note 60
    nettoyer_piste_notes(1, 2, 2);
    EXPECT_EQ(s.events(), (Events{{100, 0x90}, {2000, 0x80}, {2200, 0xB0}, {2400, 1}}));
    effacer_piste_entre(1, 2, 2, 0, 1);
    EXPECT_EQ(s.events(), (Events{{100, 0x90}, {2000, 0x80}}));
    effacer_piste_entre(1, 1, 4, 1, 1);
    EXPECT_EQ(s.events().size(), 2u) << "a measure number past the staff does nothing";
}

TEST(Piste, CuttingMeasuresMovesLaterEvents)
{
    OneStaff s({1920, 1920, 1920});
    s.add(1000, 0x90, 64, 90);    // begins before the cut, ends inside it
    s.add(2000, 0x90, 60, 90);
    s.add(2500, 0x80, 64, 0);
    s.add(3000, 0xB0, 7, 100);
    s.add(3100, 0x80, 60, 0);
    s.add(3840, 0x90, 67, 90);
    s.add(4000, 0x80, 67, 0);
    supprimer_piste_entre(1, 2, 2);
    EXPECT_EQ(s.events(), (Events{{1000, 0x90}, {1920, 0x80}, {1920, 0x90}, {2080, 0x80}}));
}

TEST(Piste, SortingIsStable)
{
    OneStaff s({1920});
    s.add(50, 0xC0, 1);
    s.add(60, 0x80, 60, 0);
    s.add(70, 0x90, 60, 9);
    Piste* t = s.track();
    t->event[1].time = 50;
    t->event[2].time = 30;
    t->event[3].time = 10;
    s.add(20, 0xB0, 1, 1);  // lands before 50 (the search runs from the end)
    trier_piste(1);
    EXPECT_EQ(s.events(), (Events{{10, 0x90}, {20, 0xB0}, {30, 0x80}, {50, 0xC0}}));
    t->event[2].time = 10;  // a Note Off and a Note On of the same tick keep their order
    trier_piste(1);
    EXPECT_EQ(s.events(), (Events{{10, 0x90}, {10, 0xB0}, {30, 0x80}, {50, 0xC0}}));
}

TEST(Piste, LinkingToMeasures)
{
    OneStaff s({1920, 1920, 960});
    s.add(0, 0x90, 60, 1);
    s.add(1919, 0x80, 60, 0);
    s.add(4000, 0x90, 62, 1);   // past the last measure's end: counted in it
    s.add(9000, 0x80, 62, 0);
    EXPECT_EQ(maj_rel_piste_mesures(1), 3);
    EXPECT_EQ(maj_rel_piste_mesures(2), 0) << "no such staff";
    EXPECT_EQ(s.measure(1)->first_event, 1);
    EXPECT_EQ(s.measure(1)->tot_event, 2);
    EXPECT_EQ(s.measure(2)->first_event, 0);
    EXPECT_EQ(s.measure(2)->tot_event, 0);
    EXPECT_EQ(s.measure(3)->first_event, 3);
    EXPECT_EQ(s.measure(3)->tot_event, 2);
}
