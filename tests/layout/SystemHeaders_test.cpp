// System headers: clef, key and time in force at the start of every system, the width they
// reserve, courtesy signatures at a system's end, and free columns.
#include "layout/SystemHeaders.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "score/ScoreFixture.h"

namespace {

// A laid-out system holding columns first..last of every master staff; returns its index.
short lay_out(Document* d, short first, short last) {
    short staves = d->sys[1]->tot_por;
    short s = nouveau_systeme(d, staves);
    for (short p = 1; p <= staves; p++) {
        short q = nouvelle_portee(d, (short)(last - first + 1));
        Portee* master = d->por[d->sys[1]->por[p]];
        for (short c = first; c <= last; c++) d->por[q]->mes[++d->por[q]->tot_mes] = master->mes[c];
        d->sys[s]->por[++d->sys[s]->tot_por] = q;
    }
    return s;
}

// Three staves of four 3/4 measures, a note in each: treble with two flats, bass with two
// flats, treble without key. Headers on, spacings 2, 3, 4, 5.
struct ThreeStaves {
    ThreeStaves() : score(3, 4) {
        Document* d = score.d;
        d->entete_mesure_automatique = 1;
        d->dist_entete_1 = 2;
        d->dist_entete_2 = 3;
        d->dist_entete_3 = 4;
        d->dist_entete_4 = 5;
        d->ksig_end = d->tsig_end = 0;
        for (short p = 1; p <= 3; p++) {
            score.clef(1, p, p == 2 ? 2 : 1);
            if (p < 3) score.key(1, p, -2);
            score.time(1, p, 3, 4);
            for (short c = 1; c <= 4; c++) score.note(c, p, 14);
        }
    }
    void lay_out_two_systems() {
        first = lay_out(score.d, 1, 2);
        second = lay_out(score.d, 3, 4);
        run();
    }
    void run() {
        ajuster_mesures_systeme(first, 1, 1.0f, 1.0f, nullptr, nullptr);
        ajuster_mesures_systeme(second, 3, 1.0f, 1.0f, nullptr, nullptr);
    }
    template <class T>
    int count(short c, short p) {
        int n = 0;
        CMeasure* m = score.measure(c, p);
        for (short i = 1; i <= m->total(); i++)
            if (object_as<T>(m->get_item(i))) n++;
        return n;
    }
    // Key or time signatures carrying the courtesy mark.
    template <class T>
    int courtesy(short c, short p, short mark) {
        int n = 0;
        CMeasure* m = score.measure(c, p);
        for (short i = 1; i <= m->total(); i++)
            if (T* item = object_as<T>(m->get_item(i)))
                if (item->flags & mark) n++;
        return n;
    }
    CNote* first_note(short c, short p) {
        CMeasure* m = score.measure(c, p);
        for (short i = 1; i <= m->total(); i++)
            if (CNote* n = m->get_note_item(i)) return n;
        return nullptr;
    }
    // Everything the header pass may touch, as text.
    std::string describe() {
        std::ostringstream out;
        for (short p = 1; p <= 3; p++)
            for (short c = 1; c <= 4; c++) {
                CMeasure* m = score.measure(c, p);
                out << m->front << ',' << m->width << ',' << m->extended << ':';
                for (short i = 1; i <= m->total(); i++) {
                    CDataObject* o = m->get_item(i);
                    if (CClef* k = object_as<CClef>(o)) out << " C" << k->id << '@' << k->x;
                    if (CNote* n = object_as<CNote>(o)) out << " N@" << n->x;
                    if (CTimeSig* t = object_as<CTimeSig>(o)) out << " T" << t->flags << '@' << t->x;
                    if (CKeySig* k = object_as<CKeySig>(o)) {
                        out << " K" << k->flags << '/' << k->clef;
                        for (short j = 1; j <= k->total(); j++) out << '@' << k->x.get(j);
                    }
                }
                out << '\n';
            }
        return out.str();
    }
    ScoreFixture score;
    short first = 0, second = 0;
};

// Header of the second system: clef (2 + 18), two flats (12 + 3), no time, after-space 5.
constexpr short HEADER = 20 + 15 + 5;

}  // namespace

TEST(SystemHeaders, EverySystemOpensWithTheClefAndKeyInForce) {
    ThreeStaves t;
    t.lay_out_two_systems();
    struct Case {
        short staff, clef, keys;
    } cases[] = {{1, 1, 1}, {2, 2, 1}, {3, 1, 0}};
    for (const Case& c : cases) {
        CMeasure* m = t.score.measure(3, c.staff);
        SCOPED_TRACE(c.staff);
        ASSERT_EQ(t.count<CClef>(3, c.staff), 1);
        for (short i = 1; i <= m->total(); i++)
            if (CClef* k = m->get_clef_item(i)) {
                EXPECT_EQ(k->id, c.clef);
                EXPECT_EQ(k->type, 1);
                EXPECT_EQ(k->x, 0 + 2 + 2);
            }
        EXPECT_EQ(t.count<CKeySig>(3, c.staff), c.keys);
        EXPECT_EQ(t.count<CTimeSig>(3, c.staff), 0);
        // Every staff reserves the widest header, and the music moves by the change.
        EXPECT_EQ(m->front, HEADER);
        EXPECT_EQ(t.first_note(3, c.staff)->x, 20 + HEADER - 10);
        // A measure inside a system keeps only the space after the header.
        EXPECT_EQ(t.score.measure(4, c.staff)->front, 5);
        EXPECT_EQ(t.first_note(4, c.staff)->x, 20 + 5 - 10);
        // The first system shows the measures' own clef, key and time signature.
        EXPECT_EQ(t.count<CTimeSig>(1, c.staff), 1);
        EXPECT_EQ(t.score.measure(1, c.staff)->front, t.score.measure(1, 1)->front);
        EXPECT_GT(t.score.measure(1, c.staff)->front, HEADER);
    }
}

