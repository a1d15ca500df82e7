// Every click and key of the score panel reaches the tool of the moment; the context menus of
// notes and rests carry out their commands, each as one undo level.
#include "EditorFixture.h"

#include <vector>

#include "../layout/UndoRecording.h"
#include "editor/NoteRestMenus.h"
#include "platform/Menu.h"
#include "editor/ToolDispatch.h"
#include "framework/CUndoManager.h"
#include "framework/Event.h"
#include "layout/ScoreUndo.h"
#include "score/ScoreItems.h"
#include "score/ToolsManager.h"

namespace {

// Which handler ran (its field's place in the table), with the tool current while it ran, the
// erase mode and the event's point.
struct Call {
    int handler;
    short tool, erase, x, y;
};
std::vector<Call> calls;
short answers[26];

template <int N>
short recorder(Editeur*, Event* e) {
    calls.push_back({N, pal->get_tool(), pal->get_erase_tool(), e->x, e->y});
    e->x = 999;  // a later try must see the click's own point again
    return answers[N];
}

enum Name { tetes, enharmonie, voix, librairies, texte, chord_use, disposition, selection, paroles, symbole,
            mesure, clefs, liaison_tenue, temps, notes, inverser, silences, accord, point, hauteurs, alterations,
            bouger_alterations, armures, reprises, nolet, curseur };

class ToolDispatch : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        saved = tool_handlers;
        tool_handlers = {recorder<0>,  recorder<1>,  recorder<2>,  recorder<3>,  recorder<4>,  recorder<5>,
                         recorder<6>,  recorder<7>,  recorder<8>,  recorder<9>,  recorder<10>, recorder<11>,
                         recorder<12>, recorder<13>, recorder<14>, recorder<15>, recorder<16>, recorder<17>,
                         recorder<18>, recorder<19>, recorder<20>, recorder<21>, recorder<22>, recorder<23>,
                         recorder<24>, recorder<25>};
        for (short& a : answers) a = 0;
        calls.clear();
        if (!pal) pal = own = new CToolsManager;
        make_score(1, 4);
        open();
    }
    void TearDown() override {
        tool_handlers = saved;
        if (own) {
            delete own;
            pal = nullptr;
        }
        EditorFixture::TearDown();
    }
    short click(short tool, short flags = EvfLeft) {
        pal->set_tool(tool, 0);
        calls.clear();
        Event e;
        e.type = EvPress;
        e.flags = flags;
        e.x = 30, e.y = 40;
        return editor->dispatch(&e);
    }
    std::vector<int> handlers() const {
        std::vector<int> h;
        for (const Call& c : calls) h.push_back(c.handler);
        return h;
    }
    ToolHandlers saved{};
    CToolsManager* own = nullptr;
};

}  // namespace

