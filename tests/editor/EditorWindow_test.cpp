// The editor's window: its panels anchored to the window's sides, the zoom with its table and
// limits, the scroll bars of the two views, and the scroll events.
#include "EditorFixture.h"

#include "framework/CButton.h"
#include "framework/CList.h"
#include "framework/CScroll.h"
#include "framework/CDialog.h"
#include "framework/CTextedit.h"
#include "framework/WindowLookup.h"
#include "platform/FileSystem.h"
#include "support/ScreenPicture.h"

namespace {

struct Box {
    short x, y, w, h;
    bool operator==(const Box& o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
};
std::ostream& operator<<(std::ostream& s, const Box& b) {
    return s << "(" << b.x << ", " << b.y << ") " << b.w << " x " << b.h;
}
Box box_of(CPanel* p) { return {p->get_x(), p->get_y(), p->get_width(), p->get_height()}; }

TEST_F(EditorFixture, PanelsAreAnchoredToTheWindowSides) {
    make_score(2, 8);
    Editeur* e = open(800, 600);
    struct Case {
        const char* name;
        CPanel* panel;
        Box want;
    };
    const Case linear[] = {
        {"score", e->up, {0, 24, 784, 560}},
        {"tools", e->uptools, {0, 0, 784, 24}},
        {"measures", e->upm, {0, 584, 120, 16}},
        {"horizontal", e->hor, {120, 584, 564, 16}},
        {"vertical", e->ver, {784, 0, 16, 600}},
        {"coordinates", e->uprep, {684, 584, 100, 16}},
    };
    for (const Case& c : linear) EXPECT_EQ(box_of(c.panel), c.want) << c.name;
    EXPECT_EQ(e->page_scroll, nullptr);

    // The page view makes room for the page bar between the strip and the horizontal bar.
    build_pages(score->d, 4, 2);
    e->lin_pag_pop->set_cur(2);
    e->win->send_message(EvControl, 0, 0, 0, 13);
    ASSERT_NE(e->page_scroll, nullptr);
    const Case page[] = {
        {"measures", e->upm, {0, 584, 80, 16}},
        {"pages", e->page_scroll, {80, 584, 100, 16}},
        {"horizontal", e->hor, {180, 584, 504, 16}},
    };
    for (const Case& c : page) EXPECT_EQ(box_of(c.panel), c.want) << c.name;
    // And back: the page bar goes.
    e->lin_pag_pop->set_cur(1);
    e->win->send_message(EvControl, 0, 0, 0, 13);
    EXPECT_EQ(e->page_scroll, nullptr);
    EXPECT_EQ(box_of(e->hor), (Box{120, 584, 564, 16}));
}

TEST_F(EditorFixture, ZoomStepsAndLimits) {
    Document* d = make_score(1, 4);
    Sub_document& x = d->sub_doc[d->cur_sub_doc];
    struct Case {
        short start;
        short button;  // 10 "+", 11 "-"
        short want;
        bool plus_enabled, minus_enabled;
    };
    const Case cases[] = {
        {125, 10, 133, true, true},   // not in the table: the next entry above
        {125, 11, 117, true, true},   // the last entry below
        {100, 10, 117, true, true},
        {50, 11, 34, true, false},    // at 34 % "-" is disabled
        {1000, 10, 2000, false, true},// at the top "+" is disabled
        {2000, 10, 2000, false, true},// and does nothing
        {34, 11, 34, true, false},
    };
    for (const Case& c : cases) {
        x.zoom_score = c.start;
        Editeur* e = open();
        EXPECT_EQ(e->scalex, c.start / 100.0f);
        e->win->send_message(EvControl, 0, 0, 0, c.button);
        EXPECT_EQ(x.zoom_score, c.want) << c.start << " " << c.button;
        EXPECT_EQ(e->scalex, c.want / 100.0f);
        EXPECT_EQ(e->scaley, e->scalex);
        EXPECT_EQ(e->zoom_plus->enabled() != 0, c.plus_enabled) << c.start;
        EXPECT_EQ(e->zoom_minus->enabled() != 0, c.minus_enabled) << c.start;
        e->destroy(1);
        editor = nullptr;
    }
    // A zoom out of the pop-up's table shows its last entry.
    x.zoom_score = 125;
    Editeur* e = open();
    EXPECT_EQ(e->zoom_pop->get_cur(), tot_zoom_table + 1);
    // A typed zoom of 0 or below, or past the top, is brought into the table's range.
    for (short typed : {0, -50, 5, 30000}) {
        e->appliquer_zoom(typed);
        EXPECT_GE(x.zoom_score, 34) << typed;
        EXPECT_LE(x.zoom_score, 2000) << typed;
        EXPECT_GT(e->scalex, 0.0f);
    }
}

TEST_F(EditorFixture, ZoomInThePageViewKeepsTheCentre) {
    Document* d = make_score(2, 8);
    build_pages(d, 4, 2);
    d->cur_pag = 1;
    Editeur* e = open(800, 600);
    const short w = e->up->get_width(), h = e->up->get_height();
    e->hor->set_value(100);
    e->win->send_message(EvControl, 0, 0, 0, 2);
    ASSERT_EQ(e->ox, 100);
    const float centre_x = (w / 2 + e->ox) / e->scalex, centre_y = (h / 2 + e->oy) / e->scaley;
    e->appliquer_zoom(200);
    EXPECT_NEAR((w / 2 + e->ox) / e->scalex, centre_x, 1.0f);
    EXPECT_NEAR((h / 2 + e->oy) / e->scaley, centre_y, 1.0f);
}

TEST_F(EditorFixture, LinearStripHoldsTheColumnsThatStartInsideThePanel) {
    Document* d = make_score(2, 12);
    Editeur* e = open(716, 600);  // a score panel 700 wide
    ASSERT_EQ(e->up->get_width(), 700);
    e->calculer_page_0();
    ASSERT_EQ(e->lin_ok, 1);
    Systeme* strip = d->sys[d->pag[0]->sys[1]];
    ASSERT_EQ(strip->tot_por, 2);
    Portee* first = d->por[strip->por[1]];
    ASSERT_EQ(first->tot_mes, 5);
    // Each column starts where the one before ends, from instrument 1's dx.
    short start = 100;
    for (short i = 1; i <= 5; i++) {
        EXPECT_EQ(d->mes[first->mes[i]], score->measure(i, 1)) << "shares the master's measures";
        EXPECT_EQ(d->mes[first->mes[i]]->x, start);
        EXPECT_EQ(score->measure(i, 2)->x, start);
        start = (short)(start + score->measure(i, 2)->width);
        EXPECT_EQ(score->measure(i, 2)->y, 110);
    }
    EXPECT_EQ(e->hor->big_step, 4);
    // The opening bar line joins the staves; a second strip replaces the first.
    EXPECT_EQ(score->measure(1, 1)->ext_start_bar, 70);
    EXPECT_EQ(score->measure(1, 2)->ext_start_bar, 0);
    const short records = d->tot_por, systems = d->tot_sys;
    d->cur_mes = 9;
    e->calculer_page_0();
    EXPECT_EQ(d->tot_por, records);
    EXPECT_EQ(d->tot_sys, systems);
    EXPECT_EQ(d->por[d->sys[d->pag[0]->sys[1]]->por[1]]->tot_mes, 4);  // columns 9 to 12
    // A window narrower than a column still gets one.
    d->cur_mes = 1;
    resize(60, 400);
    e->calculer_page_0();
    EXPECT_EQ(d->por[d->sys[d->pag[0]->sys[1]]->por[1]]->tot_mes, 1);
    EXPECT_EQ(e->hor->big_step, 2);
}

TEST_F(EditorFixture, ScrollRangesOfBothViews) {
    Document* d = make_score(2, 30);
    build_pages(d, 4, 2);
    Editeur* e = open(816, 624);  // a score panel 800 x 584
    // Linear: the horizontal bar counts columns, the strip (dy of the last staff + 150) fits.
    EXPECT_EQ(e->hor->get_value(), 1);
    EXPECT_EQ(e->hor->big_step, 800 / 150);
    EXPECT_FALSE(e->ver->enabled());
    EXPECT_EQ(e->oy, 0);
    // At 500 % the strip (260 units) is higher than the panel.
    e->appliquer_zoom(500);
    EXPECT_TRUE(e->ver->enabled());
    EXPECT_EQ(e->ver->big_step, 584);
    EXPECT_EQ(e->ver->small_step, 584 / 6);
    e->ver->set_value(30000);
    EXPECT_EQ(e->ver->get_value(), 260 * 5 - 584);
    e->appliquer_zoom(100);
    // Page: pixels, a page of 595 x 842 units scrolls until its far edges reach the middle.
    e->lin_pag_pop->set_cur(2);
    e->win->send_message(EvControl, 0, 0, 0, 13);
    ASSERT_EQ(d->cur_pag, 1);
    e->hor->set_value(-30000);
    EXPECT_EQ(e->hor->get_value(), -10);
    e->hor->set_value(30000);
    EXPECT_EQ(e->hor->get_value(), 595 + 10 - 400);
    e->ver->set_value(-30000);
    EXPECT_EQ(e->ver->get_value(), -5);
    e->ver->set_value(30000);
    EXPECT_EQ(e->ver->get_value(), 842 + 10 - 584 / 2);
    EXPECT_EQ(e->page_scroll->get_value(), 1);
    EXPECT_TRUE(e->page_scroll->enabled());  // four pages
}

TEST_F(EditorFixture, ScrollEventsMoveTheViewAndUnchangedValuesDoNothing) {
    Document* d = make_score(2, 30);
    build_pages(d, 4, 2);
    Editeur* e = open();
    // Linear: the horizontal bar is the first column shown.
    e->lin_ok = 1;
    e->hor->set_value(7);
    EXPECT_EQ(e->win->send_message(EvControl, 0, 0, 0, 2), 0);
    EXPECT_EQ(e->first_m, 7);
    EXPECT_EQ(d->cur_mes, 7);
    EXPECT_EQ(e->lin_ok, 0);
    e->lin_ok = 1;
    EXPECT_EQ(e->win->send_message(EvControl, 0, 0, 0, 2), 0);
    EXPECT_EQ(e->lin_ok, 1) << "the same value changes nothing";
    // Page: pixels, and the document's first column stays.
    e->lin_pag_pop->set_cur(2);
    e->win->send_message(EvControl, 0, 0, 0, 13);
    e->hor->set_value(120);
    e->win->send_message(EvControl, 0, 0, 0, 2);
    EXPECT_EQ(e->ox, 120);
    EXPECT_EQ(e->pox, 120);
    EXPECT_EQ(d->cur_mes, 7);
    e->pag_ok = 1;
    e->page_scroll->set_value(3);
    e->win->send_message(EvControl, 0, 0, 0, 5);
    EXPECT_EQ(d->cur_pag, 3);
    EXPECT_EQ(e->pag_ok, 0);
    // Keys reach the bars through the window.
    Event key;
    key.type = EvKey;
    key.value = 31;  // down
    const short before = e->oy;
    EXPECT_EQ(e->win->event_handler(e->win, &key), 1);
    EXPECT_EQ(e->oy, before + e->ver->small_step);
    // Each view keeps its own origin.
    e->lin_pag_pop->set_cur(1);
    e->win->send_message(EvControl, 0, 0, 0, 13);
    EXPECT_EQ(e->ox, 0);
    e->lin_pag_pop->set_cur(2);
    e->win->send_message(EvControl, 0, 0, 0, 13);
    EXPECT_EQ(e->ox, 120);
}

TEST_F(EditorFixture, BringingAMeasureIntoSightTurnsThePageAndScrolls) {
    Document* d = make_score(2, 30);
    build_pages(d, 3, 2);  // 6 columns a page
    d->cur_pag = 1;
    Editeur* e = open(416, 340);  // a panel 400 x 300
    e->pag_ok = 1;
    // Column 18 is on page 3, second system, third column: its right edge is out of sight.
    e->rendre_visible_enpage(18, 2);
    EXPECT_EQ(d->cur_pag, 3);
    EXPECT_EQ(e->page_scroll->get_value(), 3);
    EXPECT_EQ(e->pag_ok, 0);
    CMeasure* m = score->measure(18, 2);
    EXPECT_EQ(e->ox, m->px - 10);
    EXPECT_EQ(e->oy, m->py - 24 - 10);
    // A measure already in sight does not move the view.
    const short ox = e->ox, oy = e->oy;
    e->pag_ok = 1;
    e->rendre_visible_enpage(18, 2);
    EXPECT_EQ(e->ox, ox);
    EXPECT_EQ(e->oy, oy);
    EXPECT_EQ(e->pag_ok, 1);
    // Staff 1 lies above: only the vertical origin moves.
    e->rendre_visible_enpage(18, 1);
    EXPECT_EQ(e->ox, ox);
    EXPECT_EQ(e->oy, m->py - 70 - 24 - 10);
    // Nothing in the linear view.
    d->cur_pag = 0;
    e->rendre_visible_enpage(1, 1);
    EXPECT_EQ(d->cur_pag, 0);
}

// The last entry of the zoom pop-up asks for a percentage in a dialog: a typed 145 is taken,
// a typed 0 is brought to the smallest zoom, and Cancel leaves the zoom and the pop-up as
// they were.
class CustomZoom : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        previous = platform::current_directory();
        ASSERT_TRUE(platform::set_current_directory(BRINDLECOT_BUILD_DATA));  // the dialog's file
        SCREEN_WIDTH = 1280;  // the dialog is centred on the screen
        SCREEN_HEIGHT = 1024;
    }
    void TearDown() override {
        SCREEN_WIDTH = SCREEN_HEIGHT = 0;
        platform::set_current_directory(previous);
        EditorFixture::TearDown();
    }
    std::string previous;
    struct Answer {
        const char* typed;  // null: cancel
    };
    // Chooses "Autre..." and answers the dialog from the idle handlers while it runs.
    void choose_other(Editeur* e, Answer answer, const char* picture = nullptr) {
        struct Idle : CPanel {
            Idle() : CPanel(NO_PARENT) {}
            Answer answer{};
            const char* picture = nullptr;
            bool done = false;
        } idle;
        idle.answer = answer;
        idle.picture = picture;
        idle.event_handler = [](CPanel* panel, Event* ev) -> short {
            Idle* self = static_cast<Idle*>(panel);
            if (ev->type != EvIdle || self->done) return 0;
            CDialog* d = nullptr;
            for (platform::WindowId w : platform::WindowManager::current()->top_level_windows())
                if (CDialog* found = dynamic_cast<CDialog*>(get_cpan_from_handle(w))) d = found;
            if (!d || !d->te(3)) return 0;
            self->done = true;
            if (self->answer.typed) d->te(3)->set_text(self->answer.typed);
            if (self->picture) {
                EXPECT_TRUE(write_panel_picture(*platform::WindowManager::current(), d,
                                                drawing_test::output_file(self->picture)));
            }
            CPanel* button = d->find_child(self->answer.typed ? 1 : 2);
            const platform::Point p = platform::WindowManager::current()->client_to_screen(button->hwnd, {5, 5});
            platform::WindowManager::current()->inject_mouse_button(platform::ButtonLeft, true, p);
            platform::WindowManager::current()->inject_mouse_button(platform::ButtonLeft, false, p);
            return 0;
        };
        application->add_to_idle(&idle);
        wm->set_timer(e->win->hwnd, 7, 20);  // keeps messages coming while the dialog waits
        e->zoom_pop->set_cur((short)(tot_zoom_table + 1));
        e->win->send_message(EvControl, 0, 0, 0, 9);
        wm->kill_timer(e->win->hwnd, 7);
        application->remove_from_idle(&idle);
        EXPECT_TRUE(idle.done);
    }
};

