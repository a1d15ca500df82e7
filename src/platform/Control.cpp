#include "platform/Control.h"
#include "platform/WindowPaint.h"

#include "platform/WindowManager.h"

#include <map>

namespace platform {

namespace {

const char* class_of(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Button: return "BUTTON";
    case ControlKind::List: return "LISTBOX";
    case ControlKind::Combo: return "COMBOBOX";
    case ControlKind::Scroll: return "SCROLLBAR";
    case ControlKind::Edit: return "EDIT";
    }
    return "";
}

Control* make_control(ControlKind kind, WindowId window, uint32_t flags)
{
    switch (kind) {
    case ControlKind::Button: return new ButtonControl(window, flags);
    case ControlKind::List: return new ListControl(ControlKind::List, window, flags);
    case ControlKind::Combo: return new ComboControl(window, flags);
    case ControlKind::Scroll: return new ScrollControl(window, flags);
    case ControlKind::Edit: return new EditControl(window, flags);
    }
    return nullptr;
}

// The control of each control window. A window being destroyed no longer answers for its
// own data, so the controls are kept here.
std::map<WindowId, Control*>& controls()
{
    static std::map<WindowId, Control*> all;
    return all;
}

}  // namespace

Control::Control(ControlKind kind, WindowId window, uint32_t flags)
    : kind_(kind), window_(window), flags_(flags)
{
    set_font({"MS Sans Serif", 11, 0, 0});
}

Control::~Control() = default;

WindowId Control::create(ControlKind kind, WindowId parent, int32_t id, uint32_t flags,
                         const Rect& rect)
{
    WindowManager* wm = WindowManager::current();
    if (!wm || !parent) return 0;
    WindowClassInfo info;
    info.name = class_of(kind);
    info.procedure = procedure;
    info.style = kind == ControlKind::List ? (uint32_t)ClassDoubleClicks : 0u;
    info.background = kind == ControlKind::Button || kind == ControlKind::Scroll ? kButtonFace
                                                                                 : 0xFFFFFF;
    info.cursor = kind == ControlKind::Edit ? Cursor::Text : Cursor::Arrow;
    wm->register_class(info);  // false once registered: the class is there
    WindowOptions o;
    o.class_name = info.name;
    o.style = StyleChild;
    o.rect = rect;
    o.parent = parent;
    o.child_id = id;
    const WindowId window = wm->create_window(o);
    if (window) controls()[window] = make_control(kind, window, flags);
    return window;
}

Control* Control::of(WindowId window)
{
    WindowManager* wm = WindowManager::current();
    if (!wm || !wm->exists(window)) return nullptr;
    auto it = controls().find(window);
    return it == controls().end() ? nullptr : it->second;
}

WindowManager& Control::wm() const { return *WindowManager::current(); }

int32_t Control::client_width() const { return wm().client_rect(window_).width(); }
int32_t Control::client_height() const { return wm().client_rect(window_).height(); }

bool Control::has_focus() const { return wm().focus() == window_; }

void Control::set_font(const FontSpec& spec)
{
    font_ = Font::create(spec);
    redraw();
}

void Control::set_text(const std::string& text)
{
    text_ = text;
    redraw();
}

void Control::redraw()
{
    WindowManager* m = WindowManager::current();
    if (m && m->exists(window_)) m->invalidate(window_, nullptr, false);
}

void Control::notify(int32_t code)
{
    const WindowId parent = wm().parent(window_);
    if (!parent) return;
    Message m;
    m.window = parent;
    m.kind = MessageKind::Command;
    m.id = wm().child_id(window_);
    m.param1 = window_;
    m.param2 = code;
    m.time = wm().now();
    wm().send_message(parent, m);
}

void Control::bevel(Surface& s, const Box& b, bool sunken)
{
    const int32_t dark = 0x808080, light = 0xFFFFFF;
    s.fill({b.left, b.top, b.right, b.top + 1}, sunken ? dark : light);
    s.fill({b.left, b.top, b.left + 1, b.bottom}, sunken ? dark : light);
    s.fill({b.left, b.bottom - 1, b.right, b.bottom}, sunken ? light : dark);
    s.fill({b.right - 1, b.top, b.right, b.bottom}, sunken ? light : dark);
}

void Control::arrow_button(Surface& s, const Box& b, Arrow way)
{
    s.fill(b, kButtonFace);
    bevel(s, b, false);
    const int32_t cx = (b.left + b.right) / 2, cy = (b.top + b.bottom) / 2;
    // Four rows (or columns) growing from the tip, which lies towards `way`.
    for (int32_t i = 0; i < 4; i++) {
        switch (way) {
        case Arrow::up: s.fill({cx - i, cy - 2 + i, cx + i + 1, cy - 1 + i}, 0); break;
        case Arrow::down: s.fill({cx - i, cy + 1 - i, cx + i + 1, cy + 2 - i}, 0); break;
        case Arrow::left: s.fill({cx - 2 + i, cy - i, cx - 1 + i, cy + i + 1}, 0); break;
        case Arrow::right: s.fill({cx + 1 - i, cy - i, cx + 2 - i, cy + i + 1}, 0); break;
        }
    }
}

intptr_t Control::handle(Message& m)
{
    switch (m.kind) {
    case MessageKind::SetFocus:
    case MessageKind::KillFocus:
    case MessageKind::Size:
    case MessageKind::Move: redraw(); return 0;
    default: return default_window_proc(window_, m);
    }
}

intptr_t Control::procedure(WindowId window, Message& m)
{
    WindowManager& wm = *WindowManager::current();
    auto it = controls().find(window);
    if (it == controls().end()) return default_window_proc(window, m);
    Control* c = it->second;
    if (m.kind == MessageKind::Destroy) {
        controls().erase(it);
        delete c;
        return 0;
    }
    if (m.kind == MessageKind::Paint) {
        paint_window(wm, window, c->font_, [c](Surface& s, int32_t w, int32_t h) { c->paint(s, w, h); });
        return 0;
    }
    if ((m.kind == MessageKind::ButtonDown || m.kind == MessageKind::DoubleClick) &&
        !wm.is_enabled(window))
        return 0;
    return c->handle(m);
}

}  // namespace platform
