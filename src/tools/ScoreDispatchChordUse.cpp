#include "tools/ScoreDispatchChordUse.h"

#include <vector>

#include "editor/Editeur.h"
#include "framework/CRect.h"
#include "framework/CUndoManager.h"
#include "framework/CUserPanel.h"
#include "framework/Event.h"
#include "framework/MouseTracking.h"
#include "framework/Vector.h"
#include "layout/UtilitairesPartition.h"
#include "midi/ScoreRender.h"
#include "score/CChord.h"
#include "score/CChordLibrary.h"
#include "score/CChordProgression.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/ScoreItems.h"
#include "score/ToolNumbers.h"
#include "tools/ToolContext.h"

// ---- Decisions ----

short chord_symbol_offset(int t, short beat_length, short beats) {
    if (beat_length <= 0) return 0;
    const int whole = beats * beat_length;
    int offset = (beat_length / 2 + t) / beat_length * beat_length;
    while (offset > whole) offset -= beat_length;
    return (short)(offset < 0 ? 0 : offset);
}

SymbolSpread spread_for(bool shift, bool ctrl) {
    if (shift && ctrl) return {false, false, false};
    if (shift) return {true, false, false};
    if (ctrl) return {true, true, false};
    return {true, false, true};
}

// ---- The chooser ----

namespace {

constexpr short kDefaultBeat = 480, kDefaultBeats = 4;

CChordProgression* current_progression() {
    if (!doc || !doc->sub_doc || doc->cur_sub_doc < 1 || doc->cur_sub_doc > doc->max_sub_doc) return nullptr;
    return doc->sub_doc[doc->cur_sub_doc].chprog;
}

// Every chord symbol of the score with its column, through `f(column, symbol)`.
template <class F>
void each_symbol(F f) {
    const short columns = nombre_colonnes();
    Systeme* master = doc->sys[1];
    for (short p = 1; master && p <= master->tot_por; p++)
        for (short col = 1; col <= columns; col++) {
            CMeasure* m = mesure_maitre(doc, col, p);
            for (short i = 1; m && i <= m->total(); i++)
                if (CChordUse* u = m->get_chorduse_item(i)) f(col, u);
        }
}

// True when a symbol other than `except` shows chord `index` of `prog`.
bool shown_elsewhere(CChordProgression* prog, short index, const CChordUse* except) {
    bool shown = false;
    each_symbol([&](short col, CChordUse* u) {
        if (u != except && prog->get_chord_index(col, u->offset, 0) == index) shown = true;
    });
    return shown;
}

}  // namespace

short edit_chord_use(CChordUse* cu, CChordProgression* prog, short placing) {
    if (!cu || !prog || !chord_library || !doc) return 0;
    short beat = kDefaultBeat, beats = kDefaultBeats;
    if (prog->sub_doc)
        if (CMeasure* m = mesure_maitre(doc, last_ma, 1)) beat = m->length_beat, beats = m->tot_beat;
    short pos = cu->offset;
    const short was = prog->get_chord_index(last_ma, pos, 0);
    const short was_measure = was ? prog->get_chord_measure(was) : (short)0;
    const short was_offset = was ? prog->get_chord_offset(was) : (short)0;
    CChord* copy = was ? prog->get_chord(was)->duplicate() : new CChord;
    if (!chord_library->choose_chord(&pos, copy, beat, beats)) {
        delete copy;
        return 0;
    }
    prog->set_chord(last_ma, pos, copy);
    delete copy;
    const short old_offset = cu->offset;
    cu->offset = pos;
    // The symbol moved in time: the chord it showed goes, unless the chooser has just stored the
    // new one in its place or another symbol still shows it.
    if (!placing && was && pos != old_offset && !(was_measure == last_ma && was_offset == pos)) {
        const short index = prog->get_chord_index(was_measure, was_offset, 1);
        if (index && !shown_elsewhere(prog, index, nullptr)) prog->remove_chord(index);
    }
    return 1;
}

// ---- The handler ----

