#include "framework/CPanel.h"

#include "framework/CApplication.h"
#include "framework/DefaultHandlers.h"
#include "platform/WindowManager.h"

using platform::WindowManager;

namespace {

WindowManager* manager() { return WindowManager::current(); }

// The parent's extent on one axis: 25 without a parent, a window's client size, else the
// parent's own size.
short parent_extent(CPanel* parent, bool horizontal)
{
    if (!parent) return 25;
    if (parent->is_window()) {
        WindowManager* wm = manager();
        if (wm && parent->hwnd && wm->exists(parent->hwnd)) {
            const platform::Rect r = wm->client_rect(parent->hwnd);
            return (short)(horizontal ? r.width() : r.height());
        }
    }
    return horizontal ? parent->get_width() : parent->get_height();
}

short absolute_side(short value, short mode, CPanel* ref, CPanel* parent, bool horizontal)
{
    const short extent = parent_extent(parent, horizontal);
    const int32_t ref_edge =
        ref ? (horizontal ? ref->get_x() + ref->get_width() : ref->get_y() + ref->get_height()) : 0;
    if (mode == SidePixels) {
        if (ref) return (short)(ref_edge + value);
        return (short)(value >= 0 ? value : extent + value);
    }
    return (short)((int32_t)value * extent / 100 + ref_edge);
}

}  // namespace

short absolute_left_side(short value, short mode, CPanel* ref, CPanel* parent)
{
    return absolute_side(value, mode, ref, parent, true);
}
short absolute_right_side(short value, short mode, CPanel* ref, CPanel* parent)
{
    return absolute_side(value, mode, ref, parent, true);
}
short absolute_top_side(short value, short mode, CPanel* ref, CPanel* parent)
{
    return absolute_side(value, mode, ref, parent, false);
}
short absolute_bottom_side(short value, short mode, CPanel* ref, CPanel* parent)
{
    return absolute_side(value, mode, ref, parent, false);
}

CPanel::CPanel(CPanel* parent_panel) : event_handler(default_event_handler)
{
    uid = 6;
    parent = parent_panel == NO_PARENT ? nullptr : parent_panel;
    if (parent) parent->children.add((intptr_t)this);
}

CPanel::~CPanel()
{
    while (children.total() > 0) delete (CPanel*)children.get(1);
    if (parent) parent->children.remove_item((intptr_t)this);
    parent = nullptr;
    // Every entry goes: a panel left in the idle list would be called after its death.
    if (application)
        while (application->idle_panel.remove_item((intptr_t)this)) {
        }
    children.clear();
}

void CPanel::move_native()
{
    WindowManager* wm = manager();
    if (!hwnd || !wm || !wm->exists(hwnd)) return;
    const platform::Rect r = wm->window_rect(hwnd);
    const short x = absolute_left_side(left, left_mode, left_cp, parent);
    const short y = absolute_top_side(top, top_mode, top_cp, parent);
    wm->set_window_rect(hwnd, r.moved(x - r.left, y - r.top));
}

void CPanel::resize_native()
{
    WindowManager* wm = manager();
    if (!hwnd || !wm || !wm->exists(hwnd)) return;
    platform::Rect r = wm->window_rect(hwnd);
    const short x1 = absolute_left_side(left, left_mode, left_cp, parent);
    const short y1 = absolute_top_side(top, top_mode, top_cp, parent);
    r.right = r.left + absolute_right_side(right, right_mode, right_cp, parent) - x1;
    r.bottom = r.top + absolute_bottom_side(bottom, bottom_mode, bottom_cp, parent) - y1;
    wm->set_window_rect(hwnd, r);
}

void CPanel::set_left_side(short value, short mode, CPanel* ref)
{
    left = value, left_mode = mode, left_cp = ref;
    move_native();
}
void CPanel::set_top_side(short value, short mode, CPanel* ref)
{
    top = value, top_mode = mode, top_cp = ref;
    move_native();
}
void CPanel::set_right_side(short value, short mode, CPanel* ref)
{
    right = value, right_mode = mode, right_cp = ref;
    resize_native();
}
void CPanel::set_bottom_side(short value, short mode, CPanel* ref)
{
    bottom = value, bottom_mode = mode, bottom_cp = ref;
    resize_native();
}

void CPanel::update_size()
{
    if (uid == 10) return;  // a pop-up list keeps its place
    set_left_side(left, left_mode, left_cp);
    set_top_side(top, top_mode, top_cp);
    set_bottom_side(bottom, bottom_mode, bottom_cp);
    set_right_side(right, right_mode, right_cp);
    dirty(1);
}

void CPanel::set_rect(short x1, short y1, short x2, short y2, short)
{
    left = x1, top = y1, right = x2, bottom = y2;
    move_native();
    resize_native();
}

void CPanel::set_position(short x, short y)
{
    right = (short)(right + x - left);
    bottom = (short)(bottom + y - top);
    left = x, top = y;
    move_native();
}

void CPanel::set_dimension(short width, short height)
{
    right = (short)(left + width);
    bottom = (short)(top + height);
    resize_native();
}

