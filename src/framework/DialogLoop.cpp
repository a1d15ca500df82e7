// The dialog's modal step, its keyboard navigation and the order of its controls.
#include "framework/CApplication.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CTextedit.h"
#include "framework/UserInput.h"
#include "framework/WindowLookup.h"
#include "platform/WindowManager.h"

#include <set>

using namespace platform;

void CDialog::close()
{
    WindowManager* wm = WindowManager::current();
    if (!wm || !hwnd) return;
    Message m;
    m.window = hwnd;
    m.kind = MessageKind::Close;
    wm->post_message(m);
}

bool CDialog::take_queued(Event* ev)
{
    if (!tabevt->total()) return false;
    *ev = *(Event*)tabevt->get(1);
    tabevt->remove(1);
    return true;
}

namespace {

void empty_event(Event* ev)
{
    ev->type = 8;
    ev->item = 0;
}

bool is_within(WindowManager* wm, WindowId window, WindowId ancestor)
{
    for (WindowId w = window; w; w = wm->parent(w))
        if (w == ancestor) return true;
    return false;
}

// Whether the window lies in a top-level window in front of `dialog`.
bool is_above(WindowManager* wm, WindowId window, WindowId dialog)
{
    const WindowId top = wm->top_level(window);
    for (WindowId w : wm->top_level_windows()) {
        if (w == dialog) return false;
        if (w == top) return true;
    }
    return false;
}

// The first button of the radio button's group in the dialog (null when the run has a gap).
CRadio* group_head_of(CDialog* d, CRadio* r)
{
    while (r && r->main == 0) r = d->radio((short)(r->item_id - 1));
    return r;
}

short mouse_flags(const Message& m, short buttons)
{
    short flags = buttons;
    if (m.modifiers & ModControl) flags |= EvfCtrl;
    if (m.modifiers & ModShift) flags |= EvfShift;
    return flags;
}

short button_bit(int32_t button)
{
    return button == ButtonLeft ? EvfLeft : button == ButtonMiddle ? EvfMiddle : EvfRight;
}

}  // namespace

// Raw keyboard and mouse input offered to the dialog's handler: 1 when it took the message.
short CDialog::raw_input(Message& m)
{
    WindowManager* wm = WindowManager::current();
    Event e;
    bool capture_after = false;
    switch (m.kind) {
    case MessageKind::Character:
        e.type = EvKey;
        e.value = (short)(unsigned char)m.character;
        e.flags = (m.modifiers & ModAlt) ? EvfAlt : 0;
        break;
    case MessageKind::MouseMove:
        e.type = EvMove;
        e.flags = mouse_flags(m, (short)(((m.buttons & ButtonLeft) ? EvfLeft : 0) |
                                         ((m.buttons & ButtonMiddle) ? EvfMiddle : 0) |
                                         ((m.buttons & ButtonRight) ? EvfRight : 0)));
        break;
    case MessageKind::ButtonDown:
        e.type = EvPress;
        e.flags = mouse_flags(m, button_bit(m.button));
        wm->set_capture(hwnd);
        break;
    case MessageKind::ButtonUp:
        e.type = EvRelease;
        e.flags = mouse_flags(m, button_bit(m.button));
        wm->release_capture();
        break;
    case MessageKind::DoubleClick:
        e.type = EvPress;
        e.flags = mouse_flags(m, (short)(button_bit(m.button) | EvfDouble));
        capture_after = true;
        break;
    default: return 0;
    }
    if (m.kind != MessageKind::Character) {
        const Point p = wm->screen_to_client(hwnd, wm->client_to_screen(m.window, {m.x, m.y}));
        e.x = (short)p.x;
        e.y = (short)p.y;
    }
    const short taken = event_handler(this, &e);
    if (capture_after && !taken) wm->set_capture(hwnd);
    return taken;
}

// Return, Escape, the arrows of radio groups and F1. 1 when the step is to return now with
// `ev`; `done` tells that the message was used up.
short CDialog::owner_keys(Message& m, Event* ev, bool* done)
{
    WindowManager* wm = WindowManager::current();
    *done = false;
    if (m.kind == MessageKind::Character && (m.character == 13 || m.character == 27)) {
        const short item = m.character == 13 ? enter_item : esc_item;
        if (!item || !event_handler) return 0;
        Event e;
        e.type = EvControl;
        e.item = item;
        event_handler(this, &e);
        *done = true;
        return 0;
    }
    if (m.kind != MessageKind::KeyDown) return 0;
    if (m.key == KeyUp || m.key == KeyDown) {
        CPanel* focused = get_cpan_from_handle(wm->focus());
        if (!focused || focused->parent != this || focused->uid != 12) return 0;
        const short id = (short)(focused->item_id + (m.key == KeyUp ? -1 : 1));
        CRadio* neighbour = radio(id);
        if (!neighbour || neighbour->main == -1 || !neighbour->en) return 0;
        // The neighbour becomes the checked button of its own group. Counting from the group's
        // current value would miss it when the neighbour heads a group of its own (every radio
        // button of a resource dialog does) or belongs to the group before.
        const CRadio* head = group_head_of(this, neighbour);
        neighbour->set_group_value((short)(id - (head ? head->item_id : id) + 1));
        set_focus(id);
        ev->type = EvControl;
        ev->item = id;
        *done = true;
        return 1;
    }
    if (m.key == KeyF1) {
        if (application) application->help(help_reference);
        empty_event(ev);
        *done = true;
        return 1;
    }
    return 0;
}

