// The clef tool: the chooser's answer and strip, where an inserted or dragged clef stands, and
// the re-placement that keeps every note's pitch when a clef is inserted (through the MIDI
// conversion of the notes before and after).
#include "ToolBench.h"

#include "layout/MidiConversion.h"
#include "tools/ScoreDispatchClefs.h"

TEST(ClefDecisions, TheChoosersAnswerRoundTrips) {
    for (short id = 1; id <= 9; id++)
        for (bool inside : {false, true})
            for (bool replace : {false, true})
                for (bool reduced : {false, true}) {
                    const ClefChoice c{id, inside, replace, reduced};
                    const short r = encode_clef_choice(c);
                    EXPECT_EQ(r < 0, inside) << id;
                    const ClefChoice back = decode_clef_choice(r);
                    EXPECT_EQ(back.id, id);
                    EXPECT_EQ(back.inside, inside);
                    EXPECT_EQ(back.replace, replace);
                    EXPECT_EQ(back.reduced, reduced);
                }
    // The packing itself: bits on a positive answer, cleared bits on a negative one.
    EXPECT_EQ(encode_clef_choice({2, false, true, false}), 0x102);
    EXPECT_EQ(encode_clef_choice({2, false, true, true}), 0x302);
    EXPECT_EQ(encode_clef_choice({2, true, false, false}), -2);
    EXPECT_EQ(encode_clef_choice({2, true, true, false}), (short)(-2 & ~0x100));
}

TEST(ClefDecisions, TheStripsCellsAndTheEmptyTenth) {
    struct Case {
        short x, y, cell;
    } cases[] = {
        {0, 0, 0}, {10, 10, 0}, {21, 10, 0}, {22, 10, 1}, {100, 5, 4}, {168, 22, 7}, {170, 22, 8}, {189, 10, 8},
        {190, 10, -1}, {205, 10, -1}, {211, 10, -1},  // the tenth cell holds no clef
        {10, 23, -1}, {10, -1, -1}, {-1, 5, -1}, {260, 5, -1},
    };
    for (const Case& c : cases) EXPECT_EQ(clef_cell_at(c.x, c.y), c.cell) << c.x << "," << c.y;
}

TEST(ClefDecisions, InsertedAndDraggedClefsStayInTheirMeasure) {
    struct Inside {
        short press, width;
        float scale;
        short x;
    } inside[] = {{3, 150, 1.0f, 2}, {150, 150, 1.0f, 132}, {60, 150, 1.0f, 52}, {40, 150, 2.0f, 12},
                  {300, 150, 2.0f, 132}, {1, 150, 2.0f, 1}};
    for (const Inside& c : inside) EXPECT_EQ(inside_clef_x(c.press, c.width, c.scale), c.x) << c.press << " " << c.scale;
    struct Dragged {
        short x, moved, width;
        float scale;
        short to;
    } dragged[] = {{40, 10, 150, 1.0f, 50}, {40, -100, 150, 1.0f, 2}, {40, 200, 150, 1.0f, 132},
                   {40, 20, 150, 2.0f, 50}, {40, -300, 150, 2.0f, 2}};
    for (const Dragged& c : dragged) EXPECT_EQ(dragged_clef_x(c.x, c.moved, c.width, c.scale), c.to) << c.moved;
}

TEST(ClefDecisions, TheGoverningClefAndTheShiftThatKeepsThePitch) {
    const std::vector<StaffItem> items = {
        {StaffItem::Note, 10, 0, 14}, {StaffItem::Clef, 60, 2, 0}, {StaffItem::Clef, 30, 3, 0}, {StaffItem::Other, 5, 0, 0}};
    EXPECT_EQ(governing_clef(items, 10, 1), 1);
    EXPECT_EQ(governing_clef(items, 30, 1), 3) << "a clef at the note's x governs it";
    EXPECT_EQ(governing_clef(items, 59, 1), 3);
    EXPECT_EQ(governing_clef(items, 80, 1), 2);
    EXPECT_EQ(replacement_shift(1, 2), -36);
    EXPECT_EQ(replacement_shift(1, 3), -30) << "F3 on the middle line: ten steps below B4";
    EXPECT_EQ(replacement_shift(3, 1), 30);
    EXPECT_EQ(replacement_shift(4, 4), 0);
    EXPECT_EQ(replacement_shift(42, 1), 0) << "a kind from a file counts as the treble clef";
}

namespace {

short asked = 0, answer = 0;
short scripted_chooser(short clef) {
    asked = clef;
    return answer;
}

class ClefTool : public ToolBench {
protected:
    void SetUp() override {
        ToolBench::SetUp();
        make_score(2, 4);
        score->d->entete_mesure_automatique = 0;
        score->clef(1, 1, 1);
        score->clef(1, 2, 1);
        open_score();
        score->d->sub_doc[score->d->cur_sub_doc].actif_just = 0;
        saved = clef_chooser;
        clef_chooser = scripted_chooser;
        pal->set_tool(tool::Clef, 0);
    }
    void TearDown() override {
        clef_chooser = saved;
        ToolBench::TearDown();
    }
    CNote* note_at(short column, short x, short y) {
        CNote* n = score->note(column, 1, y);
        n->x = x;
        return n;
    }
    std::vector<short> pitches() {
        std::vector<short> all;
        for (short c = 1; c <= 4; c++) {
            at_measure(c, 1)->change_mes_flags(0, measure_flag::MidiCurrent);
            conversion_graphique_midi(c, 1, 1);
            for (CNote* n : items<CNote>(c, 1)) all.push_back(n->pitch);
        }
        return all;
    }
    short (*saved)(short) = nullptr;
};

}  // namespace

