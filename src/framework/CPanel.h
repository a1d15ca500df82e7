#pragma once
// CPanel: everything on the screen is a panel. Panels form a tree (each owns its children),
// carry their behaviour in function pointers, and place themselves by four anchored sides, each
// in pixels or as a percentage of the parent, optionally measured from a sibling panel.
// A panel may own a native window or live inside its parent's window.

#include "framework/Arrays.h"
#include "framework/CRect.h"
#include "framework/Event.h"
#include "platform/Message.h"

#include <cstdint>

class CPanel;

using EventHandler = short (*)(CPanel*, Event*);
using AskRefSupProc = void (*)(CPanel*, short*, short*);
using ClickProc = void (*)();
using ExecuteProc = short (*)(CPanel*);

// Side modes.
enum SideMode : short {
    SidePercent = 1,  // any value but 2 reads as a percentage of the parent's extent
    SidePixels = 2,
};

// The parent argument that stands for "no parent" (and, for a drawing surface, no window).
inline CPanel* const NO_PARENT = reinterpret_cast<CPanel*>(static_cast<intptr_t>(-1));

class CPanel : public CObject {
public:
    explicit CPanel(CPanel* parent);
    ~CPanel() override;
    CPanel(const CPanel&) = delete;
    CPanel& operator=(const CPanel&) = delete;

    virtual short is_window() { return 0; }

    void set_left_side(short value, short mode, CPanel* ref);
    void set_top_side(short value, short mode, CPanel* ref);
    void set_right_side(short value, short mode, CPanel* ref);
    void set_bottom_side(short value, short mode, CPanel* ref);
    // Applies the four sides again (left, top, bottom, right) and redraws the panel.
    void update_size();
    void set_rect(short x1, short y1, short x2, short y2, short unused = 0);
    void set_position(short x, short y);
    void set_dimension(short width, short height);

    // The panel's rectangle in its parent's client coordinates.
    short get_x();
    short get_y();
    short get_width();
    short get_height();
    void get_rect(CRect* r);
    short parent_point_inside(short x, short y);  // both far edges inside
    short global_inside(short x, short y);        // a screen point
    void global_to_local(short* x, short* y);
    void local_to_global(short* x, short* y);

    CPanel* find_child(short id);
    CPanel* find_child_all(short id);
    // 0: the panel's own window; negative: nobody; positive: the direct child with that id.
    void set_focus(short id);

    void enable();
    void disable();
    short enabled() const { return en; }
    short visible() const { return vis; }
    void show();
    void hide();  // also disables
    void update();
    void dirty(short unused = 0);
    void dirty_rect(CRect* r, short unused = 0);

    // Builds an Event of these five fields and returns the handler's answer (0 without one).
    short send_message(short type, short value, short x, short y, short item);

    void set_execute_proc(ExecuteProc p) { execute_proc = p; }
    void set_c_proc(ClickProc p) { clic_proc = p; }
    void set_dc_proc(ClickProc p) { double_clic_proc = p; }
    void set_ask_ref_sup_proc(AskRefSupProc p) { ask_ref_sup_proc = p; }

    short left = 0, top = 0, right = 25, bottom = 25;
    short left_mode = SidePixels, top_mode = SidePixels, right_mode = SidePixels,
          bottom_mode = SidePixels;
    CPanel* left_cp = nullptr;
    CPanel* top_cp = nullptr;
    CPanel* right_cp = nullptr;
    CPanel* bottom_cp = nullptr;
    short en = 1;
    short vis = 0;
    EventHandler event_handler;
    short cursor = 0;  // 1 arrow, 2 hourglass, other: the window class's own
    CPanel* parent = nullptr;
    platform::WindowId hwnd = 0;
    CArrayPtr children;
    short item_id = 0;
    short next_item = 0;
    void* data = nullptr;
    int32_t help_reference = 0;
    short ref_sup = 0, sub_ref_sup = 0;
    AskRefSupProc ask_ref_sup_proc = nullptr;
    ClickProc double_clic_proc = nullptr;
    ClickProc clic_proc = nullptr;
    ExecuteProc execute_proc = nullptr;

protected:
    void move_native();    // to (absolute left, absolute top), size kept
    void resize_native();  // to the absolute sides' size, position kept
};

// The absolute position of a side in the parent's client coordinates, from its value, mode and
// reference panel; the extent of a parent that is a window is its client area's.
short absolute_left_side(short value, short mode, CPanel* ref, CPanel* parent);
short absolute_top_side(short value, short mode, CPanel* ref, CPanel* parent);
short absolute_right_side(short value, short mode, CPanel* ref, CPanel* parent);
short absolute_bottom_side(short value, short mode, CPanel* ref, CPanel* parent);
