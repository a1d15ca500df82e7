#pragma once
// Controls drawn by the library that only paint: a static text (CLabel) and a titled box or
// line around a group of controls (CFrame).

#include "framework/CString.h"
#include "framework/CUserPanel.h"

constexpr int32_t kButtonFaceColor = 0xF0F0F0;  // the desktop's button face
// The dialogs' text size: 8 points on a 96-dpi screen, in pixels.
constexpr short kDialogFontSize = 11;

class CLabel : public CUserPanel {
public:
    // Justification 1 left, 2 right, other values centred.
    CLabel(CPanel* parent, short id, short justification);
    void set_text(const char* s);
    void set_text_color(int32_t rgb);
    void set_back_color(int32_t rgb);
    // A left-justified label becomes as wide as its text (as one line).
    void auto_resize();
    void draw();

    CString text;
    int32_t text_color = 0;
    short justification;
};

// Styles 1 to 4 a plain box (black, light grey, dark grey, white), 5 an etched box, 6 a
// sunken box, 7 a raised box; styles 1 to 5 leave a gap in the top line for the title.
class CFrame : public CUserPanel {
public:
    CFrame(CPanel* parent, short id, short style);
    void set_text(const char* s) { text.set(s ? s : ""); }
    void draw();

    CString text;
    short style;
};

short label_proc(CPanel* panel, Event* e);
short frame_proc(CPanel* panel, Event* e);
