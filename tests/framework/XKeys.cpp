#include "XKeys.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace {

// The key `name` pressed and released with the modifier key `held` (0: none) down around it.
bool send_with(const std::string& display, unsigned long window, const char* name, KeySym held, unsigned mask)
{
    Display* x = XOpenDisplay(display.c_str());
    if (!x) return false;
    const auto send = [&](KeySym sym, int type, unsigned state) {
        XEvent e{};
        e.xkey.type = type;
        e.xkey.display = x;
        e.xkey.window = window;
        e.xkey.keycode = XKeysymToKeycode(x, sym);
        e.xkey.state = state;
        e.xkey.same_screen = True;
        return XSendEvent(x, window, False, type == KeyPress ? KeyPressMask : KeyReleaseMask, &e) != 0;
    };
    const KeySym key = XStringToKeysym(name);
    bool sent = true;
    if (held) sent = sent && send(held, KeyPress, 0);
    sent = sent && send(key, KeyPress, mask) && send(key, KeyRelease, mask);
    if (held) sent = sent && send(held, KeyRelease, mask);
    XFlush(x);
    XCloseDisplay(x);
    return sent;
}

}  // namespace

bool send_x_key(const std::string& display, unsigned long window, const char* name, bool control)
{
    return control ? send_with(display, window, name, XK_Control_L, ControlMask)
                   : send_with(display, window, name, 0, 0);
}

bool send_x_alt_key(const std::string& display, unsigned long window, const char* name)
{
    return send_with(display, window, name, XK_Alt_L, Mod1Mask);
}

bool send_x_key_state(const std::string& display, unsigned long window, const char* name, bool down)
{
    Display* x = XOpenDisplay(display.c_str());
    if (!x) return false;
    XEvent e{};
    e.xkey.type = down ? KeyPress : KeyRelease;
    e.xkey.display = x;
    e.xkey.window = window;
    e.xkey.keycode = XKeysymToKeycode(x, XStringToKeysym(name));
    e.xkey.same_screen = True;
    const bool sent = XSendEvent(x, window, False, down ? KeyPressMask : KeyReleaseMask, &e) != 0;
    XFlush(x);
    XCloseDisplay(x);
    return sent;
}
