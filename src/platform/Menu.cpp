#include "platform/Menu.h"

#include "platform/FrameStrip.h"
#include "platform/Surface.h"
#include "platform/WindowManager.h"

#include <algorithm>
#include <map>
#include <memory>

namespace platform {

namespace {

// Look of the menus. Colours of the drawing surface are 0x00BBGGRR.
constexpr int32_t kBarHeight = 20;
constexpr int32_t kBarPadding = 8;      // on each side of a bar title
constexpr int32_t kItemHeight = 20;
constexpr int32_t kSeparatorHeight = 8;
constexpr int32_t kCheckWidth = 18;     // room for the check mark, left of the texts
constexpr int32_t kShortcutGap = 24;    // between an item's name and its shortcut
constexpr int32_t kRightPadding = 18;   // room for the sub-menu arrow
constexpr int32_t kFace = 0xF0F0F0;
constexpr int32_t kText = 0x000000;
constexpr int32_t kGrayedText = 0x909090;
constexpr int32_t kHighlight = 0xC07830;  // blue
constexpr int32_t kHighlightText = 0xFFFFFF;
constexpr int32_t kLine = 0xA0A0A0;
const char kPopupClass[] = "#MenuPopup";

struct Item {
    std::string text;
    int32_t command = 0;
    uint32_t flags = 0;
    MenuHandle sub = 0;
};

struct Menu {
    bool popup = false;
    MenuHandle parent = 0;   // the menu whose item opens this one
    WindowId window = 0;     // the window showing this bar
    std::vector<Item> items;
};

struct Store {
    std::map<MenuHandle, Menu> menus;
    MenuHandle next = 1;
    std::map<AcceleratorTable, std::vector<Accelerator>> tables;
    AcceleratorTable next_table = 1;
};

Store& store()
{
    static Store s;
    return s;
}

Menu* find(MenuHandle menu)
{
    auto it = store().menus.find(menu);
    return it == store().menus.end() ? nullptr : &it->second;
}

Item* item_at(MenuHandle menu, int32_t position)
{
    Menu* m = find(menu);
    if (!m || position < 0 || position >= static_cast<int32_t>(m->items.size())) return nullptr;
    return &m->items[static_cast<size_t>(position)];
}

std::shared_ptr<const Font> menu_font()
{
    FontSpec spec;
    spec.name = "Arial";
    spec.size = 12;
    return Font::create(spec);
}

// The name and the shortcut of an item text.
void split_text(const std::string& text, std::string* name, std::string* shortcut)
{
    const size_t tab = text.find('\t');
    *name = text.substr(0, tab);
    *shortcut = tab == std::string::npos ? std::string() : text.substr(tab + 1);
}

// Where each item of a bar lies, from the strip's left edge: left and right edges.
std::vector<std::pair<int32_t, int32_t>> bar_layout(const Menu& bar)
{
    const std::shared_ptr<const Font> font = menu_font();
    std::vector<std::pair<int32_t, int32_t>> spans;
    int32_t x = 2;
    for (const Item& item : bar.items) {
        std::string name, shortcut;
        split_text(item.text, &name, &shortcut);
        const int32_t w = font->string_width(name) + 2 * kBarPadding;
        spans.emplace_back(x, x + w);
        x += w;
    }
    return spans;
}

// Item rectangles of a pop-up, in its client coordinates, and its client size.
struct PopupLayout {
    std::vector<Rect> items;
    int32_t width = 0;
    int32_t height = 0;
};

PopupLayout popup_layout(const Menu& menu)
{
    const std::shared_ptr<const Font> font = menu_font();
    PopupLayout layout;
    int32_t names = 0, shortcuts = 0;
    for (const Item& item : menu.items) {
        std::string name, shortcut;
        split_text(item.text, &name, &shortcut);
        names = std::max(names, font->string_width(name));
        shortcuts = std::max(shortcuts, font->string_width(shortcut));
    }
    layout.width = kCheckWidth + names + (shortcuts ? kShortcutGap + shortcuts : 0) + kRightPadding;
    layout.width = std::max<int32_t>(layout.width, 60);
    int32_t y = 2;
    for (const Item& item : menu.items) {
        const int32_t h = (item.flags & MenuSeparator) ? kSeparatorHeight : kItemHeight;
        layout.items.push_back({0, y, layout.width, y + h});
        y += h;
    }
    layout.height = y + 2;
    return layout;
}

void draw_text(Surface& s, int32_t x, int32_t mid_y, const std::string& text, int32_t colour,
               TextAlign align = TextAlign::left_baseline)
{
    const Font* font = s.font();
    s.set_text_color(colour);
    s.draw_text(x, mid_y + (font->ascent() - font->descent()) / 2, text, align);
}

// ---------------------------------------------------------------- open pop-ups

struct OpenPopup {
    MenuHandle menu = 0;
    WindowId window = 0;
    int32_t highlighted = -1;
};

struct Session {
    WindowId owner = 0;
    MenuHandle bar = 0;       // the bar the first pop-up came from, 0 for a context menu
    int32_t bar_item = -1;
    WindowId focus_before = 0;
    std::vector<OpenPopup> chain;  // first, then each sub-menu opened from the one before
    WindowManager* manager = nullptr;  // whose windows these are
};

Session g_session;

// The window showing the bar of the menus open, 0 for a context menu.
WindowId session_bar_window()
{
    const Menu* bar = find(g_session.bar);
    return bar ? bar->window : 0;
}

intptr_t popup_proc(WindowId window, Message& message);

WindowManager* manager()
{
    WindowManager* wm = WindowManager::current();
    // Menus left open by a window manager that is gone are forgotten, not closed.
    if (g_session.manager && g_session.manager != wm) g_session = Session{};
    if (wm) wm->register_class({kPopupClass, popup_proc, 0, 0xF0F0F0, Cursor::Arrow});
    return wm;
}

void notify_owner(MessageKind kind, int32_t flag, intptr_t param)
{
    WindowManager* wm = manager();
    if (!wm || !wm->exists(g_session.owner)) return;
    Message m;
    m.window = g_session.owner;
    m.kind = kind;
    m.flag = flag;
    m.param1 = param;
    wm->send_message(g_session.owner, m);
}

void close_from(size_t level)
{
    WindowManager* wm = manager();
    while (g_session.chain.size() > level) {
        const WindowId w = g_session.chain.back().window;
        g_session.chain.pop_back();
        if (wm) wm->destroy_window(w);
    }
}

void end_session()
{
    if (g_session.chain.empty() && !g_session.owner) return;
    WindowManager* wm = manager();
    const WindowId owner = g_session.owner;
    const WindowId bar_window = session_bar_window();
    close_from(0);
    if (wm) {
        wm->release_capture();
        if (wm->exists(g_session.focus_before)) wm->set_focus(g_session.focus_before);
        if (bar_window) wm->redraw_frame(bar_window);
    }
    g_session = Session{};
    if (wm && wm->exists(owner)) {
        Message m;
        m.window = owner;
        m.kind = MessageKind::MenuLoop;
        m.flag = 0;
        wm->send_message(owner, m);
    }
}

// Opens `menu` as the pop-up at depth `level` (those deeper are closed first), its corner at
// the screen point.
bool open_popup(size_t level, MenuHandle menu, Point corner, bool right_aligned)
{
    WindowManager* wm = manager();
    if (!wm || !find(menu)) return false;
    close_from(level);
    notify_owner(MessageKind::MenuInit, 0, menu);
    const Menu* m = find(menu);
    if (!m) return false;
    const PopupLayout layout = popup_layout(*m);
    WindowOptions options;
    options.class_name = kPopupClass;
    options.style = StyleBorder | StyleTopmost;
    const int32_t w = layout.width + 2, h = layout.height + 2;
    int32_t x = right_aligned ? corner.x - w : corner.x, y = corner.y;
    const Point screen = wm->screen_size();
    x = std::max(0, std::min(x, screen.x - w));
    y = std::max(0, std::min(y, screen.y - h));
    options.rect = {x, y, x + w, y + h};
    options.owner = wm->exists(g_session.owner) ? wm->top_level(g_session.owner) : 0;
    const WindowId window = wm->create_window(options);
    if (!window) return false;
    g_session.chain.push_back({menu, window, -1});
    wm->show_window(window, true);
    wm->bring_to_top(window);
    if (level == 0) {
        wm->set_capture(window);
        wm->set_focus(window);
    }
    if (wm->exists(g_session.owner)) {
        Message idle;
        idle.window = g_session.owner;
        idle.kind = MessageKind::MenuIdle;
        wm->post_message(idle);
    }
    return true;
}

bool start_session(WindowId owner, MenuHandle bar, int32_t bar_item)
{
    WindowManager* wm = manager();
    if (!wm) return false;
    if (!g_session.chain.empty() || g_session.owner) end_session();
    g_session.owner = owner;
    g_session.manager = wm;
    g_session.bar = bar;
    g_session.bar_item = bar_item;
    g_session.focus_before = wm->focus();
    if (wm->exists(owner)) {
        Message m;
        m.window = owner;
        m.kind = MessageKind::MenuLoop;
        m.flag = 1;
        wm->send_message(owner, m);
    }
    return true;
}

Rect bar_strip_screen_rect(WindowId window)
{
    WindowManager* wm = manager();
    const Point origin = wm->client_to_screen(window, {0, 0});
    const Rect client = wm->client_rect(window);
    return {origin.x, origin.y - kBarHeight, origin.x + client.width(), origin.y};
}

// The bar item under a screen point, -1 when none.
int32_t bar_item_at(WindowId window, MenuHandle bar, Point screen_point)
{
    const Menu* m = find(bar);
    if (!m) return -1;
    const Rect strip = bar_strip_screen_rect(window);
    if (!strip.contains(screen_point)) return -1;
    const auto spans = bar_layout(*m);
    for (size_t i = 0; i < spans.size(); ++i)
        if (screen_point.x - strip.left >= spans[i].first && screen_point.x - strip.left < spans[i].second)
            return static_cast<int32_t>(i);
    return -1;
}

// Opens the pop-up of bar item `position` of `window`, or sends its command when it opens none.
bool open_bar_item(WindowId window, MenuHandle bar, int32_t position)
{
    WindowManager* wm = manager();
    const Item* item = item_at(bar, position);
    if (!wm || !item) return false;
    if (item->flags & (MenuGrayed | MenuSeparator)) return false;
    if (!item->sub) {
        end_session();
        Message command;
        command.window = window;
        command.kind = MessageKind::Command;
        command.id = item->command;
        command.param2 = kFromMenu;
        wm->post_message(command);
        return true;
    }
    if (g_session.owner != window || g_session.bar != bar) start_session(window, bar, position);
    g_session.bar_item = position;
    const Rect strip = bar_strip_screen_rect(window);
    const auto spans = bar_layout(*find(bar));
    const bool opened = open_popup(0, item->sub, {strip.left + spans[static_cast<size_t>(position)].first, strip.bottom}, false);
    wm->redraw_frame(window);
    return opened;
}

// The open pop-up level and item under a screen point; false when it is on none.
bool popup_item_at(Point screen_point, size_t* level, int32_t* item)
{
    WindowManager* wm = manager();
    for (size_t l = g_session.chain.size(); l-- > 0;) {
        const OpenPopup& open = g_session.chain[l];
        const Point p = wm->screen_to_client(open.window, screen_point);
        const Rect client = wm->client_rect(open.window);
        if (!client.contains(p)) continue;
        *level = l;
        *item = -1;
        const Menu* m = find(open.menu);
        const PopupLayout layout = popup_layout(*m);
        for (size_t i = 0; i < layout.items.size(); ++i)
            if (layout.items[i].contains(p)) *item = static_cast<int32_t>(i);
        return true;
    }
    return false;
}

void choose(size_t level, int32_t position)
{
    WindowManager* wm = manager();
    const Item* item = item_at(g_session.chain[level].menu, position);
    if (!item || (item->flags & (MenuGrayed | MenuSeparator))) return;
    if (item->sub) return;  // opened on the way there
    const WindowId owner = g_session.owner;
    const int32_t command = item->command;
    end_session();
    if (wm->exists(owner)) {
        Message m;
        m.window = owner;
        m.kind = MessageKind::Command;
        m.id = command;
        m.param2 = kFromMenu;
        wm->post_message(m);
    }
}

// The pointer is over item `position` of the pop-up at `level`: highlight it and open its
// sub-menu, closing the deeper ones.
void hover(size_t level, int32_t position)
{
    WindowManager* wm = manager();
    OpenPopup& open = g_session.chain[level];
    if (open.highlighted != position) {
        open.highlighted = position;
        wm->invalidate(open.window, nullptr, false);
    }
    const Item* item = item_at(open.menu, position);
    const bool opens = item && item->sub && !(item->flags & MenuGrayed);
    if (opens && g_session.chain.size() > level + 1 && g_session.chain[level + 1].menu == item->sub) return;
    close_from(level + 1);
    if (opens) {
        const Rect r = popup_layout(*find(open.menu)).items[static_cast<size_t>(position)];
        const Point corner = wm->client_to_screen(open.window, {r.right, r.top});
        open_popup(level + 1, item->sub, corner, false);
    }
}

// The next item from `from` that can be chosen or opened, going `step` (1 or -1) with wrap
// around; -1 when there is none.
int32_t next_selectable(const Menu& m, int32_t from, int32_t step)
{
    const int32_t n = static_cast<int32_t>(m.items.size());
    int32_t i = from;
    for (int32_t tries = 0; tries < n; ++tries) {
        i = ((i + step) % n + n) % n;
        if (!(m.items[static_cast<size_t>(i)].flags & (MenuSeparator | MenuGrayed))) return i;
    }
    return -1;
}

// The keyboard in the open menus: Up and Down move in the deepest pop-up, Right and Return
// open a sub-menu (Return chooses a command), Left and Escape close the deepest pop-up; on the
// first pop-up of a bar, Left and Right go to the neighbouring title.
void menu_key(Key key)
{
    WindowManager* wm = manager();
    const size_t level = g_session.chain.size() - 1;
    OpenPopup& open = g_session.chain[level];
    const Menu& m = *find(open.menu);
    const Item* item = item_at(open.menu, open.highlighted);
    const WindowId bar_window = session_bar_window();
    const int32_t bar_items = menu_item_count(g_session.bar);
    if (key == KeyUp || key == KeyDown) {
        const int32_t i = next_selectable(m, open.highlighted < 0 && key == KeyUp ? 0 : open.highlighted,
                                          key == KeyDown ? 1 : -1);
        if (i < 0) return;
        close_from(level + 1);
        open.highlighted = i;
        wm->invalidate(open.window, nullptr, false);
    } else if ((key == KeyRight || key == KeyReturn) && item && item->sub) {
        hover(level, open.highlighted);
        if (g_session.chain.size() > level + 1) {
            OpenPopup& sub = g_session.chain[level + 1];
            sub.highlighted = next_selectable(*find(sub.menu), -1, 1);
        }
    } else if (key == KeyReturn && item) {
        choose(level, open.highlighted);
    } else if ((key == KeyLeft || key == KeyEscape) && level > 0) {
        close_from(level);
    } else if (key == KeyEscape) {
        end_session();
    } else if ((key == KeyLeft || key == KeyRight) && bar_window && bar_items > 0) {
        const int32_t step = key == KeyRight ? 1 : -1;
        open_bar_item(bar_window, g_session.bar, ((g_session.bar_item + step) % bar_items + bar_items) % bar_items);
    }
}

void paint_popup(WindowId window)
{
    WindowManager* wm = manager();
    const PaintContext paint = wm->begin_paint(window);
    const OpenPopup* open = nullptr;
    for (const OpenPopup& o : g_session.chain)
        if (o.window == window) open = &o;
    const Menu* m = open ? find(open->menu) : nullptr;
    std::unique_ptr<Surface> s =
        Surface::over_pixels(paint.pixels.pixels, paint.pixels.width, paint.pixels.height, paint.pixels.stride);
    if (m && s) {
        s->set_font(menu_font());
        s->fill({0, 0, paint.pixels.width, paint.pixels.height}, kFace);
        const PopupLayout layout = popup_layout(*m);
        for (size_t i = 0; i < m->items.size(); ++i) {
            const Item& item = m->items[i];
            const Rect& r = layout.items[i];
            const int32_t mid = (r.top + r.bottom) / 2;
            if (item.flags & MenuSeparator) {
                s->fill({r.left + 4, mid, r.right - 4, mid + 1}, kLine);
                continue;
            }
            const bool lit = open->highlighted == static_cast<int32_t>(i) && !(item.flags & MenuGrayed);
            if (lit) s->fill({r.left, r.top, r.right, r.bottom}, kHighlight);
            const int32_t colour = (item.flags & MenuGrayed) ? kGrayedText : lit ? kHighlightText : kText;
            std::string name, shortcut;
            split_text(item.text, &name, &shortcut);
            draw_text(*s, kCheckWidth, mid, name, colour);
            if (!shortcut.empty()) draw_text(*s, r.right - kRightPadding, mid, shortcut, colour, TextAlign::right_baseline);
            if (item.flags & MenuChecked) {
                // A tick: two strokes.
                for (int32_t k = 0; k < 3; ++k) s->fill({5 + k, mid + k - 1, 6 + k, mid + k + 1}, colour);
                for (int32_t k = 0; k < 6; ++k) s->fill({8 + k, mid + 1 - k, 9 + k, mid + 3 - k}, colour);
            }
            if (item.sub) {
                for (int32_t k = 0; k < 4; ++k)
                    s->fill({r.right - 12 + k, mid - 4 + k, r.right - 11 + k, mid + 5 - k}, colour);
            }
        }
        s->flush();
    }
    wm->end_paint(window, paint);
}

intptr_t popup_proc(WindowId window, Message& message)
{
    WindowManager* wm = manager();
    switch (message.kind) {
    case MessageKind::Paint:
        paint_popup(window);
        return 0;
    case MessageKind::MouseMove:
    case MessageKind::ButtonDown:
    case MessageKind::ButtonUp:
    case MessageKind::DoubleClick: {
        if (g_session.chain.empty()) return 0;
        const Point screen = wm->client_to_screen(window, {message.x, message.y});
        size_t level = 0;
        int32_t item = -1;
        const bool on_popup = popup_item_at(screen, &level, &item);
        const WindowId bar_window = session_bar_window();
        const int32_t bar_item = bar_window ? bar_item_at(bar_window, g_session.bar, screen) : -1;
        if (message.kind == MessageKind::MouseMove) {
            if (on_popup && item >= 0) hover(level, item);
            else if (bar_item >= 0 && bar_item != g_session.bar_item) open_bar_item(bar_window, g_session.bar, bar_item);
        } else if (message.kind == MessageKind::ButtonUp) {
            if (on_popup && item >= 0) choose(level, item);
        } else if (on_popup) {
            if (item >= 0) hover(level, item);
        } else if (bar_item >= 0 && bar_item != g_session.bar_item) {
            open_bar_item(bar_window, g_session.bar, bar_item);
        } else {
            end_session();  // a press anywhere else (or on the open title) closes the menus
        }
        return 0;
    }
    case MessageKind::KeyDown:
        if (!g_session.chain.empty()) menu_key(static_cast<Key>(message.key));
        return 0;
    case MessageKind::CaptureLost:
        return 0;
    case MessageKind::Destroy:
        // Destroyed by someone else (with its owner, say): the menus below it go too.
        for (size_t level = 0; level < g_session.chain.size(); ++level)
            if (g_session.chain[level].window == window) {
                close_from(level + 1);
                g_session.chain.resize(level);
                if (level == 0) end_session();
                break;
            }
        return 0;
    default:
        return default_window_proc(window, message);
    }
}

// ---------------------------------------------------------------- the bar strip

class BarStrip : public FrameStrip {
public:
    explicit BarStrip(MenuHandle bar) : bar_(bar) {}
    int32_t height() const override { return kBarHeight; }

