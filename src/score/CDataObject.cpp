#include "score/CDataObject.h"

#include "framework/CUserPanel.h"
#include "score/CMeasure.h"
#include "score/MusicSettings.h"

ScoreDrawing score_drawing = nullptr;

void append_entries(CArrayInt* to, const CArrayInt* from) {
    for (short i = 1; i <= from->total(); i++) to->add(from->get(i));
}

void CDataObject::draw_object(CUserPanel* panel, short restore_origin, void* context, short mode,
                              float sx, float sy) {
    short ox, oy;
    panel->get_origin(&ox, &oy);
    // Drawing a beam group may dissolve it, deleting its item: nothing of an item is read
    // after its drawing, and the walk stays on a slot whose item went away.
    CMeasure* m = object_as<CMeasure>(this);
    draw(panel, mode, sx, sy);
    if (m) {
        cur_mes_draw = m;
        if (!(m->flags & (4 | 8)))
            for (short i = 1; i <= m->total();) {
                CDataObject* item = m->get_item(i);
                item->draw_object(panel, 0, context, mode, sx, sy);
                if (m->get_item(i) == item) i++;
            }
    }
    if (restore_origin) panel->set_origin(ox, oy);
}
