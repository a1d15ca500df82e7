#include "tools/ScoreDispatchAccidentals.h"

#include <cstring>

#include "editor/Editeur.h"
#include "layout/UtilitairesPartition.h"
#include "score/CKeySig.h"
#include "score/CMeasure.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/ScoreItems.h"
#include "score/Signatures.h"
#include "score/ToolNumbers.h"
#include "tools/ToolContext.h"

// ---- Decisions ----

namespace {
constexpr short kClefKinds = 10;
constexpr short kKeyTableFirst = 1, kKeyTableLast = 120;
constexpr short kKeyTableOrigin = 64;  // the entry of the top line under the key's own clef

short clef_constant(short kind) { return tab_clef_constante[kind >= 0 && kind < kClefKinds ? kind : 1]; }

short raised(short from) {
    switch (from) {
    case accidental::None: return accidental::Sharp;
    case accidental::DoubleFlat: return accidental::Flat;
    case accidental::Flat: return accidental::None;
    case accidental::Natural: return accidental::Sharp;
    case accidental::Sharp: return accidental::DoubleSharp;
    case accidental::DoubleSharp: return accidental::DoubleSharp;
    default: return (short)(from + 1);
    }
}

short lowered(short from) {
    switch (from) {
    case accidental::None: return accidental::Flat;
    case accidental::DoubleFlat: return accidental::DoubleFlat;
    case accidental::Flat: return accidental::DoubleFlat;
    case accidental::Natural: return accidental::Flat;
    case accidental::Sharp: return accidental::None;
    case accidental::DoubleSharp: return accidental::Sharp;
    default: return accidental::None;
    }
}

// Nothing is written where the measure already reads the value; a plain note where the measure
// reads something else gets its natural.
short simplified(short code, short prev, short implied) {
    if (code == accidental::None) {
        const bool altered = prev ? prev != accidental::Natural : implied != accidental::None;
        return altered ? accidental::Natural : accidental::None;
    }
    if (prev == code || (prev == accidental::None && implied == code)) return accidental::None;
    return code;
}
}  // namespace

short staff_step(short y) { return (short)((3002 - y) / 3 - 1000); }

short key_table_index(short step, short clef, short key_clef) {
    return (short)(kKeyTableOrigin + step + clef_constant(clef) - clef_constant(key_clef));
}

short key_alteration(const short* taba, short index) {
    if (index < kKeyTableFirst || index > kKeyTableLast) return 0;
    const short a = taba[index];
    return a >= -2 && a <= 2 ? a : (short)0;
}

short accidental_after(short tool, short cur, short prev, short implied) {
    switch (tool) {
    case tool::AccidentalRemove: return accidental::None;
    case tool::AccidentalDoubleFlat: return accidental::DoubleFlat;
    case tool::AccidentalNatural: return accidental::Natural;
    case tool::AccidentalDoubleSharp: return accidental::DoubleSharp;
    default: break;
    }
    const short from = cur ? cur : (prev ? prev : implied);
    const short to = tool == tool::AccidentalRaise ? raised(from) : lowered(from);
    return simplified(to, prev, implied);
}

// ---- Handlers ----

