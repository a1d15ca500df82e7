#include "chords/CKeyboardPanel.h"

#include "framework/CWindow.h"

namespace {

constexpr bool kBlack[12] = {false, true, false, true, false, false, true, false, true, false, true, false};
constexpr int32_t kWhite = 0xFFFFFF;
constexpr int32_t kBlackKey = 0x000000;
constexpr int32_t kPressedMark = 0x808080;

bool is_black(short key) { return kBlack[key % 12]; }

}  // namespace

CKeyboardPanel::CKeyboardPanel(CPanel* parent) : CUserPanel(parent)
{
    colours.fill(kDefaultColour);
    event_handler = keyboard_handler;
    data = this;
}

void CKeyboardPanel::set_left_note(short note)
{
    // The leftmost key is a white key.
    left_note = note < 0 ? 0 : note > 127 ? 127 : note;
    if (is_black(left_note)) left_note--;
    dirty();
}

void CKeyboardPanel::set_note_width(short u)
{
    unit = u < 2 ? 2 : u;
    dirty();
}

void CKeyboardPanel::set_note_color(short key, int32_t colour)
{
    if (key < 0 || key > 127) return;
    colours[key] = colour;
    dirty();
}

int32_t CKeyboardPanel::get_note_color(short key) const
{
    if (key < 0 || key > 127) return kDefaultColour;
    return colours[key];
}

void CKeyboardPanel::note_on(short key)
{
    if (key < 0 || key > 127) return;
    pressed[key] = true;
    dirty();
}

void CKeyboardPanel::note_off(short key)
{
    if (key < 0 || key > 127) return;
    pressed[key] = false;
    dirty();
}

bool CKeyboardPanel::is_pressed(short key) const { return key >= 0 && key < 128 && pressed[key]; }

void CKeyboardPanel::key_box(short key, short* x, short* w)
{
    *x = 0;
    *w = 0;
    if (key < left_note || key > 127) return;
    short whites = 0;
    for (short k = left_note; k < key; k++)
        if (!is_black(k)) whites++;
    const short white_w = (short)(2 * unit);
    if (is_black(key)) {
        *w = (short)(unit + 2);
        *x = (short)(whites * white_w - *w / 2);
    } else {
        *w = white_w;
        *x = (short)(whites * white_w);
    }
    if (*x + *w > get_width()) *w = 0;
}

short CKeyboardPanel::key_at(short x, short y)
{
    const short black_h = (short)(get_height() * 6 / 10);
    short kx, kw;
    if (y < black_h)
        for (short k = left_note; k <= 127; k++) {
            if (!is_black(k)) continue;
            key_box(k, &kx, &kw);
            if (kw && x >= kx && x < kx + kw) return k;
        }
    for (short k = left_note; k <= 127; k++) {
        if (is_black(k)) continue;
        key_box(k, &kx, &kw);
        if (!kw) break;
        if (x >= kx && x < kx + kw) return k;
    }
    return 0;
}

void CKeyboardPanel::draw()
{
    const short h = get_height();
    const short black_h = (short)(h * 6 / 10);
    set_color(kWhite);
    fill_rect(0, 0, get_width(), h, 0);
    short x, w;
    for (int pass = 0; pass < 2; pass++)
        for (short k = left_note; k <= 127; k++) {
            if (is_black(k) != (pass == 1)) continue;
            key_box(k, &x, &w);
            if (!w) continue;
            const int32_t own = colours[k] == kDefaultColour ? (is_black(k) ? kBlackKey : kWhite) : colours[k];
            const short bottom = is_black(k) ? black_h : h;
            set_color(own);
            fill_rect(x, 0, (short)(x + w), bottom, 0);
            if (pressed[k]) {
                set_color(kPressedMark);
                fill_rect((short)(x + 2), (short)(bottom - 12), (short)(x + w - 2), (short)(bottom - 3), 0);
            }
            set_color(kBlackKey);
            draw_rect(x, 0, (short)(x + w), bottom, 0);
        }
}

void CKeyboardPanel::send(short type, short key)
{
    if (CPanel* p = parent) p->send_message(type, key, 0, 0, kItem);
}

short CKeyboardPanel::handle(Event* e)
{
    switch (e->type) {
    case EvPaint: draw(); return 1;
    case EvPress:
    case EvMove: {
        if (e->type == EvMove && !held) return 1;
        const short key = key_at(e->x, e->y);
        if (key == held) return 1;
        if (held) send(kKeyReleased, held);
        held = key;
        if (key) send(kKeyPressed, key);
        return 1;
    }
    case EvRelease:
        if (held) send(kKeyReleased, held);
        held = 0;
        return 1;
    default: return 0;
    }
}

short CKeyboardPanel::keyboard_handler(CPanel* panel, Event* e)
{
    return static_cast<CKeyboardPanel*>(panel)->handle(e);
}
