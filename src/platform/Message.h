#pragma once
// The messages of the GUI thread's queue and of window procedures.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

using WindowId = uint32_t;  // 0 = no window

enum class MessageKind : int32_t {
    Empty,            // no message
    Create,           // sent once the window exists, before it is shown
    Destroy,          // sent while the window is being destroyed, before its children
    Close,            // the user asks to close the window; default processing destroys it
    Move,             // x, y: new client origin in the parent's client coordinates
    Size,             // x, y: new client width and height
    Paint,            // the update region is not empty: call begin_paint / end_paint
    EraseBackground,  // from begin_paint; non-zero result: the procedure erased it
    SetCursor,        // the pointer is over the window; default shows the class cursor
    Activate,         // flag: 1 the top-level window becomes active, 0 it stops being
    SetFocus,         // the window gets the keyboard focus; param1 = the one that had it
    KillFocus,        // the window loses the keyboard focus; param1 = the one that gets it
    CaptureLost,      // another window took the mouse capture, or it was released
    KeyDown,          // key, character (-1 none), modifiers, repeat
    KeyUp,            // key, character, modifiers
    Character,        // character (Windows-1252 byte), modifiers; from translate_message
    MouseMove,        // x, y (client coordinates), buttons, modifiers
    ButtonDown,       // button, x, y, buttons, modifiers
    ButtonUp,         // button, x, y, buttons, modifiers
    DoubleClick,      // second press of a button within the double-click time and distance
    Timer,            // id = the timer's identifier
    FilesDropped,     // paths (Windows-1252), x, y where they were dropped
    Command,          // id, param1, param2: application commands
    User,             // id, param1, param2: free for the application
    MenuInit,         // param1 = the menu (Menu.h) about to open: the owner updates its items
    MenuLoop,         // flag: 1 a menu of the window opens, 0 the last one closed
    MenuIdle,         // a menu of the window is shown and waits for the user
    Quit,             // id = the exit code; get_message returns false
};

enum MouseButton : int32_t {
    ButtonNone = 0,
    ButtonLeft = 0x1,
    ButtonMiddle = 0x2,
    ButtonRight = 0x4,
};

struct Message {
    WindowId window = 0;
    MessageKind kind = MessageKind::Empty;
    int32_t x = 0;
    int32_t y = 0;
    int32_t key = 0;          // Key of KeyDown / KeyUp
    int32_t character = -1;   // Windows-1252 byte, -1 when none
    int32_t button = 0;       // MouseButton of ButtonDown / ButtonUp / DoubleClick
    int32_t buttons = 0;      // MouseButton bits held
    int32_t modifiers = 0;    // Modifier bits held
    bool repeat = false;      // KeyDown of a key already down
    int32_t flag = 0;         // Activate
    int32_t id = 0;           // Timer, Command, User, Quit
    intptr_t param1 = 0;
    intptr_t param2 = 0;
    int64_t time = 0;         // milliseconds of the clock when the message was made
    std::shared_ptr<const std::vector<std::string>> paths;  // FilesDropped
};

// A window procedure; its result goes back to whoever sent the message.
using WindowProc = intptr_t (*)(WindowId window, Message& message);

}  // namespace platform
