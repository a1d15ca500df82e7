#include "tools/ScoreDispatchMiscellaneous.h"

#include <algorithm>
#include <vector>

#include "editor/Editeur.h"
#include "framework/CDialog.h"
#include "framework/CList.h"
#include "framework/CUndoManager.h"
#include "framework/Event.h"
#include "framework/CUserPanel.h"
#include "framework/UserInput.h"
#include "layout/UtilitairesGroupesAccords.h"
#include "layout/UtilitairesPartition.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/ScoreItems.h"
#include "score/SymbolPlacement.h"
#include "score/ToolNumbers.h"
#include "tools/ToolContext.h"

// ---- Decisions ----

namespace {
constexpr short kShortestValue = 8;  // a 128th
constexpr short kTieHeight = 6;
constexpr short kTied = 0x01, kTieLinked = 0x04, kHiddenNote = 0x10, kStemByHand = 0x40;
constexpr short kHiddenRest = 0x01;
constexpr short kHideTool = 9;       // tool 79: hides and shows
}  // namespace

short dots_after(short point, short rythm, bool erase) {
    if (erase) return (short)std::max(point - 1, 0);
    const short more = (short)(std::max<short>(point, 0) + 1);
    return rythm < 0 || rythm + more > kShortestValue ? (short)-1 : more;
}

short dot_ticks(short rythm, short point) {
    if (rythm < 0 || rythm > kShortestValue || point < 0 || point > kShortestValue) return 0;
    return (short)((0xF00 >> rythm) >> point);
}

TieState next_tie(TieState now, short dir) {
    if (!(now.flags & kTied)) return {(short)(now.flags | kTied), dir == 0 ? kTieHeight : (short)-kTieHeight};
    if (dir == 0 && now.tdh > 0) return {now.flags, (short)-kTieHeight};
    if (dir == 1 && now.tdh < 0) return {now.flags, kTieHeight};
    return {(short)(now.flags & ~(kTied | kTieLinked)), now.tdh};
}

short beam_mode_for_voice(short mode, short voice) { return (short)((mode & 0xFF) | ((voice & 0xFF) << 8)); }

namespace {

// ---- Shared steps ----

// The note under the press with the tie tool's box: 6 units left to 8 right of its point, 5
// above to 1 below (heights at the staff's size).
bool find_note_in_tie_box(ToolContext& c, ItemHit* hit) {
    Editeur* v = c.v;
    const float px = c.x, py = c.y;
    return walk_shown(v, [&](const ShownMeasure& s) {
        for (short i = 1; i <= s.m->total(); i++) {
            CNote* n = s.m->get_note_item(i);
            if (!n) continue;
            const float left = s.mx - v->ox + (short)(n->x * v->scalex);
            const float top = s.my - v->oy + (short)(n->y * v->scaley * s.ss);
            if (px >= left - 6 * v->scalex && px <= left + 8 * v->scalex && py >= top - 5 * v->scaley * s.ss &&
                py <= top + 1 * v->scaley * s.ss) {
                hit->item = i;
                hit->at = s;
                return true;
            }
        }
        return false;
    });
}

// Every measure of a list recorded in the press's undo level (cross-staff chords and groups).
void record_measures(ToolContext& c, const short* tabm, short from, short to) {
    for (short i = from; i <= to; i++)
        if (tabm[i] >= 1 && tabm[i] <= doc->max_mes && c.v->undo)
            c.v->undo->add_obj(reinterpret_cast<void**>(&doc->mes[tabm[i]]), kUndoKindMeasure, 0, 0);
}

CMeasure* measure_at(short index) { return index >= 1 && index <= doc->max_mes ? doc->mes[index] : nullptr; }

// The symbols bound to note k of measure `index` placed again after its stem turned.
void move_symbols(ToolContext& c, short index, short k, short old_h, short old_d) {
    CMeasure* m = measure_at(index);
    CNote* n = m ? m->get_note_item(k) : nullptr;
    if (!n || !n->sid) return;
    Editeur* v = c.v;
    short x0 = 0, y0 = 0;
    v->up->get_origin(&x0, &y0);
    v->up->set_origin((short)(x0 - v->ox + (short)(m->x * v->scalex)), (short)(y0 - v->oy + (short)(m->y * v->scaley)));
    deplacer_symbole(n->sid, m, n->x, n->y, old_h, old_d, k, 1, 0, v->up, v);
    v->up->set_origin(x0, y0);
}

// ---- Dots ----

bool note_dot_box(const Editeur* v, const ShownMeasure& s, const CNote* n, float px, float py) {
    const float left = s.mx - v->ox + (short)(n->x * v->scalex);
    const float mid = s.my - v->oy + (short)(n->y * v->scaley * s.ss);
    return px >= left + 1 * v->scalex * s.ss && px <= left + 12 * v->scalex * s.ss && py >= mid - 4 * v->scaley * s.ss &&
           py <= mid + 4 * v->scaley * s.ss;
}

}  // namespace

