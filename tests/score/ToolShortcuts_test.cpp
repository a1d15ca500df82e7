// The current tool and the tools' shortcut keys, the symbol parameters with their defaults and
// inheritance, and symbols that follow their notes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ProgramFolder.h"
#include "ScoreFixture.h"
#include "framework/Bitmap.h"
#include "framework/Courbe.h"
#include "score/CSymbol.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/SymbolPlacement.h"
#include "score/ToolsManager.h"

namespace {

Outil* make_tool(short id, short rc1, short mode) {
    Outil* t = new Outil;
    std::snprintf(t->nom, sizeof t->nom, "t%d", id);
    t->id = id, t->rc1 = rc1, t->mode = mode;
    return t;
}

void add(CToolsManager& m, short id, std::vector<Outil*> tools) {
    Palette_outil* p = create_palette((short)tools.size(), nullptr);
    p->id = id;
    for (size_t i = 0; i < tools.size(); i++) p->outil[i + 1] = tools[i];
    m.add_palette(p);
}

std::vector<short> inverted;  // the tools whose cells were flipped, in order

struct Manager {
    Manager() {
        std::remove((folder.dir + "/MISC/TOOL.DEF").c_str());
        m = new CToolsManager;
        // Palette 1 (closed): 'q' crotchet select, 'z' tool 30 of mode 1 then 'z' tool 27 select.
        add(*m, 1, {make_tool(9, 'q', 2), make_tool(30, 'z', 1), make_tool(27, 'z', 2), make_tool(7, 'w', 4)});
        // Palette 2 (open in a window slot): 'q' is also the quaver here, spring-loaded.
        add(*m, 2, {make_tool(8, 'q', 3), make_tool(4, 'e', 2), make_tool(16, 'a', 2), make_tool(57, 's', 2),
                    make_tool(51, 'c', 2), make_tool(56, 'r', 2), make_tool(46, 'x', 3), make_tool(4, 'g', 3)});
        m->tid[3] = 2;
        inverted.clear();
        palette_window_hooks.inverser_tool = [](CToolsManager*, short id) { inverted.push_back(id); };
    }
    ~Manager() {
        palette_window_hooks = {};
        delete m;
    }
    ProgramFolder folder;
    CToolsManager* m;
};

}  // namespace

