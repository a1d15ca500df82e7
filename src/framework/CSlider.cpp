#include "framework/CSlider.h"

#include <algorithm>
#include <cstdio>

using namespace platform;

namespace {

constexpr int32_t kFace = kButtonFaceColor, kDark = 0x808080, kLight = 0xFFFFFF, kGroove = 0xC0C0C0;

// Text on the panel's current surface, placed by `align` at (x, y).
void put_text(CUserPanel* p, short x, short y, const char* text, TextAlign align)
{
    Surface* s = p->get_dc();
    if (!s) return;
    s->set_paint(Paint::normal);
    s->set_font(p->hf);
    s->set_text_color(0);
    s->draw_text(x + p->ox, y + p->oy, text, align);
}

}  // namespace

short slider_proc(CPanel* panel, Event* e)
{
    CSlider* s = (CSlider*)panel;
    switch (e->type) {
    case EvPaint: s->draw(); return 1;
    case EvPress:
    case EvRelease:
    case EvMove: return s->mouse(e);
    default: return 0;
    }
}

CSlider::CSlider(CPanel* parent_panel, short id, short horizontal) : CUserPanel(parent_panel), hor(horizontal)
{
    uid = 23;
    item_id = id;
    event_handler = slider_proc;
    set_font("MS Sans Serif", kDialogFontSize, 0);
}

short CSlider::clamp(short v) const
{
    if (v == kNoValue) return v;
    return std::max(minimum, std::min(v, maximum));
}

void CSlider::set_min_max(short min, short max)
{
    minimum = min;
    maximum = std::max(min, max);
    value = clamp(value);
    dirty(1);
}

void CSlider::set_value(short v)
{
    value = clamp(v);
    dirty(1);
}

void CSlider::set_var_ptr(short* v)
{
    var_ptr = v;
    if (v) value = clamp(*v);
    dirty(1);
}

// Knob top and bottom (vertical) or left and right (horizontal).
void CSlider::knob(short* a, short* b)
{
    const short w = get_width(), h = get_height();
    const bool has_ratio = maximum != minimum && value != kNoValue;
    const double r = has_ratio ? (double)(value - minimum) / (maximum - minimum) : 0.0;
    if (!hor) {
        const short length = (short)(h - 18);
        const short p = has_ratio ? (short)((length - 8) * r) : 0;
        *b = (short)(h - (p + 1));
        *a = (short)(*b - 8);
        if (*a < 19) *a = 19, *b = 27;
        return;
    }
    const short k = (short)(h * 1.5), length = (short)(w - k);
    *a = (short)((has_ratio ? (short)((length - 8) * r) : 0) + 1);
    *b = (short)(*a + 8);
    if (*b > length - 1) *b = (short)(length - 1), *a = (short)(*b - 8);
}

void CSlider::draw()
{
    const short w = get_width(), h = get_height();
    const short k = (short)(h * 1.5);
    const short track_end = hor ? (short)(w - k) : h;  // along the track
    const short track_start = hor ? 0 : 18;
    set_color(kFace);
    fill_rect(0, 0, w, h, 0);
    short a, b;
    knob(&a, &b);
    if (value != kNoValue) {
        set_color(0);
        if (!hor) {
            draw_line(1, (short)(a - 2), (short)(w - 2), (short)(a - 2), 0);
            draw_line(1, (short)(a - 2), 1, b, 0);
            draw_line((short)(w - 2), (short)(a - 2), (short)(w - 2), b, 0);
            for (short g : {1, 4, 7}) draw_line(1, (short)(a + g), (short)(w - 2), (short)(a + g), 0);
        } else {
            draw_rect(a, 1, (short)(b + 1), (short)(h - 2), 0);
            for (short g : {3, 6}) draw_line((short)(a + g), 1, (short)(a + g), (short)(h - 2), 0);
        }
    }
    // The groove: a sunken band four pixels across along the middle of the track.
    auto groove = [&](short from, short to) {
        if (to - from < 1) return;
        const short mid = (short)((hor ? h : w) / 2 - 2);
        const int32_t colours[4] = {kDark, kGroove, kGroove, kLight};
        for (short i = 0; i < 4; i++) {
            set_color(colours[i]);
            if (hor) draw_line(from, (short)(mid + i), to, (short)(mid + i), 0);
            else draw_line((short)(mid + i), from, (short)(mid + i), to, 0);
        }
        set_color(kDark);
        if (hor) draw_line(from, mid, from, (short)(mid + 3), 0);
        else draw_line(mid, from, (short)(mid + 3), from, 0);
        set_color(kLight);
        if (hor) draw_line(to, mid, to, (short)(mid + 3), 0);
        else draw_line(mid, to, (short)(mid + 3), to, 0);
    };
    if (value == kNoValue) {
        put_text(this, (short)(w - 4), (short)(h / 2 + (hor ? 6 : 4)), "--", TextAlign::right_bottom);
        if (hor) groove(track_start, (short)(track_end - 1));
        return;
    }
    if (hor) {
        groove(track_start, (short)(a - 1));
        groove((short)(b + 2), (short)(track_end - 1));
    } else {
        groove(track_start, (short)(a - 3));
        groove((short)(b + 1), (short)(track_end - 1));
    }
    char text[16];
    std::snprintf(text, sizeof text, "%hd", value);
    if (hor) put_text(this, (short)(w - 4), (short)(h / 2 + 6), text, TextAlign::right_bottom);
    else put_text(this, (short)(w / 2), 15, text, TextAlign::center_bottom);
}