namespace {

// The symbol's box in panel pixels, from the drawing of the chord it shows.
CRect symbol_box(const Editeur* v, const ShownMeasure& s, CChordUse* cu, CChordProgression* prog) {
    CChord* chord = nullptr;
    if (prog)
        if (const short i = prog->get_chord_index(last_ma, cu->offset, 0)) chord = prog->get_chord(i);
    Vect_dessin* d = chord_library ? chord_library->create_chord_symbol(chord) : nullptr;
    const float px = (float)(short)((s.mx - v->ox) + cu->x * v->scalex);
    const float py = (float)(short)((s.my - v->oy) + cu->y * v->scaley * s.ss);
    CRect r;
    if (!d) {
        r.init((short)px, (short)py, (short)px, (short)py);
        return r;
    }
    const short left = (short)(px - d->ox * v->scalex * s.ss), top = (short)(py - d->oy * v->scaley * s.ss);
    r.init(left, top, (short)(left + (d->x2 - d->x1) * v->scalex * s.ss), (short)(top + (d->y2 - d->y1) * v->scaley * s.ss));
    delete_vect_dessin(d);
    return r;
}

void record_measure(Editeur* v, short index) {
    if (v->undo && index >= 1) v->undo->add_obj(reinterpret_cast<void**>(&doc->mes[index]), kUndoKindMeasure, 0, 0);
}
void record_progression(Editeur* v) {
    if (!v->undo || !doc->sub_doc) return;
    v->undo->add_obj(reinterpret_cast<void**>(&doc->sub_doc[doc->cur_sub_doc].chprog),
                     chord_symbol_undo::kKindProgression, 0, 0);
}

// Runs the chooser with the view's drawing state kept.
short run_chooser(Editeur* v, CChordUse* cu, short placing) {
    short x0 = 0, y0 = 0;
    v->up->get_origin(&x0, &y0);
    v->offset = 0;
    const short r = edit_chord_use(cu, current_progression(), placing);
    v->up->set_origin(x0, y0);
    v->offset = 1;
    return r;
}

short place_symbol(ToolContext& c, const ShownMeasure& target) {
    Editeur* v = c.v;
    if (c.tool == tool::Pointer || c.erase) return tool_result::NotMine;
    c.touch(target);
    CMeasure* m = target.m;
    CChordUse* cu = new CChordUse;
    cu->x = (short)((c.x + v->ox - target.mx) / v->scalex);
    cu->y = chord_library ? chord_library->default_pos : (short)0;
    const int t = trouver_reference_temps(last_ma, last_pa, cu->x);
    cu->offset = chord_symbol_offset(t, m->length_beat, m->tot_beat);
    if (v->undo) {
        v->undo->new_level(chord_symbol_undo::Edited, chord_symbol_undo::kAction);
        record_measure(v, target.index);
        record_progression(v);
    }
    if (!run_chooser(v, cu, 1)) {
        if (v->undo) v->undo->remove_level();
        delete cu;
        return tool_result::Handled;
    }
    c.touch(target);
    doc->modif = 1;
    for (short i = m->total(); i >= 1; i--)
        if (CChordUse* last = m->get_chorduse_item(i)) {
            cu->y = last->y;
            break;
        }
    m->add(cu);
    c.draw_item(cu, DrawNormal);
    v->up->dirty();  // other symbols may show the new chord
    return tool_result::Handled;
}

short edit_symbol(ToolContext& c, CChordUse* cu) {
    Editeur* v = c.v;
    c.draw_item(cu, DrawErase);
    if (v->undo) {
        v->undo->new_level(chord_symbol_undo::Edited, chord_symbol_undo::kAction);
        record_progression(v);
        record_measure(v, c.at.index);
    }
    const ShownMeasure at = c.at;
    if (!run_chooser(v, cu, 0)) {
        if (v->undo) v->undo->remove_level();
        c.touch(at);
        c.draw_item(cu, DrawNormal);
        return tool_result::Handled;
    }
    c.touch(at);
    v->up->dirty();
    doc->modif = 1;
    return tool_result::Handled;
}

short drag_symbol(ToolContext& c, CChordUse* cu, const CRect& box, const std::vector<ShownMeasure>& page) {
    Editeur* v = c.v;
    CRect moved;
    short x1 = box.x1, y1 = box.y1, x2 = box.x2, y2 = box.y2;
    v->up->local_to_global(&x1, &y1);
    v->up->local_to_global(&x2, &y2);
    moved.init(x1, y1, x2, y2);
    const CRect start = moved;
    resize_rect(&moved, 1, 1, 1, 1, 0, 10000, 0, 10000, c.gx, c.gy, 1);
    if (moved.x1 == start.x1 && moved.y1 == start.y1) return tool_result::Handled;
    const ShownMeasure at = c.at;
    if (v->undo) {
        v->undo->new_level(chord_symbol_undo::Moved, chord_symbol_undo::kAction);
        record_measure(v, at.index);
    }
    const short dx = (short)(moved.x1 - start.x1), dy = (short)(moved.y1 - start.y1);
    c.draw_item(cu, DrawErase);
    cu->x = (short)(cu->x + dx / v->scalex);
    cu->y = (short)(cu->y + dy / (v->scaley * at.ss));
    c.draw_item(cu, DrawNormal);
    doc->modif = 1;

    const SymbolSpread spread = spread_for(c.shift, c.ctrl);
    const short part = last_pa;
    auto follow = [&](CMeasure* m, short index) {
        const ShownMeasure* shown = nullptr;
        for (const ShownMeasure& s : page)
            if (s.m == m) shown = &s;
        bool recorded = false;
        for (short i = 1; i <= m->total(); i++) {
            CChordUse* u = m->get_chorduse_item(i);
            if (!u || u == cu) continue;
            if (!recorded) record_measure(v, index), recorded = true;
            if (shown) c.touch(*shown), c.draw_item(u, DrawErase);
            u->y = (short)(u->y + dy / (v->scaley * at.ss));
            if (shown) c.draw_item(u, DrawNormal);
        }
    };
    if (spread.measure) follow(at.m, at.index);
    if (spread.staff) {
        Portee* staff = doc->por[at.staff];
        for (short k = 1; staff && k <= staff->tot_mes; k++)
            if (staff->mes[k] != at.index) follow(doc->mes[staff->mes[k]], staff->mes[k]);
    }
    if (spread.part) {
        Portee* row = doc->por[doc->sys[1]->por[part]];
        for (short k = 1; row && k <= row->tot_mes; k++)
            if (row->mes[k] != at.index) follow(doc->mes[row->mes[k]], row->mes[k]);
    }
    c.touch(at);
    return tool_result::Handled;
}

short erase_symbol(ToolContext& c, CChordUse* cu, short k) {
    Editeur* v = c.v;
    CMeasure* m = c.at.m;
    c.draw_item(cu, DrawErase);
    if (v->undo) {
        v->undo->new_level(chord_symbol_undo::Erased, chord_symbol_undo::kAction);
        record_measure(v, c.at.index);
    }
    m->remove(k);
    c.draw_measure(DrawNormal);
    doc->modif = 1;
    CChordProgression* prog = current_progression();
    const short column = last_ma;
    if (const short index = prog ? prog->get_chord_index(column, cu->offset, 1) : (short)0) {
        // Kept while another symbol, of any part, stands at that column and time.
        bool kept = false;
        each_symbol([&](short col, CChordUse* u) {
            if (col == column && u->offset == cu->offset) kept = true;
        });
        if (!kept) {
            record_progression(v);
            prog->remove_chord(index);
            v->up->dirty();  // later symbols may now show the chord before
        }
    }
    delete cu;
    return tool_result::Handled;
}

}  // namespace

