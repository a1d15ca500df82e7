#pragma once
// CApplication: the program's one application object (global `application`). It owns the main
// frame window and its document area, the menu, the cursors, the printer settings, the timer,
// the demonstration-script player and the list of panels that want idle time, and runs the
// message loop.
//
// The program's own members (init, start, periodic_task, run_script, event_filter,
// menu_handler, menu_enabler, open_document, stop, quit, get_document_class,
// get_executable_name) belong to the application shell, which sits above this library: they
// call through the table `app_hooks`, which the shell fills before start-up. Until it does,
// the defaults below keep a bare frame window running.

#include "framework/Arrays.h"
#include "framework/CScript.h"
#include "framework/CString.h"
#include "framework/CPrinter.h"
#include "framework/CTimer.h"
#include "framework/Event.h"
#include "framework/MessageBoxes.h"
#include "framework/Supervis.h"
#include "platform/Backend.h"
#include "platform/Menu.h"
#include "platform/Message.h"

#include <cstdint>

class CPanel;
class CMenu;
class CMidi;
class CDialog;

// A cursor the application can impose: 0 none, else a platform cursor plus one.
using CursorHandle = int32_t;
CursorHandle cursor_handle(platform::Cursor cursor);

struct AppHooks {
    const char* (*get_document_class)();
    const char* (*get_executable_name)();
    void (*init)();
    void (*start)();
    void (*periodic_task)();
    void (*run_script)();
    short (*event_filter)(CPanel* panel, Event* event);
    void (*menu_handler)(int32_t id);
    void (*menu_enabler)();
    void (*open_document)(char* path);
    short (*stop)();
    void (*quit)();
    // The MIDI port layer, made before init and deleted after quit.
    CMidi* (*create_midi)();
    void (*delete_midi)(CMidi* midi);
};

// The table the application members call; starts with the framework's defaults.
extern AppHooks app_hooks;
// The framework's defaults, to restore the table (tests) or to fall back on.
AppHooks default_app_hooks();
// What the default event filter does: null panel or no handler 0; key events (type 6) are
// taken (1); every other event goes to the panel's handler, 1 when it consumed it. While the
// script records, the presses, releases, moves and control notifications are recorded first.
// The default `run_script` is the script player of ScriptPlayer.h.
short default_event_filter(CPanel* panel, Event* event);

class CApplication : public CObject {
public:
    // Only the command line is kept; the other arguments of the classic entry are not needed.
    explicit CApplication(const char* command_line = "");
    ~CApplication() override;
    CApplication(const CApplication&) = delete;
    CApplication& operator=(const CApplication&) = delete;

    // The message loop: returns the quit message's code.
    short run();
    // One step of the message pump, for long and modal loops; a quit message taken here is
    // posted again for the loop.
    void idle();
    void add_to_idle(CPanel* panel);
    // Hands an idle event straight to the handler of each panel that asked for idle time (the
    // modal steps of windows and dialogs; the message loop sends it as a message instead).
    void call_idle_handlers();
    void remove_from_idle(CPanel* panel);
    // The three cursors of the files "Misc\\Cursor1.cur" to "Misc\\Cursor3.cur" of the
    // current folder (null when missing); start-up loads them again once the program folder
    // is the current one.
    void load_cursors();
    void load_menu(short id);
    void bring_to_top();
    void want_to_quit();

    void set_cursor_finger();
    void set_cursor_staff();
    void set_cursor_hand();
    void set_cursor_no_drop();
    void set_cursor_yes_drop();
    void set_cursor_wait();
    void set_cursor_arrow();

    // The message box: the non-null texts joined by "\r", with an OK button; returns when the
    // user closes it. question: the same with Yes (1) and No (0).
    void warning(const char* s1, const char* s2 = nullptr, const char* s3 = nullptr,
                 const char* s4 = nullptr);
    short question(const char* s1, const char* s2 = nullptr, const char* s3 = nullptr,
                   const char* s4 = nullptr);
    // The progress box: opened with a percentage, an optional cancel button, a title and two
    // lines (nothing when one is open); do_patience updates it at most every 100 ms (always at
    // 100) and answers 1 when the user asked to cancel, 0 when no box is open; percentage -1
    // only asks. Closing shows the arrow again.
    void open_patience(short percent, short with_cancel, const char* title, const char* line1,
                       const char* line2);
    short do_patience(short percent);
    void close_patience();
    void patience_string_1(const char* s);
    void patience_string_2(const char* s);
    // Shows help page (reference >> 16) at anchor (reference & 0xFFFF); 0: the help of the
    // panel under the pointer, of its nearest ancestor that has one, else the default.
    void help(int32_t reference);

    // The shell's members (see AppHooks).
    const char* get_document_class() { return app_hooks.get_document_class(); }
    const char* get_executable_name() { return app_hooks.get_executable_name(); }
    void init() { app_hooks.init(); }
    void start() { app_hooks.start(); }
    void periodic_task() { app_hooks.periodic_task(); }
    void run_script() { app_hooks.run_script(); }
    short event_filter(CPanel* panel, Event* event) { return app_hooks.event_filter(panel, event); }
    void menu_handler(int32_t id) { app_hooks.menu_handler(id); }
    void menu_enabler() { app_hooks.menu_enabler(); }
    void open_document(char* path) { app_hooks.open_document(path); }
    short stop() { return app_hooks.stop(); }
    void quit() { app_hooks.quit(); }

    CDialog* dial_patience = nullptr;
    int32_t last_patience_time = 0;
    short timer_id = 0;
    CString name;
    platform::WindowId hwnd = 0;  // the main frame window
    platform::WindowId hmdi = 0;  // its document area
    CMenu* menu = nullptr;
    platform::AcceleratorTable haccel = 0;  // the accelerator table, none until load_menu
    short cancel_patience = 0;
    CursorHandle cursor = 0;      // imposed on every window; 0: each panel's own
    CursorHandle cursor1 = 0, cursor2 = 0, cursor3 = 0;
    CTimer timer;
    CMidi* midi = nullptr;
    CScript script;
    char last_char = 0;
    short do_idle = 1;
    CArrayPtr idle_panel;
    CPrinter printer;  // after idle_panel: a panel leaves that list as it goes
    short want_quit = 0;
    CString cmdline;
    CString language_name;
    CString language_code;
    int32_t default_help_reference = 0;
    short ok_to_open_doc = 1;
    CString document_a_ouvrir;
    ShownMessages shown;  // what the message boxes showed

private:
    void show_cursor(CursorHandle c);
    bool take_message(platform::Message& m);
    void idle_events();
    bool translate_keys(platform::Message& m);
    // The character of `m` offered to the text field that has it; true when consumed.
    bool character_to_text_field(platform::Message& m, bool copy_back);
};

extern CApplication* application;
