#include "framework/ScriptPlayer.h"

#include "framework/CApplication.h"
#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CList.h"
#include "framework/CMenu.h"
#include "framework/CScript.h"
#include "framework/CScroll.h"
#include "framework/CWindow.h"
#include "framework/EventDispatch.h"
#include "framework/LocalTime.h"
#include "framework/MouseTracking.h"
#include "framework/UserInput.h"
#include "platform/Menu.h"
#include "platform/WindowManager.h"

#include <cstdio>
#include <string>

int32_t script_events_skipped = 0;

namespace {

constexpr int32_t kPressPause = 400;  // ms shown before a replayed left press
constexpr int32_t kMenuGrace = 2000;   // ms after which closed menus count as chosen without a command
constexpr int32_t kMenuLimit = 30000;  // ms the player waits at most for a menu choice

// A menu command being chosen on screen: while the pointer travels the menus the player holds
// the following event, as the menus of the system hold the loop while they are open.
struct MenuChoice {
    bool pending = false;
    short held = 0;              // the event held back
    int32_t commands_before = 0;  // menu_commands_run when the choice began
    int32_t began = 0;
};
MenuChoice menu_choice;

bool menu_choice_over()
{
    const int32_t waited = get_time_pos() - menu_choice.began;
    if (menu_commands_run != menu_choice.commands_before) return true;
    if (waited > kMenuLimit) {
        platform::close_menus();
        script_menu_total = 0;
        return true;
    }
    return waited > kMenuGrace && script_menu_total == 0 && !platform::menus_open();
}

CWindow* window_numbered(int32_t number)
{
    for (short i = 1; win_array && i <= win_array->total(); i++) {
        CWindow* w = (CWindow*)win_array->get(i);
        if (w->script_number == number) return w;
    }
    return nullptr;
}

// The panel `item` of window `win`: the window itself for item 0 when it has no such child.
CPanel* script_panel(int32_t win, int32_t item, CWindow** window)
{
    CWindow* w = window_numbered(win);
    if (window) *window = w;
    if (!w) return nullptr;
    if (CPanel* p = w->find_child_all((short)item)) return p;
    return item == 0 ? w : nullptr;
}

void tell_skipped(const ScriptEvent& ev)
{
    script_events_skipped++;
    std::fprintf(stderr, "Script: %s event skipped, window %d item %d not found\n",
                 script_keyword(ev.type) ? script_keyword(ev.type) : "?", (int)ev.param[1], (int)ev.param[2]);
}

void slide_to(CPanel* panel, int32_t x, int32_t y, int32_t ms)
{
    short gx = (short)x, gy = (short)y;
    panel->local_to_global(&gx, &gy);
    slide_mouse_to(gx, gy, ms);
}

short mods_flags(int32_t mods)
{
    return (short)(((mods & 1) ? EvfShift : 0) | ((mods & 2) ? EvfCtrl : 0));
}

bool mouse_event(const ScriptEvent& ev)
{
    CScript& s = application->script;
    CPanel* panel = script_panel(ev.param[1], ev.param[2], nullptr);
    if (!panel) return false;
    const bool press = ev.type == ScriptLeftDown || ev.type == ScriptRightDown || ev.type == ScriptDoubleClick;
    if (ev.type == ScriptLeftDown && !(ev.param[5] & 4)) wait_ms(kPressPause);
    slide_to(panel, ev.param[3], ev.param[4], ev.type == ScriptMove ? 0 : -1);
    Event e;
    e.x = (short)ev.param[3];
    e.y = (short)ev.param[4];
    e.flags = mods_flags(ev.param[5]);
    switch (ev.type) {
    case ScriptLeftDown: e.type = EvPress, e.flags |= EvfLeft, s.left_button = 1; break;
    case ScriptDoubleClick: e.type = EvPress, e.flags |= EvfLeft | EvfDouble, s.left_button = 1; break;
    case ScriptRightDown: e.type = EvPress, e.flags |= EvfRight, s.right_button = 1; break;
    case ScriptLeftUp:
        e.type = EvRelease, e.flags |= EvfLeft, s.left_button = 0;
        get_out_of_resize_rect = 1;
        break;
    case ScriptRightUp: e.type = EvRelease, e.flags |= EvfRight, s.right_button = 0; break;
    case ScriptMove:
        e.type = EvMove;
        e.flags = (short)((s.left_button ? EvfLeft : 0) | (s.right_button ? EvfRight : 0));
        break;
    default: e.type = EvDragStart, e.flags |= EvfLeft; break;
    }
    if (press) play_sound_clic();
    if (panel->event_handler) panel->event_handler(panel, &e);
    return true;
}

// A character for a text field, as the user types it: Tab moves the focus in a dialog.
void type_into(CPanel* field, char c)
{
    platform::WindowManager* wm = platform::WindowManager::current();
    if (!wm || !field->hwnd) return;
    CScript& s = application->script;
    if (s.last_te_id != field->item_id) {
        field->set_focus(0);
        s.last_te_id = field->item_id;
    }
    platform::Message m;
    m.window = field->hwnd;
    m.kind = platform::MessageKind::Character;
    m.character = (unsigned char)c;
    CPanel* owner = field->parent;
    if (owner && owner->uid == 16 && ((CDialog*)owner)->handle_tab(&m, field->hwnd)) return;
    wm->dispatch_message(m);
}

bool key_event(const ScriptEvent& ev)
{
    CPanel* panel = script_panel(ev.param[1], ev.param[2], nullptr);
    if (panel) slide_to(panel, ev.param[4], ev.param[5], -1);
    wait_ms(kPressPause);
    if (ev.param[3] != 32 && ev.param[3] <= 240) play_sound_key();
    if (panel && panel->uid == 14) {
        type_into(panel, (char)ev.param[3]);
        return true;
    }
    Event e;
    e.type = EvKey;
    e.value = (short)ev.param[3];
    e.x = (short)ev.param[4];
    e.y = (short)ev.param[5];
    e.flags = mods_flags(ev.param[6]);
    application->event_filter(panel, &e);
    return true;
}

bool control_event(const ScriptEvent& ev)
{
    CWindow* window = nullptr;
    CPanel* control = script_panel(ev.param[1], ev.param[2], &window);
    if (!control || control == window) return false;
    const short value = (short)ev.param[3];
    if (control->uid == 14) {
        type_into(control, (char)value);
        return true;
    }
    slide_to(control, ev.param[4], ev.param[5], -1);
    switch (control->uid) {
    case 9: case 10: ((CListBase*)control)->set_cur(value); break;
    case 13: ((CScroll*)control)->set_value(value); break;
    case 11: ((CCheck*)control)->set_value(value); break;
    case 8: play_sound_clic(); break;
    default: break;
    }
    CPanel* target = control->parent ? control->parent : window;
    Event e;
    e.type = EvControl;
    e.item = control->item_id;
    e.x = (short)ev.param[4];
    e.y = (short)ev.param[5];
    application->event_filter(target, &e);
    return true;
}

}  // namespace

