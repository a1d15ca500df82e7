#include "platform/WindowPaint.h"

namespace platform {

void paint_window(WindowManager& wm, WindowId window, std::shared_ptr<const Font> font,
                  const std::function<void(Surface& s, int32_t width, int32_t height)>& draw)
{
    const PaintContext pc = wm.begin_paint(window);
    if (pc.pixels.pixels) {
        std::unique_ptr<Surface> s =
            Surface::over_pixels(pc.pixels.pixels, pc.pixels.width, pc.pixels.height, pc.pixels.stride);
        if (s) {
            s->set_font(std::move(font));
            draw(*s, pc.pixels.width, pc.pixels.height);
            s->flush();
        }
    }
    wm.end_paint(window, pc);
}

}  // namespace platform
