// Binary resource dialogs bound to the caller's variables, opened from the program's
// "MUSIC.RES" and worked by injected input.
#include "DialogFixture.h"

#include "framework/CBitmap.h"
#include "framework/CButton.h"
#include "framework/CLabel.h"
#include "framework/CList.h"
#include "framework/CScroll.h"
#include "framework/CSlider.h"
#include "framework/CTextedit.h"
#include "framework/Dial_res.h"
#include "platform/WindowManager.h"

using namespace platform;

namespace {

class ResourceDialogs : public DialogFixture {
protected:
    void SetUp() override
    {
        DialogFixture::SetUp();
        gdr = new Dial_res;
        gdr->create();
        for (int i = 0; i < 12; i++) table[i] = nullptr;
        table[2] = &ok;
        table[3] = &cancel;
        table[4] = &chords;
        table[5] = &mode;
        table[6] = &copies;
        table[7] = &h_slider;
        table[8] = &v_slider;
        table[9] = &h_scroll;
        table[10] = &v_scroll;
        table[11] = &instrument;
    }
    void TearDown() override
    {
        delete gdr;
        gdr = nullptr;
        DialogFixture::TearDown();
    }
    bool open() { return gdr->ouvrir("MISC", "MUSIC.RES", 900, table, 0) == 1; }
    CDialog* dialog() { return (CDialog*)table[1]; }
    // Works the dialog while input waits for it.
    void work()
    {
        Message m;
        for (int guard = 0; guard < 300; guard++) {
            CDialog* d = gdr->dial[1];
            if (!d || (d->store_events != 1 && !d->tabevt->total() && !wm->peek_message(m, false))) return;
            gdr->work(900);
        }
    }

