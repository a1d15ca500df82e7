#pragma once
// Input sent to a window from another X client, as a user's tool would send it.

#include <string>

// A left press and release at (x, y) of `window`.
bool send_x_click(const std::string& display, unsigned long window, int x, int y);
// A press of the key that types the ASCII letter `letter`.
bool send_x_key(const std::string& display, unsigned long window, char letter);
// Resizes `window`, as a window manager would.
bool resize_x_window(const std::string& display, unsigned long window, int width, int height);
// Where the X pointer is, in `window`'s coordinates.
bool query_x_pointer(const std::string& display, unsigned long window, int* x, int* y);
