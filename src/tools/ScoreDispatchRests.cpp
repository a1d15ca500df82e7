#include "tools/ScoreDispatchRests.h"

#include "editor/Editeur.h"
#include "framework/CUserPanel.h"
#include "score/CMeasure.h"
#include "score/ScoreItems.h"
#include "score/ToolNumbers.h"
#include "tools/ToolContext.h"

namespace {

constexpr short kRestLeftOfClick = 3;  // units between the click and a new rest's point

short erase_rest(ToolContext& c, short i) {
    CMeasure* m = c.at.m;
    CRest* r = m->get_rest_item(i);
    const short sid = r->sid;
    const short x0 = c.px_x(r->x), y0 = c.px_y(r->y);
    c.rename(rest_undo::Erased);
    c.draw_item(r, DrawErase);
    m->remove(i);
    delete r;
    c.move_bound_symbols(sid, x0, y0, 0, 0, 0, 1, 0);
    c.delete_bound_symbols(sid);
    c.draw_measure(DrawNormal);
    c.repaint_measure();
    return tool_result::Handled;
}

short drag_rest(ToolContext& c, short i) {
    CMeasure* m = c.at.m;
    CRest* r = m->get_rest_item(i);
    Editeur* v = c.v;
    const short sid = r->sid;
    const short x0 = c.px_x(r->x), y0 = c.px_y(r->y);
    c.draw_item(r, DrawErase);
    c.draw_measure_except(r);
    c.draw_guides(sid, x0, y0);
    c.draw_item(r, DrawInvert);
    const float unit_y = v->scaley * c.at.ss;
    c.drag(v->scalex, unit_y, [&](short tx, short ty) {
        c.draw_item(r, DrawInvert);
        short place = (short)(tx + x0);
        if (place > c.at.mw - 10 * v->scalex) place = (short)(c.at.mw - 10 * v->scalex);
        if (place < 2 * v->scalex) place = (short)(2 * v->scalex);
        r->x = (short)(place / v->scalex);
        r->y = (short)((ty + y0) / unit_y);
        c.draw_item(r, DrawInvert);
    });
    c.touch(c.at);
    if (!sid) {
        c.draw_item(r, DrawNormal);
    } else {
        c.move_bound_symbols(sid, x0, y0, 0, 0, i, 1, 0);
        c.draw_measure(DrawNormal);
    }
    return tool_result::Handled;
}

// A press on rest i of the touched measure: erased in erase mode, else dragged.
short rest_pressed(ToolContext& c, short i) {
    c.record(rest_undo::Moved);
    c.at.m->change_mes_flags(measure_flag::ExplicitVoice,
                             measure_flag::MidiCurrent | measure_flag::Flag20 | measure_flag::TiesChecked);
    return c.erase ? erase_rest(c, i) : drag_rest(c, i);
}

short enter_rest(ToolContext& c) {
    CMeasure* m = c.at.m;
    Editeur* v = c.v;
    const short value = tool::is_rest_value(c.tool) ? tool::rest_value_of(c.tool) : 3;
    if (v->voice && !m->permettre_ajout_voix(v->voice, (short)(0xF00 >> value), 1)) {
        ToolContext::untouch();  // it beeped; nothing changed
        return tool_result::Handled;
    }
    c.record(rest_undo::Entered);
    const short voice_flag = v->voice ? measure_flag::ExplicitVoice : 0;
    m->change_mes_flags(voice_flag, (short)(measure_flag::MidiCurrent | measure_flag::Flag20 | measure_flag::TiesChecked |
                                            (voice_flag ? 0 : measure_flag::ExplicitVoice)));
    CRest* r = new CRest;
    r->x = (short)((c.x - c.at.mx + v->ox) / v->scalex - kRestLeftOfClick);
    r->rythm = value;
    r->voice = v->voice;
    r->adjust();
    m->add(r);
    c.draw_item(r, DrawNormal);
    return tool_result::Handled;
}

}  // namespace

short dispatch_editeur_silences(Editeur* v, Event* e) {
    ToolContext c;
    if (!c.begin(v, e)) return tool_result::NotMine;
    ItemHit hit;
    if (find_rest_at(v, c.x, c.y, &hit)) {
        if (is_refused(hit.at.m)) return tool_result::NotMine;
        c.touch(hit.at);
        return rest_pressed(c, hit.item);
    }
    ItemHit note;
    if (find_note_at(v, c.x, c.y, &note)) return tool_result::HandOn;
    ShownMeasure target;
    if (!target_measure(v, c.x, c.y, &target) || is_refused(target.m)) return tool_result::NotMine;
    c.touch(target);
    if (c.tool == tool::Pointer) return tool_result::NotMine;
    if (c.erase) return tool_result::HandOn;
    return enter_rest(c);
}
