#include "XWindows.h"

#include <X11/Xlib.h>

#include <initializer_list>

std::vector<XWindow> shown_windows(const std::string& display)
{
    std::vector<XWindow> out;
    Display* d = XOpenDisplay(display.c_str());
    if (!d) return out;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count);
    for (unsigned int i = 0; i < count; i++) {
        XWindowAttributes a;
        if (XGetWindowAttributes(d, children[i], &a) && a.map_state == IsViewable)
            out.push_back({children[i], a.x, a.y, a.width, a.height});
    }
    if (children) XFree(children);
    XCloseDisplay(d);
    return out;
}

namespace {

void send_buttons(const std::string& display, const XWindow& w, int x, int y, std::initializer_list<int> types,
                  unsigned int button = Button1)
{
    Display* d = XOpenDisplay(display.c_str());
    if (!d) return;
    for (int type : types) {
        XEvent e{};
        e.xbutton.type = type;
        e.xbutton.window = w.id;
        e.xbutton.root = DefaultRootWindow(d);
        e.xbutton.x = x;
        e.xbutton.y = y;
        e.xbutton.x_root = w.x + x;
        e.xbutton.y_root = w.y + y;
        e.xbutton.button = button;
        e.xbutton.state = type == ButtonRelease ? (button == Button3 ? Button3Mask : Button1Mask) : 0;
        e.xbutton.same_screen = True;
        XSendEvent(d, w.id, True, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &e);
    }
    XFlush(d);
    XCloseDisplay(d);
}

}  // namespace

void click(const std::string& display, const XWindow& w, int x, int y)
{
    send_buttons(display, w, x, y, {ButtonPress, ButtonRelease});
}

void right_click(const std::string& display, const XWindow& w, int x, int y)
{
    send_buttons(display, w, x, y, {ButtonPress, ButtonRelease}, Button3);
}

void press_button(const std::string& display, const XWindow& w, int x, int y) { send_buttons(display, w, x, y, {ButtonPress}); }

void release_button(const std::string& display, const XWindow& w, int x, int y)
{
    send_buttons(display, w, x, y, {ButtonRelease});
}


void move_holding_button(const std::string& display, const XWindow& w, int x, int y)
{
    Display* d = XOpenDisplay(display.c_str());
    if (!d) return;
    XEvent e{};
    e.xmotion.type = MotionNotify;
    e.xmotion.window = w.id;
    e.xmotion.root = DefaultRootWindow(d);
    e.xmotion.x = x;
    e.xmotion.y = y;
    e.xmotion.x_root = w.x + x;
    e.xmotion.y_root = w.y + y;
    e.xmotion.state = Button1Mask;
    e.xmotion.same_screen = True;
    XSendEvent(d, w.id, True, PointerMotionMask | ButtonMotionMask, &e);
    XFlush(d);
    XCloseDisplay(d);
}
