// Measure justification: spacing of fixture columns against hand-computed positions, the
// frame (which staves, widths, undo, stems), the room table and the grid.
#include "layout/Justification.h"

#include <gtest/gtest.h>

#include "layout/ColumnJustifier.h"
#include "score/MusicClasses.h"
#include "score/ScoreFixture.h"

namespace {

// A score whose spacing is easy to follow: every value from the eighth up gets 9 after it
// (ratio 100), no beams, no voice shift, stems left alone.
struct Score : ScoreFixture {
    Score(short staves, short columns) : ScoreFixture(staves, columns) {
        d->justi_rapport = 100;
        d->justi_liga = 0;
        d->justi_dec_voix = 0;
        d->justi_hampes = 0;
    }
    std::vector<CNote*> quarters(short column, short staff, int count, short voice = 1) {
        std::vector<CNote*> notes;
        for (int i = 0; i < count; i++) notes.push_back(note(column, staff, 14, 3, voice));
        return notes;
    }
};

std::vector<short> xs(const std::vector<CNote*>& notes) {
    std::vector<short> v;
    for (CNote* n : notes) v.push_back(n->x);
    return v;
}

}  // namespace

TEST(Justification, GridStepsAndRoomsByValue) {
    struct Grid {
        short length, unit;
    } grids[] = {{1920, 10}, {720, 5}, {2560, 10}, {1280, 5}, {1285, 10}, {3840, 15}};
    for (const Grid& g : grids) {
        EXPECT_EQ(ColumnJustifier::grid_unit(g.length), g.unit) << g.length;
        EXPECT_LE(g.length / g.unit, 256);
    }
    struct Rooms {
        short shortest, ratio;
        short tax[9];
    } rooms[] = {
        {8, 100, {9, 9, 9, 9, 9, 6, 6, 6, 6}},
        {3, 100, {9, 9, 9, 9, 9, 6, 6, 6, 6}},
        {3, 150, {28, 19, 13, 9, 6, 2, 1, 0, 0}},
        {5, 120, {18, 15, 13, 12, 10, 6, 5, 4, 3}},
        {3, 0, {0, 1, 4, 9, 18, 24, 48, 96, 192}},       // kept at 50
        {0, 1000, {9, 4, 1, 0, 0, 0, 0, 0, 0}},          // kept at 200
    };
    for (const Rooms& r : rooms) {
        short tax[9];
        ColumnJustifier::rooms_by_value(r.shortest, r.ratio, tax);
        for (int n = 0; n < 9; n++) EXPECT_EQ(tax[n], r.tax[n]) << r.shortest << "/" << r.ratio << " " << n;
    }
}

// Four quarters in 4/4, width 150 with a header of 10: each quarter needs 2 before and 9
// after it, so the grid puts them at 2, 13, 24, 35 with 4 after the last (S = 45); the
// content (140) is spread over them: 2 + 10, then (2 + 34) x 140/122, ... + 10.
TEST(Justification, OneVoiceSpreadOverThePresentWidth) {
    Score score(1, 2);
    std::vector<CNote*> notes = score.quarters(1, 1, 4);
    justifier_mesure(1, 1, 1, 0, 1.0f, 1.0f, nullptr, nullptr);
    EXPECT_EQ(xs(notes), (std::vector<short>{12, 51, 90, 129}));
    EXPECT_EQ(score.measure(1, 1)->width, 150);
}

// With `wid` 1 the width follows: rooms times 1.25 (fact_just 125) twice.
TEST(Justification, WidthFollowsTheContent) {
    Score score(1, 2);
    std::vector<CNote*> notes = score.quarters(1, 1, 4);
    justifier_mesure(1, 1, 1, 1, 1.0f, 1.0f, nullptr, nullptr);
    EXPECT_EQ(xs(notes), (std::vector<short>{12, 28, 45, 61}));
    EXPECT_EQ(score.measure(1, 1)->width, 75);
    EXPECT_EQ(score.measure(1, 1)->pw, 65);
}

// Voice 1: half, quarter, quarter; voice 2: quarter, quarter, half (ratio 150: a half needs 13
// after it, a quarter 9). Beat 3 stands at the larger demand: 2 + 13 + 2 = 17 for voice 1,
// 13 + 9 + 2 = 24 for voice 2; both voices' notes there share one x.
TEST(Justification, TwoVoicesAlignOnBeat3) {
    Score score(1, 2);
    score.d->justi_rapport = 150;
    CNote* half1 = score.note(1, 1, 8, 2, 1);
    CNote* beat3_1 = score.note(1, 1, 8, 3, 1);
    CNote* beat4_1 = score.note(1, 1, 8, 3, 1);
    std::vector<CNote*> v2 = score.quarters(1, 1, 2, 2);
    CNote* beat3_2 = score.note(1, 1, 20, 2, 2);
    justifier_mesure(1, 1, 1, 0, 1.0f, 1.0f, nullptr, nullptr);
    // Grid 2, 13, 24, 35 and S = 45 as for four quarters.
    EXPECT_EQ(half1->x, 12);
    EXPECT_EQ(v2[0]->x, 12);
    EXPECT_EQ(v2[1]->x, 51);
    EXPECT_EQ(beat3_1->x, 90);
    EXPECT_EQ(beat3_2->x, 90);
    EXPECT_EQ(beat4_1->x, 129);
}

