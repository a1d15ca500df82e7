#pragma once
// Moving or resizing rectangles with the mouse, shown as outlines inverted on the screen. The
// loop is modal: it keeps the application's periodic work and the demonstration player going
// and returns when the left button is released (or get_out_of_resize_rect is set). The caller
// has captured the mouse; the loop releases it.

#include "framework/CRect.h"

// Drags `data` of `kind` across the panels: each panel the pointer moves over is asked (event
// type 113) whether it takes it, and the accepting or refusing cursor shows its answer; when
// the left button is released the panel under the pointer gets the drop (type 114), whose
// answer is the result (0 when nothing takes it). While a script plays, its button decides.
short drag_and_drop(void* data, short kind);

// Set by the application to abandon a resize in progress; cleared when one starts.
extern short get_out_of_resize_rect;

// Which edges follow the mouse, and the limits: horizontally, when both left and right edges
// follow (a move) a is the smallest left edge and b the largest right edge; when one of them
// follows (a resize) a is the smallest and b the largest width. c and d are the same vertically.
struct ResizeLimits {
    short m_x1, m_y1, m_x2, m_y2;
    short a, b, c, d;
};
// Keeps `r` within the limits, as a rectangle whose edges were just moved.
void apply_resize_limits(CRect* r, const ResizeLimits& limits);

// Moves or resizes the `count` rectangles (screen coordinates) with the mouse, which starts at
// (mouse_x, mouse_y); 1 when the first rectangle ends up changed, else 0.
short resize_rect(CRect* rects, short m_x1, short m_y1, short m_x2, short m_y2, short a, short b, short c, short d,
                  short mouse_x, short mouse_y, short count);
