// Chord layout: stems past the outer heads, seconds across the stem, dots, the accidental
// staircase, new ids, chords across staves and chords larger than the lists.
#include <gtest/gtest.h>

#include <vector>

#include "layout/UtilitairesGroupesAccords.h"
#include "score/ScoreFixture.h"

namespace {

// A chord of notes at x 40 with the given heights, stems and accidentals, in measure (1, 1).
struct ChordScore : ScoreFixture {
    ChordScore() : ScoreFixture(2, 2) {}
    std::vector<CNote*> make(std::vector<short> ys, short dir, short cid = 1,
                             std::vector<short> alts = {}, short column = 1, short staff = 1) {
        std::vector<CNote*> notes;
        for (size_t k = 0; k < ys.size(); k++) {
            CNote* n = new CNote;
            n->x = 40;
            n->y = ys[k];
            n->dir = dir;
            n->height = 0;
            n->cid = cid;
            n->alt = k < alts.size() ? alts[k] : 0;
            measure(column, staff)->add(n);
            notes.push_back(n);
        }
        return notes;
    }
    // A laid-out system on page 1, the current page, holding column 2 of both staves.
    void lay_out_column_2() {
        short staves[2];
        for (short p = 1; p <= 2; p++) {
            staves[p - 1] = nouvelle_portee(d, 2);
            Portee* staff = d->por[staves[p - 1]];
            staff->mes[++staff->tot_mes] = d->por[d->sys[1]->por[p]]->mes[2];
        }
        short s = nouveau_systeme(d, 2);
        for (short st : staves) d->sys[s]->por[++d->sys[s]->tot_por] = st;
        Page** pages = new Page*[3]();
        pages[0] = d->pag[0];
        pages[1] = nouveau_page(2);
        pages[1]->sys[++pages[1]->tot_sys] = s;
        delete[] d->pag;
        d->pag = pages;
        d->tot_pag = 1;
        d->max_pag = 2;
        d->cur_pag = 1;
        measure(2, 2)->y = 70;
    }
    static std::vector<short> xs(const std::vector<CNote*>& notes) {
        std::vector<short> v;
        for (CNote* n : notes) v.push_back(n->x);
        return v;
    }
};

}  // namespace

TEST(ChordLayout, SecondsGoAcrossTheStemAndTheStemPassesTheOuterHead) {
    struct Case {
        const char* what;
        std::vector<short> ys;  // in item order
        short dir;
        float scale;
        std::vector<short> x;        // per note after layout
        std::vector<short> height;   // per note after layout
    } cases[] = {
        {"second, up", {14, 11}, 0, 1.5f, {40, 49}, {13, 0}},
        {"second, down", {14, 11}, 1, 1.5f, {31, 40}, {0, 13}},
        {"cluster, up", {11, 17, 14}, 0, 1.0f, {40, 40, 46}, {0, 16, 0}},
        {"cluster, down", {11, 17, 14, 20}, 1, 1.0f, {40, 40, 34, 34}, {19, 0, 0, 0}},
        {"thirds", {8, 14, 20}, 0, 1.0f, {40, 40, 40}, {0, 0, 22}},
        {"unison", {14, 14}, 0, 1.0f, {40, 40}, {0, 10}},  // the later item is the lower
    };
    for (const Case& c : cases) {
        ChordScore score;
        std::vector<CNote*> notes = score.make(c.ys, c.dir);
        short cid = 1;
        calcul_accord(score.measure(1, 1), &cid, c.scale);
        EXPECT_EQ(ChordScore::xs(notes), c.x) << c.what;
        for (size_t k = 0; k < notes.size(); k++) {
            EXPECT_EQ(notes[k]->height, c.height[k]) << c.what << " " << k;
            EXPECT_EQ(notes[k]->dir, c.dir) << c.what << " " << k;
            EXPECT_EQ(notes[k]->cid, 1) << c.what;
        }
    }
}