TEST(SystemHeaders, RunningThePassAgainChangesNothing) {
    for (short ends : {0, 1}) {
        ThreeStaves t;
        t.score.d->ksig_end = t.score.d->tsig_end = ends;
        t.score.key(3, 1, 1);
        t.score.time(3, 3, 2, 4);
        t.lay_out_two_systems();
        std::string once = t.describe();
        t.run();
        EXPECT_EQ(t.describe(), once) << "courtesy " << ends;
    }
}

TEST(SystemHeaders, MovingAMeasureIntoASystemTakesItsHeaderAway) {
    ThreeStaves t;
    t.lay_out_two_systems();
    short whole = lay_out(t.score.d, 1, 4);
    ajuster_mesures_systeme(whole, 1, 1.0f, 1.0f, nullptr, nullptr);
    for (short p = 1; p <= 3; p++) {
        EXPECT_EQ(t.count<CClef>(3, p), 0) << p;
        EXPECT_EQ(t.count<CKeySig>(3, p), 0) << p;
        EXPECT_EQ(t.score.measure(3, p)->front, 5) << p;
        EXPECT_EQ(t.first_note(3, p)->x, 20 + 5 - 10) << p;
    }
}

TEST(SystemHeaders, CourtesySignaturesEndEverySystemButTheLast) {
    ThreeStaves t;
    t.score.d->ksig_end = t.score.d->tsig_end = 1;
    t.score.key(3, 1, 1);  // two flats become one sharp on staff 1
    for (short p = 1; p <= 3; p++) t.score.time(3, p, 2, 4);
    t.lay_out_two_systems();
    struct Case {
        short staff;
        int keys, times;
    } cases[] = {{1, 1, 1}, {2, 0, 1}, {3, 0, 1}};
    short extended = t.score.measure(2, 1)->extended;
    EXPECT_GT(extended, 0);
    for (const Case& c : cases) {
        EXPECT_EQ(t.courtesy<CKeySig>(2, c.staff, 0x1), c.keys) << c.staff;
        EXPECT_EQ(t.courtesy<CTimeSig>(2, c.staff, 0x2), c.times) << c.staff;
        EXPECT_EQ(t.score.measure(2, c.staff)->extended, extended) << c.staff;
        EXPECT_EQ(t.courtesy<CKeySig>(4, c.staff, 0x1) + t.courtesy<CTimeSig>(4, c.staff, 0x2), 0);
        EXPECT_EQ(t.score.measure(4, c.staff)->extended, 0);
    }
    // The courtesy key cancels the flats and stands after the measure's end.
    CMeasure* end = t.score.measure(2, 1);
    for (short i = 1; i <= end->total(); i++)
        if (CKeySig* k = end->get_keysig_item(i); k && (k->flags & 1)) {
            EXPECT_EQ(k->alt.get(1), 3);
            EXPECT_EQ(k->x.get(1), end->width + 3);
        }
    // The new system shows its own key, without naturals once the courtesy key gave them.
    CMeasure* opening = t.score.measure(3, 1);
    ASSERT_EQ(t.count<CKeySig>(3, 1), 1);
    for (short i = 1; i <= opening->total(); i++)
        if (CKeySig* k = opening->get_keysig_item(i)) {
            EXPECT_EQ(k->value, 1);
            EXPECT_NE(k->alt.get(1), 3);
        }
}

TEST(SystemHeaders, WithoutCourtesyTheOpeningKeyCarriesTheNaturals) {
    ThreeStaves t;
    t.score.key(3, 1, 1);
    t.lay_out_two_systems();
    CMeasure* opening = t.score.measure(3, 1);
    ASSERT_EQ(t.count<CKeySig>(3, 1), 1);
    for (short i = 1; i <= opening->total(); i++)
        if (CKeySig* k = opening->get_keysig_item(i)) {
            EXPECT_EQ(k->alt.get(1), 3);
        }
    EXPECT_EQ(t.courtesy<CKeySig>(2, 1, 0x1), 0);
}

TEST(SystemHeaders, LargeStavesWidenTheFirstColumnOnlyAndHeadersOffClearFront) {
    struct Case {
        short size, front;
    } cases[] = {{100, HEADER}, {150, HEADER * 3 / 2}, {50, HEADER}};
    for (const Case& c : cases) {
        ThreeStaves t;
        t.score.d->ins[2].staff_size = c.size;
        t.lay_out_two_systems();
        EXPECT_EQ(t.score.measure(3, 1)->front, c.front) << c.size;
        EXPECT_EQ(t.score.measure(4, 1)->front, 5) << c.size;
    }
    ThreeStaves off;
    off.score.d->entete_mesure_automatique = 0;
    off.lay_out_two_systems();
    for (short p = 1; p <= 3; p++)
        for (short c = 1; c <= 4; c++) {
            EXPECT_EQ(off.score.measure(c, p)->front, 0);
            EXPECT_EQ(off.count<CClef>(c, p), c == 1 ? 1 : 0);
        }
}

TEST(SystemHeaders, AFreeColumnTakesItsLongestMeasure) {
    ScoreFixture score(3, 2);
    const int32_t lengths[] = {1920, 2400, 1440};
    for (short p = 1; p <= 3; p++) score.measure(1, p)->length = lengths[p - 1];
    score.measure(1, 1)->meas |= 0x1000;
    ajuster_mesure_libre(1);
    for (short p = 1; p <= 3; p++) {
        EXPECT_EQ(score.measure(1, p)->length, 2400);
        if (p != 2) {
            EXPECT_EQ(score.measure(1, p)->tot_beat, 5);
        }
    }
}
