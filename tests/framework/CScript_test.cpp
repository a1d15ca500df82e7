#include "framework/CScript.h"

#include "DialogFixture.h"
#include "HeadlessInput.h"
#include "framework/CApplication.h"
#include "framework/CButton.h"
#include "framework/CList.h"
#include "framework/CTextedit.h"
#include "framework/ControlHandlers.h"
#include "framework/CUserPanel.h"
#include "framework/CWindow.h"
#include "framework/EventDispatch.h"
#include "framework/FileDialog.h"
#include "framework/LocalTime.h"
#include "framework/ScriptEditor.h"
#include "framework/ScriptPlayer.h"
#include "platform/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace platform;

namespace {

std::string read_all(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_all(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

// ---- File format --------------------------------------------------------------------------

TEST(ScriptFile, RecordsAreReadByKeywordWithTheirParametersInOrder)
{
    TempFolder dir;
    const std::string path = dir / "a.dem";
    write_all(path,
              "D899-TW001FR\n8 6\n"
              "mdl(400,\"\",3,1,10,20,1)\n"
              "contextmenu(10,\"vu\",77)\n"
              "com(200,\"\",-3,-5,\"Premi\xE8re ligne\r\nseconde ligne\")\n"
              "open(0,\"\",\"Sonate.bcc\")\n"
              "key(5,\"\",2,4,65,7,8,2)\n"
              "zorglub(300,\"inconnu\",1,2)\n"
              "abs(0,\"\",1)\n"
              "scoreadjust(9,\"\")\n");
    CScript s;
    ASSERT_EQ(s.open(path.c_str()), 1);
    ASSERT_EQ(s.total(), 8);
    EXPECT_EQ(s.versions, 6);
    const ScriptEvent* mdl = s.get(1);
    EXPECT_EQ(mdl->type, ScriptLeftDown);
    EXPECT_EQ(mdl->delay, 400);
    EXPECT_EQ(std::vector<int32_t>(mdl->param + 1, mdl->param + 7), (std::vector<int32_t>{3, 1, 10, 20, 1, 0}));
    EXPECT_EQ(s.get(2)->type, ScriptContextMenu);
    EXPECT_STREQ(s.get(2)->comment.get(), "vu");
    EXPECT_EQ(s.get(2)->param[1], 77);
    const ScriptEvent* com = s.get(3);
    EXPECT_EQ(com->type, ScriptComment);
    EXPECT_EQ(com->param[1], -3);
    EXPECT_EQ(com->param[2], -5);
    EXPECT_STREQ(com->cs.get(), "Premi\xE8re ligne\r\nseconde ligne");
    EXPECT_EQ(s.get(4)->type, ScriptOpen);
    EXPECT_STREQ(s.get(4)->cs.get(), "Sonate.bcc");
    EXPECT_EQ(s.get(5)->param[6], 2);
    // An unknown keyword keeps its delay and comment but has no kind.
    EXPECT_EQ(s.get(6)->type, ScriptUnknown);
    EXPECT_EQ(s.get(6)->delay, 300);
    EXPECT_STREQ(s.get(6)->comment.get(), "inconnu");
    EXPECT_EQ(s.get(8)->type, ScriptScoreAdjust);
    // The name is not taken from an explicit path.
    EXPECT_EQ(s.filename.length(), 0);

    // Written back, the unknown event is left out and the count says so; the rest reads back
    // the same, the two-line comment included.
    const std::string copy = dir / "b.dem";
    ASSERT_EQ(s.save(copy.c_str()), 1);
    EXPECT_STREQ(s.filename.get(), copy.c_str());
    const std::string text = read_all(copy);
    EXPECT_EQ(text.substr(0, 18), "D899-TW001FR\n7 6\nm");
    EXPECT_NE(text.find("mdl(400,\"\",3,1,10,20,1)\n"), std::string::npos);
    EXPECT_EQ(text.find("zorglub"), std::string::npos);
    CScript back;
    ASSERT_EQ(back.open(copy.c_str()), 1);
    ASSERT_EQ(back.total(), 7);
    for (short i = 1; i <= 7; i++) {
        const ScriptEvent* a = s.get(i < 6 ? i : (short)(i + 1));
        const ScriptEvent* b = back.get(i);
        EXPECT_EQ(a->type, b->type) << i;
        EXPECT_EQ(a->delay, b->delay) << i;
        EXPECT_STREQ(a->cs.get(), b->cs.get()) << i;
        EXPECT_STREQ(a->comment.get(), b->comment.get()) << i;
        for (int k = 1; k <= 6; k++) EXPECT_EQ(a->param[k], b->param[k]) << i << " " << k;
    }
}

// Every text a user can type in a comment comes back from the file as it was: quotes,
// backslashes, commas and parentheses included.
TEST(ScriptFile, CommentsWithDelimitersRoundTrip)
{
    const char* const texts[] = {"Il dit \"bonjour\"", "\"", "C:\\Mes scores\\", "a\\nb",
                                 "virgule, et (parenth\xE8ses)", "fin)", "", "\\\"\\"};
    TempFolder dir;
    for (const char* text : texts) {
        ScriptEvent ev;
        ev.type = ScriptComment;
        ev.delay = 12;
        ev.comment.set(text);
        ev.cs.set(text);
        ev.param[1] = -3;
        ev.param[2] = 4;
        const std::string path = dir / "one.dem";
        FILE* f = fopen(path.c_str(), "wb");
        ASSERT_TRUE(write_script_record(f, &ev));
        fclose(f);
        const std::string record = read_all(path);
        ScriptEvent back;
        parse_script_record(record.c_str(), &back);
        EXPECT_EQ(back.type, ScriptComment) << record;
        EXPECT_STREQ(back.comment.get() ? back.comment.get() : "", text) << record;
        EXPECT_STREQ(back.cs.get() ? back.cs.get() : "", text) << record;
        EXPECT_EQ(back.param[1], -3) << record;
        EXPECT_EQ(back.param[2], 4) << record;
    }
}

TEST(ScriptFile, OnlyTheTwoMagicsAreRead)
{
    TempFolder dir;
    struct Case {
        const char* head;
        short result;
    } cases[] = {
        {"D899-TW001FR\n1 15\n", 1},
        {"D899-TM001FR\n1 15\n", 1},
        {"D899-TW001FX\n1 15\n", 0},
        {"D899", 0},
        {"", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.head);
        const std::string path = dir / "m.dem";
        write_all(path, std::string(c.head) + "null(5,\"\")\n");
        CScript s;
        s.record_event(ScriptKey, 1, 2, 3, 4, 5, 6);  // not recording: the caller's check
        s.versions = 9;
        EXPECT_EQ(s.open(path.c_str()), c.result);
        EXPECT_EQ(s.total(), 1);
        EXPECT_EQ(s.get(1)->type, c.result ? ScriptNull : ScriptKey);
        EXPECT_EQ(s.versions, c.result ? 15 : 9);
    }
    CScript s;
    EXPECT_EQ(s.open((dir / "none.dem").c_str()), 0);
    EXPECT_EQ(s.open(nullptr), 0);
}

TEST(ScriptFile, AFailedSaveLeavesTheOldFileWhole)
{
    TempFolder dir;
    const std::string path = dir / "keep.dem";
    write_all(path, "D899-TW001FR\n0 15\n");
    CScript s;
    s.record_event(ScriptMenu, 101);
    // A folder in the place of the temporary file: nothing can be written.
    ASSERT_TRUE(platform::make_directory(path + ".tmp"));
    EXPECT_EQ(s.save(path.c_str()), 0);
    EXPECT_EQ(read_all(path), "D899-TW001FR\n0 15\n");
}

// ---- Recording ----------------------------------------------------------------------------

class ScriptRecording : public AppFixture {};

TEST_F(ScriptRecording, SavingUnderANameWithoutExtensionAddsIt)
{
    TempFolder dir;
    struct Case {
        std::string typed, written;
    } cases[] = {{"demo", "demo.DEM"}, {"autre.dem", "autre.dem"}, {"v1.2/demo", "v1.2/demo.DEM"}};
    ASSERT_TRUE(platform::make_directory(dir / "v1.2"));
    CScript s;
    s.record_event(ScriptMenu, 101);
    for (const Case& c : cases) {
        set_file_dialog_responder([&](FileDialogRequest& r) {
            r.chosen = dir / c.typed;
            return true;
        });
        EXPECT_EQ(s.save_user(), 1) << c.typed;
        EXPECT_STREQ(s.filename.get(), (dir / c.written).c_str());
        EXPECT_TRUE(std::ifstream(dir / c.written).good()) << c.written;
    }
    set_file_dialog_responder([](FileDialogRequest&) { return false; });
    EXPECT_EQ(s.save_user(), 0);
    set_file_dialog_responder(nullptr);
}

TEST_F(ScriptRecording, RulesOfTheRecorder)
{
    CScript& s = application->script;
    s.record();
    s.record_event(ScriptMenu, 207);  // the composition assistant's command is left out
    EXPECT_EQ(s.total(), 0);
    s.record_event(ScriptMenu, 101);
    ASSERT_EQ(s.total(), 2);
    EXPECT_EQ(s.get(1)->type, ScriptMenu);
    EXPECT_EQ(s.get(2)->type, ScriptNull);
    // Moves count only with a button held, and only every second one.
    for (int i = 0; i < 4; i++) s.record_event(ScriptMove, 1, 2, i, i);
    EXPECT_EQ(s.total(), 2);
    s.record_event(ScriptLeftDown, 1, 2, 0, 0, 0);
    EXPECT_EQ(s.left_button, 1);
    for (int i = 1; i <= 6; i++) s.record_event(ScriptMove, 1, 2, i, i);
    EXPECT_EQ(s.total(), 3 + 3);
    s.record_event(ScriptLeftUp, 1, 2, 6, 6, 0);
    EXPECT_EQ(s.left_button, 0);
    // A tool choice replaces whatever came just before it.
    s.record_event(ScriptTool, 4, 51);
    EXPECT_EQ(s.total(), 7);
    EXPECT_EQ(s.get(7)->type, ScriptTool);
    EXPECT_EQ(s.get(7)->param[2], 51);
    EXPECT_EQ(s.get(6)->type, ScriptMove);
}

TEST_F(ScriptRecording, ARecordedReleaseInScreenCoordinatesLandsOnTheLastItem)
{
    CScript& s = application->script;
    s.record();
    s.next_window_script_number = 1;
    CWindow w(WinNormal);
    ASSERT_EQ(w.script_number, 1);
    wm->set_window_rect(w.hwnd, {100, 50, 400, 300});
    CUserPanel* panel = new CUserPanel(&w);
    panel->item_id = 7;
    panel->set_rect(10, 20, 110, 120);
    s.record_event(ScriptLeftDown, 1, 7, 5, 5, 0);
    const Point p = wm->client_to_screen(panel->hwnd, {30, 40});
    s.record_event(ScriptLeftUp, -1, -1, p.x, p.y, 0);
    const ScriptEvent* up = s.get(2);
    EXPECT_EQ(std::vector<int32_t>(up->param + 1, up->param + 5), (std::vector<int32_t>{1, 7, 30, 40}));
    s.stop();
}

// ---- Recording and replaying a session ----------------------------------------------------

std::vector<std::string> g_log;

short logging_handler(CPanel* panel, Event* e)
{
    if (e->type == EvPress || e->type == EvRelease || e->type == EvMove || e->type == EvControl ||
        e->type == EvKey) {
        std::ostringstream line;
        line << panel->item_id << ":" << e->type << "@" << e->x << "," << e->y << "/" << e->flags;
        if (e->type == EvKey) line << "=" << e->value;
        g_log.push_back(line.str());
    }
    return 1;
}

class ScriptSession : public DialogFixture {
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        g_log.clear();
        TerminerAutoDemo = 0;
    }
    // The window of the session: number 1 while a script records or plays.
    void open_window()
    {
        window = new CWindow(WinNormal);
        wm->set_window_rect(window->hwnd, {100, 100, 500, 400});
        for (short id = 1; id <= 2; id++) {
            CUserPanel* p = new CUserPanel(window);
            p->item_id = id;
            p->set_rect((short)(10 + 150 * (id - 1)), 10, (short)(150 * id), 200);
            p->event_handler = logging_handler;
            p->show();
        }
        window->show();
    }
    Point at_panel(short id, int32_t x, int32_t y)
    {
        return wm->client_to_screen(window->find_child(id)->hwnd, {x, y});
    }
    // Runs the program's loop until the script has played.
    void play_out(int64_t limit_ms = 60000)
    {
        const int64_t limit = wm->now() + limit_ms;
        while (application->script.playing && wm->now() < limit) {
            application->run_script();
            wm->run_until(wm->now() + 10);
        }
    }
    CWindow* window = nullptr;
};

TEST_F(ScriptSession, ARecordedSessionReplaysTheSameEvents)
{
    CScript& s = application->script;
    s.clear();
    s.record();
    open_window();
    // Press and release on panel 1; press, drag and release on panel 2.
    inject_click(*wm, at_panel(1, 20, 30));
    wm->inject_mouse_button(ButtonLeft, true, at_panel(2, 5, 5));
    pump(50);
    headless->advance(250);
    for (int x = 10; x <= 60; x += 10) {
        wm->inject_mouse_move(at_panel(2, x, 8));
        wm->inject_key(KeyShift, true);  // keeps each move apart from the next
        wm->inject_key(KeyShift, false);
    }
    wm->inject_mouse_button(ButtonLeft, false, at_panel(2, 60, 8));
    pump(80);
    s.recording = 0;
    const std::vector<std::string> recorded = g_log;
    ASSERT_GE(recorded.size(), 5u);
    // Presses, releases and every second move were kept.
    std::vector<short> kinds;
    for (short i = 1; i <= s.total(); i++) kinds.push_back(s.get(i)->type);
    EXPECT_EQ(kinds, (std::vector<short>{5, 6, 5, 10, 10, 10, 6}));

    // Replayed from the same starting state, the panels get the same events.
    delete window;
    g_log.clear();
    ASSERT_EQ(s.play(), 1);
    open_window();
    play_out();
    EXPECT_EQ(s.playing, 0);
    std::vector<std::string> replayed;
    for (const std::string& line : g_log)
        if (line.find(":4@") == std::string::npos) replayed.push_back(line);
    std::vector<std::string> expected;
    for (const std::string& line : recorded)
        if (line.find(":4@") == std::string::npos) expected.push_back(line);
    EXPECT_EQ(replayed, expected);
    delete window;
}

// The program's filter: every event is recorded, then handed to its panel, keys included.
short passing_filter(CPanel* panel, Event* event)
{
    if (!panel || !panel->event_handler) return 0;
    record_panel_event(panel, event);
    return panel->event_handler(panel, event) ? 1 : 0;
}

// Keys typed into drawing panels and into a window that takes them itself are kept as `key`
// events and replayed to the same panels; characters for a text field or a dialog are not
// (their own paths keep them as control events).
TEST_F(ScriptSession, KeysOfPanelsAndWindowsAreRecordedAndReplayed)
{
    const AppHooks saved = app_hooks;
    app_hooks.event_filter = passing_filter;
    CScript& s = application->script;
    s.clear();
    s.record();
    open_window();
    window->event_handler = logging_handler;
    const auto type = [&](WindowId to, int character, unsigned modifiers) {
        Message m;
        m.kind = MessageKind::Character;
        m.character = character;
        m.modifiers = modifiers;
        wm->send_message(to, m);
    };
    wm->inject_mouse_move(at_panel(1, 40, 50));
    pump(20);
    type(window->find_child(1)->hwnd, 'a', 0);
    type(window->find_child(2)->hwnd, 'B', ModShift);
    type(window->hwnd, ' ', 0);
    struct Case {
        const char* what;
        short uid;       // of the panel the key is typed into
        bool in_dialog;  // the panel's window is a dialog
    };
    for (const Case& c : {Case{"text field", 14, false}, Case{"dialog panel", 7, true}}) {
        CPanel top(nullptr);
        top.uid = c.in_dialog ? 16 : 5;
        CPanel panel(nullptr);
        panel.uid = c.uid;
        panel.parent = &top;
        Event key;
        key.type = EvKey;
        key.value = 'z';
        const short before = s.total();
        record_panel_event(&panel, &key);
        EXPECT_EQ(s.total(), before) << c.what;
        panel.parent = nullptr;
    }
    s.recording = 0;
    const auto keys = [] {
        std::vector<std::string> lines;
        for (const std::string& line : g_log)
            if (line.find(":6@") != std::string::npos) lines.push_back(line);
        return lines;
    };
    const std::vector<std::string> recorded = keys();
    ASSERT_EQ(recorded.size(), 3u);
    ASSERT_EQ(s.total(), 3);
    struct Expected {
        int32_t item, character, mods;
    };
    const Expected expected[] = {{1, 'a', 0}, {2, 'B', 1}, {window->item_id, ' ', 0}};
    for (short i = 1; i <= 3; i++) {
        const ScriptEvent* ev = s.get(i);
        EXPECT_EQ(ev->type, ScriptKey) << i;
        EXPECT_EQ(ev->param[1], window->script_number) << i;
        EXPECT_EQ(ev->param[2], expected[i - 1].item) << i;
        EXPECT_EQ(ev->param[3], expected[i - 1].character) << i;
        EXPECT_EQ(ev->param[6], expected[i - 1].mods) << i;
    }

    delete window;
    g_log.clear();
    ASSERT_EQ(s.play(), 1);
    open_window();
    window->event_handler = logging_handler;
    play_out();
    EXPECT_EQ(s.playing, 0);
    EXPECT_EQ(keys(), recorded);
    delete window;
    app_hooks = saved;
}

TEST_F(ScriptSession, TabMakesTheEventDueAndEscapeEndsTheScript)
{
    CScript& s = application->script;
    s.clear();
    s.record();
    open_window();
    s.recording = 0;
    for (int i = 0; i < 3; i++) {
        auto* ev = new ScriptEvent;
        ev->type = ScriptLeftDown;
        ev->delay = 50000;  // far away
        ev->param[1] = window->script_number;
        ev->param[2] = 1;
        ev->param[5] = 4;  // no pause before the press
        s.events.add((intptr_t)ev);
    }
    delete window;
    ASSERT_EQ(s.play(), 1);
    open_window();
    for (int i = 0; i < 10; i++) application->run_script();
    EXPECT_TRUE(g_log.empty());
    // Tab: the pending event becomes due at once.
    Message tab;
    tab.kind = MessageKind::Character;
    tab.character = 9;
    wm->send_message(window->find_child(1)->hwnd, tab);
    for (int i = 0; i < 4; i++) application->run_script();
    EXPECT_EQ(g_log.size(), 1u);
    EXPECT_EQ(s.cur, 2);
    // Escape: the script ends at the player's next turn.
    Message escape = tab;
    escape.character = 27;
    wm->send_message(window->find_child(1)->hwnd, escape);
    EXPECT_EQ(TerminerAutoDemo, 1);
    for (int i = 0; i < 2; i++) application->run_script();
    EXPECT_EQ(s.playing, 0);
    EXPECT_EQ(g_log.size(), 1u);
    delete window;
}

TEST_F(ScriptSession, AnEventWhoseWindowIsGoneIsSkippedNotWaitedOn)
{
    CScript& s = application->script;
    s.clear();
    const int32_t kinds[] = {ScriptLeftDown, ScriptControl, ScriptLeftUp};
    for (int32_t kind : kinds) {
        auto* ev = new ScriptEvent;
        ev->type = (short)kind;
        ev->param[1] = 42;  // no such window
        ev->param[2] = 1;
        ev->param[5] = 4;
        s.events.add((intptr_t)ev);
    }
    const int32_t before = script_events_skipped;
    ASSERT_EQ(s.play(), 1);
    play_out(5000);
    EXPECT_EQ(s.playing, 0);
    EXPECT_EQ(script_events_skipped - before, 3);
}

TEST_F(ScriptSession, TimingIsRelativeOrAbsolute)
{
    CScript& s = application->script;
    s.clear();
    const int32_t delays[] = {100, 300, 300};
    for (int32_t d : delays) {
        auto* ev = new ScriptEvent;
        ev->type = ScriptNull;
        ev->delay = d;
        s.events.add((intptr_t)ev);
    }
    EXPECT_EQ(CScript().play(), 0);
    const int32_t t0 = get_time_pos();
    ASSERT_EQ(s.play(), 1);
    EXPECT_EQ(s.delay, t0 + 100);
    // Relative: due its delay after the player advanced to it.
    s.next();
    EXPECT_EQ(s.delay, get_time_pos() + 300);
    // Absolute: due its delay after the previous due time, however late the player is.
    s.absolu = true;
    const int32_t due = s.time_position;
    headless->advance(1000);
    s.next();
    EXPECT_EQ(s.time_position, due + 300);
    s.next();
    EXPECT_EQ(s.playing, 0);
}

TEST_F(ScriptSession, TheCommentBubbleIsPlacedByItsCodes)
{
    CScript& s = application->script;
    s.commentaire(-3, -5, "Bonjour");
    ASSERT_NE(s.wincom, nullptr);
    const Rect r = wm->screen_window_rect(s.wincom->hwnd);
    const Point screen = wm->screen_size();
    EXPECT_NEAR(r.left, (screen.x - r.width()) / 2, 1);
    EXPECT_EQ(r.bottom, screen.y - 30);
    EXPECT_EQ(s.wincom->script_number, 0);
    s.commentaire(0, 0, "");
    EXPECT_EQ(s.wincom, nullptr);
}

// ---- The editor ---------------------------------------------------------------------------

ScriptEvent event_of(short type, std::vector<int32_t> p, int32_t delay = 0, const char* comment = "",
                     const char* cs = "")
{
    ScriptEvent ev;
    ev.type = type;
    ev.delay = delay;
    for (size_t i = 0; i < p.size(); i++) ev.param[i + 1] = p[i];
    ev.comment.set(comment);
    ev.cs.set(cs);
    return ev;
}

TEST(ScriptEditorTexts, ListLinesAndParameterTexts)
{
    struct Case {
        ScriptEvent ev;
        const char* title;
        const char* params;
    } cases[] = {
        {event_of(1, {101}, 1500), "1.5 - menu(id=101) ", "101"},
        {event_of(5, {3, 1, 10, 20, 1}, 400, "clic"), "0.4 - mdl(win=3,item=1,X=10,Y=20,flags=1) ++++++++++++++++ clic",
         "3,1,10,20,1"},
        {event_of(10, {1, 2, -3, 4}), "0.0 - move(win=1,item=2,X=-3,Y=4) ", "1,2,-3,4"},
        {event_of(11, {4, 51}), "0.0 - tool(win=4,tool=51)  ", "4,51"},
        {event_of(12, {1, 2, 65, 4, 5, 2}), "0.0 - key(win=1,item=2,char=65,X=4,Y=5,flags=2)  ", "1,2,65,4,5,2"},
        {event_of(13, {-3, -5}, 200, "", "Voici"), "0.2 - com(X=-3,Y=-5,Texte=\"Voici\")  ", "-3,-5\r\nVoici"},
        {event_of(3, {}, 0, "", "a.bcc"), "0.0 - open(a.bcc) ", "a.bcc"},
        {event_of(16, {2, 300, 200}), "0.0 - setsize(win=2,X=300,Y=200)  ", "2,300,200"},
        {event_of(20, {}), "0.0 - razwn()  ", ""},
        {event_of(23, {1}, 12000), "12.0 - abs(mode=1)  ", "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        char out[1000];
        event_title(out, &c.ev);
        EXPECT_STREQ(out, c.title);
        event_params(out, &c.ev);
        EXPECT_STREQ(out, c.params);
        // And the parameter text reads back into the same event.
        ScriptEvent back = event_of(c.ev.type, {9, 9, 9, 9, 9, 9});
        params_event(out, &back);
        for (int k = 1; k <= 8; k++) EXPECT_EQ(back.param[k], c.ev.param[k]) << k;
        EXPECT_STREQ(back.cs.get(), c.ev.cs.get());
    }
    // A line is bounded by its buffer, whatever the comment.
    const std::string long_comment(5000, 'x');
    ScriptEvent big = event_of(1, {1}, 0, long_comment.c_str());
    char small[40];
    event_title(small, &big, sizeof small);
    EXPECT_EQ(std::string(small).size(), sizeof small - 1);
    // The numbers are taken in the kind's order; the missing ones are 0.
    ScriptEvent mdl = event_of(5, {3, 1, 10, 20, 1});
    params_event("10,20", &mdl);
    EXPECT_EQ(std::vector<int32_t>(mdl.param + 1, mdl.param + 6), (std::vector<int32_t>{10, 20, 0, 0, 0}));
}

TEST(ScriptEditorTexts, LongerAndShorterDelays)
{
    const struct {
        int32_t delay, longer, shorter;
    } cases[] = {{4000, 4200, 3800}, {4100, 5000, 3000}, {4200, 5000, 3000}, {0, 200, -200}, {350, 400, 0}, {-200, 0, -400}};
    for (const auto& c : cases) {
        EXPECT_EQ(script_delay_longer(c.delay), c.longer) << c.delay;
        EXPECT_EQ(script_delay_shorter(c.delay), c.shorter) << c.delay;
    }
}

class ScriptEditorDialog : public DialogFixture {
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        CScript& s = application->script;
        s.clear();
        s.events.add((intptr_t) new ScriptEvent(event_of(1, {101}, 1000)));
        s.events.add((intptr_t) new ScriptEvent(event_of(5, {3, 1, 10, 20, 1}, 400, "le bouton")));
        s.events.add((intptr_t) new ScriptEvent(event_of(6, {3, 1, 10, 20, 0}, 120)));
        dialog = new CDialog("MISC", "CLASSES.RES", 10, default_dialog_handler, 0);
        editor = new ScriptEditor(&s, dialog);
        dialog->show();
    }
    void TearDown() override
    {
        delete editor;
        delete dialog;
        DialogFixture::TearDown();
    }
    short act(short item, short type = EvControl)
    {
        Event e;
        e.type = type;
        e.item = item;
        return editor->act(e);
    }
    std::vector<std::string> lines()
    {
        std::vector<std::string> out;
        CList* list = dialog->list(3);
        for (short i = 1; i <= list->total(); i++) {
            CString s;
            list->get_item(i, &s);
            out.push_back(s.get());
        }
        return out;
    }
    CDialog* dialog = nullptr;
    ScriptEditor* editor = nullptr;
};

TEST_F(ScriptEditorDialog, EditingTheSelectedEvent)
{
    CScript& s = application->script;
    CList* list = dialog->list(3);
    EXPECT_EQ(lines().size(), 3u);
    EXPECT_EQ(list->get_cur(), 0);
    // Without a selection the commands that need one do nothing.
    for (short item : {6, 7, 8, 9, 12}) EXPECT_EQ(act(item), -1);
    EXPECT_EQ(s.total(), 3);

    list->set_cur(2);
    act(3);
    CString text;
    dialog->te(13)->get_text(&text);
    EXPECT_STREQ(text.get(), "3,1,10,20,1");
    EXPECT_EQ(dialog->popup(5)->get_cur(), 5);
    // Another kind keeps the numbers.
    dialog->popup(5)->set_cur(6);
    act(5);
    EXPECT_EQ(s.get(2)->type, ScriptLeftUp);
    EXPECT_EQ(lines()[1], "0.4 - mul(win=3,item=1,X=10,Y=20,flags=1) ++++++++++++++++ le bouton");
    act(6);
    EXPECT_EQ(s.get(2)->delay, 600);
    // Moving it up, then deleting it.
    act(8);
    EXPECT_EQ(s.get(1)->type, ScriptLeftUp);
    EXPECT_EQ(list->get_cur(), 1);
    act(12);
    EXPECT_EQ(s.total(), 2);
    EXPECT_EQ(s.get(1)->type, ScriptMenu);
    EXPECT_EQ(list->get_cur(), 1);
    // A comment goes in after the selection.
    act(11);
    ASSERT_EQ(s.total(), 3);
    EXPECT_EQ(s.get(2)->type, ScriptComment);
    EXPECT_EQ(s.get(2)->param[1], -3);
    EXPECT_EQ(list->get_cur(), 2);
    dialog->te(13)->set_text("-1,-2\r\nLa gamme de Do");
    act(13, EvTextChanged);
    EXPECT_STREQ(s.get(2)->cs.get(), "La gamme de Do");
    EXPECT_EQ(s.get(2)->param[2], -2);
    // The version boxes.
    dialog->check(22)->set_value(0);
    act(22);
    EXPECT_EQ(s.versions, 15 & ~4);
    snapshot("script-editor.png");
    EXPECT_EQ(act(2), 0);
}

TEST_F(ScriptEditorDialog, AFailedTemplateLeavesAnEmptyList)
{
    // The template is missing from the build's program folder.
    EXPECT_EQ(act(20), -1);
    EXPECT_EQ(application->script.total(), 0);
    EXPECT_TRUE(lines().empty());
}

}  // namespace
