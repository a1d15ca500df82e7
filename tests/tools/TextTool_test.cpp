// The text-block tool in the score editor: a block is made where the measure is pressed, or on
// the page in the page view, through its dialog (answered here by the test); a page block over a
// measure block takes the press; blocks are moved by a drag and resized by their corner, a fixed
// one only resized; the eraser deletes page and measure blocks but leaves the composition's
// markers while the assistant is closed, recording nothing then; a cancelled dialog and a drag
// that ends where it started leave no level and no change.
#include "ToolBench.h"

#include "../editor/ScorePages.h"
#include "score/CTextBloc.h"
#include "score/Document.h"
#include "tools/ScoreDispatchText.h"
#include "tools/TextBlocks.h"

namespace {

namespace tb = text_block;

// What the stand-in dialog does: the kind, text and flags it gives, or a cancel.
struct DialogAnswer {
    bool confirm = true;
    short type = tb::InMeasure;
    short flags = 0;
    const char* text = "Allegro";
    int opened = 0;
    short last_creating = -1;
};
DialogAnswer answer;

CTextBloc* stand_in(CTextBloc* t, short creating) {
    answer.opened++;
    answer.last_creating = creating;
    if (!answer.confirm) return nullptr;
    if (creating) t->type = answer.type;
    t->flags = answer.flags;
    t->text.set(answer.text);
    return t;
}

class TextTool : public ToolBench {
protected:
    void SetUp() override {
        ToolBench::SetUp();
        saved = text_tool_hooks;
        answer = DialogAnswer{};
        text_tool_hooks.edit = stand_in;
        text_tool_hooks.assistant_open = nullptr;
        make_score(2, 2);
        open_score();
        score->d->sub_doc[score->d->cur_sub_doc].actif_just = 0;
        score->d->modif = 0;
        pal->set_tool(tool::Text, 0);
    }
    void TearDown() override {
        text_tool_hooks = saved;
        ToolBench::TearDown();
    }
    void page_view() {
        build_pages(score->d, 2, 2);
        score->d->cur_pag = 1;
        editor->draw();
    }
    // A measure block of (column, staff) at (x, y) staff units, w by h.
    CTextBloc* measure_block(short column, short staff, short x, short y, short w = 40, short h = 12,
                             int32_t colour = 0) {
        CTextBloc* t = new CTextBloc;
        t->type = tb::InMeasure;
        t->x = x, t->y = y, t->w = w, t->h = h;
        t->color = colour;
        at_measure(column, staff)->add(t);
        return t;
    }
    void double_click(short column, short staff, double ux, double uy) {
        click(column, staff, ux, uy);
        click(column, staff, ux, uy);
    }
    std::vector<CTextBloc*> blocks(short column = 1, short staff = 1) { return items<CTextBloc>(column, staff); }

    TextToolHooks saved;
};

}  // namespace

TEST_F(TextTool, AMeasureBlockIsMadeWherePressed) {
    click(1, 1, 30, 10);
    ASSERT_EQ(blocks().size(), 1u);
    CTextBloc* t = blocks()[0];
    EXPECT_EQ(answer.last_creating, 1);
    EXPECT_EQ(t->x, 30);
    EXPECT_EQ(t->y, 10);
    EXPECT_STREQ(t->text.get(), "Allegro");
    EXPECT_EQ(t->meas, 1);
    EXPECT_EQ(t->staff, 1);
    ASSERT_EQ(levels().size(), 1u);
    EXPECT_EQ(levels()[0].opid, text_undo::Created);
    EXPECT_EQ(levels()[0].slots, std::vector<void**>{slot_of(1, 1)});
    EXPECT_EQ(score->d->modif, 1);
    // Cancelled: nothing made, nothing recorded.
    answer.confirm = false;
    click(1, 1, 100, 10);
    EXPECT_EQ(blocks().size(), 1u);
    EXPECT_EQ(levels().size(), 1u);
    // The pointer over empty space makes nothing.
    answer.confirm = true;
    pal->set_tool(tool::Pointer, 0);
    click(1, 1, 100, 10);
    EXPECT_EQ(blocks().size(), 1u);
}

