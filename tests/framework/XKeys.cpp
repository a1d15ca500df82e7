#include "XKeys.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

bool send_x_key(const std::string& display, unsigned long window, const char* name, bool control)
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
    const unsigned state = control ? ControlMask : 0;
    bool sent = true;
    if (control) sent = sent && send(XK_Control_L, KeyPress, 0);
    sent = sent && send(key, KeyPress, state) && send(key, KeyRelease, state);
    if (control) sent = sent && send(XK_Control_L, KeyRelease, state);
    XFlush(x);
    XCloseDisplay(x);
    return sent;
}
