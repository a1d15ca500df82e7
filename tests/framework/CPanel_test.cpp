// Panels and windows: anchored sides, visibility, hit tests, the subtree's destruction and the
// modal step.
#include "AppFixture.h"

#include "framework/CUserPanel.h"

using namespace platform;

namespace {

class Panels : public AppFixture {
protected:
    // A normal window whose client area is `width` x `height`.
    CWindow* window_of(int32_t width, int32_t height)
    {
        CWindow* w = new CWindow(WinNormal);
        wm->set_window_rect(w->hwnd, {0, 0, 100, 100});
        const Rect outer = wm->window_rect(w->hwnd);
        const Rect client = wm->client_rect(w->hwnd);
        wm->set_window_rect(w->hwnd, {0, 0, outer.width() - client.width() + width,
                                      outer.height() - client.height() + height});
        return w;
    }
};

TEST_F(Panels, ADefaultPanelIs25PixelsSquareAtTheOrigin)
{
    CPanel p(NO_PARENT);
    EXPECT_EQ(p.uid, 6);
    EXPECT_EQ(p.get_x(), 0);
    EXPECT_EQ(p.get_y(), 0);
    EXPECT_EQ(p.get_width(), 25);
    EXPECT_EQ(p.get_height(), 25);
}

TEST_F(Panels, AnchoredSides)
{
    CWindow* w300 = window_of(300, 200);
    EXPECT_EQ(w300->get_client_width(), 300);
    CPanel& a = *new CPanel(w300);
    a.set_left_side(10, SidePixels, nullptr);
    a.set_right_side(-10, SidePixels, nullptr);
    EXPECT_EQ(a.get_x(), 10);
    EXPECT_EQ(a.get_x() + a.get_width(), 290);

    CWindow* w301 = window_of(301, 200);
    CPanel& half = *new CPanel(w301);
    half.set_right_side(50, SidePercent, nullptr);
    EXPECT_EQ(half.get_width(), 150);

    CWindow* w200 = window_of(200, 100);
    CPanel& b = *new CPanel(w200);
    CPanel& c = *new CPanel(w200);
    b.set_left_side(20, SidePixels, nullptr);
    b.set_right_side(60, SidePixels, nullptr);
    c.set_left_side(5, SidePixels, &b);
    EXPECT_EQ(c.get_x(), 65);
    c.set_left_side(10, SidePercent, &b);
    EXPECT_EQ(c.get_x(), 80);
    // A negative percentage is cut toward zero.
    c.set_top_side(-33, SidePercent, nullptr);
    EXPECT_EQ(c.get_y(), -33);
    delete w300;
    delete w301;
    delete w200;
}

TEST_F(Panels, ASurfaceWindowFollowsItsSidesWhenTheParentResizes)
{
    CWindow* w = window_of(400, 300);
    CUserPanel* s = new CUserPanel(w);
    s->set_left_side(10, SidePixels, nullptr);
    s->set_top_side(20, SidePixels, nullptr);
    s->set_right_side(-10, SidePixels, nullptr);
    s->set_bottom_side(50, SidePercent, nullptr);
    EXPECT_EQ(wm->window_rect(s->hwnd), (Rect{10, 20, 390, 150}));
    const Rect outer = wm->window_rect(w->hwnd);
    wm->set_window_rect(w->hwnd, {outer.left, outer.top, outer.right + 100, outer.bottom + 100});
    // The window's size event reaches the default handler, which lays the children out again.
    EXPECT_EQ(wm->window_rect(s->hwnd), (Rect{10, 20, 490, 200}));
    EXPECT_EQ(s->get_width(), 480);
    delete w;
}

TEST_F(Panels, HideDisablesAndShowReenablesOnlyWindows)
{
    CWindow* w = new CWindow(WinNormal);
    CUserPanel* control = new CUserPanel(w);
    w->hide();
    control->hide();
    EXPECT_EQ(w->enabled(), 0);
    w->show();
    control->show();
    EXPECT_EQ(w->enabled(), 1);
    EXPECT_EQ(w->visible(), 1);
    EXPECT_TRUE(wm->is_enabled(w->hwnd));
    EXPECT_EQ(control->enabled(), 0);
    EXPECT_EQ(control->visible(), 1);
    delete w;
}

TEST_F(Panels, PointsOnTheFarEdgesAreInside)
{
    CPanel p(NO_PARENT);
    p.set_rect(10, 10, 20, 30);
    EXPECT_EQ(p.parent_point_inside(20, 30), 1);
    EXPECT_EQ(p.parent_point_inside(10, 10), 1);
    EXPECT_EQ(p.parent_point_inside(21, 30), 0);
    EXPECT_EQ(p.parent_point_inside(9, 15), 0);
}

int g_deleted = 0;
class CountedPanel : public CPanel {
public:
    explicit CountedPanel(CPanel* parent) : CPanel(parent) {}
    ~CountedPanel() override { g_deleted++; }
};

TEST_F(Panels, DestroyingAWindowDeletesItsChildrenOnce)
{
    g_deleted = 0;
    CWindow* w = new CWindow(WinTool);
    new CountedPanel(w);
    CPanel* middle = new CountedPanel(w);
    new CountedPanel(middle);
    new CountedPanel(w);
    EXPECT_EQ(win_array->total(), 1);
    const WindowId native = w->hwnd;
    delete w;
    EXPECT_EQ(g_deleted, 4);
    EXPECT_EQ(win_array->total(), 0);
    EXPECT_FALSE(wm->exists(native));
}

TEST_F(Panels, ChildrenAreFoundByIdInTheirSubtree)
{
    CPanel root(NO_PARENT);
    CPanel* a = new CPanel(&root);
    CPanel* b = new CPanel(a);
    b->item_id = 7;
    CPanel* c = new CPanel(&root);
    c->item_id = 3;
    EXPECT_EQ(root.find_child(7), nullptr);
    EXPECT_EQ(root.find_child_all(7), b);
    EXPECT_EQ(root.find_child(3), c);
    EXPECT_EQ(root.find_child_all(99), nullptr);
}

TEST_F(Panels, WindowKindsFollowTheirStyleBits)
{
    struct Case {
        short style;
        const char* cls;
        uint32_t bits;
    } cases[] = {
        {WinChild | WinSysMenu, "MyChildWindowClass", StyleDocument | StyleCloseBox},
        {WinNormal | WinSizing, "MyNormalWindowClass", StyleCaption | StyleSizing},
        {WinTool, "MyToolWindowClass", StyleToolCaption},
        {WinTopmost | WinNoCaption, "MyTopmostWindowClass", StyleTopmost},
        {WinDialog, "MyDialogWindowClass", StyleCaption},
    };
    for (const Case& c : cases) {
        CWindow w(c.style);
        ASSERT_NE(w.hwnd, 0u) << c.cls;
        EXPECT_EQ(wm->class_name(w.hwnd), c.cls);
        EXPECT_EQ(wm->style(w.hwnd) & c.bits, c.bits) << c.cls;
        EXPECT_EQ(w.is_window(), 1);
    }
    EXPECT_EQ(wm->style(CWindow(WinTopmost).hwnd) & StyleCaption, (uint32_t)StyleCaption);
    CWindow none(WinMinMax);
    EXPECT_EQ(none.hwnd, 0u);
    CWindow document(WinChild);
    EXPECT_EQ(wm->parent(document.hwnd), application->hmdi);
    EXPECT_FALSE(wm->is_visible(document.hwnd));
}

TEST_F(Panels, TheModalStepDiscardsInputForOtherWindows)
{
    static int clicks;
    clicks = 0;
    CWindow* modal = window_of(200, 100);
    CWindow* other = window_of(200, 100);
    wm->set_window_rect(other->hwnd, {300, 300, 500, 420});
    other->event_handler = [](CPanel*, Event* e) -> short { return (short)(e->type == EvPress && ++clicks); };
    modal->event_handler = other->event_handler;
    modal->show();
    other->show();
    pump();
    wm->set_timer(frame, 1, 20);  // as the program's own timer, it ends a step that waits
    const Point in_other = wm->client_to_screen(other->hwnd, {10, 10});
    wm->inject_mouse_button(ButtonLeft, true, in_other);
    modal->run_modal();
    EXPECT_EQ(clicks, 0);
    const Point in_modal = wm->client_to_screen(modal->hwnd, {10, 10});
    wm->inject_mouse_button(ButtonLeft, false, in_other);
    wm->inject_mouse_button(ButtonLeft, true, in_modal);
    Message close;
    close.window = modal->hwnd;
    close.kind = MessageKind::Close;
    wm->post_message(close);
    for (int i = 0; i < 5 && wm->exists(modal->hwnd); i++) modal->run_modal();
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(wm->exists(modal->hwnd));  // the close ended the step, undispatched
    delete modal;
    delete other;
}

TEST_F(Panels, FocusAndScreenCoordinates)
{
    CWindow* w = window_of(300, 200);
    w->show();
    CUserPanel* a = new CUserPanel(w);
    a->item_id = 4;
    a->set_rect(30, 40, 130, 140);
    a->show();
    w->set_focus(4);
    EXPECT_EQ(wm->focus(), a->hwnd);
    w->set_focus(5);  // no such child: nobody
    EXPECT_EQ(wm->focus(), 0u);
    w->set_focus(0);
    EXPECT_EQ(wm->focus(), w->hwnd);
    w->set_focus(-1);
    EXPECT_EQ(wm->focus(), 0u);

    short x = 5, y = 6;
    a->local_to_global(&x, &y);
    const Point screen = wm->client_to_screen(w->hwnd, {35, 46});
    EXPECT_EQ(x, screen.x);
    EXPECT_EQ(y, screen.y);
    a->global_to_local(&x, &y);
    EXPECT_EQ(x, 5);
    EXPECT_EQ(y, 6);
    EXPECT_EQ(a->global_inside((short)screen.x, (short)screen.y), 1);
    EXPECT_EQ(a->global_inside((short)(screen.x + 100), (short)screen.y), 0);
    CRect r;
    a->get_rect(&r);
    EXPECT_EQ(r.x1, 30);
    EXPECT_EQ(r.y1, 40);
    EXPECT_EQ(r.x2, 130);
    EXPECT_EQ(r.y2, 140);
    delete w;
}

}  // namespace
