#include "framework/EventDispatch.h"

#include "framework/CApplication.h"
#include "framework/CPanel.h"
#include "framework/CScroll.h"
#include "framework/CUserPanel.h"
#include "framework/CMenu.h"
#include "framework/WindowLookup.h"
#include "platform/WindowManager.h"

#include <algorithm>
#include <cstdlib>
#include <string>

using namespace platform;

short indnd = 0;
short last_mx_down = -32000;
short last_my_down = -32000;
int32_t inmenuloop = 0;
short TerminerAutoDemo = 0;

short special_key_code(Key key, int32_t modifiers)
{
    switch (key) {
    case KeyPageUp: return 1;
    case KeyPageDown: return 2;
    case KeyDelete: return 4;
    case KeyHome: return 5;
    case KeyEnd: return 6;
    case KeyLeft: return 0x1C;
    case KeyRight: return 0x1D;
    case KeyUp: return 0x1E;
    case KeyDown: return 0x1F;
    default: break;
    }
    if (key < KeyF1 || key > KeyF15) return 0;
    short code = (short)(0xF1 + (key - KeyF1));
    if (modifiers & ModControl) code = (short)(code - 16);
    if (modifiers & ModShift) code = (short)(code - 32);
    return code;
}

namespace {

bool script_playing() { return application && application->script.playing; }

short send(CPanel* panel, Event& e) { return application ? application->event_filter(panel, &e) : 0; }

short key_flags(int32_t modifiers, bool with_ctrl)
{
    short flags = (modifiers & ModShift) ? EvfShift : 0;
    if (with_ctrl && (modifiers & ModControl)) flags |= EvfCtrl;
    return flags;
}

short mouse_flags(const Message& m, short buttons)
{
    short flags = buttons;
    if (m.modifiers & ModControl) flags |= EvfCtrl;
    if (m.modifiers & ModShift) flags |= EvfShift;
    return flags;
}

void cursor_in(WindowManager* wm, WindowId window, Event& e)
{
    const Point p = wm->screen_to_client(window, wm->cursor_position());
    e.x = (short)p.x;
    e.y = (short)p.y;
}

short paint(WindowManager* wm, WindowId window, CPanel* panel)
{
    CUserPanel* surface = panel && panel->uid == 7 ? static_cast<CUserPanel*>(panel) : nullptr;
    if (surface) surface->switch_to_offscreen();
    const PaintContext context = wm->begin_paint(window);
    Event e;
    e.type = EvPaint;
    const short result = send(panel, e);
    wm->end_paint(window, context);
    if (surface) surface->switch_to_screen(1);
    return result;
}

short key_down(WindowManager* wm, WindowId window, CPanel* panel, const Message& m)
{
    if (m.repeat) return 0;
    Event e;
    e.flags = key_flags(m.modifiers, true);
    cursor_in(wm, window, e);
    if (m.character >= 0) {
        e.type = EvKeyDown;
        e.value = (short)(signed char)m.character;
        if (script_playing()) {
            if (m.character == 27) {
                application->script.stop();
                return 1;
            }
        } else {
            send(panel, e);
        }
    }
    const short code = special_key_code(static_cast<Key>(m.key), m.modifiers);
    if (!code) return 0;
    e.type = EvKey;
    e.value = code;
    return send(panel, e);
}

short key_up(WindowManager* wm, WindowId window, CPanel* panel, const Message& m)
{
    if (m.character < 0) return 0;
    if (script_playing()) return 1;
    Event e;
    e.type = EvKeyUp;
    e.value = (short)(signed char)m.character;
    e.flags = key_flags(m.modifiers, false);
    cursor_in(wm, window, e);
    return send(panel, e);
}

short character(WindowManager* wm, WindowId window, CPanel* panel, const Message& m)
{
    if (script_playing()) {
        if (m.character == 27) TerminerAutoDemo = 1;
        else if (m.character == 9) application->script.skip();
        return 1;
    }
    Event e;
    e.type = EvKey;
    e.value = (short)(unsigned char)m.character;
    e.flags = (short)(((m.modifiers & ModAlt) ? EvfAlt : 0) | ((m.modifiers & ModShift) ? EvfShift : 0));
    cursor_in(wm, window, e);
    return send(panel, e);
}

short command(CPanel* panel, const Message& m)
{
    Event e;
    if (m.param1 == 0) {
        e.type = EvMenuCommand;
        e.value = (short)m.id;
        send(panel, e);
        return 0;
    }
    e.item = (short)m.id;
    switch (m.param2) {
    case NotifyClicked: case NotifySelectionChanged: e.type = EvControl; break;
    case NotifyDoubleClicked: e.type = EvListDouble; break;
    case NotifyTextChanged: e.type = EvTextChanged; break;
    default: return 0;
    }
    send(panel, e);
    return 0;
}

// A scroll bar's request: the new position is set on the bar, then the events go out.
short scroll(CPanel* panel, const Message& m)
{
    if (!panel) return 0;
    CScroll* bar = nullptr;
    for (short i = 1; i <= panel->children.total() && !bar; i++) {
        CPanel* child = (CPanel*)panel->children.get(i);
        if (child->uid == 13 && child->hwnd && child->hwnd == (WindowId)m.param1) bar = (CScroll*)child;
    }
    if (!bar) return 0;
    short first = 0;
    int32_t position = bar->get_value();
    switch (m.param2) {
    case ScrollLineUp: first = EvScrollLineUp, position -= bar->small_step; break;
    case ScrollLineDown: first = EvScrollLineDown, position += bar->small_step; break;
    case ScrollPageUp: first = EvScrollPageUp, position -= bar->big_step; break;
    case ScrollPageDown: first = EvScrollPageDown, position += bar->big_step; break;
    case ScrollThumbPosition: position = m.x; break;
    case ScrollThumbTrack: first = EvScrollThumb, position = m.x; break;
    case ScrollEndScroll: first = EvScrollEnd; break;
    default: return 0;
    }
    bar->set_value((short)std::max<int32_t>(-32768, std::min<int32_t>(32767, position)));
    Event e;
    e.item = bar->item_id;
    if (first) {
        e.type = first;
        send(panel, e);
    }
    if (m.param2 <= ScrollThumbPosition) {
        e.type = EvControl;
        send(panel, e);
    }
    return 0;
}

short mouse_move(WindowManager* wm, CPanel* panel, const Message& m)
{
    if (script_playing()) return 1;
    if (!indnd && (wm->mouse_buttons() & ButtonLeft) &&
        (std::abs(m.x - last_mx_down) > 2 || std::abs(m.y - last_my_down) > 2)) {
        Event drag;
        drag.type = EvDragStart;
        drag.x = last_mx_down;
        drag.y = last_my_down;
        indnd = 1;
        send(panel, drag);
        indnd = 0;
    }
    Event e;
    e.type = EvMove;
    e.x = (short)m.x;
    e.y = (short)m.y;
    e.flags = mouse_flags(m, (short)(((m.buttons & ButtonLeft) ? EvfLeft : 0) |
                                     ((m.buttons & ButtonMiddle) ? EvfMiddle : 0) |
                                     ((m.buttons & ButtonRight) ? EvfRight : 0)));
    return send(panel, e);
}

short button_flag(int32_t button)
{
    return button == ButtonLeft ? EvfLeft : button == ButtonMiddle ? EvfMiddle : EvfRight;
}

short button(WindowManager* wm, WindowId window, CPanel* panel, const Message& m)
{
    if (script_playing()) return 1;
    const bool left = m.button == ButtonLeft;
    Event e;
    e.x = (short)m.x;
    e.y = (short)m.y;
    short buttons = button_flag(m.button);
    switch (m.kind) {
    case MessageKind::ButtonDown:
        e.type = EvPress;
        if (left) last_mx_down = (short)m.x, last_my_down = (short)m.y;
        wm->set_capture(window);
        break;
    case MessageKind::ButtonUp:
        e.type = EvRelease;
        if (left) indnd = 0, last_mx_down = last_my_down = -32000;
        wm->release_capture();
        break;
    default:  // double click
        e.type = EvPress;
        buttons |= EvfDouble;
        if (left) last_mx_down = last_my_down = -32000;
        break;
    }
    e.flags = mouse_flags(m, buttons);
    return send(panel, e);
}

short files_dropped(const Message& m)
{
    if (script_playing()) return 1;
    if (m.paths && application)
        for (const std::string& path : *m.paths) {
            std::string name = path.substr(0, 300);
            application->open_document(&name[0]);
        }
    return 1;
}

}  // namespace

