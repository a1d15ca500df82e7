// STAND-INS: see PendingPanels.h.
#include "framework/PendingPanels.h"

#include "platform/WindowManager.h"

CApplication* application = nullptr;
short TerminerAutoDemo = 0;
int32_t custom[16] = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
                      0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
CArrayPtr* win_array = nullptr;

CPanel::CPanel(CPanel* parent_panel) : parent(parent_panel)
{
    uid = 6;
    if (parent) parent->children.add(reinterpret_cast<intptr_t>(this));
}

CPanel::~CPanel()
{
    if (parent) parent->children.remove_item(reinterpret_cast<intptr_t>(this));
}

void CPanel::global_to_local(short* x, short* y)
{
    platform::WindowManager* wm = platform::WindowManager::current();
    if (!wm) return;
    const platform::Point p = wm->screen_to_client(hwnd, {*x, *y});
    *x = static_cast<short>(p.x);
    *y = static_cast<short>(p.y);
}

void CPanel::local_to_global(short* x, short* y)
{
    platform::WindowManager* wm = platform::WindowManager::current();
    if (!wm) return;
    const platform::Point p = wm->client_to_screen(hwnd, {*x, *y});
    *x = static_cast<short>(p.x);
    *y = static_cast<short>(p.y);
}

CWindow::CWindow(short window_style) : CPanel(nullptr), style(window_style)
{
    uid = 5;
    if (!win_array) win_array = new CArrayPtr;
    win_array->add(reinterpret_cast<intptr_t>(this));
}

CWindow::~CWindow()
{
    if (win_array) win_array->remove_item(reinterpret_cast<intptr_t>(this));
}

void CApplication::set_cursor_no_drop()
{
    if (auto* wm = platform::WindowManager::current()) wm->set_cursor(platform::Cursor::NotAllowed);
}

void CApplication::set_cursor_yes_drop()
{
    if (auto* wm = platform::WindowManager::current()) wm->set_cursor(platform::Cursor::SizeAll);
}

void CApplication::set_cursor_arrow()
{
    if (auto* wm = platform::WindowManager::current()) wm->set_cursor(platform::Cursor::Arrow);
}
