// The bookkeeping of text blocks: the page list grows by ten slots and reuses a freed slot, the
// placement flags put a frame between the margins, a small frame is hit over six units, the
// dialog's controls follow the kind and an edited block keeps its sort, the line spacing is at
// least 20 %.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "../score/ScoreFixture.h"
#include "score/CTextBloc.h"
#include "score/Document.h"
#include "tools/TextBlocks.h"

namespace tb = text_block;

TEST(TextBlocks, ThePageListGrowsByTenAndReusesAFreedSlot) {
    ScoreFixture score(1, 1);
    Document* d = score.d;
    for (short i = 1; i <= d->max_ptx; i++) delete d->ptx[i];
    delete[] d->ptx;
    d->ptx = new CTextBloc*[11]();
    d->max_ptx = 10;
    d->tot_ptx = 0;
    std::vector<CTextBloc*> blocks;
    for (short k = 1; k <= 10; k++) {
        blocks.push_back(new CTextBloc);
        EXPECT_EQ(tb::store_page_block(d, blocks.back()), k);
    }
    EXPECT_EQ(d->max_ptx, 10);
    CTextBloc* eleventh = new CTextBloc;
    EXPECT_EQ(tb::store_page_block(d, eleventh), 11);
    EXPECT_EQ(d->max_ptx, 20);
    EXPECT_EQ(d->tot_ptx, 11);
    for (short k = 1; k <= 10; k++) EXPECT_EQ(d->ptx[k], blocks[k - 1]) << "kept in its slot";
    for (short k = 12; k <= 20; k++) EXPECT_EQ(d->ptx[k], nullptr);
    // Slot 3 freed: the next block goes there.
    delete d->ptx[3];
    d->ptx[3] = nullptr;
    d->tot_ptx--;
    EXPECT_EQ(tb::store_page_block(d, new CTextBloc), 3);
    EXPECT_EQ(d->max_ptx, 20);
}

TEST(TextBlocks, PlacementFlagsPutTheFrameBetweenTheMargins) {
    Sub_document s{};
    s.mx = 800, s.my = 1100;
    s.me_g = 20, s.mi_g = 30, s.me_d = 10, s.mi_d = 40;
    s.me_s = 15, s.mi_s = 25, s.me_i = 5, s.mi_i = 35;
    struct Case {
        short flags, x, y;
    } cases[] = {
        {0, 100, 200},
        {tb::CentreAcross, (30 + 20 + 800 - 10 - 40 - 120) / 2, 200},
        {tb::BottomMargin, 100, 1100 - 35 - 5 - 30},
        {tb::TopMargin, 100, 25 + 15},
        {tb::TopMargin | tb::BottomMargin, 100, 40},  // the top wins
        {tb::CentreAcross | tb::TopMargin | tb::Fixed, 340, 40},
    };
    for (const Case& c : cases) {
        CTextBloc t;
        t.x = 100, t.y = 200, t.w = 120, t.h = 30;
        t.flags = c.flags;
        tb::apply_page_placement(&t, s);
        EXPECT_EQ(t.x, c.x) << c.flags;
        EXPECT_EQ(t.y, c.y) << c.flags;
    }
    // An odd width is halved toward zero.
    CTextBloc odd;
    odd.w = 121;
    odd.flags = tb::CentreAcross;
    tb::apply_page_placement(&odd, s);
    EXPECT_EQ(odd.x, (30 + 20 + 800 - 10 - 40 - 121) / 2);
}

TEST(TextBlocks, ASmallFrameIsHitOverSixUnitsEndingAtItsCorner) {
    struct Case {
        short left, top, right, bottom;
        short x1, y1;
    } cases[] = {
        {100, 50, 102, 51, 96, 45},  // 2 by 1: grown to the left and upward
        {100, 50, 200, 80, 100, 50},  // large enough: unchanged
        {100, 50, 106, 56, 100, 50},
    };
    for (const Case& c : cases) {
        CRect in;
        in.init(c.left, c.top, c.right, c.bottom);
        const CRect r = tb::at_least(in, 6, 6);
        EXPECT_EQ(r.x1, c.x1);
        EXPECT_EQ(r.y1, c.y1);
        EXPECT_EQ(r.x2, c.right);
        EXPECT_EQ(r.y2, c.bottom);
    }
}

TEST(TextBlocks, TheDialogsControlsFollowTheKindAndAnEditedBlockKeepsItsSort) {
    struct Case {
        short kind;
        bool placement, measure, page, first_page;
    } controls[] = {
        {tb::PageOnly, true, false, true, false},
        {tb::InMeasure, false, true, false, false},
        {tb::FromPage, true, false, false, true},
    };
    for (const Case& c : controls) {
        const tb::KindControls k = tb::controls_for_kind(c.kind);
        EXPECT_EQ(k.placement, c.placement) << c.kind;
        EXPECT_EQ(k.measure_fields, c.measure) << c.kind;
        EXPECT_EQ(k.page_field, c.page) << c.kind;
        EXPECT_EQ(k.first_page_field, c.first_page) << c.kind;
    }
    struct Choice {
        short kind;
        bool creating, page_only, in_measure, from_page;
    } choices[] = {
        {tb::InMeasure, false, false, true, false},
        {tb::PageOnly, false, true, false, true},
        {tb::FromPage, false, true, false, true},
        {tb::InMeasure, true, true, true, true},
    };
    for (const Choice& c : choices) {
        const tb::KindChoices k = tb::kind_choices(c.kind, c.creating);
        EXPECT_EQ(k.page_only, c.page_only) << c.kind << c.creating;
        EXPECT_EQ(k.in_measure, c.in_measure) << c.kind << c.creating;
        EXPECT_EQ(k.from_page, c.from_page) << c.kind << c.creating;
    }
    for (short typed : {0, 5, 19}) EXPECT_EQ(tb::stored_line_spacing(typed), 20);
    EXPECT_EQ(tb::stored_line_spacing(20), 20);
    EXPECT_EQ(tb::stored_line_spacing(150), 150);
}

TEST(TextBlocks, APageBlockShowsOnItsPageOrFromItsPageOn) {
    struct Case {
        short type, page, shown_on;
        bool shown;
    } cases[] = {{1, 2, 2, true}, {1, 2, 3, false}, {3, 2, 3, true}, {3, 2, 1, false}, {7, 5, 1, true}};
    for (const Case& c : cases) {
        CTextBloc t;
        t.type = c.type, t.page = c.page;
        EXPECT_EQ(tb::shown_on_page(&t, c.shown_on), c.shown) << c.type << " " << c.page << " " << c.shown_on;
    }
}
