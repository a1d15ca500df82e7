#include "score/CTextBloc.h"

#include "framework/CUserPanel.h"

CDataObject* CTextBloc::duplicate() {
    CTextBloc* copy = new CTextBloc;
    copy->x = x;
    copy->y = y;
    copy->w = w;
    copy->h = h;
    copy->font.set(&font);
    copy->color = color;
    copy->type = type;
    copy->meas = meas;
    copy->staff = staff;
    copy->page = page;
    copy->align = align;
    copy->text.set(text.get());
    copy->flags = flags;
    copy->interligne = interligne;
    return copy;
}

void CTextBloc::ajuster_cadre_texte() {
    if (align == 4) return;
    CUserPanel* scratch = new CUserPanel(nullptr);
    scratch->set_font(&font, 1.0f);
    short widest = 0, line = 0, line_feeds = 0;
    for (const char* c = text.get(); *c; c++) {
        if (*c == '\n' || *c == '\r') {
            if (*c == '\n') line_feeds++;
            line = 0;
            continue;
        }
        line = (short)(line + scratch->char_width(*c));
        if (line > widest) widest = line;
    }
    w = widest;
    h = (short)((line_feeds + 1) * font.get_size());
    delete scratch;
}
