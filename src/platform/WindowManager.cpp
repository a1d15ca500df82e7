#include "platform/WindowManager.h"

#include "platform/Font.h"
#include "platform/Surface.h"

#include <algorithm>
#include <cstdlib>

namespace platform {

namespace {

WindowManager* g_current = nullptr;

constexpr int32_t kCaptionHeight = 20;
constexpr int32_t kToolCaptionHeight = 16;
constexpr int32_t kDoubleClickDistance = 2;  // pixels either way
constexpr int32_t kCornerReach = 8;          // a border this close to a corner takes both edges
constexpr int32_t kMinimumClient = 10;       // a window resized by hand keeps this much client
constexpr uint32_t kBorderColour = 0x404040;
constexpr uint32_t kActiveCaption = 0x2A5AA0;
constexpr uint32_t kInactiveCaption = 0x8C8C8C;
constexpr uint32_t kDesktopColour = 0x506070;

void fill(const PixelBuffer& buffer, const Rect& area, uint32_t rgb)
{
    const Rect r = area.intersected({0, 0, buffer.width, buffer.height});
    const uint32_t pixel = opaque(rgb);
    for (int32_t y = r.top; y < r.bottom; ++y) std::fill(buffer.row(y) + r.left, buffer.row(y) + r.right, pixel);
}

}  // namespace

struct WindowManager::WindowClass {
    WindowClassInfo info;
};

struct WindowManager::Window {
    WindowId id = 0;
    const WindowClass* cls = nullptr;
    std::string title;
    uint32_t style = 0;
    WindowId parent = 0;
    WindowId owner = 0;
    int32_t child_id = 0;
    intptr_t user_data = 0;
    Rect rect;          // outer, parent's client coordinates
    Rect restore_rect;  // before maximising
    bool maximized = false;
    bool visible = false;
    bool enabled = true;
    bool accepts_drops = false;
    bool topmost = false;
    bool dying = false;
    FrameStrip* strip = nullptr;  // not owned
    std::vector<WindowId> children;  // front first
    Rect update;
    bool erase = false;
    std::vector<uint32_t> store;
    int32_t store_width = 0;
    int32_t store_height = 0;
};

WindowManager::WindowManager(std::unique_ptr<Backend> backend) : backend_(std::move(backend))
{
    g_current = this;
    backend_->attach(this);
    screen_size_ = backend_->screen_size();
}

WindowManager::~WindowManager()
{
    while (!top_levels_.empty()) destroy_window(top_levels_.back());
    if (g_current == this) g_current = nullptr;
}

WindowManager* WindowManager::current() { return g_current; }

// ---------------------------------------------------------------- classes and windows

bool WindowManager::register_class(const WindowClassInfo& info)
{
    if (info.name.empty() || !info.procedure || classes_.count(info.name)) return false;
    classes_[info.name] = std::make_unique<WindowClass>(WindowClass{info});
    return true;
}

WindowManager::Window* WindowManager::find(WindowId window)
{
    auto it = windows_.find(window);
    return it == windows_.end() || it->second->dying ? nullptr : it->second.get();
}

const WindowManager::Window* WindowManager::find(WindowId window) const
{
    auto it = windows_.find(window);
    return it == windows_.end() || it->second->dying ? nullptr : it->second.get();
}

bool WindowManager::exists(WindowId window) const { return find(window) != nullptr; }

std::vector<WindowId>& WindowManager::siblings(const Window& w)
{
    return w.parent ? windows_.at(w.parent)->children : top_levels_;
}

const std::vector<WindowId>& WindowManager::siblings(const Window& w) const
{
    return w.parent ? windows_.at(w.parent)->children : top_levels_;
}

WindowId WindowManager::create_window(const WindowOptions& options)
{
    auto cls = classes_.find(options.class_name);
    if (cls == classes_.end()) return 0;
    const bool child = (options.style & StyleChild) != 0;
    if (child && !find(options.parent)) return 0;

    auto w = std::make_unique<Window>();
    w->id = next_id_++;
    w->cls = cls->second.get();
    w->title = options.title;
    w->style = options.style;
    w->parent = child ? options.parent : 0;
    w->owner = child ? 0 : (find(options.owner) ? options.owner : 0);
    w->child_id = options.child_id;
    w->user_data = options.user_data;
    w->rect = options.rect;
    w->enabled = (options.style & StyleDisabled) == 0;
    w->topmost = !child && (options.style & StyleTopmost);
    const WindowId id = w->id;
    Window& record = *w;
    windows_[id] = std::move(w);
    std::vector<WindowId>& list = siblings(record);
    list.push_back(id);  // created at the bottom, raised below
    raise_in_siblings(id);
    if (options.style & StyleMaximized) {
        record.restore_rect = record.rect;
        record.maximized = true;
        record.rect = parent_client_size(record);
    }
    resize_store(record);

    Message create = make(id, MessageKind::Create);
    send_message(id, create);
    if (!exists(id)) return 0;
    Message size = make(id, MessageKind::Size);
    size.x = client_rect(id).width();
    size.y = client_rect(id).height();
    send_message(id, size);
    if (!exists(id)) return 0;
    if (id == main_window()) backend_->set_title(options.title);
    if (options.style & StyleVisible) show_window(id, true);
    return exists(id) ? id : 0;
}

void WindowManager::destroy_window(WindowId window)
{
    Window* w = find(window);
    if (!w) return;
    damage_window(*w);
    w->dying = true;

    // Owned windows go first, as they would be left above nothing.
    std::vector<WindowId> owned;
    for (WindowId t : top_levels_)
        if (windows_.at(t)->owner == window && !windows_.at(t)->dying) owned.push_back(t);
    for (WindowId o : owned) destroy_window(o);

    // The window hears of it before its children do.
    Message destroy = make(window, MessageKind::Destroy);
    if (w->cls->info.procedure) w->cls->info.procedure(window, destroy);
    while (true) {
        Window& self = *windows_.at(window);
        auto alive = std::find_if(self.children.begin(), self.children.end(),
                                  [&](WindowId c) { return !windows_.at(c)->dying; });
        if (alive == self.children.end()) break;
        destroy_window(*alive);
    }
    if (FrameStrip* strip = windows_.at(window)->strip) strip->window_destroyed(window);
    forget(window);
}

void WindowManager::forget(WindowId window)
{
    Window& w = *windows_.at(window);
    timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                                 [&](const Timer& t) { return t.window == window; }),
                  timers_.end());
    if (capture_ == window) capture_ = 0;
    if (focus_ == window) focus_ = 0;
    if (last_press_window_ == window) last_press_window_ = 0;
    if (frame_drag_.window == window) frame_drag_ = FrameDrag{};
    std::vector<WindowId>& list = siblings(w);
    list.erase(std::remove(list.begin(), list.end(), window), list.end());
    const bool was_active = active_ == window;
    if (was_active) active_ = 0;
    const WindowId owner = w.owner;
    windows_.erase(window);
    if (was_active) {
        if (exists(owner) && is_shown(owner)) activate_window(owner);
        else activate_other(0);
    }
}

