#include "framework/CButton.h"

#include "framework/CDialog.h"
#include "framework/NativeControl.h"

using namespace platform;

short control_text_width(const char* text)
{
    static const std::shared_ptr<const Font> font = Font::create({"MS Sans Serif", 11, 0, 0});
    return text ? (short)font->string_width(text) : 0;
}

namespace {
void set_caption(CPanel* panel, const char* text)
{
    if (ButtonControl* c = button_control(panel)) c->set_text(text ? text : "");
}
}  // namespace

CButton::CButton(CPanel* parent_panel, short id) : CPanel(parent_panel)
{
    uid = 8;
    item_id = id;
    create_native_control(this, ControlKind::Button, 0, 80, 22);
}

CButton::~CButton() { destroy_native_control(this); }

void CButton::set_title(const char* text) { set_caption(this, text); }

void CButton::set_default(short on)
{
    def = on ? 1 : 0;
    if (ButtonControl* c = button_control(this)) c->set_default(on != 0);
}

CCheck::CCheck(CPanel* parent_panel, short id) : CPanel(parent_panel)
{
    uid = 11;
    item_id = id;
    create_native_control(this, ControlKind::Button, CtlCheckBox, 60, 20);
}

CCheck::~CCheck() { destroy_native_control(this); }

void CCheck::set_title(const char* text)
{
    set_caption(this, text);
    set_dimension((short)(control_text_width(text) + 15), get_height());
}

short CCheck::get_value()
{
    ButtonControl* c = button_control(this);
    return c && c->check() ? 1 : 0;
}

void CCheck::set_value(short v)
{
    if (ButtonControl* c = button_control(this)) c->set_check(v ? 1 : 0);
}

void CCheck::set_var_ptr(short* v)
{
    var_ptr = v;
    if (v) set_value(*v);
}

CRadio::CRadio(CPanel* parent_panel, short id, short is_main) : CPanel(parent_panel), main(is_main)
{
    uid = 12;
    item_id = id;
    create_native_control(this, ControlKind::Button, CtlRadio, 60, 20);
}

CRadio::~CRadio() { destroy_native_control(this); }

void CRadio::set_title(const char* text)
{
    set_caption(this, text);
    set_dimension((short)(control_text_width(text) + 16), get_height());
}

void CRadio::set_value(short v)
{
    if (ButtonControl* c = button_control(this)) c->set_check(v ? 1 : 0);
}

short CRadio::get_value()
{
    ButtonControl* c = button_control(this);
    return c && c->check() ? 1 : 0;
}

namespace {

// The head of the button's group in its dialog, or null (not in a dialog, or a gap below it).
CRadio* group_head(CRadio* button)
{
    if (!button->parent || button->parent->uid != 16) return nullptr;
    CDialog* d = (CDialog*)button->parent;
    CRadio* r = button;
    while (r && r->main == 0) r = d->radio((short)(r->item_id - 1));
    return r;
}

// Calls `visit` with each button of the head's group and its place from 1.
template <class Visit>
void for_each_in_group(CRadio* head, Visit visit)
{
    CDialog* d = (CDialog*)head->parent;
    for (int32_t id = head->item_id; id <= 10000; id++) {
        CRadio* r = d->radio((short)id);
        if (!r || (r != head && r->main == 1)) return;
        if (!visit(r, (short)(id - head->item_id + 1))) return;
    }
}

}  // namespace

short CRadio::get_group_value()
{
    CRadio* head = group_head(this);
    if (!head) return 1;
    short value = 1;
    for_each_in_group(head, [&](CRadio* r, short place) {
        if (!r->get_value()) return true;
        value = place;
        return false;
    });
    return value;
}

void CRadio::set_group_value(short n)
{
    CRadio* head = group_head(this);
    if (!head) return;
    for_each_in_group(head, [&](CRadio* r, short place) {
        r->set_value(place == n ? 1 : 0);
        return true;
    });
}
