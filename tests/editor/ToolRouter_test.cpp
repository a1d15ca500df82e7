// The router's contract with the tool handlers, as one table: for a tool, an event and what
// each handler answers (and whether it touched a measure), which handlers run in which order
// with which tool and erase mode, how many undo levels the press leaves, whether the touched
// measure column is re-justified, and the tool and erase mode once the event is over.
#include "EditorFixture.h"

#include <string>
#include <vector>

#include "editor/ToolDispatch.h"
#include "framework/CUndoManager.h"
#include "framework/Event.h"
#include "layout/ScoreUndo.h"
#include "score/MusicGlobals.h"
#include "score/ToolNumbers.h"
#include "score/ToolsManager.h"

namespace {

// What a stand-in handler does: its answer, and whether it touched measure 1 of staff 1 first
// (recorded it in the press's undo level and named it the last touched measure, as a tool does
// before a change).
struct Act {
    short answer = tool_result::NotMine;
    bool touches = false;
};
constexpr Act answers(short a) { return {a, false}; }
constexpr Act touches(short a) { return {a, true}; }

enum Name { tetes, enharmonie, voix, librairies, texte, chord_use, disposition, selection, paroles, symbole,
            mesure, clefs, liaison_tenue, temps, notes, inverser, silences, accord, point, hauteurs, alterations,
            bouger_alterations, armures, reprises, nolet, curseur, kHandlers };

// One handler run: which, with the tool and erase mode current while it ran.
struct HandlerRun {
    Name handler;
    short tool, erase;
    bool operator==(const HandlerRun& o) const { return handler == o.handler && tool == o.tool && erase == o.erase; }
};
std::ostream& operator<<(std::ostream& os, const HandlerRun& r) {
    return os << "{" << r.handler << ", tool " << r.tool << ", erase " << r.erase << "}";
}

Act script[kHandlers];
std::vector<HandlerRun> runs;
void** touched_slot = nullptr;
CUndoManager* router_undo = nullptr;

template <int N>
short stand_in(Editeur*, Event*) {
    runs.push_back({(Name)N, pal->get_tool(), pal->get_erase_tool()});
    const Act& a = script[N];
    if (a.touches) {
        router_undo->set_operation(1, 1);
        router_undo->add_obj(touched_slot, 2, 0, 0);
        last_ma = 1, last_pa = 1;
    }
    return a.answer;
}

class ToolRouter : public EditorFixture {
protected:
    static constexpr short kStaves = 3;

    void SetUp() override {
        EditorFixture::SetUp();
        saved = tool_handlers;
        saved_undo = undo_active;
        undo_active = 1;
        tool_handlers = {stand_in<0>,  stand_in<1>,  stand_in<2>,  stand_in<3>,  stand_in<4>,  stand_in<5>,
                         stand_in<6>,  stand_in<7>,  stand_in<8>,  stand_in<9>,  stand_in<10>, stand_in<11>,
                         stand_in<12>, stand_in<13>, stand_in<14>, stand_in<15>, stand_in<16>, stand_in<17>,
                         stand_in<18>, stand_in<19>, stand_in<20>, stand_in<21>, stand_in<22>, stand_in<23>,
                         stand_in<24>, stand_in<25>};
        if (!pal) pal = own = new CToolsManager;
        make_score(kStaves, 4);
        open();
        Document* d = score->d;
        d->local_just = 0;  // a re-justification records the column's other staves
        for (short i = 1; i <= d->max_mes; i++)
            if (d->mes[i] == score->measure(1, 1)) touched_slot = reinterpret_cast<void**>(&d->mes[i]);
        router_undo = editor->undo;
    }
    void TearDown() override {
        tool_handlers = saved;
        undo_active = saved_undo;
        if (own) {
            delete own;
            pal = nullptr;
        }
        EditorFixture::TearDown();
    }

