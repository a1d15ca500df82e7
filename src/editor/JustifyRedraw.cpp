// Re-spacing an edited measure and redrawing it in place: its items are drawn in the
// background colour at their old places, the measure is justified, and the measure and its
// items are drawn again. The header items (a starting clef, key and time signatures) keep their
// place and are left alone.
#include "editor/Editeur.h"
#include "layout/UtilitairesPartition.h"

#include "editor/EditorLookups.h"
#include "framework/CPanel.h"
#include "framework/CUndoManager.h"
#include "framework/CUserPanel.h"
#include "layout/DrawingRules.h"
#include "layout/Justification.h"
#include "layout/UtilitairesGroupesAccords.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/Placeholders.h"

namespace {

// Items that move with the justification: all but the header's clef, key and time signatures.
bool prend_part(CDataObject* item) {
    if (CClef* c = object_as<CClef>(item)) return c->type != 1;
    return !object_as<CKeySig>(item) && !object_as<CTimeSig>(item);
}

// The slot of measure m in the document's measure array.
void** case_de(CMeasure* m) {
    for (short i = 1; i <= doc->max_mes; i++)
        if (doc->mes[i] == m) return (void**)&doc->mes[i];
    return nullptr;
}

// Visible: always in the linear view; in the page view when it stands on the page shown.
bool visible(short ma, short s) {
    return doc->cur_pag == 0 || mesure_in_page(ma, s, doc->cur_pag);
}

void ties_around(short ma, short s) {
    const short columns = nombre_colonnes();
    if (ma > 1) verifier_tenues_notes((short)(ma - 1), s);
    verifier_tenues_notes(ma, s);
    if (ma < columns) verifier_tenues_notes((short)(ma + 1), s);
}

}  // namespace

short Editeur::justifier_et_dessiner(short ma, short pa) {
    if (!set_cur_doc(id, sub_id) || !doc || !up) return 0;
    Document* d = doc;
    const short staves = nombre_portees(d);
    short gx = 0, gy = 0;
    up->get_origin(&gx, &gy);
    // Runs `draw` with the view's scroll origin, then puts the panel's origin back.
    const auto with_view_origin = [&](auto draw) {
        up->set_origin((short)(gx - ox), (short)(gy - oy));
        draw();
        up->set_origin(gx, gy);
    };

    // The measure of master staff s is drawn at its instrument's size and colour.
    const auto prepare = [&](short s, CMeasure* m) {
        cur_mes_draw = m;
        staff_scale = d->ins[s].staff_size / 100.0f;
        couleur_notes = couleur_des_notes(voice, s, sub_id);
    };

    // Draws the measure's items in `mode`, laying each beam group out again first (a group that
    // dissolves leaves its place to the next item), then marks the measure as drawn.
    const auto draw_items_regrouped = [&](CMeasure* m, short mode) {
        for (short i = 1; i <= m->total(); i++) {
            CDataObject* item = m->get_item(i);
            if (!prend_part(item)) continue;
            if (CBeams* b = object_as<CBeams>(item)) {
                short gid = b->gid;
                calcul_groupe(m, &gid, scalex, scaley, up);
                if (m->get_item(i) != item) {  // the group was dissolved
                    i--;
                    continue;
                }
            }
            item->draw_object(up, mode, this, 0, scalex, scaley);
        }
        m->change_mes_flags(0x20, 0);
    };

    if (d->larg_just_auto && d->cur_pag == 0) {
        for (short s = 1; s <= d->tot_ins && s <= staves; s++)
            if (s != pa && undo)
                if (void** slot = case_de(mesure_maitre(d, ma, s))) undo->add_obj(slot, 2, 0, 0);
        if (undo) undo->set_operation_action(2);
        justifier_mesure(ma, pa, 1, 1, scalex, scaley, up, nullptr);
        lin_ok = 0;
        up->dirty();
        return 0;
    }

    if (!d->local_just) {
        for (short s = 1; s <= staves; s++) {
            CMeasure* m = mesure_maitre(d, ma, s);
            if (!m) continue;
            prepare(s, m);
            if (s != pa && undo)
                if (void** slot = case_de(m)) undo->add_obj(slot, 2, 0, 0);
            if (!visible(ma, s)) continue;
            with_view_origin([&] {
                m->draw_object(up, 1, this, 0, scalex, scaley);
                up->go_to(T(m->x * scalex), T(m->y * scaley));
                for (short i = 1; i <= m->total(); i++)
                    if (prend_part(m->get_item(i)))
                        m->get_item(i)->draw_object(up, 1, this, 1, scalex, scaley);
            });
        }
        justifier_mesure(ma, pa, 1, 0, scalex, scaley, up, nullptr);
        for (short s = 1; s <= staves; s++) {
            CMeasure* m = mesure_maitre(d, ma, s);
            if (!m) continue;
            prepare(s, m);
            ties_around(ma, s);
            if (!visible(ma, s)) continue;
            with_view_origin([&] {
                m->draw(up, 0, scalex, scaley);
                up->go_to(T(m->x * scalex), T(m->y * scaley));
                draw_items_regrouped(m, 1);
            });
        }
        return 0;
    }

    // One staff: drawn with the colour and size of its own instrument.
    CMeasure* m = mesure_maitre(d, ma, pa);
    if (!m) return 0;
    prepare(pa, m);
    with_view_origin([&] {
        m->draw(up, 0, scalex, scaley);
        for (short i = 1; i <= m->total(); i++)
            if (prend_part(m->get_item(i))) m->get_item(i)->draw_object(up, 0, this, 1, scalex, scaley);
    });
    justifier_mesure(ma, pa, 0, 0, scalex, scaley, up, nullptr);
    cur_mes_draw = m;
    ties_around(ma, pa);
    with_view_origin([&] {
        m->draw(up, 0, scalex, scaley);
        draw_items_regrouped(m, 0);
    });
    return 0;
}
