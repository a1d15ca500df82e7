// Window messages turned into Events: keys with modifiers, characters, mouse buttons and double
// clicks, drag start, scrolling, commands, dropped files, and input swallowed while a
// demonstration plays.
#include "AppFixture.h"

#include "framework/CScroll.h"
#include "framework/CUserPanel.h"
#include "framework/EventDispatch.h"
#include "framework/Supervis.h"

#include <string>
#include <vector>

using namespace platform;

namespace {

std::vector<Event> g_events;
std::vector<std::string> g_opened;

CPanel* g_watched = nullptr;

// Every event for the watched panel, as the application's filter receives it.
short recording_filter(CPanel* panel, Event* e)
{
    if (panel == g_watched && e->type != EvIdle && e->type != EvPaint && e->type != EvSize)
        g_events.push_back(*e);
    return default_event_filter(panel, e);
}

struct Seen {
    short type, value, flags;
    bool operator==(const Seen& o) const { return type == o.type && value == o.value && flags == o.flags; }
};
std::ostream& operator<<(std::ostream& os, const Seen& s)
{
    return os << "{" << s.type << "," << s.value << ",0x" << std::hex << s.flags << std::dec << "}";
}

class EventDispatch : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        g_events.clear();
        g_opened.clear();
        app_hooks.open_document = [](char* path) { g_opened.push_back(path); };
        window = new CWindow(WinNormal);
        wm->set_window_rect(window->hwnd, {0, 0, 300, 200});
        window->show();
        surface = new CUserPanel(window);
        g_watched = surface;
        app_hooks.event_filter = recording_filter;
        surface->set_rect(0, 0, 200, 150);
        surface->show();
        wm->activate_window(window->hwnd);
        wm->set_focus(surface->hwnd);
        origin = wm->client_to_screen(surface->hwnd, {0, 0});
    }
    void TearDown() override
    {
        delete window;
        AppFixture::TearDown();
    }
    std::vector<Seen> seen() const
    {
        std::vector<Seen> out;
        for (const Event& e : g_events) out.push_back({e.type, e.value, e.flags});
        return out;
    }
    Point at(int32_t x, int32_t y) const { return {origin.x + x, origin.y + y}; }
    void key(Key k, bool down = true) { wm->inject_key(k, down); }
    void tap(Key k)
    {
        key(k, true);
        key(k, false);
    }

    CWindow* window = nullptr;
    CUserPanel* surface = nullptr;
    Point origin;
};

