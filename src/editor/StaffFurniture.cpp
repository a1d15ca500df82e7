#include "editor/StaffFurniture.h"

#include <algorithm>
#include <cstdio>

#include "editor/EditorLookups.h"
#include "editor/View.h"
#include "framework/CFont.h"
#include "framework/CUserPanel.h"
#include "layout/DrawingRules.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"

namespace {

// The lowest (`lo`, top of the staff) and highest (`hi`) line position, 10 down to -5, of a
// staff's line mask (bit 10 - position); a staff without lines counts as position 3, and one
// whose lines lie fewer than three positions apart is widened by one each way.
void lignes_de(short lignes, short* hi, short* lo) {
    *hi = -6;
    *lo = 11;
    for (short pos = 10; pos >= -5; pos--)
        if (lignes & (1 << (10 - pos))) {
            *hi = std::max(*hi, pos);
            *lo = std::min(*lo, pos);
        }
    if (*lo > *hi) *hi = *lo = 3;
    if (*hi - *lo < 3) {
        (*hi)++;
        (*lo)--;
    }
}

}  // namespace

bool montree(short r, const short* table, short n) {
    for (short p = 1; p <= n; p++)
        if (table[p] == r) return true;
    return false;
}

void dessiner_numero_mesure(CUserPanel* up, CMeasure* m, short p, short q, short t, float sx, float sy,
                            int32_t colour) {
    Document* d = doc;
    short v = 0;
    if (d->ins[q].num_type != 0) v = q;
    else if (p == 1 && d->ins[1].num_type != 0) v = 1;
    if (!v || !(d->ins[v].num_type > 0 || t == 1) || (m->number & 0x3FFF) == 0 || !d->num_font) return;
    up->set_color(colour);
    up->go_to(T(m->x * sx + d->ins[v].num_dx * sx), T(m->y * sy + d->ins[v].num_dy * sy * staff_scale));
    up->set_font(d->num_font, sy * staff_scale);
    char text[12];
    std::snprintf(text, sizeof text, "%hd", (short)(m->number & 0x3FFF));
    up->draw_string(text, 0);
}

void dessiner_nom_instrument(CUserPanel* up, CMeasure* m, short q, bool full, float sx, float sy, int32_t colour) {
    Document* d = doc;
    const Ins& named = d->ins[d->position_nom == 0 ? q : 1];
    const short y = T(m->y * sy + d->ins[q].y_nom * sy * staff_scale);
    const short x = T(m->x * sx - named.x_nom * sx);
    const char* text = full ? d->ins[q].nom : d->ins[q].abrege;
    if (!d->nom_font || !text[0]) return;
    up->set_color(colour);
    up->set_font(d->nom_font, sy * staff_scale);
    const short w = up->string_width(text);
    if (d->position_nom == 1) up->go_to((short)(x - w), y);
    else if (d->position_nom == 3) up->go_to((short)(x - w / 2), y);
    else up->go_to(x, y);
    up->draw_string(text, 0);
}

void dessiner_accolade(CUserPanel* up, short s, short p, short q, CMeasure* m, const short* table, float sx,
                       float sy) {
    Document* d = doc;
    Systeme* sys = d->sys[s];
    short kind = d->ins[q].accol_type, span = d->ins[q].accol_tot, dx = d->ins[q].accol_dx;
    if (kind == 0 && q > 1) {
        // A bracket opened on staves hidden in this system reaches down to this one.
        short hidden = 0;
        kind = span = 0;
        for (short r = (short)(q - 1); r >= 1 && !montree(r, table, sys->tot_por); r--) {
            hidden++;
            if (d->ins[r].accol_type && d->ins[r].accol_tot) {
                kind = d->ins[r].accol_type;
                dx = d->ins[r].accol_dx;
                span = (short)(d->ins[r].accol_tot - hidden);
                break;
            }
        }
    }
    if (kind == 0 || span <= 0) return;
    const short x0 = T(T(m->x * sx) - dx * sx);
    short hi = 0, lo = 0;
    lignes_de(d->ins[q].lignes, &hi, &lo);
    const short Y = T(m->y * sy);
    const short top = T(Y + lo * 6 * sy * staff_scale);
    short last = (short)(p + span - 1);
    for (short r = (short)(q + 1); r <= q + span - 1 && r <= nombre_portees(d); r++)
        if (!montree(r, table, sys->tot_por)) last--;
    if (last > sys->tot_por) last = sys->tot_por;
    if (last < p) last = p;
    const short q_last = table[last];
    lignes_de(d->ins[q_last].lignes, &hi, &lo);
    CMeasure* lm = mesure_systeme(s, last, 1);
    const short Y2 = lm ? T(lm->y * sy) : Y;
    const short bottom = T(Y2 + hi * 6 * sy * d->ins[q_last].staff_size / 100);
    if (kind == 2) {
        const int32_t pts[12] = {x0, top, T(x0 + 6 * sx), T(top - 6 * sy), T(x0 - 3 * sx), top, T(x0 - 3 * sx), bottom,
                                 T(x0 + 6 * sx), T(bottom + 6 * sy), x0, bottom};
        up->fill_poly(6, pts, 0);
        return;
    }
    CFont saved;
    saved.set(up->get_font());
    saved.set_width(up->get_font()->get_width());
    CFont brace;
    brace.set("Marcatino", T((bottom - top) * 1.25), 0, up->get_color());
    brace.set_width(T(sx * 30));
    up->set_font(&brace, 1.0f);
    up->go_to((short)(x0 - up->char_width('{')), bottom);
    up->draw_char('{', 0);
    brace.set_width(0);
    up->set_font(&saved, 1.0f);
}
