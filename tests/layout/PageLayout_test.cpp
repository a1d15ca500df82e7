// Laying out a whole score into lines and pages, and again from one page on after an edit.
#include "layout/PageLayout.h"
#include "layout/PageFitting.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/Arrays.h"
#include "framework/CUndoManager.h"
#include "layout/PageBreaking.h"
#include "layout/PaperFixture.h"
#include "layout/UndoGeneral.h"

namespace {

std::vector<short> items(CArrayInt& tab) {
    std::vector<short> out;
    for (short i = 1; i <= tab.total(); i++) out.push_back(tab.get(i));
    return out;
}

// Ten columns of two staves 60 apart on a page 400 x 400 with margins of 20.
struct Layout : Paper {
    Layout() : Paper(2, 10) {
        sd().mi_g = sd().mi_d = sd().mi_s = sd().mi_i = 20;
        for (short c = 1; c <= 10; c++)
            for (short p = 1; p <= 2; p++) {
                CMeasure* m = score.measure(c, p);
                m->pw = (short)(m->width - m->front);
            }
    }
    struct Place {
        short x, width, py;
        bool operator==(const Place& o) const { return x == o.x && width == o.width && py == o.py; }
    };
    // Where every measure of page p stands.
    std::vector<Place> page(short p) {
        std::vector<Place> out;
        Document* d = score.d;
        Page* page = d->pag[p];
        for (short k = 1; page && k <= page->tot_sys; k++) {
            Systeme* sys = d->sys[page->sys[k]];
            for (short j = 1; j <= sys->tot_por; j++) {
                Portee* staff = d->por[sys->por[j]];
                for (short i = 1; i <= staff->tot_mes; i++) {
                    CMeasure* m = d->mes[staff->mes[i]];
                    out.push_back({m->x, m->width, m->py});
                }
            }
        }
        return out;
    }
    // The right end of every line: where its last measure ends.
    std::vector<short> line_ends() {
        std::vector<short> out;
        Document* d = score.d;
        for (short p = 1; p <= d->tot_pag; p++)
            for (short k = 1; k <= d->pag[p]->tot_sys; k++) {
                Portee* staff = d->por[d->sys[d->pag[p]->sys[k]]->por[1]];
                CMeasure* last = d->mes[staff->mes[staff->tot_mes]];
                out.push_back((short)(last->x + last->width));
            }
        return out;
    }
};

}  // namespace

// Four measures to a line over ten columns: lines of 4, 4 and 2, every one filling the width
// between the margins (it ends one unit short of the right margin), two lines to a page.
TEST(MiseEnPage, LinesOfFourFillTheWidth) {
    Layout l;
    l.sd().mes_par_por = 4;
    l.sd().sys_par_pag = 2;
    mise_en_page(1.0f, 1.0f, nullptr);
    Document* d = l.score.d;
    EXPECT_EQ(d->mise_en_page_ok, 1);
    CArrayInt messys, syspag;
    recup_tableaux(&messys, &syspag);
    EXPECT_EQ(items(messys), (std::vector<short>{4, 4, 2}));
    EXPECT_EQ(items(syspag), (std::vector<short>{2, 1}));
    EXPECT_EQ(l.line_ends(), (std::vector<short>{379, 379, 379}));
    // Stacked from the top margin: first staff 24 below it, the next line 6 x dist_syst below
    // the bottom line of the one before.
    EXPECT_EQ(l.score.measure(1, 1)->py, 44);
    EXPECT_EQ(l.score.measure(1, 2)->py, 104);
    EXPECT_EQ(l.score.measure(5, 1)->py, 104 + 24 + 6 * d->sub_doc[d->cur_sub_doc].dist_syst);
}

