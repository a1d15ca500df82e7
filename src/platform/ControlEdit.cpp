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

std::vector<int32_t> EditControl::line_starts() const
{
    std::vector<int32_t> starts{0};
    if (!(flags_ & CtlMultiLine)) return starts;
    for (size_t i = 0; i < text_.size(); i++)
        if (text_[i] == '\n') starts.push_back((int32_t)i + 1);
    return starts;
}

namespace {
// The characters of a line as shown (without its line end).
std::string shown_line(const std::string& text, int32_t start)
{
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (end > (size_t)start && text[end - 1] == '\r') end--;
    return text.substr(start, end - start);
}
}  // namespace

void EditControl::paint(Surface& s, int32_t w, int32_t h)
{
    const bool editable = wm().is_enabled(window_) && !read_only_;
    s.fill({0, 0, w, h}, editable ? 0xFFFFFF : kButtonFace);
    const int32_t step = font_->height() + 1;
    const std::vector<int32_t> starts = line_starts();
    const Box inside{2, 2, w - 2, h - 2};
    // Keep the caret in sight on a one-line field.
    if (!(flags_ & CtlMultiLine)) {
        const int32_t cx = font_->string_width(text_.substr(0, caret_));
        if (cx - scroll_x_ > w - 2 * kMargin) scroll_x_ = cx - (w - 2 * kMargin);
        if (cx < scroll_x_) scroll_x_ = cx;
    }
    for (size_t k = 0; k < starts.size(); k++) {
        const int32_t y = kMargin + (int32_t)k * step;
        if (y >= h) break;
        const std::string line = shown_line(text_, starts[k]);
        const int32_t x0 = kMargin - scroll_x_;
        // The selected part of the line, highlighted.
        const int32_t from = std::max(selection_start(), starts[k]) - starts[k];
        const int32_t to = std::min(selection_end(), starts[k] + (int32_t)line.size()) - starts[k];
        if (has_focus() && to > from) {
            const int32_t a = x0 + font_->string_width(line.substr(0, from));
            const int32_t b = x0 + font_->string_width(line.substr(0, to));
            s.set_clip(inside);
            s.fill({a, y, b, y + step}, 0x800000);
            s.reset_clip();
        }
        s.set_text_color(editable || read_only_ ? 0 : 0x808080);
        int32_t x = x0;
        for (int32_t i = 0; i < (int32_t)line.size(); i++) {
            const bool selected = has_focus() && i >= from && i < to;
            s.set_text_color(selected ? 0xFFFFFF : 0);
            x += s.draw_text_in(inside, x, y, std::string(1, line[i]), TextAlign::left_top);
        }
        if (has_focus() && caret_ >= starts[k] && caret_ <= starts[k] + (int32_t)line.size()) {
            const int32_t cx = x0 + font_->string_width(line.substr(0, caret_ - starts[k]));
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
    const std::vector<int32_t> starts = line_starts();
    int32_t line = 0;
    while (line + 1 < (int32_t)starts.size() && starts[line + 1] <= caret_) line++;
    const int32_t line_end = starts[line] + (int32_t)shown_line(text_, starts[line]).size();
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
    case KeyHome: move_caret(starts[line], shift); break;
    case KeyEnd: move_caret(line_end, shift); break;
    case KeyUp:
    case KeyDown: {
        const int32_t to = line + (k == KeyUp ? -1 : 1);
        if (to < 0 || to >= (int32_t)starts.size()) break;
        const int32_t column = caret_ - starts[line];
        const int32_t length = (int32_t)shown_line(text_, starts[to]).size();
        move_caret(starts[to] + std::min(column, length), shift);
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
    const std::vector<int32_t> starts = line_starts();
    const int32_t step = font_->height() + 1;
    const int32_t line = std::max(0, std::min((y - kMargin) / step, (int32_t)starts.size() - 1));
    const std::string text = shown_line(text_, starts[line]);
    int32_t at = kMargin - scroll_x_;
    for (int32_t i = 0; i < (int32_t)text.size(); i++) {
        const int32_t wc = font_->char_width((unsigned char)text[i]);
        if (x < at + wc / 2) return starts[line] + i;
        at += wc;
    }
    return starts[line] + (int32_t)text.size();
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
