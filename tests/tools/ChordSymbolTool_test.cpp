// The chord-symbol tool: the time a new symbol takes, who follows a dragged symbol, placing a
// symbol through the chord chooser, editing and erasing with the chords of the progression kept
// while another symbol shows them.
#include "ToolBench.h"

#include "score/CChord.h"
#include "score/CChordLibrary.h"
#include "score/CChordProgression.h"
#include "framework/Vector.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "tools/ScoreDispatchChordUse.h"

TEST(ChordSymbolDecisions, TheTimeIsTakenToTheNearestBeatInsideTheMeasure) {
    struct Case {
        int t;
        short beat, beats, offset;
    } cases[] = {
        {0, 480, 4, 0},      {239, 480, 4, 0},       {240, 480, 4, 480},  {720, 480, 4, 960},
        {1679, 480, 4, 1440}, {1680, 480, 4, 1920},  {2600, 480, 4, 1920}, {-500, 480, 4, 0},
        {100, 240, 6, 0},    {130, 240, 6, 240},     {1400, 240, 6, 1440}, {5000, 240, 6, 1440},
        {700, 0, 4, 0},      // a measure without beats
    };
    for (const Case& c : cases) EXPECT_EQ(chord_symbol_offset(c.t, c.beat, c.beats), c.offset) << c.t << " " << c.beat;
}

TEST(ChordSymbolDecisions, TheSpreadOfAVerticalMoveByModifiers) {
    struct Case {
        bool shift, ctrl, measure, staff, part;
    } cases[] = {
        {false, false, true, false, true},
        {true, false, true, false, false},
        {false, true, true, true, false},
        {true, true, false, false, false},
    };
    for (const Case& c : cases) {
        const SymbolSpread s = spread_for(c.shift, c.ctrl);
        EXPECT_EQ(s.measure, c.measure) << c.shift << c.ctrl;
        EXPECT_EQ(s.staff, c.staff) << c.shift << c.ctrl;
        EXPECT_EQ(s.part, c.part) << c.shift << c.ctrl;
    }
}

namespace {

// The scripted chooser: takes the chord it is asked about, gives it `tonic` and moves it to
// `move_to` (-1 keeps the offset); answers `confirm`.
struct Script {
    short tonic = 2, move_to = -1, confirm = 1, calls = 0, asked_offset = -1, asked_tonic = -1;
};
Script script;
short scripted(CChordLibrary*, short* offset, CChord* chord, short, short) {
    script.calls++;
    script.asked_offset = *offset;
    script.asked_tonic = chord->tonic;
    if (!script.confirm) return 0;
    chord->tonic = script.tonic;
    if (script.move_to >= 0) *offset = script.move_to;
    return 1;
}

class ChordSymbolTool : public ToolBench {
protected:
    void SetUp() override {
        ToolBench::SetUp();
        make_score(2, 3);
        open_score();
        score->d->sub_doc[score->d->cur_sub_doc].actif_just = 0;
        saved = chord_services;
        chord_services.choose_chord = scripted;
        script = Script{};
        if (!chord_library) chord_library = own_library = new CChordLibrary;
        pal->set_tool(tool::ChordSymbol, 0);
    }
    void TearDown() override {
        chord_services = saved;
        if (own_library) {
            delete own_library;
            chord_library = nullptr;
        }
        ToolBench::TearDown();
    }
    CChordProgression* prog() { return score->d->sub_doc[score->d->cur_sub_doc].chprog; }
    CChordUse* symbol(short column, short staff, short x, short y, short offset) {
        CChordUse* u = new CChordUse;
        u->x = x, u->y = y, u->offset = offset;
        at_measure(column, staff)->add(u);
        return u;
    }
    void store(short column, short offset, short tonic) {
        CChord c;
        c.tonic = tonic;
        prog()->set_chord(column, offset, &c);
    }
    // A press in the middle of symbol u's drawing (that of the library's default symbol).
    Gesture on(short column, short staff, const CChordUse* u, short flags = 0) {
        double dx = 1, dy = 1;
        if (Vect_dessin* d = chord_library->create_chord_symbol(nullptr)) {
            dx = -d->ox + (d->x2 - d->x1) / 2.0;
            dy = -d->oy + (d->y2 - d->y1) / 2.0;
            delete_vect_dessin(d);
        }
        return press(column, staff, u->x + dx, u->y + dy, flags);
    }
    // A double click on symbol u, as the window system hands it to the score panel.
    short double_click(short column, short staff, const CChordUse* u) {
        double dx = 1, dy = 1;
        if (Vect_dessin* d = chord_library->create_chord_symbol(nullptr)) {
            dx = -d->ox + (d->x2 - d->x1) / 2.0;
            dy = -d->oy + (d->y2 - d->y1) / 2.0;
            delete_vect_dessin(d);
        }
        const platform::Point p = panel_point(column, staff, u->x + dx, u->y + dy);
        Event e;
        e.type = EvPress;
        e.flags = EvfLeft | EvfDouble;
        e.x = (short)p.x, e.y = (short)p.y;
        return editor->dispatch(&e);
    }
    void erase(short column, short staff, const CChordUse* u) {
        double dx = 1, dy = 1;
        if (Vect_dessin* d = chord_library->create_chord_symbol(nullptr)) {
            dx = -d->ox + (d->x2 - d->x1) / 2.0;
            dy = -d->oy + (d->y2 - d->y1) / 2.0;
            delete_vect_dessin(d);
        }
        key_over(column, staff, u->x + dx, u->y + dy, 8);
    }
    ChordServices saved;
    CChordLibrary* own_library = nullptr;
};

}  // namespace