void CDialog::route(Message& m)
{
    WindowManager* wm = WindowManager::current();
    const bool pass = m.kind == MessageKind::Paint ||
                      (m.window && wm->exists(m.window) &&
                       (is_above(wm, m.window, hwnd) ||
                        (is_within(wm, m.window, hwnd) && (m.window == hwnd || !handle_tab(&m, m.window)))));
    if (!pass) return;  // input for the windows behind the dialog is lost while it runs
    wm->translate_message(m);
    wm->dispatch_message(m);
}

short CDialog::run_modal(Event* ev)
{
    WindowManager* wm = WindowManager::current();
    if (!wm || !application) return 0;
    application->periodic_task();
    if (store_events == 1) {
        show();
        application->set_cursor_arrow();
        set_focus(first_focus);
        if (CTextedit* t = te(first_focus)) t->select_all();
        store_events = 2;
    } else if (store_events == 0 && !vis) {
        show();
        application->set_cursor_arrow();
    }
    if (store_events && take_queued(ev)) return 1;
    for (;;) {
        Message m;
        if (!wm->get_message(m)) {
            wm->post_quit(m.id);  // the program's own loop ends on it too
            return 0;
        }
        application->call_idle_handlers();
        application->run_script();
        const bool mine = m.window && wm->exists(m.window) && is_within(wm, m.window, hwnd);
        bool done = filter && event_handler && mine && raw_input(m);
        if (!done) {
            if (m.window == hwnd && m.kind == MessageKind::Close) return 0;
            if (owner_keys(m, ev, &done)) return 1;
            if (!done) route(m);
        }
        if (store_events) {
            if (!take_queued(ev)) empty_event(ev);
            return 1;
        }
    }
}

short CDialog::handle_tab(Message* msg, WindowId)
{
    if (msg->kind != MessageKind::Character) return 0;
    CPanel* current = get_cpan_from_handle(msg->window);
    if (application && application->script.recording)
        application->script.record_event(14, script_number, current ? current->item_id : 0,
                                         (short)(unsigned char)msg->character);
    if (msg->character != 9) return 0;
    const bool back = get_shift() != 0;
    // A radio group is one stop: the walk passes over the other buttons of the group it
    // leaves, and lands on the checked button of a group it reaches.
    CRadio* group = current && current->uid == 12 ? group_head_of(this, (CRadio*)current) : nullptr;
    short target = 0;
    // Disabled controls are passed over, and so are those not shown, where the focus would
    // vanish. A chain that only meets such controls ends where it comes back on itself.
    std::set<CPanel*> visited;
    do {
        if (!current || !visited.insert(current).second) return 0;
        if (!back) {
            target = current->next_item;
            if (!target) return 0;
            current = find_child(target);
        } else {
            CPanel* before = nullptr;
            for (short i = 1; i <= children.total() && !before; i++) {
                CPanel* c = (CPanel*)children.get(i);
                if (c != current && is_focusable_kind(c->uid) && c->next_item == current->item_id)
                    before = c;
            }
            current = before;
            target = before ? before->item_id : 0;
            if (!target) return 0;
        }
        if (!current) return 0;
    } while (!current->en || !current->vis ||
             (group && current->uid == 12 && group_head_of(this, (CRadio*)current) == group));
    if (current->uid == 12) {
        CRadio* head = group_head_of(this, (CRadio*)current);
        if (head) target = (short)(head->item_id + head->get_group_value() - 1);
    }
    set_focus(target);
    if (CTextedit* t = te(target)) t->select_all();
    return 1;
}

short find_next_control_tab(CDialog* dialog, CPanel* control)
{
    if (control->next_item) return control->next_item;
    const short cx = control->get_x(), cy = control->get_y();
    CPanel* best = nullptr;
    short best_x = 10000, best_y = 10000;
    auto candidates = [&](auto visit) {
        for (short i = 1; i <= dialog->children.total(); i++) {
            CPanel* c = (CPanel*)dialog->children.get(i);
            if (c != control && is_focusable_kind(c->uid)) visit(c, c->get_x(), c->get_y());
        }
    };
    // Along the same row, to the right.
    candidates([&](CPanel* c, short x, short y) {
        if (x > cx && y >= cy - 8 && y <= cy + 8 && x <= best_x) best = c, best_x = x;
    });
    if (!best) {  // the next row down, from its left
        best_x = best_y = 10000;
        candidates([&](CPanel* c, short x, short y) {
            if (y < cy + 8) return;
            if (y < best_y - 8) best = c, best_x = x, best_y = y;
            else if (y < best_y + 8 && x <= best_x) best = c, best_x = x, best_y = y;
        });
    }
    if (!best) {  // back to the top left
        best_x = best_y = 10000;
        candidates([&](CPanel* c, short x, short y) {
            if (y <= best_y - 8) best = c, best_x = x, best_y = y;
            else if (y <= best_y + 8 && x <= best_x - 8) best = c, best_x = x, best_y = y;
        });
    }
    return best ? best->item_id : 0;
}
