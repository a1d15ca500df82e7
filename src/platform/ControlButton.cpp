#include "platform/Control.h"

#include "platform/WindowManager.h"

namespace platform {

void ButtonControl::set_check(int32_t state)
{
    if (state == check_) return;
    check_ = state;
    redraw();
}

void ButtonControl::set_default(bool on)
{
    flags_ = on ? (flags_ | CtlDefault) : (flags_ & ~CtlDefault);
    redraw();
}

void ButtonControl::activate()
{
    if (flags_ & CtlCheckBox) set_check(check_ ? 0 : 1);
    else if (flags_ & CtlRadio) set_check(1);
    notify(0);
}

void ButtonControl::paint(Surface& s, int32_t w, int32_t h)
{
    s.fill({0, 0, w, h}, kButtonFace);
    s.set_text_color(wm().is_enabled(window_) ? 0 : 0x808080);
    if (flags_ & (CtlCheckBox | CtlRadio)) {
        const int32_t box = 13, top = (h - box) / 2;
        const Box b{1, top, 1 + box, top + box};
        if (flags_ & CtlCheckBox) {
            s.fill(b, 0xFFFFFF);
            bevel(s, b, true);
            if (check_) {
                s.set_pen({0, 2});
                s.draw_line(b.left + 3, b.top + 6, b.left + 5, b.top + 9);
                s.draw_line(b.left + 5, b.top + 9, b.left + 10, b.top + 3);
            }
        } else {
            // A radio button is round: a white disc in a grey ring, a black dot when chosen.
            s.set_pen({0x808080, 1});
            s.set_brush({0xFFFFFF});
            s.ellipse(b);
            if (check_) {
                s.set_pen({0, 1});
                s.set_brush({0});
                s.ellipse({b.left + 4, b.top + 4, b.right - 4, b.bottom - 4});
            }
        }
        s.draw_text_in({0, 0, w, h}, box + 5, h / 2 + font_->ascent() / 2 - 1, text_,
                       TextAlign::left_baseline);
        if (has_focus()) {
            s.set_pen({0, 1, Pen::Style::dot});
            s.set_brush({0, Brush::Kind::none});
            s.rectangle({box + 3, 1, w - 1, h - 1});
        }
        return;
    }
    Box b{0, 0, w, h};
    if (flags_ & CtlDefault) {
        s.set_pen({0, 1});
        s.set_brush({0, Brush::Kind::none});
        s.rectangle(b);
        b = {1, 1, w - 1, h - 1};
    }
    bevel(s, b, pressed_);
    const int32_t shift = pressed_ ? 1 : 0;
    s.draw_text_in(b, w / 2 + shift, h / 2 + font_->ascent() / 2 - 1 + shift, text_,
                   TextAlign::center_baseline);
    if (has_focus()) {
        s.set_pen({0, 1, Pen::Style::dot});
        s.set_brush({0, Brush::Kind::none});
        s.rectangle({b.left + 3, b.top + 3, b.right - 3, b.bottom - 3});
    }
}

intptr_t ButtonControl::handle(Message& m)
{
    switch (m.kind) {
    case MessageKind::ButtonDown:
        if (m.button != ButtonLeft) return 0;
        wm().set_focus(window_);
        wm().set_capture(window_);
        pressed_ = true;
        redraw();
        return 0;
    case MessageKind::ButtonUp: {
        if (m.button != ButtonLeft || !pressed_) return 0;
        pressed_ = false;
        if (wm().capture() == window_) wm().release_capture();
        redraw();
        // Released over the button: that is a click.
        if (m.x >= 0 && m.y >= 0 && m.x < client_width() && m.y < client_height()) activate();
        return 0;
    }
    case MessageKind::CaptureLost:
        pressed_ = false;
        redraw();
        return 0;
    case MessageKind::Character:
        if (m.character == ' ') activate();
        return 0;
    default: return Control::handle(m);
    }
}

}  // namespace platform