short dispatch_editeur_point(Editeur* v, Event* e) {
    ToolContext c;
    if (!c.begin(v, e)) return tool_result::NotMine;
    ItemHit hit;
    const float vx = (float)(c.x + v->ox), vy = (float)(c.y + v->oy);
    const bool found = walk_shown(v, [&](const ShownMeasure& s) {
        for (short i = 1; i <= s.m->total(); i++) {
            CNote* n = s.m->get_note_item(i);
            CRest* r = s.m->get_rest_item(i);
            if ((n && note_dot_box(v, s, n, c.x, c.y)) || (r && rest_box_holds(v, s, r, vx, vy))) {
                hit.item = i, hit.at = s;
                return true;
            }
        }
        return false;
    });
    if (!found) return tool_result::Handled;  // the press is taken, nothing changes
    if (is_refused(hit.at.m)) return tool_result::NotMine;
    c.touch(hit.at);
    CMeasure* m = c.at.m;
    CNote* n = m->get_note_item(hit.item);
    CRest* r = m->get_rest_item(hit.item);
    c.record(n ? modifier_undo::NoteDot : modifier_undo::RestDot);
    if (v->voice == 0) m->change_mes_flags(0, measure_flag::ExplicitVoice | measure_flag::MidiCurrent);
    else m->change_mes_flags(measure_flag::ExplicitVoice, measure_flag::MidiCurrent);
    const short rythm = n ? n->rythm : r->rythm, point = n ? n->point : r->point;
    const short p = dots_after(point, rythm, c.erase);
    if (p < 0) {
        beep();  // as many dots as the value allows
        return tool_result::Handled;
    }
    // A dot on a note or a rest takes its room in the chosen voice.
    if (!c.erase && v->voice && !m->permettre_ajout_voix(v->voice, dot_ticks(rythm, p), 1)) return tool_result::Handled;
    if (r) {
        c.draw_item(r, DrawErase);
        r->point = p;
        c.draw_item(r, DrawNormal);
        return tool_result::Handled;
    }
    if (!n->cid) {
        c.draw_item(n, DrawErase);
        n->point = p;
        n->adjust();
        c.draw_item(n, DrawNormal);
        return tool_result::Handled;
    }
    short cid = n->cid;
    InfoAccord chord;
    v->get_info_accord(m, cid, chord.tabi, chord.tabm, chord.tabx, chord.taby, &chord.tot);
    record_measures(c, chord.tabm, 1, chord.tot);
    v->dessiner_accord(m, cid, DrawErase);
    v->dessiner_complement_accord(m, cid);
    for (short i = 1; i <= chord.tot; i++)
        if (CMeasure* cm = measure_at(chord.tabm[i]))
            if (CNote* k = cm->get_note_item(chord.tabi[i])) k->point = p, k->adjust();
    calcul_accord(m, &cid, staff_scale);
    v->dessiner_accord(m, cid, DrawNormal);
    return tool_result::Handled;
}

// ---- Ties ----