namespace {

constexpr short kUnitsLeftOfHead = 6, kUnitsRightOfHead = 8;
constexpr short kUnitsAboveHead = 5, kUnitsBelowHead = 1;
constexpr short kGlyphWidth = 10, kGlyphAbove = 8, kGlyphBelow = 2;

// The nearest earlier accidental on note k's line in measure m (the later item on a tie), 0
// when none.
short earlier_accidental(CMeasure* m, const CNote* n) {
    short best = 10000, prev = accidental::None;
    for (short i = 1; i <= m->total(); i++) {
        const CNote* o = m->get_note_item(i);
        if (!o || o == n || o->y != n->y || o->x >= n->x || !o->alt) continue;
        const short d = (short)(n->x - o->x);
        if (d <= best) best = d, prev = o->alt;
    }
    return prev;
}

// What the key in force at the end of the touched measure gives the note's step, as a code.
short implied_accidental(const CNote* n) {
    CKeySig* key = get_armure_start((short)(last_ma + 1), last_pa);
    const short clef = get_clef_start((short)(last_ma + 1), last_pa);
    short taba[TABA_SIZE];
    std::memset(taba, 0, sizeof taba);
    armure_to_taba(key, taba);
    const short key_clef = key ? key->clef : (short)1;
    const short a = key_alteration(taba, key_table_index(staff_step(n->y), clef, key_clef));
    return a ? (short)(a + 3) : (short)accidental::None;
}

// The first note of the page shown whose head box holds the press.
bool find_head(const ToolContext& c, ItemHit* hit) {
    const Editeur* v = c.v;
    const float px = c.x, py = c.y;
    return walk_shown(v, [&](const ShownMeasure& s) {
        for (short i = 1; i <= s.m->total(); i++) {
            const CNote* n = s.m->get_note_item(i);
            if (!n) continue;
            const float a = (float)(s.mx - v->ox + (short)(n->x * v->scalex));
            const float b = (float)(s.my - v->oy + (short)(n->y * v->scaley * s.ss));
            const float sy = v->scaley * s.ss;
            if (px >= a - kUnitsLeftOfHead * v->scalex && px <= a + kUnitsRightOfHead * v->scalex &&
                py >= b - kUnitsAboveHead * sy && py <= b + kUnitsBelowHead * sy) {
                hit->item = i;
                hit->at = s;
                return true;
            }
        }
        return false;
    });
}

// The first written accidental of the page shown whose glyph box holds the press.
bool find_glyph(const ToolContext& c, ItemHit* hit) {
    const Editeur* v = c.v;
    const float px = c.x, py = c.y;
    return walk_shown(v, [&](const ShownMeasure& s) {
        for (short i = 1; i <= s.m->total(); i++) {
            const CNote* n = s.m->get_note_item(i);
            if (!n || !n->alt) continue;
            const float sy = v->scaley * s.ss;
            const float gx = (float)(s.mx - v->ox + (short)(n->x * v->scalex) + (short)(n->dax * v->scalex));
            const float gy = (float)(s.my - v->oy + (short)(n->y * sy) + (short)(n->day * sy));
            if (px >= gx - kGlyphWidth * v->scalex && px <= gx && py >= gy - kGlyphAbove * sy &&
                py <= gy + kGlyphBelow * sy) {
                hit->item = i;
                hit->at = s;
                return true;
            }
        }
        return false;
    });
}

}  // namespace

short dispatch_editeur_alterations(Editeur* v, Event* e) {
    ToolContext c;
    if (!c.begin(v, e) || c.erase) return tool_result::NotMine;
    ItemHit hit;
    if (!find_head(c, &hit) || is_refused(hit.at.m)) return tool_result::NotMine;
    c.touch(hit.at);
    c.record(accidental_undo::Set);
    CMeasure* m = c.at.m;
    m->change_mes_flags(0, measure_flag::MidiCurrent);
    CNote* n = m->get_note_item(hit.item);
    c.draw_item(n, DrawErase);
    n->alt = accidental_after(c.tool, n->alt, earlier_accidental(m, n), implied_accidental(n));
    c.draw_measure(DrawNormal);
    c.repaint_measure();
    c.sound(n);
    return tool_result::Handled;
}

short dispatch_editeur_bouger_alterations(Editeur* v, Event* e) {
    ToolContext c;
    // The eraser's any-object chain reaches this handler too: an accidental is not dragged then.
    if (!c.begin(v, e) || c.erase) return tool_result::NotMine;
    ItemHit hit;
    if (!find_glyph(c, &hit) || is_refused(hit.at.m)) return tool_result::NotMine;
    c.touch(hit.at);
    c.record(accidental_undo::Moved);
    CNote* n = c.at.m->get_note_item(hit.item);
    c.draw_item(n, DrawErase);
    c.draw_item(n, DrawInvert);
    const float unit_x = v->scalex, unit_y = v->scaley * c.at.ss;
    const short x0 = (short)(n->dax * unit_x), y0 = (short)(n->day * unit_y);
    c.drag(unit_x, unit_y, [&](short tx, short ty) {
        c.draw_item(n, DrawInvert);
        n->dax = (short)((x0 + tx) / unit_x);
        n->day = (short)((y0 + ty) / unit_y);
        c.draw_item(n, DrawInvert);
    });
    c.draw_item(n, DrawInvert);  // the feedback goes
    c.touch(c.at);
    c.draw_measure(DrawNormal);
    c.repaint_measure();
    return tool_result::Handled;
}
