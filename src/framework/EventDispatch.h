#pragma once
// The window procedures of the panel window classes: every message for a panel's window is
// turned into an Event and handed to the application's event filter, which passes it to the
// panel's handler. While a demonstration script plays, real mouse and keyboard input is
// swallowed here, so that only the script drives the program.

#include "framework/Event.h"
#include "platform/Keys.h"
#include "platform/Message.h"

#include <cstdint>

// Scroll requests of a scroll bar to its parent's window: a User message with id
// ScrollHorizontal or ScrollVertical, param1 the scroll bar's window, param2 the request
// and x the thumb position.
enum ScrollMessage : int32_t { ScrollHorizontal = 0x114, ScrollVertical = 0x115 };
enum ScrollRequest : int32_t {
    ScrollLineUp = 0,
    ScrollLineDown = 1,
    ScrollPageUp = 2,
    ScrollPageDown = 3,
    ScrollThumbPosition = 4,
    ScrollThumbTrack = 5,
    ScrollEndScroll = 8,
};
// Notification codes of a control's Command message (param1 the control's window, 0 for a
// menu or accelerator command; param2 the code).
enum ControlNotification : int32_t {
    NotifyClicked = 0,
    NotifySelectionChanged = 1,
    NotifyDoubleClicked = 2,
    NotifyTextChanged = 0x300,
};

extern short indnd;         // 1 while a drag start is being handled
extern short last_mx_down;  // the last left press point; -32000 when none
extern short last_my_down;
extern int32_t inmenuloop;  // 1 while a menu is being tracked
extern short TerminerAutoDemo;  // 1 asks the playing demonstration to end

// The code of a key without character in key events (type 6): Page Up 1, Page Down 2,
// Delete 4, Home 5, End 6, arrows 0x1C to 0x1F (left, right, up, down), F1 to F15 from 0xF1
// (16 less with Ctrl, 32 less with Shift, 48 less with both); 0 for any other key.
short special_key_code(platform::Key key, int32_t modifiers);

// Non-zero when the message was consumed.
short dispatch_events(platform::WindowId window, platform::Message& message);

// The procedure of every panel window class (drawing surfaces, document, normal, tool,
// topmost and dialog windows): dispatch_events, and the default processing for what it
// did not consume.
intptr_t panel_window_proc(platform::WindowId window, platform::Message& message);
