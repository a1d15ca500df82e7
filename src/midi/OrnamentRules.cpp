// Ornaments: a symbol whose play rule is of kind 11 plays a table of notes in place of its note
// (a lead-in played once, a group repeated, a tail), or staggers the notes of its chord.
//
// The table (entries 1 to `tot` of the rule): entry 2 the flags (1 pitches relative to the
// note's, 2 velocities relative to the note's, 4 the chord variant), 3 the number of lead-in
// notes, 4 the number of notes of the repeated group, then from entry 5 one note per four
// entries: pitch, velocity, delay from the previous note's start, length.
#include <algorithm>
#include <vector>

#include "midi/ScoreRender.h"
#include "midi/SymbolRules.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"

namespace {

constexpr short ORNAMENT = 11;
constexpr short SMALLEST_TABLE = 8;

struct Entry {
    short pitch, velocity, delay, length;
};

// The play rule of kind 11 of a symbol's chain, or null.
Jeu* ornament_rule(CSymbol* sym, Definition* def) {
    Jeu* found = nullptr;
    for_each_rule(def, [&](short level) {
        if (!found && RuleReader(sym, def, true, level)(14) == ORNAMENT) found = def->jeu;
    });
    return found;
}

}  // namespace

bool CScoreRender::ornamented(CMeasure* measure, CNote* note) {
    if (note->sid == 0 || !pal || !(working_mode & 2)) return false;
    for (short i = 1; i <= measure->total(); i++) {
        CSymbol* sym = measure->get_symbol_item(i);
        if (!sym || sym->note_id != note->sid) continue;
        Definition* def = pal->get_definition(sym->tool_id);
        Jeu* rule = def ? ornament_rule(sym, def) : nullptr;
        // A table too short to hold one note leaves the note as it is written.
        if (!rule || rule->tot < SMALLEST_TABLE || !rule->tab) continue;
        if ((rule->tab[2] & 4) && note->cid != 0) continue;
        return true;
    }
    return false;
}

void CScoreRender::ornament_rules(CMeasure* measure, short m, short p, Ins* ins, int32_t t, int32_t dm) {
    if (!rules_play(p)) return;
    for_each_symbol_rule(measure, [&](CSymbol* sym, Definition* def, short level) {
        if (RuleReader(sym, def, true, level)(14) == ORNAMENT) run_ornament(sym, def, measure, m, p, ins, t, dm);
    });
}

void CScoreRender::run_ornament(CSymbol* sym, Definition* def, CMeasure* measure, short m, short p, Ins* ins,
                                int32_t t, int32_t dm) {
    RuleReader P(sym, def, true, 1);
    measure->change_mes_flags(0, 2);
    int32_t duration = P(16) == 2 ? share_of_measure(dm, drawn_width(def, P, true), measure)
                                  : dm * P(17) + 480 * P(18) + P(19);
    int32_t delta = 0;
    CNote* note = nullptr;
    CRest* rest = nullptr;
    short note_item = 0;
    short pitch = 0, velocity = 0, flags = 0;
    if (P(15) == 2 && sym->note_id != 0) {
        delta = attached_start(measure, sym->note_id, &note, &rest);
        if (duration == 0 && (note || rest)) duration = note ? note->length : rest->length;
        if (note) {
            for (short i = 1; i <= measure->total(); i++)
                if (measure->get_note_item(i) == note) note_item = i;
            pitch = (short)std::clamp(note->pitch + get_valeur(8, p, 0, 0, t + delta), 0, 127);
            velocity = velocite_par_mode(ins->mode_velo, note->velocity == -1 ? ins->velocity : note->velocity,
                                         get_valeur(2, p, 0, 0, t + delta), note->rec_vel);
            flags = note->flags;
        }
    } else if (P(15) == 1 || P(15) == 2) {
        delta = share_of_measure(dm, P(1), measure);
    }
    delta = std::max<int32_t>(delta, 0);
    Jeu* rule = def->jeu;
    if (!rule || rule->tot < SMALLEST_TABLE || !rule->tab) return;
    const short* tab = rule->tab;
    const short options = tab[2];
    const int32_t scale = std::max<short>(P(35), 1);
    std::vector<Entry> entries;
    for (short j = 1; j < rule->tot / 4; j++)
        entries.push_back({tab[4 * j + 1], tab[4 * j + 2], tab[4 * j + 3], tab[4 * j + 4]});
    if ((options & 4) && note && note->cid != 0) {
        // Each entry moves the next note of the chord from the bottom.
        short below = 10000;
        for (const Entry& e : entries) {
            CNote* next = nullptr;
            for (short i = 1; i <= measure->total(); i++) {
                CNote* c = measure->get_note_item(i);
                if (c && c->cid == note->cid && c->y < below && (!next || c->y > next->y)) next = c;
            }
            if (!next) break;
            below = next->y;
            next->start = (short)(next->start + e.delay * scale / 100);
            next->length = (short)(next->length + e.length * scale / 100);
            next->velocity = (short)(next->velocity + e.velocity);
        }
        return;
    }
    const size_t lead = (size_t)std::clamp<int32_t>(tab[3], 0, (int32_t)entries.size());
    const size_t group = (size_t)std::clamp<int32_t>(tab[4], 0, (int32_t)(entries.size() - lead));
    if (note) note->length = tab[7];
    int32_t repeats = P(36);
    if (repeats == 0) {
        int32_t before = 0, inside = 0, after = 0;
        for (size_t k = 0; k < entries.size(); k++)
            (k < lead ? before : k < lead + group ? inside : after) += entries[k].delay;
        before = before * scale / 100;
        inside = inside * scale / 100;
        after = after * scale / 100;
        repeats = inside == 0 ? 1 : std::max<int32_t>(0, (duration - after - before) / inside);
        if (note) send_markers(ins, m, p, note_item, t + note->start, t + note->start + duration);
    }
    const bool tied_on = (flags & 0x05) == 0x05;
    auto play = [&](size_t k, bool first_of_all, bool held) {
        const Entry& e = entries[k];
        int32_t d = first_of_all ? 0 : e.delay * scale / 100;
        int32_t l = e.length * scale / 100;
        if (held) l = duration + e.length;
        short v = (short)(e.velocity + ((options & 2) ? velocity : 0));
        short key = k < 3 ? P((short)(31 + k)) : e.pitch;
        key = (short)(key + ((options & 1) ? pitch : 0));
        bool last = k + 1 == entries.size();
        bool keep_tie = last && note && key == pitch && tied_on;
        send_note(ins, t + delta + d, t + delta + d + l, key, v, true, !keep_tie);
        if (held && k < lead && note) send_markers(ins, m, p, note_item, t + delta + d, t + delta + d + duration);
        delta += d;
    };
    for (size_t k = 0; k < lead; k++) play(k, false, note && entries[k].length <= 0);
    for (int32_t r = 0; r < repeats; r++)
        for (size_t k = lead; k < lead + group; k++) play(k, r == 0 && k == lead && lead == 0, false);
    for (size_t k = lead + group; k < entries.size(); k++) play(k, false, note && entries[k].length <= 0);
}
