// Beam editing with the note tool: the beam break tool splits a group, Ctrl presses join notes
// and groups into one, press after press.
#include "editor/Editeur.h"
#include "layout/UtilitairesGroupesAccords.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "tools/NoteToolParts.h"

void copy_beam_flags_to_chord(CMeasure* m, const CNote* from) {
    if (!from->cid) return;
    for (short i = 1; i <= m->total(); i++)
        if (CNote* o = m->get_note_item(i); o && o != from && o->cid == from->cid)
            o->flags = (short)((o->flags & ~note_flag::BeamBits) | (from->flags & note_flag::BeamBits));
}

bool same_column(const Editeur* v, short a, short b) {
    ShownMeasure place;
    const bool found = walk_shown(v, [&](const ShownMeasure& s) {
        if (s.index != a) return false;
        place = s;
        return true;
    });
    if (!found) return false;
    Systeme* sys = doc->sys[place.system];
    for (short j = 1; j <= sys->tot_por && j <= sys->max_por; j++) {
        const short pid = sys->por[j];
        Portee* staff = pid >= 1 && pid <= doc->max_por ? doc->por[pid] : nullptr;
        if (staff && place.mpos <= staff->tot_mes && staff->mes[place.mpos] == b) return true;
    }
    return false;
}

void add_beams(CMeasure* m, short gid) {
    CBeams* b = new CBeams;
    b->mode = 1;
    b->gid = gid;
    m->add(b);
}

void rebuild_group(const ToolContext& c, CMeasure* m, short* gid) {
    if (*gid) calcul_groupe(m, gid, c.v->scalex, c.v->scaley, c.v->up);
}

namespace {

CMeasure* measure_at(short index) {
    return doc && index >= 1 && index <= doc->max_mes ? doc->mes[index] : nullptr;
}

void set_chord_gid(CMeasure* m, const CNote* n, short gid) {
    for (short i = 1; i <= m->total(); i++)
        if (CNote* o = m->get_note_item(i); o && (o == n || (n->cid && o->cid == n->cid))) o->gid = gid;
}

// Gives the notes of old group `old` at or right of pixel place nx the new id; how many.
short move_right_part(const ToolContext& c, CMeasure* m, short old, short nid, short nx) {
    short moved = 0;
    if (old > 0) {
        for (short i = 1; i <= m->total(); i++)
            if (CNote* o = m->get_note_item(i); o && o->gid == old && (short)(o->x * c.v->scalex) >= nx)
                o->gid = nid, moved++;
        return moved;
    }
    InfoAccord list;  // room for the largest group the lists hold
    short tot = 0;
    c.v->get_info_groupe(m, old, list.tabi, list.tabm, list.tabx, &tot);
    for (short j = 1; j <= tot && j <= ACCORD_MAX; j++) {
        CMeasure* in = measure_at(list.tabm[j]);
        CNote* o = in ? in->get_note_item(list.tabi[j]) : nullptr;
        if (o && (short)(o->x * c.v->scalex) >= nx) o->gid = nid, moved++;
    }
    return moved;
}

void erase_note_or_chord(const ToolContext& c, CMeasure* m, CNote* n) {
    if (n->cid) c.v->dessiner_accord(m, n->cid, DrawErase);
    else c.draw_item_in(m, n, DrawErase);
}

// Note `first` of measure `first_m` joins group `gid`, open in the touched measure.
void join_group(ToolContext& c, CMeasure* first_m, CNote* first, const CNote* pressed) {
    Editeur* v = c.v;
    CMeasure* m = c.at.m;
    CMeasure* open_m = measure_at(v->cur_mes_groupe);
    erase_note_or_chord(c, first_m, first);
    if (open_m) v->dessiner_groupe(open_m, v->cur_gid, DrawErase);
    if (v->cur_gid > 0 && open_m && open_m != first_m) {
        const short cross = doc->next_neg_gid--;
        v->changer_groupe_id(open_m, v->cur_gid, cross, 0);
        v->cur_gid = cross;
    }
    set_chord_gid(first_m, first, v->cur_gid);
    rebuild_group(c, m, &v->cur_gid);
    v->dessiner_groupe(m, v->cur_gid, DrawNormal);
    c.play(const_cast<CNote*>(pressed), 0);
}

// The pressed note (or the remembered first note) is not beamed.
bool join_unbeamed(ToolContext& c, CMeasure* nm, short nindex, CNote* n, short k, const CNote* pressed) {
    Editeur* v = c.v;
    const bool same_measure = nindex == v->cur_mes_groupe;
    const bool column = c.shift && same_column(v, v->cur_mes_groupe, nindex);
    if (!v->cur_gid) {
        v->cur_gid = doc->next_pos_gid++, v->note_1_groupe = k, v->cur_mes_groupe = nindex;
        return false;
    }
    if (!v->note_1_groupe) {
        if (same_measure || column) {
            join_group(c, nm, n, pressed);
            return true;
        }
        if (!c.shift) v->cur_gid = v->note_1_groupe = v->cur_mes_groupe = 0;
        else v->cur_mes_groupe = nindex, v->note_1_groupe = k, v->cur_gid = doc->next_pos_gid++;
        return false;
    }
    if (same_measure && k == v->note_1_groupe) return false;
    CMeasure* first_m = measure_at(v->cur_mes_groupe);
    CNote* first = first_m ? first_m->get_note_item(v->note_1_groupe) : nullptr;
    if (first && first != n && (same_measure || column)) {
        if (!same_measure) v->cur_gid = doc->next_neg_gid--;
        erase_note_or_chord(c, nm, n);
        erase_note_or_chord(c, first_m, first);
        set_chord_gid(nm, n, v->cur_gid);
        set_chord_gid(first_m, first, v->cur_gid);
        v->note_1_groupe = 0;
        v->cur_mes_groupe = nindex;
        add_beams(nm, v->cur_gid);
        rebuild_group(c, nm, &v->cur_gid);
        v->dessiner_groupe(nm, v->cur_gid, DrawNormal);
        c.play(const_cast<CNote*>(pressed), 0);
        return true;
    }
    if (!first || !c.shift) v->cur_gid = v->note_1_groupe = v->cur_mes_groupe = 0;
    else v->cur_mes_groupe = nindex, v->note_1_groupe = k;
    return false;
}

// Merges the pressed note's group g with the group being built.
void merge_groups(ToolContext& c, short g) {
    Editeur* v = c.v;
    CMeasure* m = c.at.m;
    CMeasure* open_m = measure_at(v->cur_mes_groupe);
    v->dessiner_groupe(m, g, DrawErase);
    if (open_m) v->dessiner_groupe(open_m, v->cur_gid, DrawErase);
    if (g > 0 && v->cur_gid > 0 && v->cur_mes_groupe != c.at.index) {
        const short cross = doc->next_neg_gid--;
        v->changer_groupe_id(m, g, cross, 0);
        g = cross;
    }
    if (g < 0) {
        if (open_m) v->changer_groupe_id(open_m, v->cur_gid, g, 1);
        v->cur_gid = g, v->cur_mes_groupe = c.at.index, v->note_1_groupe = 0;
    } else {
        v->changer_groupe_id(m, g, v->cur_gid, 1);
    }
    rebuild_group(c, m, &v->cur_gid);
    c.draw_measure(DrawNormal);
}

}  // namespace