TEST_F(CustomZoom, TheOtherEntryAsksForThePercentage) {
    Document* d = make_score(2, 4);
    Sub_document& x = d->sub_doc[d->cur_sub_doc];
    x.zoom_score = 100;
    Editeur* e = open(800, 600);
    choose_other(e, {"145"}, "editor_custom_zoom.png");
    EXPECT_EQ(x.zoom_score, 145);
    EXPECT_EQ(e->scalex, 1.45f);
    EXPECT_EQ(e->zoom_pop->get_cur(), tot_zoom_table + 1);  // 145 is not in the table
    choose_other(e, {"0"});
    EXPECT_EQ(x.zoom_score, zoom_minimum());
    EXPECT_GT(e->scalex, 0.0f);
    const short before = x.zoom_score;
    choose_other(e, {nullptr});
    EXPECT_EQ(x.zoom_score, before);
    EXPECT_EQ(e->zoom_pop->get_cur(), 1);  // the table's entry of the zoom in force
}

}  // namespace

// Closing the window asks the application shell first; a refusal keeps the window.
TEST_F(EditorFixture, CloseAsksTheShellAndARefusalKeepsTheWindow) {
    make_score(2, 6);
    Editeur* e = open();
    static short asked = 0, ask_flag = 0;
    asked = ask_flag = 0;
    editeur_hooks.close_window = [](CPanel*, short ask, short) -> short {
        asked++;
        ask_flag = ask;
        return 0;
    };
    EXPECT_EQ(e->win->send_message(EvClose, 0, 0, 0, 0), 1);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(ask_flag, 1);
    EXPECT_TRUE(e->win->visible());
}
