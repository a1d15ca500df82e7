#pragma once
// A slider drawn by the library, with its value written beside the knob and a "no value"
// state (-32000, shown "--"); and a progress bar showing a percentage. Both are drawing
// surfaces with their own handlers. The slider tells its parent's handler of each change:
// 100 then 110 while the knob follows the pointer, 111 when the drag ends, 100 alone for a
// Shift- or Ctrl-click (no value).

#include "framework/CLabel.h"

constexpr short kNoValue = -32000;

class CSlider : public CUserPanel {
public:
    CSlider(CPanel* parent, short id, short hor);
    void set_min_max(short min, short max);  // max is raised to min when below
    void get_min_max(short* min, short* max) { *min = minimum, *max = maximum; }
    void set_value(short v);
    short get_value() const { return value; }
    void set_var_ptr(short* v);
    void draw();
    short mouse(Event* e);

    short value = 0;
    short minimum = 0;
    short maximum = 100;
    short used = 0;
    short delta = 0;
    short hor;
    short* var_ptr = nullptr;

private:
    short clamp(short v) const;
    void knob(short* a, short* b);  // knob top and bottom (vertical) or left and right
    void notify(Event* e, short type);
};

class CProgress : public CUserPanel {
public:
    CProgress(CPanel* parent, short id);
    void set_value(short v);  // redraws only when it changes
    short get_value() const { return value; }
    void draw();

    short value = 0;
    int32_t fill_color = 0x0000FF;  // red; the rest of the bar is back_color (white)
};

short slider_proc(CPanel* panel, Event* e);
short progress_proc(CPanel* panel, Event* e);
