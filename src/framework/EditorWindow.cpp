#include "framework/EditorWindow.h"

#include "framework/CResFile.h"
#include "framework/CUserPanel.h"
#include "framework/CWindow.h"
#include "framework/Startup.h"

CUserPanel* open_editor_window(short width, short height, short title_line, int32_t help_reference, void* data,
                               EventHandler handler)
{
    CWindow* window = new CWindow(0x72);
    CString title;
    gr_string("MISC", "MUSIC.RES", 68, title_line, &title);
    window->set_title(title.get() ? title.get() : "");
    window->set_position(static_cast<short>(SCREEN_WIDTH / 2 - width / 2), static_cast<short>(SCREEN_HEIGHT / 2 - height / 2));
    window->set_dimension(width, height);
    window->data = data;
    window->event_handler = handler;
    window->help_reference = help_reference;
    CUserPanel* up = new CUserPanel(window);
    up->item_id = 1;
    up->data = data;
    up->event_handler = handler;
    up->set_left_side(0, SidePixels, nullptr);
    up->set_top_side(0, SidePixels, nullptr);
    up->set_right_side(100, SidePercent, nullptr);
    up->set_bottom_side(100, SidePercent, nullptr);
    window->show();
    up->show();
    window->set_focus(1);  // the keys go to the drawing surface
    return up;
}
