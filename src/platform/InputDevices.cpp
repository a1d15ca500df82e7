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

bool find_pressure_device(TabletDeviceInfo* info, void* on_display)
{
    Display* display = on_display ? static_cast<Display*>(on_display) : XOpenDisplay(nullptr);
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
            candidate.device_id = d.deviceid;
            for (int c = 0; c < d.num_classes; c++) {
                if (d.classes[c]->type != XIValuatorClass) continue;
                const auto* v = reinterpret_cast<const XIValuatorClassInfo*>(d.classes[c]);
                const int32_t max = static_cast<int32_t>(std::max(0.0, v->max));
                if (v->label == pressure) {
                    candidate.max_pressure = max;
                    candidate.pressure_valuator = v->number;
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
    if (!on_display) XCloseDisplay(display);
    return found;
}

void TabletTracker::feed(int type, int detail, const unsigned char* mask, int mask_bytes, const double* values,
                         std::vector<TabletReading>* out)
{
    if (type == XI_Enter || type == XI_Leave) {
        if ((type == XI_Enter) != near_) {
            near_ = type == XI_Enter;
            TabletReading r;
            r.kind = near_ ? TabletReading::Enter : TabletReading::Leave;
            out->push_back(r);
        }
        return;
    }
    if (type != XI_Motion && type != XI_ButtonPress && type != XI_ButtonRelease) return;
    // The values are packed: the n-th set bit of the mask gives the n-th value.
    int k = 0;
    for (int bit = 0; mask && values && bit < mask_bytes * 8; bit++) {
        if (!XIMaskIsSet(mask, bit)) continue;
        const int32_t v = static_cast<int32_t>(values[k++]);
        if (bit == 0) x_ = v;
        else if (bit == 1) y_ = v;
        else if (bit == device_.pressure_valuator) pressure_ = std::max(0, v);
    }
    if (!near_) {
        near_ = true;  // the pen's first event: it came near
        TabletReading r;
        r.kind = TabletReading::Enter;
        out->push_back(r);
    }
    TabletReading r;
    r.x = x_;
    r.y = y_;
    r.pressure = pressure_;
    if (type != XI_Motion && detail >= 1) {
        r.button = detail - 1;
        r.change = type == XI_ButtonPress ? 2 : 1;
    }
    out->push_back(r);
}

namespace {
std::vector<TabletReading> g_tablet_readings;
constexpr size_t kMaxTabletReadings = 1024;
}  // namespace

void push_tablet_reading(const TabletReading& reading)
{
    if (g_tablet_readings.size() >= kMaxTabletReadings) g_tablet_readings.erase(g_tablet_readings.begin());
    g_tablet_readings.push_back(reading);
}

std::vector<TabletReading> take_tablet_readings()
{
    std::vector<TabletReading> taken;
    taken.swap(g_tablet_readings);
    return taken;
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
