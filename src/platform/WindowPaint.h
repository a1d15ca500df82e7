#pragma once
// Painting a window that draws itself with a surface: begins the paint, gives `draw` a surface
// over the window's pixels with `font` chosen and the client size, shows what it drew and ends
// the paint (also when the window has no pixels, so that the paint request is answered).

#include "platform/Font.h"
#include "platform/Surface.h"
#include "platform/WindowManager.h"

#include <functional>
#include <memory>

namespace platform {

void paint_window(WindowManager& wm, WindowId window, std::shared_ptr<const Font> font,
                  const std::function<void(Surface& s, int32_t width, int32_t height)>& draw);

}  // namespace platform