TEST(ToolShortcuts, StateMachine) {
    struct Case {
        const char* what;
        short tool, erase, in_shortcut, curseur;  // before
        std::vector<short> keys;                 // each key in turn (negative: going up)
        short result;                            // of the last key
        short after_tool, after_erase, after_in_shortcut, after_curseur;
        short after_cancel_tool, after_cancel_erase;  // after annuler_raccourci
    } cases[] = {
        {"Delete lends erase mode to the tool", 9, 0, 0, 0, {4}, 9, 9, 1, 1, 0, 9, 0},
        {"Backspace held: repeats keep the first saved state", 9, 0, 0, 0, {8, 8, 8}, 9, 9, 1, 1, 0, 9, 0},
        {"the open palette's tool wins", 16, 0, 0, 0, {'q'}, 8, 8, 0, 1, 0, 16, 0},
        {"a spring key repeated returns to the first tool", 16, 0, 0, 0, {'q', 'q', 'q'}, 8, 8, 0, 1, 0, 16, 0},
        {"mode 1 is skipped for a later select", 16, 0, 0, 0, {'z'}, -1, 27, 0, 0, 0, 27, 0},
        {"select and spring: the restored tool is the new one", 16, 0, 0, 0, {'w'}, 7, 7, 0, 1, 0, 7, 0},
        {"a key going up answers its tool, changing nothing", 16, 0, 0, 0, {-'q'}, 8, 16, 0, 0, 0, 16, 0},
        {"erase toggles", 9, 0, 0, 0, {'e'}, -1, 9, 1, 0, 0, 9, 1},
        {"erase twice", 9, 0, 0, 0, {'e', 'e'}, -1, 9, 0, 0, 0, 9, 0},
        {"spring erase", 9, 0, 0, 0, {'g'}, 9, 9, 1, 1, 0, 9, 0},
        {"pointer ends erase and step cursor", 9, 1, 0, 1, {'a'}, -1, 16, 0, 0, 0, 16, 0},
        {"step cursor toggles", 16, 0, 0, 0, {'c'}, -1, 16, 0, 0, 1, 16, 0},
        {"step cursor from the selection", 57, 0, 0, 0, {'c'}, -1, 16, 0, 0, 1, 16, 0},
        {"selection clears the step cursor", 16, 0, 0, 1, {'s'}, -1, 57, 0, 0, 0, 57, 0},
        {"marks toggle", 16, 0, 0, 0, {'r'}, -1, 16, 0, 0, 0, 16, 0},
        {"redraw by spring answers 0 and stays lent", 16, 0, 0, 0, {'x'}, 0, 16, 0, 1, 0, 16, 0},
        {"no shortcut", 16, 0, 0, 0, {'k'}, 0, 16, 0, 0, 0, 16, 0},
    };
    ScoreFixture score(1, 1);
    for (const Case& c : cases) {
        Manager tm;
        CToolsManager& m = *tm.m;
        m.tool = c.tool, m.erase_tool = c.erase, m.dans_raccourci = c.in_shortcut;
        score.d->curseur = c.curseur;
        short r = 0;
        for (short k : c.keys) r = m.get_tool_raccourci(k);
        EXPECT_EQ(r, c.result) << c.what;
        EXPECT_EQ(m.tool, c.after_tool) << c.what;
        EXPECT_EQ(m.erase_tool, c.after_erase) << c.what;
        EXPECT_EQ(m.dans_raccourci, c.after_in_shortcut) << c.what;
        EXPECT_EQ(score.d->curseur, c.after_curseur) << c.what;
        m.annuler_raccourci();
        EXPECT_EQ(m.tool, c.after_cancel_tool) << c.what;
        EXPECT_EQ(m.erase_tool, c.after_cancel_erase) << c.what;
        EXPECT_EQ(m.dans_raccourci, 0) << c.what;
    }
}

TEST(ToolShortcuts, HighlightsFollowTheTool) {
    ScoreFixture score(1, 1);
    Manager tm;
    CToolsManager& m = *tm.m;
    m.tool = 9;
    m.set_tool(27, 1);
    EXPECT_EQ(inverted, (std::vector<short>{9, 27}));
    inverted.clear();
    m.set_tool(16, 0);
    EXPECT_TRUE(inverted.empty());
    // Choosing the selection with the step cursor on flips the step cursor's cell and ends it.
    score.d->curseur = 1;
    EXPECT_EQ(m.choisir_outil(57), 1);
    EXPECT_EQ(inverted, (std::vector<short>{16, 57, 51}));
    EXPECT_EQ(score.d->curseur, 0);
    // The step cursor tool with no document is not taken.
    doc = nullptr;
    EXPECT_EQ(m.choisir_outil(51), 0);
    EXPECT_EQ(m.tool, 16) << "moved from the selection to the pointer";
    doc = score.d;
    m.dans_raccourci = 1, m.tool_avant = 9;
    EXPECT_EQ(m.get_hidden_tool(), 9);
}

