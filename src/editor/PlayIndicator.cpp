// The play indicator, which follows the position being played and keeps it in sight, and the
// idle task: coloured notes from the MIDI threads, the MIDI echo channel and the blinking
// step-entry caret. The marks are drawn inverted, so drawing one twice takes it away.
#include "editor/Editeur.h"
#include "layout/UtilitairesPartition.h"

#include <algorithm>

#include "editor/EditorLookups.h"
#include "framework/CScroll.h"
#include "framework/CUserPanel.h"
#include "framework/CWindow.h"
#include "framework/LocalTime.h"
#include "layout/DrawingRules.h"
#include "score/CMeasure.h"
#include "score/CMusicalSymbolManager.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/Placeholders.h"

namespace {

constexpr short kIndicatorGlyph = 31;
constexpr short kLyricsTool = 58;

// Columns of the linear strip (page 0's system).
short colonnes_du_bandeau() {
    if (!doc->pag || !doc->pag[0] || doc->pag[0]->tot_sys < 1) return 0;
    Systeme* sys = doc->sys[doc->pag[0]->sys[1]];
    if (!sys || sys->tot_por < 1 || !doc->por[sys->por[1]]) return 0;
    return doc->por[sys->por[1]]->tot_mes;
}

}  // namespace

void Editeur::work() {
    if (!set_cur_doc(id, sub_id) || editeur_non_affichable || !doc) return;
    Document* d = doc;
    if (color_note_buffer) {
        for (int32_t message : color_note_buffer->take_all()) {
            char bytes[4] = {(char)(message & 0xFF), (char)((message >> 8) & 0xFF),
                             (char)((message >> 16) & 0xFF), (char)((message >> 24) & 0xFF)};
            if (editeur_hooks.midi_special_treatment) editeur_hooks.midi_special_treatment(bytes, 0);
        }
    }
    // The lyrics caret blinks every 500 ms while the lyrics tool is current, and goes with it.
    if (editeur_hooks.curseur_paroles) {
        if (pal && pal->get_tool() == kLyricsTool) {
            const int32_t now = get_time_pos();
            if (now > d->par_time) {
                d->par_time = now + 500;
                editeur_hooks.curseur_paroles(this, d->par_cur ? 0 : 1);
            }
        } else if (d->par_cur) {
            editeur_hooks.curseur_paroles(this, 0);
        }
    }
    // The record staff follows the step cursor, but never while a take is being recorded.
    const bool recording = editeur_hooks.get_rec_but && editeur_hooks.get_rec_but();
    if (d->curseur && !recording && d->rec_piste != d->curseur_pa && d->curseur_pa >= 1 &&
        d->curseur_pa <= d->tot_ins) {
        d->rec_piste = d->curseur_pa;
        for (short c = 0; c < 16; c++)
            editeur_hooks.set_midi_thru(c, (unsigned char)(d->ins[d->curseur_pa].canal - 1));
        for (short i = 1; i <= 10; i++) {
            View* v = d->vue[i];
            if (v && v != this && v->get_type() == 2 && v->sub_id == sub_id && v->win)
                v->win->dirty();
        }
    }
    if (!d->pag || d->cur_pag < 0 || d->cur_pag > d->max_pag || !d->pag[d->cur_pag] ||
        d->pag[d->cur_pag]->tot_sys < 1 || !up)
        return;
    const bool on_page = mesure_in_page(d->curseur_ma, d->curseur_pa, d->cur_pag) != 0;
    if (!d->curseur) {
        if (curseur_visible && on_page) {
            invert_curseur();
            curseur_visible = 0;
        }
        return;
    }
    const int32_t now = get_time_pos();
    if (now > next_time_curseur && on_page) {
        invert_curseur();
        curseur_visible = !curseur_visible;
        next_time_curseur = now + 400;
    }
}

void Editeur::effacer_indic(bool when) {
    if (!when || !indic_edit) return;
    invert_indic(0, 0, 0, -1);
    indic_edit = 0;
}

void Editeur::invert_indic(short calc, short ma, short sys, int32_t unit) {
    if (!doc || !up) return;
    const short saved_inside = inside_draw;
    inside_draw = 1;
    if (calc && ma) {
        CMeasure* m = mesure_maitre(doc, ma, 1);
        if (m) {
            if (unit < 0) {
                unit = editeur_hooks.midi_time() - m->start_time;
                if (unit < 0) unit += m->length;
            }
            CMeasure* where = m;
            if (sys) {
                Systeme* system = doc->sys[sys];
                Portee* first = system && system->tot_por ? doc->por[system->por[1]] : nullptr;
                CMeasure* found = nullptr;
                for (short t = 1; first && t <= first->tot_mes; t++) {
                    CMeasure* c = doc->mes[first->mes[t]];
                    found = c;
                    if (c->start_time == m->start_time) break;
                }
                if (found) where = found;
            }
            indic_edit_x = (short)(m->position_from_time(unit, ma) + where->x);
            indic_edit_y = (short)(where->y - 24);
            indic_edit_height = 0;
            if ((follow_flags & 0x08) && sys && doc->cur_pag != 0) {  // a line in the page view only
                CMeasure* top = mesure_systeme(sys, 1, 1);
                CMeasure* bottom = mesure_systeme(sys, doc->sys[sys]->tot_por, 1);
                if (top && bottom) indic_edit_height = (short)(bottom->y - top->y + 72);
            }
        }
    }
    const short sx = T(indic_edit_x * scalex - ox), sy = T(indic_edit_y * scaley - oy);
    if (msm) msm->draw(kIndicatorGlyph, 1.5f, (short)(sx - 6), (short)(sy - 6), up, 2);
    if (indic_edit_height)
        up->draw_line(sx, sy, sx, T(sy + indic_edit_height * scaley), 2);
    inside_draw = saved_inside;
}

