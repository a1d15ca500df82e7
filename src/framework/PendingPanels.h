#pragma once
// STAND-INS, to be deleted when the application object, the panels, the event record and the
// demonstration scripts are merged: the few members of theirs that the menus, dialogs, input
// utilities and window lookups use, with the names and types those classes have.

#include "framework/Arrays.h"
#include "framework/CObject.h"
#include "framework/CString.h"

#include "platform/Message.h"

#include <cstdint>

class CMenu;

// The input record handed to panel handlers.
struct Event {
    short type = 0;
    short item = 0;
    short value = 0;
    void* data = nullptr;
    int32_t time = 0;
    short x = 0, y = 0;
    short flags = 0;
    void* drag_data = nullptr;
    short drag_type = 0;
    int32_t tabletx = 0, tablety = 0;
    short pressure = 0;
    short orix = 0, oriy = 0;
};

enum EventType : short {
    EvDropQuery = 113,  // may the panel take the dragged object
    EvDrop = 114,       // the object is dropped on the panel
};

// One recorded demonstration event (only what the menus read).
struct ScriptEvent {
    int32_t delay = 0;
    CString cs;
    int32_t param[10] = {};
    short type = 0;
    CString comment;
};

// The demonstration recorder and player's state.
class CScript : public CObject {
public:
    CArrayPtr events;  // ScriptEvent*, from 1
    short cur = 0;
    short playing = 0;
    short recording = 0;
    short left_button = 0;
    short right_button = 0;
    bool absolu = false;
    int32_t time_position = 0;
    // Adds one recorded event of `kind` with its parameters.
    void record_event(short, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {}
};

class CPanel;
using EventHandler = short (*)(CPanel*, Event*);

class CPanel : public CObject {
public:
    explicit CPanel(CPanel* parent_panel);
    ~CPanel() override;
    CPanel(const CPanel&) = delete;
    CPanel& operator=(const CPanel&) = delete;
    virtual short is_window() { return 0; }
    // Between screen points and the panel's client points, in place.
    void global_to_local(short* x, short* y);
    void local_to_global(short* x, short* y);

    short vis = 0;
    EventHandler event_handler = nullptr;
    CPanel* parent = nullptr;
    platform::WindowId hwnd = 0;
    CArrayPtr children;
    short item_id = 0;
};

class CWindow : public CPanel {
public:
    explicit CWindow(short window_style);
    ~CWindow() override;
    short is_window() override { return 1; }
    short style = 0;
    short script_number = 0;
};

// Every CWindow in creation order.
extern CArrayPtr* win_array;

class CApplication : public CObject {
public:
    CApplication() { uid = 3; }
    void periodic_task() {}
    void run_script() {}
    void set_cursor_no_drop();
    void set_cursor_yes_drop();
    void set_cursor_arrow();
    platform::WindowId hwnd = 0;  // the frame window
    platform::WindowId hmdi = 0;  // its document area
    CMenu* menu = nullptr;
    CScript script;
};

extern CApplication* application;
// 1 asks the demonstration being played to end.
extern short TerminerAutoDemo;
// The custom colours of the colour chooser, white at start.
extern int32_t custom[16];
