// Breaking the score into lines and pages, dropping empty staves and placing lines down a page.
#include "layout/PageBreaking.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/Arrays.h"
#include "layout/PageFitting.h"
#include "layout/PaperFixture.h"

namespace {

std::vector<short> items(CArrayInt& tab) {
    std::vector<short> out;
    for (short i = 1; i <= tab.total(); i++) out.push_back(tab.get(i));
    return out;
}

}  // namespace

TEST(LineBreaking, ColumnsFillTheWidthOrTheAskedCount) {
    struct Case {
        short per_line, wide_column, bracket_dx;
        std::vector<short> lines;
    } cases[] = {
        {4, 0, 0, {4, 4, 2}},              // the count, whatever the widths
        {4, 3, 0, {4, 4, 2}},
        {0, 0, 0, {2, 2, 2, 2, 2}},        // two 150-wide measures fit in 400
        {0, 3, 0, {2, 1, 2, 2, 2, 1}},     // a measure wider than the page stands alone
        {0, 0, 100, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},  // a bracket 103 wide heads every line
        {-2, 0, 0, {2, 2, 2, 2, 2}},       // a negative count breaks by width
    };
    for (const Case& c : cases) {
        Paper paper(2, 10);
        paper.sd().mes_par_por = c.per_line;
        if (c.wide_column) paper.score.measure(c.wide_column, 1)->pw = 500;
        if (c.bracket_dx) {
            paper.score.d->ins[2].accol_type = 2;
            paper.score.d->ins[2].accol_tot = 1;
            paper.score.d->ins[2].accol_dx = c.bracket_dx;
        }
        CArrayInt tab;
        calculer_tableau_messys(nullptr, &tab);
        EXPECT_EQ(items(tab), c.lines) << c.per_line << ' ' << c.wide_column << ' ' << c.bracket_dx;
    }
}

TEST(PageBreaking, PagesTakeSystemsWhileTheyFit) {
    // Ten one-measure systems 84 high (two staves 60 apart).
    struct Case {
        short per_page, title;
        std::vector<short> pages;
    } cases[] = {
        {0, 0, {4, 4, 2}},
        {3, 0, {3, 3, 3, 1}},
        {0, 100, {2, 4, 4}},   // the title reserve only on the first page
        {-1, 0, {4, 4, 2}},    // a negative count is no limit (it would otherwise never end)
    };
    for (const Case& c : cases) {
        Paper paper(2, 10);
        paper.sd().mes_par_por = 1;
        paper.sd().sys_par_pag = c.per_page;
        paper.sd().reserve_titre = c.title;
        CArrayInt messys, syspag;
        calculer_tableau_messys(nullptr, &messys);
        Page* list = create_page_allsys(&messys, 1, nullptr);
        ASSERT_NE(list, nullptr);
        calculer_tableau_syspag(list, &syspag, 1);
        EXPECT_EQ(items(syspag), c.pages) << c.per_page << ' ' << c.title;
        create_all_pages(list, &syspag, 1);
        liberer_liste_systemes(list);
        CArrayInt back_messys, back_syspag;
        recup_tableaux(&back_messys, &back_syspag);
        EXPECT_EQ(items(back_messys), items(messys));
        EXPECT_EQ(items(back_syspag), c.pages);
    }
}

TEST(SystemOptimisation, EmptyStavesGoButStavesWithMusicStay) {
    struct Case {
        bool music[3];
        short keep_flag;  // instrument marked to stay, 0 for none
        short shrink;
        std::vector<short> staves;  // staves of the master system that stay
    } cases[] = {
        {{true, false, true}, 0, 60, {1, 3}},
        {{true, true, true}, 0, 0, {1, 2, 3}},    // music stays whatever the flags say
        {{false, false, false}, 0, 120, {3}},     // never all: the last one stays, at the top
        {{false, false, false}, 2, 120, {2}},
        {{false, false, true}, 0, 120, {3}},
    };
    for (const Case& c : cases) {
        Paper paper(3, 2);
        for (short p = 1; p <= 3; p++)
            if (c.music[p - 1]) paper.score.note(1, p, 14);
        if (c.keep_flag) paper.score.d->ins[c.keep_flag].in_roll = 0x0002;
        CArrayInt messys;
        messys.add(2);
        Page* list = create_page_allsys(&messys, 1, nullptr);
        short s = list->sys[1];
        EXPECT_EQ(optimiser_systeme(s, 0, nullptr), c.shrink);
        EXPECT_EQ(optimiser_systeme(s, 1, nullptr), c.shrink);
        Systeme* sys = paper.score.d->sys[s];
        ASSERT_EQ(sys->tot_por, (short)c.staves.size());
        for (short j = 1; j <= sys->tot_por; j++) {
            short m = paper.score.d->por[sys->por[j]]->mes[1];
            EXPECT_EQ(m, paper.score.d->por[paper.score.d->sys[1]->por[c.staves[j - 1]]]->mes[1]);
            EXPECT_EQ(paper.score.d->mes[m]->py, 60 * (j - 1)) << "staff " << j;
        }
        liberer_liste_systemes(list);
    }
}

TEST(PageFitting, SystemsStackOrSpreadDownThePage) {
    struct Case {
        short spread, dist, title;
        std::vector<short> tops;  // top line of each system of page 1
    } cases[] = {
        {0, 3, 0, {24, 24 + 84 + 18, 24 + 2 * (84 + 18)}},
        {0, 0, 50, {74, 74 + 84, 74 + 2 * 84}},
        // Free height 400 - 4 x 24 - 3 x 84 = 52: gaps of 26 beyond the 24 units.
        {1, 0, 0, {24, 24 + 84 + 24 + 26, 24 + 2 * (84 + 24 + 26)}},
    };
    for (const Case& c : cases) {
        Paper paper(2, 3);
        paper.sd().mes_par_por = 1;
        paper.sd().sys_par_pag = 3;
        paper.sd().dist_syst = c.dist;
        paper.sd().repartir_syst = c.spread;
        paper.sd().reserve_titre = c.title;
        CArrayInt messys, syspag;
        calculer_tableau_messys(nullptr, &messys);
        Page* list = create_page_allsys(&messys, 1, nullptr);
        calculer_tableau_syspag(list, &syspag, 1);
        create_all_pages(list, &syspag, 1);
        liberer_liste_systemes(list);
        adjust_page_vertically(1, 0, 0, nullptr);
        for (short k = 1; k <= 3; k++) {
            EXPECT_EQ(paper.py(k, 1), c.tops[k - 1]) << c.spread << ' ' << c.dist << ' ' << k;
            EXPECT_EQ(paper.py(k, 2), c.tops[k - 1] + 60);
        }
    }
}
