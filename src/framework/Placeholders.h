#pragma once
// Stand-ins for the parts of the library that start-up and the message loop call but that are
// not built yet: the printer, the demonstration-script player and the supervisor screens. Each
// keeps the call sites as they will be; the module that brings the real one removes it from
// here.

#include "framework/CObject.h"
#include "framework/CString.h"

// Printer settings and device (none yet).
class CPrinter : public CObject {
public:
    CPrinter() { uid = 27; }
};

// The demonstration-script recorder and player: never records or plays yet.
class CScript : public CObject {
public:
    CScript() { uid = 56; }
    void stop() { playing = 0; }
    void skip() {}  // to the next event
    // Records one user event (kind, window number, item, value).
    void record_event(short, short, short, short) {}

    short playing = 0;
    short recording = 0;
    short next_window_script_number = 1;
};

// The number a new window gets in scripts: 0 unless a script records or plays.
short next_script_window_number();

// The supervisor screens: started with no screen file, so nothing to do.
void init_sup();
void run_sup();
void quit_sup();
