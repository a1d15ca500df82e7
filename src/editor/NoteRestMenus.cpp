#include "editor/NoteRestMenus.h"

#include <cmath>

#include "editor/Editeur.h"
#include "framework/CApplication.h"
#include "framework/CMenu.h"
#include "framework/CUndoManager.h"
#include "framework/CUserPanel.h"
#include "framework/Event.h"
#include "layout/UtilitairesGroupesAccords.h"
#include "layout/UtilitairesPartition.h"
#include "score/CChord.h"
#include "score/CMeasure.h"
#include "score/ScoreItems.h"
#include "score/Document.h"
#include "score/MusicClasses.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"

CNote* note_to_edit = nullptr;
CRest* rest_to_edit = nullptr;
short measure_to_edit = 0;
CChord* chord_to_change = nullptr;
NoteMenuHooks note_menu_hooks = {};

namespace {
CMenu* context_menu_shown = nullptr;  // kept while it may be on screen
}

CMenu* new_context_menu() {
    delete context_menu_shown;
    context_menu_shown = new CMenu(1);
    return context_menu_shown;
}

namespace {

short item_of(CMeasure* m, CDataObject* o) {
    for (short i = 1; m && i <= m->total(); i++)
        if (m->get_item(i) == o) return i;
    return 0;
}

void draw_measure(Editeur* v, CMeasure* m, short mode) {
    if (!v->up) return;
    short x0, y0;
    v->up->get_origin(&x0, &y0);
    v->up->set_origin((short)(x0 - v->ox), (short)(y0 - v->oy));
    m->draw_object(v->up, 1, v, mode, v->scalex, v->scaley);
    v->up->set_origin(x0, y0);
}

void clear_menu() {
    note_to_edit = nullptr;
    rest_to_edit = nullptr;
    measure_to_edit = 0;
}

// Opens the undo level of an edit of the measure and erases it.
void begin_edit(Editeur* v, CMeasure* m, short code) {
    if (v->undo) {
        v->undo->new_level(code, 1);
        v->undo->add_obj(reinterpret_cast<void**>(&doc->mes[measure_to_edit]), 2, 0, 0);
    }
    draw_measure(v, m, 1);
}

void end_edit(Editeur* v, CMeasure* m) {
    draw_measure(v, m, 0);
    doc->modif = 1;
    clear_menu();
}

void rebuild_group(Editeur* v, CMeasure* m, short gid) {
    if (gid) calcul_groupe(m, &gid, v->scalex, v->scaley, v->up);
}

void change_value(Editeur* v, CMeasure* m, short r) {
    CNote* n = note_to_edit;
    CRest* rest = rest_to_edit;
    const short o = n ? n->rythm : rest->rythm;
    const short nmask = n ? n->nmask : rest->nmask;
    const short voice = n ? n->voice : rest->voice;
    int32_t d = (0xF00 >> r) - (0xF00 >> o);
    if (nmask)
        for (short i = 1; i <= m->total(); i++)
            if (CNolet* t = m->get_nolet_item(i); t && (t->mask & nmask) && t->n1) d = d * t->n2 / t->n1;
    if (!m->permettre_ajout_voix(voice, (short)d, 1)) {
        clear_menu();
        return;
    }
    begin_edit(v, m, 0x49);
    if (rest) {
        rest->rythm = r;
        rest->adjust();
    } else {
        const float f = (float)(0xF00 >> r) / (float)(0xF00 >> o);
        auto retime = [&](CNote* x) {
            x->rythm = r;
            if (x->rec_length != 32000) x->rec_length = (short)(x->rec_length * f);
        };
        if (n->cid == 0) {
            retime(n);
        } else {
            for (short i = 1; i <= m->total(); i++)
                if (CNote* x = m->get_note_item(i); x && x->cid == n->cid) retime(x);
        }
        short gid = n->gid;
        if (gid && r < 4) n->gid = 0;
        rebuild_group(v, m, gid);
    }
    end_edit(v, m);
}

}  // namespace

short ouvrir_menu_note_silence(Editeur* v, Event* e) {
    short measure = 0, item = 0, staff = 0, system = 0, place = 0;
    const bool on_note = v->trouver_note_clic(e->x, e->y, &item, &measure, &staff, &system, &place, &place, &place);
    if (!on_note && !v->trouver_silence_clic(e->x, e->y, &item, &measure, &staff, &system, &place, &place, &place))
        return 0;
    CMeasure* m = doc->mes[measure];
    note_to_edit = on_note ? m->get_note_item(item) : nullptr;
    rest_to_edit = on_note ? nullptr : m->get_rest_item(item);
    measure_to_edit = measure;
    localiser_mesure(measure, &last_ma, &last_pa);
    CMenu& menu = *new_context_menu();
    short top = 1;
    if (on_note) menu.insert_item(gs(0xEC), 0, 1, 1, top++);
    const short sub = top;
    menu.insert_item(gs(on_note ? 0xED : 0xFA), 1, 0, 1, top++);
    short at = 1;
    if (!on_note || note_to_edit->cid == 0) menu.insert_item(gs(on_note ? 0xEE : 0xFB), 0, 3, 2, sub, at++);
    for (short k = 4; k <= 12; k++) menu.insert_item(gs((short)((on_note ? 0xEF : 0xFC) + k - 4)), 0, k, 2, sub, at++);
    if (on_note ? note_to_edit->point != 0 : rest_to_edit->point != 0) menu.insert_item(gs(0xF8), 0, 13, 1, top++);
    menu.track_popup(v->up, e->x, e->y, 1);
    return 1;
}

