#include "score/CDataObject.h"

#include "framework/CUserPanel.h"
#include "score/CMeasure.h"
#include "score/MusicSettings.h"

ScoreDrawing score_drawing = nullptr;

void append_entries(CArrayInt* to, CArrayInt* from) {
    for (short i = 1; i <= from->total(); i++) to->add(from->get(i));
}

void CDataObject::draw_object(CUserPanel* panel, short restore_origin, void* context, short mode,
                              float sx, float sy) {
    short ox, oy;
    panel->get_origin(&ox, &oy);
    draw(panel, mode, sx, sy);
    if (CMeasure* m = object_as<CMeasure>(this)) {
        cur_mes_draw = m;
        if (!(m->flags & (4 | 8)))
            for (short i = 1; i <= m->total(); i++)
                m->get_item(i)->draw_object(panel, 0, context, mode, sx, sy);
    }
    if (restore_origin) panel->set_origin(ox, oy);
}