TEST(SymbolParameters, DefaultsOverridesAndInheritance) {
    ProgramFolder folder;
    std::remove((folder.dir + "/MISC/TOOL.DEF").c_str());
    CToolsManager m;
    CToolsManager* saved = pal;
    pal = &m;
    short table[] = {0, 10, 20, 30, 40, 50, 60, 70};  // entries 1..7
    Jeu rule;
    rule.type = 2, rule.options = 0x0004 | 0x0008 | 0x0001 | 0x0010, rule.tot_mes = 1, rule.tot_temps = 2;
    rule.tot_fract = 3, rule.param1 = 90, rule.param2 = 7, rule.tot = 7, rule.tab = table;
    table[2] = 0x1234;
    Definition own, bare, heir, orphan, curve;
    own.id = 2001, own.options = 0x2000 | 0x4000, own.jeu = &rule, own.dx = -3, own.dy = 4, own.dw = 150;
    bare.id = 2002;
    heir.id = 2003, heir.sym_id = 2001;
    orphan.id = 2004, orphan.sym_id = 2999;
    Definition flagged_only;  // the bit without a chain: no rule
    flagged_only.id = 2005, flagged_only.options = 0x2000;
    Courbe* c = create_courbe(2);
    c->p[1] = {5, 6}, c->p[2] = {7, 8};
    curve.id = 2006, curve.type = 3, curve.gr = c;
    for (Definition* d : {&own, &bare, &heir, &orphan, &flagged_only, &curve}) m.add_definition(d);
    struct Case {
        Definition* def;
        short n, value;
    } cases[] = {
        {&own, 1, -3},   {&own, 2, 4},     {&own, 3, 150},   {&own, 7, 0},    {&own, 13, 1},   {&own, 14, 2},
        {&own, 15, 3},   {&own, 16, 2},    {&own, 17, 1},    {&own, 18, 2},   {&own, 19, 3},   {&own, 20, 2},
        {&own, 21, 90},  {&own, 22, 7},    {&own, 23, 0},    {&own, 24, 1},   {&own, 25, 0x1234}, {&own, 26, 40},
        {&own, 27, 60},  {&own, 28, 0},    {&own, 29, 0},    {&own, 30, 0},   {&own, 31, 0},   {&own, 34, 10},
        {&own, 35, 0x12}, {&own, 36, 0},   {&own, 0, 0},     {&own, -5, 0},
        {&bare, 14, 0},  {&bare, 15, 1},   {&bare, 16, 1},   {&bare, 20, 1},  {&bare, 21, 0},  {&bare, 13, 0},
        {&heir, 14, 2},  {&heir, 21, 90},  {&heir, 27, 60},  {&heir, 1, 0},
        {&orphan, 14, 0}, {&orphan, 15, 1},
        {&flagged_only, 14, 0}, {&flagged_only, 20, 1},
        {&curve, 7, 5},  {&curve, 8, 6},   {&curve, 10, 8},  {&curve, 11, 0}, {&curve, 12, 0},
    };
    for (const Case& k : cases) EXPECT_EQ(get_global_param(k.def, k.n), k.value) << k.def->id << " param " << k.n;
    // A table of eight entries reaches parameters 30 and 31.
    rule.tot = 8;
    short eight[] = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    rule.tab = eight;
    EXPECT_EQ(get_global_param(&own, 30), 8);
    EXPECT_EQ(get_global_param(&own, 31), 5);
    // Overrides: one entry per number, the last value; a freed entry (number 0) is reused.
    CSymbol s;
    s.set_local_param(2, 11);
    s.set_local_param(2, 12);
    EXPECT_EQ(s.param.total(), 1);
    EXPECT_EQ(s.get_local_param(&own, 2), 12);
    EXPECT_EQ(s.get_local_param(&own, 1), -3);
    s.set_local_param(36, 1);
    EXPECT_EQ(s.get_local_param(&own, 36), 1);
    s.param.set(0, 1);
    s.set_local_param(5, 9);
    EXPECT_EQ(s.param.get(1), 5);
    EXPECT_EQ(s.param.total(), 2);
    delete_courbe(c);
    curve.gr = nullptr;
    pal = saved;
}

