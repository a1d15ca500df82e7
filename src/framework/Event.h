#pragma once
// The one input record that panels receive: every window message for a panel is turned into an
// Event and handed to the application's event filter, and from there to the panel's handler.

#include <cstdint>

// Event kinds (`type`).
enum EventType : short {
    EvPaint = 1,
    EvPress = 2,        // a double click is a press with EvfDouble
    EvRelease = 3,
    EvMove = 4,
    EvSize = 5,
    EvKey = 6,          // a character, or a special key code (see the key table of EventDispatch)
    EvClose = 7,
    EvKeyDown = 9,      // key down with its character
    EvKeyUp = 10,       // key up with its character
    EvIdle = 11,
    EvTabletFirst = 12,
    EvTabletLast = 22,
    EvJoystickFirst = 23,
    EvJoystickLast = 31,
    EvControl = 100,    // a control was activated or changed
    EvListDouble = 101,
    EvScrollLineDown = 102,
    EvScrollLineUp = 103,
    EvScrollPageDown = 104,
    EvScrollPageUp = 105,
    EvScrollThumb = 106,
    EvScrollEnd = 107,
    EvTextChanged = 108,
    EvMenuCommand = 109,
    EvSliderMoved = 110,
    EvSliderReleased = 111,
    EvDragStart = 112,
    EvDropQuery = 113,
    EvDrop = 114,
};

// Bits of `flags`.
enum EventFlag : short {
    EvfLeft = 0x01,
    EvfMiddle = 0x02,
    EvfRight = 0x04,
    EvfDouble = 0x08,
    EvfShift = 0x10,
    EvfCtrl = 0x20,
    EvfAlt = 0x40,  // character events only
};

struct Event {
    short type = 0;
    short item = 0;       // item_id of the control concerned, 0 when none
    short value = 0;      // key or character code, command, button number...
    void* data = nullptr;
    int32_t time = 0;
    short x = 0, y = 0;   // client coordinates of the window that received the message
    short flags = 0;
    void* drag_data = nullptr;
    short drag_type = 0;
    int32_t tabletx = 0, tablety = 0;
    short pressure = 0;
    short orix = 0, oriy = 0;
};