short dispatch_editeur_liaison_tenue(Editeur* v, Event* e) {
    ToolContext c;
    if (!c.begin(v, e) || c.erase) return tool_result::NotMine;
    ItemHit hit;
    if (!find_note_in_tie_box(c, &hit) || is_refused(hit.at.m)) return tool_result::NotMine;
    c.touch(hit.at);
    c.record(modifier_undo::Tie);
    CMeasure* m = c.at.m;
    CNote* n = m->get_note_item(hit.item);
    c.draw_item(n, DrawErase);
    const TieState next = next_tie({n->flags, n->tdh}, n->dir);
    n->flags = next.flags, n->tdh = next.tdh;
    const short ma = last_ma, pa = last_pa, last = nombre_colonnes();
    const auto check = [&](short column, bool neighbour) {
        CMeasure* k = mesure_maitre(doc, column, pa);
        if (!k) return;
        if (neighbour && v->undo)
            for (short i = 1; i <= doc->max_mes; i++)
                if (doc->mes[i] == k) v->undo->add_obj(reinterpret_cast<void**>(&doc->mes[i]), kUndoKindMeasure, 0, 0);
        k->change_mes_flags(0, measure_flag::TiesChecked);
        verifier_tenues_notes(column, pa);
        // A neighbour whose ties were worked out again is painted afresh.
        if (neighbour) repaint_measure_band(v, k, staff_scale_of(pa));
    };
    if (ma > 1) check((short)(ma - 1), true);
    check(ma, false);
    if (ma < last) check((short)(ma + 1), true);
    c.touch(c.at);
    c.draw_measure(DrawNormal);
    c.repaint_measure();
    doc->modif = 1;
    return tool_result::Handled;
}

// ---- Voices ----

short dispatch_editeur_voix(Editeur* v, Event* e) {
    ToolContext c;
    if (!c.begin(v, e) || c.erase) return tool_result::NotMine;
    ItemHit hit;
    const bool note = find_note_at(v, c.x, c.y, &hit) != 0;
    if (!note && !find_rest_at(v, c.x, c.y, &hit)) return tool_result::NotMine;
    if (is_refused(hit.at.m)) return tool_result::NotMine;  // its items are not even shown
    c.touch(hit.at);
    c.record(modifier_undo::Voice);
    CMeasure* m = c.at.m;
    const short voice = (short)(c.tool - tool::VoiceNone);
    if (voice < 0 || voice > kHideTool) return tool_result::NotMine;
    const bool hide = voice == kHideTool;
    if (CRest* r = m->get_rest_item(hit.item)) {
        if (hide) r->flags ^= kHiddenRest;
        else r->voice = voice;
    } else if (CNote* n = m->get_note_item(hit.item)) {
        if (hide || !n->gid) {
            if (hide) n->flags ^= kHiddenNote;
            else n->voice = voice;
        } else {
            short tabi[ACCORD_MAX + 1], tabm[ACCORD_MAX + 1], tabx[ACCORD_MAX + 1], tot = 0;
            v->get_info_groupe(m, n->gid, tabi, tabm, tabx, &tot);
            record_measures(c, tabm, 1, tot);
            for (short i = 1; i <= tot; i++)
                if (CMeasure* gm = measure_at(tabm[i]))
                    if (CNote* g = gm->get_note_item(tabi[i])) g->voice = voice;
            // The beam items of the group carry its voice, as the beam layout writes it.
            for (short i = 1; i <= tot; i++)
                if (CMeasure* gm = measure_at(tabm[i]))
                    for (short k = 1; k <= gm->total(); k++)
                        if (CBeams* b = gm->get_beams_item(k); b && b->gid == n->gid) {
                            b->voice = voice;
                            b->mode = beam_mode_for_voice(b->mode, voice);
                        }
        }
    }
    if (hide) c.draw_measure(DrawErase);
    c.draw_measure(DrawNormal);
    c.repaint_measure();
    return tool_result::Handled;
}

// ---- Stems ----

