#include "platform/HeadlessBackend.h"
#include "platform/WindowManager.h"
#include "platform/SystemKeys.h"

#include <gtest/gtest.h>

#include <thread>

using namespace platform;

namespace {

std::vector<Message> g_log;

intptr_t recording_proc(WindowId window, Message& message)
{
    g_log.push_back(message);
    return default_window_proc(window, message);
}

bool input_kind(MessageKind k)
{
    switch (k) {
    case MessageKind::KeyDown: case MessageKind::KeyUp: case MessageKind::Character:
    case MessageKind::MouseMove: case MessageKind::ButtonDown: case MessageKind::ButtonUp:
    case MessageKind::DoubleClick: case MessageKind::FilesDropped: case MessageKind::Timer:
        return true;
    default:
        return false;
    }
}

class WindowManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_log.clear();
        auto backend = std::make_unique<HeadlessBackend>(Point{800, 600});
        headless = backend.get();
        wm = std::make_unique<WindowManager>(std::move(backend));
        WindowClassInfo plain{"Plain", recording_proc, 0, 0xFFFFFF, Cursor::Arrow};
        WindowClassInfo clicks{"Clicks", recording_proc, ClassDoubleClicks, 0x00FF00, Cursor::Hand};
        ASSERT_TRUE(wm->register_class(plain));
        ASSERT_TRUE(wm->register_class(clicks));
    }
    void TearDown() override { wm.reset(); }

    WindowId top(const std::string& cls, Rect r, uint32_t style = StyleVisible, WindowId owner = 0)
    {
        WindowOptions options;
        options.class_name = cls;
        options.style = style;
        options.rect = r;
        options.owner = owner;
        return wm->create_window(options);
    }
    WindowId child(WindowId parent, Rect r, int32_t id, uint32_t style = StyleVisible | StyleChild)
    {
        WindowOptions options;
        options.class_name = "Plain";
        options.style = style | StyleChild;
        options.rect = r;
        options.parent = parent;
        options.child_id = id;
        return wm->create_window(options);
    }

    // Takes, translates and dispatches every message available now.
    void pump()
    {
        Message m;
        while (wm->peek_message(m, true)) {
            if (m.kind == MessageKind::Quit) break;
            wm->translate_message(m);
            wm->dispatch_message(m);
        }
    }
    std::vector<Message> input_log() const
    {
        std::vector<Message> out;
        for (const Message& m : g_log)
            if (input_kind(m.kind)) out.push_back(m);
        return out;
    }

    HeadlessBackend* headless = nullptr;
    std::unique_ptr<WindowManager> wm;
};

TEST_F(WindowManagerTest, TypedLetterGivesKeyDownCharacterKeyUp)
{
    const WindowId w = top("Plain", {10, 10, 210, 110});
    wm->set_focus(w);
    pump();
    g_log.clear();
    wm->inject_text("a");
    pump();
    const std::vector<Message> log = input_log();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].kind, MessageKind::KeyDown);
    EXPECT_EQ(log[0].key, KeyA);
    EXPECT_EQ(log[0].character, 'a');
    EXPECT_EQ(log[1].kind, MessageKind::Character);
    EXPECT_EQ(log[1].character, 'a');
    EXPECT_EQ(log[2].kind, MessageKind::KeyUp);
    EXPECT_EQ(log[2].key, KeyA);
    for (const Message& m : log) EXPECT_EQ(m.window, w);
}

