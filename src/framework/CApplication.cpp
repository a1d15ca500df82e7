#include "framework/CApplication.h"

#include "framework/CPanel.h"
#include "framework/CUserPanel.h"
#include "framework/CWindow.h"
#include "framework/CMenu.h"
#include "framework/JoystickManager.h"
#include "framework/TabletManager.h"
#include "framework/ScriptPlayer.h"
#include "framework/UserInput.h"
#include "framework/WindowLookup.h"
#include "platform/FileSystem.h"
#include "platform/SystemKeys.h"
#include "platform/WindowManager.h"

using namespace platform;

CApplication* application = nullptr;

namespace {

const char* default_document_class() { return "BrindlecotFile"; }
const char* default_executable_name() { return "BRINDLE-COT.exe"; }

void default_init()
{
    application->default_help_reference = 0x10000;
    application->name.set("BRINDLE-COT");
}

void nothing() {}
void no_command(int32_t) {}
void no_document(char*) {}
short may_stop() { return 1; }
CMidi* no_midi() { return nullptr; }
void no_midi_to_delete(CMidi*) {}

}  // namespace

short default_event_filter(CPanel* panel, Event* event)
{
    if (event->type == EvKey) return 1;
    if (!panel || !panel->event_handler) return 0;
    record_panel_event(panel, event);
    return panel->event_handler(panel, event) ? 1 : 0;
}

AppHooks default_app_hooks()
{
    AppHooks h{};
    h.get_document_class = default_document_class;
    h.get_executable_name = default_executable_name;
    h.init = default_init;
    h.start = nothing;
    h.periodic_task = nothing;
    h.run_script = play_script_step;
    h.event_filter = default_event_filter;
    h.menu_handler = no_command;
    h.menu_enabler = nothing;
    h.open_document = no_document;
    h.stop = may_stop;
    h.quit = nothing;
    h.create_midi = no_midi;
    h.delete_midi = no_midi_to_delete;
    return h;
}

AppHooks app_hooks = default_app_hooks();

CursorHandle cursor_handle(Cursor cursor) { return static_cast<CursorHandle>(cursor) + 1; }

namespace {

// The cursor of a file of the program folder, or none when the file is missing. The
// display offers a fixed set of shapes: each file stands for the nearest one.
CursorHandle load_cursor(const char* file, Cursor shape)
{
    return file_exists(file) ? cursor_handle(shape) : 0;
}

}  // namespace

CApplication::CApplication(const char* command_line)
{
    uid = 3;
    name.set("My Application");
    cmdline.set(command_line ? command_line : "");
    menu = new CMenu(0);
    load_cursors();
}

void CApplication::load_cursors()
{
    cursor1 = load_cursor("Misc\\Cursor1.cur", Cursor::Hand);
    cursor3 = load_cursor("Misc\\Cursor3.cur", Cursor::SizeAll);
    cursor2 = load_cursor("Misc\\Cursor2.cur", Cursor::Crosshair);
}

CApplication::~CApplication()
{
    if (haccel) destroy_accelerator_table(haccel);
    delete menu;
    menu = nullptr;
}

void CApplication::add_to_idle(CPanel* panel) { idle_panel.add((intptr_t)panel); }

void CApplication::remove_from_idle(CPanel* panel) { idle_panel.remove_item((intptr_t)panel); }

void CApplication::load_menu(short id)
{
    menu->load(id);
    if (hwnd) set_window_menu(hwnd, menu->hmenu);
    if (haccel) destroy_accelerator_table(haccel);
    haccel = load_accelerators(id);
    if (hwnd) draw_menu_bar(hwnd);
}

void CApplication::bring_to_top()
{
    WindowManager* wm = WindowManager::current();
    if (!wm || !hwnd) return;
    wm->set_topmost(hwnd, true);
    wm->set_topmost(hwnd, false);
    wm->show_window(hwnd, true);
}

void CApplication::want_to_quit()
{
    WindowManager* wm = WindowManager::current();
    if (wm && hwnd) {
        Message close;
        close.window = hwnd;
        close.kind = MessageKind::Close;
        wm->post_message(close);
    }
    want_quit = 1;
}

void CApplication::show_cursor(CursorHandle c)
{
    WindowManager* wm = WindowManager::current();
    if (wm && c) wm->set_cursor(static_cast<Cursor>(c - 1));
}

