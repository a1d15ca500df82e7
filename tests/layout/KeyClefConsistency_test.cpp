// Key signatures placed for the clef in force where they stand.
#include "layout/KeyClefConsistency.h"

#include <gtest/gtest.h>

#include "score/ScoreFixture.h"

namespace {

short id_at(Document* d, short column, short staff) {
    return d->por[d->sys[1]->por[staff]]->mes[column];
}

// 1 when the accidentals of a sharp key stand where `clef` puts them.
bool placed_for(CKeySig* k, short clef) {
    if (k->clef != clef) return false;
    for (short i = 1; i <= k->total(); i++)
        if (k->y.get(i) != tab_clef_diese[clef][i]) return false;
    return true;
}

}  // namespace

TEST(KeyClefConsistency, AKeyBelongsToTheClefLeftOfIt) {
    struct Case {
        short clef_x, key_x, clef;
    } cases[] = {
        {40, 60, 2},  // the bass clef comes first
        {40, 40, 1},  // same place: the key keeps the clef before the measure
        {60, 40, 1},  // the clef comes after the key
    };
    for (const Case& c : cases) {
        ScoreFixture score(1, 3);
        score.clef(1, 1, 1);
        CKeySig* k = score.key(2, 1, 3);
        k->x.set(c.key_x, 1);
        score.clef(2, 1, 2)->x = c.clef_x;
        EXPECT_EQ(verifier_armures_clefs(id_at(score.d, 1, 1), 0), 1);
        EXPECT_TRUE(placed_for(k, c.clef)) << "clef at " << c.clef_x << ", key at " << c.key_x;
    }
}

TEST(KeyClefConsistency, AClefChangeReachesEveryLaterKeyWhereverTheWalkStarts) {
    for (short start : {1, 3, 5, 6}) {
        ScoreFixture score(1, 10);
        score.clef(1, 1, 1);
        CKeySig* before = score.key(3, 1, 2);
        CKeySig* later[] = {score.key(5, 1, 2), score.key(7, 1, 2), score.key(9, 1, 2)};
        score.clef(5, 1, 2);  // at x 2, left of the key of column 5
        verifier_armures_clefs(id_at(score.d, start, 1), 0);
        // The walk does not go back: from column 6 the key of column 5 is left as it was.
        for (short i = start > 5 ? 1 : 0; i < 3; i++)
            EXPECT_TRUE(placed_for(later[i], 2)) << "from column " << start;
        EXPECT_TRUE(placed_for(before, 1)) << "from column " << start;
    }
}

TEST(KeyClefConsistency, UnknownMeasureChangesNothingAndOnlyFiftyKeysAMeasureAreWalked) {
    ScoreFixture score(1, 2);
    score.clef(1, 1, 2);
    std::vector<CKeySig*> keys;
    for (short i = 0; i < 60; i++) {
        CKeySig* k = new CKeySig;
        k->value = 1;
        k->clef = 1;
        k->add_accidental((short)(20 + i), tab_clef_diese[1][1], 4);
        score.measure(2, 1)->add(k);
        keys.push_back(k);
    }
    EXPECT_EQ(verifier_armures_clefs(32000, 0), 0);
    EXPECT_EQ(keys[0]->clef, 1);
    EXPECT_EQ(verifier_armures_clefs(id_at(score.d, 1, 1), 0), 1);
    for (short i = 0; i < 60; i++) EXPECT_EQ(keys[i]->clef, i < 50 ? 2 : 1) << i;
}
