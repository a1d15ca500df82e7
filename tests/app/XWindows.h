#pragma once
// The shown top-level windows of a test's X server, and clicks sent to one, as a user's mouse.

#include <string>
#include <vector>

struct XWindow {
    unsigned long id;
    int x, y, width, height;
};

// The shown top-level windows, in stacking order (the topmost last).
std::vector<XWindow> shown_windows(const std::string& display);
// A left click at (x, y) of the window.
void click(const std::string& display, const XWindow& w, int x, int y);
// A right click at (x, y) of the window.
void right_click(const std::string& display, const XWindow& w, int x, int y);
// The left button pressed, or released, at (x, y) of the window.
void press_button(const std::string& display, const XWindow& w, int x, int y);
void release_button(const std::string& display, const XWindow& w, int x, int y);
// The pointer moved to (x, y) of the window with the left button held (a slide).
void move_holding_button(const std::string& display, const XWindow& w, int x, int y);