    void* table[12];
    short ok = 0, cancel = 0, chords = 1, mode = 2, copies = -12, h_slider = 30, v_slider = 7,
          h_scroll = 20, v_scroll = 3, instrument = 2;
};

TEST_F(ResourceDialogs, EveryKindOfControlOpensWhereTheRecordPutsIt)
{
    ASSERT_TRUE(open());
    CDialog* d = dialog();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(gdr->tot, 1);
    EXPECT_EQ(d->get_x(), (800 - 440) / 2) << "centred";
    EXPECT_EQ(d->get_y(), (600 - 360) / 2);
    EXPECT_EQ(d->get_width(), 440);
    struct Case {
        short id, uid, x, y, w, h;
    } cases[] = {
        {3, 11, 20, 20, 140, 20},   {4, 12, 20, 44, 140, 20},  {6, 9, 180, 40, 120, 100},
        {8, 23, 20, 110, 140, 20},  {9, 23, 320, 20, 24, 140}, {10, 14, 20, 150, 140, 20},
        {11, 13, 20, 230, 280, 16}, {12, 13, 380, 60, 16, 120}, {1, 8, 20, 280, 90, 26},
        {2, 8, 130, 280, 90, 26},
    };
    for (const Case& c : cases) {
        CPanel* p = d->find_child(c.id);
        ASSERT_NE(p, nullptr) << c.id;
        EXPECT_EQ(p->uid, c.uid) << c.id;
        EXPECT_EQ(p->get_x(), c.x) << c.id;
        EXPECT_EQ(p->get_y(), c.y) << c.id;
        EXPECT_EQ(p->get_width(), c.w) << c.id;
        EXPECT_EQ(p->get_height(), c.h) << c.id;
    }
    EXPECT_EQ(d->popup(7)->get_x(), 180);
    EXPECT_EQ(d->popup(7)->get_y(), 167);
    // The unnamed ones: the list's caption, the static text, the line and the picture.
    int labels = 0, lines = 0, pictures = 0;
    for (short i = 1; i <= d->children.total(); i++) {
        CPanel* p = (CPanel*)d->children.get(i);
        if (p->uid == 20) labels++;
        if (p->uid == 21) {
            lines++;
            EXPECT_EQ(p->get_y(), 210);
            EXPECT_EQ(p->get_width(), 380);
            EXPECT_EQ(p->get_height(), 1);
        }
        if (p->uid == 22) {
            pictures++;
            EXPECT_EQ(p->get_x(), 360);
            EXPECT_EQ(p->get_width(), 20) << "the picture's own size";
        }
    }
    EXPECT_EQ(labels, 2);
    EXPECT_EQ(lines, 1);
    EXPECT_EQ(pictures, 1);
    EXPECT_EQ(d->enter_item, 1);
    EXPECT_EQ(d->esc_item, 2) << "titled like the cancel text";
    EXPECT_EQ(d->first_focus, 10);
    EXPECT_EQ(d->list(6)->total(), 7);
    EXPECT_EQ(d->list(6)->get_cur(), 2);
}

TEST_F(ResourceDialogs, ControlsShowTheirVariables)
{
    ASSERT_TRUE(open());
    CDialog* d = dialog();
    EXPECT_EQ(d->check(3)->get_value(), 1);
    EXPECT_EQ(d->radio(4)->get_value(), 0);
    EXPECT_EQ(d->radio(5)->get_value(), 1);
    EXPECT_EQ(d->popup(7)->get_cur(), 2);
    EXPECT_EQ(d->slider(8)->get_value(), 30);
    EXPECT_EQ(d->slider(9)->get_value(), 7);
    EXPECT_EQ(d->scroll(11)->get_value(), 20);
    EXPECT_EQ(d->scroll(12)->get_value(), 3);
    CString text;
    d->te(10)->get_text(&text);
    EXPECT_STREQ(text.get(), "-12");
    work();
    snapshot("resource-dialog-every-control.png");
}

TEST_F(ResourceDialogs, UsingTheControlsWritesTheVariables)
{
    ASSERT_TRUE(open());
    work();
    CDialog* d = dialog();
    click(at(d->check(3), 5));
    click(at(d->radio(4), 5));
    work();
    EXPECT_EQ(chords, 0);
    EXPECT_EQ(mode, 1) << "the pressed button's value";
    EXPECT_EQ(d->radio(5)->get_value(), 0) << "the other button of group 1 is cleared";
    auto page_down = [&](CScroll* s) { click(at(s, s->get_width() - 20, s->get_height() - 20)); };
    page_down(d->scroll(11));
    work();
    EXPECT_EQ(h_scroll, 21) << "steps of one";
    // The numeric field: typed digits are read back by update_var.
    wm->set_focus(d->te(10)->hwnd);
    d->te(10)->select_all();
    wm->inject_text("42");
    work();
    gdr->update_var();
    EXPECT_EQ(copies, 42);
    d->te(10)->select_all();
    wm->inject_text("abc");
    work();
    gdr->update_var();
    EXPECT_EQ(copies, 42) << "letters leave the variable alone";
    d->te(10)->set_text("");
    work();
    click(at(d->button(1)));
    work();
    EXPECT_EQ(ok, 1);
    EXPECT_EQ(gdr->fermer(900), 1);
    EXPECT_EQ(copies, 0) << "an empty field writes 0 when the dialog closes";
    EXPECT_EQ(gdr->tot, 0);
    EXPECT_EQ(gdr->fermer(900), 0);
}

TEST_F(ResourceDialogs, ArrowKeysMoveTheChoiceOfARadioGroup)
{
    ASSERT_TRUE(open());
    work();
    CDialog* d = dialog();
    d->set_focus(5);
    key(KeyUp);
    work();
    EXPECT_EQ(d->radio(4)->get_value(), 1) << "the button above is chosen";
    EXPECT_EQ(d->radio(5)->get_value(), 0);
    EXPECT_EQ(mode, 1);
    EXPECT_EQ(wm->focus(), d->radio(4)->hwnd);
    key(KeyDown);
    work();
    EXPECT_EQ(d->radio(4)->get_value(), 0);
    EXPECT_EQ(d->radio(5)->get_value(), 1);
    EXPECT_EQ(mode, 2);
}

TEST_F(ResourceDialogs, AButtonMayCloseItsOwnDialog)
{
    ASSERT_TRUE(open());
    work();
    click(at(dialog()->button(13)));
    work();
    EXPECT_EQ(gdr->tot, 0);
    EXPECT_EQ(gdr->dial[1], nullptr);
    EXPECT_EQ(gdr->fermer(900), 0) << "already closed";
    EXPECT_TRUE(open()) << "and it opens again";
}

TEST_F(ResourceDialogs, OpeningFailsForAMissingOrAlreadyOpenDialog)
{
    EXPECT_EQ(gdr->ouvrir("MISC", "MUSIC.RES", 901, table, 0), 0);
    ASSERT_TRUE(open());
    EXPECT_EQ(gdr->ouvrir("MISC", "MUSIC.RES", 900, table, 0), 0);
    EXPECT_EQ(gdr->tot, 1);
    gdr->work(555);  // not open: nothing
}

TEST_F(ResourceDialogs, ACopyDialogOfTheProgramTakesItsNumber)
{
    // Dialog 134 (copying measures): a numeric field with code 5 and OK / cancel flags.
    short copies_asked = 3, okay = 0, cancelled = 0;
    void* cells[4] = {nullptr, &okay, &cancelled, &copies_asked};
    ASSERT_EQ(gdr->ouvrir("MISC", "MUSIC.RES", 134, cells, 0), 1);
    CDialog* d = gdr->dial[1];
    EXPECT_EQ(d->help_reference, 380 * 65536 + 2);
    EXPECT_EQ(d->first_focus, 3);
    EXPECT_EQ(d->esc_item, 2);
    Message m;
    for (int i = 0; i < 50 && (d->store_events == 1 || wm->peek_message(m, false)); i++) gdr->work(134);
    key(KeyEscape);
    for (int i = 0; i < 50 && wm->peek_message(m, false); i++) gdr->work(134);
    EXPECT_EQ(cancelled, 1) << "Escape presses the cancel button";
    EXPECT_EQ(gdr->fermer(134), 1);
}

}  // namespace
