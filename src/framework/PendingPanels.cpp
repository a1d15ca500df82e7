// STAND-INS: see PendingPanels.h.
#include "framework/PendingPanels.h"

#include "platform/WindowManager.h"

CApplication* application = nullptr;
short TerminerAutoDemo = 0;
int32_t custom[16] = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
                      0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};

void CPanel::local_to_global(short* x, short* y)
{
    platform::WindowManager* wm = platform::WindowManager::current();
    if (!wm) return;
    const platform::Point p = wm->client_to_screen(hwnd, {*x, *y});
    *x = static_cast<short>(p.x);
    *y = static_cast<short>(p.y);
}
