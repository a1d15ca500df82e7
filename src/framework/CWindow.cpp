#include "framework/CWindow.h"

#include "framework/CApplication.h"
#include "framework/CUserPanel.h"
#include "framework/CScript.h"
#include "platform/WindowManager.h"

using namespace platform;

CArrayPtr* win_array = nullptr;

namespace {

// The native window's options for a window style; an empty class name: no native window.
WindowOptions window_options(short style)
{
    WindowOptions o;
    const WindowId frame = application ? application->hwnd : 0;
    uint32_t s = 0;
    if (style & WinSysMenu) s |= StyleCloseBox;
    if (style & WinMaximized) s |= StyleMaximized;
    if (style & WinChild) {
        o.class_name = "MyChildWindowClass";
        o.parent = application ? application->hmdi : 0;
        s |= StyleCaption | StyleDocument | StyleChild;
    } else if (style & (WinNormal | WinTool)) {
        const bool normal = (style & WinNormal) != 0;
        o.class_name = normal ? "MyNormalWindowClass" : "MyToolWindowClass";
        o.owner = frame;
        s |= normal ? StyleCaption : StyleToolCaption;
        if (style & WinSizing) s |= StyleSizing;
    } else if (style & WinTopmost) {
        o.class_name = "MyTopmostWindowClass";
        o.owner = frame;
        s |= StyleTopmost;
        if (!(style & WinNoCaption)) s |= StyleCaption;
        if (style & WinSizing) s |= StyleSizing;
    } else if (style & WinDialog) {
        o.class_name = "MyDialogWindowClass";
        o.owner = frame;
        s |= StyleCaption | StyleBorder;
    }
    o.style = s;
    return o;
}

}  // namespace

CWindow::CWindow(short window_style) : CPanel(NO_PARENT), style(window_style)
{
    uid = 5;
    if (!win_array) win_array = new CArrayPtr;
    win_array->add((intptr_t)this);
    script_number = next_script_window_number();
    WindowManager* wm = WindowManager::current();
    WindowOptions options = window_options(style);
    if (!wm || options.class_name.empty()) return;
    hwnd = wm->create_window(options);
    if (hwnd) wm->accept_file_drops(hwnd, true);
}

CWindow::~CWindow()
{
    if (win_array) win_array->remove_item((intptr_t)this);
    WindowManager* wm = WindowManager::current();
    if (wm && hwnd && wm->exists(hwnd)) {
        wm->accept_file_drops(hwnd, false);
        const bool document = (wm->style(hwnd) & StyleDocument) != 0;
        const WindowId next = document ? 0 : wm->next_window(hwnd);
        // The children's windows go with this one: they must not destroy them again.
        const WindowId own = hwnd;
        hwnd = 0;
        wm->destroy_window(own);
        if (next && wm->exists(next)) wm->activate_window(next);
    }
}

void CWindow::set_title(const char* title)
{
    if (WindowManager* wm = WindowManager::current(); wm && hwnd) wm->set_title(hwnd, title ? title : "");
}

short CWindow::is_zoomed()
{
    WindowManager* wm = WindowManager::current();
    return wm && hwnd && wm->is_maximized(hwnd) ? 1 : 0;
}

void CWindow::zoom()
{
    WindowManager* wm = WindowManager::current();
    if (!wm || !hwnd) return;
    if (wm->is_maximized(hwnd)) wm->restore_window(hwnd);
    else wm->maximize_window(hwnd);
}

void CWindow::set_level(short level)
{
    if (WindowManager* wm = WindowManager::current(); wm && hwnd) wm->set_topmost(hwnd, level != 0);
}

short CWindow::get_client_width()
{
    WindowManager* wm = WindowManager::current();
    return wm && hwnd ? (short)wm->client_rect(hwnd).width() : 0;
}

short CWindow::get_client_height()
{
    WindowManager* wm = WindowManager::current();
    return wm && hwnd ? (short)wm->client_rect(hwnd).height() : 0;
}

namespace {

bool is_within(WindowManager* wm, WindowId window, WindowId ancestor)
{
    for (WindowId w = window; w; w = wm->parent(w))
        if (w == ancestor) return true;
    return false;
}

}  // namespace

short CWindow::run_modal()
{
    WindowManager* wm = WindowManager::current();
    if (!wm || !application) return 0;
    application->periodic_task();
    Message m;
    for (;;) {
        if (!wm->get_message(m)) {
            wm->post_quit(m.id);  // the program's own loop ends on it
            return 0;
        }
        application->call_idle_handlers();
        if (m.window == hwnd && m.kind == MessageKind::Close) return 0;
        if (m.kind == MessageKind::Paint) {
            wm->translate_message(m);
            wm->dispatch_message(m);
            return 0;
        }
        if (!hwnd || !is_within(wm, m.window, hwnd)) return 0;
        wm->translate_message(m);
        wm->dispatch_message(m);
    }
}
