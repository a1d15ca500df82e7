#pragma once
// The on-screen piano: white and black keys from a leftmost key, each key drawn in its own
// colour (by default black or white) and marked while pressed. A press or a drag on it sends its
// parent window the message 200 (key pressed) and 201 (key released) with item 5 and the key's
// number as value, releasing the previous key first.
//
// Threads: GUI thread only.

#include <array>
#include <cstdint>

#include "framework/CUserPanel.h"

class CKeyboardPanel : public CUserPanel {
public:
    static constexpr short kItem = 5;
    static constexpr short kKeyPressed = 200;
    static constexpr short kKeyReleased = 201;
    static constexpr int32_t kDefaultColour = -1;

    explicit CKeyboardPanel(CPanel* parent);

    void set_left_note(short note);
    void set_note_width(short unit);
    // -1 gives the key its default colour (black for a black key, white for a white key).
    void set_note_color(short key, int32_t colour);
    int32_t get_note_color(short key) const;
    void note_on(short key);
    void note_off(short key);
    bool is_pressed(short key) const;

    void draw();
    // The key under a panel point, 0 when none.
    short key_at(short x, short y);
    // The left edge and width of a key, in panel pixels (width 0 when it is not shown).
    void key_box(short key, short* x, short* w);

private:
    static short keyboard_handler(CPanel* panel, Event* e);
    short handle(Event* e);
    void send(short type, short key);

    short left_note = 53;
    short unit = 8;
    short held = 0;  // the key pressed by the mouse
    std::array<int32_t, 128> colours;
    std::array<bool, 128> pressed{};
};
