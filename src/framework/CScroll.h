#pragma once
// A native scroll bar. Its parent's window procedure turns the bar's requests into events for
// the parent's handler (arrows 103/102, trough 105/104, each followed by 100; a thumb drag 106,
// the thumb released 100, the end of an action 107), setting the new position first.

#include "framework/CPanel.h"

class CScroll : public CPanel {
public:
    CScroll(CPanel* parent, short id, short hor);
    ~CScroll() override;
    void set_min_max(short min, short max);
    void set_value(short v);  // kept inside the range
    short get_value();
    void set_steps(short small, short big) { small_step = small, big_step = big; }
    void get_steps(short* small, short* big) { *small = small_step, *big = big_step; }
    // Binds the variable and shows its value.
    void set_var_ptr(short* v);

    short small_step = 1;
    short big_step = 1;
    short hor;
    short* var_ptr = nullptr;
};
