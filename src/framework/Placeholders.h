#pragma once
// Stand-ins for the parts of the library that start-up and the message loop call but that are
// not built yet: the demonstration-script player and the supervisor screens. Each
// keeps the call sites as they will be; the module that brings the real one removes it from
// here.

#include "framework/Arrays.h"
#include "framework/CObject.h"
#include "framework/CString.h"

#include <cstdint>

// The demonstration-script recorder and player: never records or plays yet.
// One event of a demonstration script (the menus read the command of a menu choice).
struct ScriptEvent {
    int32_t delay = 0;
    CString cs;
    int32_t param[10] = {};
    short type = 0;
    CString comment;
};

class CScript : public CObject {
public:
    CScript() { uid = 56; }
    void stop() { playing = 0; }
    void skip() {}  // to the next event
    // Records one user event: its kind and up to six parameters (window number, item, ...).
    void record_event(short, int32_t = 0, int32_t = 0, int32_t = 0, int32_t = 0, int32_t = 0, int32_t = 0) {}

    CArrayPtr events;  // ScriptEvent*, from 1
    short cur = 0;     // the event being played
    short playing = 0;
    short recording = 0;
    short left_button = 0;   // the simulated mouse buttons while playing or recording
    short right_button = 0;
    short next_window_script_number = 1;
    bool absolu = false;        // absolute timing
    int32_t time_position = 0;  // the running due time in absolute timing
};

// The number a new window gets in scripts: 0 unless a script records or plays.
short next_script_window_number();

// The supervisor screens: started with no screen file, so nothing to do.
void init_sup();
void run_sup();
void quit_sup();