short dispatch_editeur_chord_use(Editeur* v, Event* e) {
    ToolContext c;
    if (!c.begin(v, e)) return tool_result::NotMine;
    ShownMeasure target;
    if (!target_measure(v, c.x, c.y, &target)) return tool_result::NotMine;
    std::vector<ShownMeasure> page;
    walk_shown(v, [&](const ShownMeasure& s) {
        page.push_back(s);
        return false;
    });
    // The search: the target measure, the measures at its place in the other staves of its
    // system, then every measure of the page.
    std::vector<ShownMeasure> order{target};
    for (const ShownMeasure& s : page)
        if (s.system == target.system && s.mpos == target.mpos && s.m != target.m) order.push_back(s);
    for (const ShownMeasure& s : page)
        if (s.m != target.m) order.push_back(s);
    CChordProgression* prog = current_progression();
    for (const ShownMeasure& s : order) {
        if (is_refused(s.m)) return tool_result::NotMine;
        c.touch(s);
        for (short i = 1; i <= s.m->total(); i++) {
            CChordUse* cu = s.m->get_chorduse_item(i);
            if (!cu) continue;
            const CRect box = symbol_box(v, s, cu, prog);
            if (!point_inside_rect(c.x, c.y, &box)) continue;
            if (e->flags & EvfDouble) return edit_symbol(c, cu);
            if (!c.erase) return drag_symbol(c, cu, box, page);
            return erase_symbol(c, cu, i);
        }
    }
    return place_symbol(c, target);
}
