#pragma once
// Keys typed on the X keyboard of a test display, as another X client sends them.

#include <string>

// The key of the X key symbol `name` ("q", "Return", "Down") pressed and released in
// `window`, with Ctrl held when `control` is set.
bool send_x_key(const std::string& display, unsigned long window, const char* name, bool control = false);
// The same with Alt held.
bool send_x_alt_key(const std::string& display, unsigned long window, const char* name);
// The key `name` ("Control_L") pressed (`down`) or released alone: held around other input.
bool send_x_key_state(const std::string& display, unsigned long window, const char* name, bool down);
