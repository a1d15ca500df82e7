// Dialogs described in text, driven by injected input: every control kind, the first step,
// Return and Escape, Tab order, and a picture of the dialog.
#include "DialogFixture.h"

#include "framework/CBitmap.h"
#include "framework/CButton.h"
#include "framework/CLabel.h"
#include "framework/CList.h"
#include "framework/CScroll.h"
#include "framework/CSlider.h"
#include "framework/CTextedit.h"
#include "framework/ControlHandlers.h"
#include "framework/ColorChooser.h"
#include "framework/DefaultHandlers.h"
#include "framework/MessageBoxes.h"
#include "framework/WindowLookup.h"
#include "platform/Control.h"
#include "platform/WindowManager.h"

#include <cstring>

using namespace platform;

namespace {

class Dialogs : public DialogFixture {
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        d = new CDialog("MISC", "CLASSES.RES", 90, default_dialog_handler, 0);
        ASSERT_EQ(d->id_dial, 90);
        steps(d);  // the first step shows it
    }
    void TearDown() override
    {
        delete d;
        DialogFixture::TearDown();
    }
    // The events of the steps, each also handed to the default event handler as owners do.
    std::vector<Event> work()
    {
        std::vector<Event> events = steps(d);
        for (Event& e : events) default_event_handler(d, &e);
        return events;
    }
    CDialog* d = nullptr;
};

TEST_F(Dialogs, EveryControlIsBuiltWhereTheDescriptionPutsIt)
{
    EXPECT_EQ(d->get_x(), (800 - 460) / 2);
    EXPECT_EQ(d->get_y(), (600 - 340) / 2);
    struct Case {
        short id, uid, x, y, w, h;
    } cases[] = {
        {1, 12, 22, 30, -1, 20},  {2, 12, 22, 56, -1, 20},  {3, 12, 22, 82, -1, 20},
        {5, 9, 220, 40, 200, 96}, {7, 14, 220, 140, 200, 22}, {8, 13, 220, 172, 200, 16},
        {9, 23, 10, 174, 190, 34}, {10, 20, 10, 216, 80, 18}, {11, 25, 220, 200, 200, 14},
        {13, 7, 130, 240, 80, 40}, {14, 44, 220, 230, 40, 24}, {20, 21, 10, 8, 190, 120},
        {1000, 8, 220, 276, 100, 26}, {12, 22, 100, 214, 16, 16},
    };
    for (const Case& c : cases) {
        CPanel* p = d->find_child(c.id);
        ASSERT_NE(p, nullptr) << c.id;
        EXPECT_EQ(p->uid, c.uid) << c.id;
        EXPECT_EQ(p->get_x(), c.x) << c.id;
        EXPECT_EQ(p->get_y(), c.y) << c.id;
        if (c.w >= 0) {
            EXPECT_EQ(p->get_width(), c.w) << c.id;
        }
        EXPECT_EQ(p->get_height(), c.h) << c.id;
    }
    EXPECT_EQ(d->check(4)->get_width(), control_text_width("Avec accords") + 22);
    EXPECT_EQ(d->radio(2)->get_group_value(), 2);
    EXPECT_EQ(d->list(5)->total(), 4);
    EXPECT_EQ(d->popup(6)->get_cur(), 2);
    EXPECT_EQ(d->scroll(8)->get_value(), 40);
    EXPECT_EQ(d->slider(9)->get_value(), 64);
    EXPECT_EQ(d->enter_item, 1000);
    EXPECT_EQ(d->esc_item, 1001);
    EXPECT_EQ(d->check(7), nullptr) << "item 7 is a text field";
}

TEST_F(Dialogs, TheFirstStepShowsTheDialogAndSelectsTheFirstTextField)
{
    EXPECT_TRUE(wm->is_visible(d->hwnd));
    EXPECT_EQ(d->first_focus, 7);
    EXPECT_EQ(wm->focus(), d->te(7)->hwnd);
    d->te(7)->set_text("abc");
    d->te(7)->select_all();
    auto* edit = static_cast<EditControl*>(Control::of(d->te(7)->hwnd));
    EXPECT_EQ(edit->selection_start(), 0);
    EXPECT_EQ(edit->selection_end(), 3);
}