namespace {

void turn(CNote* n) {
    n->dir = (short)(1 - n->dir);
    n->flags |= kStemByHand;
}

// The stem length moves to the chord's other end: its top note (smallest height) and bottom
// note (largest, the first on equal heights).
void move_chord_stem(const InfoAccord& chord) {
    CNote* top = nullptr;
    CNote* bottom = nullptr;
    short top_y = 32767, bottom_y = -32768;
    for (short i = 1; i <= chord.tot; i++) {
        CMeasure* m = measure_at(chord.tabm[i]);
        CNote* n = m ? m->get_note_item(chord.tabi[i]) : nullptr;
        if (!n) continue;
        if (chord.taby[i] < top_y) top_y = chord.taby[i], top = n;
        if (chord.taby[i] > bottom_y) bottom_y = chord.taby[i], bottom = n;
    }
    if (!top || !bottom || top == bottom) return;
    if (top->height) bottom->height = top->height, top->height = 0;
    else top->height = bottom->height, bottom->height = 0;
}

CNote* note_of(short index, short item) {
    CMeasure* m = measure_at(index);
    return m ? m->get_note_item(item) : nullptr;
}

// A note and what it was before it turned.
struct Turned {
    short index, item, height, dir;
};

short flip_lone(ToolContext& c, CNote* k, short item) {
    const Turned was{c.at.index, item, k->height, k->dir};
    c.draw_item(k, DrawErase);
    turn(k);
    if (k->tdh) k->tdh = (short)-k->tdh;
    move_symbols(c, was.index, was.item, was.height, was.dir);
    c.draw_measure(DrawNormal);
    c.repaint_measure();
    return tool_result::Handled;
}

// Walks the group's notes handing each distinct chord once to `step` (at most ACCORD_MAX).
template <class Step>
void each_chord_once(const short* tabi, const short* tabm, short tot, Step step) {
    std::vector<short> seen;
    for (short i = 1; i <= tot && (short)seen.size() < ACCORD_MAX; i++) {
        CNote* n = note_of(tabm[i], tabi[i]);
        if (!n || !n->cid || std::count(seen.begin(), seen.end(), n->cid)) continue;
        seen.push_back(n->cid);
        step(tabm[i], n->cid);
    }
}

void chord_step(Editeur* v, short index, short cid, bool ties) {
    CMeasure* m = measure_at(index);
    if (!m) return;
    InfoAccord chord;
    v->get_info_accord(m, cid, chord.tabi, chord.tabm, chord.tabx, chord.taby, &chord.tot);
    if (ties)
        for (short i = 1; i <= chord.tot; i++)
            if (CNote* n = note_of(chord.tabm[i], chord.tabi[i]); n && n->tdh) n->tdh = (short)-n->tdh;
    move_chord_stem(chord);
    calcul_accord(m, &cid, staff_scale);
}

short flip_group(ToolContext& c, CNote* k) {
    Editeur* v = c.v;
    CMeasure* m = c.at.m;
    short gid = k->gid;
    v->dessiner_groupe(m, gid, DrawErase);
    short tabi[ACCORD_MAX + 1], tabm[ACCORD_MAX + 1], tabx[ACCORD_MAX + 1], tot = 0;
    v->get_info_groupe(m, gid, tabi, tabm, tabx, &tot);
    record_measures(c, tabm, 1, tot);
    std::vector<Turned> was;
    for (short i = 1; i <= tot; i++)
        if (CNote* n = note_of(tabm[i], tabi[i])) was.push_back({tabm[i], tabi[i], n->height, n->dir});
    if (!c.ctrl) {
        for (const Turned& t : was) turn(note_of(t.index, t.item));
        for (short i = 1; i <= tot; i++)
            if (CNote* n = note_of(tabm[i], tabi[i]); n && !n->cid && n->tdh) n->tdh = (short)-n->tdh;
        each_chord_once(tabi, tabm, tot, [&](short index, short cid) { chord_step(v, index, cid, true); });
    } else {
        turn(k);
    }
    calcul_groupe(m, &gid, v->scalex, v->scaley, v->up);
    for (const Turned& t : was) move_symbols(c, t.index, t.item, t.height, t.dir);
    v->dessiner_complement_groupe(m, gid);
    v->dessiner_groupe(m, gid, DrawNormal);
    c.repaint_measure();
    return tool_result::Handled;
}

short flip_chord(ToolContext& c, CNote* k) {
    Editeur* v = c.v;
    CMeasure* m = c.at.m;
    short gid = k->gid, cid = k->cid;
    const bool whole_group = gid && !c.ctrl;
    if (gid) v->dessiner_groupe(m, gid, DrawErase);
    v->dessiner_accord(m, cid, DrawErase);
    InfoAccord chord;
    v->get_info_accord(m, cid, chord.tabi, chord.tabm, chord.tabx, chord.taby, &chord.tot);
    record_measures(c, chord.tabm, 1, chord.tot);
    for (short i = 1; i <= chord.tot; i++) {
        CNote* n = note_of(chord.tabm[i], chord.tabi[i]);
        if (!n) continue;
        if (!whole_group) {
            const short h = n->height, d = n->dir;
            turn(n);
            move_symbols(c, chord.tabm[i], chord.tabi[i], h, d);
        }
        if (n->flags & kTied) n->tdh = (short)-n->tdh;
    }
    if (!whole_group) {
        move_chord_stem(chord);
        calcul_accord(m, &cid, staff_scale);
    } else {
        short tabi[ACCORD_MAX + 1], tabm[ACCORD_MAX + 1], tabx[ACCORD_MAX + 1], tot = 0;
        v->get_info_groupe(m, gid, tabi, tabm, tabx, &tot);
        record_measures(c, tabm, 1, tot);
        for (short i = 1; i <= tot; i++)
            if (CNote* n = note_of(tabm[i], tabi[i])) {
                const short h = n->height, d = n->dir;
                turn(n);
                move_symbols(c, tabm[i], tabi[i], h, d);
            }
        each_chord_once(tabi, tabm, tot, [&](short index, short id) { chord_step(v, index, id, false); });
    }
    if (gid) {
        calcul_groupe(m, &gid, v->scalex, v->scaley, v->up);
        v->dessiner_groupe(m, gid, DrawNormal);
    }
    v->dessiner_accord(m, cid, DrawNormal);
    v->dessiner_complement_accord(m, cid);
    c.repaint_measure();
    return tool_result::Handled;
}

}  // namespace

