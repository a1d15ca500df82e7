#pragma once
// CWindow: the panel that is a top-level or document window, of one of five kinds chosen by
// its style bits, with a modal step for editors that run their own loops.

#include "framework/CPanel.h"

// Style bits; the first of WinChild, WinNormal, WinTool, WinTopmost, WinDialog that is set
// chooses the kind of window (none: no native window).
enum WindowStyleBits : short {
    WinChild = 0x0001,       // document window inside the frame's document area
    WinNormal = 0x0002,      // top-level window owned by the frame
    WinTopmost = 0x0004,     // topmost window owned by the frame
    WinDialog = 0x0008,      // dialog window owned by the frame
    WinMinMax = 0x0010,      // minimise and maximise boxes
    WinSysMenu = 0x0020,     // close box
    WinSizing = 0x0040,      // sizing border (not for document windows)
    WinMaximized = 0x0080,   // created maximised
    WinMinBox = 0x0100,
    WinMaxBox = 0x0200,
    WinTool = 0x0400,        // tool window (small caption) owned by the frame
    WinNoCaption = 0x0800,   // topmost window without caption
};

class CWindow : public CPanel {
public:
    explicit CWindow(short style);
    ~CWindow() override;

    short is_window() override { return 1; }

    // Forgets the native window, which the destructor then leaves alone.
    void detach_from_graphic_object() { hwnd = 0; }
    void set_title(const char* title);
    short is_zoomed();
    void zoom();  // restores a maximised window, maximises another
    void set_level(short level);  // 0 not topmost, other topmost
    short get_client_width();
    short get_client_height();
    // One step of a modal loop for this window; the caller loops until its own flag says the
    // window is done. Returns 0.
    short run_modal();

    short style = 0;
    short script_number = 0;
};

// Every CWindow in creation order.
extern CArrayPtr* win_array;
