#include "platform/Control.h"
#include "platform/WindowPaint.h"

#include "platform/WindowManager.h"

#include <algorithm>

namespace platform {

// ---- items, shared by the list box and the drop-down list

int32_t ListControl::insert(const std::string& text, int32_t index)
{
    if (index < 0 || index > count()) index = count();
    items_.insert(items_.begin() + index, text);
    if (selection_ >= index) selection_++;
    redraw();
    return index;
}

bool ListControl::remove(int32_t index)
{
    if (index < 0 || index >= count()) return false;
    items_.erase(items_.begin() + index);
    if (selection_ == index) selection_ = -1;
    else if (selection_ > index) selection_--;
    top_ = std::max(0, std::min(top_, count() - 1));
    redraw();
    return true;
}

void ListControl::clear()
{
    items_.clear();
    selection_ = -1;
    top_ = 0;
    redraw();
}

std::string ListControl::item(int32_t index) const
{
    return index >= 0 && index < count() ? items_[index] : std::string();
}

void ListControl::select(int32_t index)
{
    selection_ = index >= 0 && index < count() ? index : -1;
    redraw();
}

void ListControl::set_top(int32_t index)
{
    top_ = std::max(0, std::min(index, count() - 1));
    redraw();
}

int32_t ListControl::row_height() const { return font_->height() + 2; }

void ListControl::paint_rows(Surface& s, const Box& box, int32_t first)
{
    const int32_t step = row_height();
    for (int32_t i = first, y = box.top; i < count() && y < box.bottom; i++, y += step) {
        const bool selected = i == selection_;
        if (selected) s.fill({box.left, y, box.right, std::min(y + step, box.bottom)}, 0x800000);
        s.set_text_color(selected ? 0xFFFFFF : 0);
        s.draw_text_in({box.left, y, box.right, std::min(y + step, box.bottom)}, box.left + 2,
                       y + 1, items_[i], TextAlign::left_top);
    }
}

int32_t ListControl::rows_in(const Box& box) const
{
    return std::max(1, (box.bottom - box.top) / row_height());
}

Box ListControl::scroller(const Box& box) const
{
    if (count() <= rows_in(box)) return {};
    return {box.right - kBar, box.top, box.right, box.bottom};
}

void ListControl::paint_entries(Surface& s, const Box& box)
{
    const Box bar = scroller(box);
    if (bar.right == bar.left) {
        paint_rows(s, box, top_);
        return;
    }
    paint_rows(s, {box.left, box.top, bar.left, box.bottom}, top_);
    s.fill(bar, 0xE0E0E0);
    arrow_button(s, {bar.left, bar.top, bar.right, bar.top + kBar}, Arrow::up);
    arrow_button(s, {bar.left, bar.bottom - kBar, bar.right, bar.bottom}, Arrow::down);
    const int32_t room = (bar.bottom - bar.top) - 3 * kBar, last = count() - rows_in(box);
    if (room <= 0 || last <= 0) return;
    const int32_t y = bar.top + kBar + room * std::min(top_, last) / last;
    const Box thumb{bar.left, y, bar.right, y + kBar};
    s.fill(thumb, kButtonFace);
    bevel(s, thumb, false);
}

void ListControl::scroller_press(const Box& box, int32_t y)
{
    const Box bar = scroller(box);
    const int32_t rows = rows_in(box), last = std::max(0, count() - rows);
    const int32_t room = (bar.bottom - bar.top) - 3 * kBar;
    const int32_t thumb = bar.top + kBar + (room > 0 && last > 0 ? room * std::min(top_, last) / last : 0);
    int32_t to = top_;
    if (y < bar.top + kBar) to--;
    else if (y >= bar.bottom - kBar) to++;
    else to += y < thumb ? -rows : rows;
    top_ = std::max(0, std::min(to, last));
    redraw();
}

// ---- the list box

void ListControl::paint(Surface& s, int32_t w, int32_t h)
{
    s.fill({0, 0, w, h}, 0xFFFFFF);
    paint_entries(s, {2, 2, w - 2, h - 2});
    bevel(s, {0, 0, w, h}, true);
    if (has_focus() && selection_ >= top_) {
        const int32_t y = 2 + (selection_ - top_) * row_height();
        s.set_pen({0, 1, Pen::Style::dot});
        s.set_brush({0, Brush::Kind::none});
        if (y < h - 2) s.rectangle({2, y, w - 2, std::min(y + row_height(), h - 2)});
    }
}

void ListControl::user_select(int32_t index)
{
    if (index < 0 || index >= count() || index == selection_) return;
    select(index);
    // Keep the selected item in sight.
    const int32_t rows = std::max(1, (client_height() - 4) / row_height());
    if (index < top_) set_top(index);
    else if (index >= top_ + rows) set_top(index - rows + 1);
    notify(1);
}

intptr_t ListControl::handle(Message& m)
{
    switch (m.kind) {
    case MessageKind::ButtonDown:
    case MessageKind::DoubleClick: {
        if (m.button != ButtonLeft) return 0;
        wm().set_focus(window_);
        const Box inside{2, 2, client_width() - 2, client_height() - 2};
        const Box bar = scroller(inside);
        if (bar.right > bar.left && m.x >= bar.left) {
            scroller_press(inside, m.y);
            return 0;
        }
        const int32_t index = top_ + (m.y - 2) / row_height();
        if (m.y < 2 || index >= count()) return 0;
        user_select(index);
        if (m.kind == MessageKind::DoubleClick) notify(2);
        return 0;
    }
    case MessageKind::KeyDown:
        if (m.key == KeyUp) user_select(selection_ < 0 ? 0 : selection_ - 1);
        else if (m.key == KeyDown) user_select(selection_ + 1);
        else if (m.key == KeyHome) user_select(0);
        else if (m.key == KeyEnd) user_select(count() - 1);
        return 0;
    default: return Control::handle(m);
    }
}

// ---- the drop-down list

ComboControl::~ComboControl()
{
    WindowManager* m = WindowManager::current();
    if (drop_ && m && m->exists(drop_)) m->destroy_window(drop_);
}

void ComboControl::paint(Surface& s, int32_t w, int32_t h)
{
    const int32_t arrow = 17;
    s.fill({0, 0, w, h}, wm().is_enabled(window_) ? 0xFFFFFF : kButtonFace);
    s.set_text_color(0);
    if (has_focus()) {
        s.fill({2, 2, w - arrow - 1, h - 2}, 0x800000);
        s.set_text_color(0xFFFFFF);
    }
    s.draw_text_in({2, 2, w - arrow - 1, h - 2}, 4, h / 2 + font_->ascent() / 2 - 1,
                   item(selection_), TextAlign::left_baseline);
    arrow_button(s, {w - arrow - 1, 1, w - 1, h - 1}, Arrow::down);
    bevel(s, {0, 0, w, h}, true);
}

void ComboControl::open_list()
{
    if (drop_ || !count()) return;
    WindowClassInfo info;
    info.name = "ComboDropDown";
    info.procedure = drop_procedure;
    wm().register_class(info);  // false once registered: the class is there
    const Rect r = wm().screen_window_rect(window_);
    const int32_t rows = std::max(1, std::min(count(), (drop_height_ - kBoxHeight) / row_height()));
    WindowOptions o;
    o.class_name = "ComboDropDown";
    o.style = StyleTopmost | StyleBorder;
    o.owner = wm().top_level(window_);
    o.rect = {r.left, r.bottom, r.right, r.bottom + rows * row_height() + 2};
    o.user_data = (intptr_t)this;
    drop_ = wm().create_window(o);
    if (!drop_) return;
    wm().show_window(drop_, true);
    wm().set_capture(drop_);
}

void ComboControl::close_list()
{
    if (!drop_) return;
    const WindowId d = drop_;
    drop_ = 0;
    if (wm().capture() == d) wm().release_capture();
    if (wm().exists(d)) wm().destroy_window(d);
    redraw();
}

void ComboControl::choose(int32_t index)
{
    if (index < 0 || index >= count() || index == selection_) return;
    select(index);
    notify(1);
}

intptr_t ComboControl::drop_procedure(WindowId window, Message& m)
{
    WindowManager& wm = *WindowManager::current();
    ComboControl* c = (ComboControl*)wm.user_data(window);
    if (!c || c->drop_ != window) return default_window_proc(window, m);
    switch (m.kind) {
    case MessageKind::Paint:
        paint_window(wm, window, c->font_, [c](Surface& s, int32_t w, int32_t h) {
            s.fill({0, 0, w, h}, 0xFFFFFF);
            c->paint_entries(s, {1, 1, w - 1, h - 1});
        });
        return 0;
    case MessageKind::ButtonDown: {
        const Rect r = wm.client_rect(window);
        const bool inside = r.contains({m.x, m.y});
        const Box entries{1, 1, r.right - 1, r.bottom - 1};
        const Box bar = c->scroller(entries);
        if (inside && bar.right > bar.left && m.x >= bar.left) {
            c->scroller_press(entries, m.y);
            wm.invalidate(window, nullptr, false);
            return 0;
        }
        const int32_t index = c->top_ + (m.y - 1) / c->row_height();
        c->close_list();  // the window goes: nothing of it is used below
        if (inside) c->choose(index);
        return 0;
    }
    case MessageKind::CaptureLost:
        if (c->drop_ == window) c->close_list();
        return 0;
    default: return default_window_proc(window, m);
    }
}

intptr_t ComboControl::handle(Message& m)
{
    switch (m.kind) {
    case MessageKind::ButtonDown:
        if (m.button != ButtonLeft) return 0;
        wm().set_focus(window_);
        if (drop_) close_list();
        else open_list();
        return 0;
    case MessageKind::KeyDown:
        if (m.key == KeyUp) choose(selection_ < 0 ? 0 : selection_ - 1);
        else if (m.key == KeyDown) choose(selection_ + 1);
        else if (m.key == KeyEscape) close_list();
        return 0;
    case MessageKind::KillFocus: close_list(); return Control::handle(m);
    case MessageKind::Size:
        // The height asked for is the extent of the list when it opens; the box keeps its own.
        if (client_height() != kBoxHeight) {
            Rect r = wm().window_rect(window_);
            drop_height_ = std::max<int32_t>(r.height(), kBoxHeight);
            r.bottom = r.top + kBoxHeight;
            wm().set_window_rect(window_, r);
        }
        return Control::handle(m);
    default: return Control::handle(m);
    }
}

}  // namespace platform
