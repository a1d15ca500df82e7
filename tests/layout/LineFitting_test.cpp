// Fitting a line of measures to the width between the margins.
#include "layout/PageFitting.h"

#include <gtest/gtest.h>

#include <vector>

#include "framework/Arrays.h"
#include "framework/CUndoManager.h"
#include "layout/PageBreaking.h"
#include "layout/PaperFixture.h"

namespace {

// One line of the given measure widths on two staves, without headers, so that the widths are
// the measures' natural ones.
struct Line {
    Line(std::vector<short> widths, short page_width) : paper(2, (short)widths.size()) {
        paper.score.d->entete_mesure_automatique = 0;
        paper.sd().mx = page_width;
        for (short c = 1; c <= (short)widths.size(); c++)
            for (short p = 1; p <= 2; p++) {
                CMeasure* m = paper.score.measure(c, p);
                m->width = m->pw = widths[c - 1];
                m->front = 0;
            }
        CArrayInt tab;
        tab.add((short)widths.size());
        list = create_page_allsys(&tab, 1, nullptr);
        s = list->sys[1];
    }
    ~Line() { liberer_liste_systemes(list); }
    std::vector<short> widths(short staff) {
        std::vector<short> out;
        for (short c = 1; paper.score.measure(c, staff); c++) out.push_back(paper.score.measure(c, staff)->width);
        return out;
    }
    std::vector<short> lefts(short staff) {
        std::vector<short> out;
        for (short c = 1; paper.score.measure(c, staff); c++) out.push_back(paper.score.measure(c, staff)->x);
        return out;
    }
    Paper paper;
    Page* list;
    short s;
};

}  // namespace

// The line ends one unit after its measures: a page 441 wide holds 440 units of measures.
TEST(LineFitting, TheOverflowIsSharedByNaturalWidth) {
    struct Case {
        const char* what;
        std::vector<short> widths;
        short page_width, even;
        std::vector<short> fitted;
    } cases[] = {
        {"exact fit", {150, 150, 150}, 451, 0, {150, 150, 150}},
        {"remainder to the last", {150, 150, 150}, 441, 0, {147, 147, 146}},
        {"short line stretched", {100, 100, 100}, 331, 0, {110, 110, 110}},
        {"by natural width", {100, 200, 150}, 391, 0, {87, 174, 129}},
        {"one measure takes it all", {150}, 100, 0, {99}},
        {"even", {100, 200, 150}, 441, 1, {148, 146, 146}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Line line(c.widths, c.page_width);
        adjust_system_horizontally(line.s, 1.0f, 1.0f, nullptr, 1, nullptr, c.even);
        for (short staff = 1; staff <= 2; staff++) {
            EXPECT_EQ(line.widths(staff), c.fitted);
            std::vector<short> lefts;
            short x = 0;
            for (short w : c.fitted) {
                lefts.push_back(x);
                x = (short)(x + w);
            }
            EXPECT_EQ(line.lefts(staff), lefts);
        }
        EXPECT_EQ(line.paper.score.measure(1, 1)->pw, c.fitted[0]);
    }
}

// The content of every staff follows its measure's new width.
TEST(LineFitting, ContentFollowsTheWidth) {
    Line line({150, 150, 150}, 441);
    CNote* top = line.paper.score.note(1, 1, 14);
    CNote* bottom = line.paper.score.note(3, 2, 14);
    top->x = bottom->x = 75;
    adjust_system_horizontally(line.s, 1.0f, 1.0f, nullptr, 1, nullptr, 0);
    EXPECT_EQ(top->x, 147 * 75 / 150);
    EXPECT_EQ(bottom->x, 146 * 75 / 150);
}

// The line head is as wide as the widest name or bracket of the instruments in the line: an
// instrument whose staff was dropped no longer widens it.
TEST(LineFitting, DroppedStavesDoNotWidenTheHead) {
    for (bool dropped : {false, true}) {
        Line line({100, 100}, 400);
        Document* d = line.paper.score.d;
        d->ins[1].accol_type = 2;
        d->ins[1].accol_tot = 2;
        d->ins[1].accol_dx = 20;  // 23 wide
        d->ins[2].in_roll = 0x0002;
        if (dropped) {
            d->ins[2].in_roll = 0;
            line.paper.score.note(1, 1, 14);
            d->ins[1].accol_tot = 1;
            d->ins[2].accol_type = 2;
            d->ins[2].accol_tot = 1;
            d->ins[2].accol_dx = 40;
            optimiser_systeme(line.s, 1, nullptr);
            ASSERT_EQ(d->sys[line.s]->tot_por, 1);
        }
        adjust_system_horizontally(line.s, 1.0f, 1.0f, nullptr, 1, nullptr, 0);
        EXPECT_EQ(line.paper.score.measure(1, 1)->x, 23) << dropped;
        // The head's width comes off the measures: 400 - 23 - 1 over two.
        EXPECT_EQ(line.paper.score.measure(1, 1)->width + line.paper.score.measure(2, 1)->width, 376);
    }
}

// With undo recording on, every measure of the line is recorded before it changes.
TEST(LineFitting, EveryChangedMeasureIsRecorded) {
    Line line({150, 150}, 250);
    undo_active = 1;
    CUndoManager undo(nullptr);
    undo.new_level(1, 1);
    adjust_system_horizontally(line.s, 1.0f, 1.0f, nullptr, 1, &undo, 0);
    ASSERT_EQ(undo.total(), 1);
    Document* d = line.paper.score.d;
    for (short c = 1; c <= 2; c++)
        for (short p = 1; p <= 2; p++) {
            short m = d->por[d->sys[1]->por[p]]->mes[c];
            EXPECT_NE(undo.get(1)->find((void**)&d->mes[m]), 0) << c << ' ' << p;
        }
    undo_active = 0;
}
