#include "framework/TabletManager.h"

#include "framework/CApplication.h"
#include "platform/InputDevices.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

int32_t tabx = 0, taby = 0, pressure = 0, maxpressure = 1000, orientation_x = 0, orientation_y = 0, maxx = 0,
        maxy = 0;

namespace {

bool opened = false;
CPanel* dsp_tablette = nullptr;
char device_name[128] = {};

bool machine_tablet(char* name, int32_t size, int32_t* mx, int32_t* my, int32_t* mp)
{
    platform::TabletDeviceInfo info;
    if (!platform::find_pressure_device(&info)) return false;
    std::snprintf(name, (size_t)size, "%s", info.name.c_str());
    *mx = info.max_x;
    *my = info.max_y;
    *mp = info.max_pressure;
    return true;
}

void nothing() {}

// Thousandths of the maximum pressure; a device that gives no maximum counts as 1000.
short thousandths(int32_t raw)
{
    const int32_t max = maxpressure > 0 ? maxpressure : 1000;
    return (short)((int64_t)raw * 1000 / max);
}

void send(short type, short pressure_value = 0)
{
    if (!dsp_tablette || !application) return;
    Event e;
    e.type = type;
    e.item = 0;
    e.tabletx = tabx;
    e.tablety = 10000 - taby;
    e.pressure = pressure_value;
    e.orix = (short)orientation_x;
    e.oriy = (short)orientation_y;
    application->event_filter(dsp_tablette, &e);
}

}  // namespace

TabletSource default_tablet_source() { return TabletSource{machine_tablet, nothing}; }
TabletSource tablet_source = default_tablet_source();

short init_tablet()
{
    tabx = taby = pressure = orientation_x = orientation_y = 0;
    maxpressure = 1000;
    if (opened) return 0;
    int32_t mx = maxx, my = maxy, mp = 0;
    char name[sizeof device_name] = {};
    if (!tablet_source.open || !tablet_source.open(name, (int32_t)sizeof name, &mx, &my, &mp)) return 0;
    std::memcpy(device_name, name, sizeof device_name);
    device_name[sizeof device_name - 1] = 0;
    maxx = mx;
    maxy = my;
    // A device that gives no pressure maximum keeps 1000: conversions never divide by 0.
    if (mp > 0) maxpressure = mp;
    opened = true;
    return 1;
}

void quit_tablet()
{
    if (opened && tablet_source.close) tablet_source.close();
    opened = false;
    dsp_tablette = nullptr;
}

short tablet_ok() { return opened ? 1 : 0; }

void set_tablet_dispatch_panel(CPanel* panel) { dsp_tablette = panel; }

void get_tablet_name(char* name, int32_t size)
{
    if (!name || size <= 0) return;
    if (maxx == 6143 && maxy == 4607) std::snprintf(name, (size_t)size, "SCREEN WACOM");
    else if (opened) std::snprintf(name, (size_t)size, "%s", device_name);
}

short get_tablet_pressure() { return thousandths(pressure); }

void tablet_tilt(int32_t azimuth, int32_t altitude, int32_t* tilt_x, int32_t* tilt_y)
{
    const double T = 6.28318;
    const double a = (900 - altitude) * T / 3600;
    const double z = azimuth * T / 3600;
    const double t = std::tan(a);
    *tilt_x = (int32_t)(std::atan(std::sin(z) * t) * 360 / T);
    *tilt_y = (int32_t)(-(std::atan(std::cos(z) * t) * 360 / T));
}

short dispatch_tablet_packet(const TabletPacket& p)
{
    if (!dsp_tablette || !opened) return 1;
    if (p.x != tabx || p.y != taby) {
        const short before = thousandths(pressure);
        tabx = p.x;
        taby = p.y;
        send(12, before);
    }
    if ((int32_t)p.pressure != pressure) {
        pressure = (int32_t)p.pressure;
        send(21, thousandths(pressure));
    }
    // The tilt counts as changed when its whole degrees differ from the last ones.
    int32_t tx = 0, ty = 0;
    tablet_tilt(p.azimuth, p.altitude, &tx, &ty);
    if (tx != orientation_x || ty != orientation_y) {
        orientation_x = tx;
        orientation_y = ty;
        send(22);
    }
    const int32_t change = (p.buttons >> 16) & 0xFFFF, button = p.buttons & 0xFFFF;
    if (button <= 2 && (change == 2 || change == 1)) send((short)((change == 2 ? 15 : 18) + button), thousandths(pressure));
    return 1;
}

short dispatch_tablet_proximity(bool entered)
{
    if (dsp_tablette && opened) send(entered ? 13 : 14);
    return 1;
}

namespace {
// A device position 0..max as 0-10000; a device that gives no maximum is taken as 0-10000.
int32_t scaled(int32_t v, int32_t max)
{
    if (max <= 0) return std::max(0, std::min(v, 10000));
    return (int32_t)((int64_t)std::max(0, std::min(v, max)) * 10000 / max);
}
}  // namespace

void poll_tablet()
{
    for (const platform::TabletReading& r : platform::take_tablet_readings()) {
        if (!opened) continue;
        if (r.kind != platform::TabletReading::Packet) {
            dispatch_tablet_proximity(r.kind == platform::TabletReading::Enter);
            continue;
        }
        TabletPacket p;
        p.x = scaled(r.x, maxx);
        p.y = 10000 - scaled(r.y, maxy);
        p.pressure = (uint32_t)std::max(0, r.pressure);
        p.buttons = (r.change << 16) | (r.button & 0xFFFF);
        dispatch_tablet_packet(p);
    }
}
