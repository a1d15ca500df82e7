#include "tools/ScoreDispatchEnharmonies.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "editor/Editeur.h"
#include "layout/UtilitairesGroupesAccords.h"
#include "layout/UtilitairesPartition.h"
#include "score/CKeySig.h"
#include "score/CMeasure.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"
#include "score/ScoreItems.h"
#include "score/Signatures.h"
#include "score/ToolNumbers.h"
#include "tools/ScoreDispatchAccidentals.h"
#include "tools/ToolContext.h"

namespace {

struct Respelling {
    short alteration, step;
};

// By row: C, D, F, G; E, B; A. By column: the alteration -2 to +2.
constexpr Respelling kWholeToneAbove[5] = {{1, -2}, {2, -2}, {-2, 1}, {-1, 1}, {0, 1}};
constexpr Respelling kSemitoneAbove[5] = {{2, -2}, {-2, 1}, {-1, 1}, {0, 1}, {1, 1}};
constexpr Respelling kA[5] = {{2, -2}, {1, -1}, {-2, 1}, {-1, 1}, {0, 1}};

constexpr short kDegrees = 7;
constexpr short kDegreeBase = 45;  // with the treble clef, step 0 (the top line) is F: 45 % 7 = 3
constexpr short kMaxClefs = 10;
constexpr short kClefKinds = 10;

short clef_constant(short kind) { return tab_clef_constante[kind >= 0 && kind < kClefKinds ? kind : 1]; }

struct ClefEntry {
    short x, kind;
};

// The clef at the start of the measure, then its clef items in order (10 in all at most), in
// order of x (equal places keep their order).
std::vector<ClefEntry> clef_list(CMeasure* m, short start) {
    std::vector<ClefEntry> list{{0, start}};
    for (short i = 1; i <= m->total() && (short)list.size() < kMaxClefs; i++)
        if (CClef* c = m->get_clef_item(i)) list.push_back({c->x, c->id});
    std::stable_sort(list.begin(), list.end(), [](const ClefEntry& a, const ClefEntry& b) { return a.x < b.x; });
    return list;
}

// The clef of a note at `x`: the last entry strictly left of it; the start clef at x 0 or less.
short clef_of(const std::vector<ClefEntry>& list, short x) {
    for (size_t k = list.size(); k-- > 0;)
        if (list[k].x < x) return list[k].kind;
    return list.front().kind;
}

// The measure's notes in order of x; other items keep their places.
void order_notes(CMeasure* m) {
    std::vector<short> slots;
    std::vector<CNote*> notes;
    for (short i = 1; i <= m->total(); i++)
        if (CNote* n = m->get_note_item(i)) slots.push_back(i), notes.push_back(n);
    std::stable_sort(notes.begin(), notes.end(), [](const CNote* a, const CNote* b) { return a->x < b->x; });
    for (size_t k = 0; k < slots.size(); k++) m->set_item(slots[k], notes[k]);
}

bool in_table(short index) { return index >= 1 && index < TABA_SIZE; }

}  // namespace

short enharmonie_suivante(short* degree, short* alteration) {
    if (*degree < 0 || *degree >= kDegrees || *alteration < -2 || *alteration > 2) return 0;
    const Respelling* row = *degree == 5 ? kA : (*degree == 2 || *degree == 6) ? kSemitoneAbove : kWholeToneAbove;
    const Respelling r = row[*alteration + 2];
    *alteration = r.alteration;
    return r.step;
}

short dispatch_editeur_enharmonie(Editeur* v, Event* e) {
    ToolContext c;
    if (!c.begin(v, e) || c.erase) return tool_result::NotMine;
    ItemHit hit;
    // A measure of library markers or of a play-along file is not the notes' to change.
    if (!find_note_at(v, c.x, c.y, &hit) || is_refused(hit.at.m)) return tool_result::NotMine;
    CMeasure* m = hit.at.m;
    CNote* clicked = m->get_note_item(hit.item);
    c.touch(hit.at);
    const std::vector<ClefEntry> clefs = clef_list(m, get_clef_start(last_ma, last_pa));
    CKeySig* key = get_armure_start((short)(last_ma + 1), last_pa);
    const short key_clef = key ? key->clef : (short)1;

    // A note too far from the staff, or read from a file with an accidental out of range, keeps
    // its spelling.
    const short clef = clef_of(clefs, clicked->x);
    const short step = staff_step(clicked->y);
    const short p = key_table_index(step, clef, key_clef);
    const int degree_sum = step + clef_constant(clef) + kDegreeBase;
    if (degree_sum < 0 || !in_table((short)(p - 2)) || !in_table((short)(p + 2)) || clicked->alt < 0 ||
        clicked->alt > accidental::DoubleSharp)
        return tool_result::NotMine;

    c.record(enharmony_undo::Respelled);
    c.draw_measure(DrawErase);
    order_notes(m);
    short taba[TABA_SIZE];
    std::memset(taba, 0, sizeof taba);
    armure_to_taba(key, taba);
    for (short i = 1; i <= m->total(); i++) {
        CNote* n = m->get_note_item(i);
        if (!n) continue;
        const short at = key_table_index(staff_step(n->y), clef_of(clefs, n->x), key_clef);
        short a = key_alteration(taba, at);
        if (n->alt >= accidental::DoubleFlat && n->alt <= accidental::DoubleSharp) {
            a = (short)(n->alt - 3);
            if (in_table(at)) taba[at] = a;
        }
        if (n != clicked) continue;
        short degree = (short)(degree_sum % kDegrees);
        const short s = enharmonie_suivante(&degree, &a);
        const short old_y = n->y;
        n->y = (short)(n->y - 3 * s);
        n->adjust();
        const short there = (short)(at + s);
        if (taba[there] == a) {
            n->alt = accidental::None;
        } else {
            taba[there] = a;
            n->alt = (short)std::max(1, std::min(5, a + 3));
        }
        if (n->gid) {
            short gid = n->gid;
            calcul_groupe(m, &gid, v->scalex, v->scaley, v->up);
        }
        c.move_bound_symbols(n->sid, n->x, old_y, n->height, n->dir, i, 0, 0);
        break;
    }
    m->change_mes_flags(0, measure_flag::TiesChecked);
    c.draw_measure(DrawNormal);
    c.repaint_measure();
    return tool_result::Handled;
}
