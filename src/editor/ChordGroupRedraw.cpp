// Chords and beam groups in the editor: listing their notes, changing group ids, and redrawing
// a chord or a group alone (in the tool's draw mode) or everything else of its measure. An id of
// 0 or below reaches over the same column of the other staves of the measure's system on the
// page shown.
#include "editor/Editeur.h"
#include "layout/UtilitairesPartition.h"

#include <algorithm>

#include "editor/EditorLookups.h"
#include "framework/CUserPanel.h"
#include "layout/DrawingRules.h"
#include "layout/UtilitairesGroupesAccords.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/MusicGlobals.h"

namespace {

constexpr short kListRoom = ACCORD_MAX;  // member lists hold notes 1 to ACCORD_MAX

// The index of measure `obj` in the document, 0 when it is not there.
short indice_de(CMeasure* obj) {
    for (short i = 1; obj && doc && i <= doc->max_mes; i++)
        if (doc->mes[i] == obj) return i;
    return 0;
}

// The measures that share obj's chord or group of id `gid`: obj alone for a positive id;
// otherwise, staff by staff, the measures of obj's column in its system on the page shown
// (none when obj is on no system of that page).
std::vector<short> mesures_du_lien(CMeasure* obj, short gid) {
    const short self = indice_de(obj);
    if (!self) return {};
    if (gid > 0) return {self};
    const short p = doc->cur_pag;
    if (!doc->pag || p < 0 || p > doc->max_pag || !doc->pag[p]) return {};
    Page* page = doc->pag[p];
    for (short k = 1; k <= page->tot_sys; k++) {
        Systeme* sys = doc->sys[page->sys[k]];
        for (short s = 1; sys && s <= sys->tot_por; s++) {
            Portee* staff = doc->por[sys->por[s]];
            for (short t = 1; staff && t <= staff->tot_mes; t++) {
                if (staff->mes[t] != self) continue;
                std::vector<short> column{self};
                for (short o = 1; o <= sys->tot_por; o++) {
                    if (o == s) continue;
                    Portee* other = doc->por[sys->por[o]];
                    if (other && t <= other->tot_mes) column.push_back(other->mes[t]);
                }
                return column;
            }
        }
    }
    return {};
}

// Draws a measure's members (or, with `complement`, the measure and its other items) with the
// view's scroll origin.
template <class IsMember>
void dessiner_mesures(Editeur* e, CMeasure* obj, short gid, short mode, bool complement,
                      IsMember is_member) {
    for (short index : mesures_du_lien(obj, gid)) {
        CMeasure* m = doc->mes[index];
        short gx = 0, gy = 0;
        e->up->get_origin(&gx, &gy);
        e->up->set_origin((short)(gx - e->ox), (short)(gy - e->oy));
        e->up->go_to(T(m->x * e->scalex), T(m->y * e->scaley));
        if (complement) {
            m->draw(e->up, 0, e->scalex, e->scaley);
            e->up->go_to(T(m->x * e->scalex), T(m->y * e->scaley));
        }
        for (short i = 1; i <= m->total(); i++) {
            CDataObject* item = m->get_item(i);
            if (is_member(item) != complement)
                item->draw_object(e->up, 1, e, complement ? 0 : mode, e->scalex, e->scaley);
        }
        e->up->set_origin(gx, gy);
    }
}

}  // namespace

short Editeur::get_info_accord(CMeasure* obj, short acid, short* tabi, short* tabm, short* tabx,
                               short* taby, short* tot) {
    *tot = 0;
    if (!set_cur_doc(id, sub_id) || !doc) return 0;
    return ::get_info_accord(obj, acid, tabi, tabm, tabx, taby, tot);
}

