#pragma once
// Where the program's windows are: the main window's client area and the document area that
// windows are kept inside.

#include "framework/CRect.h"

// Screen position of the main window's client area.
void get_main_window_client_origin(short* x, short* y);
// The main window's client rectangle: (0, 0, width, height).
void get_main_screen_area(CRect* r);

// Moves `r` into an area of `width` x `height` from (0, 0), first shrinking it to the area's
// size when it is larger; a rectangle whose right edge is negative is left alone.
void fit_rect_in_area(CRect* r, short width, short height);
// The same inside the document area (the frame's client window).
void fit_rect_in_screen(CRect* r);