void split_group(ToolContext& c, const PressedNote& p) {
    Editeur* v = c.v;
    CMeasure* m = c.at.m;
    CNote* n = p.n;
    short lo = 0, hi = 0;
    v->get_min_max_groupe(m, p.gid, &lo, &hi);
    const float min = lo * v->scalex, max = hi * v->scalex;
    const short nx = (short)(n->x * v->scalex);
    v->dessiner_groupe(m, p.gid, DrawErase);
    if (min < nx && nx < max) {
        const short nid = p.gid > 0 ? doc->next_pos_gid++ : doc->next_neg_gid--;
        if (move_right_part(c, m, p.gid, nid, nx) == 1 && p.gid < 0) c.draw_measure(DrawNormal);
        add_beams(m, nid);
        short id = nid;
        rebuild_group(c, m, &id);
        if (n->cid) v->corriger_groupe_accord(m, p.gid, n->cid);
    } else {
        set_chord_gid(m, n, 0);
    }
    short old = p.gid;
    rebuild_group(c, m, &old);
    if (p.gid < 0) {
        v->dessiner_groupe(m, old, DrawNormal);
        v->dessiner_complement_groupe(m, old);
    } else {
        c.draw_measure(DrawNormal);
    }
    n->flags = (short)((n->flags | note_flag::UserSeparated) & ~note_flag::UserJoined);
    copy_beam_flags_to_chord(m, n);
    c.play(n, 0);
}

bool join_beams(ToolContext& c, const PressedNote& p) {
    Editeur* v = c.v;
    CMeasure* m = c.at.m;
    CNote* n = p.n;
    const short here = c.at.index;
    n->flags = (short)((n->flags | note_flag::UserJoined) & ~note_flag::UserSeparated);
    copy_beam_flags_to_chord(m, n);
    const short g = n->gid;
    if (!g) return join_unbeamed(c, m, here, n, p.k, n);
    if (!v->cur_gid) {
        v->cur_gid = g, v->note_1_groupe = 0, v->cur_mes_groupe = here;
        return false;
    }
    if (!v->note_1_groupe) {
        if (v->cur_gid == g) return false;
        if (v->cur_mes_groupe != here && (!c.shift || !same_column(v, v->cur_mes_groupe, here))) {
            v->cur_gid = g, v->cur_mes_groupe = here, v->note_1_groupe = 0;
            return false;
        }
        merge_groups(c, g);
        return false;
    }
    if (!c.shift && v->cur_mes_groupe != here) {
        v->cur_mes_groupe = here, v->cur_gid = g, v->note_1_groupe = p.k;
        return false;
    }
    // The remembered first note joins the pressed note's group.
    CMeasure* first_m = measure_at(v->cur_mes_groupe);
    const short first_index = v->cur_mes_groupe, first_k = v->note_1_groupe;
    CNote* first = first_m ? first_m->get_note_item(first_k) : nullptr;
    v->cur_gid = g, v->cur_mes_groupe = here, v->note_1_groupe = 0;
    if (!first || first->gid) return false;
    if (first_index == here || (c.shift && same_column(v, first_index, here))) {
        join_group(c, first_m, first, n);
        return true;
    }
    v->cur_mes_groupe = first_index, v->note_1_groupe = first_k, v->cur_gid = doc->next_pos_gid++;
    return false;
}
