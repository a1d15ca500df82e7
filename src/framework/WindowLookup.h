#pragma once
// Where the program's windows are: the main window's client area and the document area that
// windows are kept inside.

#include "framework/CRect.h"

#include "platform/Message.h"

class CPanel;
class CWindow;

// The panel that owns window `h`: a window of win_array, else the first window still being
// made (its handle not yet recorded), else the child with that window of the panel that owns
// h's parent window. Null when none.
CPanel* get_cpan_from_handle(platform::WindowId h);
// The panel of the window at the screen point, or null.
CPanel* get_panel_under(short x, short y);
// The window (kind 5) holding the panel at the screen point; null when there is no panel,
// the panel is itself a window, or its parent is not a window.
CWindow* get_window_under(short x, short y);
// The text field (kind 14) that has the keyboard focus, or null.
CPanel* get_cur_te();
// The window just below `w` in the stacking order (below the main window: the document in
// front); null when that window is not one of win_array.
CWindow* get_next_window(CWindow* w);
// The frontmost visible window of win_array (the documents count where the main window
// stands), or null.
CWindow* get_front_window();

// Screen position of the main window's client area.
void get_main_window_client_origin(short* x, short* y);
// The main window's client rectangle: (0, 0, width, height).
void get_main_screen_area(CRect* r);

// Moves `r` into an area of `width` x `height` from (0, 0), first shrinking it to the area's
// size when it is larger; a rectangle whose right edge is negative is left alone.
void fit_rect_in_area(CRect* r, short width, short height);
// The same inside the document area (the frame's client window).
void fit_rect_in_screen(CRect* r);
