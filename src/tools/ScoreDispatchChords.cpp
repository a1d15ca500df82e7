#include "tools/ScoreDispatchChords.h"

#include <cstdlib>

#include "editor/Editeur.h"
#include "framework/CUndoManager.h"
#include "layout/UtilitairesGroupesAccords.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/ScoreItems.h"
#include "score/ToolNumbers.h"
#include "tools/ToolContext.h"

ChordId chord_id_after_join(short cid, bool same, short* next_pos, short* next_neg) {
    if (cid == 0) return {same ? (*next_pos)++ : (*next_neg)--, false};
    if (cid > 0 && !same) return {(*next_neg)--, true};
    return {cid, false};
}

namespace {

constexpr short kUnitsLeftOfNote = 3, kUnitsRightOfNote = 10;

// The note to join: in the pressed staff, or with Shift in every staff of the system (the first
// staff that has one decides), the note of the measure at the target's place whose point lies
// from 3 units left to 10 right of the press, the nearest in height (the first on a tie).
struct Joined {
    ShownMeasure at;
    short item = 0;
};
bool find_joined(const ToolContext& c, Joined* found) {
    const Editeur* v = c.v;
    const ShownMeasure& target = c.at;
    const float vx = (float)(c.x + v->ox);
    short staff = 0;
    int32_t best = 10000;
    walk_shown(v, [&](const ShownMeasure& s) {
        if (s.system != target.system || s.mpos != target.mpos) return false;
        if (!c.shift && s.staff != target.staff) return false;
        if (staff && s.staff != staff) return true;  // the staff with a candidate ends the search
        for (short i = 1; i <= s.m->total(); i++) {
            const CNote* n = s.m->get_note_item(i);
            if (!n) continue;
            const short nx = (short)((short)(n->x * v->scalex) + s.mx);
            const short ny = (short)(s.my + (short)(n->y * v->scaley * s.ss));
            if (vx < nx - kUnitsLeftOfNote * v->scalex || vx > nx + kUnitsRightOfNote * v->scalex) continue;
            const int32_t d = std::abs(ny - c.y - v->oy);
            if (d < best) best = d, staff = s.staff, found->at = s, found->item = i;
        }
        return false;
    });
    return staff != 0;
}

bool same_line_in_chord(CMeasure* m, short cid, const CNote* fresh, float scaley) {
    for (short i = 1; i <= m->total(); i++) {
        const CNote* n = m->get_note_item(i);
        if (n && n != fresh && n->cid == cid && (short)(n->y * scaley) == (short)(fresh->y * scaley)) return true;
    }
    return false;
}

}  // namespace

short dispatch_editeur_accord(Editeur* v, Event* e) {
    ToolContext c;
    if (!c.begin(v, e) || c.erase) return tool_result::NotMine;
    ShownMeasure target;
    if (!target_measure(v, c.x, c.y, &target)) return tool_result::NotMine;
    c.touch(target);
    if (is_refused(target.m)) return tool_result::NotMine;
    Joined joined;
    if (!find_joined(c, &joined)) return tool_result::NotMine;
    CMeasure* tm = target.m;
    CMeasure* cm = joined.at.m;
    CNote* base = cm->get_note_item(joined.item);

    c.record(chord_note_undo::Added);
    // A cross-staff join may renumber the other measure's notes: it is recorded too.
    if (cm != tm && v->undo) v->undo->add_obj(reinterpret_cast<void**>(&doc->mes[joined.at.index]), kUndoKindMeasure, 0, 0);
    short G = base->gid;
    const short old_cid = base->cid;
    const ChordId id = chord_id_after_join(old_cid, cm == tm, &doc->next_pos_acid, &doc->next_neg_acid);
    if (id.renumber)
        for (short i = 1; i <= cm->total(); i++)
            if (CNote* n = cm->get_note_item(i); n && n->cid == old_cid) n->cid = id.id;
    base->cid = id.id;
    short A = id.id;

    CNote* n = new CNote;
    n->x = base->x;
    // Placed from the lines of the staff it goes into.
    n->y = (short)((c.y - target.my + v->oy) / (v->scaley * target.ss) + 1.0);
    n->rythm = base->rythm, n->point = base->point, n->dir = base->dir, n->gid = base->gid;
    n->cid = A;
    n->head = doc->tete_courante;
    n->adjust();
    if (same_line_in_chord(tm, A, n, v->scaley)) {
        delete n;
        return tool_result::NotMine;
    }
    if (G) {
        v->dessiner_groupe(cm, G, DrawErase);
        v->dessiner_complement_groupe(cm, G);
    } else {
        v->dessiner_accord(cm, A, DrawErase);
        v->dessiner_complement_accord(cm, A);
    }
    tm->add(n);
    short ids[2] = {A, G};
    calcul_accord(tm, ids, target.ss);
    A = ids[0];
    if (G) {
        if (G > 0 && A < 0) {
            const short cross = doc->next_neg_gid--;
            v->changer_groupe_id(cm, G, cross, 0);
            if (cm != tm) v->changer_groupe_id(tm, G, cross, 0);
            G = cross;
        }
        // The beam layout works on one measure and would make a group across staves a group of
        // the chord measure alone: such a group is drawn as it stands.
        if (G > 0) calcul_groupe(cm, &G, v->scalex, v->scaley, v->up);
        v->dessiner_groupe(cm, G, DrawNormal);
    }
    v->dessiner_accord(tm, A, DrawNormal);
    c.repaint_measure();
    c.sound(n);
    tm->change_mes_flags(0, measure_flag::ExplicitVoice | measure_flag::MidiCurrent | measure_flag::TiesChecked);
    return tool_result::Handled;
}
