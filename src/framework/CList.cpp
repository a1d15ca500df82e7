#include "framework/CList.h"

#include "framework/NativeControl.h"

using namespace platform;

namespace {
ListControl* items_of(CPanel* panel)
{
    if (ListControl* l = list_control(panel)) return l;
    return combo_control(panel);
}
}  // namespace

short CListBase::add(const char* text) { return insert(text, 0); }

short CListBase::insert(const char* text, short n)
{
    ListControl* l = items_of(this);
    if (!l) return 0;
    return (short)(l->insert(text ? text : "", n >= 1 ? n - 1 : -1) + 1);
}

void CListBase::remove(short n)
{
    if (ListControl* l = items_of(this)) l->remove(n - 1);
}

void CListBase::clear()
{
    if (ListControl* l = items_of(this)) l->clear();
}

short CListBase::total()
{
    ListControl* l = items_of(this);
    return l ? (short)l->count() : 0;
}

short CListBase::get_cur()
{
    ListControl* l = items_of(this);
    return l ? (short)(l->selection() + 1) : 0;
}

void CListBase::set_cur(short n)
{
    if (ListControl* l = items_of(this)) l->select(n - 1);
}

short CListBase::get_item(short n, CString* out)
{
    ListControl* l = items_of(this);
    out->set(l ? l->item(n - 1).c_str() : "");
    return 1;
}

CList::CList(CPanel* parent_panel, short id) : CListBase(parent_panel)
{
    uid = 9;
    item_id = id;
    create_native_control(this, ControlKind::List, 0, 60, 20);
}

CList::~CList() { destroy_native_control(this); }

void CList::set_item(const char* text, short n)
{
    ListControl* l = list_control(this);
    if (!l || n < 1 || n > l->count()) return;
    const int32_t kept = l->selection();  // the same index before and after
    l->remove(n - 1);
    l->insert(text ? text : "", n - 1);
    l->select(kept);
}

void CList::set_first(short n)
{
    if (ListControl* l = list_control(this)) l->set_top(n - 1);
}

CPopup::CPopup(CPanel* parent_panel, short id) : CListBase(parent_panel)
{
    uid = 10;
    item_id = id;
    create_native_control(this, ControlKind::Combo, 0, 60, 20);
}

CPopup::~CPopup() { destroy_native_control(this); }

void CPopup::set_var_ptr(short* v)
{
    var_ptr = v;
    if (v) set_cur(*v);
}
