#pragma once
// What the two passes of symbol play rules share: the reading of play parameters, the chain of
// rules of a definition, the drawn width of a symbol and the note or rest it is attached to.

#include <cstdint>

#include "score/CMeasure.h"
#include "score/Placeholders.h"

// Reads play parameter n of a symbol's rule: the symbol's own value (else the definition's) on
// the first level of a chain, or on every level with `local_everywhere`; the definition's on
// the other levels.
class RuleReader {
public:
    RuleReader(CSymbol* s, Definition* d, bool local_everywhere, short level);
    short operator()(short n) const;

private:
    CSymbol* sym;
    Definition* def;
    bool local;
};

// Runs f(level) for each rule of the symbol's chain (levels 1 to 5), with the definition's rule
// pointing at that level while it runs. A definition without a rule of its own whose `sym_id`
// names one that has its own plays that one's chain, with its options lent for the time.
template <class F>
void for_each_rule(Definition* def, F f) {
    Jeu* saved = def->jeu;
    short options = def->options;
    Jeu* chain = def->jeu;
    short own_kind = chain ? chain->type : 0;
    if (own_kind == 0 && def->sym_id != 0 && pal)
        if (Definition* from = pal->get_definition(def->sym_id))
            if (from->options & 0x2000) {
                chain = from->jeu;
                def->options = from->options;
            }
    short level = 1;
    for (Jeu* j = chain; j && level <= 5; j = j->jeu, level++) {
        def->jeu = j;
        f(level);
    }
    def->jeu = saved;
    def->options = options;
}

// Runs f(sym, def, level) for every level of the rule chain of every symbol of the measure that
// has a definition.
template <class F>
void for_each_symbol_rule(CMeasure* measure, F f) {
    for (short i = 1; i <= measure->total(); i++) {
        CSymbol* sym = measure->get_symbol_item(i);
        Definition* def = sym && pal ? pal->get_definition(sym->tool_id) : nullptr;
        if (def) for_each_rule(def, [&](short level) { f(sym, def, level); });
    }
}

// The drawn width of a symbol times its width scale (parameter 3) in percent, at least 1: a
// bitmap's width, a vector drawing's right edge, a curve's span (or its right end alone).
int32_t drawn_width(Definition* def, const RuleReader& P, bool curve_right_end);
// The start of the note or rest that carries `note_id`, which *note or *rest receives; 0 and
// both null when none does.
int32_t attached_start(CMeasure* measure, short note_id, CNote** note, CRest** rest);
// dm * w over the measure's room after its front; 0 for a measure without room.
int32_t share_of_measure(int32_t dm, int32_t w, CMeasure* measure);
