#include "framework/JoystickManager.h"
#include "framework/TabletManager.h"

#include "AppFixture.h"
#include "framework/CUserPanel.h"
#include "platform/InputDevices.h"

#include <X11/extensions/XInput2.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

std::vector<Event> g_events;
short keep(CPanel*, Event* e)
{
    g_events.push_back(*e);
    return 1;
}

// ---- Tablet -------------------------------------------------------------------------------

int32_t g_max_pressure = 1024;
int g_closed = 0;
bool fake_tablet(char* name, int32_t size, int32_t* mx, int32_t* my, int32_t* mp)
{
    std::snprintf(name, (size_t)size, "%s", "Stylet WACOM de test, un nom bien plus long que le tampon");
    *mx = 20000;
    *my = 15000;
    *mp = g_max_pressure;
    return true;
}
void fake_close() { g_closed++; }
bool no_tablet(char*, int32_t, int32_t*, int32_t*, int32_t*) { return false; }

class Tablet : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        g_events.clear();
        g_max_pressure = 1024;
        g_closed = 0;
        tablet_source = TabletSource{fake_tablet, fake_close};
        panel = new CUserPanel(NO_PARENT);
        panel->event_handler = keep;
    }
    void TearDown() override
    {
        quit_tablet();
        tablet_source = default_tablet_source();
        delete panel;
        AppFixture::TearDown();
    }
    static TabletPacket packet(int32_t x, int32_t y, uint32_t p, int32_t buttons = 0, int32_t azimuth = 0, int32_t altitude = 900)
    {
        TabletPacket k;
        k.x = x, k.y = y, k.pressure = p, k.buttons = buttons, k.azimuth = azimuth, k.altitude = altitude;
        return k;
    }
    struct Seen {
        short type;
        int32_t x, y;
        short pressure;
        bool operator==(const Seen& o) const { return type == o.type && x == o.x && y == o.y && pressure == o.pressure; }
    };
    std::vector<Seen> seen()
    {
        std::vector<Seen> out;
        for (const Event& e : g_events) out.push_back({e.type, e.tabletx, e.tablety, e.type == 22 ? (short)0 : e.pressure});
        return out;
    }
    CUserPanel* panel = nullptr;
};

TEST_F(Tablet, PacketSequencesBecomePositionsPressuresAndButtons)
{
    ASSERT_EQ(init_tablet(), 1);
    EXPECT_EQ(tablet_ok(), 1);
    EXPECT_EQ(get_tablet_pressure(), 0);
    // Nothing is delivered before a panel is named.
    EXPECT_EQ(dispatch_tablet_packet(packet(100, 200, 512)), 1);
    EXPECT_TRUE(g_events.empty());
    set_tablet_dispatch_panel(panel);
    dispatch_tablet_proximity(true);
    dispatch_tablet_packet(packet(100, 200, 512));             // moves and presses
    dispatch_tablet_packet(packet(100, 200, 512));             // nothing new
    dispatch_tablet_packet(packet(100, 200, 512, 0x20000));    // button 0 pressed
    dispatch_tablet_packet(packet(0, 10000, 256, 0x10001));    // top edge, lighter, button 1 up
    dispatch_tablet_packet(packet(0, 0, 256, 0x20003));        // bottom edge; button 3: nothing
    dispatch_tablet_proximity(false);
    const std::vector<Seen> expected = {
        {13, 0, 10000, 0},
        {12, 100, 9800, 0},    // the pressure before this packet
        {21, 100, 9800, 500},  // 512 of 1024
        {15, 100, 9800, 500},
        {12, 0, 0, 500},
        {21, 0, 0, 250},
        {19, 0, 0, 250},
        {12, 0, 10000, 250},
        {14, 0, 10000, 0},
    };
    ASSERT_EQ(g_events.size(), expected.size());
    const std::vector<Seen> got = seen();
    for (size_t i = 0; i < expected.size(); i++) {
        EXPECT_EQ(got[i].type, expected[i].type) << i;
        EXPECT_EQ(got[i].x, expected[i].x) << i;
        EXPECT_EQ(got[i].y, expected[i].y) << i;
        if (expected[i].type != 13 && expected[i].type != 14) {
            EXPECT_EQ(got[i].pressure, expected[i].pressure) << i;
        }
    }
    EXPECT_EQ(get_tablet_pressure(), 250);
    // The pen tilts: one event with the tilts in degrees.
    g_events.clear();
    dispatch_tablet_packet(packet(0, 0, 256, 0, 900, 450));
    ASSERT_EQ(g_events.size(), 1u);
    EXPECT_EQ(g_events[0].type, 22);
    EXPECT_EQ(g_events[0].orix, 44);  // truncated, with the turn taken as 6.28318
    EXPECT_EQ(g_events[0].oriy, 0);
}

