// The symbol tools in the score editor: a symbol placed freely where the measure is pressed or
// bound to the note pressed, moved by its body within its measure, resized and sheared by its
// corner, a slur bent by its middle and last points, erased with its binding freed; a drag that
// moves nothing leaves no undo level and no change; a symbol drawn over another staff is still
// found, an invisible one is not while invisible symbols are hidden.
#include "ToolBench.h"

#include "framework/Bitmap.h"
#include "framework/Courbe.h"
#include "framework/Vector.h"
#include "score/CSymbol.h"
#include "score/Document.h"
#include "score/SymbolDefinitions.h"
#include "tools/ScoreDispatchSymbols.h"
#include "tools/SymbolGeometry.h"

namespace {

namespace opt = symbol_option;

// Definition ids of the fixture (above the palettes' own).
enum : short { Box = 5001, Dot = 5002, Slur = 5003, Hairpin = 5004, Hidden = 5005, OnNote = 5006, Clear = 5007 };

Definition* make_definition(short id, short type, short options, short pos_ver, short dx, short dy) {
    Definition* d = new Definition;
    d->id = id;
    d->type = type;
    d->dx = dx, d->dy = dy;
    d->dw = d->dh = 100;
    d->options = options;
    d->pos_ver = pos_ver;
    return d;
}

class SymbolTool : public ToolBench {
protected:
    void SetUp() override {
        ToolBench::SetUp();
        make_score(2, 2);
        open_score();
        score->d->sub_doc[score->d->cur_sub_doc].actif_just = 0;
        score->d->modif = 0;
        Definition* box = make_definition(Box, GraphicBitmap, opt::MovableX | opt::MovableY, 1, 0, 0);
        box->gr = create_bitmap(10, 8);
        define(box);
        Definition* dot = make_definition(Dot, GraphicDrawing, opt::IntoSpace, 2, 0, -2);
        dot->gr = create_vect_dessin(0, "dot", -3, -3, 3, 3, 0, 0);
        define(dot);
        Definition* slur = make_definition(Slur, GraphicCurve, opt::MovableX | opt::MovableY, 1, 0, 0);
        Courbe* c = create_courbe(3);
        c->p[1] = {0, 0}, c->p[2] = {20, -6}, c->p[3] = {40, 0};
        slur->gr = c;
        define(slur);
        Definition* hairpin = make_definition(
            Hairpin, GraphicDrawing, opt::StretchX | opt::ShearX | opt::MovableX | opt::MovableY, 1, 0, 0);
        hairpin->gr = create_vect_dessin(0, "hairpin", 0, -5, 48, 5, 0, 0);
        define(hairpin);
        Definition* hidden = make_definition(Hidden, GraphicBitmap, opt::MovableX | opt::MovableY | opt::Invisible, 1, 0, 0);
        hidden->gr = create_bitmap(10, 8);
        define(hidden);
        Definition* on_note = make_definition(OnNote, GraphicBitmap, 0, 2, 0, 0);
        on_note->pos_hor = 3;
        on_note->gr = create_bitmap(10, 8);
        define(on_note);
        Definition* clear = make_definition(Clear, GraphicBitmap, opt::MovableX | opt::MovableY | opt::KeepClear, 1, 0, 0);
        clear->gr = create_bitmap(10, 8);
        define(clear);
    }
    void define(Definition* d) { pal->append_definition(d); }

    std::vector<CSymbol*> symbols(short column = 1, short staff = 1) { return items<CSymbol>(column, staff); }
    Definition* def(short id) { return pal->get_definition(id); }
    short param(CSymbol* s, short n) { return s->get_local_param(def(s->tool_id), n); }
    // A free symbol of definition id placed by the tool at (ux, uy) of measure (1, 1).
    CSymbol* placed(short id, double ux, double uy) {
        pal->set_tool(id, 0);
        click(1, 1, ux, uy);
        return symbols().empty() ? nullptr : symbols().back();
    }
};

}  // namespace