TEST_F(ToolDispatch, EachToolReachesItsHandler) {
    struct Case {
        short tool;
        std::vector<int> handlers;
    } cases[] = {
        {80, {tetes}},      {41, {enharmonie}},  {70, {voix}},        {79, {voix}},        {38, {librairies}},
        {62, {texte}},      {2, {chord_use}},    {61, {disposition}}, {57, {selection}},   {58, {paroles}},
        {60, {paroles}},    {2000, {symbole}},   {5999, {symbole}},   {1, {mesure}},       {50, {clefs}},
        {54, {liaison_tenue}}, {13, {temps}},    {9, {notes}},        {20, {notes}},       {17, {notes}},
        {14, {inverser}},   {25, {silences}},    {19, {accord}},      {21, {point}},       {18, {hauteurs}},
        {31, {alterations}}, {36, {alterations}}, {37, {bouger_alterations}}, {43, {armures}},
        {55, {reprises}},   {44, {nolet}},       {0, {}},             {3, {}},             {45, {}},
        {82, {}},           {6000, {}},
        // The pointer tries the whole chain when nobody takes the click.
        {16, {notes, silences, clefs, temps, armures, nolet, bouger_alterations, hauteurs, symbole, texte,
              chord_use, librairies, paroles, mesure}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(click(c.tool), 1) << c.tool;
        EXPECT_EQ(handlers(), c.handlers) << "tool " << c.tool;
        EXPECT_EQ(pal->get_tool(), c.tool) << "the tool is back";
        // The table answers the same first handler.
        ToolHandler h = handler_of_tool(c.tool);
        EXPECT_EQ(h != nullptr, !c.handlers.empty()) << c.tool;
        if (h) {
            Event e;
            calls.clear();
            h(editor, &e);
            EXPECT_EQ(calls.at(0).handler, c.handlers[0]) << c.tool;
        }
    }
}

TEST_F(ToolDispatch, ShiftClickOnANoteToolActsAsItsRestAndTheToolIsRestored) {
    struct Case {
        short tool, flags;
        std::vector<int> handlers;
        std::vector<short> tools;  // current during each handler
    } cases[] = {
        {9, EvfLeft | EvfShift, {silences}, {25}},
        {12, EvfLeft | EvfShift, {silences}, {22}},
        {5, EvfLeft | EvfShift, {silences}, {29}},
        {20, EvfLeft | EvfShift, {silences}, {30}},
        {9, EvfLeft | EvfCtrl, {notes}, {9}},
    };
    for (const Case& c : cases) {
        click(c.tool, c.flags);
        EXPECT_EQ(handlers(), c.handlers) << c.tool;
        std::vector<short> tools;
        for (const Call& k : calls) tools.push_back(k.tool);
        EXPECT_EQ(tools, c.tools) << c.tool;
        EXPECT_EQ(pal->get_tool(), c.tool) << "the note tool is current again";
    }
    // A note handler that declines (-1) hands the click to the rests with the pointer current.
    answers[notes] = -1;
    click(9);
    EXPECT_EQ(handlers(), (std::vector<int>{notes, silences}));
    EXPECT_EQ(calls[1].tool, 16);
    EXPECT_EQ(pal->get_tool(), 9);
}

TEST_F(ToolDispatch, TheEraserChainSeesTheClickPointAndOnlyAOneFromNotesCounts) {
    answers[notes] = 2;  // not exactly 1: the chain goes on
    answers[temps] = 1;
    click(81);
    EXPECT_EQ(handlers(), (std::vector<int>{notes, silences, clefs, temps}));
    for (const Call& c : calls) {
        EXPECT_EQ(c.erase, 1) << c.handler;
        EXPECT_EQ(c.x, 30) << c.handler;
    }
    EXPECT_EQ(pal->get_erase_tool(), 0) << "erase mode only for the click";
    EXPECT_EQ(pal->get_tool(), 81);
}

TEST_F(ToolDispatch, KeysAndRightClicks) {
    // A key while lyrics are typed goes to the lyrics, "j" included.
    pal->set_tool(58, 0);
    Event key;
    key.type = EvKey;
    key.value = 'j';
    EXPECT_EQ(editor->dispatch(&key), 1);
    EXPECT_EQ(handlers(), (std::vector<int>{paroles}));
    // A right click on nothing opens no menu.
    Event right;
    right.type = EvPress;
    right.flags = EvfRight;
    right.x = 5, right.y = 5;
    EXPECT_EQ(editor->dispatch(&right), 0);
    // Other event types are not taken.
    Event idle;
    idle.type = EvIdle;
    EXPECT_EQ(editor->dispatch(&idle), 0);
}

class NoteMenus : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        Document* d = make_score(1, 2);
        n = score->note(1, 1, 14, 4);  // a quaver
        n2 = score->note(1, 1, 11, 4);
        n->gid = n2->gid = 5;
        r = score->rest(1, 1, 3);
        r->point = 1;
        (void)d;
        open();
        undo = editor->undo;
        ASSERT_NE(undo, nullptr);
    }
    void TearDown() override {
        note_to_edit = nullptr, rest_to_edit = nullptr, measure_to_edit = 0;
        EditorFixture::TearDown();
    }
    short measure_index() { return score->d->por[score->d->sys[1]->por[1]]->mes[1]; }
    // Opens the menu on an object (as a right click on it would) and chooses `value`.
    void choose(CNote* note, CRest* rest, short value) {
        note_to_edit = note, rest_to_edit = rest, measure_to_edit = measure_index();
        Event e;
        e.type = EvMenuCommand;
        e.value = value;
        EXPECT_EQ(editor->dispatch(&e), 1);
    }
    CMeasure* measure() { return score->d->mes[measure_index()]; }
    UndoRecording recording;
    CNote* n = nullptr;
    CNote* n2 = nullptr;
    CRest* r = nullptr;
    CUndoManager* undo = nullptr;
};

TEST_F(NoteMenus, EachCommandIsOneUndoLevel) {
    struct Case {
        const char* what;
        short value;
        bool on_rest;
        short opid;
    } cases[] = {
        {"note to rest", 3, false, 0x47},
        {"value of a note", 7, false, 0x49},
        {"remove a dot of a rest", 13, true, 0x59},
        {"rest to note", 3, true, 0x48},
    };
    for (const Case& c : cases) {
        CMeasure* m = measure();
        CNote* note = nullptr;
        CRest* rest = nullptr;
        for (short i = 1; i <= m->total() && !note && !rest; i++) {
            if (!c.on_rest) note = m->get_note_item(i);
            else rest = m->get_rest_item(i);
        }
        ASSERT_TRUE(note || rest) << c.what;
        const short before = undo->total();
        choose(note, rest, c.value);
        EXPECT_EQ(undo->total(), before + 1) << c.what;
        EXPECT_EQ(undo->get(undo->level)->opid, c.opid) << c.what;
        EXPECT_EQ(note_to_edit, nullptr);
        EXPECT_EQ(measure_to_edit, 0);
        EXPECT_EQ(score->d->modif, 1);
    }
}

