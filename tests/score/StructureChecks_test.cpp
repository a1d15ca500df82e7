#include "score/StructureChecks.h"

#include <gtest/gtest.h>

#include "framework/CApplication.h"
#include "score/CLibrary.h"
#include "score/DocumentServices.h"
#include "score/Extracts.h"
#include "score/Placeholders.h"
#include "score/ScoreFixture.h"

namespace {

// A page system of the current extract holding `staves` new staves of one new measure each;
// returns its number.
short page_system(Document* d, short page, short staves) {
    short s = nouveau_systeme(d, (short)(staves + 2));
    for (short k = 0; k < staves; k++) {
        short p = nouvelle_portee(d, 3);
        short m = nouvelle_mesure(d);
        d->mes[m] = new CMeasure;
        d->por[p]->mes[++d->por[p]->tot_mes] = m;
        d->sys[s]->por[++d->sys[s]->tot_por] = p;
    }
    if (page) d->pag[page]->sys[++d->pag[page]->tot_sys] = s;
    return s;
}

void add_page(Document* d) { d->pag[++d->tot_pag] = nouveau_page(5); }

TEST(StructureChecks, SoundDocumentIsLeftAlone) {
    ScoreFixture score(2, 3);
    Document* d = score.d;
    add_page(d);
    page_system(d, 1, 2);
    d->lib[2] = new CLibTheme;
    d->tot_lib = 7;
    short warnings = application->shown.warnings;
    EXPECT_EQ(verifier_structure_partition(d), 0);
    EXPECT_EQ(verifier_objets_perdus(d), 0);
    EXPECT_EQ(verifier_librairies(d), 0);
    EXPECT_EQ(application->shown.warnings, warnings);
    EXPECT_EQ(d->tot_lib, 1);
    EXPECT_EQ(d->tot_mes, 8);
}

TEST(StructureChecks, BadReferencesAreRepaired) {
    ScoreFixture score(2, 3);
    Document* d = score.d;
    add_page(d);
    add_page(d);
    d->mise_en_page_ok = 1;
    d->pag[1]->sys[++d->pag[1]->tot_sys] = 1;  // a page listing the master system
    short s = page_system(d, 2, 1);
    short page_measure = d->por[d->sys[s]->por[1]]->mes[1];
    d->por[d->sys[s]->por[1]]->mes[1] = 0;  // a page staff naming measure 0
    // The master system names staff 0 twice before its first staff, and its second staff names
    // measure 0 and a measure past the end.
    Systeme* master = d->sys[1];
    short first = master->por[1], second = master->por[2];
    short second_measures[3] = {d->por[second]->mes[1], d->por[second]->mes[2],
                                d->por[second]->mes[3]};
    master->tot_por = 4;
    master->por[1] = 0;
    master->por[2] = 99;
    master->por[3] = first;
    master->por[4] = second;
    d->por[second]->mes[1] = 0;
    d->por[second]->mes[2] = -4;  // would index before the measure array
    d->por[second]->mes[3] = 500;
    short measures = d->tot_mes;
    short warnings = application->shown.warnings;
    EXPECT_EQ(verifier_structure_partition(d), 7);
    EXPECT_EQ(application->shown.warnings, warnings + 1);  // told once
    EXPECT_EQ(d->mise_en_page_ok, 0);
    EXPECT_EQ(d->pag[1]->tot_sys, 0);
    // A bad measure number takes back, in order, the measures that no staff lists any more:
    // a damaged digit costs no measure, and no empty measure is made while one is left.
    ASSERT_EQ(d->por[d->sys[s]->por[1]]->tot_mes, 1);
    EXPECT_EQ(d->por[d->sys[s]->por[1]]->mes[1], page_measure);
    ASSERT_EQ(d->sys[1]->tot_por, 2);
    EXPECT_EQ(d->sys[1]->por[1], first);
    EXPECT_EQ(d->tot_mes, measures);
    for (short c = 1; c <= 3; c++) EXPECT_EQ(d->por[second]->mes[c], second_measures[c - 1]);
    for (short c = 1; c <= 3; c++) ASSERT_NE(mesure_maitre(d, c, 2), nullptr);
    EXPECT_EQ(verifier_objets_perdus(d), 0);
}

// A bad measure number takes back a measure that no staff lists; with none left, it gets a new
// empty measure.
TEST(StructureChecks, BadMeasureNumbersWithNothingToTakeBack) {
    ScoreFixture score(1, 3);
    Document* d = score.d;
    Portee* staff = d->por[d->sys[1]->por[1]];
    short measures = d->tot_mes;
    short second = staff->mes[2];
    staff->mes[2] = 300;
    EXPECT_EQ(verifier_objets_perdus(d), 1);  // the measure the staff no longer names
    EXPECT_EQ(verifier_structure_partition(d), 1);
    EXPECT_EQ(d->tot_mes, measures);
    EXPECT_EQ(staff->mes[2], second);
    EXPECT_EQ(verifier_objets_perdus(d), 0);
    // A measure that is not there, and nothing left to take back: a new empty measure.
    delete d->mes[second];
    d->mes[second] = nullptr;
    EXPECT_EQ(verifier_structure_partition(d), 1);
    ASSERT_NE(d->mes[staff->mes[2]], nullptr);
    EXPECT_EQ(d->mes[staff->mes[2]]->total(), 0);
}

TEST(StructureChecks, LostObjectsAreFreed) {
    ScoreFixture score(1, 2);
    Document* d = score.d;
    short shared = page_system(d, 0, 2);  // a system that no page lists
    short kept_staff = d->sys[shared]->por[2];
    d->sys[1]->por[++d->sys[1]->tot_por] = kept_staff;  // the master system keeps one of its staves
    short stray = nouvelle_mesure(d);
    d->mes[stray] = new CMeasure;  // a measure that no staff lists
    short systems = d->tot_sys, staves = d->tot_por, measures = d->tot_mes;
    EXPECT_EQ(verifier_objets_perdus(d), 2);  // the system and the stray measure; the rest follows
    nettoyer_objets_perdus(d);
    EXPECT_EQ(d->sys[shared], nullptr);
    EXPECT_NE(d->por[kept_staff], nullptr);
    EXPECT_EQ(d->tot_sys, systems - 1);
    EXPECT_EQ(d->tot_por, staves - 1);
    EXPECT_EQ(d->tot_mes, measures - 2);
    EXPECT_EQ(d->mes[stray], nullptr);
    EXPECT_EQ(verifier_objets_perdus(d), 0);
}

TEST(StructureChecks, LibraryReferences) {
    ScoreFixture score(1, 1);
    Document* d = score.d;
    CLibTheme* fixed = new CLibTheme;  // type 1: its list is not checked
    fixed->tot_par = 1;
    fixed->par.add(40);
    fixed->par.add(0);
    CLibChord* chords = new CLibChord;
    chords->type = 2;
    chords->tot_par = 3;
    for (short v : {0, 1, 3, 2, -5, 3}) chords->par.add(v);
    d->lib[1] = fixed;
    d->lib[3] = chords;
    d->tot_lib = 2;
    CLibUse* use = new CLibUse;
    for (short id : {0, 3, 2, 32767}) {
        use->libid.add(id);
        for (short t = 0; t < 4; t++) use->tres[t].add((short)(id + t));
    }
    score.measure(1, 1)->add(use);
    EXPECT_EQ(verifier_librairies(d), 5);
    EXPECT_EQ(fixed->par.total(), 2);
    ASSERT_EQ(chords->tot_par, 1);
    EXPECT_EQ(chords->par.get(1), 3);
    EXPECT_EQ(chords->par.get(2), 2);
    ASSERT_EQ(use->libid.total(), 1);
    EXPECT_EQ(use->libid.get(1), 3);
    EXPECT_EQ(use->tres[2].get(1), 5);
    EXPECT_EQ(d->tot_lib, 2);
}

}  // namespace