TEST(SymbolFollowing, SymbolsFollowTheirNotes) {
    ProgramFolder folder;
    std::remove((folder.dir + "/MISC/TOOL.DEF").c_str());
    CToolsManager m;
    CToolsManager* saved = pal;
    pal = &m;
    Definition plain, follows, space, outside, up, down;
    plain.id = 2001, plain.dx = 2, plain.dy = -8, plain.pos_ver = 2;
    follows.id = 2002, follows.options = 0x0800 | 0x1000, follows.pos_ver = 2;
    space.id = 2003, space.options = 0x0080, space.pos_ver = 2;
    outside.id = 2004, outside.options = 0x0040, outside.type = 1;
    char* bitmap = create_bitmap(10, 10);
    outside.gr = bitmap;
    up.id = 2005, up.options = 0x0100, up.sym_id = 2006, up.dy = -5;
    down.id = 2006, down.dy = 30;
    for (Definition* d : {&plain, &follows, &space, &outside, &up, &down}) m.add_definition(d);

    struct Case {
        const char* what;
        short tool, p1, p2;        // the symbol and its place before
        short note_x, note_y, dir;  // the note after (before: x 40, y 12, stem up)
        short x, y, tool_after;
    } cases[] = {
        {"placed from the note", 2001, 0, 0, 50, 18, 0, 52, 10, 2001},
        {"keeps its offset", 2002, 47, 5, 50, 18, 0, 57, 11, 2002},
        {"into the space above", 2003, 0, 6, 40, 20, 0, 40, 20 - 0, 2003},
        {"out of the staff, above", 2004, 0, 0, 40, 4, 0, 40, -10, 2004},
        {"out of the staff, below", 2004, 0, 0, 40, 20, 0, 40, 24, 2004},
        {"stem down switches to the linked symbol", 2005, 0, 0, 40, 12, 1, 40, 42, 2006},
    };
    for (const Case& c : cases) {
        CMeasure mes;
        CNote* n = new CNote;
        n->x = c.note_x, n->y = c.note_y, n->dir = c.dir, n->sid = 7;
        mes.add(n);
        CSymbol* s = new CSymbol;
        s->tool_id = c.tool, s->note_id = 7;
        s->set_local_param(1, c.p1), s->set_local_param(2, c.p2);
        mes.add(s);
        EXPECT_EQ(deplacer_symbole(7, &mes, 40, 12, 21, 0, 1, 0, 0, nullptr, nullptr), 1) << c.what;
        Definition* d = m.get_definition(s->tool_id);
        EXPECT_EQ(s->tool_id, c.tool_after) << c.what;
        EXPECT_EQ(s->get_local_param(d, 1), c.x) << c.what;
        if (c.tool == 2003) {
            EXPECT_EQ(s->get_local_param(d, 2), 20) << "the note's own place is not above it";
        } else {
            EXPECT_EQ(s->get_local_param(d, 2), c.y) << c.what;
        }
    }
    // Into a space: a symbol at 6 above a note at 20 goes to 3; at 30 below it stays.
    for (auto [before, after] : {std::pair<short, short>{6, 3}, {30, 30}}) {
        CMeasure mes;
        CNote* n = new CNote;
        n->x = 40, n->y = 20, n->sid = 7;
        mes.add(n);
        CSymbol* s = new CSymbol;
        s->tool_id = 2003, s->note_id = 7;
        mes.add(s);
        space.dy = (short)(before - 20);
        deplacer_symbole(7, &mes, 40, 20, 21, 0, 1, 0, 0, nullptr, nullptr);
        EXPECT_EQ(s->get_local_param(&space, 2), after) << before;
    }
    // A chord: the symbol of pos_acc 1 goes to the topmost note, with the sid.
    CMeasure chord;
    CNote* low = new CNote;
    low->x = 40, low->y = 18, low->cid = 3, low->sid = 9;
    CNote* high = new CNote;
    high->x = 40, high->y = 6, high->cid = 3;
    chord.add(low);
    chord.add(high);
    plain.pos_acc = 1;
    CSymbol* s = new CSymbol;
    s->tool_id = 2001, s->note_id = 9;
    chord.add(s);
    deplacer_symbole(9, &chord, 40, 18, 21, 0, 1, 0, 0, nullptr, nullptr);
    EXPECT_EQ(low->sid, 0);
    EXPECT_EQ(high->sid, 9);
    EXPECT_EQ(s->get_local_param(&plain, 2), 6 - 8);
    // Nothing attached: 0.
    CMeasure empty;
    empty.add(new CNote);
    EXPECT_EQ(deplacer_symbole(5, &empty, 0, 0, 0, 0, 1, 0, 0, nullptr, nullptr), 0);
    delete_bitmap(bitmap);
    outside.gr = nullptr;
    pal = saved;
}
