#pragma once
// STAND-INS, to be deleted when the application object, the panels and the demonstration
// scripts are merged: the few members of theirs that the menus, file dialogs and input
// utilities use, with the names and types those classes have. Nothing here is behaviour.

#include "framework/Arrays.h"
#include "framework/CObject.h"
#include "framework/CString.h"

#include "platform/Message.h"

#include <cstdint>

class CMenu;

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

class CPanel : public CObject {
public:
    CPanel() { uid = 6; }
    virtual short is_window() { return 0; }
    // Screen point from the panel's client point, in place.
    void local_to_global(short* x, short* y);

    CPanel* parent = nullptr;
    platform::WindowId hwnd = 0;
    short item_id = 0;
};

class CApplication : public CObject {
public:
    CApplication() { uid = 3; }
    void periodic_task() {}
    void run_script() {}
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
