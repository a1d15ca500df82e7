// The step-entry cursor: the spelling of a typed note, the moves of the bar, Backspace, the
// navigation keys and the tool shortcuts at the bar, through the router as typed keys.
#include "ToolBench.h"

#include <algorithm>

#include "score/Signatures.h"
#include "tools/ScoreDispatchMidiCursor.h"

TEST(StepCursorDecisions, SpellingAtTheCursor) {
    short none[TABA_SIZE] = {};
    short seven_sharps[TABA_SIZE];
    std::fill(seven_sharps, seven_sharps + TABA_SIZE, 1);
    struct Case {
        const char* what;
        short value, mode, context, clef;
        const short* taba;
        short shown;
        short y, alt;  // y as CNote::adjust leaves it
    } cases[] = {
        {"C4 on treble, no key", 0, 1, 0, 1, none, -1, 32, 0},
        {"C4 on bass clef", 0, 1, 0, 2, none, -1, -4, 0},
        {"B sharp of the octave below in seven sharps", 7, 1, 0, 1, seven_sharps, -1, 35, 0},
        {"a C sharp earlier on the line: a natural", 0, 1, 0, 1, none, 4, 32, 3},
        {"a natural earlier on the line: nothing more", 0, 1, 0, 1, none, 3, 32, 0},
        {"B sharp after a B sharp shown: nothing", 7, 1, 0, 1, seven_sharps, 4, 35, 0},
        {"B sharp after a natural shown: its sharp", 7, 1, 0, 1, seven_sharps, 3, 35, 4},
    };
    for (const Case& c : cases) {
        const Spelling s = spell_at_cursor(60, c.value, c.mode, c.context, c.clef, c.taba, c.shown);
        CNote n;
        n.y = s.y;
        n.adjust();
        EXPECT_EQ(n.y, c.y) << c.what;
        EXPECT_EQ(s.alt, c.alt) << c.what;
    }
}

TEST(StepCursorDecisions, BarMoves) {
    struct Advance {
        short x, delta, width, to;
    } advances[] = {{22, 14, 150, 36}, {140, 14, 150, 148}, {148, 14, 150, 148}, {30, 3, 150, 33}};
    for (const Advance& a : advances) EXPECT_EQ(advance_bar(a.x, a.delta, a.width), a.to) << a.x;
    struct Step {
        std::vector<short> xs;
        short x, limit, right, left;
    } steps[] = {
        {{30, 50}, 10, 150, 43, -1},  // right: between the two; left: nothing before 10
        {{30}, 10, 150, 42, -1},
        {{30}, 10, 40, 38, -1},       // clamped to width - 2
        {{30}, 40, 20, -1, 24},       // left of a lone note: 6 before it
        {{30, 50}, 60, 20, -1, 43},
        {{30}, 40, 30, -1, 32},       // held at front + 2
        {{}, 40, 20, -1, -1},
    };
    for (const Step& s : steps) {
        if (s.right != -1 || s.left == -1) {
            EXPECT_EQ(step_right_bar(s.xs, s.x, s.limit), s.right) << s.x;
        }
        if (s.left != -1 || s.right == -1) {
            EXPECT_EQ(step_left_bar(s.xs, s.x, s.limit), s.left) << s.x;
        }
    }
    EXPECT_EQ(nearest_left({20, 24, 60}, 40), 24);
    EXPECT_TRUE(in_delete_window(20, 24));
    EXPECT_TRUE(in_delete_window(30, 24));
    EXPECT_FALSE(in_delete_window(31, 24));
}

