#include "framework/ControlHandlers.h"

#include "framework/CButton.h"
#include "framework/CDialog.h"
#include "framework/CList.h"
#include "framework/CScroll.h"
#include "framework/CSlider.h"
#include "framework/CTextedit.h"

namespace {

// The control of that item number among the panel's children, of that kind.
CPanel* control(CPanel* panel, short id, short kind)
{
    for (short i = 1; i <= panel->children.total(); i++) {
        CPanel* c = (CPanel*)panel->children.get(i);
        if (c->item_id == id && c->uid == kind) return c;
    }
    return nullptr;
}

void store(short* variable, short value)
{
    if (variable) *variable = value;
}

void run(CPanel* c)
{
    if (c->execute_proc) c->execute_proc(c);
}

void control_used(CPanel* panel, short id)
{
    if (CPanel* l = control(panel, id, 9)) {
        if (l->clic_proc) l->clic_proc();
    } else if (CButton* b = (CButton*)control(panel, id, 8)) {
        short* pressed = b->var_ptr;  // the button's action may close its dialog
        run(b);
        store(pressed, 1);
    } else if (CPanel* r = control(panel, id, 12)) {
        run(r);
    } else if (CCheck* c = (CCheck*)control(panel, id, 11)) {
        run(c);
        store(c->var_ptr, c->get_value());
    } else if (CPopup* p = (CPopup*)control(panel, id, 10)) {
        run(p);
        store(p->var_ptr, p->get_cur());
    } else if (CSlider* s = (CSlider*)control(panel, id, 23)) {
        run(s);
        store(s->var_ptr, s->get_value());
    } else if (CScroll* sb = (CScroll*)control(panel, id, 13)) {
        run(sb);
        store(sb->var_ptr, sb->get_value());
    }
}

}  // namespace

short control_event_handler(CPanel* panel, Event* e)
{
    switch (e->type) {
    case EvControl: control_used(panel, e->item); break;
    case EvListDouble:
        if (CPanel* l = control(panel, e->item, 9); l && l->double_clic_proc) l->double_clic_proc();
        break;
    case EvTextChanged:
        if (CTextedit* t = (CTextedit*)control(panel, e->item, 14)) {
            run(t);
            t->copy_to_buffer();
        }
        break;
    default: break;
    }
    return 0;
}

short default_dialog_handler(CPanel* panel, Event* e)
{
    if (e->type == EvKey) return e->value == 9 ? 1 : 0;
    CDialog* d = (CDialog*)panel;
    if (e->item >= 1000 && e->item <= 1002) {
        d->result = e->item;
        d->close();
        return 1;
    }
    if (CRadio* clicked = d->radio(e->item)) {
        // The group starts at its head: a run of radio buttons may hold several groups, and a
        // place counted from an earlier group's head would uncheck the clicked button.
        short first = e->item;
        for (CRadio* r = clicked; r->main == 0 && first > 1;) {
            r = d->radio((short)(first - 1));
            if (!r) break;
            first--;
        }
        clicked->set_group_value((short)(e->item - first + 1));
    }
    if (d->store_events) {
        d->tabevt->add(e);
        return 1;
    }
    return 0;
}