TEST_F(SymbolTool, AFreeSymbolLandsWherePressedAndMovesByItsBodyInsideItsMeasure) {
    CSymbol* s = placed(Box, 40, -10);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->note_id, 0);
    EXPECT_EQ(param(s, 1), 40);
    EXPECT_EQ(param(s, 2), -10);
    ASSERT_EQ(levels().size(), 1u);
    EXPECT_EQ(levels()[0].opid, symbol_undo::Inserted);
    EXPECT_EQ(levels()[0].slots, std::vector<void**>{slot_of(1, 1)});
    EXPECT_EQ(score->d->modif, 1);

    press(1, 1, 45, -6).move(20, 6).release();
    ASSERT_EQ(symbols().size(), 1u) << "a press on a symbol places none";
    EXPECT_EQ(param(s, 1), 60);
    EXPECT_EQ(param(s, 2), -4);
    EXPECT_EQ(levels().back().opid, symbol_undo::Moved);
    // Far right: a bitmap's origin stays inside its measure.
    const short width = at_measure(1, 1)->width;
    press(1, 1, 65, -2).move(500, 0).release();
    EXPECT_EQ(param(s, 1), width);
    press(1, 1, width + 5, -2).move(-500, 0).release();
    EXPECT_EQ(param(s, 1), 0);
}

TEST_F(SymbolTool, ADragThatEndsWhereItStartedChangesNothing) {
    CSymbol* s = placed(Box, 40, -10);
    score->d->modif = 0;
    const size_t before = levels().size();
    press(1, 1, 45, -6).move(0.5, 0.5).release();  // less than a unit
    EXPECT_EQ(levels().size(), before);
    EXPECT_EQ(score->d->modif, 0);
    EXPECT_EQ(param(s, 1), 40);
}

TEST_F(SymbolTool, ABoundSymbolFollowsItsNoteIntoTheMiddleOfASpace) {
    CNote* n = score->note(1, 1, 12);  // on the middle line
    n->x = 60;
    pal->set_tool(Dot, 0);
    click(1, 1, n->x + 2, n->y - 2);
    ASSERT_EQ(symbols().size(), 1u);
    CSymbol* s = symbols()[0];
    EXPECT_NE(n->sid, 0);
    EXPECT_EQ(s->note_id, n->sid);
    EXPECT_EQ(param(s, 1), 60);
    EXPECT_EQ(param(s, 2), 9) << "2 units above the note: the space above it";
    // A second symbol on the same note shares its binding.
    click(1, 1, n->x + 2, n->y - 2);
    ASSERT_EQ(symbols().size(), 2u);
    EXPECT_EQ(symbols()[1]->note_id, n->sid);
    // Erasing one keeps the binding, erasing the last frees it.
    pal->set_tool(tool::Eraser, 0);
    const short sid = n->sid;
    click(1, 1, 60 - 2, 7);  // on the symbol, beside the note head
    EXPECT_EQ(symbols().size(), 1u);
    EXPECT_EQ(n->sid, sid);
    EXPECT_EQ(levels().back().opid, symbol_undo::Erased);
    click(1, 1, 60 - 2, 7);
    EXPECT_TRUE(symbols().empty());
    EXPECT_EQ(n->sid, 0);
}

TEST_F(SymbolTool, ASlurIsBentByItsMiddleAndItsLastPoint) {
    CSymbol* s = placed(Slur, 20, -10);
    ASSERT_NE(s, nullptr);
    press(1, 1, 60, -10).move(10, 0).release();  // the last point, 10 to the right
    EXPECT_EQ(param(s, 11), 50);
    EXPECT_EQ(param(s, 12), 0);
    EXPECT_EQ(param(s, 9), 25) << "the middle point follows by half";
    EXPECT_EQ(param(s, 1), 20) << "the slur itself stays";
    press(1, 1, 45, -16).move(0, -4).release();  // the middle point, higher
    EXPECT_EQ(param(s, 9), 25);
    EXPECT_EQ(param(s, 10), -10);
    press(1, 1, 20, -10).move(6, 2).release();  // the first point moves the whole slur
    EXPECT_EQ(param(s, 1), 26);
    EXPECT_EQ(param(s, 2), -8);
    EXPECT_EQ(param(s, 11), 50);
}

