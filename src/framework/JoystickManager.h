#pragma once
// Joystick input: the first joystick's moves and buttons become Event records of types 23 to
// 31 for one panel, the joystick dispatch panel, through the application's event filter. A
// move is reduced to a direction per axis: -1, 0 or +1.

#include <cstdint>

class CPanel;

// One message of the joystick: a move with the raw axes (0-65535), or buttons pressed or
// released. `buttons` holds the bits (1, 2, 4, 8) of buttons 1 to 4 held after the change,
// `changed` the bits of the buttons that changed.
struct JoystickMessage {
    enum Kind { Move, ButtonDown, ButtonUp, Other } kind = Other;
    uint16_t x = 0, y = 0;
    uint16_t buttons = 0, changed = 0;
};

// Captures the first joystick (joy_ok tells whether it worked). 1 always.
short init_joystick();
// Releases it, and forgets the dispatch panel; nothing when none was captured.
void quit_joystick();
void set_joystick_dispatch_panel(CPanel* panel);
// A message of the joystick: 23 for a move, 24 to 27 for each button newly pressed (a button
// already held is not reported again), 28 to 31 for each button released. 1 always.
short dispatch_joystick_events(const JoystickMessage& message);
// Reads what the captured joystick did since the last call and dispatches it (the message loop
// calls it).
void poll_joystick();
// The direction of a raw axis value: -1 at 0, +1 from 32768, else 0.
short joystick_direction(uint16_t raw);

extern short joy_ok;
extern CPanel* joy_panel;
extern short joy_x, joy_y;
