#include "platform/Control.h"

#include "platform/WindowManager.h"

#include <algorithm>

namespace platform {

void ScrollControl::set_range(int32_t minimum, int32_t maximum)
{
    min_ = minimum;
    max_ = std::max(minimum, maximum);
    pos_ = std::max(min_, std::min(pos_, max_));
    redraw();
}

void ScrollControl::set_position(int32_t position)
{
    pos_ = std::max(min_, std::min(position, max_));
    redraw();
}

int32_t ScrollControl::length() const { return horizontal() ? client_width() : client_height(); }

int32_t ScrollControl::arrow() const
{
    const int32_t across = horizontal() ? client_height() : client_width();
    return std::min(across, length() / 2);
}

int32_t ScrollControl::thumb_length() const
{
    const int32_t trough = length() - 2 * arrow();
    return std::max(0, std::min(arrow(), trough));
}

int32_t ScrollControl::thumb_start() const
{
    const int32_t room = length() - 2 * arrow() - thumb_length();
    if (max_ == min_ || room <= 0) return arrow();
    return arrow() + (int32_t)((int64_t)room * (pos_ - min_) / (max_ - min_));
}

int32_t ScrollControl::position_at(int32_t along) const
{
    const int32_t room = length() - 2 * arrow() - thumb_length();
    if (room <= 0) return min_;
    const int32_t offset = std::max(0, std::min(along - arrow(), room));
    return min_ + (int32_t)(((int64_t)offset * (max_ - min_) + room / 2) / room);
}

void ScrollControl::paint(Surface& s, int32_t w, int32_t h)
{
    s.fill({0, 0, w, h}, 0xE0E0E0);
    const int32_t a = arrow(), end = length();
    auto box = [&](int32_t from, int32_t to) {
        return horizontal() ? Box{from, 0, to, h} : Box{0, from, w, to};
    };
    arrow_button(s, box(0, a), horizontal() ? Arrow::left : Arrow::up);
    arrow_button(s, box(end - a, end), horizontal() ? Arrow::right : Arrow::down);
    if (thumb_length() > 0 && max_ > min_) {
        const Box t = box(thumb_start(), thumb_start() + thumb_length());
        s.fill(t, kButtonFace);
        bevel(s, t, false);
    }
}

void ScrollControl::request(int32_t what, int32_t x)
{
    const WindowId parent = wm().parent(window_);
    if (!parent) return;
    Message m;
    m.window = parent;
    m.kind = MessageKind::User;
    m.id = horizontal() ? 0x114 : 0x115;
    m.param1 = window_;
    m.param2 = what;
    m.x = x;
    m.time = wm().now();
    wm().send_message(parent, m);
}

intptr_t ScrollControl::handle(Message& m)
{
    const int32_t along = horizontal() ? m.x : m.y;
    switch (m.kind) {
    case MessageKind::ButtonDown: {
        if (m.button != ButtonLeft) return 0;
        wm().set_capture(window_);
        if (along < arrow()) request(0);
        else if (along >= length() - arrow()) request(1);
        else if (along < thumb_start()) request(2);
        else if (along >= thumb_start() + thumb_length()) request(3);
        else {
            dragging_ = true;
            grab_ = along - thumb_start();
        }
        return 0;
    }
    case MessageKind::MouseMove:
        if (dragging_) {
            const int32_t p = position_at(along - grab_);
            if (p != pos_) {
                set_position(p);
                request(5, p);
            }
        }
        return 0;
    case MessageKind::ButtonUp: {
        if (m.button != ButtonLeft) return 0;
        const bool dragged = dragging_;
        dragging_ = false;
        if (wm().capture() == window_) wm().release_capture();
        if (dragged) request(4, pos_);
        request(8);
        return 0;
    }
    case MessageKind::CaptureLost: dragging_ = false; return 0;
    default: return Control::handle(m);
    }
}

}  // namespace platform
