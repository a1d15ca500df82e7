#include "platform/Control.h"

#include "platform/WindowManager.h"

#include <algorithm>
#include <cctype>

namespace platform {

namespace {
constexpr int32_t kMargin = 3;
}

void EditControl::set_text(const std::string& text)
{
    text_ = text;  // the limit is on typing only
    anchor_ = caret_ = (int32_t)text_.size();
    scroll_x_ = 0;
    redraw();
    notify(0x300);
}

void EditControl::set_selection(int32_t from, int32_t to)
{
    const int32_t n = (int32_t)text_.size();
    if (to < 0 || to > n) to = n;
    anchor_ = std::max(0, std::min(from, n));
    caret_ = to;
    redraw();
}

std::vector<EditControl::Line> EditControl::lines() const
{
    std::vector<Line> out;
    const bool multi = (flags_ & CtlMultiLine) != 0;
    const bool wrap = multi && !(flags_ & CtlAutoHScroll);
    const int32_t room = client_width() - 2 * kMargin;
    int32_t start = 0;
    for (;;) {
        size_t end = multi ? text_.find('\n', start) : std::string::npos;
        const bool last = end == std::string::npos;
        if (last) end = text_.size();
        int32_t length = (int32_t)end - start;
        if (!last && length > 0 && text_[end - 1] == '\r') length--;
        while (wrap && room > 0 && length > 0 && font_->string_width(text_.substr(start, length)) > room) {
            int32_t fit = 0, width = 0;
            while (fit < length && width + font_->char_width((unsigned char)text_[start + fit]) <= room)
                width += font_->char_width((unsigned char)text_[start + fit++]);
            int32_t cut = std::max(fit, 1);
            for (int32_t i = fit; i > 0; i--)
                if (text_[start + i - 1] == ' ') {
                    cut = i;  // after the last blank that fits
                    break;
                }
            out.push_back({start, cut});
            start += cut;
            length -= cut;
        }
        out.push_back({start, length});
        if (last) return out;
        start = (int32_t)end + 1;
    }
}

int32_t EditControl::line_of(const std::vector<Line>& lines, int32_t at)
{
    int32_t k = 0;
    while (k + 1 < (int32_t)lines.size() && lines[k + 1].start <= at) k++;
    return k;
}

void EditControl::paint(Surface& s, int32_t w, int32_t h)
{
    const bool enabled = wm().is_enabled(window_), editable = enabled && !read_only_;
    s.fill({0, 0, w, h}, editable ? 0xFFFFFF : kButtonFace);
    const int32_t step = font_->height() + 1;
    const std::vector<Line> shown = lines();
    const Box inside{2, 2, w - 2, h - 2};
    // Keep the caret in sight on a one-line field.
    if (!(flags_ & CtlMultiLine)) {
        const int32_t cx = font_->string_width(text_.substr(0, caret_));
        if (cx - scroll_x_ > w - 2 * kMargin) scroll_x_ = cx - (w - 2 * kMargin);
        if (cx < scroll_x_) scroll_x_ = cx;
    }
    const int32_t caret_line = line_of(shown, caret_);
    for (size_t k = 0; k < shown.size(); k++) {
        const int32_t y = kMargin + (int32_t)k * step;
        if (y >= h) break;
        const int32_t start = shown[k].start;
        const std::string line = text_.substr(start, shown[k].length);
        const int32_t x0 = kMargin - scroll_x_;
        // The selected part of the line, highlighted.
        const int32_t from = std::max(selection_start(), start) - start;
        const int32_t to = std::min(selection_end(), start + (int32_t)line.size()) - start;
        if (has_focus() && to > from) {
            const int32_t a = x0 + font_->string_width(line.substr(0, from));
            const int32_t b = x0 + font_->string_width(line.substr(0, to));
            s.set_clip(inside);
            s.fill({a, y, b, y + step}, 0x800000);
            s.reset_clip();
        }
        int32_t x = x0;
        for (int32_t i = 0; i < (int32_t)line.size(); i++) {
            const bool selected = has_focus() && i >= from && i < to;
            s.set_text_color(selected ? 0xFFFFFF : enabled ? 0 : 0x808080);
            x += s.draw_text_in(inside, x, y, std::string(1, line[i]), TextAlign::left_top);
        }
        if (has_focus() && (int32_t)k == caret_line) {
            const int32_t column = std::min(caret_ - start, (int32_t)line.size());
            const int32_t cx = x0 + font_->string_width(line.substr(0, column));
            s.set_clip(inside);
            s.fill({cx, y, cx + 1, y + step}, 0);
            s.reset_clip();
        }
    }
    bevel(s, {0, 0, w, h}, true);
}

void EditControl::replace_selection(const std::string& with)
{
    std::string insert = with;
    const int32_t kept = (int32_t)text_.size() - (selection_end() - selection_start());
    if (limit_ > 0 && kept + (int32_t)insert.size() > limit_)
        insert = insert.substr(0, std::max(0, limit_ - kept));
    if (insert.empty() && selection_start() == selection_end()) return;
    const int32_t at = selection_start();
    text_.replace(at, selection_end() - at, insert);
    anchor_ = caret_ = at + (int32_t)insert.size();
    redraw();
    notify(0x300);
}

void EditControl::type(int32_t c)
{
    if (read_only_) return;
    if (c == 8) {  // Backspace
        if (selection_start() == selection_end()) {
            if (caret_ == 0) return;
            const bool pair = caret_ >= 2 && text_.compare(caret_ - 2, 2, "\r\n") == 0;
            anchor_ = caret_ - (pair ? 2 : 1);
        }
        replace_selection("");
        return;
    }
    if (c == '\r') {
        if (flags_ & CtlMultiLine) replace_selection("\r\n");
        return;
    }
    if (c < 32 || c == 127) return;
    if (flags_ & CtlUpperCase) c = std::toupper((unsigned char)c);
    // The accented small letters of Windows-1252 have their capitals 32 lower.
    if ((flags_ & CtlUpperCase) && c >= 0xE0 && c <= 0xFE && c != 0xF7) c -= 32;
    replace_selection(std::string(1, (char)c));
}

void EditControl::move_caret(int32_t to, bool extend)
{
    caret_ = std::max(0, std::min(to, (int32_t)text_.size()));
    if (!extend) anchor_ = caret_;
    redraw();
}

void EditControl::key(int32_t k, int32_t modifiers)
{
    const bool shift = (modifiers & ModShift) != 0;
    const std::vector<Line> shown = lines();
    const int32_t line = line_of(shown, caret_);
    const int32_t line_end = shown[line].start + shown[line].length;
    switch (k) {
    case KeyLeft: {
        const bool pair = caret_ >= 2 && text_.compare(caret_ - 2, 2, "\r\n") == 0;
        move_caret(caret_ - (pair ? 2 : 1), shift);
        break;
    }
    case KeyRight: {
        const bool pair = text_.compare(caret_, 2, "\r\n") == 0;
        move_caret(caret_ + (pair ? 2 : 1), shift);
        break;
    }
    case KeyHome: move_caret(shown[line].start, shift); break;
    case KeyEnd: move_caret(line_end, shift); break;
    case KeyUp:
    case KeyDown: {
        const int32_t to = line + (k == KeyUp ? -1 : 1);
        if (to < 0 || to >= (int32_t)shown.size()) break;
        const int32_t column = caret_ - shown[line].start;
        move_caret(shown[to].start + std::min(column, shown[to].length), shift);
        break;
    }
    case KeyDelete:
        if (read_only_) break;
        if (selection_start() == selection_end()) {
            if (caret_ >= (int32_t)text_.size()) break;
            const bool pair = text_.compare(caret_, 2, "\r\n") == 0;
            anchor_ = caret_ + (pair ? 2 : 1);
        }
        replace_selection("");
        break;
    default: break;
    }
}

int32_t EditControl::position_at(int32_t x, int32_t y) const
{
    const std::vector<Line> shown = lines();
    const int32_t step = font_->height() + 1;
    const Line& line = shown[std::max(0, std::min((y - kMargin) / step, (int32_t)shown.size() - 1))];
    int32_t at = kMargin - scroll_x_;
    for (int32_t i = 0; i < line.length; i++) {
        const int32_t wc = font_->char_width((unsigned char)text_[line.start + i]);
        if (x < at + wc / 2) return line.start + i;
        at += wc;
    }
    return line.start + line.length;
}

intptr_t EditControl::handle(Message& m)
{
    switch (m.kind) {
    case MessageKind::ButtonDown:
        if (m.button != ButtonLeft) return 0;
        wm().set_focus(window_);
        wm().set_capture(window_);
        selecting_ = true;
        move_caret(position_at(m.x, m.y), (m.modifiers & ModShift) != 0);
        return 0;
    case MessageKind::MouseMove:
        if (selecting_) move_caret(position_at(m.x, m.y), true);
        return 0;
    case MessageKind::ButtonUp:
        selecting_ = false;
        if (wm().capture() == window_) wm().release_capture();
        return 0;
    case MessageKind::DoubleClick: set_selection(0, -1); return 0;
    case MessageKind::CaptureLost: selecting_ = false; return 0;
    case MessageKind::Character: type(m.character); return 0;
    case MessageKind::KeyDown: key(m.key, m.modifiers); return 0;
    default: return Control::handle(m);
    }
}

}  // namespace platform
