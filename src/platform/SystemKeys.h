#pragma once
// The keys the system answers for every window of the program, before the program's own
// accelerators see them.

#include "platform/Message.h"

namespace platform {

class WindowManager;

// Alt+F4 asks the main window to close, as the system menu of a frame does; true when
// `message` was that key (pressed with Alt alone), false for anything else.
bool translate_system_keys(WindowManager& wm, const Message& message);

}  // namespace platform
