#pragma once
// The font chooser: the user picks a face among those that can be drawn, a size, the bold,
// italic, underline and strike-out styles and a colour, and sees a sample. The chooser is the
// program's own window; tests and runs without a display put a responder in its place.

#include <cstdint>
#include <functional>
#include <string>

// What the chooser works on, in the form of a system font record.
struct FontChoice {
    static constexpr int32_t normal_weight = 400;
    static constexpr int32_t bold_weight = 700;
    static constexpr int32_t symbol_charset = 2;
    static constexpr size_t longest_face = 31;  // the record's 32 bytes hold the face and its zero

    std::string face;
    int32_t height = -12;  // negative: a character height in pixels
    int32_t weight = normal_weight;
    bool italic = false;
    bool underline = false;
    bool strike_out = false;
    int32_t charset = 0;
    int32_t color = 0;  // 0x00BBGGRR
};

// Answers instead of the chooser: true with the choice changed to confirm, false to cancel.
// An empty responder brings the chooser back; without a display, the chooser cancels.
using FontChooserResponder = std::function<bool(FontChoice* choice)>;
void set_font_chooser_responder(FontChooserResponder responder);

// Asks the responder, or the chooser window on a display; true when the user confirmed, the
// choice then holding the answer.
bool choose_font(FontChoice* choice);

// The chooser window: a click picks a face, a size, a colour or turns a style on or off; the
// arrow keys move through the faces; a double click on a face or Return confirms, Escape or
// the close box cancels.
bool run_font_chooser(FontChoice* choice);
