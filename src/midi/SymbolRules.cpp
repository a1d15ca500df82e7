// The play rules of symbols, first pass: tempo changes, effect curves, instrument changes and
// System Exclusive messages, read through numbered play parameters from the symbol's definition
// and its chain of rules.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "midi/EffectProgression.h"
#include "midi/ScoreRender.h"
#include "midi/SymbolRules.h"
#include "midi/Synthe.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"

short trouver_index_note_silence_proche(CMeasure* measure, short x) {
    short best = 0;
    int32_t distance = 0;
    for (short i = 1; i <= measure->total(); i++) {
        CNote* n = measure->get_note_item(i);
        CRest* r = measure->get_rest_item(i);
        if (!n && !r) continue;
        int32_t d = std::abs((n ? n->x : r->x) - x);
        if (best == 0 || d < distance) {
            best = i;
            distance = d;
        }
    }
    return best;
}

int32_t trouver_reference_temps(short m, short staff, int32_t x) {
    int32_t sum = 0;
    for (CMeasure* measure; (measure = doc ? mesure_maitre(doc, m, staff) : nullptr) != nullptr; m++) {
        if (x > measure->width) {
            x -= measure->width;
            sum += measure->length;
            continue;
        }
        short near = trouver_index_note_silence_proche(measure, (short)x);
        if (near) {
            CNote* n = measure->get_note_item(near);
            return sum + (n ? n->start : measure->get_rest_item(near)->start);
        }
        int32_t room = measure->width - measure->front;
        // A measure with no room after its front places everything at its start.
        if (room > 0) sum += std::max<int32_t>(0, (x - measure->front) * measure->length / room);
        return sum;
    }
    return sum;
}

RuleReader::RuleReader(CSymbol* s, Definition* d, bool local_everywhere, short level_)
    : sym(s), def(d), local(local_everywhere || level_ == 1) {}

short RuleReader::operator()(short n) const {
    return local ? sym->get_local_param(def, n) : get_global_param(def, n);
}

int32_t drawn_width(Definition* def, const RuleReader& P, bool curve_right_end) {
    int32_t w = 0;
    if (def->type == 1 && def->gr) {
        short v;
        std::memcpy(&v, static_cast<const char*>(def->gr) + 2, 2);
        w = v;
    } else if (def->type == 2 && def->gr) {
        w = static_cast<Vect_dessin*>(def->gr)->x2;
    } else if (def->type == 3) {
        w = curve_right_end ? P(11) : P(11) - P(7);
    }
    return std::max<int32_t>(1, w * P(3) / 100);
}

int32_t attached_start(CMeasure* measure, short note_id, CNote** note, CRest** rest) {
    *note = nullptr;
    *rest = nullptr;
    for (short i = 1; i <= measure->total(); i++) {
        CNote* n = measure->get_note_item(i);
        CRest* r = measure->get_rest_item(i);
        if (n && n->sid == note_id) {
            *note = n;
            return n->start;
        }
        if (r && r->sid == note_id) {
            *rest = r;
            return r->start;
        }
    }
    return 0;
}

int32_t share_of_measure(int32_t dm, int32_t w, CMeasure* measure) {
    int32_t room = measure->width - measure->front;
    return room > 0 ? dm * w / room : 0;
}

bool CScoreRender::rules_play(short p) { return (working_mode & 2) && !(recording_staff(p) && doc->auto_erase); }

void CScoreRender::symbol_rules(CMeasure* measure, short m, short p, Ins* ins, int32_t t, int32_t dm) {
    if (!rules_play(p)) return;
    for_each_symbol_rule(measure, [&](CSymbol* sym, Definition* def, short level) {
        short kind = RuleReader(sym, def, false, level)(14);
        if (kind != 0 && kind != 11) run_rule(sym, def, level, measure, m, p, ins, t, dm);
    });
}