TEST(ChordLayout, StoredStemsKeepTheirReachAndTheColumnStays) {
    ChordScore score;
    // Stem up taken from the top note; the lowest one carries the stem; a stored stem that
    // reaches further than 10 past the top head is kept.
    std::vector<CNote*> up = score.make({20, 8}, 0);
    up[0]->height = 30;  // ends at -10, beyond 8 - 10
    up[0]->x = 44;       // heads out of line: the stem column is the smallest x
    up[0]->dir = 1;      // the lowest note's own direction does not count
    short cid = 1;
    calcul_accord(score.measure(1, 1), &cid, 1.0f);
    EXPECT_EQ(up[0]->height, 30);
    EXPECT_EQ(up[0]->x, 40);
    EXPECT_EQ(up[1]->height, 0);
    // Down: the stem note is the top one, reaching the lowest y + height.
    std::vector<CNote*> down = score.make({5, 17}, 1, 2);
    down[1]->height = 25;  // 42, beyond 17 + 10
    down[0]->x = 36;
    cid = 2;
    calcul_accord(score.measure(1, 1), &cid, 1.0f);
    EXPECT_EQ(down[0]->height, 37);
    EXPECT_EQ(down[1]->height, 0);
    EXPECT_EQ(down[0]->x, 40);  // the largest x for a stem down
    EXPECT_EQ(down[1]->x, 40);
}

TEST(ChordLayout, OneNoteDissolvesAndNegativeIdsBecomePositive) {
    ChordScore score;
    CNote* alone = score.make({14}, 0, 3)[0];
    short cid = 3;
    calcul_accord(score.measure(1, 1), &cid, 1.0f);
    EXPECT_EQ(alone->cid, 0);
    EXPECT_EQ(alone->height, 20);

    score.d->next_pos_acid = 12;
    std::vector<CNote*> notes = score.make({14, 8}, 0, -4);
    CNote* other = score.make({26, 20}, 0, -5)[0];  // another chord keeps its id
    short id = -4;
    calcul_accord(score.measure(1, 1), &id, 1.0f);
    EXPECT_EQ(id, 12);
    EXPECT_EQ(score.d->next_pos_acid, 13);
    for (CNote* n : notes) EXPECT_EQ(n->cid, 12);
    EXPECT_EQ(other->cid, -5);
    // Through the pointer into a note of the chord, as the justification passes it.
    calcul_accord(score.measure(1, 1), &other->cid, 1.0f);
    EXPECT_EQ(other->cid, 13);
}

TEST(ChordLayout, DotsStandRightOfTheDisplacedHeads) {
    ChordScore score;
    std::vector<CNote*> notes = score.make({11, 14, 20}, 0);
    for (CNote* n : notes) n->point = 1;
    notes[1]->dpy = -3;  // raised off a line, a second below the top note: goes down
    notes[2]->dpy = -3;  // a third below: stays
    short cid = 1;
    calcul_accord(score.measure(1, 1), &cid, 1.0f);
    // Stem up from 20: 14 at the column, 11 across the stem at 46.
    EXPECT_EQ(ChordScore::xs(notes), (std::vector<short>{46, 40, 40}));
    EXPECT_EQ(notes[0]->dpx, 0);
    EXPECT_EQ(notes[1]->dpx, 6);
    EXPECT_EQ(notes[2]->dpx, 6);
    EXPECT_EQ(notes[1]->dpy, 3);
    EXPECT_EQ(notes[2]->dpy, -3);
}

TEST(ChordLayout, AccidentalsFormAStaircase) {
    struct Case {
        const char* what;
        std::vector<short> ys, alts;
        short dir;
        std::vector<short> dax;
    } cases[] = {
        // Stem down, no displaced head in a third: the step alone tells the codes apart.
        {"flats a third apart", {11, 17}, {2, 2}, 1, {0, -4}},
        {"sharps a third apart", {11, 17}, {4, 4}, 1, {0, -6}},
        {"double flats", {11, 17}, {1, 1}, 1, {0, -9}},
        {"naturals need 15", {8, 20}, {3, 3}, 1, {0, -4}},
        {"double sharps need 9", {8, 17}, {5, 5}, 1, {0, 0}},
        {"double sharps closer", {8, 14}, {5, 5}, 1, {0, -6}},
        // Only the previous accidental is looked at: the third returns to the first column.
        {"alternating columns", {2, 8, 14, 29}, {4, 4, 4, 4}, 1, {0, -6, 0, 0}},
        {"mixed codes", {8, 14}, {2, 4}, 1, {0, -6}},
        // Seconds, stem down: 11 goes left of the column, so the others' accidentals start
        // at -6 to clear it.
        {"across a displaced head", {8, 11, 14}, {4, 0, 4}, 1, {-6, 0, -12}},
        // A second, stem up: the upper head across the stem takes -6 first.
        {"flats a second apart", {11, 14}, {2, 2}, 0, {-6, -4}},
    };
    for (const Case& c : cases) {
        ChordScore score;
        score.d->auto_pos_alterations = 1;
        std::vector<CNote*> notes = score.make(c.ys, c.dir, 1, c.alts);
        short cid = 1;
        calcul_accord(score.measure(1, 1), &cid, 1.0f);
        for (size_t k = 0; k < notes.size(); k++)
            EXPECT_EQ(notes[k]->dax, c.dax[k]) << c.what << " " << k;
    }
    ChordScore score;
    score.d->auto_pos_alterations = 0;
    std::vector<CNote*> notes = score.make({11, 17}, 1, 1, {4, 4});
    notes[1]->dax = -2;
    short cid = 1;
    calcul_accord(score.measure(1, 1), &cid, 1.0f);
    EXPECT_EQ(notes[1]->dax, -2);  // left alone without automatic accidentals
}

