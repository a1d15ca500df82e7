#pragma once
// CDialog: a dialog box described by a text of keyword records (resource type 11), one control
// per line, built hidden with all its controls. The owner fills the controls, runs the dialog
// one step at a time (run_modal), reads the controls back, closes and deletes it.
//
// Header: dialog(width, height, x, y, "title", help page, help anchor); x or y -1 centres it.
// Controls (width, height, x, y, item first, unless said otherwise):
//   button(..., "title", default, visible, enabled, next, cancel)
//   list(..., count, visible, enabled, next)            then items("a", "b", ...)
//   popup(..., count, visible, enabled, current, next)  then items(...)
//   check(-, height, x, y, item, "title", value, visible, enabled, next)
//   radio(-, step, x, y, first item, count, selected, visible, enabled, next)  then items(...)
//   te...(..., multi-line, max characters, visible, enabled, next, wrap)
//   scroll(..., horizontal, min, max, value, small step, large step, visible, enabled)
//   slider(..., horizontal, min, max, value, visible, enabled)
//   label(..., "text", justification, visible)    frame(..., "text", style, visible)
//   bitmap(x, y, item, picture, visible)          progress(..., visible)
//   userpanel(..., visible)                       colorchoice(..., visible)

#include "framework/Arrays.h"
#include "framework/CWindow.h"
#include "platform/Message.h"

class CUserPanel;
class CButton;
class CList;
class CPopup;
class CCheck;
class CRadio;
class CScroll;
class CTextedit;
class CLabel;
class CFrame;
class CSlider;
class CProgress;

class CDialog : public CWindow {
public:
    // Reads dialog `number` of the resource file `file` in `folder` (a null file builds an empty
    // dialog); `style` is added to the dialog window kind (0, or WinSysMenu for a close box).
    CDialog(const char* folder, const char* file, short number, EventHandler handler, short style);
    ~CDialog() override;

    // The control of that item number and kind, or null.
    CUserPanel* up(short id);
    CButton* button(short id);
    CList* list(short id);
    CPopup* popup(short id);
    CCheck* check(short id);
    CRadio* radio(short id);
    CScroll* scroll(short id);
    CTextedit* te(short id);
    CLabel* label(short id);
    CFrame* frame(short id);
    CSlider* slider(short id);
    CProgress* progress(short id);

    // Posts the close request: the next step returns 0.
    void close();
    // One step of the dialog's modal loop: 1 with `ev` filled (type 100 a control was used, 101
    // a list entry double-clicked, 8 nothing happened), 0 once the dialog is closed or the
    // program quits.
    short run_modal(Event* ev);
    // Tab and Shift+Tab for a character message addressed to a control of the dialog: 1 when
    // the focus moved (the message is then not to be dispatched).
    short handle_tab(platform::Message* msg, platform::WindowId window);

    short id_dial;
    char* dsp = nullptr;
    short esc_item = 0;
    short enter_item = 0;
    short filter = 0;
    short result = 0;
    short first_focus = 0;
    CArrayElem* tabevt;
    short store_events = 1;

private:
    CPanel* child_of_kind(short id, short kind);
    void build(const char* text);
    short raw_input(platform::Message& m);
    short owner_keys(platform::Message& m, Event* ev, bool* done);
    void route(platform::Message& m);
    bool take_queued(Event* ev);
};

// The item number of the control after `control` in keyboard order: its next_item, or the next
// focusable control in reading order (right along its row, then the next row down from the
// left, then from the top); 0 when there is none.
short find_next_control_tab(CDialog* dialog, CPanel* control);

// Whether a panel kind takes the keyboard focus: buttons, lists, check boxes, radio buttons,
// pop-up lists and text fields.
bool is_focusable_kind(short uid);
