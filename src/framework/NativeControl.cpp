#include "framework/NativeControl.h"

#include "platform/WindowManager.h"

using namespace platform;

void create_native_control(CPanel* panel, ControlKind kind, uint32_t flags, short width,
                           short height)
{
    panel->left = panel->top = 0;
    panel->right = width;
    panel->bottom = height;
    panel->vis = 0;
    const WindowId parent = panel->parent ? panel->parent->hwnd : 0;
    panel->hwnd = Control::create(kind, parent, panel->item_id, flags, {0, 0, width, height});
}

void destroy_native_control(CPanel* panel)
{
    WindowManager* wm = WindowManager::current();
    if (wm && panel->hwnd && wm->exists(panel->hwnd)) wm->destroy_window(panel->hwnd);
    panel->hwnd = 0;
}

namespace {
template <class T>
T* control_as(CPanel* panel, ControlKind kind)
{
    Control* c = panel && panel->hwnd ? Control::of(panel->hwnd) : nullptr;
    return c && c->kind() == kind ? static_cast<T*>(c) : nullptr;
}
}  // namespace

ButtonControl* button_control(CPanel* p) { return control_as<ButtonControl>(p, ControlKind::Button); }
ListControl* list_control(CPanel* p) { return control_as<ListControl>(p, ControlKind::List); }
ComboControl* combo_control(CPanel* p) { return control_as<ComboControl>(p, ControlKind::Combo); }
ScrollControl* scroll_control(CPanel* p) { return control_as<ScrollControl>(p, ControlKind::Scroll); }
EditControl* edit_control(CPanel* p) { return control_as<EditControl>(p, ControlKind::Edit); }