bool carry_out_script_event(const ScriptEvent& ev)
{
    CScript& s = application->script;
    switch (ev.type) {
    case ScriptMenu: {
        const int32_t before = menu_commands_run;
        if (!application->menu || !application->menu->play_menu((short)ev.param[1], 0)) {
            application->menu_handler(ev.param[1]);
            return true;
        }
        menu_choice.pending = true;
        menu_choice.held = s.cur;
        menu_choice.commands_before = before;
        menu_choice.began = get_time_pos();
        return true;
    }
    case ScriptOpen: {
        if (!script_hooks.close_document()) return true;
        std::string path = "Misc\\Demos\\";
        path += ev.cs.get() ? ev.cs.get() : "";
        script_hooks.open_document(path.c_str());
        return true;
    }
    case ScriptCloseAll:
        if (script_hooks.close_document()) script_hooks.close_panels();
        return true;
    case ScriptLeftDown: case ScriptLeftUp: case ScriptRightDown: case ScriptRightUp:
    case ScriptDoubleClick: case ScriptMove: case ScriptDragStart:
        return mouse_event(ev);
    case ScriptTool: script_hooks.choose_tool((short)ev.param[1], (short)ev.param[2]); return true;
    case ScriptKey: return key_event(ev);
    case ScriptComment: s.commentaire((short)ev.param[1], (short)ev.param[2], ev.cs.get()); return true;
    case ScriptControl: return control_event(ev);
    case ScriptSetPos: case ScriptSetSize: case ScriptClose: {
        CWindow* w = window_numbered(ev.param[1]);
        if (!w) return false;
        if (ev.type == ScriptSetPos) w->set_position((short)ev.param[2], (short)ev.param[3]);
        else if (ev.type == ScriptSetSize) w->set_dimension((short)ev.param[2], (short)ev.param[3]);
        else {
            Event e;
            e.type = EvClose;
            application->event_filter(w, &e);
        }
        return true;
    }
    case ScriptRedraw:
        for (short i = 1; win_array && i <= win_array->total(); i++) ((CWindow*)win_array->get(i))->dirty();
        return true;
    case ScriptStartScale: script_hooks.start_scale(); return true;
    case ScriptStopScale: script_hooks.stop_scale(); return true;
    case ScriptScoreAdjust: script_hooks.score_adjust(); return true;
    default: return true;  // null, cfgi, contextmenu (taken when its menu opens), unknown kinds
    }
}

