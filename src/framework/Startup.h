#pragma once
// The program's start-up: the application object, a single running instance, the window
// classes, the maximised frame window with its document area, the message loop with its
// 20 ms timer, and an orderly exit that deletes what start-up made.

#include "platform/Message.h"

#include <cstdint>

extern short SCREEN_WIDTH;   // the screen's size, read once at start
extern short SCREEN_HEIGHT;
extern int32_t custom[16];   // custom colours of the colour chooser

// Returns 0 when the program stops before its loop because it was already running (it hands
// its command line over), 1 when it cannot start (no display, incomplete installation), -1
// when a window class cannot be registered, else the message loop's result.
// "--headless" runs it without a display.
int WinMain(int argc, char** argv);

// The help language: the first line of "MISC\\Language.txt" becomes the application's
// language_code, and language_name the first line of "data.txt" in the folder "HELP" + code
// inside "MISC"; both stay empty without "Language.txt", the name without "data.txt".
void read_help_language();

// Registers the seven window classes of the program and the document area's; false when one
// cannot be registered.
bool register_window_classes();

// Creates the frame window (with its document area) maximised and shown; 0 on failure.
platform::WindowId create_frame_window();

// The frame window's procedure: menu commands, the timer, closing, dropped files, characters.
intptr_t frame_window_proc(platform::WindowId window, platform::Message& message);
