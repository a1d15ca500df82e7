// The view base: the selection kept inside the score, finding the live views front to back, and
// scrolling from the keyboard.
#include "EditorFixture.h"

#include "editor/View.h"
#include "framework/CScroll.h"

namespace {


TEST_F(EditorFixture, SelectionStaysInsideTheScore) {
    make_score(5, 40);
    struct Case {
        short first_m, last_m, first_p, last_p;
        short want[4];
    };
    const Case cases[] = {
        {0, 0, 0, 0, {0, 0, 0, 0}},          // clears
        {3, 999, 2, 999, {3, 40, 2, 5}},     // last bounds lowered to the score
        {5, 2, 1, 1, {5, 5, 1, 1}},          // a last bound below its first is raised
        {0, 7, 0, 3, {1, 7, 1, 3}},          // zero first bounds select from 1
        {45, 50, 9, 9, {40, 40, 5, 5}},      // first bounds past the score come back into it
        {-3, -1, -2, 2, {1, 1, 1, 2}},       // negative bounds
    };
    for (const Case& c : cases) {
        View v;
        v.init_vue();
        v.sel_first_m = 9;  // something to replace
        v.selectionner(c.first_m, c.last_m, c.first_p, c.last_p);
        EXPECT_EQ(v.sel_first_m, c.want[0]) << c.first_m << ".." << c.last_m;
        EXPECT_EQ(v.sel_last_m, c.want[1]) << c.first_m << ".." << c.last_m;
        EXPECT_EQ(v.sel_first_p, c.want[2]) << c.first_p << ".." << c.last_p;
        EXPECT_EQ(v.sel_last_p, c.want[3]) << c.first_p << ".." << c.last_p;
    }
}

TEST_F(EditorFixture, SelectingAllTakesEveryColumnAndStaffAndAsksForARedraw) {
    Document* d = make_score(3, 12);
    d->flag_maj = 0;
    View v;
    v.init_vue();
    v.tout_selectionner();
    EXPECT_EQ(v.sel_first_m, 1);
    EXPECT_EQ(v.sel_last_m, 12);
    EXPECT_EQ(v.sel_first_p, 1);
    EXPECT_EQ(v.sel_last_p, 3);
    EXPECT_EQ(d->flag_maj & 2, 2);
    EXPECT_FALSE(v.selection_vide());
    v.selectionner(0, 0, 0, 0);
    EXPECT_TRUE(v.selection_vide());
}

TEST_F(EditorFixture, FindViewWalksTheLiveWindowsFrontToBack) {
    make_score(1, 2);
    // Two windows, the later one in front; the back one is a live view of type 1.
    CWindow* back_window = new CWindow(WinChild);
    CWindow* front_window = new CWindow(WinChild);
    View back, front, stray;
    back.init_vue();
    front.init_vue();
    back.typ = 1;
    front.typ = 8;
    back.win = back_window;
    front.win = front_window;
    back_window->data = &back;
    front_window->data = &front;
    back_window->show();
    front_window->show();
    wm->activate_window(front_window->hwnd);
    vue[1] = &back;
    vue[2] = &front;
    EXPECT_EQ(find_view(0, 0, 0, 0, 0), &front);
    EXPECT_EQ(find_view(1, 0, 0, 1, 0), nullptr) << "only the front view counts";
    EXPECT_EQ(find_view(1, 0, 0, 0, 0), &back);
    EXPECT_EQ(find_view(0, 0, 0, 1, 8), &back) << "the excluded type is passed over";
    // A window whose view is not registered is passed over.
    vue[2] = nullptr;
    EXPECT_EQ(find_view(0, 0, 0, 1, 0), &back);
    front_window->data = &stray;
    EXPECT_EQ(find_view(0, 0, 0, 1, 0), &back);
    vue[1] = nullptr;
    EXPECT_EQ(find_view(0, 0, 0, 0, 0), nullptr);
    delete front_window;
    delete back_window;
}

// The bars' parent records which bar told it of a change.
short g_told = 0;
short record_control(CPanel*, Event* e) {
    if (e->type == EvControl) g_told = e->item;
    return 0;
}

TEST_F(EditorFixture, KeysMoveTheScrollBarsByTheirSteps) {
    CWindow* w = new CWindow(WinChild);
    w->event_handler = record_control;
    CScroll* hor = new CScroll(w, 2, 1);
    CScroll* ver = new CScroll(w, 3, 0);
    CScroll* page = new CScroll(w, 5, 1);
    for (CScroll* bar : {hor, ver, page}) {
        bar->set_min_max(-1000, 1000);
        bar->set_steps(3, 50);
    }
    enum : short { PgUp = 1, PgDn = 2, Left = 28, Right = 29, Up = 30, Down = 31 };
    struct Case {
        short key, flags, fleches;
        CScroll* bar;
        short change;
        short result;
    };
    const Case cases[] = {
        {PgDn, 0, 0, ver, 50, 1},
        {PgUp, 0, 0, ver, -50, 1},
        {Down, EvfShift, 0, ver, 50, 1},
        {Up, EvfShift, 0, ver, -50, 1},
        {Left, EvfShift, 0, hor, -50, 1},
        {Right, EvfShift, 0, hor, 50, 1},
        {Left, EvfShift | EvfCtrl, 0, hor, -50, 1},  // Shift is tried before Ctrl
        {Left, EvfCtrl, 0, page, -3, 1},
        {Right, EvfCtrl, 0, page, 3, 1},
        {Down, 0, 1, ver, 3, 1},
        {Up, 0, 1, ver, -3, 1},
        {Left, 0, 1, hor, -3, 1},
        {Right, 0, 1, hor, 3, 1},
        {Up, 0, 0, nullptr, 0, 0},  // plain arrows only with `fleches`
        {5, 0, 1, nullptr, 0, 0},   // Home is not handled here
    };
    for (const Case& c : cases) {
        for (CScroll* bar : {hor, ver, page}) bar->set_value(0);
        g_told = 0;
        Event e;
        e.type = EvKey;
        e.value = c.key;
        e.flags = c.flags;
        EXPECT_EQ(dispatch_touches_scroll(hor, ver, page, w, &e, c.fleches), c.result) << c.key;
        for (CScroll* bar : {hor, ver, page})
            EXPECT_EQ(bar->get_value(), bar == c.bar ? c.change : 0) << c.key << " " << c.flags;
        EXPECT_EQ(g_told, c.bar ? c.bar->item_id : 0) << c.key;
    }
    // A key for a bar that is not there is taken and changes nothing.
    Event e;
    e.type = EvKey;
    e.value = PgDn;
    EXPECT_EQ(dispatch_touches_scroll(hor, nullptr, page, w, &e, 1), 1);
    EXPECT_EQ(hor->get_value(), 0);
    delete w;
}

}  // namespace
