#include "score/SymbolPlacement.h"

#include <algorithm>

#include "framework/Bitmap.h"
#include "framework/Courbe.h"
#include "framework/Vector.h"
#include "score/CMeasure.h"
#include "score/CNote.h"
#include "score/CSymbol.h"
#include "score/MusicSettings.h"
#include "score/ToolsManager.h"

void (*symbol_editor_scale)(Editeur* editor, float* sx, float* sy) = nullptr;

namespace {

void draw_symbol(CSymbol* s, CMeasure* mes, CUserPanel* panel, Editeur* editor, short mode) {
    if (!panel) return;
    float sx = 1.0f, sy = 1.0f;
    if (editor && symbol_editor_scale) symbol_editor_scale(editor, &sx, &sy);
    cur_mes_draw = mes;
    s->draw_object(panel, 1, editor, mode, sx, sy);
}

// The graphic's height G and origin O for keeping a symbol outside the staff.
void graphic_extent(const Definition* def, short* g, short* o) {
    *g = *o = 0;
    if (!def->gr) return;
    if (def->type == 1) {
        *g = bitmap_height(static_cast<const char*>(def->gr));
    } else if (def->type == 2) {
        const Vect_dessin* d = static_cast<const Vect_dessin*>(def->gr);
        *g = (short)(def->dh * d->y2 / 100);
        *o = (short)(def->dh * d->oy / 100);
    } else if (def->type == 3) {
        const Courbe* c = static_cast<const Courbe*>(def->gr);
        if (c->tot < 1) return;
        short lo = c->p[1].y, hi = c->p[1].y;
        for (short k = 2; k <= c->tot; k++) lo = std::min(lo, c->p[k].y), hi = std::max(hi, c->p[k].y);
        *g = (short)(hi - lo);
        *o = (short)(*g - c->p[1].y);
    }
}

}  // namespace

short deplacer_symbole(short sid, CMeasure* mes, short old_x, short old_y, short old_h, short old_d, short item,
                       short eff, short aff, CUserPanel* panel, Editeur* editor) {
    if (!mes || !pal || sid == 0) return 0;
    short moved = 0;
    for (short i = 1; i <= mes->total(); i++) {
        CSymbol* s = mes->get_symbol_item(i);
        if (!s || s->note_id != sid) continue;
        Definition* def = pal->get_definition(s->tool_id);
        if (!def) continue;
        if (eff) draw_symbol(s, mes, panel, editor, 1);
        CNote* note = mes->get_note_item(item);
        CRest* rest = note ? nullptr : mes->get_rest_item(item);
        short X = old_x, Y = old_y, D = old_d, H = old_h, ox = old_x;
        if (note) X = note->x, Y = note->y, D = note->dir, H = note->height;
        else if (rest) X = rest->x, Y = rest->y;
        const bool flipped = note && D != old_d;
        if (note && ((D == 0 && (def->options & 0x0200)) || (D == 1 && (def->options & 0x0100))) && def->sym_id != 0)
            if (Definition* linked = pal->get_definition(def->sym_id)) {
                s->tool_id = def->sym_id;
                def = linked;
            }
        if (note && note->cid != 0) {
            // The chord's topmost note (pos_acc 1) or bottom-most one carries the symbol.
            short chosen = 0;
            for (short k = 1; k <= mes->total(); k++) {
                CNote* c = mes->get_note_item(k);
                if (!c || c->cid != note->cid) continue;
                CNote* best = chosen ? mes->get_note_item(chosen) : nullptr;
                if (!best || (def->pos_acc == 1 ? c->y < best->y : c->y > best->y)) chosen = k;
            }
            if (chosen && chosen != item) {
                CNote* other = mes->get_note_item(chosen);
                note->sid = 0;
                other->sid = sid;
                note = other;
                item = chosen;
                X = other->x, Y = other->y, ox = other->x;
                D = (short)(1 - old_d);
                H = old_h;
            }
        }
        const short p1 = s->get_local_param(def, 1), p2 = s->get_local_param(def, 2);
        short v = 0;
        if (note) {
            if (def->pos_ver == 3) {
                if (!flipped) v = (short)(D == 0 ? (Y - old_y) - H + old_h : (Y - old_y) + H - old_h);
                else if (D == 0) v = (short)((Y - old_y) - H - old_h + ((def->options & 0x0400) ? 2 * (Y + old_h - p2) : 0));
                else v = (short)((Y - old_y) + H + old_h + ((def->options & 0x0400) ? 2 * (Y - old_h - p2) : 0));
            } else if (def->pos_ver == 2) {
                v = (short)(Y - old_y + (flipped && (def->options & 0x0400) ? 2 * (Y - p2) : 0));
            }
        }
        const short x = (def->options & 0x0800) ? (short)(X - ox + p1) : (short)(X + def->dx);
        short y;
        if (def->options & 0x1000) y = (short)(p2 + v);
        else if (def->pos_ver == 3 && note) y = (short)(D == 0 ? Y - H + def->dy : Y + H + def->dy);
        else y = (short)(Y + def->dy);
        if (def->options & 0x0040) {
            short g, o;
            graphic_extent(def, &g, &o);
            if (y < 13) y = std::min<short>(y, (short)(o - g));
            else y = std::max<short>(y, (short)(o + 24));
        }
        if (def->options & 0x0080) {
            if (y < Y && y > -3)
                while (y % 6 != 3 && y % 6 != -3) y--;
            else if (y > Y && y < 27)
                while (y % 6 != 3 && y % 6 != -3) y++;
        }
        s->set_local_param(1, x);
        s->set_local_param(2, y);
        if (aff) draw_symbol(s, mes, panel, editor, 0);
        moved = 1;
    }
    return moved;
}
