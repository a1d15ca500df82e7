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
    int device_id = 0;              // the X server's number of the device
    int pressure_valuator = 2;      // the valuator that carries the pressure (x is 0, y is 1)
};

// The first device of the display that reports pressure; false when there is none (or no
// display). `display` is an open Xlib display, or null to open the default one for the query.
bool find_pressure_device(TabletDeviceInfo* info, void* display = nullptr);

// One change of the pen, in the device's units: a move or pressure change (with a button
// pressed or released, `button` from 0 and `change` 2 pressed, 1 released, 0 none), or the pen
// coming over the program's window or leaving it.
struct TabletReading {
    enum Kind { Packet, Enter, Leave } kind = Packet;
    int32_t x = 0, y = 0, pressure = 0;
    int32_t button = 0, change = 0;
};

// Turns the pen device's input events into readings, keeping the last values of the axes an
// event does not report. The event's valuators come as the X server gives them: a bit mask of
// the valuators present and their values in order.
class TabletTracker {
public:
    explicit TabletTracker(const TabletDeviceInfo& device) : device_(device) {}
    // `type` is the XInput2 event type (motion, button press or release, enter, leave) and
    // `detail` its button (from 1). Appends what it gives to `out`.
    void feed(int type, int detail, const unsigned char* mask, int mask_bytes, const double* values,
              std::vector<TabletReading>* out);

private:
    TabletDeviceInfo device_;
    int32_t x_ = 0, y_ = 0, pressure_ = 0;
    bool near_ = false;  // the pen is over the window
};

// The pen's readings waiting for the program (at most 1024, the oldest dropped first): the
// display adds them as they come, the tablet manager takes them once per turn. GUI thread.
void push_tablet_reading(const TabletReading& reading);
std::vector<TabletReading> take_tablet_readings();

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