short commande_menu_note_silence(Editeur* v, Event* e) {
    const short value = e->value;
    if (value >= 100 && value <= 200) {
        if (!chord_to_change) return 1;
        Sub_document& extract = doc->sub_doc[doc->cur_sub_doc];
        if (value == 100) {
            if (note_menu_hooks.modify_analyse) note_menu_hooks.modify_analyse(chord_to_change->ana_id, v);
        } else if (value - 100 <= chord_to_change->ana_chord_names.total()) {
            if (extract.undo) {
                extract.undo->new_level(0x35, 1);
                extract.undo->add_obj(reinterpret_cast<void**>(&extract.chprog), 5, 0, 0);
            }
            chord_to_change->set_chord_name(chord_to_change->ana_chord_names.get((short)(value - 100))->get());
            chord_to_change->ana_chord_index = (short)(value - 100);
            if (extract.acc_por_notes && note_menu_hooks.menu_chord_notes) note_menu_hooks.menu_chord_notes(v);
        }
        if (value != 100 && v->up) v->up->dirty();
        chord_to_change = nullptr;
        return 1;
    }
    if (value > 200 && value <= 217 && value != 210) {
        short command = standard_command[value <= 209 ? value - 200 : value - 201];
        if (command && application) application->menu_handler(command);
        return 1;
    }
    if (!measure_to_edit || measure_to_edit > doc->max_mes || !doc->mes[measure_to_edit]) return 1;
    CMeasure* m = doc->mes[measure_to_edit];
    // The object must still be in its measure (a menu left open over an edit finds it gone).
    CDataObject* object = note_to_edit ? static_cast<CDataObject*>(note_to_edit) : rest_to_edit;
    const short item = item_of(m, object);
    if (!item) {
        clear_menu();
        return 1;
    }
    localiser_mesure(measure_to_edit, &last_ma, &last_pa);
    staff_scale = last_pa >= 1 && last_pa <= doc->tot_ins ? doc->ins[last_pa].staff_size / 100.0f : 1.0f;
    CNote* n = note_to_edit;
    CRest* r = rest_to_edit;
    switch (value) {
    case 1:
        if (!n) return 1;
        if (v->undo) {
            v->undo->new_level(0x46, 1);
            v->undo->add_obj(reinterpret_cast<void**>(&doc->mes[measure_to_edit]), 2, 0, 0);
        }
        if (!note_menu_hooks.edit_play_parameters || !note_menu_hooks.edit_play_parameters(n)) {
            if (v->undo) v->undo->remove_level();
            clear_menu();
            return 1;
        }
        doc->modif = 1;
        doc->flag_maj |= 4;
        if (n->cid)
            for (short i = 1; i <= m->total(); i++)
                if (CNote* x = m->get_note_item(i); x && x != n && x->cid == n->cid)
                    x->flags = (short)((x->flags & ~0xE0) | (n->flags & 0xE0));
        clear_menu();
        return 1;
    case 3:
        if (n) {
            begin_edit(v, m, 0x47);
            CRest* rest = new CRest;
            rest->x = n->x, rest->y = n->y, rest->rythm = n->rythm, rest->point = n->point;
            rest->dpx = n->dpx, rest->dpy = n->dpy, rest->voice = n->voice, rest->start = n->start;
            rest->length = n->length, rest->sid = n->sid, rest->nmask = n->nmask;
            rest->adjust();
            m->set_item(item, rest);
            short gid = n->gid;
            delete n;
            rebuild_group(v, m, gid);
        } else {
            begin_edit(v, m, 0x48);
            CNote* note = new CNote;
            note->x = r->x, note->y = r->y, note->rythm = r->rythm, note->point = r->point;
            note->dpx = r->dpx, note->dpy = r->dpy, note->voice = r->voice, note->start = r->start;
            note->length = r->length, note->sid = r->sid, note->nmask = r->nmask;
            note->adjust();
            m->set_item(item, note);
            delete r;
        }
        end_edit(v, m);
        return 1;
    case 13:
        begin_edit(v, m, 0x59);
        if (r) {
            if (r->point > 0) r->point--;
        } else if (n->cid == 0) {
            if (n->point > 0) n->point--;
        } else {
            for (short i = 1; i <= m->total(); i++)
                if (CNote* x = m->get_note_item(i); x && x->cid == n->cid && x->point > 0) x->point--;
        }
        end_edit(v, m);
        return 1;
    default:
        if (value >= 4 && value <= 12) change_value(v, m, (short)(value - 4));
        return 1;
    }
}
