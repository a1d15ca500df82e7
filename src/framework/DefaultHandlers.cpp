#include "framework/DefaultHandlers.h"

#include "framework/CPanel.h"
#include "framework/ControlHandlers.h"

short default_event_handler(CPanel* panel, Event* e)
{
    if (e->type != EvSize) return control_event_handler(panel, e);
    if (!panel->is_window()) panel->update_size();
    for (short i = 1; i <= panel->children.total(); i++) {
        auto* child = reinterpret_cast<CPanel*>(panel->children.get(i));
        if (child->event_handler) child->event_handler(child, e);
    }
    return 1;
}
