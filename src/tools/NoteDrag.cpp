// Dragging a pressed or just entered note, and bringing its measure up to date after the
// release: ties, chord, beam group, bound symbols, syllables and tuplet mask.
#include <vector>

#include "editor/Editeur.h"
#include "layout/MeasureScaling.h"
#include "layout/UtilitairesGroupesAccords.h"
#include "layout/UtilitairesPartition.h"
#include "score/CMeasure.h"
#include "score/MusicSettings.h"
#include "score/ToolNumbers.h"
#include "tools/NoteToolParts.h"

namespace {

constexpr short kLeftLimit = 2;    // units a dragged note keeps from the measure's left edge
constexpr short kRightLimit = 10;  // and from its right edge

// The drawing that follows the pointer: the note, its chord or its group.
void draw_image(const ToolContext& c, const PressedNote& p, short mode) {
    if (p.n->gid) c.v->dessiner_groupe(c.at.m, p.n->gid, mode);
    else if (p.n->cid) c.v->dessiner_accord(c.at.m, p.n->cid, mode);
    else c.draw_item(p.n, mode);
}

// Takes the picture of the pressed note away and repairs what that damaged.
void lift(const ToolContext& c, const PressedNote& p, bool fresh) {
    CMeasure* m = c.at.m;
    if (p.gid) {
        c.v->dessiner_groupe(m, p.gid, DrawErase);
        c.v->dessiner_complement_groupe(m, p.gid);
    } else if (p.cid) {
        c.v->dessiner_accord(m, p.cid, DrawErase);
        c.v->dessiner_complement_accord(m, p.cid);
    } else if (!fresh) {
        c.draw_item(p.n, DrawErase);
        c.draw_measure_except(p.n);
    }
}

// The notes that move with the pressed one, and their places at the press (for their symbols).
struct Mover {
    CNote* n;
    short k, x, y, height, dir;
};
std::vector<Mover> movers(CMeasure* m, const PressedNote& p) {
    std::vector<Mover> all;
    for (short i = 1; i <= m->total(); i++) {
        CNote* n = m->get_note_item(i);
        const bool with = n == p.n || (p.cid && n && n->cid == p.cid) || (p.gid && n && n->gid == p.gid);
        if (with) all.push_back({n, i, n->x, n->y, n->height, n->dir});
    }
    return all;
}

// Follows the pointer until the button is up.
void follow_pointer(ToolContext& c, const PressedNote& p) {
    Editeur* v = c.v;
    CMeasure* m = c.at.m;
    CNote* n = p.n;
    const float unit_y = v->scaley * c.at.ss;
    const short x0 = c.px_x(n->x), y0 = c.px_y(n->y);
    c.drag(v->scalex, unit_y, [&](short tx, short ty) {
        draw_image(c, p, DrawInvert);
        short place = (short)(x0 + tx);
        if (place > c.at.mw - kRightLimit * v->scalex) place = (short)(c.at.mw - kRightLimit * v->scalex);
        if (place < kLeftLimit * v->scalex) place = (short)(kLeftLimit * v->scalex);
        const short x = (short)(place / v->scalex), dx = (short)(x - n->x);
        if (p.cid)
            for (short i = 1; i <= m->total(); i++)
                if (CNote* o = m->get_note_item(i); o && o != n && o->cid == p.cid) o->x = (short)(o->x + dx);
        n->x = x;
        const short before = n->y;
        n->y = (short)((ty + y0) / unit_y);
        n->adjust();
        if (n->y != before) n->ajuster_hampe();
        if (n->gid) {
            short gid = n->gid;
            rebuild_group(c, m, &gid);
        }
        draw_image(c, p, DrawInvert);
        c.play(n, 1);
    });
}

// The notes left of the pressed one on its line that are tied to their next note.
std::vector<CNote*> ties_into(CMeasure* m, const CNote* n) {
    std::vector<CNote*> tied;
    if (!(n->flags & note_flag::TiedFromPrevious)) return tied;
    for (short i = 1; i <= m->total(); i++)
        if (CNote* o = m->get_note_item(i); o && o->x < n->x && o->y == n->y && (o->flags & note_flag::TiedToNext))
            tied.push_back(o);
    return tied;
}

void place_symbols(const ToolContext& c, const std::vector<Mover>& moved) {
    for (const Mover& o : moved) c.move_bound_symbols(o.n->sid, o.x, o.y, o.height, o.dir, o.k, 1, 0);
}

// After the release: the measure brought up to date around the note that was dragged.
void settle(ToolContext& c, const PressedNote& p, const std::vector<Mover>& moved) {
    Editeur* v = c.v;
    CMeasure* m = c.at.m;
    CNote* n = p.n;
    const std::vector<CNote*> tied = ties_into(m, n);
    for (CNote* o : tied) c.draw_item(o, DrawErase);
    if (n->gid) {
        short gid = n->gid;
        v->dessiner_groupe(m, gid, DrawErase);
        if (n->cid) {
            short cid = n->cid;
            calcul_accord(m, &cid, staff_scale);
        }
        rebuild_group(c, m, &gid);
        verifier_tenues_notes(last_ma, last_pa);
        place_symbols(c, moved);
        v->dessiner_groupe(m, gid, DrawNormal);
        v->dessiner_complement_groupe(m, gid);
    } else if (n->cid) {
        short cid = n->cid;
        v->dessiner_accord(m, cid, DrawErase);
        calcul_accord(m, &cid, staff_scale);
        verifier_tenues_notes(last_ma, last_pa);
        place_symbols(c, moved);
        v->dessiner_accord(m, cid, DrawNormal);
        v->dessiner_complement_accord(m, cid);
    } else {
        if (n->flags & note_flag::TiedToNext) c.draw_item(n, DrawErase);
        verifier_tenues_notes(last_ma, last_pa);
        if (!n->sid) {
            c.draw_item(n, DrawNormal);
        } else {
            place_symbols(c, moved);
            c.draw_measure(DrawNormal);
        }
    }
    for (CNote* o : tied) c.draw_item(o, DrawNormal);
}

void respace_syllables(ToolContext& c) {
    CMeasure* m = c.at.m;
    for (short i = 1; i <= m->total(); i++)
        if (CLyrics* l = m->get_lyrics_item(i)) c.draw_item(l, DrawErase);
    ajuster_paroles(last_ma, last_pa);
    for (short i = 1; i <= m->total(); i++)
        if (CLyrics* l = m->get_lyrics_item(i)) c.draw_item(l, DrawNormal);
}

}  // namespace

short drag_note(ToolContext& c, const PressedNote& p, bool fresh) {
    CMeasure* m = c.at.m;
    lift(c, p, fresh);
    const std::vector<Mover> moved = movers(m, p);
    for (const Mover& o : moved) c.draw_guides(o.n->sid, c.px_x(o.n->x), c.px_y(o.n->y));
    dessiner_liaison_gauche = 0;
    draw_image(c, p, DrawInvert);
    follow_pointer(c, p);
    c.play(p.n, 0);
    dessiner_liaison_gauche = c.at.mpos == 1 ? 1 : 0;
    settle(c, p, moved);
    respace_syllables(c);
    m->analyse_nolet_item(p.n);
    return tool_result::Handled;
}