    // With undo switched off for a moment, the manager drops its history.
    void empty_history() {
        undo_active = 0;
        editor->undo->new_level(0, 0);
        undo_active = 1;
    }

    ToolHandlers saved{};
    short saved_undo = 0;
    CToolsManager* own = nullptr;
};

}  // namespace

TEST_F(ToolRouter, HandlersResultsUndoAndRejustificationByTool) {
    using namespace tool;
    using R = HandlerRun;
    constexpr short HandOn = tool_result::HandOn, NotMine = tool_result::NotMine, Handled = tool_result::Handled,
                    Respace = tool_result::HandledRespace;
    struct Case {
        const char* what;
        short tool, flags;
        std::vector<std::pair<Name, Act>> acts;  // the others answer 0 and touch nothing
        std::vector<HandlerRun> runs;
        size_t levels;   // undo levels after the press
        bool respaced;   // the touched column re-justified (its other staves recorded)
        bool cursor = false;
        bool actif_just = true;
    } cases[] = {
        {"a note entered", Quarter, EvfLeft, {{notes, touches(Handled)}}, {R{notes, Quarter, 0}}, 1, true},
        {"nothing hit", Quarter, EvfLeft, {}, {R{notes, Quarter, 0}}, 0, false},
        {"re-justifying off", Quarter, EvfLeft, {{notes, touches(Handled)}}, {R{notes, Quarter, 0}}, 1, false, false, false},
        {"handled without touching", Quarter, EvfLeft, {{notes, answers(Handled)}}, {R{notes, Quarter, 0}}, 0, false},
        {"a rest under the note tool", Quarter, EvfLeft, {{notes, answers(HandOn)}, {silences, touches(Handled)}},
         {R{notes, Quarter, 0}, R{silences, Pointer, 0}}, 1, true},
        {"handed on and declined", Half, EvfLeft, {{notes, answers(HandOn)}, {silences, answers(HandOn)}},
         {R{notes, Half, 0}, R{silences, Pointer, 0}}, 0, false},
        {"Control: the note tool alone", Eighth, EvfLeft | EvfCtrl, {{notes, answers(HandOn)}}, {R{notes, Eighth, 0}}, 0, false},
        {"Shift: the rest of the value", Eighth, EvfLeft | EvfShift, {{silences, touches(Handled)}},
         {R{silences, RestEighth, 0}}, 1, true},
        {"a note under the rest tool", RestHalf, EvfLeft, {{silences, answers(HandOn)}, {notes, touches(Handled)}},
         {R{silences, RestHalf, 0}, R{notes, Pointer, 0}}, 1, true},
        {"rests wait while the cursor is on", RestHalf, EvfLeft, {}, {R{curseur, RestHalf, 0}}, 0, false, true},
        {"the beam tool", BeamBreak, EvfLeft, {{notes, touches(Handled)}}, {R{notes, BeamBreak, 0}}, 1, true},
        {"the stem flip does not re-justify", StemFlip, EvfLeft, {{inverser, touches(Handled)}}, {R{inverser, StemFlip, 0}}, 1, false},
        {"dots re-justify", Dot, EvfLeft, {{point, touches(Handled)}}, {R{point, Dot, 0}}, 1, true},
        {"ties do not", Tie, EvfLeft, {{liaison_tenue, touches(Handled)}}, {R{liaison_tenue, Tie, 0}}, 1, false},
        {"voices do not", VoiceLast, EvfLeft, {{voix, touches(Handled)}}, {R{voix, VoiceLast, 0}}, 1, false},
        {"the eraser: only a 1 of the rests counts", Eraser, EvfLeft,
         {{notes, answers(NotMine)}, {silences, answers(Respace)}, {clefs, touches(Handled)}},
         {R{notes, Eraser, 1}, R{silences, Eraser, 1}, R{clefs, Eraser, 1}}, 1, true},
        {"the pointer: a time signature only marks handled", Pointer, EvfLeft,
         {{notes, answers(HandOn)}, {silences, answers(NotMine)}, {clefs, answers(NotMine)}, {temps, touches(Handled)}},
         {R{notes, Pointer, 0}, R{silences, Pointer, 0}, R{clefs, Pointer, 0}, R{temps, Pointer, 0}}, 1, false},
        {"a symbol asks for re-justification", SymbolFirst, EvfLeft, {{symbole, touches(Respace)}},
         {R{symbole, SymbolFirst, 0}}, 1, true},
        {"a symbol that just handles", SymbolFirst, EvfLeft, {{symbole, touches(Handled)}}, {R{symbole, SymbolFirst, 0}}, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (Act& a : script) a = {};
        for (const auto& [name, act] : c.acts) script[name] = act;
        runs.clear();
        empty_history();
        score->d->curseur = c.cursor;
        score->d->sub_doc[score->d->cur_sub_doc].actif_just = c.actif_just;
        pal->set_tool(c.tool, 0);
        Event e;
        e.type = EvPress;
        e.flags = c.flags;
        e.x = 300, e.y = 40;
        EXPECT_EQ(editor->dispatch(&e), 1);
        EXPECT_EQ(runs, c.runs);
        ASSERT_EQ((size_t)editor->undo->total(), c.levels);
        if (c.levels) {
            const short slots = editor->undo->get(1)->loc_obj.total();
            EXPECT_EQ(slots, c.respaced ? kStaves : 1) << "the column's other staves are recorded when re-justified";
        }
        EXPECT_EQ(pal->get_tool(), c.tool) << "the tool of the palette is back";
        EXPECT_EQ(pal->get_erase_tool(), 0) << "the erase mode lasts one event";
        EXPECT_EQ(editor->offset, 0);
    }
    score->d->curseur = 0;
}

TEST_F(ToolRouter, BackspaceErasesWithTheCurrentToolForOneEvent) {
    for (Act& a : script) a = {};
    script[notes] = touches(tool_result::Handled);
    pal->set_tool(tool::Quarter, 0);
    // The pointer over the score panel, then Backspace.
    short gx = 300, gy = 40;
    editor->up->local_to_global(&gx, &gy);
    wm->inject_mouse_move({gx, gy});
    for (int i = 0; i < 50; i++) {
        platform::Message m;
        if (!wm->peek_message(m, false)) break;
        application->idle();
    }
    runs.clear();
    Event key;
    key.type = EvKey;
    key.value = 8;
    EXPECT_EQ(editor->dispatch(&key), 1);
    EXPECT_EQ(runs, (std::vector<HandlerRun>{{notes, tool::Quarter, 1}}));
    EXPECT_EQ(pal->get_tool(), tool::Quarter);
    EXPECT_EQ(pal->get_erase_tool(), 0);
    // The next press is a plain one.
    runs.clear();
    Event press;
    press.type = EvPress;
    press.flags = EvfLeft;
    press.x = 300, press.y = 40;
    editor->dispatch(&press);
    EXPECT_EQ(runs, (std::vector<HandlerRun>{{notes, tool::Quarter, 0}}));
}

TEST_F(ToolRouter, APressNothingTookDragsThePageOnlyInThePageView) {
    for (Act& a : script) a = {};
    pal->set_tool(tool::Quarter, 0);
    Event e;
    e.type = EvPress;
    e.flags = EvfLeft;
    e.x = 300, e.y = 40;
    editor->dispatch(&e);
    EXPECT_EQ(editor->moving, 0) << "the linear view has no page to drag";
    score->d->cur_pag = 1;
    editor->dispatch(&e);
    EXPECT_EQ(editor->moving, 1);
    editor->moving = 0;
    script[notes] = touches(tool_result::Handled);
    editor->dispatch(&e);
    EXPECT_EQ(editor->moving, 0) << "a press a tool took drags nothing";
    score->d->cur_pag = 0;
}