void CApplication::set_cursor_finger() { show_cursor(cursor = cursor1); }
void CApplication::set_cursor_staff() { show_cursor(cursor = cursor2); }
void CApplication::set_cursor_hand() { show_cursor(cursor = cursor3); }
void CApplication::set_cursor_no_drop() { show_cursor(cursor = cursor_handle(Cursor::NotAllowed)); }
void CApplication::set_cursor_yes_drop() { show_cursor(cursor = cursor_handle(Cursor::SizeAll)); }
void CApplication::set_cursor_wait() { show_cursor(cursor = cursor_handle(Cursor::Wait)); }

void CApplication::set_cursor_arrow()
{
    show_cursor(cursor_handle(Cursor::Arrow));
    cursor = 0;
}

bool CApplication::take_message(Message& m)
{
    return WindowManager::current()->get_message(m);
}

void CApplication::idle_events()
{
    // The count is read again for each entry: handlers may add or remove panels.
    for (short i = 1; i <= idle_panel.total(); i++)
        ((CPanel*)idle_panel.get(i))->send_message(EvIdle, 0, 0, 0, 0);
}

void CApplication::call_idle_handlers()
{
    for (short i = 1; i <= idle_panel.total(); i++) {
        CPanel* p = (CPanel*)idle_panel.get(i);
        if (!p->event_handler) continue;
        Event idle;
        idle.type = EvIdle;
        p->event_handler(p, &idle);
    }
}

bool CApplication::translate_keys(Message& m)
{
    WindowManager* wm = WindowManager::current();
    if (translate_system_keys(*wm, m)) return true;
    if (hmdi && wm->translate_document_keys(hmdi, m)) return true;
    // No accelerator table exists before a menu is loaded (haccel stays 0 until then).
    return haccel && translate_accelerator(hwnd, haccel, m);
}

bool CApplication::character_to_text_field(Message& m, bool copy_back)
{
    CPanel* panel = get_cpan_from_handle(m.window);
    if (!panel || panel->uid != 14 || !panel->event_handler) return false;
    Event e;
    e.type = EvKey;
    e.value = (short)(unsigned char)m.character;
    if (script.recording) {
        CPanel* owner = panel->parent;
        const short window = owner && owner->is_window() ? ((CWindow*)owner)->script_number : 0;
        script.record_event(14, window, panel->item_id, e.value);
    }
    if (panel->event_handler(panel, &e)) return true;
    if (copy_back) m.character = (unsigned char)e.value;
    return false;
}

short CApplication::run()
{
    WindowManager* wm = WindowManager::current();
    Message m;
    while (take_message(m)) {
        if (do_idle) periodic_task();
        run_script();
        idle_events();
        run_sup();
        poll_joystick();
        poll_tablet();
        if (translate_keys(m)) continue;
        wm->translate_message(m);
        if (m.kind == MessageKind::Character) {
            if (!get_cpan_from_handle(m.window)) {
                // The frame's own procedure hands its characters to the filter: once is enough.
                if (m.window != hwnd) {
                    Event e;
                    e.type = EvKey;
                    e.value = (short)(unsigned char)m.character;
                    event_filter(nullptr, &e);
                }
            } else if (character_to_text_field(m, true)) {
                continue;
            }
        }
        wm->dispatch_message(m);
    }
    return (short)m.id;
}

void CApplication::idle()
{
    WindowManager* wm = WindowManager::current();
    last_char = 0;
    Message m;
    if (!take_message(m)) {
        wm->post_quit(m.id);  // for the loop that waits for it
        return;
    }
    run_script();
    if (do_idle) periodic_task();
    idle_events();
    run_sup();
    poll_joystick();
    poll_tablet();
    if (translate_keys(m)) return;
    wm->translate_message(m);
    if (m.kind == MessageKind::KeyDown && (wm->mouse_buttons() & ButtonLeft)) {
        switch (m.key) {
        case KeyLeft: move_mouse(-1, 0); return;
        case KeyRight: move_mouse(1, 0); return;
        case KeyUp: move_mouse(0, -1); return;
        case KeyDown: move_mouse(0, 1); return;
        default: break;
        }
    }
    if (m.kind == MessageKind::Character) {
        last_char = (char)m.character;
        if (character_to_text_field(m, false)) return;
    }
    wm->dispatch_message(m);
}
