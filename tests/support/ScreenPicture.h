#pragma once
// A picture of the screen of a headless program: every window of the program painted now,
// whatever input waits before the paint requests, then the screen written as a PNG under the
// test output folder.

#include "framework/CPanel.h"
#include "framework/CWindow.h"
#include "platform/PixelBuffer.h"
#include "platform/Surface.h"
#include "platform/WindowManager.h"

#include <cstdint>
#include <string>
#include <vector>

// Paints what waits to be painted, then writes the screen as a PNG at `path`.
inline bool write_painted_screen(platform::WindowManager& wm, const std::string& path)
{
    platform::Message m;
    for (int i = 0; i < 200 && wm.peek_message(m, false) && m.kind == platform::MessageKind::Paint; i++) {
        wm.peek_message(m, true);
        wm.dispatch_message(m);
    }
    const platform::Point size = wm.screen_size();
    std::vector<uint32_t> pixels((size_t)size.x * size.y, 0xFF000000u);
    platform::PixelBuffer screen{size.x, size.y, size.x * 4, pixels.data()};
    wm.compose(screen, {0, 0, size.x, size.y});
    auto s = platform::Surface::over_pixels(pixels.data(), size.x, size.y, size.x * 4);
    return s->write_png(path);
}

// The screen with `panel` (a dialog or a window) and its controls drawn afresh, at `path`.
inline bool write_panel_picture(platform::WindowManager& wm, CPanel* panel, const std::string& path)
{
    panel->update();
    for (short k = 1; k <= panel->children.total(); k++) ((CPanel*)panel->children.get(k))->update();
    return write_painted_screen(wm, path);
}

inline bool write_screen_picture(platform::WindowManager& wm, const std::string& name)
{
    for (short i = 1; win_array && i <= win_array->total(); i++) {
        CPanel* w = (CPanel*)win_array->get(i);
        w->update();
        for (short k = 1; k <= w->children.total(); k++) ((CPanel*)w->children.get(k))->update();
    }
    return write_painted_screen(wm, std::string(BRINDLECOT_TEST_OUTPUT) + "/" + name);
}