short dispatch_editeur_inverser(Editeur* v, Event* e) {
    ToolContext c;
    if (!c.begin(v, e) || c.erase) return tool_result::NotMine;
    ItemHit hit;
    if (!find_note_in_tie_box(c, &hit) || is_refused(hit.at.m)) return tool_result::NotMine;
    c.touch(hit.at);
    c.record(modifier_undo::Stem);
    CNote* k = c.at.m->get_note_item(hit.item);
    if (k->cid) return flip_chord(c, k);
    if (k->gid) return flip_group(c, k);
    return flip_lone(c, k, hit.item);
}

// ---- Repeats ----

namespace {

constexpr short kRepeatDialog = 0x77;
constexpr short kPasses = 10;
constexpr short kPlainBar = 1;  // one thin line; 0 is none
constexpr short kNumberMask = 0x3FFF;
constexpr short kStaffUnits = 24;

// The dialog's preview: a measure without items showing the two bar lines chosen.
CMeasure* preview_measure = nullptr;

short reprise_proc(CPanel* panel, Event* e) {
    if (e->type != EvPaint) return 0;
    CUserPanel* p = static_cast<CUserPanel*>(panel);
    p->set_color(0);
    p->draw_rect(0, 0, p->get_width(), p->get_height(), 0);
    if (preview_measure) {
        short x0 = 0, y0 = 0;
        p->get_origin(&x0, &y0);
        p->go_to(0, 0);
        preview_measure->draw(p, DrawNormal, 1.0f, 1.0f);
        p->set_origin(x0, y0);
    }
    return 1;
}

// The measure index at column c of part p of the master system, 0 when there is none.
short column_measure(short c, short p) {
    if (!doc || doc->max_sys < 1 || !doc->sys[1]) return 0;
    const Systeme* s = doc->sys[1];
    if (p < 1 || p > s->tot_por) return 0;
    const short staff = s->por[p];
    if (staff < 1 || staff > doc->max_por || !doc->por[staff]) return 0;
    const Portee* line = doc->por[staff];
    if (c < 1 || c > line->tot_mes) return 0;
    const short m = line->mes[c];
    return m >= 1 && m <= doc->max_mes && doc->mes[m] ? m : 0;
}

ColumnNumbers column_numbers() {
    ColumnNumbers n(1, 0);
    const Systeme* s = doc && doc->max_sys >= 1 ? doc->sys[1] : nullptr;
    const short staff = s && s->tot_por >= 1 ? s->por[1] : 0;
    const short columns = staff >= 1 && staff <= doc->max_por && doc->por[staff] ? doc->por[staff]->tot_mes : 0;
    for (short c = 1; c <= columns; c++) {
        const short m = column_measure(c, 1);
        n.push_back(m ? (short)(doc->mes[m]->number & kNumberMask) : 0);
    }
    return n;
}

short parts_count() {
    return doc && doc->max_sys >= 1 && doc->sys[1] ? doc->sys[1]->tot_por : 0;
}

void apply_repeat(Editeur* v, const RepeatPlan& plan) {
    const short columns = (short)(column_numbers().size() - 1);
    for (short c = plan.first; c <= plan.last; c++) {
        if (c < 1) continue;
        if (c > columns) break;
        for (short p = 1; p <= parts_count(); p++) {
            const short index = column_measure(c, p);
            if (!index) continue;
            CMeasure* m = doc->mes[index];
            if (v->undo) v->undo->add_obj(reinterpret_cast<void**>(&doc->mes[index]), kUndoKindMeasure, 0, 0);
            m->start_bar = plan.start_bar;
            m->end_bar = plan.end_bar;
            m->change_mes_flags(0, measure_flag::MidiCurrent);
            bool found = false;
            for (short i = m->total(); i >= 1; i--) {
                CRepeat* r = object_as<CRepeat>(m->get_item(i));
                if (!r) continue;
                found = true;
                if (plan.removes) {
                    m->remove(i);
                    delete r;
                } else {
                    for (short k = 1; k <= kPasses; k++) r->next[k] = plan.jumps[k];
                }
            }
            if (!found && !plan.removes) {
                CRepeat* r = new CRepeat;
                for (short k = 1; k <= kPasses; k++) r->next[k] = plan.jumps[k];
                m->insert(r, 1);
            }
        }
    }
}

}  // namespace