TEST_F(Dialogs, AClickOnABoundCheckBoxFlipsItsVariable)
{
    short with_chords = 1;
    d->check(4)->set_var_ptr(&with_chords);
    EXPECT_EQ(d->check(4)->get_value(), 1);
    click(at(d->check(4), 5));
    std::vector<Event> events = work();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].type, EvControl);
    EXPECT_EQ(events[0].item, 4);
    EXPECT_EQ(with_chords, 0);
    click(at(d->check(4), 5));
    work();
    EXPECT_EQ(with_chords, 1);
}

TEST_F(Dialogs, RadioClicksAndArrowsMoveTheGroupsChoice)
{
    click(at(d->radio(3), 5));
    std::vector<Event> events = work();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].item, 3);
    EXPECT_EQ(d->radio(1)->get_group_value(), 3);
    EXPECT_EQ(d->radio(2)->get_value(), 0) << "the group unchecks the others";
    key(KeyUp);
    events = work();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].item, 2);
    EXPECT_EQ(d->radio(1)->get_group_value(), 2);
    EXPECT_EQ(wm->focus(), d->radio(2)->hwnd);
}

TEST_F(Dialogs, UpAtTheHeadOfAGroupChoosesTheButtonAboveInTheGroupBefore)
{
    CRadio* r[4];
    for (short i = 0; i < 4; i++) {
        r[i] = new CRadio(d, (short)(40 + i), i % 2 == 0 ? 1 : 0);
        r[i]->set_rect(300, (short)(20 + 24 * i), 400, (short)(40 + 24 * i));
        r[i]->show();
    }
    r[0]->set_group_value(1);
    r[2]->set_group_value(1);
    d->set_focus(42);
    key(KeyUp);
    std::vector<Event> events = work();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].item, 41);
    EXPECT_EQ(wm->focus(), r[1]->hwnd);
    EXPECT_EQ(r[0]->get_group_value(), 2) << "the focused button is the chosen one";
    EXPECT_EQ(r[2]->get_group_value(), 1) << "the group below keeps its choice";
}

TEST_F(Dialogs, ListAndPopUpChoicesNotify)
{
    int clicks = 0;
    static int* counter = nullptr;
    counter = &clicks;
    d->list(5)->set_c_proc([] { (*counter)++; });
    CList* list = d->list(5);
    auto* l = static_cast<ListControl*>(Control::of(list->hwnd));
    click(at(list, 10, 2 + l->row_height() * 2 + 3));
    std::vector<Event> events = work();
    ASSERT_EQ(types(events), std::vector<short>{EvControl});
    EXPECT_EQ(events[0].item, 5);
    EXPECT_EQ(list->get_cur(), 3);
    EXPECT_EQ(clicks, 1);
    key(KeyDown);
    work();
    EXPECT_EQ(list->get_cur(), 4);

    short instrument = 1;
    CPopup* popup = d->popup(6);
    popup->set_var_ptr(&instrument);
    EXPECT_EQ(popup->get_cur(), 1);
    click(at(popup));
    work();
    auto* combo = static_cast<ComboControl*>(Control::of(popup->hwnd));
    ASSERT_TRUE(combo->dropped());
    click(wm->client_to_screen(combo->drop_window(), {10, 1 + combo->row_height() * 2 + 3}));
    events = work();
    ASSERT_EQ(types(events), std::vector<short>{EvControl});
    EXPECT_EQ(events[0].item, 6);
    EXPECT_EQ(instrument, 3);
    EXPECT_FALSE(combo->dropped());
}

