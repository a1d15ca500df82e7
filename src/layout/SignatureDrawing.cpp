// Drawing of clefs, key signatures and time signatures, all in glyphs of the music font.
#include <string>

#include "framework/CUserPanel.h"
#include "layout/DrawingRules.h"
#include "layout/ScoreDrawing.h"
#include "score/CMeasure.h"
#include "score/CMusicalSymbolManager.h"
#include "score/DocumentServices.h"
#include "score/MusicSettings.h"

void draw_clef(CClef* c, CUserPanel* p, short mode, float sx, float sy) {
    if (!(working_mode & 2) && c->id > 2) return;
    // Symbol and staff line (in units from the top line) of each clef kind 1 to 9.
    static const short symbol[10] = {0, 1, 2, 2, 3, 3, 3, 3, 1, 4};
    static const short line[10] = {0, 18, 6, 12, 24, 18, 12, 6, 24, 12};
    if (c->id < 1 || c->id > 9) return;
    p->set_color(document_color(p, 1));
    short px, py;
    p->get_pc(&px, &py);
    float s = sy * staff_scale;
    msm->draw(symbol[c->id], c->red ? s * 0.75f : s, T(px + c->x * sx), T(py + line[c->id] * s), p,
              mode);
    p->go_to(px, py);
}

void draw_keysig(CKeySig* k, CUserPanel* p, short mode, float sx, float sy) {
    if (cur_mes_draw && (cur_mes_draw->meas & 0x400)) return;
    short px, py;
    p->get_pc(&px, &py);
    p->set_color(document_color(p, 7));
    float s = sy * staff_scale;
    short x1 = k->x.get(1);
    for (short i = 1; i <= k->total(); i++)
        msm->draw((short)(k->alt.get(i) + 4), s,
                  T(px + x1 * sx + (k->x.get(i) - x1) * sx * staff_scale),
                  T(py + 3 * k->y.get(i) * s), p, mode);
    p->go_to(px, py);
}

namespace {

// "n" or "n+m+..." of the terms 1 to 5 (only the first unless composite meters are on).
std::string meter_text(const short* terms) {
    std::string text = std::to_string(terms[1]);
    for (short i = 2; (working_mode & 2) && i <= 5; i++)
        if (terms[i] != 0) text += "+" + std::to_string(terms[i]);
    return text;
}

// A row of glyphs centred on x, 2 × sx apart.
void draw_meter_row(const std::string& text, CUserPanel* p, short mode, float sx, float s,
                    float x, short y) {
    auto symbol = [](char c) { return (short)(c == '+' ? 55 : c - 5); };
    short W = T(-2 * sx);
    for (char c : text) W = T(W + 2 * sx + msm->width(symbol(c), s, p));
    short o = 0;
    for (char c : text) {
        msm->draw(symbol(c), s, T(o + x - W / 2), y, p, mode);
        o = T(o + 2 * sx + msm->width(symbol(c), s, p));
    }
}

}  // namespace

void draw_timesig(CTimeSig* t, CUserPanel* p, short mode, float sx, float sy) {
    if (cur_mes_draw && (cur_mes_draw->meas & 0x4000)) return;
    p->set_color(document_color(p, 5));
    short px, py;
    p->get_pc(&px, &py);
    float s = sy * staff_scale;
    bool simple = t->upper[2] == 0 && t->lower[2] == 0;
    if ((t->flags & 1) && simple && ((t->upper[1] == 4 && t->lower[1] == 4) ||
                                     (t->upper[1] == 2 && t->lower[1] == 2))) {
        msm->draw(t->upper[1] == 4 ? 53 : 54, s, T(px + (t->x - 5) * sx), T(py + 18 * s), p, mode);
    } else {
        draw_meter_row(meter_text(t->upper), p, mode, sx, s, px + t->x * sx, T(py + 12 * s));
        draw_meter_row(meter_text(t->lower), p, mode, sx, s, px + t->x * sx, T(py + 24 * s));
    }
    p->go_to(px, py);
}
