#include "framework/JoystickManager.h"

#include "framework/CApplication.h"
#include "platform/InputDevices.h"

#include <memory>

short joy_ok = 0;
CPanel* joy_panel = nullptr;
short joy_x = 0, joy_y = 0;

namespace {

std::unique_ptr<platform::JoystickDevice> device;
uint16_t held = 0;  // the buttons down, as read from the device

void send(short type, short x, short y)
{
    if (!joy_panel || !application) return;
    Event e;
    e.type = type;
    e.item = 0;
    e.x = x;
    e.y = y;
    application->event_filter(joy_panel, &e);
}

}  // namespace

short joystick_direction(uint16_t raw) { return raw == 0 ? -1 : raw >= 32768 ? 1 : 0; }

short init_joystick()
{
    if (joy_ok) return 1;
    device = platform::open_joystick();
    joy_ok = device ? 1 : 0;
    held = 0;
    return 1;
}

void quit_joystick()
{
    if (!joy_ok) return;
    device.reset();
    joy_ok = 0;
    joy_panel = nullptr;
}

void set_joystick_dispatch_panel(CPanel* panel) { joy_panel = panel; }

short dispatch_joystick_events(const JoystickMessage& m)
{
    if (!joy_panel) return 1;
    switch (m.kind) {
    case JoystickMessage::Move:
        joy_x = (short)m.x;
        joy_y = (short)m.y;
        send(23, joystick_direction(m.x), joystick_direction(m.y));
        break;
    case JoystickMessage::ButtonDown:
        for (short b = 0; b < 4; b++)
            if ((m.buttons & (1 << b)) && (m.changed & (1 << b))) send((short)(24 + b), joy_x, joy_y);
        break;
    case JoystickMessage::ButtonUp:
        for (short b = 0; b < 4; b++)
            if (m.changed & (1 << b)) send((short)(28 + b), joy_x, joy_y);
        break;
    default: break;
    }
    return 1;
}

void poll_joystick()
{
    if (!joy_ok || !device) return;
    for (const platform::JoystickReading& r : device->read()) {
        JoystickMessage m;
        if (r.kind == platform::JoystickReading::Move) {
            m.kind = JoystickMessage::Move;
            m.x = r.x;
            m.y = r.y;
        } else {
            const uint16_t bit = (uint16_t)(1 << (r.button - 1));
            const bool down = r.kind == platform::JoystickReading::ButtonDown;
            held = down ? (uint16_t)(held | bit) : (uint16_t)(held & ~bit);
            m.kind = down ? JoystickMessage::ButtonDown : JoystickMessage::ButtonUp;
            m.buttons = held;
            m.changed = bit;
        }
        dispatch_joystick_events(m);
    }
}