TEST_F(Dialogs, ASliderDragMapsToItsRange)
{
    short velocity = 0;
    CSlider* s = d->slider(9);
    s->set_var_ptr(&velocity);
    EXPECT_EQ(velocity, 0) << "binding shows the variable, it does not change it";
    EXPECT_EQ(s->get_value(), 0);
    // Horizontal, 190 x 34: the value box is 51 wide, so 130 pixels of knob travel.
    const short k = (short)(34 * 1.5), travel = (short)(190 - k - 9);
    wm->inject_mouse_move(at(s, 1, 17));
    wm->inject_mouse_button(ButtonLeft, true, at(s, 1, 17));
    wm->inject_mouse_move(at(s, 1 + travel / 2, 17));
    wm->inject_mouse_move(at(s, 400, 17));
    std::vector<Event> events = work();
    EXPECT_EQ(velocity, 127);
    wm->inject_mouse_move(at(s, 1 + travel / 2, 17));
    work();
    EXPECT_EQ(velocity, 127 * (1 + travel / 2) / travel);
    wm->inject_mouse_button(ButtonLeft, false, at(s, 1 + travel / 2, 17));
    events = work();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().type, EvSliderReleased);
    // Ctrl+click: no value.
    wm->inject_key(KeyControl, true);
    click(at(s, 20, 17));
    wm->inject_key(KeyControl, false);
    work();
    EXPECT_EQ(s->get_value(), kNoValue);
    EXPECT_EQ(velocity, kNoValue);
    s->set_value(500);
    EXPECT_EQ(s->get_value(), 127);
}

TEST_F(Dialogs, AVerticalSliderReachesBothEnds)
{
    CSlider* s = new CSlider(d, 30, 0);
    s->set_rect(300, 20, 324, 147);  // 127 high
    s->show();
    s->set_min_max(0, 100);
    wm->inject_mouse_move(at(s, 12, 126));
    wm->inject_mouse_button(ButtonLeft, true, at(s, 12, 126));
    wm->inject_mouse_move(at(s, 12, 5));
    work();
    EXPECT_EQ(s->get_value(), 100);
    wm->inject_mouse_move(at(s, 12, 200));
    work();
    EXPECT_EQ(s->get_value(), 0);
    wm->inject_mouse_button(ButtonLeft, false, at(s, 12, 200));
    work();
    s->set_min_max(10, 5);
    short lo, hi;
    s->get_min_max(&lo, &hi);
    EXPECT_EQ(lo, 10);
    EXPECT_EQ(hi, 10);
}

TEST_F(Dialogs, SlidersWithNoRoomToTravelStayAtTheirMinimum)
{
    struct Case {
        short hor, w, h, x, y;
    } cases[] = {
        {0, 24, 27, 12, 10},  // vertical: the track is no longer than the knob
        {1, 39, 20, 0, 10},   // horizontal: the value box takes the rest
    };
    for (const Case& c : cases) {
        CSlider* s = new CSlider(d, 30, c.hor);
        s->set_rect(300, 20, (short)(300 + c.w), (short)(20 + c.h));
        s->show();
        s->set_min_max(-100, 100);
        s->set_value(50);
        wm->inject_mouse_move(at(s, c.x, c.y));
        wm->inject_mouse_button(ButtonLeft, true, at(s, c.x, c.y));
        wm->inject_mouse_button(ButtonLeft, false, at(s, c.x, c.y));
        work();
        EXPECT_EQ(s->get_value(), -100) << "horizontal " << c.hor;
        delete s;
    }
}

TEST_F(Dialogs, AClickInTheTroughPagesTheScrollBar)
{
    short tempo = 50;
    CScroll* bar = d->scroll(8);
    bar->set_var_ptr(&tempo);
    auto* c = static_cast<ScrollControl*>(Control::of(bar->hwnd));
    click(at(bar, c->thumb_start() + c->thumb_length() + 5, 8));
    std::vector<Event> events = work();
    EXPECT_EQ(types(events), (std::vector<short>{EvScrollPageDown, EvControl, EvScrollEnd}));
    EXPECT_EQ(tempo, 60);
    click(at(bar, 3, 8));  // the left arrow
    events = work();
    EXPECT_EQ(types(events), (std::vector<short>{EvScrollLineUp, EvControl, EvScrollEnd}));
    EXPECT_EQ(tempo, 59);
}

TEST_F(Dialogs, TypingChangesTheBoundBufferOncePerCharacter)
{
    char name[8] = "";
    CTextedit* t = d->te(7);
    t->set_max_char(7);
    t->set_string_ptr(name, sizeof name);
    t->set_text("");
    work();
    wm->inject_text("Do re");
    std::vector<Event> events = work();
    EXPECT_EQ(types(events), std::vector<short>(5, EvTextChanged));
    EXPECT_STREQ(name, "Do re");
    wm->inject_text("mifa");  // the field takes 7 characters
    work();
    EXPECT_STREQ(name, "Do remi");
    key(KeyBackspace);
    work();
    EXPECT_STREQ(name, "Do rem");
    // A text set by the program longer than the buffer is cut in the copy.
    t->set_text("Do re mi fa sol");
    work();
    EXPECT_STREQ(name, "Do re m");
}