namespace {

class StepCursor : public ToolBench {
protected:
    void SetUp() override {
        ToolBench::SetUp();
        make_score(2, 3);
        score->clef(1, 1, 1);
        open_score();
        Document* d = score->d;
        d->sub_doc[d->cur_sub_doc].actif_just = 0;
        d->curseur = 1;
        d->curseur_ma = 1, d->curseur_pa = 1;
        for (short c = 1; c <= 3; c++) score->measure(c, 1)->front = 20;
        d->curseur_x = 22;
        pal->set_tool(tool::Quarter, 0);
    }
    void TearDown() override {
        score->d->curseur = 0;
        ToolBench::TearDown();
    }
    short type(short code, short flags = 0) {
        Event e;
        e.type = EvKey;
        e.value = code;
        e.flags = flags;
        return editor->dispatch(&e);
    }
    short bar() const { return score->d->curseur_x; }
};

// A handler spied on: the presses it was given, in panel pixels, with their flags and the tool.
struct Press {
    short x, y, flags, tool;
};
std::vector<Press> presses;
short spy_press(Editeur*, Event* e) {
    presses.push_back({e->x, e->y, e->flags, pal->get_tool()});
    return 1;
}

}  // namespace

TEST_F(StepCursor, DigitsEnterNotesSpelledAtTheBarAndMoveIt) {
    ASSERT_EQ(type('3'), 1);
    std::vector<CNote*> n = items<CNote>(1, 1);
    ASSERT_EQ(n.size(), 1u);
    EXPECT_EQ(n[0]->x, 22);
    EXPECT_EQ(n[0]->y, 32) << "middle C on the treble staff";
    EXPECT_EQ(n[0]->alt, 0);
    EXPECT_EQ(n[0]->rythm, 3);
    EXPECT_EQ(bar(), 36);
    ASSERT_EQ(levels().size(), 1u);
    EXPECT_EQ(levels()[0].opid, cursor_undo::Entered);
    type('4');
    type('5');
    EXPECT_EQ(items<CNote>(1, 1).size(), 3u);
    // A whole note does not fit what is left of the 4/4 measure: a beep, nothing entered.
    const int before = beeps();
    type('1');
    EXPECT_EQ(items<CNote>(1, 1).size(), 3u);
    EXPECT_EQ(beeps(), before + 1);
}

TEST_F(StepCursor, TheBarStopsAtTheMeasuresEndAndRefusedMeasuresAreNotTypedInto) {
    const short end = (short)(at_measure(1, 1)->width - 2);
    score->d->curseur_x = (short)(end - 1);
    type('5');
    EXPECT_EQ(items<CNote>(1, 1).front()->x, end - 1);
    EXPECT_EQ(bar(), end);
    type('5');
    EXPECT_EQ(bar(), end);
    score->d->curseur_ma = 2;
    at_measure(2, 1)->flags = measure_flag::PlayAlong;
    score->d->curseur_x = 22;
    type('3');
    EXPECT_TRUE(items<CNote>(2, 1).empty());
}

TEST_F(StepCursor, BackspaceDeletesWhatStandsAtTheItemLeftOfTheBar) {
    CNote* a = score->note(1, 1, 14, 4);
    CNote* b = score->note(1, 1, 20, 4);
    CNote* c = score->note(1, 1, 14, 4);
    a->x = 20, b->x = 24, c->x = 60;
    score->d->curseur_x = 40;
    ASSERT_EQ(type(8), 1);
    EXPECT_EQ(items<CNote>(1, 1), std::vector<CNote*>{c}) << "both within 6 of the one at 24";
    EXPECT_EQ(bar(), 24);
    EXPECT_EQ(levels().back().opid, cursor_undo::Deleted);
    // Nothing left of the bar in column 1: nothing deleted, the bar stays.
    score->d->curseur_x = c->x;  // the measure was spaced again: c stands elsewhere
    type(8);
    EXPECT_EQ(items<CNote>(1, 1).size(), 1u);
    EXPECT_EQ(bar(), c->x);
    // In column 2 with nothing left of it, the bar goes back to the end of column 1.
    score->d->curseur_ma = 2;
    score->d->curseur_x = 22;
    type(8);
    EXPECT_EQ(score->d->curseur_ma, 1);
    EXPECT_EQ(bar(), at_measure(1, 1)->width - 2);
}

