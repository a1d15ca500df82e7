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

bool send_x_drag(const std::string& display, unsigned long window, int x0, int y0, int x1, int y1, int steps)
{
    if (!send(display, window, button_event(ButtonPress, x0, y0), ButtonPressMask)) return false;
    for (int i = 1; i <= steps; i++) {
        XEvent move{};
        move.xmotion.type = MotionNotify;
        move.xmotion.x = move.xmotion.x_root = x0 + (x1 - x0) * i / steps;
        move.xmotion.y = move.xmotion.y_root = y0 + (y1 - y0) * i / steps;
        move.xmotion.state = Button1Mask;
        move.xmotion.same_screen = True;
        if (!send(display, window, move, PointerMotionMask | ButtonMotionMask)) return false;
    }
    return send(display, window, button_event(ButtonRelease, x1, y1), ButtonReleaseMask);
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

struct XDragSource::State {
    Display* display = nullptr;
    Window window = 0;
    Window target = 0;
    std::string data;
    Atom enter, position, status, drop, finished, selection, copy, uri_list;
};

XDragSource::XDragSource(const std::string& display, unsigned long target, const std::string& uri_list)
    : s_(std::make_unique<State>())
{
    s_->display = XOpenDisplay(display.c_str());
    if (!s_->display) return;
    const auto atom = [&](const char* name) { return XInternAtom(s_->display, name, False); };
    s_->enter = atom("XdndEnter");
    s_->position = atom("XdndPosition");
    s_->status = atom("XdndStatus");
    s_->drop = atom("XdndDrop");
    s_->finished = atom("XdndFinished");
    s_->selection = atom("XdndSelection");
    s_->copy = atom("XdndActionCopy");
    s_->uri_list = atom("text/uri-list");
    s_->target = target;
    s_->data = uri_list;
    s_->window = XCreateSimpleWindow(s_->display, DefaultRootWindow(s_->display), 0, 0, 1, 1, 0, 0, 0);
    XSetSelectionOwner(s_->display, s_->selection, s_->window, CurrentTime);
    XFlush(s_->display);
}

XDragSource::~XDragSource()
{
    if (!s_->display) return;
    XDestroyWindow(s_->display, s_->window);
    XCloseDisplay(s_->display);
}

bool XDragSource::ok() const { return s_->display != nullptr; }

namespace {

void send_client_message(Display* d, Window target, Atom type, long l0, long l1, long l2, long l3, long l4)
{
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = target;
    e.xclient.message_type = type;
    e.xclient.format = 32;
    e.xclient.data.l[0] = l0;
    e.xclient.data.l[1] = l1;
    e.xclient.data.l[2] = l2;
    e.xclient.data.l[3] = l3;
    e.xclient.data.l[4] = l4;
    XSendEvent(d, target, False, NoEventMask, &e);
    XFlush(d);
}

}  // namespace

void XDragSource::move_to(int x, int y)
{
    const long source = static_cast<long>(s_->window);
    if (!entered_)
        send_client_message(s_->display, s_->target, s_->enter, source, 5L << 24, static_cast<long>(s_->uri_list), 0, 0);
    entered_ = true;
    status_ = -1;
    send_client_message(s_->display, s_->target, s_->position, source, 0, (static_cast<long>(x) << 16) | y,
                        CurrentTime, static_cast<long>(s_->copy));
}

void XDragSource::drop()
{
    send_client_message(s_->display, s_->target, s_->drop, static_cast<long>(s_->window), 0, CurrentTime, 0, 0);
}

void XDragSource::service()
{
    while (XPending(s_->display) > 0) {
        XEvent e;
        XNextEvent(s_->display, &e);
        if (e.type == ClientMessage && e.xclient.message_type == s_->status) status_ = e.xclient.data.l[1] & 1;
        if (e.type == ClientMessage && e.xclient.message_type == s_->finished) finished_ = e.xclient.data.l[1] & 1;
        if (e.type != SelectionRequest) continue;
        const XSelectionRequestEvent& r = e.xselectionrequest;
        XEvent answer{};
        answer.xselection.type = SelectionNotify;
        answer.xselection.requestor = r.requestor;
        answer.xselection.selection = r.selection;
        answer.xselection.target = r.target;
        answer.xselection.time = r.time;
        answer.xselection.property = None;
        if (r.target == s_->uri_list) {
            XChangeProperty(s_->display, r.requestor, r.property, s_->uri_list, 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(s_->data.data()), static_cast<int>(s_->data.size()));
            answer.xselection.property = r.property;
        }
        XSendEvent(s_->display, r.requestor, False, NoEventMask, &answer);
        XFlush(s_->display);
    }
}

bool send_x_right_click(const std::string& display, unsigned long window, int x, int y)
{
    XEvent press = button_event(ButtonPress, x, y), release = button_event(ButtonRelease, x, y);
    press.xbutton.button = release.xbutton.button = Button3;
    release.xbutton.state = Button3Mask;
    return send(display, window, press, ButtonPressMask) && send(display, window, release, ButtonReleaseMask);
}
