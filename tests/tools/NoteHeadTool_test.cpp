// The note-head tool: the chooser's grid and its answer, and what a press on a note does with
// it, down to the notes entered afterwards.
#include "ToolBench.h"

#include "tools/ScoreDispatchNoteHeads.h"

TEST(NoteHeadDecisions, GridCellsAndCodes) {
    struct Cell {
        short x, y, shape;
    } cells[] = {
        {0, 0, 1},     {25, 15, 1},   {50, 0, 1},    {51, 0, 2},   // a shared border goes left
        {50, 30, 1},   {50, 31, 6},   {49, 30, 1},   {0, 31, 6},   // ... and up
        {249, 29, 5},  {200, 89, 14}, {201, 61, 0},  {249, 89, 0},  // the empty last cell gives nothing
        {251, 10, 0},  {-1, 10, 0},   {10, 91, 0},                 // outside the grid
        {120, 45, 8},
    };
    for (const Cell& c : cells) EXPECT_EQ(head_cell_at(c.x, c.y), c.shape) << c.x << "," << c.y;

    struct Open {
        short head, choix, te, small;
    } opens[] = {{0, 1, 0, 0}, {3, 2, 3, 0}, {(short)0x8000, 1, 0, 1}, {(short)0x800E, 2, 14, 1}, {15, 1, 0, 0}};
    for (const Open& o : opens) {
        const HeadChoice c = head_choice_of(o.head);
        EXPECT_EQ(c.choix, o.choix) << o.head;
        EXPECT_EQ(c.te, o.te) << o.head;
        EXPECT_EQ(c.small, o.small) << o.head;
    }
    struct Code {
        HeadChoice c;
        short code;
    } codes[] = {{{1, 0, 0}, 0}, {{1, 5, 1}, (short)0x8000}, {{2, 5, 0}, 5}, {{2, 14, 1}, (short)0x800E}};
    for (const Code& k : codes) EXPECT_EQ(head_code_of(k.c), k.code);
}

namespace {

// The scripted chooser: what it was offered, and its answer (-1 cancels).
struct HeadScript {
    int opened = 0;
    short offered = -2, answer = -1, as_default = 0;
};

class NoteHeadTool : public ToolBench {
protected:
    void SetUp() override {
        ToolBench::SetUp();
        make_score(1, 2);
        open_score();
        score->d->sub_doc[score->d->cur_sub_doc].actif_just = 0;
        saved = choisir_tete;
        choisir_tete = scripted;
        script = {};
        pal->set_tool(tool::NoteHead, 0);
    }
    void TearDown() override {
        choisir_tete = saved;
        ToolBench::TearDown();
    }
    void on_head(const CNote* n) { click(1, 1, n->x + 1, n->y - 2); }
    inline static HeadScript script;
    static short scripted(short head, short* as_default) {
        script.opened++;
        script.offered = head;
        *as_default = script.answer == -1 ? 0 : script.as_default;
        return script.answer;
    }

private:
    short (*saved)(short, short*) = nullptr;
};

}  // namespace

TEST_F(NoteHeadTool, TheChosenHeadGoesToTheNoteAndAsCurrentHeadToTheNextNotes) {
    CNote* n = score->note(1, 1, 14);
    n->head = 3;
    script.answer = (short)0x8005;
    script.as_default = 1;
    on_head(n);
    EXPECT_EQ(script.offered, 3) << "the chooser opens on the note's head";
    EXPECT_EQ(n->head, (short)0x8005);
    EXPECT_EQ(score->d->tete_courante, (short)0x8005);
    ASSERT_EQ(levels().size(), 1u);
    EXPECT_EQ(levels()[0].opid, head_undo::Changed);
    EXPECT_EQ(levels()[0].slots, std::vector<void**>{slot_of(1, 1)});
    EXPECT_EQ(score->d->modif, 1);
    // A note entered now carries the current head.
    pal->set_tool(tool::Quarter, 0);
    click(2, 1, 60, 8);
    std::vector<CNote*> later = items<CNote>(2, 1);
    ASSERT_EQ(later.size(), 1u);
    EXPECT_EQ(later[0]->head, (short)0x8005);
}

TEST_F(NoteHeadTool, WithoutTheCurrentHeadBoxOnlyTheNoteChanges) {
    CNote* n = score->note(1, 1, 14);
    script.answer = 7;
    script.as_default = 0;
    on_head(n);
    EXPECT_EQ(n->head, 7);
    EXPECT_EQ(score->d->tete_courante, 0);
}

TEST_F(NoteHeadTool, CancelKeepsTheNoteAndErasePressesAndEmptyPlacesAreNotTaken) {
    CNote* n = score->note(1, 1, 14);
    n->head = 2;
    script.answer = -1;
    on_head(n);
    EXPECT_EQ(script.opened, 1);
    EXPECT_EQ(n->head, 2);
    ASSERT_EQ(levels().size(), 1u) << "the measure is recorded before the chooser opens";
    EXPECT_EQ(levels()[0].opid, head_undo::Changed);
    // Backspace over the note: the tool has no erase action; a press beside every note.
    key_over(1, 1, n->x + 1, n->y - 2, 8);
    click(1, 1, 120, 20);
    EXPECT_EQ(script.opened, 1);
    EXPECT_EQ(n->head, 2);
}