TEST_F(StepCursor, NavigationKeys) {
    CNote* a = score->note(1, 1, 14, 4);
    CNote* b = score->note(1, 1, 14, 4);
    a->x = 30, b->x = 50;
    score->d->curseur_x = 10;
    EXPECT_EQ(type(0x1D), 1);
    EXPECT_EQ(bar(), 43);
    type(0x1D);
    EXPECT_EQ(bar(), 62);
    type(0x1D);  // nothing right of it: the next column
    EXPECT_EQ(score->d->curseur_ma, 2);
    EXPECT_EQ(bar(), 22);
    type(0x1C);  // nothing left: the end of column 1
    EXPECT_EQ(score->d->curseur_ma, 1);
    EXPECT_EQ(bar(), at_measure(1, 1)->width - 2);
    type(0x1C);
    EXPECT_EQ(bar(), 43);
    // Tab and Shift+Tab, held at the ends.
    type(9);
    type(9);
    EXPECT_EQ(score->d->curseur_ma, 3);
    EXPECT_EQ(tool_handlers.curseur(editor, [] {
                  static Event e;
                  e.type = EvKey, e.value = 9, e.flags = 0;
                  return &e;
              }()),
              0)
        << "Tab on the last column is not the cursor's";
    type(9, EvfShift);
    EXPECT_EQ(score->d->curseur_ma, 2);
    EXPECT_EQ(bar(), 22);
    // Up and down between the staves, the record staff following.
    type(0x1F);
    EXPECT_EQ(score->d->curseur_pa, 2);
    EXPECT_EQ(score->d->rec_piste, 2);
    Event down;
    down.type = EvKey, down.value = 0x1F;
    EXPECT_EQ(dispatch_editeur_curseur_complement(editor, &down), 0) << "no staff below the last";
    type(0x1E);
    EXPECT_EQ(score->d->curseur_pa, 1);
}

TEST_F(StepCursor, TabOntoTheLastMeasureShownScrollsTheLinearView) {
    Document* d = score->d;
    d->cur_mes = 1;
    short shown = 0;
    ASSERT_TRUE(d->pag && d->pag[0] && d->pag[0]->tot_sys >= 1);
    shown = d->por[d->sys[d->pag[0]->sys[1]]->por[1]]->tot_mes;
    ASSERT_GE(shown, 2);
    for (short i = 1; i < shown; i++) type(9);
    EXPECT_EQ(d->curseur_ma, shown);
    EXPECT_EQ(d->cur_mes, shown) << "the cursor's column is the first one shown";
    EXPECT_EQ(editor->lin_ok, 0);
}

