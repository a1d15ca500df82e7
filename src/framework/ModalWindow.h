#pragma once
// The program's own small modal windows (file dialogs, the colour chooser): one is made in the
// middle of the screen above the active window, and its loop runs until it says it is done.

#include "platform/Message.h"

#include <string>

// A shown window of `class_name` with a title bar and a close box and a client area of
// width x height, centred on the screen, owned by `owner` (0: the active window), active and
// focused; 0 when it cannot be made.
platform::WindowId create_modal_window(const char* class_name, const std::string& title, int32_t width,
                                       int32_t height, platform::WindowId owner = 0);

// Takes and dispatches messages until *done is set or the window is gone. The user's input
// to other windows is dropped. The quit message ends the loop and stays queued. The window is
// then destroyed and the keyboard focus given back.
void run_modal_window(platform::WindowId window, const bool* done);