TEST_F(Tablet, OpeningAgainResetsTheStateAndAZeroMaximumNeverDivides)
{
    ASSERT_EQ(init_tablet(), 1);
    set_tablet_dispatch_panel(panel);
    dispatch_tablet_packet(packet(10, 20, 300));
    EXPECT_EQ(init_tablet(), 0);  // already open: kept, state reset
    EXPECT_EQ(tablet_ok(), 1);
    EXPECT_EQ(tabx, 0);
    EXPECT_EQ(maxpressure, 1000);
    quit_tablet();
    EXPECT_EQ(tablet_ok(), 0);
    EXPECT_EQ(g_closed, 1);
    // A device without a pressure maximum: thousandths of 1000.
    g_max_pressure = 0;
    ASSERT_EQ(init_tablet(), 1);
    set_tablet_dispatch_panel(panel);
    dispatch_tablet_packet(packet(10, 20, 300));
    EXPECT_EQ(get_tablet_pressure(), 300);
    // The name is copied bounded.
    char name[16];
    std::memset(name, 'x', sizeof name);
    get_tablet_name(name, sizeof name);
    EXPECT_EQ(std::strlen(name), sizeof name - 1);
    EXPECT_EQ(std::string(name).substr(0, 12), "Stylet WACOM");
    // No tablet: opening fails and nothing is delivered.
    quit_tablet();
    tablet_source = TabletSource{no_tablet, fake_close};
    EXPECT_EQ(init_tablet(), 0);
    set_tablet_dispatch_panel(panel);
    g_events.clear();
    dispatch_tablet_packet(packet(1, 2, 3));
    EXPECT_TRUE(g_events.empty());
}

TEST_F(Tablet, PenEventsOfTheDisplayBecomeTabletEvents)
{
    ASSERT_EQ(init_tablet(), 1);
    set_tablet_dispatch_panel(panel);
    platform::TabletDeviceInfo device;
    device.max_x = 20000, device.max_y = 15000, device.max_pressure = 1024, device.pressure_valuator = 2;
    platform::TabletTracker pen(device);
    std::vector<platform::TabletReading> readings;
    // The server sends only the valuators of its mask, packed in order.
    unsigned char all[1] = {0x07}, pressure_only[1] = {0x04}, x_only[1] = {0x01};
    double first[] = {10000, 3000, 512}, lighter[] = {256}, right[] = {20000};
    pen.feed(XI_Motion, 0, all, 1, first, &readings);  // its first event: the pen came near
    pen.feed(XI_ButtonPress, 1, pressure_only, 1, lighter, &readings);
    pen.feed(XI_ButtonRelease, 1, x_only, 1, right, &readings);
    pen.feed(XI_Leave, 0, nullptr, 0, nullptr, &readings);
    pen.feed(XI_Leave, 0, nullptr, 0, nullptr, &readings);  // already gone: nothing
    for (const platform::TabletReading& r : readings) platform::push_tablet_reading(r);
    poll_tablet();
    const std::vector<Seen> expected = {
        {13, 0, 10000, 0},
        {12, 5000, 2000, 0},    // y grows downwards again at the receiver
        {21, 5000, 2000, 500},
        {21, 5000, 2000, 250},
        {15, 5000, 2000, 250},
        {12, 10000, 2000, 250},
        {18, 10000, 2000, 250},
        {14, 10000, 2000, 0},
    };
    const std::vector<Seen> got = seen();
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < expected.size(); i++) {
        EXPECT_EQ(got[i].type, expected[i].type) << i;
        EXPECT_EQ(got[i].x, expected[i].x) << i;
        EXPECT_EQ(got[i].y, expected[i].y) << i;
        if (expected[i].type != 13 && expected[i].type != 14) {
            EXPECT_EQ(got[i].pressure, expected[i].pressure) << i;
        }
    }
    // Without an open tablet the readings are dropped, and the queue never holds more than 1024.
    quit_tablet();
    g_events.clear();
    for (int i = 0; i < 1100; i++) platform::push_tablet_reading(readings[1]);
    poll_tablet();
    ASSERT_EQ(init_tablet(), 1);
    set_tablet_dispatch_panel(panel);
    poll_tablet();
    EXPECT_TRUE(g_events.empty());
    for (int i = 0; i < 1100; i++) platform::push_tablet_reading(readings[1]);
    EXPECT_EQ(platform::take_tablet_readings().size(), 1024u);
}