    void draw(WindowId window, const PixelBuffer& screen, const Rect& strip, const Rect& clip) const override
    {
        std::unique_ptr<Surface> s = Surface::over_pixels(screen.pixels, screen.width, screen.height, screen.stride);
        const Menu* m = find(bar_);
        if (!s || !m) return;
        s->set_clip({clip.left, clip.top, clip.right, clip.bottom});
        s->set_font(menu_font());
        s->fill({strip.left, strip.top, strip.right, strip.bottom}, kFace);
        s->fill({strip.left, strip.bottom - 1, strip.right, strip.bottom}, kLine);
        const auto spans = bar_layout(*m);
        const int32_t mid = (strip.top + strip.bottom) / 2;
        for (size_t i = 0; i < spans.size(); ++i) {
            const Item& item = m->items[i];
            std::string name, shortcut;
            split_text(item.text, &name, &shortcut);
            const bool lit = g_session.bar == bar_ && g_session.owner == window &&
                             g_session.bar_item == static_cast<int32_t>(i) && !g_session.chain.empty();
            if (lit) s->fill({strip.left + spans[i].first, strip.top + 1, strip.left + spans[i].second, strip.bottom - 2}, kHighlight);
            const int32_t colour = (item.flags & MenuGrayed) ? kGrayedText : lit ? kHighlightText : kText;
            draw_text(*s, strip.left + spans[i].first + kBarPadding, mid, name, colour);
        }
        s->flush();
    }