TEST(ChordLayout, ChordsAcrossTheStavesOfASystemOnTheCurrentPage) {
    ChordScore score;
    Document* d = score.d;
    score.lay_out_column_2();
    std::vector<CNote*> upper = score.make({20}, 1, -2, {}, 2, 1);
    std::vector<CNote*> lower = score.make({2, 8}, 1, -2, {}, 2, 2);
    InfoAccord info;
    EXPECT_EQ(get_info_accord(score.measure(2, 2), -2, &info), 1);
    ASSERT_EQ(info.tot, 3);
    EXPECT_EQ(info.taby[1], 72);  // its own measure first, then the other staves
    EXPECT_EQ(info.taby[3], 20);
    short id = -2;
    calcul_accord(score.measure(2, 2), &id, 1.0f);
    EXPECT_EQ(id, -2);  // notes in two measures keep the shared id
    // Stem down from the top note on staff 1 to 10 past the lowest head on staff 2.
    EXPECT_EQ(upper[0]->height, 78 + 10 - 20);
    EXPECT_EQ(lower[0]->height, 0);
    // Not on the current page: only the measure's own notes, and 0.
    d->cur_pag = 0;
    EXPECT_EQ(get_info_accord(score.measure(2, 2), -2, &info), 0);
    EXPECT_EQ(info.tot, 2);
    // Not a measure of the document.
    CMeasure stray;
    EXPECT_EQ(get_info_accord(&stray, -2, &info), 0);
    EXPECT_EQ(info.tot, 0);
}

TEST(ChordLayout, AChordLargerThanTheListsIsLaidOutUpToTheBound) {
    ChordScore score;
    // 150 notes in one measure, and as many again across the staves of a system.
    std::vector<short> ys;
    for (short k = 0; k < 150; k++) ys.push_back((short)(2 + 3 * k));
    std::vector<CNote*> notes = score.make(ys, 0, 7);
    InfoAccord info;
    EXPECT_EQ(get_info_accord(score.measure(1, 1), 7, &info), 1);
    EXPECT_EQ(info.tot, ACCORD_MAX);
    short cid = 7;
    calcul_accord(score.measure(1, 1), &cid, 1.0f);
    // The first 101 are one laid-out cluster from the lowest of them; the rest are untouched.
    EXPECT_GT(notes[ACCORD_MAX - 1]->height, 0);
    EXPECT_EQ(notes[ACCORD_MAX - 2]->x, 46);
    EXPECT_EQ(notes[ACCORD_MAX]->x, 40);
    EXPECT_EQ(notes[149]->height, 0);

    // 60 notes in each staff of a column: the staff's own first, then 41 of the other.
    score.lay_out_column_2();
    std::vector<short> sixty(ys.begin(), ys.begin() + 60);
    score.make(sixty, 0, -9, {}, 2, 1);
    std::vector<CNote*> lower = score.make(sixty, 0, -9, {}, 2, 2);
    EXPECT_EQ(get_info_accord(score.measure(2, 1), -9, &info), 1);
    EXPECT_EQ(info.tot, ACCORD_MAX);
    EXPECT_EQ(info.tabi[ACCORD_MAX], 41);
    short id = -9;
    calcul_accord(score.measure(2, 1), &id, 1.0f);
    EXPECT_EQ(id, -9);
    EXPECT_EQ(lower[45]->height, 0);
}
