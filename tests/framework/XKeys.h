#pragma once
// Keys typed on the X keyboard of a test display, as another X client sends them.

#include <string>

// Ctrl + the ASCII `letter` pressed and released in `window`.
bool send_x_control_key(const std::string& display, unsigned long window, char letter);
