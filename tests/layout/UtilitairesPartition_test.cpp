// The score grid: locating measures, what is in force at a column, tied pitches, measure
// lengths from the metre, and measures on a page.
#include "layout/UtilitairesPartition.h"

#include <gtest/gtest.h>

#include "score/ScoreFixture.h"

namespace {

// The measure id at (column, staff) of the master system.
short id_at(Document* d, short column, short staff) {
    return d->por[d->sys[1]->por[staff]]->mes[column];
}

// A laid-out system of one staff holding the given measure ids, on a new page.
short lay_out(Document* d, std::initializer_list<short> ids) {
    short p = nouvelle_portee(d, (short)ids.size());
    for (short id : ids) d->por[p]->mes[++d->por[p]->tot_mes] = id;
    short s = nouveau_systeme(d, 1);
    d->sys[s]->por[++d->sys[s]->tot_por] = p;
    d->tot_pag++;
    if (d->tot_pag > d->max_pag) {
        Page** pages = new Page*[d->tot_pag + 1]();
        for (short k = 0; k <= d->max_pag; k++) pages[k] = d->pag[k];
        delete[] d->pag;
        d->pag = pages;
        d->max_pag = d->tot_pag;
    }
    d->pag[d->tot_pag] = nouveau_page(2);
    d->pag[d->tot_pag]->sys[++d->pag[d->tot_pag]->tot_sys] = s;
    return d->tot_pag;
}

template <class T>
T* add(CMeasure* m, short x) {
    T* item = new T;
    item->x = x;
    m->add(item);
    return item;
}

CKeySig* add_key(CMeasure* m, short x, short flags = 0) {
    CKeySig* k = new CKeySig;
    k->add_accidental(x, 3, 4);
    k->flags = flags;
    m->add(k);
    return k;
}

}  // namespace

TEST(MeasureAddressing, LocatesByColumnThenStaffAndFallsBackToTheFirst) {
    ScoreFixture score(3, 4);
    Document* d = score.d;
    // The id of (2, 3) also stands in a laid-out system: still found in the master system.
    lay_out(d, {id_at(d, 2, 3), id_at(d, 1, 1)});
    // A damaged grid holding one id twice: the smaller column wins over the smaller staff.
    d->por[d->sys[1]->por[1]]->mes[4] = id_at(d, 3, 2);
    struct Case {
        short id, ma, pa;
    } cases[] = {
        {id_at(d, 1, 1), 1, 1}, {id_at(d, 2, 3), 2, 3}, {id_at(d, 4, 2), 4, 2},
        {id_at(d, 3, 2), 3, 2},  // also at (4, 1), later column
        {0, 1, 1},  {9999, 1, 1},  // absent
    };
    for (const Case& c : cases) {
        short ma = -5, pa = -5;
        localiser_mesure(c.id, &ma, &pa);
        EXPECT_EQ(ma, c.ma) << c.id;
        EXPECT_EQ(pa, c.pa) << c.id;
        EXPECT_EQ(find_abs_staff(c.id), c.pa) << c.id;
    }
    EXPECT_EQ(nombre_colonnes(), 4);
}

