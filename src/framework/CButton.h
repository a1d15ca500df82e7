#pragma once
// Push buttons, check boxes and radio buttons over native button controls. A click reaches the
// parent's handler as a control event (type 100) with the button's item number. A radio group
// is a run of radio buttons of one dialog with consecutive item numbers, starting at the one
// whose `main` is 1; its value is the 1-based place of the checked button in the run.

#include "framework/CPanel.h"

class CButton : public CPanel {
public:
    CButton(CPanel* parent, short id);
    ~CButton() override;
    void set_title(const char* text);
    void set_default(short on);
    void set_escape(short on) { esc = on; }
    void set_var_ptr(short* v) { var_ptr = v; }

    short def = 0;
    short esc = 0;
    short* var_ptr = nullptr;  // set to 1 when the button is pressed
};

class CCheck : public CPanel {
public:
    CCheck(CPanel* parent, short id);
    ~CCheck() override;
    // The caption; the width becomes the text's width plus 15.
    void set_title(const char* text);
    short get_value();
    void set_value(short v);
    // Binds the variable and shows its value.
    void set_var_ptr(short* v);

    short* var_ptr = nullptr;
};

class CRadio : public CPanel {
public:
    CRadio(CPanel* parent, short id, short main);
    ~CRadio() override;
    // The caption; the width becomes the text's width plus 16.
    void set_title(const char* text);
    void set_value(short v);  // checks (1) or unchecks (0) this button only
    short get_value();
    void set_var_ptr(short* v) { var_ptr = v; }
    // The place of the checked button in this button's group (1 when none is checked, or when
    // the button is not in a dialog); set_group_value(n) checks the n-th and unchecks the others.
    short get_group_value();
    void set_group_value(short n);

    short main;
    short* var_ptr = nullptr;
};

// The width of a text in the controls' font.
short control_text_width(const char* text);