TEST_F(SymbolTool, AHairpinIsResizedByItsCornerAndShearedWithCtrl) {
    CSymbol* s = placed(Hairpin, 10, 30);
    ASSERT_NE(s, nullptr);
    press(1, 1, 10 + 46, 30 + 4).move(48, 3).release();  // the corner, 48 further right
    EXPECT_EQ(param(s, 3), 200);
    EXPECT_EQ(param(s, 4), 100) << "without a vertical stretch the height stays";
    EXPECT_EQ(param(s, 1), 10);

    CSymbol* t = placed(Hairpin, 10, -30);
    press(1, 1, 10 + 46, -30 + 4, EvfCtrl).move(10, 0).release();
    EXPECT_EQ(param(t, 5), 20);
    EXPECT_EQ(param(t, 3), 100);
}

TEST_F(SymbolTool, ASymbolFarFromItsMeasureIsFoundAndAnInvisibleOneOnlyWhenShown) {
    // A symbol of staff 1 drawn down on staff 2's lines.
    CSymbol* far = new CSymbol;
    far->tool_id = Box;
    far->set_local_param(1, 30);
    far->set_local_param(2, 70);
    at_measure(1, 1)->add(far);
    pal->set_tool(tool::Pointer, 0);
    click(1, 2, 34, 3);  // on staff 2, where the symbol is drawn
    EXPECT_TRUE(levels().empty());
    press(1, 2, 34, 3).move(10, 0).release();
    EXPECT_EQ(param(far, 1), 40);
    EXPECT_TRUE(symbols(1, 2).empty());

    CSymbol* hidden = new CSymbol;
    hidden->tool_id = Hidden;
    hidden->set_local_param(1, 100);
    hidden->set_local_param(2, 0);
    at_measure(1, 1)->add(hidden);
    score->d->voir_symboles_invisibles = 0;
    press(1, 1, 104, 4).move(10, 0).release();
    EXPECT_EQ(param(hidden, 1), 100);
    score->d->voir_symboles_invisibles = 1;
    press(1, 1, 104, 4).move(10, 0).release();
    EXPECT_EQ(param(hidden, 1), 110);
}

TEST_F(SymbolTool, WhatTheToolRefuses) {
    struct Case {
        const char* what;
        short tool;
        short flags;   // of measure (1, 1)
        double ux, uy;
    } cases[] = {
        {"a note symbol away from any note", OnNote, 0, 40, 10},
        {"a measure of a play-along file", Box, 0x4, 40, 10},
        {"a measure showing its library markers", Box, 0x8, 40, 10},
        {"the pointer over empty space", tool::Pointer, 0, 40, 10},
        {"a definition that does not exist", 5999, 0, 40, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        at_measure(1, 1)->flags = c.flags;
        pal->set_tool(c.tool, 0);
        click(1, 1, c.ux, c.uy);
        EXPECT_TRUE(symbols().empty());
        EXPECT_TRUE(levels().empty());
    }
}

TEST_F(SymbolTool, KeepClearPutsAFreeSymbolAboveOrBelowTheStaff) {
    CSymbol* up = placed(Clear, 20, 5);
    ASSERT_NE(up, nullptr);
    EXPECT_EQ(param(up, 2), -8) << "its 8 pixels of height end on the top line";
    CSymbol* down = placed(Clear, 60, 14);
    EXPECT_EQ(param(down, 2), 24);
    CSymbol* far = placed(Clear, 100, -30);
    EXPECT_EQ(param(far, 2), -30) << "already clear";
    // Dragged into the staff's lower half, it goes under the staff.
    press(1, 1, 22, -4).move(0, 21).release();
    EXPECT_EQ(param(up, 2), 24);
}