TEST(TabletTilt, UprightPensAndSlants)
{
    const struct {
        int32_t azimuth, altitude, x, y;
    } cases[] = {{0, 900, 0, 0}, {1800, 900, 0, 0}, {0, 450, 0, -45}, {900, 450, 44, 0}, {1800, 450, 0, 44}, {450, 600, 22, -22}};
    for (const auto& c : cases) {
        int32_t x = 99, y = 99;
        tablet_tilt(c.azimuth, c.altitude, &x, &y);
        EXPECT_EQ(x, c.x) << c.azimuth << " " << c.altitude;
        EXPECT_EQ(y, c.y) << c.azimuth << " " << c.altitude;
    }
}

// ---- Joystick -----------------------------------------------------------------------------

class Joystick : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        g_events.clear();
        joy_x = joy_y = 0;
        panel = new CUserPanel(NO_PARENT);
        panel->event_handler = keep;
        set_joystick_dispatch_panel(panel);
    }
    void TearDown() override
    {
        set_joystick_dispatch_panel(nullptr);
        delete panel;
        AppFixture::TearDown();
    }
    static JoystickMessage buttons(JoystickMessage::Kind kind, uint16_t held, uint16_t changed)
    {
        JoystickMessage m;
        m.kind = kind;
        m.buttons = held;
        m.changed = changed;
        return m;
    }
    std::vector<short> types()
    {
        std::vector<short> t;
        for (const Event& e : g_events) t.push_back(e.type);
        return t;
    }
    CUserPanel* panel = nullptr;
};

TEST_F(Joystick, DirectionsOfTheAxes)
{
    const struct {
        uint16_t raw;
        short direction;
    } cases[] = {{0, -1}, {1, 0}, {32767, 0}, {32768, 1}, {65535, 1}};
    for (const auto& c : cases) EXPECT_EQ(joystick_direction(c.raw), c.direction) << c.raw;
    JoystickMessage move;
    move.kind = JoystickMessage::Move;
    move.x = 0;
    move.y = 65535;
    EXPECT_EQ(dispatch_joystick_events(move), 1);
    ASSERT_EQ(g_events.size(), 1u);
    EXPECT_EQ(g_events[0].type, 23);
    EXPECT_EQ(g_events[0].x, -1);
    EXPECT_EQ(g_events[0].y, 1);
    EXPECT_EQ(joy_y, -1);  // the raw value as a signed 16-bit number
}

TEST_F(Joystick, ButtonsAreReportedWhenTheyChange)
{
    // Before any move, buttons carry 0, 0.
    dispatch_joystick_events(buttons(JoystickMessage::ButtonDown, 1, 1));
    ASSERT_EQ(g_events.size(), 1u);
    EXPECT_EQ(g_events[0].x, 0);
    // Button 2 while 1 is held: only 2 is reported.
    dispatch_joystick_events(buttons(JoystickMessage::ButtonDown, 3, 2));
    // Releasing 2 while 1 is held; then 1.
    dispatch_joystick_events(buttons(JoystickMessage::ButtonUp, 1, 2));
    dispatch_joystick_events(buttons(JoystickMessage::ButtonUp, 0, 1));
    // Buttons 3 and 4 together.
    dispatch_joystick_events(buttons(JoystickMessage::ButtonDown, 12, 12));
    EXPECT_EQ(types(), (std::vector<short>{24, 25, 29, 28, 26, 27}));
    // No panel: nothing, and still 1.
    g_events.clear();
    set_joystick_dispatch_panel(nullptr);
    EXPECT_EQ(dispatch_joystick_events(buttons(JoystickMessage::ButtonDown, 1, 1)), 1);
    EXPECT_TRUE(g_events.empty());
    // Releasing without a capture leaves the panel as it was.
    set_joystick_dispatch_panel(panel);
    joy_ok = 0;
    quit_joystick();
    EXPECT_EQ(joy_panel, panel);
}

}  // namespace