TEST_F(Dialogs, NumbersInTextFields)
{
    CTextedit* t = d->te(7);
    t->set_integer(-12);
    EXPECT_EQ(t->get_integer(), -12);
    t->set_text("abc");
    EXPECT_EQ(t->get_integer(), 0);
    t->set_long(123456);
    EXPECT_EQ(t->get_long(), 123456);
    t->set_text("70000");
    EXPECT_EQ(t->get_integer(), 32767) << "held to 16 bits";
    t->set_text("-99999999999");
    EXPECT_EQ(t->get_long(), INT32_MIN) << "held to 32 bits";
}

TEST_F(Dialogs, ReturnAndEscapeEndTheDialogWithTheirButtons)
{
    key(KeyReturn);
    steps(d);
    EXPECT_TRUE(closed);
    EXPECT_EQ(d->result, 1000);
    delete d;
    closed = false;
    d = new CDialog("MISC", "CLASSES.RES", 90, default_dialog_handler, 0);
    steps(d);
    key(KeyEscape);
    steps(d);
    EXPECT_TRUE(closed);
    EXPECT_EQ(d->result, 1001);
}

TEST_F(Dialogs, TabWalksTheOrderAndSkipsDisabledControls)
{
    // Reading order from the text field: OK, Cancel, then from the top: the check box, the
    // radio group (its checked button, one stop), the pop-up list, the text field.
    std::vector<short> order;
    for (int i = 0; i < 7; i++) {
        if (i) {
            key(KeyTab);
            steps(d);
        }
        order.push_back(get_cpan_from_handle(wm->focus())->item_id);
    }
    EXPECT_EQ(order, (std::vector<short>{7, 1000, 1001, 4, 2, 6, 7}));
    d->button(1000)->disable();
    key(KeyTab);
    steps(d);
    EXPECT_EQ(get_cpan_from_handle(wm->focus())->item_id, 1001) << "the disabled OK is skipped";
    key(KeyTab, true);
    steps(d);
    EXPECT_EQ(get_cpan_from_handle(wm->focus())->item_id, 7);
    // A chain of disabled controls that never reaches an enabled one: the focus stays.
    for (short id : {1000, 1001, 2, 4, 5, 6}) d->find_child(id)->disable();
    d->find_child(1)->disable();
    d->find_child(3)->disable();
    key(KeyTab);
    steps(d);
    EXPECT_EQ(get_cpan_from_handle(wm->focus())->item_id, 7);
}

TEST_F(Dialogs, TabPassesOverControlsThatWereNeverShown)
{
    // An optional button the owner has not shown, enabled, between the text field and OK.
    CButton* hidden = new CButton(d, 50);
    hidden->set_rect(220, 250, 300, 270);
    d->te(7)->next_item = 50;
    hidden->next_item = 1000;
    ASSERT_TRUE(hidden->en);
    key(KeyTab);
    steps(d);
    EXPECT_EQ(get_cpan_from_handle(wm->focus())->item_id, 1000);
    key(KeyTab, true);
    steps(d);
    EXPECT_EQ(get_cpan_from_handle(wm->focus())->item_id, 7);
}

TEST_F(Dialogs, ReturnInAMultiLineFieldGoesToTheDefaultButton)
{
    CTextedit* notes = new CTextedit(d, 40, 1, 1, 0);
    notes->set_rect(300, 20, 440, 60);
    notes->show();
    wm->set_focus(notes->hwnd);
    wm->inject_text("la");
    key(KeyReturn);
    steps(d);
    EXPECT_TRUE(closed);
    EXPECT_EQ(d->result, 1000);
    CString text;
    notes->get_text(&text);
    EXPECT_STREQ(text.get(), "la") << "the field never sees the Return";
}

