#include "framework/CLabel.h"

#include <algorithm>

using namespace platform;

short label_proc(CPanel* panel, Event* e)
{
    if (e->type != EvPaint) return 0;
    ((CLabel*)panel)->draw();
    return 1;
}

short frame_proc(CPanel* panel, Event* e)
{
    if (e->type != EvPaint) return 0;
    ((CFrame*)panel)->draw();
    return 1;
}

CLabel::CLabel(CPanel* parent_panel, short id, short just) : CUserPanel(parent_panel), justification(just)
{
    uid = 20;
    item_id = id;
    event_handler = label_proc;
    back_color = kButtonFaceColor;
    set_font("MS Sans Serif", kDialogFontSize, 0);
}

void CLabel::set_text(const char* s)
{
    text.set(s ? s : "");
    dirty(1);
}

void CLabel::set_text_color(int32_t rgb)
{
    text_color = rgb;
    dirty(1);
}

void CLabel::set_back_color(int32_t rgb)
{
    back_color = rgb;
    dirty(1);
}

void CLabel::auto_resize()
{
    if (justification != 1) return;
    set_dimension(string_width(text.get()), get_height());
}

void CLabel::draw()
{
    if (!vis) return;
    const short w = get_width(), h = get_height();
    fill_rect(0, 0, w, h, 1);
    set_color(text_color);
    draw_text_bloc(text.get(), justification, 0, 0, w, h);
}

CFrame::CFrame(CPanel* parent_panel, short id, short frame_style) : CUserPanel(parent_panel), style(frame_style)
{
    uid = 21;
    item_id = id;
    event_handler = frame_proc;
    set_font("MS Sans Serif", kDialogFontSize, 0);
    disable();  // never takes the mouse
}

void CFrame::draw()
{
    if (!vis) return;
    const short w = get_width(), h = get_height(), s = font.size;
    const bool titled = text.length() > 0;
    const short t = titled ? string_width(text.get()) : 0;
    set_color(kButtonFaceColor);
    fill_rect(0, 0, w, h, 0);
    short y0 = 0;
    if (titled) {
        set_color(0);
        go_to(6, (short)(s + 3));
        Surface* surface = get_dc();
        if (surface) {
            surface->set_paint(Paint::normal);
            surface->set_font(hf);
            surface->set_text_color(0);
            surface->draw_text(6 + ox, s + 3 + oy, text.get(), TextAlign::left_bottom);
        }
        y0 = style == 6 || style == 7 ? s : (short)(s / 2 + 1);
    }
    // A horizontal line at y, leaving the title's gap when the style has one.
    auto top_line = [&](short y, short x_end, int32_t colour) {
        set_color(colour);
        if (titled && style >= 1 && style <= 5) {
            draw_line(0, y, 4, y, 0);
            draw_line((short)(t + 8), y, x_end, y, 0);
        } else {
            draw_line(0, y, x_end, y, 0);
        }
    };
    auto line = [&](short x1, short y1, short x2, short y2, int32_t colour) {
        set_color(colour);
        draw_line(x1, y1, x2, y2, 0);
    };
    const int32_t dark = 0x808080, light = 0xFFFFFF;
    switch (style) {
    case 5:
        top_line(y0, (short)(w - 1), dark);
        top_line((short)(y0 + 1), (short)(w - 1), light);
        line(0, y0, 0, (short)(h - 1), dark);
        line(1, (short)(y0 + 1), 1, (short)(h - 1), light);
        line(0, (short)(h - 2), (short)(w - 1), (short)(h - 2), dark);
        line(0, (short)(h - 1), w, (short)(h - 1), light);
        line((short)(w - 2), y0, (short)(w - 2), (short)(h - 2), dark);
        line((short)(w - 1), y0, (short)(w - 1), (short)(h - 1), light);
        break;
    case 6:
    case 7: {
        const int32_t first = style == 6 ? dark : light, second = style == 6 ? light : dark;
        line(0, y0, w, y0, first);
        line(0, y0, 0, (short)(h - 1), first);
        line(0, (short)(h - 1), w, (short)(h - 1), second);
        line((short)(w - 1), y0, (short)(w - 1), (short)(h - 1), second);
        break;
    }
    default: {
        const int32_t colour = style == 1 ? 0 : style == 2 ? 0xC0C0C0 : style == 3 ? dark
                               : style == 4 ? light : titled ? 0 : kButtonFaceColor;
        top_line(y0, (short)(w - 1), colour);
        line(0, y0, 0, (short)(h - 1), colour);
        line((short)(w - 1), y0, (short)(w - 1), (short)(h - 1), colour);
        line(0, (short)(h - 1), w, (short)(h - 1), colour);
        break;
    }
    }
}
