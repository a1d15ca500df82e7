// The native controls on their own: what the user's input does to them and what they tell
// their parent window.
#include "platform/Control.h"
#include "platform/HeadlessBackend.h"
#include "platform/WindowManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace platform;

namespace {

std::vector<Message> g_told;  // what the controls told their parent

intptr_t parent_proc(WindowId window, Message& m)
{
    if (m.kind == MessageKind::Command || m.kind == MessageKind::User) g_told.push_back(m);
    return default_window_proc(window, m);
}

class Controls : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_told.clear();
        wm = std::make_unique<WindowManager>(std::make_unique<HeadlessBackend>(Point{800, 600}));
        wm->register_class({"Parent", parent_proc, 0, 0xF0F0F0, Cursor::Arrow});
        WindowOptions o;
        o.class_name = "Parent";
        o.style = StyleVisible;
        o.rect = {0, 0, 400, 300};
        parent = wm->create_window(o);
        wm->activate_window(parent);
    }
    template <class T>
    T* make(ControlKind kind, uint32_t flags, Rect r, int32_t id = 7)
    {
        const WindowId w = Control::create(kind, parent, id, flags, r);
        wm->show_window(w, true);
        return static_cast<T*>(Control::of(w));
    }
    void run()
    {
        Message m;
        for (int i = 0; i < 500 && wm->peek_message(m, true); i++) {
            wm->translate_message(m);
            wm->dispatch_message(m);
        }
    }
    void click(WindowId w, int32_t x, int32_t y)
    {
        const Point p = wm->client_to_screen(w, {x, y});
        wm->inject_mouse_move(p);
        wm->inject_mouse_button(ButtonLeft, true, p);
        wm->inject_mouse_button(ButtonLeft, false, p);
        run();
    }
    std::unique_ptr<WindowManager> wm;
    WindowId parent = 0;
};

TEST_F(Controls, ButtonsClickOnlyWhenReleasedOverThem)
{
    auto* push = make<ButtonControl>(ControlKind::Button, 0, {10, 10, 90, 32});
    click(push->window(), 5, 5);
    ASSERT_EQ(g_told.size(), 1u);
    EXPECT_EQ(g_told[0].id, 7);
    EXPECT_EQ(g_told[0].param2, 0);
    EXPECT_EQ(g_told[0].param1, (intptr_t)push->window());
    g_told.clear();
    const Point in = wm->client_to_screen(push->window(), {5, 5});
    wm->inject_mouse_button(ButtonLeft, true, in);
    wm->inject_mouse_button(ButtonLeft, false, {in.x + 200, in.y});
    run();
    EXPECT_TRUE(g_told.empty()) << "released elsewhere: no click";
    auto* check = make<ButtonControl>(ControlKind::Button, CtlCheckBox, {10, 40, 90, 60}, 8);
    auto* radio = make<ButtonControl>(ControlKind::Button, CtlRadio, {10, 70, 90, 90}, 9);
    click(check->window(), 5, 5);
    click(radio->window(), 5, 5);
    click(radio->window(), 5, 5);
    EXPECT_EQ(check->check(), 1);
    EXPECT_EQ(radio->check(), 1) << "a radio button only checks itself";
    wm->set_focus(check->window());
    wm->inject_text(" ");
    run();
    EXPECT_EQ(check->check(), 0) << "the space bar clicks the focused button";
    wm->enable_window(check->window(), false);
    g_told.clear();
    click(check->window(), 5, 5);
    EXPECT_TRUE(g_told.empty()) << "a disabled button takes no click";
}

TEST_F(Controls, EditFieldsTypeWithinTheirLimitAndModes)
{
    auto* edit = make<EditControl>(ControlKind::Edit, CtlAutoHScroll | CtlUpperCase, {10, 10, 200, 30});
    edit->set_limit(5);
    wm->set_focus(edit->window());
    wm->inject_text("ab");
    run();
    Message accented;
    accented.kind = MessageKind::Character;
    accented.character = 0xE9;
    wm->send_message(edit->window(), accented);
    wm->inject_text("cdef");
    run();
    EXPECT_EQ(edit->text(), "AB\xc9" "CD") << "capitals, five at most";
    size_t changes = 0;
    for (const Message& m : g_told) changes += m.param2 == 0x300;
    EXPECT_EQ(changes, 5u);
    wm->inject_key(KeyHome, true);
    wm->inject_key(KeyShift, true);
    wm->inject_key(KeyRight, true);
    wm->inject_key(KeyRight, true);
    wm->inject_key(KeyShift, false);
    run();
    EXPECT_EQ(edit->selection_start(), 0);
    EXPECT_EQ(edit->selection_end(), 2);
    wm->inject_text("z");
    run();
    EXPECT_EQ(edit->text(), "Z\xc9" "CD") << "the selection is replaced";
    edit->set_read_only(true);
    wm->inject_text("y");
    wm->inject_key(KeyDelete, true);
    run();
    EXPECT_EQ(edit->text(), "Z\xc9" "CD") << "read-only";

    auto* lines = make<EditControl>(ControlKind::Edit, CtlMultiLine, {10, 40, 200, 100}, 8);
    wm->set_focus(lines->window());
    wm->inject_text("do\rre");
    run();
    EXPECT_EQ(lines->text(), "do\r\nre");
    wm->inject_key(KeyBackspace, true);
    wm->inject_key(KeyBackspace, true);
    wm->inject_key(KeyBackspace, true);
    run();
    EXPECT_EQ(lines->text(), "do") << "a line break goes as one";
}