TEST_F(WindowManagerTest, KeysAndModifiers)
{
    const WindowId w = top("Plain", {0, 0, 100, 100});
    wm->set_focus(w);
    struct Case { const char* text; std::vector<int32_t> characters; };
    const Case cases[] = {
        {"A", {'A'}},
        {"\xE9", {}},  // no key types it on the built-in layout
        {"?!", {'?', '!'}},
        {"\t\r", {'\t', '\r'}},
    };
    for (const Case& c : cases) {
        g_log.clear();
        wm->inject_text(c.text);
        pump();
        std::vector<int32_t> got;
        for (const Message& m : g_log)
            if (m.kind == MessageKind::Character) got.push_back(m.character);
        EXPECT_EQ(got, c.characters) << c.text;
    }
    // A key of the display's own layout brings its character along.
    g_log.clear();
    wm->inject_key(KeyOther, true, 0xE9);
    wm->inject_key(KeyOther, false, 0xE9);
    pump();
    ASSERT_EQ(input_log().size(), 3u);
    EXPECT_EQ(input_log()[1].character, 0xE9);

    // Ctrl+Shift+F1: a key down without character, with both modifiers; held keys repeat.
    g_log.clear();
    wm->inject_key(KeyControl, true);
    wm->inject_key(KeyShift, true);
    wm->inject_key(KeyF1, true);
    wm->inject_key(KeyF1, true);
    pump();
    std::vector<Message> downs;
    for (const Message& m : g_log)
        if (m.kind == MessageKind::KeyDown && m.key == KeyF1) downs.push_back(m);
    ASSERT_EQ(downs.size(), 2u);
    EXPECT_EQ(downs[0].modifiers, ModControl | ModShift);
    EXPECT_EQ(downs[0].character, -1);
    EXPECT_FALSE(downs[0].repeat);
    EXPECT_TRUE(downs[1].repeat);
    EXPECT_TRUE(wm->key_pressed(KeyShift));
    EXPECT_EQ(key_character(static_cast<Key>(KeyA + 2), ModControl), 3);
    EXPECT_EQ(key_character(KeyLeft, 0), -1);
    EXPECT_EQ(function_key(15), KeyF15);
}

TEST_F(WindowManagerTest, TwentyMillisecondTimerGivesFiftyMessagesPerSecond)
{
    const WindowId w = top("Plain", {0, 0, 50, 50});
    wm->set_timer(w, 1, 20);
    wm->set_timer(w, 2, 250);
    int fast = 0, slow = 0;
    Message m;
    while (wm->get_message(m)) {
        if (m.time > 1000) break;
        if (m.kind == MessageKind::Timer) (m.id == 1 ? fast : slow)++;
        wm->dispatch_message(m);
    }
    EXPECT_EQ(fast, 50);
    EXPECT_EQ(slow, 4);
    EXPECT_TRUE(wm->kill_timer(w, 1));
    EXPECT_FALSE(wm->kill_timer(w, 1));
}

TEST_F(WindowManagerTest, DoubleClickOnlyWithinTimeDistanceAndClassStyle)
{
    const WindowId a = top("Clicks", {0, 0, 200, 200});
    const WindowId b = top("Plain", {300, 0, 500, 200});
    struct Case { WindowId window; Point second; int64_t gap; bool doubled; };
    const Case cases[] = {
        {a, {50, 50}, 300, true},
        {a, {50, 50}, 501, false},
        {a, {53, 50}, 100, false},  // moved too far
        {a, {52, 48}, 100, true},
        {b, {350, 50}, 100, false},  // class without double clicks
    };
    for (const Case& c : cases) {
        wm->set_double_click_time(500);
        const Point first = c.window == a ? Point{50, 50} : Point{350, 50};
        wm->inject_mouse_button(ButtonLeft, true, first);
        wm->inject_mouse_button(ButtonLeft, false, first);
        pump();
        headless->advance(c.gap);
        g_log.clear();
        wm->inject_mouse_button(ButtonLeft, true, c.second);
        wm->inject_mouse_button(ButtonLeft, false, c.second);
        pump();
        const std::vector<Message> log = input_log();
        bool doubled = false;
        for (const Message& m : log) doubled = doubled || m.kind == MessageKind::DoubleClick;
        EXPECT_EQ(doubled, c.doubled) << c.second.x << "," << c.second.y << " after " << c.gap;
        headless->advance(1000);  // the next case starts afresh
    }
    // A third quick press is a plain press again.
    wm->inject_mouse_button(ButtonRight, true, {10, 10});
    wm->inject_mouse_button(ButtonRight, false, {10, 10});
    wm->inject_mouse_button(ButtonRight, true, {10, 10});
    wm->inject_mouse_button(ButtonRight, false, {10, 10});
    wm->inject_mouse_button(ButtonRight, true, {10, 10});
    g_log.clear();
    pump();
    std::vector<MessageKind> presses;
    for (const Message& m : input_log())
        if (m.kind == MessageKind::ButtonDown || m.kind == MessageKind::DoubleClick) presses.push_back(m.kind);
    EXPECT_EQ(presses, (std::vector<MessageKind>{MessageKind::ButtonDown, MessageKind::DoubleClick,
                                                 MessageKind::ButtonDown}));
}

