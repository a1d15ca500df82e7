#pragma once
// What the window manager needs of a display: a clock, a way to wait for input, and a
// place to show the composed screen. The headless backend keeps everything in memory with
// a virtual clock; the X11 backend shows the screen in one real window.

#include "platform/Geometry.h"

#include <cstdint>
#include <string>

namespace platform {

class WindowManager;

enum class Cursor : int32_t {
    Arrow,
    Wait,        // hourglass
    NotAllowed,
    SizeAll,     // four-way arrows
    Hand,
    Crosshair,
    Text,
};

class Backend {
public:
    virtual ~Backend() = default;

    // Called once by the window manager that takes the backend.
    virtual void attach(WindowManager* manager) = 0;

    // Milliseconds of the program's monotonic clock; any thread.
    virtual int64_t now_ms() = 0;

    // GUI thread: feeds pending native input to the manager, and when there was none waits
    // until input arrives, wake() is called, or `timeout_ms` has passed (-1: no limit).
    virtual void wait(int64_t timeout_ms) = 0;

    // Any thread: ends a wait in progress, or makes the next one return at once.
    virtual void wake() = 0;

    // GUI thread: waits `ms` milliseconds of the program's clock.
    virtual void sleep(int64_t ms) = 0;

    // The composed screen has changed inside `area`.
    virtual void present(const Rect& area) = 0;

    virtual void set_cursor(Cursor cursor) = 0;

    // Moves the real pointer; returns true when the display will report the move as input
    // itself, false when the manager must inject it.
    virtual bool warp_pointer(Point screen_point) = 0;

    // Size of the screen that holds every top-level window.
    virtual Point screen_size() = 0;

    // The title of the program's main window (Windows-1252), for the display's own frame.
    virtual void set_title(const std::string& title) = 0;

    // True when the clock is virtual (jumps when the program would wait).
    virtual bool virtual_clock() const = 0;

    // Sounds the display's bell; nothing where there is none.
    virtual void bell() {}
};

}  // namespace platform
