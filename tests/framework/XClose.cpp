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

bool click_x_windows(const std::string& display, int x, int y)
{
    Display* d = XOpenDisplay(display.c_str());
    if (!d) return false;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count);
    for (unsigned int i = 0; i < count; i++)
        for (int type : {ButtonPress, ButtonRelease}) {
            XEvent e{};
            e.xbutton.type = type;
            e.xbutton.window = children[i];
            e.xbutton.root = root;
            e.xbutton.x = x;
            e.xbutton.y = y;
            e.xbutton.x_root = x;
            e.xbutton.y_root = y;
            e.xbutton.button = Button1;
            e.xbutton.state = type == ButtonRelease ? Button1Mask : 0;
            e.xbutton.same_screen = True;
            XSendEvent(d, children[i], True, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &e);
        }
    if (children) XFree(children);
    XFlush(d);
    XCloseDisplay(d);
    return count > 0;
}

std::vector<unsigned long> top_level_x_windows(const std::string& display)
{
    std::vector<unsigned long> windows;
    Display* d = XOpenDisplay(display.c_str());
    if (!d) return windows;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count);
    windows.assign(children, children + count);
    if (children) XFree(children);
    XCloseDisplay(d);
    return windows;
}