WindowId WindowManager::parent(WindowId window) const
{
    const Window* w = find(window);
    return w ? w->parent : 0;
}

WindowId WindowManager::owner(WindowId window) const
{
    const Window* w = find(window);
    return w ? w->owner : 0;
}

WindowId WindowManager::top_level(WindowId window) const
{
    const Window* w = find(window);
    while (w && w->parent) w = find(w->parent);
    return w ? w->id : 0;
}

std::vector<WindowId> WindowManager::children(WindowId window) const
{
    const Window* w = find(window);
    std::vector<WindowId> out;
    if (w)
        for (WindowId c : w->children)
            if (exists(c)) out.push_back(c);
    return out;
}

std::vector<WindowId> WindowManager::top_level_windows() const
{
    std::vector<WindowId> out;
    for (WindowId t : top_levels_)
        if (exists(t)) out.push_back(t);
    return out;
}

WindowId WindowManager::next_window(WindowId window) const
{
    const Window* w = find(window);
    if (!w) return 0;
    const std::vector<WindowId>& list = siblings(*w);
    auto it = std::find(list.begin(), list.end(), window);
    for (++it; it != list.end(); ++it)
        if (exists(*it)) return *it;
    return 0;
}

WindowId WindowManager::main_window() const
{
    WindowId oldest = 0;
    for (WindowId t : top_levels_)
        if (exists(t) && (oldest == 0 || t < oldest)) oldest = t;
    return oldest;
}

std::string WindowManager::class_name(WindowId window) const
{
    const Window* w = find(window);
    return w ? w->cls->info.name : std::string();
}

uint32_t WindowManager::class_background(WindowId window) const
{
    const Window* w = find(window);
    return w ? w->cls->info.background : 0xFFFFFF;
}

Cursor WindowManager::class_cursor(WindowId window) const
{
    const Window* w = find(window);
    return w ? w->cls->info.cursor : Cursor::Arrow;
}

bool WindowManager::class_has_own_surface(WindowId window) const
{
    const Window* w = find(window);
    return w && (w->cls->info.style & ClassOwnSurface);
}

uint32_t WindowManager::style(WindowId window) const
{
    const Window* w = find(window);
    return w ? w->style : 0;
}

int32_t WindowManager::child_id(WindowId window) const
{
    const Window* w = find(window);
    return w ? w->child_id : 0;
}

intptr_t WindowManager::user_data(WindowId window) const
{
    const Window* w = find(window);
    return w ? w->user_data : 0;
}

void WindowManager::set_user_data(WindowId window, intptr_t data)
{
    if (Window* w = find(window)) w->user_data = data;
}

std::string WindowManager::title(WindowId window) const
{
    const Window* w = find(window);
    return w ? w->title : std::string();
}

void WindowManager::set_title(WindowId window, const std::string& title)
{
    if (Window* w = find(window)) {
        w->title = title;
        damage_window(*w);
        if (window == main_window()) backend_->set_title(title);
    }
}

// ---------------------------------------------------------------- geometry

WindowManager::Insets WindowManager::insets(const Window& w)
{
    const uint32_t style = w.style;
    Insets in;
    int32_t border = 0;
    if (style & (StyleCaption | StyleBorder | StyleToolCaption)) border = 1;
    if (style & StyleSizing) border = 3;
    in.left = in.right = in.bottom = in.top = border;
    if (style & StyleToolCaption) in.top += kToolCaptionHeight;
    else if (style & StyleCaption) in.top += kCaptionHeight;
    if (w.strip) in.top += w.strip->height();
    return in;
}

