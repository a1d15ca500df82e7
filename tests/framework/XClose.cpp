#include "XClose.h"

#include <X11/Xlib.h>

bool close_x_windows(const std::string& display)
{
    Display* x = XOpenDisplay(display.c_str());
    if (!x) return false;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    XQueryTree(x, DefaultRootWindow(x), &root, &parent, &children, &count);
    for (unsigned int i = 0; i < count; i++) {
        XEvent e{};
        e.xclient.type = ClientMessage;
        e.xclient.window = children[i];
        e.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
        e.xclient.format = 32;
        e.xclient.data.l[0] = static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
        e.xclient.data.l[1] = CurrentTime;
        XSendEvent(x, children[i], False, NoEventMask, &e);
    }
    if (children) XFree(children);
    XFlush(x);
    XCloseDisplay(x);
    return count > 0;
}