TEST_F(WindowManagerTest, CaptureRoutesMouseMessages)
{
    const WindowId a = top("Plain", {0, 0, 100, 100});
    const WindowId b = top("Plain", {200, 0, 300, 100});
    wm->inject_mouse_button(ButtonLeft, true, {10, 10});
    pump();
    wm->set_capture(a);
    g_log.clear();
    wm->inject_mouse_move({250, 20});
    wm->inject_mouse_button(ButtonLeft, false, {250, 20});
    pump();
    std::vector<Message> log = input_log();
    ASSERT_EQ(log.size(), 2u);
    for (const Message& m : log) {
        EXPECT_EQ(m.window, a);
        EXPECT_EQ(m.x, 250);  // in a's client coordinates, outside it
        EXPECT_EQ(m.y, 20);
    }
    EXPECT_EQ(log[1].kind, MessageKind::ButtonUp);
    wm->release_capture();
    bool lost = false;
    for (const Message& m : g_log) lost = lost || (m.kind == MessageKind::CaptureLost && m.window == a);
    EXPECT_TRUE(lost);
    g_log.clear();
    wm->inject_mouse_move({260, 30});
    pump();
    log = input_log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].window, b);
    EXPECT_EQ(log[0].x, 60);
    EXPECT_EQ(log[0].y, 30);
}

TEST_F(WindowManagerTest, ClicksGoToTheFrontmostChildAndActivateItsWindow)
{
    const WindowId frame = top("Plain", {0, 0, 400, 300}, StyleVisible | StyleCaption);
    const WindowId panel = child(frame, {10, 10, 110, 60}, 7);
    const WindowId over = child(frame, {50, 20, 150, 80}, 8);  // created later: in front
    const WindowId tool = top("Plain", {500, 0, 600, 100}, StyleVisible | StyleTopmost, frame);
    EXPECT_EQ(wm->children(frame), (std::vector<WindowId>{over, panel}));
    EXPECT_EQ(wm->client_rect(frame).height(), 300 - 21 - 1);

    // (60, 40) of the frame's client area is inside both children: the front one wins.
    const Point p = wm->client_to_screen(frame, {60, 40});
    EXPECT_EQ(wm->window_at(p), over);
    g_log.clear();
    wm->inject_mouse_button(ButtonLeft, true, p);
    pump();
    EXPECT_EQ(wm->active_window(), frame);
    EXPECT_EQ(wm->focus(), frame);
    const std::vector<Message> log = input_log();  // the move there, then the press
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[1].kind, MessageKind::ButtonDown);
    EXPECT_EQ(log[1].window, over);
    EXPECT_EQ(log[1].x, 10);
    EXPECT_EQ(log[1].y, 20);

    // The topmost owned window stays in front when its owner is activated.
    EXPECT_EQ(wm->top_level_windows().front(), tool);
    wm->bring_to_top(panel);
    EXPECT_EQ(wm->window_at(p), panel);
    EXPECT_EQ(wm->next_window(panel), over);

    // A disabled child takes no click; a hidden one is not hit.
    wm->enable_window(panel, false);
    g_log.clear();
    wm->inject_mouse_button(ButtonLeft, false, p);
    pump();
    EXPECT_TRUE(input_log().empty());
    wm->show_window(panel, false);
    EXPECT_EQ(wm->window_at(p), over);

    // Focus moves with SetFocus / KillFocus messages.
    g_log.clear();
    wm->set_focus(over);
    ASSERT_GE(g_log.size(), 2u);
    EXPECT_EQ(g_log[0].kind, MessageKind::KillFocus);
    EXPECT_EQ(g_log[0].window, frame);
    EXPECT_EQ(g_log[1].kind, MessageKind::SetFocus);
    EXPECT_EQ(g_log[1].window, over);
}

TEST_F(WindowManagerTest, OwnedWindowsStayAboveTheirOwner)
{
    const WindowId frame = top("Plain", {0, 0, 800, 600});
    const WindowId dialog = top("Plain", {100, 100, 300, 300}, StyleVisible | StyleCaption, frame);
    const WindowId other = top("Plain", {0, 0, 50, 50});
    wm->activate_window(frame);
    const std::vector<WindowId> order = wm->top_level_windows();
    EXPECT_EQ(order[0], dialog);
    EXPECT_EQ(order[1], frame);
    EXPECT_EQ(order[2], other);
    wm->destroy_window(frame);  // takes its owned windows along
    EXPECT_FALSE(wm->exists(dialog));
    EXPECT_EQ(wm->active_window(), other);
}

