#include "XKeys.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

bool send_x_control_key(const std::string& display, unsigned long window, char letter)
{
    Display* x = XOpenDisplay(display.c_str());
    if (!x) return false;
    const char name[2] = {letter, 0};
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
    const bool sent = send(XK_Control_L, KeyPress, 0) && send(key, KeyPress, ControlMask) &&
                      send(key, KeyRelease, ControlMask) && send(XK_Control_L, KeyRelease, ControlMask);
    XFlush(x);
    XCloseDisplay(x);
    return sent;
}