short column_of_number(const ColumnNumbers& numbers, short number) {
    for (size_t c = 1; c < numbers.size(); c++)
        if (numbers[c] == number) return (short)c;
    return 0;
}

RepeatValues repeat_values_of(short number, const short* next, short start_bar, short end_bar,
                              const ColumnNumbers& numbers) {
    RepeatValues v;
    v.first = v.last = number;
    v.start_item = (short)(start_bar + 1);
    v.end_item = (short)(end_bar + 1);
    const short columns = (short)(numbers.size() - 1);
    for (short k = 1; next && k <= kPasses; k++) {
        const short c = next[k];
        v.targets[k - 1] = c >= 1 && c <= columns ? numbers[c] : 0;
    }
    return v;
}

RepeatPlan plan_repeat(const RepeatValues& values, const ColumnNumbers& numbers, short clicked_column) {
    RepeatPlan p;
    p.first = values.first == 0 ? clicked_column : column_of_number(numbers, values.first);
    p.last = values.last == 0 ? clicked_column : column_of_number(numbers, values.last);
    if (!p.first) {
        // Nothing to start the range at: applying it from the first measure would change measures
        // the user did not name.
        p.refused = true;
        return p;
    }
    bool jumps = false;
    for (short k = 1; k <= kPasses; k++) {
        const short t = values.targets[k - 1];
        p.jumps[k] = t <= 0 ? 0 : column_of_number(numbers, t);
        jumps = jumps || p.jumps[k];
    }
    p.start_bar = (short)(values.start_item - 1);
    p.end_bar = (short)(values.end_item - 1);
    p.removes = !jumps && p.start_bar <= kPlainBar && p.end_bar <= kPlainBar;
    return p;
}

