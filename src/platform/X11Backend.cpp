#include "platform/X11Backend.h"

#include "platform/Clock.h"
#include "platform/Cp1252.h"
#include "platform/InputDevices.h"
#include "platform/WindowManager.h"
#include "platform/X11DropTarget.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/XInput2.h>
#include <X11/keysym.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <thread>
#include <vector>

namespace platform {

struct X11Backend::State {
    Display* display = nullptr;
    ::Window window = 0;
    GC gc = nullptr;
    Visual* visual = nullptr;
    int depth = 0;
    Atom delete_atom = 0;
    XImage* image = nullptr;
    std::vector<uint32_t> pixels;
    Point size;
    int wake_pipe[2] = {-1, -1};
    std::map<Cursor, ::Cursor> cursors;
    WindowManager* manager = nullptr;
    bool mapped = false;
    XIM input_method = nullptr;  // composes dead keys and the like, when the locale allows
    XIC input_context = nullptr;
    bool focused = false;
    int64_t saver_reset = 0;
    std::unique_ptr<X11DropTarget> drops;
    int xi_opcode = -1;                      // XInput2, when there is a pen that reports pressure
    std::unique_ptr<TabletTracker> tablet;   // that pen's events
};

namespace {

Key key_from_keysym(KeySym sym)
{
    if (sym >= XK_a && sym <= XK_z) return static_cast<Key>(KeyA + (sym - XK_a));
    if (sym >= XK_A && sym <= XK_Z) return static_cast<Key>(KeyA + (sym - XK_A));
    if (sym >= XK_0 && sym <= XK_9) return static_cast<Key>(Key0 + (sym - XK_0));
    if (sym >= XK_F1 && sym <= XK_F15) return function_key(static_cast<int>(sym - XK_F1) + 1);
    switch (sym) {
    case XK_BackSpace: return KeyBackspace;
    case XK_Tab: case XK_ISO_Left_Tab: return KeyTab;
    case XK_Return: case XK_KP_Enter: return KeyReturn;
    case XK_Escape: return KeyEscape;
    case XK_space: return KeySpace;
    case XK_apostrophe: return KeyQuote;
    case XK_comma: return KeyComma;
    case XK_minus: return KeyMinus;
    case XK_period: return KeyPeriod;
    case XK_slash: return KeySlash;
    case XK_semicolon: return KeySemicolon;
    case XK_equal: return KeyEquals;
    case XK_bracketleft: return KeyLeftBracket;
    case XK_backslash: return KeyBackslash;
    case XK_bracketright: return KeyRightBracket;
    case XK_grave: return KeyBackquote;
    case XK_Left: case XK_KP_Left: return KeyLeft;
    case XK_Right: case XK_KP_Right: return KeyRight;
    case XK_Up: case XK_KP_Up: return KeyUp;
    case XK_Down: case XK_KP_Down: return KeyDown;
    case XK_Page_Up: case XK_KP_Page_Up: return KeyPageUp;
    case XK_Page_Down: case XK_KP_Page_Down: return KeyPageDown;
    case XK_Home: case XK_KP_Home: return KeyHome;
    case XK_End: case XK_KP_End: return KeyEnd;
    case XK_Insert: case XK_KP_Insert: return KeyInsert;
    case XK_Delete: case XK_KP_Delete: return KeyDelete;
    case XK_Shift_L: case XK_Shift_R: return KeyShift;
    case XK_Control_L: case XK_Control_R: return KeyControl;
    case XK_Alt_L: case XK_Alt_R: case XK_Meta_L: case XK_Meta_R: return KeyAlt;
    default: return KeyNone;
    }
}

unsigned int cursor_glyph(Cursor cursor)
{
    switch (cursor) {
    case Cursor::Wait: return XC_watch;
    case Cursor::NotAllowed: return XC_X_cursor;
    case Cursor::SizeAll: return XC_fleur;
    case Cursor::Hand: return XC_hand2;
    case Cursor::Crosshair: return XC_crosshair;
    case Cursor::Text: return XC_xterm;
    case Cursor::Arrow: break;
    }
    return XC_left_ptr;
}

// Asks for the events of the display's pressure device over the window, when it has one.
std::unique_ptr<TabletTracker> listen_to_pen(Display* display, ::Window window, int* opcode)
{
    int event = 0, error = 0, major = 2, minor = 0;
    TabletDeviceInfo pen;
    if (!XQueryExtension(display, "XInputExtension", opcode, &event, &error) ||
        XIQueryVersion(display, &major, &minor) != Success || !find_pressure_device(&pen, display)) {
        *opcode = -1;
        return nullptr;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    for (int type : {XI_Motion, XI_ButtonPress, XI_ButtonRelease, XI_Enter, XI_Leave}) XISetMask(bits, type);
    XIEventMask mask{pen.device_id, static_cast<int>(sizeof bits), bits};
    XISelectEvents(display, window, &mask, 1);
    return std::make_unique<TabletTracker>(pen);
}

// A pen event of the XInput2 extension becomes the pen's readings.
void pen_event(Display* display, TabletTracker* tablet, int opcode, XEvent& event)
{
    if (!tablet || event.xcookie.extension != opcode || !XGetEventData(display, &event.xcookie)) return;
    std::vector<TabletReading> readings;
    const int type = event.xcookie.evtype;
    if (type == XI_Enter || type == XI_Leave) {
        tablet->feed(type, 0, nullptr, 0, nullptr, &readings);
    } else if (type == XI_Motion || type == XI_ButtonPress || type == XI_ButtonRelease) {
        const auto* d = static_cast<const XIDeviceEvent*>(event.xcookie.data);
        tablet->feed(type, d->detail, d->valuators.mask, d->valuators.mask_len, d->valuators.values, &readings);
    }
    XFreeEventData(display, &event.xcookie);
    for (const TabletReading& r : readings) push_tablet_reading(r);
}

}  // namespace

std::unique_ptr<X11Backend> X11Backend::open(const char* display_name, Point size)
{
    auto s = std::make_unique<State>();
    s->display = XOpenDisplay(display_name);
    if (!s->display) return nullptr;
    const int screen = DefaultScreen(s->display);
    s->visual = DefaultVisual(s->display, screen);
    s->depth = DefaultDepth(s->display, screen);
    // The backing stores hold 0x00RRGGBB words: the screen must take them as they are.
    if ((s->depth != 24 && s->depth != 32) || s->visual->red_mask != 0xFF0000 ||
        s->visual->green_mask != 0xFF00 || s->visual->blue_mask != 0xFF || ::pipe2(s->wake_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        XCloseDisplay(s->display);
        return nullptr;
    }
    if (size.x <= 0 || size.y <= 0) size = {DisplayWidth(s->display, screen), DisplayHeight(s->display, screen)};
    s->window = XCreateSimpleWindow(s->display, RootWindow(s->display, screen), 0, 0, size.x, size.y, 0,
                                    BlackPixel(s->display, screen), BlackPixel(s->display, screen));
    XSelectInput(s->display, s->window,
                 ExposureMask | KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask |
                     PointerMotionMask | StructureNotifyMask | FocusChangeMask);
    s->delete_atom = XInternAtom(s->display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(s->display, s->window, &s->delete_atom, 1);
    Bool supported = False;
    XkbSetDetectableAutoRepeat(s->display, True, &supported);  // held keys repeat presses only
    s->gc = XCreateGC(s->display, s->window, 0, nullptr);
    XSetLocaleModifiers("");
    s->input_method = XOpenIM(s->display, nullptr, nullptr, nullptr);
    if (s->input_method)
        s->input_context = XCreateIC(s->input_method, XNInputStyle, XIMPreeditNothing | XIMStatusNothing,
                                     XNClientWindow, s->window, XNFocusWindow, s->window, nullptr);
    s->drops = std::make_unique<X11DropTarget>(s->display, s->window);
    s->tablet = listen_to_pen(s->display, s->window, &s->xi_opcode);
    XMapWindow(s->display, s->window);
    XFlush(s->display);
    std::unique_ptr<X11Backend> backend(new X11Backend(std::move(s)));
    backend->resize_image(size);
    backend->set_title("Brindlecot");
    return backend;
}

X11Backend::X11Backend(std::unique_ptr<State> state) : s_(std::move(state)) {}

X11Backend::~X11Backend()
{
    if (s_->image) {
        s_->image->data = nullptr;  // the pixels are ours
        XDestroyImage(s_->image);
    }
    s_->drops.reset();
    if (s_->input_context) XDestroyIC(s_->input_context);
    if (s_->input_method) XCloseIM(s_->input_method);
    for (const auto& c : s_->cursors) XFreeCursor(s_->display, c.second);
    XFreeGC(s_->display, s_->gc);
    XDestroyWindow(s_->display, s_->window);
    XCloseDisplay(s_->display);
    ::close(s_->wake_pipe[0]);
    ::close(s_->wake_pipe[1]);
}

void X11Backend::resize_image(Point size)
{
    if (s_->image) {
        s_->image->data = nullptr;
        XDestroyImage(s_->image);
    }
    s_->size = size;
    s_->pixels.assign(static_cast<size_t>(size.x) * size.y, 0);
    s_->image = XCreateImage(s_->display, s_->visual, s_->depth, ZPixmap, 0,
                             reinterpret_cast<char*>(s_->pixels.data()), size.x, size.y, 32, size.x * 4);
}

void X11Backend::attach(WindowManager* manager) { s_->manager = manager; }

int64_t X11Backend::now_ms() { return real_milliseconds(); }

void X11Backend::sleep(int64_t ms)
{
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

unsigned long X11Backend::x_window() const { return s_->window; }

bool X11Backend::mapped() const { return s_->mapped; }

Point X11Backend::screen_size() { return s_->size; }

void X11Backend::set_title(const std::string& title)
{
    const std::string utf8 = cp1252_to_utf8(title);
    const Atom name = XInternAtom(s_->display, "_NET_WM_NAME", False);
    const Atom utf8_string = XInternAtom(s_->display, "UTF8_STRING", False);
    XChangeProperty(s_->display, s_->window, name, utf8_string, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));
    XStoreName(s_->display, s_->window, utf8.c_str());
    XFlush(s_->display);
}

void X11Backend::bell()
{
    XBell(s_->display, 0);
    XFlush(s_->display);
}

void X11Backend::present(const Rect& area)
{
    const Rect r = area.intersected({0, 0, s_->size.x, s_->size.y});
    if (r.empty() || !s_->manager || !s_->mapped) return;
    const PixelBuffer screen{s_->size.x, s_->size.y, s_->size.x * 4, s_->pixels.data()};
    s_->manager->compose(screen, r);
    XPutImage(s_->display, s_->window, s_->gc, s_->image, r.left, r.top, r.left, r.top, r.width(), r.height());
    XFlush(s_->display);
}

void X11Backend::set_cursor(Cursor cursor)
{
    auto it = s_->cursors.find(cursor);
    if (it == s_->cursors.end()) it = s_->cursors.emplace(cursor, XCreateFontCursor(s_->display, cursor_glyph(cursor))).first;
    XDefineCursor(s_->display, s_->window, it->second);
    XFlush(s_->display);
}

bool X11Backend::warp_pointer(Point screen_point)
{
    XWarpPointer(s_->display, None, s_->window, 0, 0, 0, 0, screen_point.x, screen_point.y);
    XFlush(s_->display);
    return false;  // the manager moves its own pointer now; the echo of the move is ignored
}

void X11Backend::wake()
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(s_->wake_pipe[1], &byte, 1);
}

void X11Backend::wait(int64_t timeout_ms)
{
    // While the program has the keyboard, the screen saver stays away (checked each minute
    // at most; the loop's own timer keeps it turning).
    const int64_t now = now_ms();
    if (s_->focused && now - s_->saver_reset > 60000) {
        XResetScreenSaver(s_->display);
        s_->saver_reset = now;
    }
    XFlush(s_->display);
    if (handle_events() || timeout_ms == 0) return;
    pollfd fds[2] = {{ConnectionNumber(s_->display), POLLIN, 0}, {s_->wake_pipe[0], POLLIN, 0}};
    const int limit = timeout_ms < 0 ? -1 : static_cast<int>(std::min<int64_t>(timeout_ms, 1 << 30));
    ::poll(fds, 2, limit);
    char drain[64];
    while (::read(s_->wake_pipe[0], drain, sizeof drain) > 0) {
    }
    handle_events();
}

bool X11Backend::handle_events()
{
    bool any = false;
    while (XPending(s_->display) > 0) {
        XEvent event;
        XNextEvent(s_->display, &event);
        any = true;
        if (XFilterEvent(&event, None)) continue;  // taken by the input method (a dead key)
        WindowManager* m = s_->manager;
        if (!m || s_->drops->handle(event, *m)) continue;
        switch (event.type) {
        case GenericEvent:
            pen_event(s_->display, s_->tablet.get(), s_->xi_opcode, event);
            break;
        case MapNotify:
            s_->mapped = true;
            present({0, 0, s_->size.x, s_->size.y});
            break;
        case Expose:
            present({event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                     event.xexpose.y + event.xexpose.height});
            break;
        case ConfigureNotify:
            if (event.xconfigure.width != s_->size.x || event.xconfigure.height != s_->size.y) {
                resize_image({event.xconfigure.width, event.xconfigure.height});
                m->screen_resized();
            }
            break;
        case KeyPress:
        case KeyRelease:
            handle_key(&event, event.type == KeyPress);
            break;
        case ButtonPress:
        case ButtonRelease: {
            static const MouseButton buttons[] = {ButtonNone, ButtonLeft, ButtonMiddle, ButtonRight};
            if (event.xbutton.button >= 1 && event.xbutton.button <= 3)
                m->inject_mouse_button(buttons[event.xbutton.button], event.type == ButtonPress,
                                       {event.xbutton.x, event.xbutton.y});
            break;
        }
        case MotionNotify: {
            const Point p{event.xmotion.x, event.xmotion.y};
            if (p.x != m->cursor_position().x || p.y != m->cursor_position().y) m->inject_mouse_move(p);
            break;
        }
        case FocusIn:
            s_->focused = true;
            if (s_->input_context) XSetICFocus(s_->input_context);
            break;
        case FocusOut:
            s_->focused = false;
            if (s_->input_context) XUnsetICFocus(s_->input_context);
            m->release_all_keys();  // their releases will go elsewhere
            break;
        case ClientMessage:
            if (static_cast<Atom>(event.xclient.data.l[0]) == s_->delete_atom && m->main_window()) {
                Message close;
                close.window = m->main_window();
                close.kind = MessageKind::Close;
                m->post_message(close);
            }
            break;
        default:
            break;
        }
    }
    return any;
}

void X11Backend::handle_key(void* native, bool down)
{
    XKeyEvent* event = &static_cast<XEvent*>(native)->xkey;
    char text[16] = {};
    KeySym typed = NoSymbol;
    int32_t character = -1;
    if (down && s_->input_context) {
        Status status = 0;
        const int n = Xutf8LookupString(s_->input_context, event, text, sizeof text - 1, &typed, &status);
        const std::string typed_text = (status == XLookupChars || status == XLookupBoth) ? std::string(text, n) : "";
        const std::string cp1252 = utf8_to_cp1252(typed_text);
        if (cp1252.size() == 1) character = static_cast<unsigned char>(cp1252[0]);
    } else {
        const int n = XLookupString(event, text, sizeof text, &typed, nullptr);
        // Latin-1 keysyms give Latin-1 bytes, which are Windows-1252 outside 0x80-0x9F.
        const unsigned char c = static_cast<unsigned char>(text[0]);
        if (n == 1 && !(c >= 0x80 && c < 0xA0)) character = c;
    }
    Key key = key_from_keysym(XLookupKeysym(event, 0));  // the key itself, unshifted
    if (key == KeyNone && character >= 0) key = KeyOther;  // an accented letter of the layout
    if (key != KeyNone) s_->manager->inject_key(key, down, character);
}

}  // namespace platform
