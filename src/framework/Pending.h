#pragma once
// Smallest stand-ins for library services being written alongside: the program and data
// folders, the menu object, the panel lookup from a window, the default event handler and
// the mouse-moving utility. They go when the real modules arrive.

#include "framework/CObject.h"
#include "framework/Event.h"
#include "platform/Message.h"

class CPanel;

extern char* main_dir;
extern char* data_dir;
// 1 when the program and data folders are known, else 0 after telling the user.
short init_main_dir(const char* exe);
void set_main_dir();
void quit_main_dir();

// The menu bar object.
class CMenu : public CObject {
public:
    explicit CMenu(short is_popup = 0) : popup(is_popup) { uid = 15; }
    void load(short) {}

    short popup;
    short assigned = 0;
};

// The panel that owns window `h`, or null.
CPanel* get_cpan_from_handle(platform::WindowId h);
// Size events resize the panel's children; every other event is left alone (0).
short default_event_handler(CPanel* panel, Event* e);
// Moves the mouse pointer by (dx, dy) pixels.
void move_mouse(short dx, short dy);