TEST_F(ClefTool, AnInsideClefReplacesTheNotesRightOfItUpToTheNextClefOfAnotherKind) {
    CNote* left = note_at(2, 30, 14);    // B4, before the new clef
    CNote* right = note_at(2, 100, 26);  // E4
    CNote* next = note_at(3, 40, 32);    // C4
    CNote* sym = note_at(3, 80, 20);
    CClef* tenor = score->clef(4, 1, 6);
    tenor->x = 60;
    CNote* before_tenor = note_at(4, 30, 23);
    CNote* after_tenor = note_at(4, 100, 14);
    (void)sym;
    const std::vector<short> before = pitches();
    answer = encode_clef_choice({3, true, true, false});
    click(2, 1, 70, 12);
    EXPECT_EQ(asked, -1) << "headers off: the inside box starts checked, on the clef in force";
    std::vector<CClef*> clefs = items<CClef>(2, 1);
    ASSERT_EQ(clefs.size(), 1u);
    EXPECT_EQ(clefs[0]->id, 3);
    EXPECT_EQ(clefs[0]->type, 2);
    EXPECT_EQ(clefs[0]->x, 62);
    EXPECT_EQ(left->y, 14) << "left of the new clef";
    EXPECT_EQ(right->y, 26 - 30);
    EXPECT_EQ(next->y, 32 - 30);
    EXPECT_EQ(before_tenor->y, 23 - 30);
    EXPECT_EQ(after_tenor->y, 14) << "under the tenor clef";
    EXPECT_EQ(pitches(), before) << "every note keeps its pitch";
    const std::vector<Level> l = levels();
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0].opid, clef_undo::Inserted);
    EXPECT_EQ(l[0].slots, (std::vector<void**>{slot_of(2, 1), slot_of(3, 1), slot_of(4, 1)}));
}

TEST_F(ClefTool, TheClefInForceChangesNothingAndWithoutReplacementClefsStillFollow) {
    CNote* n = note_at(3, 60, 14);
    answer = encode_clef_choice({1, false, true, false});
    click(2, 1, 70, 12);
    EXPECT_EQ(n->y, 14);
    ASSERT_FALSE(levels().empty());
    EXPECT_EQ(levels().back().slots.size(), 3u) << "every following measure visited to the end";
    // Without the re-placement no note moves, but a later clef of the replaced kind turns.
    CClef* later = score->clef(4, 1, 1);
    later->x = 50;
    answer = encode_clef_choice({2, true, false, false});
    click(2, 1, 90, 12);
    EXPECT_EQ(n->y, 14);
    EXPECT_EQ(later->id, 2);
}

TEST_F(ClefTool, ClefsAreDraggedInsideTheirMeasureAndErased) {
    CClef* k = score->clef(2, 1, 2);
    k->x = 40;
    k->type = 2;
    answer = 0;
    press(2, 1, 45, 12).move(30, 5).release();
    EXPECT_EQ(k->x, 70);
    EXPECT_EQ(levels().back().opid, clef_undo::Moved);
    press(2, 1, 75, 12).move(300, 0).release();
    EXPECT_EQ(k->x, 132) << "kept 18 units from the right edge";
    press(2, 1, 135, 12).move(-400, 0).release();
    EXPECT_EQ(k->x, 2);
    key_over(2, 1, 5, 12, 8);  // the erase key over it
    EXPECT_TRUE(items<CClef>(2, 1).empty());
    EXPECT_EQ(levels().back().opid, clef_undo::Deleted);
    // Cancelled chooser: nothing.
    const size_t count = levels().size();
    click(2, 1, 60, 12);
    EXPECT_TRUE(items<CClef>(2, 1).empty());
    EXPECT_EQ(levels().size(), count);
}

TEST_F(ClefTool, HeaderClefsBelongToTheAutomaticHeaders) {
    CClef* header = items<CClef>(1, 1)[0];
    header->x = 2;
    score->d->entete_mesure_automatique = 1;
    answer = 0;
    press(1, 1, 4, 12).move(30, 0).release();
    EXPECT_EQ(header->x, 2) << "not picked: the press opens the chooser";
    EXPECT_EQ(asked, 1) << "headers on: the start of the measure is offered";
    score->d->entete_mesure_automatique = 0;
    press(1, 1, 4, 12).move(30, 0).release();
    EXPECT_EQ(header->x, 32);
    // The pointer creates no clef where none is.
    pal->set_tool(tool::Pointer, 0);
    answer = encode_clef_choice({2, false, true, false});
    click(3, 1, 60, 12);
    EXPECT_TRUE(items<CClef>(3, 1).empty());
}