TEST(Justification, ColumnsWithMissingBeatsWholeRestsAndNothing) {
    Score score(3, 2);
    std::vector<CNote*> two = score.quarters(1, 1, 2);  // half the measure: two beats missing
    CRest* whole = score.rest(1, 2, 1);
    justifier_mesure(1, 1, 1, 1, 1.0f, 1.0f, nullptr, nullptr);
    // B: 2 then 11; right bar room 4 + 2 x 10 = 24 (S = 43); x 1.25: 13 and 30, S' = 51.
    EXPECT_EQ(xs(two), (std::vector<short>{12, 28}));
    for (short staff = 1; staff <= 3; staff++) EXPECT_EQ(score.measure(1, staff)->width, 73);
    EXPECT_EQ(whole->x, 63 / 2 - 4 + 10);  // centred on the content

    // Nothing at all: room 4 + 4 x 10 = 44, S = 50; x 1.25: 55, S' = 61, content 76.
    Score empty(1, 1);
    justifier_mesure(1, 1, 1, 1, 1.0f, 1.0f, nullptr, nullptr);
    EXPECT_EQ(empty.measure(1, 1)->width, 86);

    // A full measure adds nothing: 1910 ticks fill it to within 15.
    Score nearly(1, 1);
    std::vector<CNote*> q = nearly.quarters(1, 1, 4);
    q[3]->length = 470;
    justifier_mesure(1, 1, 1, 1, 1.0f, 1.0f, nullptr, nullptr);
    EXPECT_EQ(nearly.measure(1, 1)->width, 75);
}

// One whole note: S = 6 + 2 + 4 = 12, stretched to 20 before the factor (fact_just 100).
TEST(Justification, ASparseMeasureIsStretchedTo20) {
    Score score(1, 1);
    score.d->fact_just = 100;
    CNote* n = score.note(1, 1, 14, 1);
    justifier_mesure(1, 1, 1, 1, 1.0f, 1.0f, nullptr, nullptr);
    EXPECT_EQ(score.measure(1, 1)->width, 30);
    EXPECT_EQ(n->x, 12);  // the first grid column is never scaled
}

TEST(Justification, OneStaffOfSeveralKeepsTheWidthAndGivesEveryStaffItsOwnPw) {
    Score score(3, 2);
    std::vector<CNote*> notes = score.quarters(1, 2, 4);
    std::vector<CNote*> other = score.quarters(1, 3, 4);
    std::vector<short> before = xs(other);
    score.measure(1, 1)->front = 20;
    score.measure(1, 2)->front = 10;
    score.measure(1, 3)->front = 30;
    justifier_mesure(1, 2, 0, 1, 1.0f, 1.0f, nullptr, nullptr);
    // The rooms are first scaled by 1.25 as `wid` asks (B 13, bar room 5, S' = 52), then,
    // `wid` no longer counting, spread over the present 140.
    EXPECT_EQ(xs(notes), (std::vector<short>{12, 50, 85, 120}));
    EXPECT_EQ(xs(other), before);
    for (short staff = 1; staff <= 3; staff++) EXPECT_EQ(score.measure(1, staff)->width, 150);
    EXPECT_EQ(score.measure(1, 1)->pw, 130);
    EXPECT_EQ(score.measure(1, 3)->pw, 120);

    // On a system of one staff, `wid` 1 with `all` 0 does change the width.
    Score single(1, 1);
    single.quarters(1, 1, 4);
    justifier_mesure(1, 1, 0, 1, 1.0f, 1.0f, nullptr, nullptr);
    EXPECT_EQ(single.measure(1, 1)->width, 75);
}

