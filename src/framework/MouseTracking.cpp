#include "framework/MouseTracking.h"

#include "framework/CApplication.h"
#include "framework/CWindow.h"
#include "framework/EventDispatch.h"
#include "framework/UserInput.h"
#include "framework/WindowLookup.h"

#include "platform/WindowManager.h"

#include <vector>

short get_out_of_resize_rect = 0;

namespace {

// One axis of the limits: the near and far edges, whether each follows, the two limits.
void limit_axis(short* near, short* far, bool near_moves, bool far_moves, short low, short high)
{
    if (near_moves && far_moves) {
        if (*near < low) {
            const short by = static_cast<short>(low - *near);
            *near = static_cast<short>(*near + by);
            *far = static_cast<short>(*far + by);
        }
        if (*far > high) {
            const short by = static_cast<short>(*far - high);
            *near = static_cast<short>(*near - by);
            *far = static_cast<short>(*far - by);
        }
    } else if (near_moves) {
        if (*near < *far - high) *near = static_cast<short>(*far - high);
        if (*near > *far - low) *near = static_cast<short>(*far - low);
    } else if (far_moves) {
        if (*far < *near + low) *far = static_cast<short>(*near + low);
        if (*far > *near + high) *far = static_cast<short>(*near + high);
    }
}

void show_outlines(platform::WindowManager* wm, const CRect* rects, short count)
{
    std::vector<platform::Rect> outlines;
    for (short i = 0; i < count; ++i)
        outlines.push_back({rects[i].x1, rects[i].y1, rects[i].x2 + 1, rects[i].y2 + 1});
    wm->set_screen_outlines(outlines);
}

// The arrow keys nudge the pointer by one pixel.
void nudge_pointer(const platform::Message& m)
{
    if (m.kind != platform::MessageKind::KeyDown) return;
    if (m.key == platform::KeyLeft) move_mouse(-1, 0);
    if (m.key == platform::KeyRight) move_mouse(1, 0);
    if (m.key == platform::KeyUp) move_mouse(0, -1);
    if (m.key == platform::KeyDown) move_mouse(0, 1);
}

// Sends the panel under the screen point a drag event; its answer, 0 when there is no panel
// with a handler.
short send_drag_event(short type, platform::Point p, void* data, short kind, bool* found)
{
    CPanel* panel = get_panel_under(static_cast<short>(p.x), static_cast<short>(p.y));
    *found = panel && panel->event_handler;
    if (!*found) return 0;
    Event e;
    e.type = type;
    e.x = static_cast<short>(p.x);
    e.y = static_cast<short>(p.y);
    panel->global_to_local(&e.x, &e.y);
    e.drag_data = data;
    e.drag_type = kind;
    return panel->event_handler(panel, &e);
}

// A move during a resize, recorded with the window's script number, the panel's item and the
// position of the message.
void record_move(const platform::Message& m)
{
    CPanel* panel = get_cpan_from_handle(m.window);
    if (!panel) return;
    CPanel* window = panel->is_window() ? panel : panel->parent;
    const short number = window && window->uid == 5 ? static_cast<CWindow*>(window)->script_number : 0;
    application->script.record_event(10, number, panel->item_id, m.x, m.y, 0, 0);
}

bool left_release(const platform::Message& m)
{
    return m.kind == platform::MessageKind::ButtonUp && m.button == platform::ButtonLeft;
}

}  // namespace

short drag_and_drop(void* data, short kind)
{
    platform::WindowManager* wm = platform::WindowManager::current();
    if (!wm) return 0;
    platform::Point last{-100, -100};  // the first turn always counts as a move
    platform::Message m;
    while (true) {
        const bool playing = application && application->script.playing;
        if (application) {
            application->periodic_task();
            if (playing) application->run_script();
        }
        const platform::Point p = wm->cursor_position();
        if (p.x != last.x || p.y != last.y) {
            last = p;
            bool found = false;
            const short answer = send_drag_event(EvDropQuery, p, data, kind, &found);
            if (application) {
                if (answer) application->set_cursor_yes_drop();
                else application->set_cursor_no_drop();
            }
        }
        if (playing && !application->script.left_button) break;
        if (!wm->get_message(m)) {
            wm->post_quit(m.id);  // the message loop ends the program; nothing is dropped
            if (application) application->set_cursor_arrow();
            return 0;
        }
        if (left_release(m)) {
            wm->release_capture();
            break;
        }
        if (m.kind == platform::MessageKind::KeyDown) {
            nudge_pointer(m);
            continue;
        }
        wm->translate_message(m);
        wm->dispatch_message(m);
    }
    bool found = false;
    const short result = send_drag_event(EvDrop, wm->cursor_position(), data, kind, &found);
    if (application) application->set_cursor_arrow();
    return result;
}

void apply_resize_limits(CRect* r, const ResizeLimits& l)
{
    limit_axis(&r->x1, &r->x2, l.m_x1 != 0, l.m_x2 != 0, l.a, l.b);
    limit_axis(&r->y1, &r->y2, l.m_y1 != 0, l.m_y2 != 0, l.c, l.d);
}

short resize_rect(CRect* rects, short m_x1, short m_y1, short m_x2, short m_y2, short a, short b, short c, short d,
                  short mouse_x, short mouse_y, short count)
{
    platform::WindowManager* wm = platform::WindowManager::current();
    if (!wm || !rects || count < 1) return 0;
    const ResizeLimits limits{m_x1, m_y1, m_x2, m_y2, a, b, c, d};
    get_out_of_resize_rect = 0;
    const CRect first = rects[0];
    std::vector<CRect> copies(rects, rects + count);  // follow the mouse without limits
    show_outlines(wm, rects, count);
    platform::Point reference{mouse_x, mouse_y};
    platform::Message m;
    while (true) {
        if (application) {
            application->periodic_task();
            application->run_script();
        }
        const platform::Point now = wm->cursor_position();
        if (now.x != reference.x || now.y != reference.y) {
            const short dx = static_cast<short>(now.x - reference.x), dy = static_cast<short>(now.y - reference.y);
            for (short i = 0; i < count; ++i) {
                CRect& copy = copies[static_cast<size_t>(i)];
                if (m_x1) copy.x1 = static_cast<short>(copy.x1 + dx);
                if (m_x2) copy.x2 = static_cast<short>(copy.x2 + dx);
                if (m_y1) copy.y1 = static_cast<short>(copy.y1 + dy);
                if (m_y2) copy.y2 = static_cast<short>(copy.y2 + dy);
                rects[i] = copy;
                apply_resize_limits(&rects[i], limits);
            }
            show_outlines(wm, rects, count);
            reference = now;
        }
        if (get_out_of_resize_rect) break;
        if (!wm->get_message(m)) {
            wm->post_quit(m.id);  // the message loop ends the program
            break;
        }
        if (left_release(m)) break;
        nudge_pointer(m);
        if (m.kind == platform::MessageKind::MouseMove && application && application->script.recording)
            record_move(m);
        // Paints still reach their windows; other input is taken and dropped.
        if (m.kind == platform::MessageKind::Paint) wm->dispatch_message(m);
    }
    wm->release_capture();
    if (application && application->script.recording) {
        const platform::Point p = wm->cursor_position();
        application->script.record_event(6, -1, -1, p.x, p.y, 0, 0);
    }
    wm->set_screen_outlines({});
    return first.x1 != rects[0].x1 || first.x2 != rects[0].x2 || first.y1 != rects[0].y1 || first.y2 != rects[0].y2
               ? 1
               : 0;
}
