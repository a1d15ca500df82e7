// Growth of the measure, staff and system arrays with the undo stores kept in step, failures
// that leave the score as it was, and a track appended to a score whose arrays have holes.
#include "score/StructureSlots.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "score/ScoreFixture.h"

namespace {

// Fills every free measure slot up to the array's end, so that the next slot must grow it.
void fill_measures(Document* d) {
    for (int i = 1; i <= d->max_mes; i++)
        if (!d->mes[i]) {
            d->mes[i] = new CMeasure;
            d->tot_mes++;
        }
}

// What a failed call must leave as it was.
struct Shape {
    short tot_mes, tot_por, tot_sys, tot_piste, tot_ins, master_staves;
    int32_t next_id;
    explicit Shape(Document* d)
        : tot_mes(d->tot_mes), tot_por(d->tot_por), tot_sys(d->tot_sys), tot_piste(d->tot_piste),
          tot_ins(d->tot_ins), master_staves(d->sys[1]->tot_por), next_id(d->next_meas_id) {}
    bool operator==(const Shape& o) const {
        return tot_mes == o.tot_mes && tot_por == o.tot_por && tot_sys == o.tot_sys &&
               tot_piste == o.tot_piste && tot_ins == o.tot_ins &&
               master_staves == o.master_staves && next_id == o.next_id;
    }
};

}  // namespace

TEST(StructureGrowth, SystemArrayGrowsByTwentyAndFreedSlotsComeBack) {
    ScoreFixture score(1, 1);
    Document* d = score.d;
    // A document whose system array holds exactly 20 systems.
    while (d->tot_sys < d->max_sys) nouveau_systeme(d, 1);
    for (short i = 21; i <= d->max_sys; i++) {
        std::free(d->sys[i]);
        d->sys[i] = nullptr;
        d->tot_sys--;
    }
    Systeme** exact = new Systeme*[21]();
    for (short i = 0; i <= 20; i++) exact[i] = d->sys[i];
    delete[] d->sys;
    d->sys = exact;
    d->max_sys = 20;
    ASSERT_EQ(d->tot_sys, 20);
    EXPECT_EQ(nouveau_systeme(d, 3), 21);
    EXPECT_EQ(d->max_sys, 40);
    for (short i = 22; i <= 40; i++) EXPECT_EQ(d->sys[i], nullptr) << i;
    EXPECT_EQ(d->sys[21]->max_por, 3);
    EXPECT_EQ(d->sys[21]->tot_por, 0);
    std::free(d->sys[5]);
    d->sys[5] = nullptr;
    d->tot_sys--;
    EXPECT_EQ(nouveau_systeme(d, 1), 5);
    EXPECT_EQ(d->tot_sys, 21);
}

TEST(StructureGrowth, GrowingTheMeasureArrayMovesTheUndoLocationsOfEveryExtract) {
    ScoreFixture score(1, 2);
    score.add_extract(1, 2);
    Document* d = score.d;
    fill_measures(d);
    short max = d->max_mes;
    // Each extract's undo store holds the location of slot 17, and one a slot it never had.
    void* elsewhere = nullptr;
    void** other = &elsewhere;
    undo_active = 1;
    for (short k = 1; k <= d->tot_sub_doc; k++) {
        d->sub_doc[k].undo->new_level(1, 0);
        d->sub_doc[k].undo->add_obj((void**)&d->mes[17], 2, 0, 0);
        d->sub_doc[k].undo->add_obj(other, 2, 0, 0);
    }
    undo_active = 0;
    CMeasure* held = d->mes[17];
    short slot = nouvelle_mesure(d);
    EXPECT_EQ(slot, max + 1);
    EXPECT_EQ(d->max_mes, max + 250);
    EXPECT_EQ(d->mes[17], held);
    for (short k = 1; k <= d->tot_sub_doc; k++) {
        ASSERT_EQ(d->sub_doc[k].undo->total(), 1) << k;
        const CArrayPtr& recorded = d->sub_doc[k].undo->get(1)->loc_obj;
        ASSERT_EQ(recorded.total(), 2) << k;
        EXPECT_EQ((void**)recorded.get(1), (void**)&d->mes[17]) << "extract " << k;
        EXPECT_EQ((void**)recorded.get(2), other) << "extract " << k;
    }
    d->mes[slot] = new CMeasure;
}

TEST(StructureGrowth, NoRoomLeftIsReportedAndChangesNothing) {
    ScoreFixture score(2, 3);
    Document* d = score.d;
    // Measure array at the last size the 16-bit counts allow, every slot used.
    CMeasure** all = new CMeasure*[32766 + 1]();
    for (int i = 1; i <= d->max_mes; i++) all[i] = d->mes[i];
    delete[] d->mes;
    d->mes = all;
    d->max_mes = 32766;
    fill_measures(d);
    Shape before(d);
    EXPECT_EQ(make_measure_space(d), 0);
    EXPECT_EQ(nouvelle_mesure(d), 0);
    short counter = 2;
    EXPECT_EQ(ajouter_piste_portee_midi(&counter, 3), 0);
    EXPECT_EQ(counter, 2);
    EXPECT_TRUE(Shape(d) == before);
    EXPECT_EQ(d->max_mes, 32766);
    EXPECT_EQ(d->piste[3], nullptr);

    // A staff array that cannot grow past 16 bits.
    Portee** staves = new Portee*[32766 + 1]();
    for (int i = 1; i <= d->max_por; i++) staves[i] = d->por[i];
    delete[] d->por;
    d->por = staves;
    Portee* shared = nouveau_portee(0);
    for (int i = 1; i <= 32766; i++)
        if (!d->por[i]) d->por[i] = shared;
    short real = d->tot_por;
    d->max_por = d->tot_por = 32766;
    EXPECT_EQ(nouvelle_portee(d, 4), 0);
    EXPECT_EQ(d->tot_por, 32766);
    for (int i = real + 1; i <= 32766; i++) d->por[i] = nullptr;
    std::free(shared);
    d->tot_por = real;
}

