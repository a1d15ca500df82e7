// The tie check of a measure against its neighbours, and the lyric caret's walk to the
// previous and next syllables.
#include <gtest/gtest.h>

#include "layout/UtilitairesPartition.h"
#include "score/ScoreFixture.h"

namespace {

struct Staff : ScoreFixture {
    Staff() : ScoreFixture(1, 3) {
        for (short c = 1; c <= 3; c++) measure(c, 1)->width = 240;
    }
    CNote* at(short column, short x, short y = 14, short flags = 0, short voice = 1) {
        CNote* n = new CNote;
        n->x = x;
        n->y = y;
        n->pitch = (short)(100 - y);
        n->voice = voice;
        n->flags = flags;
        n->dir = 1;
        n->tdh = 5;
        measure(column, 1)->add(n);
        return n;
    }
};

}  // namespace

TEST(TieCheck, TiesFindTheirPartnersAndMeasureTheCurve) {
    struct Case {
        const char* what;
        short from_x, to_x;  // x of the two notes; to_x < 0: in the next measure at -to_x
        short from_dir, from_tdh, to_dir, to_tdh;
        short voice_to;
        short from_flags, to_flags, tdw, tdh;  // after the check
    } cases[] = {
        {"in the measure", 30, 60, 1, 5, 0, 5, 1, 0x5, 0xA, 24, 4},
        {"curve below, up stem", 30, 60, 0, -5, 0, 5, 1, 0x5, 0xA, 22, -4},
        {"end with a down stem", 30, 60, 0, -5, 1, 3, 1, 0x5, 0xA, 20, -4},
        {"over the bar line", 200, -10, 1, 5, 0, 5, 1, 0x5, 0xA, 44, 4},
        {"other voice, same measure", 30, 60, 1, 5, 0, 5, 2, 0x1, 0x0, 20, 5},
        {"other voice, next measure", 200, -10, 1, 5, 0, 5, 2, 0x5, 0xA, 44, 4},
    };
    for (const Case& c : cases) {
        Staff s;
        CNote* from = s.at(2, c.from_x, 14, 0x1);
        CNote* to = c.to_x > 0 ? s.at(2, c.to_x, 14, 0, c.voice_to) : s.at(3, (short)-c.to_x, 14, 0, c.voice_to);
        from->dir = c.from_dir;
        from->tdh = c.from_tdh;
        to->dir = c.to_dir;
        to->tdh = c.to_tdh;
        verifier_tenues_notes(2, 1);
        EXPECT_EQ(from->flags, c.from_flags) << c.what;
        EXPECT_EQ(to->flags, c.to_flags) << c.what;
        EXPECT_EQ(from->tdw, c.tdw) << c.what;
        EXPECT_EQ(from->tdh, c.tdh) << c.what;
        EXPECT_EQ(s.measure(2, 1)->flags & 0x40, 0x40) << c.what;
    }
}

TEST(TieCheck, StaleMarksAreClearedAndUpToDateMeasuresLeftAlone) {
    Staff s;
    // Column 1: a tie asked with nothing after it at that place in the measure; an old
    // end-of-tie mark with no note before it in column 1.
    CNote* asks = s.at(1, 200, 20, 0x5);
    CNote* orphan = s.at(1, 100, 8, 0xA);
    // Column 2: a former tie start that no longer asks, and its former partner.
    CNote* former = s.at(2, 30, 14, 0x4);
    CNote* partner = s.at(2, 60, 14, 0xA);
    // Column 3, the last: a tie asked at its end finds nothing further.
    CNote* last = s.at(3, 200, 14, 0x5);
    verifier_tenues_notes(1, 1);
    EXPECT_EQ(asks->flags, 0x1);  // keeps the wish, loses the partner bit (no note at y 20 in 2)
    EXPECT_EQ(orphan->flags, 0x0);
    verifier_tenues_notes(2, 1);
    EXPECT_EQ(former->flags, 0x0);
    EXPECT_EQ(partner->flags, 0x0);
    verifier_tenues_notes(3, 1);
    EXPECT_EQ(last->flags, 0x1);

    // Checked measures are not examined again until an edit clears their bit.
    former->flags = 0x1;
    verifier_tenues_notes(2, 1);
    EXPECT_EQ(partner->flags, 0x0);
    s.measure(2, 1)->change_mes_flags(0, 0x40);
    verifier_tenues_notes(2, 1);
    EXPECT_EQ(partner->flags, 0xA);
}