TEST(SpecialKeys, TableOfCodes)
{
    struct Case {
        Key key;
        int32_t modifiers;
        short code;
    } cases[] = {
        {KeyPageUp, 0, 1}, {KeyPageDown, 0, 2}, {KeyDelete, 0, 4}, {KeyHome, 0, 5},
        {KeyEnd, 0, 6}, {KeyLeft, 0, 0x1C}, {KeyRight, 0, 0x1D}, {KeyUp, 0, 0x1E},
        {KeyDown, 0, 0x1F}, {KeyF1, 0, 241}, {function_key(15), 0, 255},
        {function_key(3), ModShift, 211}, {KeyF1, ModShift | ModControl, 193},
        {KeyF1, ModControl, 225}, {KeyA, 0, 0}, {KeyInsert, 0, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(special_key_code(c.key, c.modifiers), c.code) << c.key;
}

TEST_F(EventDispatch, ALetterGivesKeyDownCharacterAndKeyUp)
{
    tap(KeyA);
    pump();
    EXPECT_EQ(seen(), (std::vector<Seen>{{EvKeyDown, 'a', 0}, {EvKey, 'a', 0}, {EvKeyUp, 'a', 0}}));
}

TEST_F(EventDispatch, AHeldKeyGivesItsKeyEventsOnce)
{
    // The characters repeat (a held letter types again), the key events do not.
    for (Key k : {KeyA, KeyRight}) {
        key(k);
        key(k);
        key(k);
        key(k, false);
    }
    pump();
    EXPECT_EQ(seen(), (std::vector<Seen>{{EvKeyDown, 'a', 0}, {EvKey, 'a', 0}, {EvKey, 'a', 0},
                                         {EvKey, 'a', 0}, {EvKeyUp, 'a', 0}, {EvKey, 0x1D, 0}}));
}

TEST_F(EventDispatch, SpecialKeysWithModifiers)
{
    key(KeyShift);
    tap(function_key(3));
    key(KeyControl);
    tap(KeyF1);
    key(KeyShift, false);
    key(KeyControl, false);
    tap(KeyLeft);
    pump();
    EXPECT_EQ(seen(), (std::vector<Seen>{{EvKey, 211, EvfShift}, {EvKey, 193, EvfShift | EvfCtrl},
                                         {EvKey, 0x1C, 0}}));
}

TEST_F(EventDispatch, ButtonsAndDoubleClicks)
{
    wm->inject_mouse_button(ButtonRight, true, at(10, 10));
    wm->inject_mouse_button(ButtonRight, false, at(10, 10));
    wm->inject_mouse_button(ButtonRight, true, at(10, 10));
    wm->inject_mouse_button(ButtonRight, false, at(10, 10));
    pump();
    headless->advance(2000);
    key(KeyControl);
    wm->inject_mouse_button(ButtonRight, true, at(10, 10));
    wm->inject_mouse_button(ButtonRight, false, at(10, 10));
    wm->inject_mouse_button(ButtonRight, true, at(10, 10));
    pump();
    std::vector<Seen> presses;
    for (const Seen& s : seen())
        if (s.type == EvPress || s.type == EvRelease) presses.push_back(s);
    EXPECT_EQ(presses, (std::vector<Seen>{{EvPress, 0, EvfRight}, {EvRelease, 0, EvfRight},
                                          {EvPress, 0, EvfRight | EvfDouble},
                                          {EvRelease, 0, EvfRight},
                                          {EvPress, 0, EvfRight | EvfCtrl},
                                          {EvRelease, 0, EvfRight | EvfCtrl},
                                          {EvPress, 0, 0x2C}}));
    EXPECT_EQ(g_events.front().x, 10);
    EXPECT_EQ(g_events.front().y, 10);
}

TEST_F(EventDispatch, ADragStartsBeyondTwoPixels)
{
    wm->inject_mouse_button(ButtonLeft, true, at(10, 10));
    wm->inject_mouse_move(at(12, 12));
    pump();
    g_events.clear();
    wm->inject_mouse_move(at(13, 10));
    pump();
    ASSERT_EQ(g_events.size(), 2u);
    EXPECT_EQ(g_events[0].type, EvDragStart);
    EXPECT_EQ(g_events[0].x, 10);
    EXPECT_EQ(g_events[0].y, 10);
    EXPECT_EQ(g_events[1].type, EvMove);
    EXPECT_EQ(g_events[1].x, 13);
    EXPECT_EQ(g_events[1].flags, EvfLeft);
    wm->inject_mouse_button(ButtonLeft, false, at(13, 10));
    pump();
    EXPECT_EQ(last_mx_down, -32000);
}

TEST_F(EventDispatch, ScrollRequestsMoveTheBarAndTellItsParent)
{
    CScroll* bar = new CScroll(surface, 9, 0);
    bar->set_min_max(0, 100);
    bar->set_value(30);
    bar->set_steps(1, 10);
    struct Case {
        int32_t request;
        int32_t thumb;
        short position;
        std::vector<short> types;
    } cases[] = {
        {ScrollPageDown, 0, 40, {EvScrollPageDown, EvControl}},
        {ScrollPageUp, 0, 30, {EvScrollPageUp, EvControl}},
        {ScrollLineDown, 0, 31, {EvScrollLineDown, EvControl}},
        {ScrollLineUp, 0, 30, {EvScrollLineUp, EvControl}},
        {ScrollThumbTrack, 55, 55, {EvScrollThumb}},
        {ScrollThumbPosition, 57, 57, {EvControl}},
        {ScrollEndScroll, 0, 57, {EvScrollEnd}},
        {6, 0, 57, {}},
    };
    for (const Case& c : cases) {
        g_events.clear();
        Message m;
        m.window = surface->hwnd;
        m.kind = MessageKind::User;
        m.id = ScrollVertical;
        m.param1 = bar->hwnd;
        m.param2 = c.request;
        m.x = c.thumb;
        wm->send_message(surface->hwnd, m);
        std::vector<short> types;
        for (const Event& e : g_events) {
            types.push_back(e.type);
            EXPECT_EQ(e.item, 9);
        }
        EXPECT_EQ(types, c.types) << c.request;
        EXPECT_EQ(bar->get_value(), c.position) << c.request;
    }
}

TEST_F(EventDispatch, CommandsFromMenusAndControls)
{
    struct Case {
        intptr_t control;
        int32_t code;
        short type;
    } cases[] = {{0, 0, EvMenuCommand}, {5, NotifyClicked, EvControl},
                 {5, NotifySelectionChanged, EvControl}, {5, NotifyDoubleClicked, EvListDouble},
                 {5, NotifyTextChanged, EvTextChanged}, {5, 0x400, 0}};
    for (const Case& c : cases) {
        g_events.clear();
        Message m;
        m.kind = MessageKind::Command;
        m.id = 42;
        m.param1 = c.control;
        m.param2 = c.code;
        wm->send_message(surface->hwnd, m);
        if (!c.type) {
            EXPECT_TRUE(g_events.empty());
            continue;
        }
        ASSERT_EQ(g_events.size(), 1u);
        EXPECT_EQ(g_events[0].type, c.type);
        EXPECT_EQ(c.type == EvMenuCommand ? g_events[0].value : g_events[0].item, 42);
    }
}

TEST_F(EventDispatch, DroppedFilesOpenInOrder)
{
    wm->inject_file_drop(at(20, 20), {"a.bcc", "b.mid", "c.bcc"});
    pump();
    EXPECT_EQ(g_opened, (std::vector<std::string>{"a.bcc", "b.mid", "c.bcc"}));
}

TEST_F(EventDispatch, AFramesDroppedFilesOpenToo)
{
    wm->inject_file_drop(at(500, 400), {"x.mid", "y.mid"});
    pump();
    EXPECT_EQ(g_opened, (std::vector<std::string>{"x.mid", "y.mid"}));
}

TEST_F(EventDispatch, WhileAScriptPlaysRealInputIsSwallowed)
{
    application->script.playing = 1;
    TerminerAutoDemo = 0;
    wm->inject_mouse_button(ButtonLeft, true, at(10, 10));
    wm->inject_mouse_button(ButtonLeft, false, at(10, 10));
    tap(KeyA);
    tap(KeyLeft);  // keys without a character still pass
    pump();
    EXPECT_EQ(seen(), (std::vector<Seen>{{EvKey, 0x1C, 0}}));
    // Escape as a character asks the demonstration to end...
    Message escape;
    escape.kind = MessageKind::Character;
    escape.character = 27;
    EXPECT_EQ(wm->send_message(surface->hwnd, escape), 0);
    EXPECT_EQ(TerminerAutoDemo, 1);
    EXPECT_EQ(application->script.playing, 1);
    TerminerAutoDemo = 0;
    // ...and its key down stops the script itself.
    key(KeyEscape);
    pump();
    EXPECT_EQ(application->script.playing, 0);
}

}  // namespace