TEST(StructureGrowth, ATrackGoesIntoTheFreeSlotsOfAScoreWithHoles) {
    ScoreFixture score(2, 8);
    Document* d = score.d;
    d->entete_mesure_automatique = 1;
    score.time(1, 1, 3, 4);
    score.key(1, 1, 2);
    score.time(5, 1, 6, 8);
    for (short c = 1; c <= 8; c++) score.measure(c, 1)->width = (short)(100 + c);
    d->ins[2].dy = 140;
    // Holes: a freed staff slot below the used count and freed measure slots among the used.
    short hole_staff = nouvelle_portee(d, 2);
    short spare = nouvelle_portee(d, 2);
    std::free(d->por[hole_staff]);
    d->por[hole_staff] = nullptr;
    d->tot_por--;
    short hole_a = nouvelle_mesure(d);
    d->mes[hole_a] = new CMeasure;
    short hole_b = nouvelle_mesure(d);
    d->mes[hole_b] = new CMeasure;
    short after = nouvelle_mesure(d);
    d->mes[after] = new CMeasure;
    CMeasure* kept = d->mes[after];
    delete d->mes[hole_a];
    delete d->mes[hole_b];
    d->mes[hole_a] = d->mes[hole_b] = nullptr;
    d->tot_mes = (short)(d->tot_mes - 2);
    int32_t id = d->next_meas_id;

    short counter = 5;
    ASSERT_EQ(ajouter_piste_portee_midi(&counter, 8), 1);
    EXPECT_EQ(counter, 6);
    EXPECT_EQ(d->tot_piste, 3);
    EXPECT_EQ(d->tot_ins, 3);
    EXPECT_EQ(d->sys[1]->tot_por, 3);
    EXPECT_EQ(d->sys[1]->por[3], hole_staff);  // the free staff slot, not tot_por + 1
    EXPECT_NE(d->por[spare], nullptr);
    EXPECT_EQ(d->mes[after], kept);
    EXPECT_EQ(d->por[hole_staff]->mes[1], hole_a);
    EXPECT_EQ(d->por[hole_staff]->mes[2], hole_b);
    EXPECT_EQ(d->por[hole_staff]->max_mes, 18);
    EXPECT_EQ(d->ins[3].patch, -1);
    EXPECT_EQ(d->ins[3].bank, -1);
    EXPECT_EQ(d->ins[3].dy, 215);
    EXPECT_EQ(d->ins[3].dx, d->ins[1].dx);
    ASSERT_NE(d->piste[3], nullptr);
    EXPECT_EQ(d->piste[3]->max, 1000);
    EXPECT_EQ(d->piste[3]->tot, 0);
    for (short c = 1; c <= 8; c++) {
        CMeasure* m = score.measure(c, 3);
        CMeasure* model = score.measure(c, 1);
        ASSERT_NE(m, nullptr) << c;
        EXPECT_EQ(m->width, model->width) << c;
        EXPECT_EQ(m->length, model->length) << c;
        EXPECT_EQ(m->tot_beat, model->tot_beat) << c;
        EXPECT_EQ(m->id, id + c - 1) << c;
        EXPECT_EQ(m->flags & 0x73, 0x73) << c;
        // Signatures are copied where staff 1 has them: column 1 time then key, column 5 time.
        short expected = c == 1 ? 2 : c == 5 ? 1 : 0;
        ASSERT_EQ(m->total(), expected) << c;
        if (expected) {
            EXPECT_NE(m->get_timesig_item(1), nullptr) << c;
        }
        if (c == 1) {
            EXPECT_NE(m->get_keysig_item(2), nullptr);
        }
    }
    EXPECT_EQ(score.measure(5, 3)->length, 1440);
}

TEST(StructureGrowth, ATrackAtTheLimitOfTheGrid) {
    ScoreFixture score(1, 3);
    Document* d = score.d;
    // No automatic headers: bare measures; a column count above the grid's is cut to it.
    d->entete_mesure_automatique = 0;
    score.time(1, 1, 2, 4);
    short counter = 0;
    for (int k = 0; k < 12; k++) ASSERT_EQ(ajouter_piste_portee_midi(&counter, 9), 1);
    EXPECT_EQ(counter, 12);
    EXPECT_EQ(d->tot_piste, 13);
    EXPECT_EQ(d->sys[1]->tot_por, 13);
    EXPECT_GE(d->max_piste, 13);
    EXPECT_GE(d->max_ins, 13);
    for (short p = 2; p <= 13; p++) {
        EXPECT_EQ(d->por[d->sys[1]->por[p]]->tot_mes, 3) << p;
        EXPECT_EQ(score.measure(1, p)->total(), 0) << p;
        EXPECT_EQ(score.measure(3, p)->length, 960) << p;
        EXPECT_EQ(d->ins[p].dy, d->ins[p - 1].dy + 75) << p;
    }
}