TEST(LyricWalk, TheCaretMovesToTheNeighbouringSyllables) {
    Staff s;
    CNote* a = s.at(1, 20);
    CNote* b = s.at(1, 60);
    CNote* c = s.at(2, 30);
    CNote* d = s.at(3, 40);
    s.lyric(1, 1, a, "la");
    CLyrics* lb = s.lyric(1, 1, b, "li");
    lb->x = (short)(b->x + 3);
    short id_a = a->lid;

    // Left within the measure.
    short ma = 1, pa = 1, lid = b->lid;
    trouver_paroles_a_gauche(&ma, &pa, &lid);
    EXPECT_EQ(ma, 1);
    EXPECT_EQ(lid, id_a);
    // Left from the first note of column 1: nothing.
    trouver_paroles_a_gauche(&ma, &pa, &lid);
    EXPECT_EQ(ma, 1);
    EXPECT_EQ(lid, id_a);
    // Right into column 2, whose note has no syllable yet: it gets one.
    ma = 1;
    lid = b->lid;
    s.d->modif = 0;
    trouver_paroles_a_droite(&ma, &pa, &lid);
    EXPECT_EQ(ma, 2);
    ASSERT_NE(c->lid, 0);
    EXPECT_EQ(lid, c->lid);
    EXPECT_EQ(s.d->modif, 1);
    CLyrics* made = s.measure(2, 1)->get_lyrics_item(2);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->lid, c->lid);
    EXPECT_EQ(made->x, 33);
    // On to the last note, then nothing further.
    trouver_paroles_a_droite(&ma, &pa, &lid);
    EXPECT_EQ(ma, 3);
    EXPECT_EQ(lid, d->lid);
    trouver_paroles_a_droite(&ma, &pa, &lid);
    EXPECT_EQ(ma, 3);
    EXPECT_EQ(lid, d->lid);
    // Back left from column 3 to column 2's syllable.
    trouver_paroles_a_gauche(&ma, &pa, &lid);
    EXPECT_EQ(ma, 2);
    EXPECT_EQ(lid, c->lid);
    // A zero value changes nothing.
    short zero = 0;
    trouver_paroles_a_gauche(&ma, &zero, &lid);
    EXPECT_EQ(ma, 2);
}

TEST(LyricWalk, AChordNoteTakesTheSyllableOfItsChord) {
    Staff s;
    CNote* first = s.at(1, 20);
    CNote* low = s.at(1, 60, 20);
    CNote* high = s.at(1, 60, 8);
    low->cid = high->cid = 4;
    s.lyric(1, 1, first, "do");
    CLyrics* sung = s.lyric(1, 1, high, "re");
    sung->x = 400;  // far right: the walk right from "do" still starts at its own syllable
    high->lid = sung->lid;
    // Only the chord's second note carries the syllable; the walk lands on the first note of
    // the chord in item order, which has none, and takes the chord's.
    short ma = 1, pa = 1, lid = first->lid;
    trouver_paroles_a_droite(&ma, &pa, &lid);
    EXPECT_EQ(lid, sung->lid);
    EXPECT_EQ(low->lid, 0);
    EXPECT_EQ(s.measure(1, 1)->total(), 5);  // no new syllable
}

// A note tied over the bar line and followed at the same place by another pitch: the tie ends
// on the first note only, the second is struck anew; nor does a tie skip a note at its place.
TEST(TieCheck, OverTheBarLineOnlyTheFirstNoteAtItsPlaceEndsTheTie) {
    Staff s;
    CNote* flat = s.at(2, 200, 14, 0x1);
    flat->pitch = 49;
    CNote* held = s.at(3, 10, 14);
    held->pitch = 49;
    CNote* sharp = s.at(3, 40, 14);
    sharp->pitch = 51;
    // Column 1: a tie asked before another pitch at its place in the same measure.
    CNote* asks = s.at(1, 100, 20, 0x1);
    asks->pitch = 60;
    CNote* other = s.at(1, 150, 20);
    other->pitch = 61;
    CNote* next = s.at(2, 10, 20);
    next->pitch = 60;
    for (short c = 1; c <= 3; c++) verifier_tenues_notes(c, 1);
    EXPECT_EQ(flat->flags, 0x5);
    EXPECT_EQ(held->flags, 0xA);
    EXPECT_EQ(sharp->flags, 0x0) << "struck anew";
    EXPECT_EQ(asks->flags, 0x1);
    EXPECT_EQ(other->flags, 0x0);
    EXPECT_EQ(next->flags, 0x0);
}