bool dialogue_reprise_dialog(RepeatValues* values) {
    short ok = 0, cancel = 0;
    RepeatValues v = *values;
    void* table[18] = {nullptr, &ok, &cancel, &v.first, &v.last, nullptr, nullptr, nullptr};
    for (short k = 0; k < kPasses; k++) table[8 + k] = &v.targets[k];
    CMeasure preview;
    preview.width = 120, preview.x = 10, preview.y = 10;
    CPopup* start = nullptr;
    CPopup* end = nullptr;
    short seen_start = -1, seen_end = -1;
    CUserPanel* panel = nullptr;
    auto follow = [&] {
        const short s = start ? start->get_cur() : v.start_item, e = end ? end->get_cur() : v.end_item;
        if (s == seen_start && e == seen_end) return;
        seen_start = s, seen_end = e;
        preview.start_bar = (short)(s - 1);
        preview.end_bar = (short)(e - 1);
        if (panel) panel->dirty(1);
    };
    preview_measure = &preview;
    const bool shown = work_tool_dialog(
        kRepeatDialog, table, &ok, &cancel,
        [&](CDialog* d) {
            start = static_cast<CPopup*>(table[6]);
            end = static_cast<CPopup*>(table[7]);
            if (start) start->set_cur(v.start_item);
            if (end) end->set_cur(v.end_item);
            CPanel* holder = start && start->parent ? start->parent : d;
            panel = new CUserPanel(holder);
            panel->set_position(10, 10);
            panel->set_dimension(140, 45);
            panel->event_handler = reprise_proc;
            panel->show();
            follow();
        },
        follow);
    preview_measure = nullptr;
    if (!shown || !ok || cancel) return false;
    v.start_item = seen_start, v.end_item = seen_end;
    *values = v;
    return true;
}

bool (*dialogue_reprise)(RepeatValues* values) = dialogue_reprise_dialog;

short dispatch_editeur_reprises(Editeur* v, Event* e) {
    ToolContext c;
    if (!c.begin(v, e) || c.erase) return tool_result::NotMine;
    ShownMeasure hit;
    const bool found = walk_shown(v, [&](const ShownMeasure& s) {
        const short top = (short)(s.my - v->oy);
        if (!spans_x(v, s, c.x) || c.y < top || c.y >= top + kStaffUnits * v->scaley * s.ss) return false;
        hit = s;
        return true;
    });
    if (!found || is_refused(hit.m)) return tool_result::NotMine;
    c.touch(hit);
    const ColumnNumbers numbers = column_numbers();
    const short* next = nullptr;
    for (short i = 1; i <= hit.m->total(); i++)
        if (CRepeat* r = object_as<CRepeat>(hit.m->get_item(i))) next = r->next;
    RepeatValues values = repeat_values_of((short)(hit.m->number & kNumberMask), next, hit.m->start_bar,
                                           hit.m->end_bar, numbers);
    if (!dialogue_reprise(&values)) return tool_result::Handled;
    const RepeatPlan plan = plan_repeat(values, numbers, last_ma);
    if (plan.refused) {
        beep();
        return tool_result::Handled;
    }
    if (v->undo) v->undo->set_operation(repeat_undo::Set, repeat_undo::Action);
    apply_repeat(v, plan);
    v->lin_ok = v->pag_ok = 0;
    v->calculer_page_0();
    v->adjust_scroll();
    doc->modif = 1;
    return tool_result::Handled;
}