TEST_F(TextTool, APageBlockIsPlacedByItsFlagsAndTakesThePressOverAMeasureBlock) {
    page_view();
    answer.type = tb::PageOnly;
    answer.flags = tb::CentreAcross | tb::TopMargin;
    const short before = score->d->tot_ptx;
    click(1, 1, 30, 10);
    ASSERT_EQ(score->d->tot_ptx, before + 1);
    CTextBloc* t = nullptr;
    short slot = 0;
    for (short i = 1; i <= score->d->max_ptx; i++)
        if (score->d->ptx[i]) t = score->d->ptx[i], slot = i;
    ASSERT_NE(t, nullptr);
    EXPECT_TRUE(blocks().empty());
    const Sub_document& s = score->d->sub_doc[score->d->cur_sub_doc];
    EXPECT_EQ(t->x, (s.mi_g + s.me_g + s.mx - s.me_d - s.mi_d - t->w) / 2);
    EXPECT_EQ(t->y, s.mi_s + s.me_s);
    EXPECT_EQ(t->page, 1);
    EXPECT_EQ(levels().back().opid, text_undo::Created);
    EXPECT_EQ(levels().back().slots, std::vector<void**>{reinterpret_cast<void**>(&score->d->ptx[slot])});

    // A measure block under the page block: the page block takes the double click.
    t->flags = 0;
    t->x = (short)at_measure(1, 1)->x;
    t->y = (short)at_measure(1, 1)->y;
    t->w = 60, t->h = 20;
    CTextBloc* under = measure_block(1, 1, 0, 0);
    answer.text = "Titre";
    double_click(1, 1, 5, 5);
    EXPECT_STREQ(t->text.get(), "Titre");
    EXPECT_STRNE(under->text.get(), "Titre");
    EXPECT_EQ(answer.last_creating, 0);
    EXPECT_EQ(levels().back().opid, text_undo::Edited);
}

TEST_F(TextTool, BlocksAreMovedAndResizedAndAFixedOneOnlyResized) {
    CTextBloc* t = measure_block(1, 1, 20, 30, 40, 12);
    press(1, 1, 30, 35).move(15, 5).release();
    EXPECT_EQ(t->x, 35);
    EXPECT_EQ(t->y, 35);
    EXPECT_EQ(levels().back().opid, text_undo::Moved);
    EXPECT_EQ(score->d->modif, 1);
    // By the corner: a wider frame.
    press(1, 1, 35 + 40 - 2, 35 + 12 - 2).move(20, 0).release();
    EXPECT_EQ(t->w, 60);
    EXPECT_EQ(t->x, 35);
    // Fixed: not moved, still resized.
    t->flags = tb::Fixed;
    const size_t levels_before = levels().size();
    press(1, 1, 45, 40).move(30, 0).release();
    EXPECT_EQ(t->x, 35);
    EXPECT_EQ(levels().size(), levels_before);
    press(1, 1, 35 + 60 - 2, 35 + 12 - 2).move(-10, 0).release();
    EXPECT_EQ(t->w, 50);
}

TEST_F(TextTool, ADragThatEndsWhereItStartedAndACancelledDialogChangeNothing) {
    CTextBloc* t = measure_block(1, 1, 20, 30);
    press(1, 1, 30, 35).release();
    EXPECT_TRUE(levels().empty());
    EXPECT_EQ(score->d->modif, 0);
    answer.confirm = false;
    answer.text = "changed";
    double_click(1, 1, 30, 35);
    EXPECT_EQ(answer.opened, 1);
    EXPECT_TRUE(levels().empty());
    EXPECT_EQ(score->d->modif, 0);
    EXPECT_STRNE(t->text.get(), "changed");
}

TEST_F(TextTool, TheEraserDeletesBlocksButLeavesTheMarkersWhileTheAssistantIsClosed) {
    CTextBloc* plain = measure_block(1, 1, 20, 30);
    measure_block(2, 1, 20, 30, 40, 12, tb::kChordMarker);
    pal->set_tool(tool::Eraser, 0);
    click(1, 1, 30, 35);
    EXPECT_TRUE(blocks().empty());
    (void)plain;
    EXPECT_EQ(levels().back().opid, text_undo::Deleted);
    score->d->modif = 0;
    const size_t before = levels().size();
    click(2, 1, 30, 35);
    EXPECT_EQ(blocks(2, 1).size(), 1u) << "a chord marker stays";
    EXPECT_EQ(levels().size(), before);
    EXPECT_EQ(score->d->modif, 0);
    // With the assistant open a style label goes with its style data.
    static int rearranged = 0;
    text_tool_hooks.assistant_open = [] { return (short)1; };
    text_tool_hooks.rearrange = [] { rearranged++; };
    measure_block(2, 2, 20, 30, 40, 12, tb::kStyleMarker);
    measure_block(2, 2, 0, -30, 10, 10, tb::kStyleData);
    click(2, 2, 30, 35);
    EXPECT_TRUE(blocks(2, 2).empty());
    EXPECT_EQ(rearranged, 1);
    // A page block goes from its slot.
    page_view();
    CTextBloc* page = new CTextBloc;
    page->type = tb::PageOnly;
    page->page = 1;
    page->x = 10, page->y = 10, page->w = 50, page->h = 20;
    const short slot = tb::store_page_block(score->d, page);
    const short total = score->d->tot_ptx;
    const platform::Point p{(int)(20 * editor->scalex) - editor->ox, (int)(20 * editor->scaley) - editor->oy};
    Gesture(this, screen_point(p), 0).release();
    EXPECT_EQ(score->d->ptx[slot], nullptr);
    EXPECT_EQ(score->d->tot_ptx, total - 1);
}
