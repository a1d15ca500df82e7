#pragma once
// A strip that something other than the window manager draws and answers along the top of a
// window's frame, under its title bar and above its client area: the menu bar. The window
// manager makes room for it (the client area starts below it), composes it with the frame,
// and hands it the left-button presses that land on it.

#include "platform/Geometry.h"
#include "platform/PixelBuffer.h"

#include <cstdint>

namespace platform {

using WindowId = uint32_t;

class FrameStrip {
public:
    virtual ~FrameStrip() = default;
    virtual int32_t height() const = 0;
    // Draws the strip, which covers `strip` of the screen, inside `clip` only.
    virtual void draw(WindowId window, const PixelBuffer& screen, const Rect& strip, const Rect& clip) const = 0;
    // A left-button press at `offset` from the strip's top-left corner.
    virtual void press(WindowId window, Point offset) = 0;
    // The window is being destroyed; the manager forgets the strip afterwards.
    virtual void window_destroyed(WindowId window) = 0;
};

}  // namespace platform
