// Accepting page settings: millimetres into score units, the reduction's range, the limits,
// the text blocks following the reduction, and the layout made when there is none.
#include "layout/PageSetup.h"

#include <gtest/gtest.h>

#include "framework/CUserPanel.h"
#include "layout/PaperFixture.h"
#include "score/CTextBloc.h"

TEST(PageSetup, MillimetresBecomeScoreUnits) {
    struct Case {
        short mm, reduction, units;
    } cases[] = {
        {210, 100, 595}, {297, 100, 841}, {210, 50, 1190}, {297, 50, 1683},
        {210, 0, 11905},   // a reduction of 0 counts as the smallest, 5
        {210, -3, 11905},
        {210, 5000, 23},   // above the largest, 2500
    };
    for (const Case& c : cases) EXPECT_EQ(mm_en_unites(c.mm, c.reduction), c.units) << c.mm << " at " << c.reduction;
}

TEST(PageSetup, AcceptanceTakesTheEditedSettings) {
    struct Case {
        short reduction, per_line, per_page;
        short stored_reduction, mx, my, stored_per_line, stored_per_page;
    } cases[] = {
        {100, 4, 3, 100, 595, 841, 4, 3},
        {50, 0, 0, 50, 1190, 1683, 0, 0},
        {0, -2, -1, 5, 11905, 16837, 0, 0},  // reduction 0 and negative limits are mended
    };
    for (const Case& c : cases) {
        Paper paper(1, 2);
        Sub_document edited = paper.sd();
        edited.mmx = 210;
        edited.mmy = 297;
        edited.reduction = c.reduction;
        edited.mes_par_por = c.per_line;
        edited.sys_par_pag = c.per_page;
        accepter_mise_en_page(edited, 1.0f, 1.0f, nullptr, 0);
        EXPECT_EQ(paper.sd().reduction, c.stored_reduction);
        EXPECT_EQ(paper.sd().mx, c.mx);
        EXPECT_EQ(paper.sd().my, c.my);
        EXPECT_EQ(paper.sd().mes_par_por, c.stored_per_line);
        EXPECT_EQ(paper.sd().sys_par_pag, c.stored_per_page);
        EXPECT_EQ(paper.score.d->modif, 1);
    }
}

// From 100 % to 50 % the text blocks double; back from 50 % to 100 % they halve (a ratio in
// integers, 50 / 100, would have put them all at 0).
TEST(PageSetup, TextBlocksFollowTheReduction) {
    struct Case {
        short from, to, x, size;
    } cases[] = {{100, 50, 200, 24}, {50, 100, 50, 6}, {100, 100, 100, 12}};
    for (const Case& c : cases) {
        Paper paper(1, 2);
        Document* d = paper.score.d;
        CTextBloc* t = new CTextBloc;
        t->x = t->y = 100;
        t->font.set_size(12);
        d->ptx[++d->tot_ptx] = t;
        paper.sd().reduction = c.from;
        Sub_document edited = paper.sd();
        edited.reduction = c.to;
        accepter_mise_en_page(edited, 1.0f, 1.0f, nullptr, 0);
        EXPECT_EQ(t->x, c.x) << c.from << " to " << c.to;
        EXPECT_EQ(t->y, c.x);
        EXPECT_EQ(t->font.get_size(), c.size);
    }
}

// A score without pages is laid out when a panel is given, never without one.
TEST(PageSetup, AScoreWithoutPagesIsLaidOut) {
    for (bool with_panel : {false, true}) {
        Paper paper(2, 6);
        Document* d = paper.score.d;
        paper.sd().mmx = 210;
        paper.sd().mmy = 297;
        paper.sd().reduction = 100;
        CUserPanel panel(nullptr);
        short ok = dialogue_mise_en_page(1, 1.0f, 1.0f, with_panel ? &panel : nullptr, 0);
        EXPECT_EQ(ok, with_panel ? 1 : 0);
        EXPECT_EQ(d->tot_pag, with_panel ? 1 : 0);
    }
}