TEST_F(WindowManagerTest, DestroyingAWindowDestroysItsChildrenParentFirst)
{
    const WindowId w = top("Plain", {0, 0, 300, 300});
    const WindowId c1 = child(w, {0, 0, 10, 10}, 1);
    const WindowId c2 = child(w, {0, 0, 10, 10}, 2);
    const WindowId g = child(c1, {0, 0, 5, 5}, 3);
    wm->set_timer(c2, 9, 10);
    wm->set_capture(g);
    g_log.clear();
    wm->destroy_window(w);
    std::vector<WindowId> destroyed;
    for (const Message& m : g_log)
        if (m.kind == MessageKind::Destroy) destroyed.push_back(m.window);
    ASSERT_EQ(destroyed.size(), 4u);
    EXPECT_EQ(destroyed[0], w);
    for (WindowId id : {w, c1, c2, g}) EXPECT_FALSE(wm->exists(id));
    EXPECT_EQ(wm->capture(), 0u);
    EXPECT_FALSE(wm->kill_timer(c2, 9));
    // A message posted to a destroyed window is dropped.
    Message m;
    m.window = c1;
    m.kind = MessageKind::User;
    wm->post_message(m);
    EXPECT_FALSE(wm->peek_message(m, true));
}

TEST_F(WindowManagerTest, PaintErasesTheInvalidAreaAndComposesTheScreen)
{
    const WindowId w = top("Clicks", {100, 100, 200, 150});
    pump();  // the first paint
    const PixelBuffer px = wm->pixels(w);
    ASSERT_EQ(px.width, 100);
    ASSERT_EQ(px.height, 50);
    EXPECT_EQ(px.stride, 400);
    EXPECT_EQ(px.row(10)[10], opaque(0x00FF00));

    px.row(5)[5] = opaque(0x123456);
    Rect area{0, 0, 4, 4};
    wm->invalidate(w, &area, true);
    g_log.clear();
    pump();
    int paints = 0;
    for (const Message& m : g_log) paints += m.kind == MessageKind::Paint;
    EXPECT_EQ(paints, 1);
    EXPECT_EQ(px.row(5)[5], opaque(0x123456));  // outside the area: kept

    std::vector<uint32_t> screen(800 * 600);
    PixelBuffer screen_buffer{800, 600, 800 * 4, screen.data()};
    wm->compose(screen_buffer, {0, 0, 800, 600});
    EXPECT_EQ(screen[105 * 800 + 105], opaque(0x123456));
    EXPECT_EQ(screen[120 * 800 + 150], opaque(0x00FF00));
    EXPECT_NE(screen[50 * 800 + 50], opaque(0x00FF00));  // the desktop

    // A procedure that never paints is not asked again.
    Rect all{0, 0, 100, 50};
    wm->invalidate(w, &all, false);
    pump();
    EXPECT_TRUE(wm->update_area(w).empty());
    EXPECT_FALSE(headless->presented().empty());
}

TEST_F(WindowManagerTest, MaximisedChildrenFollowTheirParent)
{
    const WindowId frame = top("Plain", {0, 0, 400, 300});
    const WindowId area = child(frame, {0, 0, 400, 300}, 1, StyleVisible | StyleMaximized);
    const WindowId doc = child(area, {10, 10, 110, 110}, 2, StyleVisible | StyleCaption | StyleDocument);
    wm->maximize_window(doc);
    EXPECT_TRUE(wm->is_maximized(doc));
    EXPECT_EQ(wm->window_rect(doc), (Rect{0, 0, 400, 300}));
    wm->set_window_rect(frame, {0, 0, 640, 480});
    EXPECT_EQ(wm->window_rect(area), (Rect{0, 0, 640, 480}));
    EXPECT_EQ(wm->window_rect(doc), (Rect{0, 0, 640, 480}));
    wm->restore_window(doc);
    EXPECT_EQ(wm->window_rect(doc), (Rect{10, 10, 110, 110}));
    EXPECT_EQ(wm->pixels(doc).width, 98);
}