TEST_F(Dialogs, F1OpensTheDialogsHelpPage)
{
    std::vector<std::string> opened;
    set_help_viewer([&](const std::string& address) {
        opened.push_back(address);
        return true;
    });
    d->help_reference = 70 * 65536 + 1;
    key(KeyF1);
    std::vector<Event> events = steps(d);
    set_help_viewer(nullptr);
    EXPECT_TRUE(events.empty()) << "the step hands back the empty event";
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_NE(opened[0].find("070.HTM#L001"), std::string::npos) << opened[0];
}

TEST_F(Dialogs, TheColourSwatchOpensTheChooser)
{
    set_color_chooser_responder([](int32_t* colour, int32_t*) {
        *colour = 0x00FF00;
        return true;
    });
    CColorChoice* swatch = (CColorChoice*)d->find_child(14);
    click(at(swatch));
    steps(d);
    set_color_chooser_responder(nullptr);
    EXPECT_EQ(swatch->value, 0x00FF00);
}

TEST_F(Dialogs, RawInputGoesFirstToAFilteringDialog)
{
    static std::vector<Event> seen;
    seen.clear();
    d->filter = 1;
    d->event_handler = [](CPanel* p, Event* e) -> short {
        if (e->type == EvPress || e->type == EvKey) {
            seen.push_back(*e);
            return 1;
        }
        return default_dialog_handler(p, e);
    };
    short with_chords = 0;
    d->check(4)->set_var_ptr(&with_chords);
    click(at(d->check(4), 5, 5));
    wm->inject_text("x");
    work();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].type, EvPress);
    EXPECT_EQ(seen[0].x, d->check(4)->get_x() + 5) << "in the dialog's client area";
    EXPECT_EQ(seen[1].value, 'x');
    EXPECT_EQ(with_chords, 0) << "the check box never saw the click";
}

TEST_F(Dialogs, AQuitEndsTheStepAndStaysForTheProgramsLoop)
{
    wm->post_quit(3);
    Event ev;
    EXPECT_EQ(d->run_modal(&ev), 0);
    Message m;
    EXPECT_FALSE(wm->get_message(m)) << "the quit message is still there";
    EXPECT_EQ(m.id, 3);
}

TEST(DialogOrder, TwoRowsOfTwoButtons)
{
    // find_next_control_tab needs no window: panels without one keep their sides.
    CDialog d(nullptr, nullptr, 0, default_dialog_handler, 0);
    const short pos[4][2] = {{10, 10}, {120, 10}, {10, 50}, {120, 58}};
    for (short i = 0; i < 4; i++) {
        CButton* b = new CButton(&d, (short)(i + 1));
        b->set_rect(pos[i][0], pos[i][1], (short)(pos[i][0] + 80), (short)(pos[i][1] + 22));
    }
    std::vector<short> chain;
    for (short i = 1; i <= 4; i++) chain.push_back(find_next_control_tab(&d, d.find_child(i)));
    EXPECT_EQ(chain, (std::vector<short>{2, 3, 4, 1}));
}

TEST_F(Dialogs, APictureOfEveryKindOfControl)
{
    d->progress(11)->set_value(65);
    d->te(7)->set_text("Sonate en Do");
    ((CColorChoice*)d->find_child(14))->value = 0x0000C0;
    d->find_child(14)->dirty();
    d->list(5)->set_cur(2);
    snapshot("dialog-every-control.png");
    // The progress bar: 65 % of 200 pixels in red, the rest white.
    const Point bar = at(d->progress(11), 0, 0);
    const Point size = wm->screen_size();
    std::vector<uint32_t> px((size_t)size.x * size.y);
    wm->compose({size.x, size.y, size.x * 4, px.data()}, {0, 0, size.x, size.y});
    auto pixel = [&](int32_t x, int32_t y) { return px[(size_t)(bar.y + y) * size.x + bar.x + x] & 0xFFFFFF; };
    EXPECT_EQ(pixel(60, 7), 0xFF0000u);
    EXPECT_EQ(pixel(129, 7), 0xFF0000u);
    EXPECT_EQ(pixel(131, 7), 0xFFFFFFu);
    EXPECT_EQ(pixel(0, 7), 0u) << "outline";
}

}  // namespace