void Editeur::do_indic() {
    if (!doc || !up) return;
    Document* d = doc;
    if ((d->cur_pag == 0 && !lin_ok) || inside_draw || !editeur_hooks.get_play_but()) return;
    short play_id = 0, play_sub = 0;
    editeur_hooks.get_play_doc(&play_id, &play_sub);
    if (play_id != id || play_sub != sub_id) return;
    const short c = editeur_hooks.get_cur_play_mes();
    const bool follow = follow_flags & 0x01;
    const bool early = editeur_hooks.midi_time() < indic_edit_next_time;
    if (d->cur_pag == 0) {
        const short n = colonnes_du_bandeau();
        if (follow && c) {
            bool jump = c < first_m;
            if (!jump && c >= first_m + n - 2) {
                CMeasure* m = mesure_maitre(d, c, 1);
                const bool beyond = m && (m->x + m->width) * scalex > up->get_width();
                jump = (beyond && c != first_m) || c > first_m + n - 1;
            }
            if (jump) {
                first_m = d->cur_mes = c;
                if (hor) hor->set_value(c);
                lin_ok = 0;
                up->dirty();
                indic_edit = 1;
                return;
            }
        }
        if (c < first_m || early) {
            effacer_indic(c == 0);
            return;
        }
        effacer_indic(true);
        if (c && c <= nombre_colonnes() && c <= d->cur_mes + n - 1) {
            invert_indic(1, c, d->pag[0]->sys[1], -1);
            indic_edit = 1;
        }
        indic_edit_next_time += 15;
        return;
    }
    if (follow && c) {
        short counted = 0;
        for (short p = 1; p <= d->tot_pag; p++) {
            Page* page = d->pag[p];
            for (short k = 1; page && k <= page->tot_sys; k++) {
                const short s = page->sys[k];
                Systeme* sys = d->sys[s];
                Portee* first = sys && sys->tot_por ? d->por[sys->por[1]] : nullptr;
                const short cols = first ? first->tot_mes : 0;
                if (c > counted + cols) {
                    counted = (short)(counted + cols);
                    continue;
                }
                if (p != d->cur_pag) {
                    d->cur_pag = p;
                    if (page_scroll) page_scroll->set_value(p);
                    pag_ok = 0;
                    up->dirty();
                    return;
                }
                CMeasure* m = d->mes[first->mes[c - counted]];
                CMeasure* top = mesure_systeme(s, 1, (short)(c - counted));
                CMeasure* bottom = mesure_systeme(s, sys->tot_por, (short)(c - counted));
                const short x = T(m->px * scalex), y = T((m->py - 24) * scaley);
                const short w = T(m->width * scalex);
                const short h = T((bottom && top ? bottom->py - top->py : 0) * scaley + 72 * scaley);
                if (hor && (x < ox || (x + w > ox + up->get_width() && hor->get_value() != x - 10))) {
                    hor->set_value((short)(x - 10));
                    ox = pox = hor->get_value();
                    up->dirty();
                }
                if (ver && (y < oy || (y + h > oy + up->get_height() && h < up->get_height() &&
                                       ver->get_value() != y - 10))) {
                    ver->set_value((short)(y - 10));
                    oy = poy = ver->get_value();
                    up->dirty();
                }
                p = d->tot_pag;
                break;
            }
        }
    }
    if (early) {
        effacer_indic(c == 0);
        return;
    }
    effacer_indic(true);
    if (c && d->pag[d->cur_pag]) {
        Page* page = d->pag[d->cur_pag];
        const short staves = std::min<short>(d->tot_piste, nombre_portees(d));
        for (short k = 1; k <= page->tot_sys && !indic_edit; k++) {
            const short s = page->sys[k];
            Systeme* sys = d->sys[s];
            for (short p = 1; sys && p <= sys->tot_por && !indic_edit; p++) {
                Portee* staff = d->por[sys->por[p]];
                for (short t = 1; staff && t <= staff->tot_mes && !indic_edit; t++)
                    for (short q = 1; q <= staves; q++)
                        if (d->mes[staff->mes[t]] == mesure_maitre(d, c, q)) {
                            invert_indic(1, c, s, -1);
                            indic_edit = 1;
                            break;
                        }
            }
        }
    }
    indic_edit_next_time += 15;
}
