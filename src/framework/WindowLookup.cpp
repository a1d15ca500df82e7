#include "framework/WindowLookup.h"

#include "framework/CApplication.h"
#include "framework/CWindow.h"
#include "framework/EventDispatch.h"

#include "platform/WindowManager.h"

namespace {

constexpr short kTextFieldKind = 14;

CWindow* window_of_array(platform::WindowId h)
{
    if (!win_array || !h) return nullptr;
    for (short i = 1; i <= win_array->total(); ++i) {
        auto* w = reinterpret_cast<CWindow*>(win_array->get(i));
        if (w->hwnd == h) return w;
    }
    return nullptr;
}

// The window of win_array showing `h`, or, for the main window, the document in front of its
// document area.
CWindow* listed_window(platform::WindowManager* wm, platform::WindowId h)
{
    if (application && h == application->hwnd && application->hwnd) h = wm->front_document(application->hmdi);
    return window_of_array(h);
}

}  // namespace

CPanel* get_cpan_from_handle(platform::WindowId h)
{
    if (CWindow* w = window_of_array(h)) return w;
    if (win_array)
        for (short i = 1; i <= win_array->total(); ++i) {
            auto* w = reinterpret_cast<CWindow*>(win_array->get(i));
            if (!w->hwnd) return w;
        }
    platform::WindowManager* wm = platform::WindowManager::current();
    const platform::WindowId above = wm && h ? wm->parent(h) : 0;
    if (CPanel* owner = above ? get_cpan_from_handle(above) : nullptr)
        for (short i = 1; i <= owner->children.total(); ++i) {
            auto* child = reinterpret_cast<CPanel*>(owner->children.get(i));
            if (child->hwnd == h) return child;
        }
    return nullptr;
}

CPanel* get_panel_under(short x, short y)
{
    platform::WindowManager* wm = platform::WindowManager::current();
    const platform::WindowId h = wm ? wm->window_at({x, y}) : 0;
    return h ? get_cpan_from_handle(h) : nullptr;
}

CWindow* get_window_under(short x, short y)
{
    CPanel* panel = get_panel_under(x, y);
    if (!panel || panel->is_window() || !panel->parent || panel->parent->uid != 5) return nullptr;
    return static_cast<CWindow*>(panel->parent);
}

CPanel* get_cur_te()
{
    platform::WindowManager* wm = platform::WindowManager::current();
    CPanel* panel = wm && wm->focus() ? get_cpan_from_handle(wm->focus()) : nullptr;
    return panel && panel->uid == kTextFieldKind ? panel : nullptr;
}

CWindow* get_next_window(CWindow* w)
{
    platform::WindowManager* wm = platform::WindowManager::current();
    if (!wm || !w || !w->hwnd) return nullptr;
    const platform::WindowId next = wm->next_window(w->hwnd);
    return next ? listed_window(wm, next) : nullptr;
}

CWindow* get_front_window()
{
    platform::WindowManager* wm = platform::WindowManager::current();
    if (!wm) return nullptr;
    for (platform::WindowId h : wm->top_level_windows()) {
        if (application && h == application->hwnd) {
            CWindow* document = listed_window(wm, h);
            return document && wm->is_visible(document->hwnd) ? document : nullptr;
        }
        CWindow* w = window_of_array(h);
        if (w && wm->is_visible(h)) return w;
    }
    return nullptr;
}

void get_main_window_client_origin(short* x, short* y)
{
    platform::WindowManager* wm = platform::WindowManager::current();
    const platform::Point p = wm && application ? wm->client_to_screen(application->hwnd, {0, 0}) : platform::Point{};
    *x = static_cast<short>(p.x);
    *y = static_cast<short>(p.y);
}

void get_main_screen_area(CRect* r)
{
    platform::WindowManager* wm = platform::WindowManager::current();
    const platform::Rect c = wm && application ? wm->client_rect(application->hwnd) : platform::Rect{};
    r->init(0, 0, static_cast<short>(c.width()), static_cast<short>(c.height()));
}

void fit_rect_in_area(CRect* r, short width, short height)
{
    if (r->x2 < 0) return;
    if (r->x2 - r->x1 > width) r->x2 = static_cast<short>(r->x1 + width);
    if (r->y2 - r->y1 > height) r->y2 = static_cast<short>(r->y1 + height);
    if (r->x1 < 0) {
        r->x2 = static_cast<short>(r->x2 - r->x1);
        r->x1 = 0;
    }
    if (r->y1 < 0) {
        r->y2 = static_cast<short>(r->y2 - r->y1);
        r->y1 = 0;
    }
    if (r->x2 > width) {
        r->x1 = static_cast<short>(r->x1 - (r->x2 - width));
        r->x2 = width;
    }
    if (r->y2 > height) {
        r->y1 = static_cast<short>(r->y1 - (r->y2 - height));
        r->y2 = height;
    }
}

void fit_rect_in_screen(CRect* r)
{
    platform::WindowManager* wm = platform::WindowManager::current();
    const platform::Rect area = wm && application ? wm->client_rect(application->hmdi) : platform::Rect{};
    fit_rect_in_area(r, static_cast<short>(area.width()), static_cast<short>(area.height()));
}
