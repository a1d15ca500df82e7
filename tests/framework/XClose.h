#pragma once
// Closing windows from another X client, as a desktop's close button does.

#include <string>

// Asks every top-level window of the X server `display` to close; false when there was none.
bool close_x_windows(const std::string& display);