TEST_F(NoteMenus, ValueChangesAndDots) {
    // A beamed quaver made a crotchet leaves its group.
    choose(n, nullptr, 4 + 2);
    EXPECT_EQ(n->rythm, 2);
    EXPECT_EQ(n->gid, 0);
    // A recorded length follows the value; 32000 (none) stays.
    n2->rec_length = 240;
    choose(n2, nullptr, 4 + 3);
    EXPECT_EQ(n2->rec_length, 480);
    n->rec_length = 32000;
    choose(n, nullptr, 4 + 3);
    EXPECT_EQ(n->rec_length, 32000);
    // A chord note loses a dot on every dotted note of its chord.
    n->cid = n2->cid = 4;
    n->point = 1, n2->point = 2;
    choose(n, nullptr, 13);
    EXPECT_EQ(n->point, 0);
    EXPECT_EQ(n2->point, 1);
    // A value too long for the voice beeps and changes nothing, with no level.
    const short before = undo->total();
    const int beeps = beep_count;
    choose(n, nullptr, 4 + 0);  // a breve in a 4/4 measure
    EXPECT_EQ(n->rythm, 3);
    EXPECT_EQ(undo->total(), before);
    EXPECT_GT(beep_count, beeps);
    EXPECT_EQ(measure_to_edit, 0);
    // Play parameters without their dialog count as cancelled: no level is left.
    choose(n, nullptr, 1);
    EXPECT_EQ(undo->total(), before);
}

// Play parameters confirmed: one undo level holding the measure as it was, the chord's
// other notes take the beam and stem flags; cancelled: no level and nothing changed.
TEST_F(NoteMenus, PlayParametersAreOneUndoLevelWhenConfirmed) {
    const NoteMenuHooks saved = note_menu_hooks;
    static short answer;
    note_menu_hooks.edit_play_parameters = [](CNote* note) -> short {
        if (answer) note->rec_vel = 33, note->flags = (short)((note->flags & ~0xE0) | 0x80);
        return answer;
    };
    n->cid = n2->cid = 7;
    const short before = undo->total();
    answer = 0;
    choose(n, nullptr, 1);
    EXPECT_EQ(undo->total(), before);
    EXPECT_EQ(n->rec_vel, -1);
    answer = 1;
    choose(n, nullptr, 1);
    ASSERT_EQ(undo->total(), before + 1);
    EXPECT_EQ(undo->get(undo->level)->opid, 0x46);
    EXPECT_EQ(n->rec_vel, 33);
    EXPECT_EQ(n2->flags & 0xE0, 0x80) << "the chord's other note";
    EXPECT_EQ(score->d->modif, 1);
    note_menu_hooks = saved;
}

namespace {

// A right click on a note opens its menu, which stays on screen until a choice comes back.
TEST_F(NoteMenus, ARightClickOnANoteLeavesItsMenuOpen) {
    CMeasure* m = measure();
    Event e;
    e.type = EvPress;
    e.flags = EvfRight;
    e.x = (short)((m->x + n->x) * editor->scalex - editor->ox);
    e.y = (short)((m->y + n->y) * editor->scaley - editor->oy);
    EXPECT_EQ(editor->dispatch(&e), 1);
    EXPECT_EQ(note_to_edit, n);
    ASSERT_TRUE(platform::menus_open());
    std::string first;
    platform::menu_item_text(platform::open_menu(0), 0, &first);
    EXPECT_EQ(first, "Param\xE8tres de jeu...");
    platform::close_menus();
}

// The context menus show the program's texts, not the "?" of a missing string.
TEST_F(NoteMenus, TheMenusHaveTheirTexts) {
    const struct {
        short n;
        const char* text;  // Windows-1252
    } cases[] = {
        {0xEC, "Param\xE8tres de jeu..."}, {0xED, "Changer la note"}, {0xEE, "En faire un silence"},
        {0xEF, "Carr\xE9" "e"},               {0xF3, "Croche"},          {0xF8, "Enlever un point"},
        {0xFA, "Changer le silence"},       {0xFB, "En faire une note"}, {0xFF, "Soupir"},
        {0x104, "Trente-deuxi\xE8me de soupir"},
    };
    for (const auto& c : cases) EXPECT_STREQ(gs(c.n), c.text) << c.n;
    for (short n = 0xEC; n <= 0x104; n++)
        if (n != 0xF9) {
            EXPECT_STRNE(gs(n), "?") << n;
            EXPECT_STRNE(gs(n), "") << n;
        }
    for (short n : {206, 207, 210, 211}) EXPECT_STRNE(gs(n), "") << n;
}

}  // namespace
