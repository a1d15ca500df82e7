#include "framework/CScroll.h"

#include "framework/NativeControl.h"

using namespace platform;

CScroll::CScroll(CPanel* parent_panel, short id, short horizontal) : CPanel(parent_panel), hor(horizontal)
{
    uid = 13;
    item_id = id;
    create_native_control(this, ControlKind::Scroll, hor ? (uint32_t)CtlHorizontal : 0u, 60, 20);
}

CScroll::~CScroll() { destroy_native_control(this); }

void CScroll::set_min_max(short min, short max)
{
    if (ScrollControl* c = scroll_control(this)) c->set_range(min, max);
}

void CScroll::set_value(short v)
{
    if (ScrollControl* c = scroll_control(this)) c->set_position(v);
}

short CScroll::get_value()
{
    ScrollControl* c = scroll_control(this);
    return c ? (short)c->position() : 0;
}

void CScroll::set_var_ptr(short* v)
{
    var_ptr = v;
    if (v) set_value(*v);
}