TEST_F(Controls, MultiLineFieldsWrapLongLinesBeforeAWord)
{
    auto* wrapped = make<EditControl>(ControlKind::Edit, CtlMultiLine, {10, 10, 110, 110});
    const int32_t room = 100 - 6;
    std::string words;
    while (wrapped->font().string_width(words + "do re ") <= room) words += "do re ";
    wrapped->set_text(words + "mi fa\r\nsol");
    // The caret goes up from the last line: to the second line of the first paragraph.
    wm->set_focus(wrapped->window());
    wm->inject_key(KeyHome, true);
    wm->inject_key(KeyUp, true);
    wm->inject_key(KeyHome, true);
    run();
    EXPECT_EQ(wrapped->caret(), (int32_t)words.size()) << "the second line starts at \"mi\"";
    auto* scrolled = make<EditControl>(ControlKind::Edit, CtlMultiLine | CtlAutoHScroll, {10, 120, 110, 220}, 8);
    scrolled->set_text(words + "mi fa\r\nsol");
    wm->set_focus(scrolled->window());
    wm->inject_key(KeyUp, true);
    wm->inject_key(KeyHome, true);
    run();
    EXPECT_EQ(scrolled->caret(), 0) << "without wrapping the first paragraph is one line";
}

TEST_F(Controls, ListsSelectByClickAndKeys)
{
    auto* list = make<ListControl>(ControlKind::List, 0, {10, 10, 150, 100});
    for (const char* s : {"Do", "Ré", "Mi"}) list->insert(s, -1);
    EXPECT_EQ(list->insert("Si", 0), 0);
    EXPECT_EQ(list->item(0), "Si");
    EXPECT_EQ(list->selection(), -1);
    click(list->window(), 5, 2 + list->row_height() + 2);
    EXPECT_EQ(list->selection(), 1);
    ASSERT_EQ(g_told.size(), 1u);
    EXPECT_EQ(g_told[0].param2, 1);
    wm->inject_key(KeyDown, true);
    run();
    EXPECT_EQ(list->selection(), 2);
    g_told.clear();
    const Point p = wm->client_to_screen(list->window(), {5, 4});
    wm->inject_mouse_button(ButtonLeft, true, p);
    wm->inject_mouse_button(ButtonLeft, false, p);
    wm->inject_mouse_button(ButtonLeft, true, p);
    wm->inject_mouse_button(ButtonLeft, false, p);
    run();
    ASSERT_EQ(g_told.size(), 2u);
    EXPECT_EQ(g_told[1].param2, 2) << "double click";
    EXPECT_FALSE(list->remove(9));
    EXPECT_EQ(list->item(9), "");
}

TEST_F(Controls, ALongListScrollsWithItsBar)
{
    auto* list = make<ListControl>(ControlKind::List, 0, {10, 10, 150, 110});
    for (int i = 0; i < 30; i++) list->insert("Mesure " + std::to_string(i + 1), -1);
    const int32_t rows = (100 - 4) / list->row_height();
    click(list->window(), 140 - 4, 100 - 6);  // the down arrow
    EXPECT_EQ(list->top(), 1);
    click(list->window(), 140 - 4, 60);  // the trough below the thumb
    EXPECT_EQ(list->top(), 1 + rows);
    click(list->window(), 140 - 4, 6);  // the up arrow
    EXPECT_EQ(list->top(), rows);
    EXPECT_TRUE(g_told.empty()) << "scrolling selects nothing";
    for (int i = 0; i < 10; i++) click(list->window(), 140 - 4, 80);
    EXPECT_EQ(list->top(), 30 - rows) << "the last page stays full";
}

TEST_F(Controls, ScrollBarsAskTheirParentAndDragTheThumb)
{
    auto* bar = make<ScrollControl>(ControlKind::Scroll, CtlHorizontal, {10, 10, 210, 26});
    bar->set_range(0, 100);
    bar->set_position(150);
    EXPECT_EQ(bar->position(), 100) << "kept inside the range";
    bar->set_position(0);
    const int32_t thumb = bar->thumb_start() + bar->thumb_length() / 2;
    const Point from = wm->client_to_screen(bar->window(), {thumb, 8});
    wm->inject_mouse_move(from);
    wm->inject_mouse_button(ButtonLeft, true, from);
    wm->inject_mouse_move({from.x + 400, from.y});
    wm->inject_mouse_button(ButtonLeft, false, {from.x + 400, from.y});
    run();
    EXPECT_EQ(bar->position(), 100);
    std::vector<intptr_t> requests;
    for (const Message& m : g_told) requests.push_back(m.param2);
    EXPECT_EQ(requests, (std::vector<intptr_t>{5, 4, 8}));
    EXPECT_EQ(g_told[0].id, 0x114);
    EXPECT_EQ(g_told[1].x, 100);
}

}  // namespace
