#pragma once
// A hidden window whose timer runs one step of a test while a modal window of the program (a
// chooser, a file dialog) has the message loop: set `g_on_timer`, then a timer on the probe.

#include "platform/WindowManager.h"

#include <functional>

inline std::function<void()> g_on_timer;

// The probe's procedure: each of its timers fires once and runs the step set then.
inline intptr_t probe_proc(platform::WindowId window, platform::Message& message)
{
    if (message.kind == platform::MessageKind::Timer && g_on_timer) {
        platform::WindowManager::current()->kill_timer(window, message.id);
        const std::function<void()> step = g_on_timer;  // the step may set the next one
        step();
    }
    return platform::default_window_proc(window, message);
}

// A hidden probe window of the manager.
inline platform::WindowId create_probe_window(platform::WindowManager& wm)
{
    wm.register_class({"Probe", probe_proc, 0, 0, platform::Cursor::Arrow});
    platform::WindowOptions o;
    o.class_name = "Probe";
    return wm.create_window(o);
}