TEST_F(StepCursor, ShortcutsPressTheNoteLeftOfTheBar) {
    // The palettes' shortcuts of the stem flip, the tie and the beam tool, lent for one key.
    const struct {
        short tool, key;
    } keys[] = {{tool::StemFlip, 'i'}, {tool::Tie, 'y'}, {tool::BeamBreak, 'g'}};
    for (const auto& k : keys)
        for (short p = 1; p <= pal->tot_pal; p++)
            for (short t = 1; pal->pal[p] && t <= pal->pal[p]->tot; t++)
                if (Outil* o = pal->pal[p]->outil[t]; o && o->id == k.tool) o->rc1 = k.key, o->mode = 3;
    CNote* a = score->note(1, 1, 14, 4);
    CNote* b = score->note(1, 1, 20, 4);
    a->x = 30, b->x = 50;
    CMeasure* m = at_measure(1, 1);
    ToolHandlers kept = tool_handlers;
    tool_handlers.point = tool_handlers.inverser = tool_handlers.liaison_tenue = tool_handlers.notes = spy_press;
    const short nx = (short)((b->x + m->x + 1) * editor->scalex - editor->ox);
    const auto ny = [&](short dy) { return (short)((m->y + dy + b->y) * editor->scaley - editor->oy); };
    struct Case {
        const char* what;
        short key;
        short flags, tool_seen, dy;
    } cases[] = {
        {"the dot", '.', EvfLeft, tool::Dot, 0},
        {"the stem flip", 'i', EvfLeft, tool::Quarter, -2},
        {"the tie", 'y', EvfLeft, tool::Quarter, -2},
        {"two unbeamed notes: the pointer joins them with Ctrl", 'g', EvfLeft | EvfCtrl, tool::Pointer, -2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        score->d->curseur_x = 60;
        presses.clear();
        EXPECT_EQ(type(c.key), 1);
        ASSERT_EQ(presses.size(), 1u);
        EXPECT_EQ(presses[0].x, nx);
        EXPECT_EQ(presses[0].y, ny(c.dy));
        EXPECT_EQ(presses[0].flags, c.flags);
        if (c.tool_seen != tool::Dot) {
            EXPECT_EQ(presses[0].tool, c.tool_seen);
        }
        EXPECT_EQ(pal->get_tool(), tool::Quarter) << "the tool is back";
    }
    // In one beam group the beam tool breaks it at the later note.
    a->gid = b->gid = 7;
    score->d->curseur_x = 60;
    presses.clear();
    type('g');
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_EQ(presses[0].flags, EvfLeft);
    EXPECT_EQ(presses[0].tool, tool::BeamBreak);
    // The dot moves the bar 3 right; nothing left of the bar: nothing pressed.
    score->d->curseur_x = 60;
    type('.');
    EXPECT_EQ(bar(), 63);
    score->d->curseur_x = 22;
    presses.clear();
    type('i');
    EXPECT_TRUE(presses.empty());
    tool_handlers = kept;
}

// The composition assistant hands the cursor a note built for a treble staff: the cursor places
// it for the clef in force, where its own middle C stands, and keeps its value and stem.
namespace {
CNote* prepared_for_cursor = nullptr;
}

TEST(StepCursorPlacement, ANoteForATrebleStaffMovesByTheClefsSteps) {
    struct Row {
        short clef, treble_y, y;
    };
    // Treble 1 keeps it; bass 2 puts it twelve steps lower on the page of steps (36 units up).
    const Row rows[] = {{1, 30, 30}, {2, 30, -6}, {2, 66, 30}, {0, 30, 30}, {99, 30, 30}};
    for (const Row& r : rows) EXPECT_EQ(place_for_clef(r.treble_y, r.clef), r.y) << r.clef;
}

TEST_F(StepCursor, ThePreparedNoteIsTakenAndPlacedForTheClefInForce) {
    const short clefs[][2] = {{2, 1}, {3, 2}};  // column, clef
    for (const auto& c : clefs) {
        const short column = c[0], clef = c[1];
        score->clef(column, 1, clef);
        score->d->curseur_ma = column;
        score->d->curseur_x = 22;
        // The cursor's own middle C under this clef.
        ASSERT_EQ(type('3'), 1);
        std::vector<CNote*> own = items<CNote>(column, 1);
        ASSERT_EQ(own.size(), 1u);
        const short middle_c = own[0]->y;
        // The assistant's middle C, a sixteenth with its stem of 25, built for a treble staff.
        prepared_for_cursor = new CNote;
        prepared_for_cursor->pitch = 60;
        prepared_for_cursor->y = 30;
        prepared_for_cursor->rythm = 5;
        prepared_for_cursor->height = 25;
        prepared_for_cursor->voice = 2;
        step_cursor_hooks.take_prepared_note = []() -> CNote* {
            CNote* n = prepared_for_cursor;
            prepared_for_cursor = nullptr;
            return n;
        };
        ASSERT_EQ(type('3'), 1);
        step_cursor_hooks = default_step_cursor_hooks();
        EXPECT_EQ(prepared_for_cursor, nullptr) << "taken";
        std::vector<CNote*> n = items<CNote>(column, 1);
        ASSERT_EQ(n.size(), 2u) << clef;
        CNote* taken = n[0]->rythm == 5 ? n[0] : n[1];
        EXPECT_EQ(taken->pitch, 60);
        EXPECT_EQ(taken->y, middle_c) << "clef " << clef;
        EXPECT_EQ(taken->rythm, 5);
        EXPECT_EQ(taken->x, 36) << "at the bar, after the first note";
    }
}
