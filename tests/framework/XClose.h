#pragma once
// Closing and clicking windows from another X client, as a desktop's close button and a
// user's mouse do.

#include <string>
#include <vector>

// Asks every top-level window of the X server `display` to close; false when there was none.
bool close_x_windows(const std::string& display);
// A left press and release at (x, y) of every top-level window of the X server `display`;
// false when there was none.
bool click_x_windows(const std::string& display, int x, int y);
// The top-level windows of the X server `display`, none when it cannot be reached.
std::vector<unsigned long> top_level_x_windows(const std::string& display);
