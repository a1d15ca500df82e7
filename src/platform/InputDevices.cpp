#include "platform/InputDevices.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <dirent.h>
#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace platform {

bool find_pressure_device(TabletDeviceInfo* info)
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    int opcode = 0, event = 0, error = 0, major = 2, minor = 0;
    bool found = false;
    if (XQueryExtension(display, "XInputExtension", &opcode, &event, &error) &&
        XIQueryVersion(display, &major, &minor) == Success) {
        int count = 0;
        XIDeviceInfo* devices = XIQueryDevice(display, XIAllDevices, &count);
        const Atom pressure = XInternAtom(display, "Abs Pressure", True);
        for (int i = 0; devices && i < count && !found; i++) {
            const XIDeviceInfo& d = devices[i];
            if (d.use != XISlavePointer || pressure == None) continue;
            TabletDeviceInfo candidate;
            candidate.name = d.name ? d.name : "";
            for (int c = 0; c < d.num_classes; c++) {
                if (d.classes[c]->type != XIValuatorClass) continue;
                const auto* v = reinterpret_cast<const XIValuatorClassInfo*>(d.classes[c]);
                const int32_t max = static_cast<int32_t>(std::max(0.0, v->max));
                if (v->label == pressure) {
                    candidate.max_pressure = max;
                    found = true;
                } else if (v->number == 0) {
                    candidate.max_x = max;
                } else if (v->number == 1) {
                    candidate.max_y = max;
                }
            }
            if (found && info) *info = candidate;
        }
        if (devices) XIFreeDeviceInfo(devices);
    }
    XCloseDisplay(display);
    return found;
}

namespace {

class EvdevJoystick : public JoystickDevice {
public:
    EvdevJoystick(int fd, libevdev* dev) : fd_(fd), dev_(dev) {}
    ~EvdevJoystick() override
    {
        libevdev_free(dev_);
        close(fd_);
    }
    std::vector<JoystickReading> read() override
    {
        std::vector<JoystickReading> out;
        input_event ev;
        bool moved = false;
        for (;;) {
            const int rc = libevdev_next_event(dev_, LIBEVDEV_READ_FLAG_NORMAL, &ev);
            if (rc == LIBEVDEV_READ_STATUS_SYNC) {
                while (libevdev_next_event(dev_, LIBEVDEV_READ_FLAG_SYNC, &ev) == LIBEVDEV_READ_STATUS_SYNC) {}
                moved = true;
                continue;
            }
            if (rc != LIBEVDEV_READ_STATUS_SUCCESS) break;
            if (ev.type == EV_ABS && (ev.code == ABS_X || ev.code == ABS_Y)) moved = true;
            if (ev.type == EV_KEY && ev.code >= BTN_JOYSTICK && ev.code < BTN_JOYSTICK + 4 && ev.value != 2) {
                JoystickReading r;
                r.kind = ev.value ? JoystickReading::ButtonDown : JoystickReading::ButtonUp;
                r.button = static_cast<short>(ev.code - BTN_JOYSTICK + 1);
                out.push_back(r);
            }
        }
        if (moved) {
            JoystickReading r;
            r.x = scaled(ABS_X);
            r.y = scaled(ABS_Y);
            out.insert(out.begin(), r);
        }
        return out;
    }

private:
    uint16_t scaled(unsigned axis)
    {
        const input_absinfo* a = libevdev_get_abs_info(dev_, axis);
        if (!a || a->maximum <= a->minimum) return 32767;
        const int64_t v = libevdev_get_event_value(dev_, EV_ABS, axis) - a->minimum;
        return static_cast<uint16_t>(std::clamp<int64_t>(v * 65535 / (a->maximum - a->minimum), 0, 65535));
    }
    int fd_;
    libevdev* dev_;
};

}  // namespace

std::unique_ptr<JoystickDevice> open_joystick()
{
    DIR* dir = opendir("/dev/input");
    if (!dir) return nullptr;
    std::vector<std::string> names;
    while (dirent* e = readdir(dir))
        if (std::strncmp(e->d_name, "event", 5) == 0) names.push_back(e->d_name);
    closedir(dir);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        const int fd = open(("/dev/input/" + name).c_str(), O_RDONLY | O_NONBLOCK);
        if (fd < 0) continue;
        libevdev* dev = nullptr;
        if (libevdev_new_from_fd(fd, &dev) == 0) {
            if (libevdev_has_event_code(dev, EV_ABS, ABS_X) && libevdev_has_event_code(dev, EV_ABS, ABS_Y) &&
                libevdev_has_event_code(dev, EV_KEY, BTN_JOYSTICK))
                return std::make_unique<EvdevJoystick>(fd, dev);
            libevdev_free(dev);
        }
        close(fd);
    }
    return nullptr;
}

}  // namespace platform