void play_script_step()
{
    if (!application) return;
    CScript& s = application->script;
    if (!s.playing || s.done) return;
    if (TerminerAutoDemo) {
        s.stop();
        return;
    }
    if (--s.step > 0) return;
    s.step = 2;
    const ScriptEvent* current = s.get(s.cur);
    if (!current) return;
    if (menu_choice.pending && menu_choice.held == s.cur) {
        if (!menu_choice_over()) return;
        // The next event was recorded that long after the command ran: it is timed from now.
        if (!s.absolu) s.delay = get_time_pos() + current->delay;
    }
    menu_choice.pending = false;
    const int32_t now = get_time_pos();
    if (now < (s.absolu ? s.time_position : s.delay)) return;
    s.done = 1;
    const ScriptEvent ev = *current;
    // The timing mode and the window numbering change before the next event is timed.
    if (ev.type == ScriptAbsolute) s.absolu = ev.param[1] != 0;
    if (ev.type == ScriptRestartNumbers) s.next_window_script_number = 1;
    // The player moves on before carrying the event out, so that a tracking loop started by a
    // replayed press plays the moves and the release that follow it. The last event is carried
    // out before the script stops.
    const bool last = s.cur >= s.total();
    if (!last) s.next();
    if (!carry_out_script_event(ev)) tell_skipped(ev);
    if (last && s.playing) s.next();
    script_hooks.clear_modified();
}

namespace {

// The number of the window that holds a panel, for its mouse and key events: the parent's when
// that is a window, else the parent's parent's; 0 when none.
short holder_number(CPanel* panel)
{
    CPanel* p = panel->parent;
    if (p && p->is_window()) return ((CWindow*)p)->script_number;
    if (p && p->parent && p->parent->is_window()) return ((CWindow*)p->parent)->script_number;
    return 0;
}

// A key typed into a drawing panel, or into a window that takes the keys itself (the score
// view does), is kept as a `key` event. Characters for text fields and for the controls of a
// dialog are kept as control events by the message loop and the dialog loop.
void record_key(CScript& s, CPanel* panel, const Event* e, short mods)
{
    CPanel* top = panel;
    while (top->parent) top = top->parent;
    if (top->uid == 16) return;  // a dialog
    if (panel->uid == 5) {
        s.record_event(ScriptKey, ((CWindow*)panel)->script_number, panel->item_id, e->value, e->x, e->y, mods);
    } else if (panel->uid == 7) {
        s.record_event(ScriptKey, holder_number(panel), panel->item_id, e->value, e->x, e->y, mods);
    }
}

}  // namespace

void record_panel_event(CPanel* panel, const Event* e)
{
    if (!application || !panel) return;
    CScript& s = application->script;
    if (!s.recording) return;
    const short mods = (short)(((e->flags & EvfShift) ? 1 : 0) | ((e->flags & EvfCtrl) ? 2 : 0));
    if (e->type == EvControl) {
        CPanel* p = panel->parent;
        const short win = panel->is_window() ? ((CWindow*)panel)->script_number
                          : p && p->is_window() ? ((CWindow*)p)->script_number : 0;
        short value = 0;
        CPanel* control = panel->find_child(e->item);
        if (control && (control->uid == 9 || control->uid == 10)) value = ((CListBase*)control)->get_cur();
        else if (control && control->uid == 13) value = ((CScroll*)control)->get_value();
        short x = get_mouse_x(), y = get_mouse_y();
        panel->global_to_local(&x, &y);
        s.record_event(ScriptControl, win, e->item, value, x, y);
        return;
    }
    if (e->type == EvKey) {
        record_key(s, panel, e, mods);
        return;
    }
    if (e->type != EvPress && e->type != EvRelease && e->type != EvMove) return;
    const short win = holder_number(panel);
    const bool left = (e->flags & EvfLeft) != 0;
    switch (e->type) {
    case EvPress:
        s.record_event(left ? ((e->flags & EvfDouble) ? ScriptDoubleClick : ScriptLeftDown) : ScriptRightDown, win,
                       panel->item_id, e->x, e->y, mods);
        break;
    case EvRelease:
        s.record_event(left ? ScriptLeftUp : ScriptRightUp, win, panel->item_id, e->x, e->y, mods);
        break;
    default:
        if (e->flags & (EvfLeft | EvfRight)) s.record_event(ScriptMove, win, panel->item_id, e->x, e->y);
        break;
    }
}

void record_menu_command(int32_t id)
{
    if (application && application->script.recording) application->script.record_event(ScriptMenu, id);
}