// After an edit on page 2 the layout is rebuilt from page 2 on: page 1 keeps its systems and
// every measure on it keeps its place, while the later pages follow the new tables.
TEST(AdapterMep, RelayoutFromPage2LeavesPage1Untouched) {
    for (short new_pages : {0, 1}) {
        Layout l;
        l.sd().mes_par_por = 2;
        l.sd().sys_par_pag = 2;
        mise_en_page(1.0f, 1.0f, nullptr);
        Document* d = l.score.d;
        std::vector<short> page1_systems(d->pag[1]->sys + 1, d->pag[1]->sys + 1 + d->pag[1]->tot_sys);
        std::vector<Layout::Place> page1 = l.page(1);
        ASSERT_EQ(d->tot_pag, 3);

        // Column 5 (the first of page 2) grows; its line now holds three columns.
        l.score.measure(5, 1)->width = l.score.measure(5, 2)->width = 60;
        CArrayInt messys, syspag;
        recup_tableaux(&messys, &syspag);
        messys.set(3, 3);
        messys.set(1, 4);
        adapter_mep(&messys, &syspag, 2, 1.0f, 1.0f, nullptr, new_pages, nullptr, 0);

        EXPECT_EQ(std::vector<short>(d->pag[1]->sys + 1, d->pag[1]->sys + 1 + d->pag[1]->tot_sys), page1_systems);
        EXPECT_TRUE(l.page(1) == page1);
        CArrayInt back_messys, back_syspag;
        recup_tableaux(&back_messys, &back_syspag);
        EXPECT_EQ(items(back_messys), (std::vector<short>{2, 2, 3, 1, 2}));
        EXPECT_EQ(items(back_syspag), (std::vector<short>{2, 2, 1}));
        EXPECT_EQ(l.line_ends(), (std::vector<short>(5, 379)));
        // No system or staff was left behind: two lines of two staves on each of the 5 lines,
        // plus the master system.
        EXPECT_EQ(d->tot_sys, 1 + 5);
        EXPECT_EQ(d->tot_por, 2 + 5 * 2);
    }
}

// The page breaking is redone from the page on when asked: a taller system moves a line over.
TEST(AdapterMep, NewPagesBreakAgainFromThePage) {
    Layout l;
    l.sd().mes_par_por = 2;
    mise_en_page(1.0f, 1.0f, nullptr);
    Document* d = l.score.d;
    CArrayInt messys, syspag;
    recup_tableaux(&messys, &syspag);
    ASSERT_EQ(items(syspag), (std::vector<short>{3, 2}));
    l.sd().sys_par_pag = 1;
    adapter_mep(&messys, &syspag, 2, 1.0f, 1.0f, nullptr, 1, nullptr, 0);
    EXPECT_EQ(items(syspag), (std::vector<short>{3, 1, 1}));
    EXPECT_EQ(d->tot_pag, 3);
    EXPECT_EQ(d->pag[1]->tot_sys, 3);
}

// The whole layout is one undo level holding the snapshot of the layout before it; restoring
// that snapshot brings the old lines back.
TEST(MiseEnPage, TheLayoutBeforeIsKeptForUndo) {
    Layout l;
    l.sd().mes_par_por = 5;
    mise_en_page(1.0f, 1.0f, nullptr);
    Document* d = l.score.d;
    undo_active = 1;
    undo_hooks = UndoHooks{[](void* object, short typ, short, short) { return typ == 7 ? object : nullptr; },
                           [](void* copy, short typ, short, short) {
                               if (typ == 7) liberer_undo_general((Undo_general*)copy);
                           }};
    l.sd().mes_par_por = 2;
    mise_en_page(1.0f, 1.0f, nullptr);
    CUndoManager* undo = d->sub_doc[d->cur_sub_doc].undo;
    ASSERT_GE(undo->total(), 1);
    CUndoOperation* level = undo->get(undo->level);
    EXPECT_EQ(level->opid, 43);
    EXPECT_EQ(level->actid, 3);
    ASSERT_EQ(level->typ_obj.get(1), 7);
    restaurer_undo_general(d, (Undo_general*)level->old_obj.get(1));
    CArrayInt messys, syspag;
    recup_tableaux(&messys, &syspag);
    EXPECT_EQ(items(messys), (std::vector<short>{5, 5}));
    undo->remove_level();
    undo_hooks = default_undo_hooks();
    undo_active = 0;
}