TEST(Justification, TreatedMeasuresAreRecordedAndTheirFlagsCleared) {
    Score score(2, 2);
    score.quarters(1, 1, 2);
    for (short staff = 1; staff <= 2; staff++) score.measure(1, staff)->flags = 0x73;
    CUndoManager undo(nullptr);
    undo_active = 1;
    undo.new_level(1, 0);
    score.d->joue = 1;
    // A manager that counts the turns of its pump.
    static int pump_turns;
    pump_turns = 0;
    alignas(8) char manager[8] = {};
    mpr = reinterpret_cast<CPlayRecordManager*>(manager);
    PlayRecordHooks saved_hooks = play_record_hooks;
    play_record_hooks.pump = [] { pump_turns++; };
    justifier_mesure(1, 1, 1, 0, 1.0f, 1.0f, nullptr, &undo);
    undo_active = 0;
    ASSERT_EQ(undo.total(), 1);
    const CArrayPtr& recorded = undo.get(1)->loc_obj;
    ASSERT_EQ(recorded.total(), 2);
    for (short staff = 1; staff <= 2; staff++) {
        short slot = score.d->por[score.d->sys[1]->por[staff]]->mes[1];
        EXPECT_EQ((void**)recorded.get(staff), (void**)&score.d->mes[slot]);
        EXPECT_EQ(score.measure(1, staff)->flags, 0x03);  // voices and MIDI values up to date
    }
    EXPECT_EQ(pump_turns, 2 + 1 + 2);  // preparation, stems of staff 1, placement
    play_record_hooks = saved_hooks;
    mpr = nullptr;
}

TEST(Justification, StemDirections) {
    struct Case {
        short mode, y, manual, dir;
    } cases[] = {
        {2, 12, 0, 1}, {2, 13, 0, 0}, {3, 26, 0, 0}, {4, 2, 0, 1},
        {1, 26, 0, 7}, {0, 2, 0, 7}, {4, 2, 1, 7},
    };
    for (const Case& c : cases) {
        Score score(1, 1);
        score.d->justi_hampes = c.mode;
        CNote* n = score.note(1, 1, 14);
        n->y = c.y;
        n->dir = 7;
        if (c.manual) n->flags |= 0x40;
        justifier_mesure(1, 1, 1, 0, 1.0f, 1.0f, nullptr, nullptr);
        EXPECT_EQ(n->dir, c.dir) << c.mode << " " << c.y;
    }

    // Mode 5, voice 1 above voice 2: up and down; a manual stem stays.
    Score score(1, 1);
    score.d->justi_hampes = 5;
    CNote* high = score.note(1, 1, 2, 2, 1);
    CNote* kept = score.note(1, 1, 5, 2, 1);
    CNote* low = score.note(1, 1, 26, 1, 2);
    high->dir = kept->dir = 1;
    low->dir = 0;
    kept->flags |= 0x40;
    justifier_mesure(1, 1, 1, 0, 1.0f, 1.0f, nullptr, nullptr);
    EXPECT_EQ(high->dir, 0);
    EXPECT_EQ(kept->dir, 1);
    EXPECT_EQ(low->dir, 1);
}

// Two voices whose notes stand within 7 units: the higher note stems up, the lower down.
TEST(Justification, CollidingVoicesTurnTheirStemsApart) {
    Score score(1, 1);
    score.d->justi_hampes = 5;
    CNote* a = score.note(1, 1, 20, 3, 1);
    CNote* b = score.note(1, 1, 8, 3, 2);
    b->x = (short)(a->x + 5);
    justifier_mesure(1, 1, 1, 0, 1.0f, 1.0f, nullptr, nullptr);
    EXPECT_EQ(a->dir, 1);
    EXPECT_EQ(b->dir, 0);
}

// Mended: a column whose content width was 0 leaves proportional positions alone.
TEST(Justification, AnEmptyOldContentWidthMovesNothingProportionally) {
    Score score(1, 1);
    CMeasure* m = score.measure(1, 1);
    m->width = m->front;
    CTextBloc* text = new CTextBloc;
    text->x = 50;
    m->add(text);
    score.quarters(1, 1, 2);
    justifier_mesure(1, 1, 1, 1, 1.0f, 1.0f, nullptr, nullptr);
    EXPECT_EQ(text->x, 50);
    EXPECT_GT(m->width, m->front);
}

// A measure length beyond 16 bits, or 0, a beat of 0 and value codes outside 0 to 8 still
// give a grid and a width.
TEST(Justification, DegenerateMeasuresStillGetAWidth) {
    Score odd(1, 1);
    std::vector<CNote*> q = odd.quarters(1, 1, 3);
    q[0]->rythm = 12;
    q[1]->rythm = -1;
    odd.rest(1, 1, 9)->rythm = 20;
    justifier_mesure(1, 1, 1, 1, 1.0f, 1.0f, nullptr, nullptr);
    EXPECT_GT(odd.measure(1, 1)->width, odd.measure(1, 1)->front);

    for (int32_t length : {0, 40000}) {
        Score score(1, 1);
        CMeasure* m = score.measure(1, 1);
        score.quarters(1, 1, 2);
        m->length = length;
        m->length_beat = 0;
        justifier_mesure(1, 1, 1, 1, 1.0f, 1.0f, nullptr, nullptr);
        EXPECT_GT(m->width, m->front) << length;
    }
}
