#include "framework/WindowLookup.h"

#include "framework/PendingPanels.h"

#include "platform/WindowManager.h"

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
