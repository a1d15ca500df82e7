#pragma once
// What every panel over a native control shares: the control window is made under the parent
// panel's window with the item number as its child id, at (0, 0) in a small default size, and
// it goes with the panel.

#include "framework/CPanel.h"
#include "platform/Control.h"

// Makes the control window of `panel` (whose parent is set) and shows nothing yet.
void create_native_control(CPanel* panel, platform::ControlKind kind, uint32_t flags, short width,
                           short height);
// Destroys the panel's control window, if any, and clears `hwnd`.
void destroy_native_control(CPanel* panel);
// The control of the panel's window, of the given class, or null (no window, or another kind).
platform::ButtonControl* button_control(CPanel* panel);
platform::ListControl* list_control(CPanel* panel);
platform::ComboControl* combo_control(CPanel* panel);
platform::ScrollControl* scroll_control(CPanel* panel);
platform::EditControl* edit_control(CPanel* panel);