TEST(MeasureAddressing, SignaturesAndClefsInForceAtAColumn) {
    ScoreFixture score(2, 5);
    CTimeSig* t1 = add<CTimeSig>(score.measure(1, 1), 20);
    CTimeSig* t3 = add<CTimeSig>(score.measure(3, 1), 20);
    add<CTimeSig>(score.measure(3, 1), 20);  // same x: the earlier item is kept
    add<CTimeSig>(score.measure(3, 1), 140)->flags = 0x0002;  // courtesy, right of the others
    add<CTimeSig>(score.measure(4, 1), 150)->flags = 0x0003;  // courtesy only
    CKeySig* k1 = add_key(score.measure(1, 2), 10);
    CKeySig* k2 = add_key(score.measure(2, 2), 5);
    CKeySig* k2b = add_key(score.measure(2, 2), 30);  // rightmost
    add_key(score.measure(3, 2), 140, 0x0001);        // courtesy
    add<CClef>(score.measure(1, 1), 2)->id = 4;
    add<CClef>(score.measure(2, 1), -10)->id = 3;     // at -10: never taken
    add<CClef>(score.measure(4, 1), 50)->id = 2;
    add<CClef>(score.measure(4, 1), 30)->id = 5;

    struct Case {
        short ma, pa;
        CTimeSig* time;
        CKeySig* key;
        short clef;
    } cases[] = {
        {1, 1, nullptr, nullptr, 1},  // column 1 has nothing before it
        {2, 1, t1, nullptr, 4},       {3, 1, t1, nullptr, 4},  // the -10 clef is passed over
        {4, 1, t3, nullptr, 4},       {5, 1, t3, nullptr, 2},  // courtesy signature passed over
        {1, 2, nullptr, nullptr, 1},  {2, 2, nullptr, k1, 1},  {3, 2, nullptr, k2b, 1},
        {5, 2, nullptr, k2b, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(get_mesure_start(c.ma, c.pa), c.time) << c.ma << "," << c.pa;
        EXPECT_EQ(get_armure_start(c.ma, c.pa), c.key) << c.ma << "," << c.pa;
        EXPECT_EQ(get_clef_start(c.ma, c.pa), c.clef) << c.ma << "," << c.pa;
    }
    (void)k2;
    Document* d = doc;
    doc = nullptr;
    EXPECT_EQ(get_armure_start(3, 2), nullptr);
    EXPECT_EQ(get_clef_start(3, 1), 1);
    doc = d;
}

TEST(MeasureAddressing, FirstPitchOfATieChain) {
    ScoreFixture score(1, 3);
    CNote* a = score.note(1, 1, 14, 2);  // half B4, tied on
    CNote* b = score.note(1, 1, 14, 2);
    b->flags |= 0x000A;
    CNote* c = score.note(2, 1, 14, 1);
    c->flags |= 0x000A;
    CNote* lone = score.note(3, 1, 20, 3);  // nothing at y 20 before it
    lone->flags |= 0x000A;
    a->pitch = 71;
    b->pitch = 60;  // a continuation's own pitch is not the answer
    // Another voice at the same place in column 2 is not part of the chain there.
    CNote* other = score.note(2, 1, 14, 1, 2);
    other->x = (short)(c->x - 5);
    other->pitch = 40;
    EXPECT_EQ(find_first_pitch(2, 1, 1), 71);
    EXPECT_EQ(find_first_pitch(1, 1, 2), 71);
    EXPECT_EQ(find_first_pitch(1, 1, 1), -1);  // first note of column 1
    EXPECT_EQ(find_first_pitch(3, 1, 1), -1);
}

TEST(MeasureAddressing, LengthsFollowTheMetreOfEachStaff) {
    ScoreFixture score(2, 6);
    auto metre = [&](short c, short p, std::initializer_list<short> upper, short lower, short flags = 0) {
        CTimeSig* t = new CTimeSig;
        short k = 1;
        for (short u : upper) t->upper[k++] = u;
        t->lower[1] = lower;
        t->flags = flags;
        score.measure(c, p)->add(t);
    };
    metre(2, 1, {6}, 8);
    metre(3, 1, {3, 2, 2}, 8);
    metre(4, 1, {3}, 3);     // a denominator of 3: beats of 480
    metre(4, 1, {2}, 2);     // the second signature of a measure does not count
    metre(5, 1, {5}, 4, 2);  // courtesy: does not set the metre
    metre(6, 1, {32}, 1);    // 61440 ticks: beyond 16 bits
    metre(2, 2, {3}, 4);
    score.measure(3, 2)->meas = 0x1000;  // free: keeps its length, its metre counts on
    score.measure(3, 2)->length = 777;
    metre(3, 2, {2}, 2);
    score.measure(5, 2)->meas = 0x0800;
    score.measure(5, 2)->length = 5;
    maj_duree_mesures();
    struct Case {
        short c, p;
        int32_t length;
        short beats, beat;
    } cases[] = {
        {1, 1, 1920, 4, 480}, {2, 1, 1440, 6, 240}, {3, 1, 1680, 7, 240},
        {4, 1, 1440, 3, 480}, {5, 1, 1440, 3, 480}, {6, 1, 61440, 32, 1920},
        {1, 2, 1920, 4, 480}, {2, 2, 1440, 3, 480}, {3, 2, 777, 4, 480},
        {4, 2, 1920, 2, 960}, {5, 2, 5, 4, 480},    {6, 2, 1920, 2, 960},
    };
    for (const Case& c : cases) {
        CMeasure* m = score.measure(c.c, c.p);
        EXPECT_EQ(m->length, c.length) << c.c << "," << c.p;
        EXPECT_EQ(m->tot_beat, c.beats) << c.c << "," << c.p;
        EXPECT_EQ(m->length_beat, c.beat) << c.c << "," << c.p;
    }
}

TEST(MeasureAddressing, MeasureOnAPage) {
    ScoreFixture score(2, 4);
    Document* d = score.d;
    short p1 = lay_out(d, {id_at(d, 1, 1), id_at(d, 2, 1)});
    short p2 = lay_out(d, {id_at(d, 3, 1), id_at(d, 4, 2)});
    struct Case {
        short ma, pa, page, in;
    } cases[] = {
        {1, 1, p1, 1}, {2, 1, p1, 1}, {3, 1, p1, 0}, {3, 1, p2, 1}, {4, 2, p2, 1},
        {4, 1, p2, 0}, {1, 2, p1, 0}, {9, 1, p1, 0}, {1, 1, 77, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(mesure_in_page(c.ma, c.pa, c.page), c.in) << c.ma << "," << c.pa << " p" << c.page;
}
