#pragma once
// Pen tablet input: the tablet's packets and proximity changes become Event records of types 12
// to 22 for one panel, the tablet dispatch panel, through the application's event filter.
// Positions arrive scaled to 0-10000 on both axes with y growing upwards and reach the receiver
// with y growing downwards; pressure is given in thousandths of the device's maximum and the
// pen's tilt in degrees. Without a tablet, opening fails and no event is ever produced.

#include <cstdint>

class CPanel;

// One packet of the tablet: button (low 16 bits: the button from 0; high 16 bits: 0 no change,
// 1 released, 2 pressed), position 0-10000 (y upwards), raw pressure, and the orientation in
// tenths of a degree.
struct TabletPacket {
    int32_t buttons = 0;
    int32_t x = 0, y = 0;
    uint32_t pressure = 0;
    int32_t azimuth = 0, altitude = 900, twist = 0;
};

// Where the tablet comes from: the machine's pressure device, or a stand-in (tests).
struct TabletSource {
    // Finds the device: its name (bounded by `size`), axis maxima and pressure maximum; false
    // when there is none.
    bool (*open)(char* name, int32_t size, int32_t* maxx, int32_t* maxy, int32_t* maxpressure);
    void (*close)();
};
extern TabletSource tablet_source;
TabletSource default_tablet_source();

// 1 when it opened the tablet; 0 when it was already open (its state is reset all the same) or
// there is none.
short init_tablet();
void quit_tablet();
short tablet_ok();
void set_tablet_dispatch_panel(CPanel* panel);
// The tablet's name ("SCREEN WACOM" for a screen tablet), bounded by `size`.
void get_tablet_name(char* name, int32_t size);
// The last pressure in thousandths of the maximum.
short get_tablet_pressure();
// A packet of the open tablet: a move (12, with the pressure before it), a pressure change
// (21), a tilt change (22), a press (15-17) or release (18-20) of buttons 0 to 2. 1 always.
short dispatch_tablet_packet(const TabletPacket& packet);
// The pen entered (13) or left (14) the tablet. 1 always.
short dispatch_tablet_proximity(bool entered);
// Dispatches the pen's readings that the display gave since the last call, their positions
// scaled from the device's axes to 0-10000 with y growing upwards (the message loop calls it).
// Readings that come while no tablet is open are dropped.
void poll_tablet();
// The tilts in degrees of a pen at that azimuth and altitude (tenths of a degree).
void tablet_tilt(int32_t azimuth, int32_t altitude, int32_t* tilt_x, int32_t* tilt_y);

extern int32_t tabx, taby, pressure, maxpressure, orientation_x, orientation_y, maxx, maxy;
