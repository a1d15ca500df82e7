#pragma once
// Stand-ins for the parts of the library that start-up and the message loop call but that are
// not built yet: the printer and the supervisor screens. Each
// keeps the call sites as they will be; the module that brings the real one removes it from
// here.

#include "framework/Arrays.h"
#include "framework/CObject.h"
#include "framework/CString.h"

#include <cstdint>

// Printer settings and device (none yet).
class CPrinter : public CObject {
public:
    CPrinter() { uid = 27; }
};

// The supervisor screens: started with no screen file, so nothing to do.
void init_sup();
void run_sup();
void quit_sup();