Rect WindowManager::client_rect_in_parent(const Window& w) const
{
    const Insets in = insets(w);
    Rect r{w.rect.left + in.left, w.rect.top + in.top, w.rect.right - in.right, w.rect.bottom - in.bottom};
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

Rect WindowManager::screen_client_rect(const Window& w) const
{
    Rect r = client_rect_in_parent(w);
    if (w.parent) {
        const Rect p = screen_client_rect(*windows_.at(w.parent));
        r = r.moved(p.left, p.top);
    }
    return r;
}

Rect WindowManager::parent_client_size(const Window& w) const
{
    if (w.parent) {
        const Rect p = client_rect_in_parent(*windows_.at(w.parent));
        return {0, 0, p.width(), p.height()};
    }
    return {0, 0, screen_size_.x, screen_size_.y};
}

Rect WindowManager::window_rect(WindowId window) const
{
    const Window* w = find(window);
    return w ? w->rect : Rect{};
}

Rect WindowManager::client_rect(WindowId window) const
{
    const Window* w = find(window);
    if (!w) return {};
    const Rect r = client_rect_in_parent(*w);
    return {0, 0, r.width(), r.height()};
}

Point WindowManager::client_to_screen(WindowId window, Point p) const
{
    const Window* w = find(window);
    if (!w) return p;
    const Rect r = screen_client_rect(*w);
    return {p.x + r.left, p.y + r.top};
}

Point WindowManager::screen_to_client(WindowId window, Point p) const
{
    const Window* w = find(window);
    if (!w) return p;
    const Rect r = screen_client_rect(*w);
    return {p.x - r.left, p.y - r.top};
}

Rect WindowManager::screen_window_rect(WindowId window) const
{
    const Window* w = find(window);
    if (!w) return {};
    if (!w->parent) return w->rect;
    const Rect p = screen_client_rect(*windows_.at(w->parent));
    return w->rect.moved(p.left, p.top);
}

uint32_t WindowManager::frame_part(WindowId window, Point p) const
{
    const Window* w = find(window);
    if (!w) return FrameNone;
    const Rect outer = screen_window_rect(window);
    const Rect inner = screen_client_rect(*w);
    if (!outer.contains(p) || inner.contains(p)) return FrameNone;
    const Insets in = insets(*w);
    if ((w->style & StyleSizing) && !w->maximized) {
        uint32_t edges = FrameNone;
        const bool near_left = p.x < outer.left + in.left, near_right = p.x >= outer.right - in.right;
        const bool near_top = p.y < outer.top + in.left, near_bottom = p.y >= outer.bottom - in.bottom;
        if (near_left || near_right) {
            edges |= near_left ? FrameLeft : FrameRight;
            if (p.y < outer.top + kCornerReach) edges |= FrameTop;
            if (p.y >= outer.bottom - kCornerReach) edges |= FrameBottom;
        }
        if (near_top || near_bottom) {
            edges |= near_top ? FrameTop : FrameBottom;
            if (p.x < outer.left + kCornerReach) edges |= FrameLeft;
            if (p.x >= outer.right - kCornerReach) edges |= FrameRight;
        }
        if (edges) return edges;
    }
    if (p.y >= inner.top || p.y < outer.top + in.left) return FrameNone;  // a plain border
    if (w->strip && p.y >= inner.top - w->strip->height()) return FrameStripPart;
    const int32_t box = in.top - in.left - 4 - (w->strip ? w->strip->height() : 0);
    if ((w->style & StyleCloseBox) && p.x >= outer.right - in.right - box - 2) return FrameCloseBox;
    return FrameCaption;
}

void WindowManager::drag_frame(const Input& input)
{
    if (input.kind == Input::Button && !input.down && input.button == ButtonLeft) {
        frame_drag_ = FrameDrag{};
        return;
    }
    if (input.kind != Input::Move) return;
    const Window* w = find(frame_drag_.window);
    if (!w) return;
    const int32_t dx = input.pos.x - frame_drag_.start.x, dy = input.pos.y - frame_drag_.start.y;
    Rect r = frame_drag_.start_rect;
    const uint32_t part = frame_drag_.part;
    if (part == FrameCaption) {
        r = r.moved(dx, dy);
    } else {
        const Insets in = insets(*w);
        const int32_t min_w = in.left + in.right + kMinimumClient, min_h = in.top + in.bottom + kMinimumClient;
        if (part & FrameLeft) r.left = std::min(r.left + dx, r.right - min_w);
        if (part & FrameRight) r.right = std::max(r.right + dx, r.left + min_w);
        if (part & FrameTop) r.top = std::min(r.top + dy, r.bottom - min_h);
        if (part & FrameBottom) r.bottom = std::max(r.bottom + dy, r.top + min_h);
    }
    if (r != w->rect) set_window_rect(frame_drag_.window, r);
}

void WindowManager::set_window_rect(WindowId window, const Rect& rect)
{
    Window* w = find(window);
    if (!w) return;
    const Rect old_client = client_rect(window);
    const Rect old_in_parent = client_rect_in_parent(*w);
    damage_window(*w);
    w->rect = rect;
    w->maximized = false;
    resize_store(*w);
    damage_window(*w);
    const Rect in_parent = client_rect_in_parent(*w);
    if (in_parent.left != old_in_parent.left || in_parent.top != old_in_parent.top) {
        Message move = make(window, MessageKind::Move);
        move.x = in_parent.left;
        move.y = in_parent.top;
        send_message(window, move);
    }
    const Rect client = client_rect(window);
    if (exists(window) && client != old_client) {
        invalidate(window, nullptr, true);
        Message size = make(window, MessageKind::Size);
        size.x = client.width();
        size.y = client.height();
        send_message(window, size);
        refit_maximized(window);
    }
}

void WindowManager::refit_maximized(WindowId parent)
{
    const std::vector<WindowId> list = parent ? children(parent) : top_level_windows();
    for (WindowId c : list) {
        Window* w = find(c);
        if (!w || !w->maximized) continue;
        const Rect target = parent_client_size(*w);
        if (w->rect != target) {
            set_window_rect(c, target);
            if (Window* again = find(c)) again->maximized = true;
        }
    }
}

void WindowManager::screen_resized()
{
    screen_size_ = backend_->screen_size();
    refit_maximized(0);
    damage_screen({0, 0, screen_size_.x, screen_size_.y});
}

void WindowManager::resize_store(Window& w)
{
    const Rect c = client_rect_in_parent(w);
    if (c.width() == w.store_width && c.height() == w.store_height) return;
    std::vector<uint32_t> store(static_cast<size_t>(c.width()) * c.height(), opaque(w.cls->info.background));
    const int32_t keep_w = std::min(c.width(), w.store_width);
    const int32_t keep_h = std::min(c.height(), w.store_height);
    for (int32_t y = 0; y < keep_h; ++y)
        std::copy_n(w.store.begin() + static_cast<size_t>(y) * w.store_width, keep_w,
                    store.begin() + static_cast<size_t>(y) * c.width());
    w.store.swap(store);
    w.store_width = c.width();
    w.store_height = c.height();
    w.update = w.update.intersected({0, 0, c.width(), c.height()});
}

WindowId WindowManager::hit_test(const std::vector<WindowId>& list, Point p, Point origin, bool* client) const
{
    for (WindowId id : list) {
        const Window* w = find(id);
        if (!w || !w->visible) continue;
        const Rect outer = w->rect.moved(origin.x, origin.y);
        if (!outer.contains(p)) continue;
        const Rect inner = client_rect_in_parent(*w).moved(origin.x, origin.y);
        if (!inner.contains(p)) {
            *client = false;
            return id;
        }
        const WindowId deeper = hit_test(w->children, p, {inner.left, inner.top}, client);
        if (deeper) return deeper;
        *client = true;
        return id;
    }
    return 0;
}

WindowId WindowManager::window_at(Point screen_point) const
{
    bool client = false;
    return hit_test(top_levels_, screen_point, {0, 0}, &client);
}

WindowId WindowManager::drop_target(Point screen_point) const
{
    WindowId w = window_at(screen_point);
    while (w && !find(w)->accepts_drops) w = parent(w);
    return w;
}

// ---------------------------------------------------------------- state

void WindowManager::show_window(WindowId window, bool show)
{
    Window* w = find(window);
    if (!w || w->visible == show) return;
    w->visible = show;
    damage_window(*w);
    if (show) {
        invalidate(window, nullptr, true);
        if (!w->parent && !active_ && is_enabled(window)) activate_window(window);  // the first one
        return;
    }
    if (capture_ && (capture_ == window || !is_shown(capture_))) release_capture();
    if (active_ && !is_shown(active_)) activate_other(active_);
    if (focus_ && !is_shown(focus_)) set_focus(active_);
}

bool WindowManager::is_visible(WindowId window) const
{
    const Window* w = find(window);
    return w && w->visible;
}

bool WindowManager::is_shown(WindowId window) const
{
    const Window* w = find(window);
    while (w && w->visible) {
        if (!w->parent) return true;
        w = find(w->parent);
    }
    return false;
}

void WindowManager::enable_window(WindowId window, bool enable)
{
    Window* w = find(window);
    if (!w) return;
    w->enabled = enable;
    if (!enable && focus_ && !is_enabled(focus_)) set_focus(0);
    if (!enable && capture_ && !is_enabled(capture_)) release_capture();
}

bool WindowManager::is_enabled(WindowId window) const
{
    const Window* w = find(window);
    while (w && w->enabled) {
        if (!w->parent) return true;
        w = find(w->parent);
    }
    return false;
}

void WindowManager::raise_in_siblings(WindowId window)
{
    Window& w = *windows_.at(window);
    std::vector<WindowId>& list = siblings(w);
    list.erase(std::remove(list.begin(), list.end(), window), list.end());
    // Topmost windows stay in front of the others.
    auto at = list.begin();
    if (!w.topmost)
        while (at != list.end() && windows_.at(*at)->topmost) ++at;
    list.insert(at, window);
}

void WindowManager::bring_to_top(WindowId window)
{
    Window* w = find(window);
    if (!w) return;
    raise_in_siblings(window);
    damage_window(*w);
    if (w->parent) return;
    // Owned windows stay above their owner, in the order they had.
    std::vector<WindowId> owned;
    for (WindowId t : top_levels_)
        if (exists(t) && windows_.at(t)->owner == window) owned.push_back(t);
    for (auto it = owned.rbegin(); it != owned.rend(); ++it) bring_to_top(*it);
}

void WindowManager::set_topmost(WindowId window, bool topmost)
{
    Window* w = find(window);
    if (!w || w->parent) return;
    w->topmost = topmost;
    bring_to_top(window);
}

bool WindowManager::is_topmost(WindowId window) const
{
    const Window* w = find(window);
    return w && w->topmost;
}

void WindowManager::maximize_window(WindowId window)
{
    Window* w = find(window);
    if (!w || w->maximized) return;
    const Rect before = w->rect;
    set_window_rect(window, parent_client_size(*w));
    if ((w = find(window))) {
        w->restore_rect = before;
        w->maximized = true;
    }
}

void WindowManager::restore_window(WindowId window)
{
    Window* w = find(window);
    if (!w || !w->maximized) return;
    set_window_rect(window, w->restore_rect);
}

bool WindowManager::is_maximized(WindowId window) const
{
    const Window* w = find(window);
    return w && w->maximized;
}

void WindowManager::activate_window(WindowId window)
{
    const WindowId top = top_level(window);
    if (!top) return;
    bring_to_top(top);
    if (top == active_) return;
    const WindowId old = active_;
    active_ = top;
    if (Window* o = find(old)) {
        damage_window(*o);
        Message leave = make(old, MessageKind::Activate);
        leave.flag = 0;
        send_message(old, leave);
    }
    if (active_ != top || !exists(top)) return;
    Message enter = make(top, MessageKind::Activate);
    enter.flag = 1;
    send_message(top, enter);
    if (active_ == top && exists(top) && top_level(focus_) != top) set_focus(top);
}

void WindowManager::activate_other(WindowId leaving)
{
    for (WindowId t : top_levels_)
        if (t != leaving && is_shown(t) && is_enabled(t)) {
            activate_window(t);
            return;
        }
    active_ = 0;
    set_focus(0);
}

void WindowManager::set_focus(WindowId window)
{
    if (window && !exists(window)) return;
    if (window == focus_) return;
    const WindowId old = focus_;
    focus_ = window;
    if (exists(old)) {
        Message kill = make(old, MessageKind::KillFocus);
        kill.param1 = window;
        send_message(old, kill);
    }
    if (!window || focus_ != window || !exists(window)) return;
    if (top_level(window) != active_) activate_window(window);
    if (focus_ != window) return;
    Message set = make(window, MessageKind::SetFocus);
    set.param1 = old;
    send_message(window, set);
}

void WindowManager::set_capture(WindowId window)
{
    if (!exists(window) || window == capture_) return;
    const WindowId old = capture_;
    capture_ = window;
    if (exists(old)) {
        Message lost = make(old, MessageKind::CaptureLost);
        send_message(old, lost);
    }
}

void WindowManager::release_capture()
{
    const WindowId old = capture_;
    capture_ = 0;
    if (exists(old)) {
        Message lost = make(old, MessageKind::CaptureLost);
        send_message(old, lost);
    }
}

void WindowManager::accept_file_drops(WindowId window, bool accept)
{
    if (Window* w = find(window)) w->accepts_drops = accept;
}

void WindowManager::set_frame_strip(WindowId window, FrameStrip* strip)
{
    Window* w = find(window);
    if (!w || w->strip == strip) return;
    const Rect old_client = client_rect_in_parent(*w);
    damage_window(*w);
    w->strip = strip;
    resize_store(*w);
    damage_window(*w);
    // The client area moves and changes size under the strip; the window is told as for a resize.
    const Rect client = client_rect_in_parent(*w);
    if (client.top != old_client.top) {
        Message move = make(window, MessageKind::Move);
        move.x = client.left;
        move.y = client.top;
        send_message(window, move);
    }
    if (exists(window) && client.height() != old_client.height()) {
        invalidate(window, nullptr, true);
        Message size = make(window, MessageKind::Size);
        size.x = client.width();
        size.y = client.height();
        send_message(window, size);
        refit_maximized(window);
    }
}

FrameStrip* WindowManager::frame_strip(WindowId window) const
{
    const Window* w = find(window);
    return w ? w->strip : nullptr;
}

void WindowManager::redraw_frame(WindowId window)
{
    if (const Window* w = find(window)) damage_window(*w);
}

WindowId WindowManager::front_document(WindowId area) const
{
    for (WindowId c : children(area))
        if ((style(c) & StyleDocument) && is_visible(c)) return c;
    return 0;
}

void WindowManager::activate_document(WindowId document)
{
    Window* w = find(document);
    if (!w || !(w->style & StyleDocument)) return;
    const WindowId front = front_document(w->parent);
    if (front && front != document && is_maximized(front) && !is_maximized(document)) {
        restore_window(front);
        maximize_window(document);
    }
    bring_to_top(document);
}

bool WindowManager::translate_document_keys(WindowId area, const Message& message)
{
    if (message.kind != MessageKind::KeyDown || !(message.modifiers & ModControl)) return false;
    const WindowId front = front_document(area);
    if (!front) return false;
    if (message.key == function_key(4)) {
        Message close = make(front, MessageKind::Close);
        post_message(close);
        return true;
    }
    if (message.key == function_key(6)) {
        // The front one goes to the back, so repeated presses cycle through them all.
        std::vector<WindowId> documents;
        for (WindowId c : children(area))
            if ((style(c) & StyleDocument) && is_visible(c)) documents.push_back(c);
        if (documents.size() < 2) return true;
        activate_document(documents[1]);
        std::vector<WindowId>& list = windows_.at(area)->children;
        list.erase(std::remove(list.begin(), list.end(), front), list.end());
        list.push_back(front);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- painting

void WindowManager::invalidate(WindowId window, const Rect* area, bool erase)
{
    Window* w = find(window);
    if (!w) return;
    const Rect whole{0, 0, w->store_width, w->store_height};
    const Rect r = area ? area->intersected(whole) : whole;
    if (r.empty()) return;
    w->update = w->update.united(r);
    w->erase = w->erase || erase;
}

void WindowManager::validate(WindowId window)
{
    if (Window* w = find(window)) {
        w->update = Rect{};
        w->erase = false;
    }
}

Rect WindowManager::update_area(WindowId window) const
{
    const Window* w = find(window);
    return w ? w->update : Rect{};
}

void WindowManager::update_window(WindowId window)
{
    Window* w = find(window);
    if (!w || w->update.empty() || !is_shown(window)) return;
    Message paint = make(window, MessageKind::Paint);
    dispatch_message(paint);
}

PaintContext WindowManager::begin_paint(WindowId window)
{
    PaintContext context;
    Window* w = find(window);
    if (!w) return context;
    context.area = w->update;
    const bool erase = w->erase;
    w->update = Rect{};
    w->erase = false;
    if (painting_ == window) painted_ = true;
    context.pixels = pixels(window);
    if (erase && !context.area.empty()) {
        Message message = make(window, MessageKind::EraseBackground);
        message.param1 = reinterpret_cast<intptr_t>(&context);
        context.erased = send_message(window, message) != 0;
    }
    return context;
}

void WindowManager::end_paint(WindowId window, const PaintContext& context) { flush(window, context.area); }

PixelBuffer WindowManager::pixels(WindowId window)
{
    Window* w = find(window);
    if (!w || w->store.empty()) return {};
    return {w->store_width, w->store_height, w->store_width * 4, w->store.data()};
}

void WindowManager::flush(WindowId window, const Rect& area)
{
    Window* w = find(window);
    if (!w || !is_shown(window)) return;
    const Rect client = screen_client_rect(*w);
    damage_screen(area.moved(client.left, client.top).intersected(client));
}

void WindowManager::damage_window(const Window& w)
{
    if (!is_shown(w.id)) return;
    Rect outer = w.rect;
    if (w.parent) {
        const Rect p = screen_client_rect(*windows_.at(w.parent));
        outer = outer.moved(p.left, p.top).intersected(p);
    }
    damage_screen(outer);
}

void WindowManager::damage_screen(const Rect& screen_area)
{
    screen_damage_ = screen_damage_.united(screen_area.intersected({0, 0, screen_size_.x, screen_size_.y}));
}

void WindowManager::present_damage()
{
    if (screen_damage_.empty()) return;
    const Rect area = screen_damage_;
    screen_damage_ = Rect{};
    backend_->present(area);
}

void WindowManager::compose(const PixelBuffer& screen, const Rect& area) const
{
    const Rect clip = area.intersected({0, 0, screen.width, screen.height});
    fill(screen, clip, kDesktopColour);
    for (auto it = top_levels_.rbegin(); it != top_levels_.rend(); ++it) {
        const Window* w = find(*it);
        if (w && w->visible) compose_window(*w, screen, clip, {0, 0});
    }
    for (const Rect& o : outlines_) {
        // Each edge pixel once, so that the corners invert like the rest.
        const auto invert = [&](int32_t x, int32_t y) {
            if (clip.contains({x, y})) screen.row(y)[x] ^= 0xFFFFFFu;
        };
        for (int32_t x = o.left; x < o.right; ++x) {
            invert(x, o.top);
            if (o.bottom - 1 > o.top) invert(x, o.bottom - 1);
        }
        for (int32_t y = o.top + 1; y < o.bottom - 1; ++y) {
            invert(o.left, y);
            if (o.right - 1 > o.left) invert(o.right - 1, y);
        }
    }
}

void WindowManager::set_screen_outlines(const std::vector<Rect>& outlines)
{
    for (const Rect& o : outlines_) damage_screen(o);
    outlines_ = outlines;
    for (const Rect& o : outlines_) damage_screen(o);
}

namespace {

// The letters of the titles: white, bold.
const std::shared_ptr<const Font>& caption_font()
{
    static const std::shared_ptr<const Font> font = [] {
        FontSpec spec;
        spec.size = 12;
        spec.style = kFontBold;
        return Font::create(spec);
    }();
    return font;
}

// The part of the title bar `caption` that shows the title: after a margin of 4, before the
// close box's square.
Rect caption_text_area(const Rect& caption)
{
    return Rect{caption.left + 4, caption.top, caption.right - caption.height(), caption.bottom};
}

// The title at the left of the title bar, cut before the close box.
void draw_caption_text(const PixelBuffer& screen, const Rect& caption, const Rect& clip, const std::string& title,
                       bool active)
{
    const std::shared_ptr<const Font>& font = caption_font();
    std::unique_ptr<Surface> s = Surface::over_pixels(screen.pixels, screen.width, screen.height, screen.stride);
    if (!s || !font) return;
    const Rect area = Rect{caption.left, caption.top, caption.right - caption.height(), caption.bottom}.intersected(clip);
    if (area.empty()) return;
    s->set_clip({area.left, area.top, area.right, area.bottom});
    s->set_font(font);
    s->set_text_color(active ? 0xFFFFFF : 0xE8E8E8);
    const int32_t baseline = (caption.top + caption.bottom + font->ascent() - font->descent()) / 2;
    s->draw_text(caption_text_area(caption).left, baseline, title);
}

}  // namespace

bool WindowManager::title_fits(WindowId window) const
{
    const Window* w = find(window);
    if (!w || w->title.empty()) return true;
    const Insets in = insets(*w);
    const int32_t strip_height = w->strip ? w->strip->height() : 0;
    if (in.top - strip_height <= in.left) return true;  // no title bar
    const Rect caption{w->rect.left + in.left, w->rect.top + in.left, w->rect.right - in.right,
                       w->rect.top + in.top - 1 - strip_height};
    const std::shared_ptr<const Font>& font = caption_font();
    return font && font->string_width(w->title) <= caption_text_area(caption).width();
}

void WindowManager::compose_window(const Window& w, const PixelBuffer& screen, const Rect& clip, Point origin) const
{
    const Rect outer = w.rect.moved(origin.x, origin.y);
    const Rect visible = outer.intersected(clip);
    if (visible.empty()) return;
    const Rect inner = client_rect_in_parent(w).moved(origin.x, origin.y);
    if (inner != outer) {
        fill(screen, visible, kBorderColour);
        const Insets in = insets(w);
        const int32_t strip_height = w.strip ? w.strip->height() : 0;
        if (in.top - strip_height > in.left) {
            const bool active = w.parent ? siblings(w).front() == w.id : active_ == w.id;
            const Rect caption{outer.left + in.left, outer.top + in.left, outer.right - in.right, inner.top - 1 - strip_height};
            fill(screen, caption.intersected(clip), active ? kActiveCaption : kInactiveCaption);
            if (!w.title.empty()) draw_caption_text(screen, caption, clip, w.title, active);
            if (w.style & StyleCloseBox) {
                // A light square with a dark cross, at the right end of the title bar.
                const int32_t size = caption.height() - 4;
                const Rect box{caption.right - size - 2, caption.top + 2, caption.right - 2, caption.top + 2 + size};
                fill(screen, box.intersected(clip), 0xE0E0E0);
                for (int32_t i = 3; i < size - 3; ++i)
                    for (const Point p : {Point{box.left + i, box.top + i}, Point{box.right - 1 - i, box.top + i}})
                        if (clip.contains(p)) screen.row(p.y)[p.x] = opaque(kBorderColour);
            }
        }
        if (w.strip) {
            const Rect strip{outer.left + in.left, inner.top - w.strip->height(), outer.right - in.right, inner.top};
            const Rect strip_clip = strip.intersected(clip);
            if (!strip_clip.empty()) w.strip->draw(w.id, screen, strip, strip_clip);
        }
    }
    const Rect client = inner.intersected(clip);
    for (int32_t y = client.top; y < client.bottom; ++y) {
        const uint32_t* src = w.store.data() + static_cast<size_t>(y - inner.top) * w.store_width + (client.left - inner.left);
        std::copy_n(src, client.width(), screen.row(y) + client.left);
    }
    for (auto it = w.children.rbegin(); it != w.children.rend(); ++it) {
        const Window* c = find(*it);
        if (c && c->visible) compose_window(*c, screen, client, {inner.left, inner.top});
    }
}

// ---------------------------------------------------------------- messages

Message WindowManager::make(WindowId window, MessageKind kind) const
{
    Message m;
    m.window = window;
    m.kind = kind;
    m.time = backend_->now_ms();
    return m;
}

void WindowManager::post_message(const Message& message)
{
    {
        std::lock_guard<std::mutex> lock(incoming_mutex_);
        incoming_.push_back(message);
        if (incoming_.back().time == 0) incoming_.back().time = backend_->now_ms();
    }
    backend_->wake();
}

void WindowManager::post_quit(int32_t exit_code)
{
    {
        std::lock_guard<std::mutex> lock(incoming_mutex_);
        quit_ = true;
        quit_code_ = exit_code;
    }
    backend_->wake();
}

int64_t WindowManager::next_timer_wait() const
{
    int64_t timeout = -1;
    const int64_t now = backend_->now_ms();
    for (const Timer& t : timers_) {
        const int64_t wait = std::max<int64_t>(0, t.due - now);
        if (timeout < 0 || wait < timeout) timeout = wait;
    }
    return timeout;
}

bool WindowManager::get_message(Message& message)
{
    present_damage();
    while (!take(message, true)) {
        present_damage();
        backend_->wait(next_timer_wait());
    }
    return message.kind != MessageKind::Quit;
}

bool WindowManager::run_until(int64_t time)
{
    Message message;
    while (true) {
        present_damage();
        if (!take(message, true)) {
            const int64_t now = backend_->now_ms();
            if (now >= time) return true;
            const int64_t timer = next_timer_wait();
            backend_->wait(timer < 0 ? time - now : std::min(timer, time - now));
            continue;
        }
        if (message.kind == MessageKind::Quit) {
            post_quit(message.id);
            return false;
        }
        translate_message(message);
        dispatch_message(message);
    }
}

bool WindowManager::peek_message(Message& message, bool remove)
{
    if (take(message, remove)) return true;
    present_damage();
    backend_->wait(0);
    return take(message, remove);
}

WindowId WindowManager::paint_candidate(const std::vector<WindowId>& list) const
{
    for (WindowId id : list) {
        const Window* w = find(id);
        if (!w || !w->visible) continue;
        if (!w->update.empty()) return id;
        if (WindowId c = paint_candidate(w->children)) return c;
    }
    return 0;
}

bool WindowManager::take(Message& message, bool remove)
{
    std::deque<Message> arrived;
    {
        std::lock_guard<std::mutex> lock(incoming_mutex_);
        arrived.swap(incoming_);
    }
    for (Message& m : arrived) ready_.push_back(std::move(m));

    while (!ready_.empty()) {
        if (ready_.front().window && !exists(ready_.front().window)) {
            ready_.pop_front();  // its window is gone
            continue;
        }
        message = ready_.front();
        if (remove) ready_.pop_front();
        return true;
    }
    while (!input_.empty()) {
        const Input input = input_.front();
        input_.pop_front();
        if (!cook(input, message)) continue;
        if (!remove) ready_.push_front(message);
        return true;
    }
    {
        std::lock_guard<std::mutex> lock(incoming_mutex_);
        if (quit_) {
            message = make(0, MessageKind::Quit);
            message.id = quit_code_;
            if (remove) quit_ = false;
            return true;
        }
    }
    if (WindowId w = paint_candidate(top_levels_)) {
        message = make(w, MessageKind::Paint);
        return true;
    }
    const int64_t now = backend_->now_ms();
    Timer* due = nullptr;
    for (Timer& t : timers_)
        if (t.due <= now && (!due || t.due < due->due)) due = &t;
    if (!due) return false;
    message = make(due->window, MessageKind::Timer);
    message.id = due->id;
    if (remove) {
        due->due += due->period;
        if (due->due <= now) due->due = now + due->period;
    }
    return true;
}

bool WindowManager::translate_message(const Message& message)
{
    if (message.kind != MessageKind::KeyDown || message.character < 0) return false;
    Message c = make(message.window, MessageKind::Character);
    c.character = message.character;
    c.modifiers = message.modifiers;
    c.x = message.x;
    c.y = message.y;
    ready_.push_front(c);
    return true;
}

intptr_t WindowManager::dispatch_message(Message& message)
{
    Window* w = find(message.window);
    if (!w) return 0;
    if (message.kind != MessageKind::Paint) return send_message(message.window, message);
    const WindowId outer = painting_;
    const bool outer_painted = painted_;
    painting_ = message.window;
    painted_ = false;
    const intptr_t result = send_message(message.window, message);
    if (!painted_) validate(message.window);  // a procedure that drew nothing gets no repeat
    painting_ = outer;
    painted_ = outer_painted;
    return result;
}

intptr_t WindowManager::send_message(WindowId window, Message& message)
{
    Window* w = find(window);
    if (!w) return 0;
    message.window = window;
    if (message.time == 0) message.time = backend_->now_ms();
    return w->cls->info.procedure(window, message);
}

void WindowManager::set_timer(WindowId window, int32_t id, int32_t period_ms)
{
    if (window && !exists(window)) return;
    const int32_t period = std::max<int32_t>(1, period_ms);
    const int64_t due = backend_->now_ms() + period;
    for (Timer& t : timers_)
        if (t.window == window && t.id == id) {
            t.period = period;
            t.due = due;
            return;
        }
    timers_.push_back({window, id, period, due});
}

bool WindowManager::kill_timer(WindowId window, int32_t id)
{
    auto it = std::find_if(timers_.begin(), timers_.end(),
                           [&](const Timer& t) { return t.window == window && t.id == id; });
    if (it == timers_.end()) return false;
    timers_.erase(it);
    return true;
}

// ---------------------------------------------------------------- input

void WindowManager::inject_key(Key key, bool down, int32_t character)
{
    Input in{Input::KeyInput, cursor_pos_};
    in.key = key;
    in.down = down;
    in.character = character;
    in.time = backend_->now_ms();
    input_.push_back(in);
}

void WindowManager::inject_text(const std::string& cp1252)
{
    for (unsigned char c : cp1252) {
        Key key;
        bool shift;
        if (!key_for_character(c, &key, &shift)) continue;
        if (shift) inject_key(KeyShift, true);
        inject_key(key, true);
        inject_key(key, false);
        if (shift) inject_key(KeyShift, false);
    }
}

void WindowManager::inject_mouse_move(Point screen_point)
{
    cursor_pos_ = screen_point;
    Input in{Input::Move, screen_point};
    in.time = backend_->now_ms();
    if (!input_.empty() && input_.back().kind == Input::Move) input_.back() = in;  // only the latest counts
    else input_.push_back(in);
}

void WindowManager::inject_mouse_button(MouseButton button, bool down, Point screen_point)
{
    if (screen_point.x != cursor_pos_.x || screen_point.y != cursor_pos_.y) inject_mouse_move(screen_point);
    Input in{Input::Button, screen_point};
    in.button = button;
    in.down = down;
    in.time = backend_->now_ms();
    input_.push_back(in);
}

void WindowManager::inject_file_drop(Point screen_point, const std::vector<std::string>& paths)
{
    Input in{Input::Drop, screen_point};
    in.time = backend_->now_ms();
    in.paths = std::make_shared<const std::vector<std::string>>(paths);
    input_.push_back(in);
}

void WindowManager::release_all_keys()
{
    for (int32_t k = 1; k < KeyCodeLimit; ++k)
        if (keys_[k]) inject_key(static_cast<Key>(k), false);
}

bool WindowManager::key_pressed(Key key) const { return key > 0 && key < KeyCodeLimit && keys_[key]; }

int32_t WindowManager::modifiers() const
{
    return (keys_[KeyShift] ? ModShift : 0) | (keys_[KeyControl] ? ModControl : 0) | (keys_[KeyAlt] ? ModAlt : 0);
}

void WindowManager::set_cursor_position(Point screen_point)
{
    if (!backend_->warp_pointer(screen_point)) inject_mouse_move(screen_point);
}

void WindowManager::set_cursor(Cursor cursor)
{
    cursor_ = cursor;
    backend_->set_cursor(cursor);
}

bool WindowManager::cook(const Input& input, Message& message)
{
    if (input.kind != Input::KeyInput) return cook_mouse(input, message);
    if (input.key <= 0 || input.key >= KeyCodeLimit) return false;
    const bool repeat = input.down && keys_[input.key];
    keys_[input.key] = input.down;
    const WindowId target = focus_ ? focus_ : active_;
    if (!target || !is_enabled(target)) return false;
    message = make(target, input.down ? MessageKind::KeyDown : MessageKind::KeyUp);
    message.time = input.time;
    message.key = input.key;
    message.modifiers = modifiers();
    message.repeat = repeat;
    message.character = input.character == kLayoutCharacter
                            ? key_character(static_cast<Key>(input.key), message.modifiers)
                            : input.character;
    const Point p = screen_to_client(target, cursor_pos_);
    message.x = p.x;
    message.y = p.y;
    message.buttons = buttons_;
    return true;
}

bool WindowManager::cook_mouse(const Input& input, Message& message)
{
    if (input.kind == Input::Button) {
        if (input.down) buttons_ |= input.button;
        else buttons_ &= ~input.button;
    }
    if (frame_drag_.window && input.kind != Input::Drop) {
        drag_frame(input);  // the frame being dragged takes the mouse
        return false;
    }
    bool client = true;
    WindowId target = input.kind == Input::Drop ? 0 : capture_;  // files land where they are let go
    if (!target) target = hit_test(top_levels_, input.pos, {0, 0}, &client);
    if (!target) return false;

    if (input.kind == Input::Drop) {
        const WindowId w = drop_target(input.pos);
        if (!w) return false;
        message = make(w, MessageKind::FilesDropped);
        message.paths = input.paths;
        const Point p = screen_to_client(w, input.pos);
        message.x = p.x;
        message.y = p.y;
        return true;
    }

    if (input.kind == Input::Button && input.down && !capture_) {
        if (!is_enabled(target)) return false;
        // A press raises the document window it lands in and activates its top-level window.
        for (WindowId w = target; w; w = parent(w))
            if (style(w) & StyleDocument) activate_document(w);
        activate_window(target);
        if (!exists(target)) return false;
    }
    if (!capture_ && input.kind == Input::Move) {
        Message set = make(target, MessageKind::SetCursor);
        set.flag = client ? 1 : 0;
        send_message(target, set);
        if (!exists(target)) return false;
    }
    if (!client && input.kind == Input::Button && input.down && input.button == ButtonLeft && !capture_) {
        const uint32_t part = frame_part(target, input.pos);
        if (part == FrameStripPart) {
            const Rect inner = screen_client_rect(*windows_.at(target));
            FrameStrip* strip = windows_.at(target)->strip;
            strip->press(target, {input.pos.x - inner.left, input.pos.y - (inner.top - strip->height())});
        } else if (part == FrameCloseBox) {
            post_message(make(target, MessageKind::Close));
        } else if (part && !(part == FrameCaption && is_maximized(target))) {
            frame_drag_ = {target, part, input.pos, windows_.at(target)->rect};
        }
        return false;
    }
    if (!client || !is_enabled(target)) return false;

    MessageKind kind = MessageKind::MouseMove;
    if (input.kind == Input::Button) kind = input.down ? MessageKind::ButtonDown : MessageKind::ButtonUp;
    if (kind == MessageKind::ButtonDown) {
        const bool doubled = (windows_.at(target)->cls->info.style & ClassDoubleClicks) &&
                             last_press_window_ == target && last_press_button_ == input.button &&
                             input.time - last_press_time_ <= double_click_ms_ &&
                             std::abs(input.pos.x - last_press_pos_.x) <= kDoubleClickDistance &&
                             std::abs(input.pos.y - last_press_pos_.y) <= kDoubleClickDistance;
        if (doubled) {
            kind = MessageKind::DoubleClick;
            last_press_window_ = 0;  // a third press starts again
        } else {
            last_press_window_ = target;
            last_press_button_ = input.button;
            last_press_time_ = input.time;
            last_press_pos_ = input.pos;
        }
    }
    message = make(target, kind);
    message.time = input.time;
    message.button = input.kind == Input::Button ? input.button : 0;
    message.buttons = buttons_;
    message.modifiers = modifiers();
    const Point p = screen_to_client(target, input.pos);
    message.x = p.x;
    message.y = p.y;
    return true;
}

// ---------------------------------------------------------------- default processing

intptr_t default_window_proc(WindowId window, Message& message)
{
    WindowManager* manager = WindowManager::current();
    if (!manager) return 0;
    switch (message.kind) {
    case MessageKind::Close:
        manager->destroy_window(window);
        return 0;
    case MessageKind::EraseBackground: {
        const auto* context = reinterpret_cast<const PaintContext*>(message.param1);
        if (!context) return 0;
        fill(context->pixels, context->area, manager->class_background(window));
        return 1;
    }
    case MessageKind::SetCursor:
        manager->set_cursor(message.flag ? manager->class_cursor(window) : Cursor::Arrow);
        return 1;
    case MessageKind::Paint: {
        const PaintContext context = manager->begin_paint(window);
        manager->end_paint(window, context);
        return 0;
    }
    default:
        return 0;
    }
}

}  // namespace platform