TEST_F(ChordSymbolTool, APlacedSymbolTakesItsBeatAndStoresTheChosenChord) {
    ASSERT_NE(prog(), nullptr);
    click(2, 1, 80, -10);  // above the staff, in the middle of the measure
    std::vector<CChordUse*> placed = items<CChordUse>(2, 1);
    ASSERT_EQ(placed.size(), 1u);
    EXPECT_EQ(script.calls, 1);
    EXPECT_EQ(placed[0]->x, 80);
    EXPECT_EQ(placed[0]->y, chord_library->default_pos);
    EXPECT_EQ(placed[0]->offset % 480, 0);
    const short i = prog()->get_chord_index(2, placed[0]->offset, 1);
    ASSERT_NE(i, 0);
    EXPECT_EQ(prog()->get_chord(i)->tonic, 2);
    std::vector<Level> l = levels();
    ASSERT_EQ(l.size(), 1u);
    EXPECT_EQ(l[0].opid, chord_symbol_undo::Edited);
    EXPECT_EQ(l[0].kinds, (std::vector<short>{2, chord_symbol_undo::kKindProgression})) << "the measure and the chords";
    // A second symbol in the measure takes the height of the last one.
    placed[0]->y = -20;
    click(2, 1, 130, -10);
    ASSERT_EQ(items<CChordUse>(2, 1).size(), 2u);
    EXPECT_EQ(items<CChordUse>(2, 1)[1]->y, -20);
    // Cancelled: no symbol, no level; the pointer places nothing.
    script.confirm = 0;
    click(3, 1, 80, -10);
    EXPECT_TRUE(items<CChordUse>(3, 1).empty());
    EXPECT_EQ(levels().size(), 2u);
    script.confirm = 1;
    pal->set_tool(tool::Pointer, 0);
    click(3, 1, 80, -10);
    EXPECT_TRUE(items<CChordUse>(3, 1).empty());
}

TEST_F(ChordSymbolTool, ErasingOneOfTwoSymbolsOfAChordKeepsIt) {
    store(1, 0, 5);
    store(2, 0, 7);
    CChordUse* upper = symbol(2, 1, 40, -12, 0);
    CChordUse* lower = symbol(2, 2, 40, -12, 0);
    erase(2, 1, upper);
    EXPECT_TRUE(items<CChordUse>(2, 1).empty());
    EXPECT_NE(prog()->get_chord_index(2, 0, 1), 0) << "the other part still shows it";
    EXPECT_EQ(levels().back().opid, chord_symbol_undo::Erased);
    erase(2, 2, lower);
    EXPECT_TRUE(items<CChordUse>(2, 2).empty());
    EXPECT_EQ(prog()->get_chord_index(2, 0, 1), 0) << "the only symbol went: its chord too";
    EXPECT_EQ(prog()->get_chord(prog()->get_chord_index(2, 0, 0))->tonic, 5) << "the chord before is in force";
    EXPECT_EQ(levels().back().kinds, (std::vector<short>{2, chord_symbol_undo::kKindProgression}));
}

TEST_F(ChordSymbolTool, AnEditMovesTheChordAndRemovesOnlyWhatTheSymbolShowed) {
    store(2, 0, 5);
    CChordUse* u = symbol(2, 1, 40, -12, 0);
    CChordUse* other = symbol(2, 2, 40, -12, 0);
    // Moved to the third beat: the chord at 0 stays, the other part's symbol still shows it.
    script.move_to = 960;
    script.tonic = 9;
    last_ma = 2;
    ASSERT_EQ(edit_chord_use(u, prog(), 0), 1);
    EXPECT_EQ(script.asked_tonic, 5) << "the chooser opens on the chord shown";
    EXPECT_EQ(u->offset, 960);
    ASSERT_NE(prog()->get_chord_index(2, 960, 1), 0);
    EXPECT_EQ(prog()->get_chord(prog()->get_chord_index(2, 960, 1))->tonic, 9);
    EXPECT_NE(prog()->get_chord_index(2, 0, 1), 0);
    // The other symbol moved too: now nothing shows the chord at 0, which goes.
    script.move_to = 480;
    last_ma = 2;
    ASSERT_EQ(edit_chord_use(other, prog(), 0), 1);
    EXPECT_EQ(prog()->get_chord_index(2, 0, 1), 0);
    EXPECT_NE(prog()->get_chord_index(2, 480, 1), 0) << "the chord just stored stays";
    EXPECT_NE(prog()->get_chord_index(2, 960, 1), 0);
}

TEST_F(ChordSymbolTool, ADragMovesTheSymbolAndThePartFollowsByModifiers) {
    CChordUse* a = symbol(1, 1, 40, -12, 0);
    CChordUse* b = symbol(1, 1, 100, -12, 960);
    CChordUse* c = symbol(3, 1, 40, -12, 0);
    CChordUse* d = symbol(2, 2, 40, -12, 0);
    on(1, 1, a).move(10, -4).release();
    EXPECT_EQ(a->x, 50);
    EXPECT_EQ(a->y, -16);
    EXPECT_EQ(b->y, -16) << "the measure follows";
    EXPECT_EQ(c->y, -16) << "the part follows";
    EXPECT_EQ(d->y, -12) << "another part does not";
    EXPECT_EQ(b->x, 100);
    EXPECT_EQ(a->offset, 0) << "a drag keeps the time";
    EXPECT_EQ(levels().back().opid, chord_symbol_undo::Moved);
    on(1, 1, a, EvfShift | EvfCtrl).move(0, 6).release();
    EXPECT_EQ(a->y, -10);
    EXPECT_EQ(b->y, -16);
    on(1, 1, a, EvfShift).move(0, 2).release();
    EXPECT_EQ(b->y, -14);
    EXPECT_EQ(c->y, -16);
}
