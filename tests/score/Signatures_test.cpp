#include "score/Signatures.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "framework/CUserPanel.h"
#include "score/CKeySig.h"
#include "score/CTimeSig.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"

namespace {

// A standard signature of `value` placed for `clef`, accidentals 6 units apart from x 10.
std::unique_ptr<CKeySig> standard(short value, short clef = 1) {
    auto k = std::make_unique<CKeySig>();
    k->value = value;
    k->clef = clef;
    short n = value > 0 ? value : (short)-value;
    for (short i = 1; i <= n; i++)
        k->add_accidental((short)(10 + 6 * (i - 1)),
                          value > 0 ? tab_clef_diese[clef][i] : tab_clef_bemol[clef][i],
                          value > 0 ? 4 : 2);
    return k;
}

std::vector<short> places(CKeySig* k) {
    std::vector<short> ys;
    for (short i = 1; i <= k->total(); i++) ys.push_back(k->y.get(i));
    return ys;
}

std::vector<short> alterations(CKeySig* k) {
    std::vector<short> alts;
    for (short i = 1; i <= k->total(); i++) alts.push_back(k->alt.get(i));
    return alts;
}

TEST(Signatures, TransposeStandardSignature) {
    struct Case {
        short value, from, to;
        std::vector<short> expected;
        short clef_after;
    } cases[] = {
        {3, 1, 2, {2, 5, 1}, 2},
        {-2, 1, 3, {1, 5}, 3},
        {3, 1, 9, {0, 3, -1}, 1},  // equal shifts: nothing changes, not even the clef
        {0, 1, 2, {}, 1},          // no accidentals: nothing changes
    };
    for (const Case& c : cases) {
        auto k = standard(c.value, c.from);
        transposer_armure(k.get(), c.to);
        EXPECT_EQ(places(k.get()), c.expected) << c.value << " " << c.to;
        EXPECT_EQ(k->clef, c.clef_after);
    }
}

TEST(Signatures, ClefCodesOutsideTheTablesReadAsNoClef) {
    auto k = standard(2, 1);
    transposer_armure(k.get(), 12);  // shift 0 against clef 1: nothing moves
    EXPECT_EQ(places(k.get()), (std::vector<short>{0, 3}));
    k->clef = -4;
    transposer_armure(k.get(), 2);
    EXPECT_EQ(places(k.get()), (std::vector<short>{2, 5}));
    EXPECT_EQ(k->clef, 2);
}

TEST(Signatures, TransposeCarriesTheCautionaryNaturals) {
    auto k = standard(1, 1);
    auto prev = standard(4, 1);
    ajouter_becarres(k.get(), prev.get());
    ASSERT_EQ(alterations(k.get()), (std::vector<short>{3, 3, 3, 4}));
    transposer_armure(k.get(), 2);
    EXPECT_EQ(places(k.get()), (std::vector<short>{5, 1, 4, 2}));
}

TEST(Signatures, TransposeFreeSignatureFolds) {
    CKeySig k;
    k.type = 2;
    k.clef = 1;
    k.add_accidental(0, 0, 4);
    k.add_accidental(6, 5, 2);
    k.add_accidental(12, -1, 1);
    transposer_armure(&k, 2);  // shift -12
    for (short y : places(&k)) {
        EXPECT_GE(y, -1);
        EXPECT_LE(y, 5);
    }
    EXPECT_EQ(places(&k), (std::vector<short>{2, 0, 1}));
    EXPECT_EQ(k.clef, 2);
}

TEST(Signatures, CautionaryNaturals) {
    struct Case {
        short prev, now;
        std::vector<short> alts;
        std::vector<short> ys;
    } cases[] = {
        {4, 1, {3, 3, 3, 4}, {3, -1, 2, 0}},  // the 2nd to 4th sharps of four
        {-2, 3, {3, 3, 4, 4, 4}, {4, 1, 0, 3, -1}},
        {1, 2, {4, 4}, {0, 3}},  // no naturals
        {0, 2, {4, 4}, {0, 3}},
        {-3, -1, {3, 3, 2}, {1, 5, 4}},
    };
    for (const Case& c : cases) {
        auto k = standard(c.now);
        auto prev = standard(c.prev);
        ajouter_becarres(k.get(), prev.get());
        EXPECT_EQ(alterations(k.get()), c.alts) << c.prev << " -> " << c.now;
        EXPECT_EQ(places(k.get()), c.ys) << c.prev << " -> " << c.now;
        EXPECT_EQ((k->flags & 2) != 0, c.alts.front() == 3);
    }
}

TEST(Signatures, NaturalsMakeRoomAndGoAgain) {
    auto k = standard(1);
    auto prev = standard(4);
    ajouter_becarres(k.get(), prev.get());
    EXPECT_EQ(k->x.get(1), 11);
    EXPECT_EQ(k->x.get(2), 17);
    EXPECT_EQ(k->x.get(3), 23);
    EXPECT_EQ(k->x.get(4), 10 + 6 * 3 + 2);
    // Existing naturals are removed from both before new ones are counted.
    auto next = standard(2);
    ajouter_becarres(next.get(), k.get());
    EXPECT_EQ(alterations(next.get()), (std::vector<short>{4, 4}));
    supprimer_becarres(k.get());
    EXPECT_EQ(alterations(k.get()), (std::vector<short>{4}));
    EXPECT_EQ(k->x.get(1), 11);  // where the first natural stood
    EXPECT_EQ(k->flags & 2, 0);
    ajouter_becarres(k.get(), nullptr);
    EXPECT_EQ(k->total(), 1);
}

TEST(Signatures, KeySignatureEquality) {
    auto a = standard(2, 1), b = standard(2, 2);
    EXPECT_EQ(armures_egales(a.get(), b.get()), 1);  // standard: by value
    EXPECT_EQ(armures_egales(a.get(), nullptr), 0);
    auto c = standard(3, 1);
    EXPECT_EQ(armures_egales(a.get(), c.get()), 0);

    CKeySig f1, f2;
    for (CKeySig* f : {&f1, &f2}) {
        f->type = 2;
        f->add_accidental(0, 2, 4);
    }
    f1.clef = 1;
    f2.clef = 9;  // same shift as clef 1: the copy keeps clef 1 and differs
    EXPECT_EQ(armures_egales(&f1, &f2), 0);
    f2.clef = 1;
    EXPECT_EQ(armures_egales(&f1, &f2), 1);
    f2.x.set(99, 1);  // x is not compared
    EXPECT_EQ(armures_egales(&f1, &f2), 1);
    f2.alt.set(2, 1);
    EXPECT_EQ(armures_egales(&f1, &f2), 0);
    f2.alt.set(4, 1);
    f2.clef = 2;  // places re-computed for the other clef before comparing
    f2.y.set(2 - 12 + 7 + 7, 1);
    EXPECT_EQ(armures_egales(&f1, &f2), 1);
}

TEST(Signatures, TimeSignatureEqualityAndWidth) {
    CTimeSig a, b;
    EXPECT_EQ(temps_egaux(&a, &b), 1);
    b.flags = 0;
    EXPECT_EQ(temps_egaux(&a, &b), 0);
    b.flags = 1;
    b.upper[5] = 1;
    EXPECT_EQ(temps_egaux(&a, &b), 0);
    EXPECT_EQ(temps_egaux(&a, nullptr), 0);

    CUserPanel measure(nullptr);
    measure.set_font("Marcatino", 30, 0);
    CTimeSig composite;
    composite.upper[1] = 3;
    composite.upper[2] = 2;
    composite.lower[1] = 8;
    EXPECT_EQ(get_temps_width(&composite), measure.string_width("3+2") + 2);
    CTimeSig common;
    EXPECT_EQ(get_temps_width(&common), measure.string_width("4") + 2);
}

TEST(Signatures, KeySignatureWidth) {
    CKeySig none;
    EXPECT_EQ(get_armure_width(&none), -19994);
    auto three = standard(3);
    EXPECT_EQ(get_armure_width(three.get()), 12 + 6);
}

TEST(Signatures, AlterationTable) {
    short taba[TABA_SIZE];
    taba[0] = 9;
    auto two_flats = standard(-2);  // B flat (place 4) and E flat (place 1)
    armure_to_taba(two_flats.get(), taba);
    EXPECT_EQ(taba[0], 9);  // entry 0 is not cleared
    EXPECT_EQ(taba[60], -1);
    EXPECT_EQ(taba[63], -1);
    EXPECT_EQ(taba[53], -1);
    EXPECT_EQ(taba[67], -1);
    EXPECT_EQ(taba[56], -1);
    EXPECT_EQ(taba[4], -1);
    EXPECT_EQ(taba[61], 0);

    CKeySig naturals;
    naturals.add_accidental(0, 0, 3);
    naturals.add_accidental(6, 3, 3);
    armure_to_taba(&naturals, taba);
    for (short i = 1; i < TABA_SIZE; i++) EXPECT_EQ(taba[i], 0) << i;

    CKeySig far_off;  // places outside the table are left out
    far_off.add_accidental(0, 200, 4);
    far_off.add_accidental(0, -200, 4);
    armure_to_taba(&far_off, taba);
    armure_to_taba(nullptr, taba);
    EXPECT_EQ(taba[64], 0);
}

TEST(Signatures, BraceWidthFollowsTheMusicFont) {
    musical_font_index = 1;
    EXPECT_EQ(get_accol_width(), 8);
    musical_font_index = 2;
    EXPECT_EQ(get_accol_width(), 5);
    musical_font_index = 1;
}

}  // namespace
