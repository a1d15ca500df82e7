#include "XClient.h"

#include <X11/Xlib.h>

namespace {

bool send(const std::string& display, unsigned long window, XEvent event, long mask)
{
    Display* other = XOpenDisplay(display.c_str());
    if (!other) return false;
    event.xany.window = window;
    event.xany.display = other;
    const bool sent = XSendEvent(other, window, False, mask, &event) != 0;
    XFlush(other);
    XCloseDisplay(other);
    return sent;
}

XEvent button_event(int type, int x, int y)
{
    XEvent e{};
    e.xbutton.type = type;
    e.xbutton.x = x;
    e.xbutton.y = y;
    e.xbutton.x_root = x;
    e.xbutton.y_root = y;
    e.xbutton.button = Button1;
    e.xbutton.same_screen = True;
    e.xbutton.state = type == ButtonRelease ? Button1Mask : 0;
    return e;
}

}  // namespace

bool send_x_click(const std::string& display, unsigned long window, int x, int y)
{
    return send(display, window, button_event(ButtonPress, x, y), ButtonPressMask) &&
           send(display, window, button_event(ButtonRelease, x, y), ButtonReleaseMask);
}

bool send_x_key(const std::string& display, unsigned long window, char letter)
{
    Display* own = XOpenDisplay(display.c_str());
    if (!own) return false;
    const char name[2] = {letter, 0};
    XEvent key{};
    key.xkey.type = KeyPress;
    key.xkey.keycode = XKeysymToKeycode(own, XStringToKeysym(name));
    key.xkey.same_screen = True;
    XCloseDisplay(own);
    return send(display, window, key, KeyPressMask);
}

bool resize_x_window(const std::string& display, unsigned long window, int width, int height)
{
    Display* other = XOpenDisplay(display.c_str());
    if (!other) return false;
    XResizeWindow(other, window, width, height);
    XFlush(other);
    XCloseDisplay(other);
    return true;
}

bool query_x_pointer(const std::string& display, unsigned long window, int* x, int* y)
{
    Display* other = XOpenDisplay(display.c_str());
    if (!other) return false;
    ::Window root = 0, child = 0;
    int root_x = 0, root_y = 0;
    unsigned int mask = 0;
    const bool found = XQueryPointer(other, window, &root, &child, &root_x, &root_y, x, y, &mask) != 0;
    XCloseDisplay(other);
    return found;
}
