#pragma once
// Windows and mouse work in the headless window manager, shared by the framework tests.

#include "platform/HeadlessBackend.h"
#include "platform/Menu.h"
#include "platform/WindowManager.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// Starts `wm` on an 800 x 600 headless screen, with the window class `name` of procedure `proc`
// and a window of it covering the screen, which is returned.
inline platform::WindowId open_screen_window(std::unique_ptr<platform::WindowManager>& wm, const char* name,
                                             platform::WindowProc proc, uint32_t style = platform::StyleVisible,
                                             const std::string& title = {})
{
    wm = std::make_unique<platform::WindowManager>(
        std::make_unique<platform::HeadlessBackend>(platform::Point{800, 600}));
    wm->register_class({name, proc, 0, 0xFFFFFF, platform::Cursor::Arrow});
    platform::WindowOptions o;
    o.class_name = name;
    o.title = title;
    o.style = style;
    o.rect = {0, 0, 800, 600};
    return wm->create_window(o);
}

// Moves the mouse to `p` and clicks there with the left button; the messages stay queued.
inline void inject_click(platform::WindowManager& wm, platform::Point p)
{
    wm.inject_mouse_move(p);
    wm.inject_mouse_button(platform::ButtonLeft, true, p);
    wm.inject_mouse_button(platform::ButtonLeft, false, p);
}

// Drags the held left button through `points` and lets it go at the last one.
inline void inject_drag(platform::WindowManager& wm, const std::vector<platform::Point>& points)
{
    for (platform::Point p : points) {
        wm.inject_mouse_move(p);
        wm.inject_key(platform::KeyShift, true);  // keeps each move apart from the next
        wm.inject_key(platform::KeyShift, false);
    }
    wm.inject_mouse_button(platform::ButtonLeft, false, points.back());
}

// The screen centre of the item at `position` in the menu `m` of the frame's bar.
inline platform::Point menu_item_centre(platform::WindowId frame, platform::MenuHandle m, int32_t position)
{
    platform::Rect r;
    EXPECT_TRUE(platform::menu_item_screen_rect(frame, m, position, &r));
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}