void CSlider::notify(Event* e, short type)
{
    if (!parent || !parent->event_handler) return;
    e->type = type;
    e->item = item_id;
    parent->event_handler(parent, e);
}

short CSlider::mouse(Event* e)
{
    if (!(e->flags & EvfLeft)) return 0;
    const short w = get_width(), h = get_height();
    if (e->type == EvPress && (e->flags & (EvfShift | EvfCtrl))) {
        value = kNoValue;
        Event copy = *e;
        notify(&copy, EvControl);
        dirty(1);
        return 1;
    }
    if (e->type == EvPress) {
        used = 1;
        short a, b;
        knob(&a, &b);
        if (!hor) {
            short p = (short)(h - b - 1);
            p = std::min<short>(p, (short)(h - 27));
            delta = (short)std::max(-10, std::min(-2, e->y - (h - p)));
        } else {
            delta = (short)std::max(0, std::min(8, e->x - a));
        }
    }
    if (e->type == EvRelease) {
        if (used) {
            Event copy = *e;
            notify(&copy, EvSliderReleased);
        }
        used = 0;
        return 1;
    }
    if (!used) return 1;
    // The value at `along` pixels of a knob travel of `travel` pixels; a slider too small to
    // have any travel stays at its minimum.
    auto at = [&](int32_t along, int32_t travel) {
        if (travel <= 0) return minimum;
        return clamp((short)(minimum + (int32_t)((double)(maximum - minimum) * along / travel)));
    };
    if (!hor) {
        const int32_t y = e->y - delta;
        if (y > h) value = minimum;
        else if (y < 9) value = maximum;
        else value = at(h - y, h - 27);
    } else {
        const short k = (short)(h * 1.5);
        const int32_t x = e->x - delta;
        if (x < 0) value = minimum;
        else if (x + 8 > (w - k) - 1) value = maximum;
        else value = at(x, w - k - 9);
    }
    dirty(1);
    Event copy = *e;
    notify(&copy, EvControl);
    copy = *e;
    notify(&copy, EvSliderMoved);
    return 1;
}

short progress_proc(CPanel* panel, Event* e)
{
    if (e->type != EvPaint) return 0;
    ((CProgress*)panel)->draw();
    return 1;
}

CProgress::CProgress(CPanel* parent_panel, short id) : CUserPanel(parent_panel)
{
    uid = 25;
    item_id = id;
    event_handler = progress_proc;
    back_color = 0xFFFFFF;
}

void CProgress::set_value(short v)
{
    if (v == value) return;
    value = v;
    dirty(1);
}

void CProgress::draw()
{
    if (!vis) return;
    const short w = get_width(), h = get_height();
    const short n = (short)std::max(0, std::min<int32_t>(w, (int32_t)w * value / 100));
    if (n > 0) {
        set_color(fill_color);
        fill_rect(0, 0, n, h, 0);
    }
    set_color(back_color);
    fill_rect(n, 0, w, h, 0);
    set_color(0);
    draw_rect(0, 0, w, h, 0);
}