    void press(WindowId window, Point offset) override
    {
        const Rect strip = bar_strip_screen_rect(window);
        const int32_t item = bar_item_at(window, bar_, {strip.left + offset.x, strip.top + offset.y});
        if (item < 0) return;
        if (g_session.bar == bar_ && g_session.bar_item == item && !g_session.chain.empty()) end_session();
        else open_bar_item(window, bar_, item);
    }

    // The window destroys its bar, and with it this strip.
    void window_destroyed(WindowId window) override;

private:
    MenuHandle bar_;
};

std::map<WindowId, std::unique_ptr<BarStrip>>& strips()
{
    static std::map<WindowId, std::unique_ptr<BarStrip>> s;
    return s;
}

void BarStrip::window_destroyed(WindowId window)
{
    const MenuHandle bar = bar_;
    std::unique_ptr<BarStrip> self = std::move(strips()[window]);
    strips().erase(window);
    if (g_session.owner == window) end_session();
    if (Menu* m = find(bar)) m->window = 0;
    destroy_menu(bar);
}

void take_off_window(Menu& bar)
{
    const WindowId window = bar.window;
    bar.window = 0;
    if (!window) return;
    if (WindowManager* wm = WindowManager::current()) wm->set_frame_strip(window, nullptr);
    strips().erase(window);
}

}  // namespace

// ---------------------------------------------------------------- menus

MenuHandle create_menu(bool popup)
{
    const MenuHandle handle = store().next++;
    store().menus[handle].popup = popup;
    return handle;
}

bool destroy_menu(MenuHandle menu)
{
    Menu* m = find(menu);
    if (!m) return false;
    if (g_session.bar == menu) end_session();
    for (const OpenPopup& open : g_session.chain)
        if (open.menu == menu) {
            end_session();
            break;
        }
    take_off_window(*m);
    if (Menu* parent = find(m->parent))
        for (Item& item : parent->items)
            if (item.sub == menu) item.sub = 0;
    const std::vector<Item> items = m->items;
    store().menus.erase(menu);
    for (const Item& item : items)
        if (item.sub) destroy_menu(item.sub);
    return true;
}

bool is_menu(MenuHandle menu) { return find(menu) != nullptr; }

int32_t menu_item_count(MenuHandle menu)
{
    const Menu* m = find(menu);
    return m ? static_cast<int32_t>(m->items.size()) : -1;
}

bool insert_menu_item(MenuHandle menu, int32_t position, const std::string& text, int32_t command, uint32_t flags,
                      MenuHandle sub_menu)
{
    Menu* m = find(menu);
    if (!m) return false;
    if (sub_menu) {
        Menu* sub = find(sub_menu);
        if (!sub || sub->parent || sub_menu == menu) return false;
        sub->parent = menu;
        command = kSubMenuCommand;
    }
    const size_t at = position < 0 ? 0 : std::min(static_cast<size_t>(position), m->items.size());
    m->items.insert(m->items.begin() + static_cast<std::ptrdiff_t>(at), Item{text, command, flags, sub_menu});
    return true;
}

bool delete_menu_item(MenuHandle menu, int32_t position)
{
    Item* item = item_at(menu, position);
    if (!item) return false;
    const MenuHandle sub = item->sub;
    Menu* m = find(menu);
    m->items.erase(m->items.begin() + position);
    if (sub) {
        if (Menu* s = find(sub)) s->parent = 0;
        destroy_menu(sub);
    }
    return true;
}

int32_t menu_item_command(MenuHandle menu, int32_t position)
{
    const Item* item = item_at(menu, position);
    return !item || item->sub ? kSubMenuCommand : item->command;
}

MenuHandle menu_sub_menu(MenuHandle menu, int32_t position)
{
    const Item* item = item_at(menu, position);
    return item ? item->sub : 0;
}

bool menu_item_text(MenuHandle menu, int32_t position, std::string* text)
{
    const Item* item = item_at(menu, position);
    if (!item) return false;
    *text = item->text;
    return true;
}

bool set_menu_item_text(MenuHandle menu, int32_t position, const std::string& text)
{
    Item* item = item_at(menu, position);
    if (!item) return false;
    item->text = text;
    return true;
}

uint32_t menu_item_flags(MenuHandle menu, int32_t position)
{
    const Item* item = item_at(menu, position);
    return item ? item->flags : 0;
}

bool set_menu_item_flag(MenuHandle menu, int32_t position, uint32_t flag, bool on)
{
    Item* item = item_at(menu, position);
    if (!item) return false;
    item->flags = on ? (item->flags | flag) : (item->flags & ~flag);
    return true;
}

bool find_menu_command(MenuHandle menu, int32_t command, MenuHandle* holder, int32_t* position)
{
    const Menu* m = find(menu);
    if (!m) return false;
    for (size_t i = 0; i < m->items.size(); ++i) {
        const Item& item = m->items[i];
        if (!item.sub && !(item.flags & MenuSeparator) && item.command == command) {
            *holder = menu;
            *position = static_cast<int32_t>(i);
            return true;
        }
        if (item.sub && find_menu_command(item.sub, command, holder, position)) return true;
    }
    return false;
}

// ---------------------------------------------------------------- bars of windows

bool set_window_menu(WindowId window, MenuHandle bar)
{
    WindowManager* wm = WindowManager::current();
    if (!wm || !wm->exists(window)) return false;
    Menu* m = bar ? find(bar) : nullptr;
    if (bar && (!m || m->popup || m->parent)) return false;
    const MenuHandle old = window_menu(window);
    if (old == bar) return true;
    if (Menu* previous = find(old)) take_off_window(*previous);
    if (!m) return true;
    if (m->window) take_off_window(*m);
    m->window = window;
    auto strip = std::make_unique<BarStrip>(bar);
    wm->set_frame_strip(window, strip.get());
    strips()[window] = std::move(strip);
    return true;
}

MenuHandle window_menu(WindowId window)
{
    for (const auto& entry : store().menus)
        if (entry.second.window == window && window) return entry.first;
    return 0;
}

void draw_menu_bar(WindowId window)
{
    if (WindowManager* wm = WindowManager::current()) wm->redraw_frame(window);
}

// ---------------------------------------------------------------- pop-ups

bool track_popup_menu(MenuHandle menu, WindowId owner, Point screen_point, bool right_aligned)
{
    if (!find(menu) || !start_session(owner, 0, -1)) return false;
    if (open_popup(0, menu, screen_point, right_aligned)) return true;
    end_session();
    return false;
}

bool open_menu_bar_item(WindowId window, int32_t position)
{
    const MenuHandle bar = window_menu(window);
    return bar && open_bar_item(window, bar, position);
}

void close_menus() { end_session(); }

bool menus_open() { return !g_session.chain.empty(); }

MenuHandle open_menu(int32_t level)
{
    return level >= 0 && level < static_cast<int32_t>(g_session.chain.size())
               ? g_session.chain[static_cast<size_t>(level)].menu
               : 0;
}

bool menu_item_screen_rect(WindowId window, MenuHandle menu, int32_t position, Rect* rect)
{
    WindowManager* wm = WindowManager::current();
    const Menu* m = find(menu);
    if (!wm || !m || position < 0 || position >= static_cast<int32_t>(m->items.size())) return false;
    if (m->window && m->window == window) {
        const Rect strip = bar_strip_screen_rect(window);
        const auto span = bar_layout(*m)[static_cast<size_t>(position)];
        *rect = {strip.left + span.first, strip.top, strip.left + span.second, strip.bottom};
        return true;
    }
    for (const OpenPopup& open : g_session.chain) {
        if (open.menu != menu) continue;
        const Rect r = popup_layout(*m).items[static_cast<size_t>(position)];
        const Point corner = wm->client_to_screen(open.window, {r.left, r.top});
        *rect = r.moved(corner.x - r.left, corner.y - r.top);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- accelerators

AcceleratorTable create_accelerator_table(const std::vector<Accelerator>& entries)
{
    const AcceleratorTable table = store().next_table++;
    store().tables[table] = entries;
    return table;
}

void destroy_accelerator_table(AcceleratorTable table) { store().tables.erase(table); }

bool translate_accelerator(WindowId window, AcceleratorTable table, const Message& message)
{
    WindowManager* wm = WindowManager::current();
    auto it = store().tables.find(table);
    if (!wm || it == store().tables.end() || message.kind != MessageKind::KeyDown) return false;
    for (const Accelerator& a : it->second) {
        if (a.key != message.key || a.modifiers != message.modifiers) continue;
        const MenuHandle bar = window_menu(window);
        if (bar) {
            Message init;
            init.window = window;
            init.kind = MessageKind::MenuInit;
            init.param1 = bar;
            wm->send_message(window, init);
            MenuHandle holder = 0;
            int32_t position = 0;
            if (find_menu_command(bar, a.command, &holder, &position) &&
                (menu_item_flags(holder, position) & MenuGrayed))
                return true;
        }
        Message command;
        command.window = window;
        command.kind = MessageKind::Command;
        command.id = a.command;
        command.param2 = kFromAccelerator;
        wm->send_message(window, command);
        return true;
    }
    return false;
}

}  // namespace platform