short dispatch_events(WindowId window, Message& m)
{
    WindowManager* wm = WindowManager::current();
    CPanel* panel = get_cpan_from_handle(window);
    Event e;
    switch (m.kind) {
    case MessageKind::Size:
        e.type = EvSize;
        send(panel, e);
        return 0;
    case MessageKind::Paint: return paint(wm, window, panel);
    case MessageKind::Close:
        e.type = EvClose;
        return send(panel, e);
    case MessageKind::EraseBackground:
        return panel && panel->uid == 7 && static_cast<CUserPanel*>(panel)->offscreen_bmp ? 1 : 0;
    case MessageKind::SetCursor:
        if (application && application->cursor) {
            wm->set_cursor(static_cast<Cursor>(application->cursor - 1));
            return 1;
        }
        if (panel && (panel->cursor == 1 || panel->cursor == 2)) {
            wm->set_cursor(panel->cursor == 1 ? Cursor::Arrow : Cursor::Wait);
            return 1;
        }
        return 0;
    case MessageKind::KeyDown: return key_down(wm, window, panel, m);
    case MessageKind::KeyUp: return key_up(wm, window, panel, m);
    case MessageKind::Character: return character(wm, window, panel, m);
    case MessageKind::Command: return command(panel, m);
    case MessageKind::MenuLoop:
        inmenuloop = m.flag;
        return 0;
    case MessageKind::MenuIdle:
        if (inmenuloop && application && application->script.playing) select_queued_menu_item(window, TerminerAutoDemo != 0);
        return 0;
    case MessageKind::User:
        return m.id == ScrollHorizontal || m.id == ScrollVertical ? scroll(panel, m) : 0;
    case MessageKind::MouseMove: return mouse_move(wm, panel, m);
    case MessageKind::ButtonDown:
    case MessageKind::ButtonUp:
    case MessageKind::DoubleClick: return button(wm, window, panel, m);
    case MessageKind::FilesDropped: return files_dropped(m);
    default: return 0;
    }
}

intptr_t panel_window_proc(WindowId window, Message& message)
{
    return dispatch_events(window, message) ? 0 : default_window_proc(window, message);
}