short Editeur::get_info_groupe(CMeasure* obj, short grid, short* tabi, short* tabm, short* tabx,
                               short* tab_tot) {
    *tab_tot = 0;
    if (!doc) return 0;
    const std::vector<short> measures = mesures_du_lien(obj, grid);
    if (measures.empty()) return 0;
    for (short index : measures) {
        CMeasure* m = doc->mes[index];
        for (short i = 1; i <= m->total(); i++) {
            if (CBeams* b = m->get_beams_item(i)) {
                if (b->gid != grid) continue;
                tabi[0] = i;
                tabm[0] = index;
                tabx[0] = 0;
            } else if (CNote* n = m->get_note_item(i)) {
                if (n->gid != grid || *tab_tot >= kListRoom) continue;
                ++*tab_tot;
                tabi[*tab_tot] = i;
                tabm[*tab_tot] = index;
                tabx[*tab_tot] = n->x;
            }
        }
    }
    return 1;
}

short Editeur::get_min_max_groupe(CMeasure* obj, short grid, short* min, short* max) {
    short tabi[kListRoom + 1], tabm[kListRoom + 1], tabx[kListRoom + 1], tot = 0;
    *min = 10000;
    *max = 0;
    get_info_groupe(obj, grid, tabi, tabm, tabx, &tot);
    for (short k = 1; k <= tot; k++) {
        *min = std::min(*min, tabx[k]);
        *max = std::max(*max, tabx[k]);
    }
    return 0;
}

void Editeur::corriger_groupe_accord(CMeasure* obj, short gid, short acid) {
    short tabi[kListRoom + 1], tabm[kListRoom + 1], tabx[kListRoom + 1], taby[kListRoom + 1];
    short tot = 0;
    if (!get_info_accord(obj, acid, tabi, tabm, tabx, taby, &tot)) return;
    for (short k = 1; k <= tot; k++)
        if (CNote* n = doc->mes[tabm[k]]->get_note_item(tabi[k])) n->gid = gid;
}

short Editeur::changer_groupe_id(CMeasure* obj, short gid, short nid, short eff) {
    if (!set_cur_doc(id, sub_id) || !doc) return 0;
    short tabi[kListRoom + 1], tabm[kListRoom + 1], tabx[kListRoom + 1], tot = 0;
    tabm[0] = 0;
    get_info_groupe(obj, gid, tabi, tabm, tabx, &tot);
    for (short k = 1; k <= tot; k++)
        if (CNote* n = doc->mes[tabm[k]]->get_note_item(tabi[k])) n->gid = nid;
    if (tabm[0]) {
        CMeasure* m = doc->mes[tabm[0]];
        if (CBeams* b = m->get_beams_item(tabi[0])) {
            if (eff) {
                m->remove(tabi[0]);
                delete b;
            } else {
                b->gid = nid;
            }
        }
    }
    return 0;
}

void Editeur::dessiner_accord(CMeasure* obj, short acid, short mode) {
    if (!set_cur_doc(id, sub_id) || !doc || !up) return;
    dessiner_mesures(this, obj, acid, mode, false, [acid](CDataObject* item) {
        CNote* n = object_as<CNote>(item);
        return n && n->cid == acid;
    });
}

void Editeur::dessiner_groupe(CMeasure* obj, short gid, short mode) {
    if (!set_cur_doc(id, sub_id) || !doc || !up) return;
    dessiner_mesures(this, obj, gid, mode, false, [gid](CDataObject* item) {
        if (CBeams* b = object_as<CBeams>(item)) return b->gid == gid;
        CNote* n = object_as<CNote>(item);
        return n && n->gid == gid;
    });
}

void Editeur::dessiner_complement_accord(CMeasure* obj, short acid) {
    if (!set_cur_doc(id, sub_id) || !doc || !up) return;
    dessiner_mesures(this, obj, acid, 0, true, [acid](CDataObject* item) {
        CNote* n = object_as<CNote>(item);
        return n && n->cid == acid;
    });
}

void Editeur::dessiner_complement_groupe(CMeasure* obj, short gid) {
    if (!set_cur_doc(id, sub_id) || !doc || !up) return;
    dessiner_mesures(this, obj, gid, 0, true, [gid](CDataObject* item) {
        if (CBeams* b = object_as<CBeams>(item)) return b->gid == gid;
        CNote* n = object_as<CNote>(item);
        return n && n->gid == gid;
    });
}