short CPanel::get_x()
{
    WindowManager* wm = manager();
    if (hwnd && wm && wm->exists(hwnd)) return (short)wm->window_rect(hwnd).left;
    return absolute_left_side(left, left_mode, left_cp, parent);
}

short CPanel::get_y()
{
    WindowManager* wm = manager();
    if (hwnd && wm && wm->exists(hwnd)) return (short)wm->window_rect(hwnd).top;
    return absolute_top_side(top, top_mode, top_cp, parent);
}

short CPanel::get_width()
{
    WindowManager* wm = manager();
    if (hwnd && wm && wm->exists(hwnd)) return (short)wm->window_rect(hwnd).width();
    return (short)(absolute_right_side(right, right_mode, right_cp, parent) -
                   absolute_left_side(left, left_mode, left_cp, parent));
}

short CPanel::get_height()
{
    WindowManager* wm = manager();
    if (hwnd && wm && wm->exists(hwnd)) return (short)wm->window_rect(hwnd).height();
    return (short)(absolute_bottom_side(bottom, bottom_mode, bottom_cp, parent) -
                   absolute_top_side(top, top_mode, top_cp, parent));
}

void CPanel::get_rect(CRect* r)
{
    r->x1 = get_x();
    r->y1 = get_y();
    r->x2 = (short)(r->x1 + get_width());
    r->y2 = (short)(r->y1 + get_height());
}

short CPanel::parent_point_inside(short x, short y)
{
    const short px = get_x(), py = get_y();
    return x >= px && x <= px + get_width() && y >= py && y <= py + get_height() ? 1 : 0;
}

short CPanel::global_inside(short x, short y)
{
    if (parent) parent->global_to_local(&x, &y);
    return parent_point_inside(x, y);
}

void CPanel::global_to_local(short* x, short* y)
{
    WindowManager* wm = manager();
    if (hwnd && wm && wm->exists(hwnd)) {
        const platform::Point p = wm->screen_to_client(hwnd, {*x, *y});
        *x = (short)p.x, *y = (short)p.y;
        return;
    }
    if (parent) parent->global_to_local(x, y);
    *x = (short)(*x - get_x());
    *y = (short)(*y - get_y());
}

void CPanel::local_to_global(short* x, short* y)
{
    WindowManager* wm = manager();
    if (hwnd && wm && wm->exists(hwnd)) {
        const platform::Point p = wm->client_to_screen(hwnd, {*x, *y});
        *x = (short)p.x, *y = (short)p.y;
        return;
    }
    *x = (short)(*x + get_x());
    *y = (short)(*y + get_y());
    if (parent) parent->local_to_global(x, y);
}

CPanel* CPanel::find_child(short id)
{
    for (short i = 1; i <= children.total(); i++) {
        CPanel* child = (CPanel*)children.get(i);
        if (child->item_id == id) return child;
    }
    return nullptr;
}

CPanel* CPanel::find_child_all(short id)
{
    if (CPanel* direct = find_child(id)) return direct;
    for (short i = 1; i <= children.total(); i++)
        if (CPanel* found = ((CPanel*)children.get(i))->find_child_all(id)) return found;
    return nullptr;
}

void CPanel::set_focus(short id)
{
    WindowManager* wm = manager();
    if (!wm) return;
    if (id == 0) {
        wm->set_focus(hwnd);
    } else if (id < 0) {
        wm->set_focus(0);
    } else {
        CPanel* child = find_child(id);
        wm->set_focus(child ? child->hwnd : 0);
    }
}

void CPanel::enable()
{
    en = 1;
    if (WindowManager* wm = manager(); wm && hwnd) wm->enable_window(hwnd, true);
}

void CPanel::disable()
{
    en = 0;
    if (WindowManager* wm = manager(); wm && hwnd) wm->enable_window(hwnd, false);
}

void CPanel::show()
{
    WindowManager* wm = manager();
    if (wm && hwnd && wm->exists(hwnd)) {
        wm->show_window(hwnd, true);
        wm->bring_to_top(hwnd);
    }
    vis = 1;
    if (is_window()) {
        en = 1;
        if (wm && hwnd) wm->enable_window(hwnd, true);
    }
}

void CPanel::hide()
{
    vis = 0;
    en = 0;
    if (WindowManager* wm = manager(); wm && hwnd && wm->exists(hwnd)) {
        wm->show_window(hwnd, false);
        wm->enable_window(hwnd, false);
    }
}

void CPanel::update()
{
    if (WindowManager* wm = manager(); wm && hwnd && wm->exists(hwnd)) wm->update_window(hwnd);
}

void CPanel::dirty(short)
{
    if (WindowManager* wm = manager(); wm && hwnd && wm->exists(hwnd))
        wm->invalidate(hwnd, nullptr, true);
}

void CPanel::dirty_rect(CRect* r, short)
{
    const platform::Rect area{r->x1, r->y1, r->x2, r->y2};
    if (WindowManager* wm = manager(); wm && hwnd && wm->exists(hwnd))
        wm->invalidate(hwnd, &area, true);
}

short CPanel::send_message(short type, short value, short x, short y, short item)
{
    if (!event_handler) return 0;
    Event e;
    e.type = type, e.value = value, e.x = x, e.y = y, e.item = item;
    return event_handler(this, &e);
}