TEST_F(WindowManagerTest, FilesDropOnTheNearestWindowThatAcceptsThem)
{
    const WindowId w = top("Plain", {0, 0, 300, 300});
    const WindowId c = child(w, {10, 10, 100, 100}, 1);
    wm->inject_file_drop({20, 20}, {"a.mid"});
    pump();
    EXPECT_TRUE(input_log().empty());  // nobody accepts drops yet
    wm->accept_file_drops(w, true);
    wm->inject_file_drop({20, 20}, {"Biblioth\xE8que\\a.bcc", "b.mid"});
    pump();
    const std::vector<Message> log = input_log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].window, w);
    ASSERT_TRUE(log[0].paths);
    EXPECT_EQ(*log[0].paths, (std::vector<std::string>{"Biblioth\xE8que\\a.bcc", "b.mid"}));
    (void)c;
}

TEST_F(WindowManagerTest, MessagesPostedFromAnotherThreadWakeTheQueue)
{
    const WindowId w = top("Plain", {0, 0, 10, 10});
    pump();
    std::thread poster([&] {
        for (int i = 1; i <= 3; ++i) {
            Message m;
            m.window = w;
            m.kind = MessageKind::User;
            m.id = i;
            wm->post_message(m);
        }
        wm->post_quit(7);
    });
    std::vector<int32_t> ids;
    Message m;
    while (wm->get_message(m))
        if (m.kind == MessageKind::User) ids.push_back(m.id);
    poster.join();
    EXPECT_EQ(ids, (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(m.kind, MessageKind::Quit);
    EXPECT_EQ(m.id, 7);
}

TEST_F(WindowManagerTest, CursorFollowsTheClassUnderThePointer)
{
    top("Clicks", {0, 0, 100, 100});
    wm->inject_mouse_move({50, 50});
    pump();
    EXPECT_EQ(headless->shown_cursor(), Cursor::Hand);
    wm->set_cursor_position({500, 500});  // over the desktop: nothing changes it
    pump();
    EXPECT_EQ(wm->cursor_position().x, 500);
    EXPECT_EQ(headless->shown_cursor(), Cursor::Hand);
}

}  // namespace

namespace {

TEST_F(WindowManagerTest, RunsTwoSecondsOfProgramTimeAtOnce)
{
    const WindowId w = top("Plain", {0, 0, 10, 10});
    wm->set_timer(w, 1, 20);
    ASSERT_TRUE(wm->run_until(2000));
    int timers = 0;
    for (const Message& m : g_log) timers += m.kind == MessageKind::Timer;
    EXPECT_EQ(timers, 100);
    EXPECT_EQ(wm->now(), 2000);
    // With nothing to wait for, the clock still gets there; a quit message stops the run.
    wm->kill_timer(w, 1);
    ASSERT_TRUE(wm->run_until(2500));
    EXPECT_EQ(wm->now(), 2500);
    wm->post_quit(3);
    EXPECT_FALSE(wm->run_until(9000));
    Message m;
    EXPECT_FALSE(wm->get_message(m));
    EXPECT_EQ(m.id, 3);
}

TEST_F(WindowManagerTest, DocumentAreaCyclesAndKeepsItsDocumentMaximised)
{
    const WindowId frame = top("Plain", {0, 0, 600, 400}, StyleVisible | StyleCaption);
    const WindowId area = child(frame, {0, 0, 100, 100}, 1, StyleVisible | StyleMaximized);
    std::vector<WindowId> docs;
    for (int i = 0; i < 3; ++i)
        docs.push_back(child(area, {10 * i, 10 * i, 200 + 10 * i, 150 + 10 * i}, 10 + i,
                             StyleVisible | StyleCaption | StyleDocument));
    EXPECT_EQ(wm->front_document(area), docs[2]);
    wm->maximize_window(docs[2]);

    Message ctrl_f6;
    ctrl_f6.kind = MessageKind::KeyDown;
    ctrl_f6.key = function_key(6);
    ctrl_f6.modifiers = ModControl;
    EXPECT_TRUE(wm->translate_document_keys(area, ctrl_f6));
    EXPECT_EQ(wm->front_document(area), docs[1]);
    EXPECT_TRUE(wm->is_maximized(docs[1]));
    EXPECT_FALSE(wm->is_maximized(docs[2]));
    EXPECT_EQ(wm->window_rect(docs[2]), (Rect{20, 20, 220, 170}));
    EXPECT_TRUE(wm->translate_document_keys(area, ctrl_f6));
    EXPECT_EQ(wm->front_document(area), docs[0]);
    EXPECT_TRUE(wm->translate_document_keys(area, ctrl_f6));
    EXPECT_EQ(wm->front_document(area), docs[2]);  // round again

    // A click on a document behind brings it to the front.
    const Point inside = wm->client_to_screen(docs[1], {5, 5});
    wm->restore_window(docs[2]);
    wm->inject_mouse_button(ButtonLeft, true, inside);
    wm->inject_mouse_button(ButtonLeft, false, inside);
    pump();
    EXPECT_EQ(wm->front_document(area), docs[1]);

    Message ctrl_f4 = ctrl_f6;
    ctrl_f4.key = function_key(4);
    EXPECT_TRUE(wm->translate_document_keys(area, ctrl_f4));
    pump();  // the Close message reaches default processing, which destroys the window
    EXPECT_FALSE(wm->exists(docs[1]));
    ctrl_f4.modifiers = 0;
    EXPECT_FALSE(wm->translate_document_keys(area, ctrl_f4));
}

// Alt+F4 closes the main window whatever window has the key; F4 with another modifier, or
// Alt with another key, is left to the window.
TEST_F(WindowManagerTest, AltF4ClosesTheMainWindow)
{
    const WindowId frame = top("Plain", {0, 0, 600, 400}, StyleVisible | StyleCaption);
    const WindowId area = child(frame, {0, 0, 100, 100}, 1, StyleVisible);
    const WindowId other = top("Plain", {10, 10, 200, 200}, StyleVisible | StyleCaption);
    struct Case {
        Key key;
        int32_t modifiers;
        bool taken;
    };
    const Case cases[] = {
        {function_key(4), ModAlt, true},
        {function_key(4), ModAlt | ModShift, false},
        {function_key(4), ModControl | ModAlt, false},
        {function_key(4), 0, false},
        {function_key(5), ModAlt, false},
    };
    for (const Case& c : cases) {
        Message m;
        m.kind = MessageKind::KeyDown;
        m.window = area;
        m.key = c.key;
        m.modifiers = c.modifiers;
        EXPECT_EQ(translate_system_keys(*wm, m), c.taken) << c.modifiers;
        m.kind = MessageKind::KeyUp;
        EXPECT_FALSE(translate_system_keys(*wm, m));
    }
    pump();  // the Close message reaches default processing, which destroys the window
    EXPECT_FALSE(wm->exists(frame));
    EXPECT_TRUE(wm->exists(other));
}

TEST_F(WindowManagerTest, OutlinesInvertTheScreenUnderThem)
{
    top("Plain", {0, 0, 100, 100});
    pump();
    wm->set_screen_outlines({{10, 10, 20, 15}});
    std::vector<uint32_t> screen(200 * 200);
    const PixelBuffer buffer{200, 200, 200 * 4, screen.data()};
    wm->compose(buffer, {0, 0, 200, 200});
    const uint32_t white = opaque(0xFFFFFF), black = opaque(0);
    EXPECT_EQ(screen[10 * 200 + 10], black);  // corner, inverted once
    EXPECT_EQ(screen[14 * 200 + 19], black);
    EXPECT_EQ(screen[12 * 200 + 10], black);
    EXPECT_EQ(screen[12 * 200 + 12], white);  // inside stays
    EXPECT_EQ(screen[15 * 200 + 10], white);  // the bottom edge is the last row inside
    wm->set_screen_outlines({});
    wm->compose(buffer, {0, 0, 200, 200});
    EXPECT_EQ(screen[10 * 200 + 10], white);
}

TEST_F(WindowManagerTest, TitleBarsShowTheirTitleLeftOfTheCloseBox)
{
    WindowOptions options;
    options.class_name = "Plain";
    options.style = StyleVisible | StyleCaption | StyleCloseBox;
    options.rect = {0, 0, 120, 60};
    options.title = "Partition avec un titre bien trop long";
    const WindowId w = wm->create_window(options);
    pump();
    std::vector<uint32_t> screen(200 * 100);
    const PixelBuffer buffer{200, 100, 200 * 4, screen.data()};
    const auto letters = [&](int32_t left, int32_t right) {
        int n = 0;
        for (int32_t y = 3; y < 18; ++y)  // inside the title bar
            for (int32_t x = left; x < right; ++x)
                n += screen[y * 200 + x] == opaque(0xFFFFFF);
        return n;
    };
    wm->compose(buffer, {0, 0, 200, 100});
    const Rect frame = wm->screen_window_rect(w);
    EXPECT_GT(letters(frame.left, frame.right - 24), 20) << "white letters on the title bar";
    EXPECT_EQ(letters(frame.right - 20, frame.right), 0) << "the text stops before the close box";
    wm->set_title(w, "");
    wm->compose(buffer, {0, 0, 200, 100});
    EXPECT_EQ(letters(frame.left, frame.right - 24), 0);
}

TEST_F(WindowManagerTest, TheMainWindowTitleGoesToTheDisplay)
{
    WindowOptions options;
    options.class_name = "Plain";
    options.title = "BRINDLE-COT";
    options.rect = {0, 0, 10, 10};
    const WindowId main = wm->create_window(options);
    options.title = "Palette";
    const WindowId other = wm->create_window(options);
    EXPECT_EQ(headless->title(), "BRINDLE-COT");
    wm->set_title(other, "Outils");
    EXPECT_EQ(headless->title(), "BRINDLE-COT");
    wm->set_title(main, "Partition \xE9");
    EXPECT_EQ(headless->title(), "Partition \xE9");
    EXPECT_EQ(wm->main_window(), main);
}

}  // namespace

namespace {

TEST_F(WindowManagerTest, FramesMoveResizeAndCloseByHand)
{
    const WindowId w = top("Plain", {100, 100, 300, 250}, StyleVisible | StyleCaption | StyleSizing | StyleCloseBox);
    // Insets: a 3-pixel sizing border and a 20-pixel title bar.
    struct Case { Point at; uint32_t part; };
    const Case parts[] = {
        {{150, 110}, FrameCaption},
        {{297, 105}, FrameRight | FrameTop},  // near the corner, on the border
        {{290, 110}, FrameCloseBox},
        {{101, 180}, FrameLeft},
        {{200, 249}, FrameBottom},
        {{200, 180}, FrameNone},              // the client area
    };
    for (const Case& c : parts) EXPECT_EQ(wm->frame_part(w, c.at), c.part) << c.at.x << "," << c.at.y;

    // Dragging the title bar moves the window; the window hears Move but no mouse message.
    g_log.clear();
    wm->inject_mouse_button(ButtonLeft, true, {150, 110});
    wm->inject_mouse_move({170, 140});
    wm->inject_mouse_button(ButtonLeft, false, {170, 140});
    pump();
    EXPECT_EQ(wm->window_rect(w), (Rect{120, 130, 320, 280}));
    EXPECT_TRUE(input_log().empty());

    // Dragging the bottom-right corner far inwards stops at the smallest size.
    wm->inject_mouse_button(ButtonLeft, true, {319, 279});
    wm->inject_mouse_move({0, 0});
    wm->inject_mouse_button(ButtonLeft, false, {0, 0});
    pump();
    EXPECT_EQ(wm->window_rect(w), (Rect{120, 130, 120 + 3 + 3 + 10, 130 + 23 + 3 + 10}));
    EXPECT_EQ(wm->client_rect(w), (Rect{0, 0, 10, 10}));

    // The close box sends Close, which the default processing turns into destruction.
    wm->set_window_rect(w, {100, 100, 300, 250});
    wm->inject_mouse_button(ButtonLeft, true, {290, 110});
    wm->inject_mouse_button(ButtonLeft, false, {290, 110});
    pump();
    EXPECT_FALSE(wm->exists(w));
}

}  // namespace

// A title fits when its letters end before the close box; a window without a title bar, or
// without a title, has nothing to cut.
TEST_F(WindowManagerTest, ATitleFitsWhenItEndsBeforeTheCloseBox)
{
    const uint32_t tool = StyleVisible | StyleToolCaption | StyleSizing | StyleCloseBox;
    struct Case {
        uint32_t style;
        int32_t width;
        const char* title;
        bool fits;
    } cases[] = {
        {tool, 200, "Articulations", true},
        {tool, 60, "Articulations", false},
        {tool, 60, "", true},
        {StyleVisible, 20, "Articulations", true},  // no title bar
        {StyleVisible | StyleCaption, 60, "Voix", true},
        {StyleVisible | StyleCaption, 40, "Voix", false},
    };
    for (const Case& c : cases) {
        const WindowId w = top("Plain", {10, 10, 10 + c.width, 100}, c.style);
        wm->set_title(w, c.title);
        EXPECT_EQ(wm->title_fits(w), c.fits) << c.title << " in " << c.width;
        wm->destroy_window(w);
    }
}