void CScoreRender::run_rule(CSymbol* sym, Definition* def, short level, CMeasure* measure, short m, short p,
                            Ins* ins, int32_t t, int32_t dm) {
    RuleReader P(sym, def, false, level);
    const short kind = P(14);
    Jeu* rule = def->jeu;
    if (kind == 12) {
        if (!rule || rule->tot < 1 || !rule->tab) return;
        char bytes[256];
        short n = (short)std::min<int32_t>(rule->tot, sizeof bytes);
        for (short k = 0; k < n; k++) bytes[k] = (char)(rule->tab[k + 1] & 0xFF);
        emit_exclusive(n, bytes, ins->port);
        return;
    }
    short effect = kind == 3 ? (short)(100 + P(22)) : kind;
    short canal = ins->canal;
    int32_t delta = 0;
    short reference = P(15);
    if (reference == 2 && sym->note_id != 0) {
        CNote* n;
        CRest* r;
        delta = attached_start(measure, sym->note_id, &n, &r);
        if (effect == 5) canal = n ? n->pitch : (short)0;
        if (kind == 1) delta += 50;
    } else if (reference == 1 || reference == 2) {
        delta = trouver_reference_temps(m, p, P(1));
    } else if (kind == 1) {
        delta = 50;
    }
    delta = std::max<int32_t>(delta, 0);
    int32_t duration;
    if (P(16) == 2) {
        int32_t w = drawn_width(def, P, false);
        duration = trouver_reference_temps(m, p, P(1) + w) - delta;
        if (duration < 1) duration = share_of_measure(dm, w, measure);
    } else {
        duration = dm * P(17) + 480 * P(18) + P(19);
    }
    const int32_t at = t + delta;
    const bool local = P(23) != 0, relatif = P(24) != 0;
    // Points of a table: (percent of the duration, value); the first and last three values may
    // come from parameters.
    std::vector<std::pair<int32_t, short>> points;
    if (P(20) != 1 && rule && rule->tab) {
        short total = (short)(rule->tot / 2);
        for (short j = 1; j <= total; j++) {
            short v = rule->tab[2 * j];
            if (j <= 3) v = P((short)(24 + j));
            else if (j >= total - 2) v = P((short)(30 - (total - j)));
            points.push_back({at + rule->tab[2 * j - 1] * duration / 100, v});
        }
    }
    if (kind == 1) {
        short n = tempo_at(at);
        short add = relatif ? n : (short)0;
        if (P(20) == 1) {
            short v = (short)(P(21) + add);
            if (!local) {
                add_tempo(at, at, v, v);
            } else if (duration != 0) {
                add_tempo(at, at + duration, v, v);
                add_tempo(at + duration, at + duration, n, n);
            }
            return;
        }
        for (size_t j = 0; j < points.size(); j++) {
            short v = (short)(points[j].second + add);
            if (j == 0) add_tempo(at, at, v, v);
            else add_tempo(points[j - 1].first, points[j].first, (short)(points[j - 1].second + add), v);
        }
        if (local && !points.empty()) {
            if (points.back().first < at + duration)
                add_tempo(points.back().first, at + duration, (short)(points.back().second + add),
                          (short)(points.back().second + add));
            add_tempo(at + duration, at + duration, n, n);
        }
        return;
    }
    const short port = ins->port;
    if (P(20) == 1) {
        short v = P(21);
        if (def->id == 2527) {
            change_instrument(ins, p, v, at);
            return;
        }
        if (!local) ajouter_progression(effect, p, canal, port, at, at, v, v, relatif, 0);
        else if (duration != 0) ajouter_progression(effect, p, canal, port, at, at + duration, v, v, relatif, 1);
        return;
    }
    if (points.empty()) return;
    short n = get_valeur(effect, p, canal, port, at);
    short add = relatif ? n : (short)0;
    for (size_t j = 0; j < points.size(); j++) {
        short v = (short)(points[j].second + add);
        if (j == 0) {
            ajouter_progression(effect, p, canal, port, points[0].first, points[0].first, v, v, 0, 0);
            continue;
        }
        int32_t from = points[j - 1].first + (j >= 2 && j + 1 < points.size() ? 1 : 0);
        ajouter_progression(effect, p, canal, port, from, points[j].first,
                            (short)(points[j - 1].second + add), v, 0, 0);
    }
    if (local) {
        int32_t back = points.back().first + 1;
        ajouter_progression(effect, p, canal, port, back, back, n, n, 0, 0);
    }
}

void CScoreRender::change_instrument(Ins* ins, short p, short number, int32_t at) {
    Synthe* syn = get_synthe(ins->synthe);
    if (!syn) return;
    Instrument* found = nullptr;
    for (short k = 1; k <= syn->tot_instr && !found; k++)
        if (syn->instr[k].num == number) found = &syn->instr[k];
    if (!found) return;
    char bytes[24];
    short n = envoyer_message_banque(syn, trouver_index_banque(syn, found->bank), ins->port, ins->canal, bytes);
    for (short k = 0; k < n; k += 3) {
        short piece = (short)std::min(3, n - k);
        unsigned char status = (unsigned char)bytes[k];
        if (piece == 3 && (status & 0xF0) == 0xB0) {
            short effect = (short)(100 + (bytes[k + 1] & 0x7F));
            ajouter_progression(effect, p, ins->canal, ins->port, at, at, bytes[k + 2], bytes[k + 2], 0, 0);
        } else {
            emit(ins->port, at, piece, bytes + k, 1);
        }
    }
    short program = (short)(found->num - 1);
    ajouter_progression(4, p, ins->canal, ins->port, at, at, program, program, 0, 0);
}
