#pragma once
// The pen tablets and joysticks of the machine. A tablet is an input device of the X server
// (XInput2) that reports pressure; a joystick is a Linux input device (/dev/input/event*)
// with absolute X and Y axes and joystick buttons, read through libevdev. Neither is needed:
// without one the queries say so and nothing else happens.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

struct TabletDeviceInfo {
    std::string name;
    int32_t max_x = 0, max_y = 0;   // device units
    int32_t max_pressure = 0;       // 0 when the device does not say
};

// The first device of the display that reports pressure; false when there is none (or no
// display).
bool find_pressure_device(TabletDeviceInfo* info);

// One change read from a joystick.
struct JoystickReading {
    enum Kind { Move, ButtonDown, ButtonUp } kind = Move;
    uint16_t x = 0, y = 0;  // the axes scaled to 0-65535 (Move)
    short button = 0;       // 1 to 4 (ButtonDown, ButtonUp)
};

class JoystickDevice {
public:
    virtual ~JoystickDevice() = default;
    // The changes waiting, without blocking.
    virtual std::vector<JoystickReading> read() = 0;
};

// The first joystick of /dev/input, or null when none can be opened.
std::unique_ptr<JoystickDevice> open_joystick();

}  // namespace platform
