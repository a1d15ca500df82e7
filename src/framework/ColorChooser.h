#pragma once
// The colour chooser: the user picks one of the basic colours or of the sixteen custom colours
// of the run, which the chooser can also change. The chooser is the program's own window; tests
// and runs without a display put a responder in its place.

#include <cstdint>
#include <functional>

// Opens the chooser on the colour *color (0x00BBGGRR) with the custom colours; when the user
// confirms, the choice is stored in *color. 1 when confirmed, 0 when cancelled.
short edit_color(int32_t* color);

// Answers instead of the chooser: true with *colour set to confirm (the custom colours may be
// changed too), false to cancel. An empty responder brings the chooser back; without a
// display, the chooser cancels.
using ColorChooserResponder = std::function<bool(int32_t* colour, int32_t* custom_colours)>;
void set_color_chooser_responder(ColorChooserResponder responder);

// The chooser window: a click picks a colour, a click with Shift on a custom colour stores the
// picked one there, a double click or Return confirms, Escape or the close box cancels.
bool run_color_chooser(int32_t* colour, int32_t* custom_colours);
