#include "midi/EffectProgression.h"

#include <algorithm>

#include "midi/ScoreRender.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"

short valeur_de_base(short effet, Ins* ins, short tempo) {
    if (effet == 1) return tempo;
    if (!ins) return 0;
    switch (effet) {
    case 2: return ins->velocity;
    case 4: return ins->patch;
    case 5: return ins->atp;
    case 6: return ins->atm;
    case 7: return ins->pitch_bend;
    case 8: return ins->transpo;
    case 9: return ins->duree;
    case 10: return ins->depart;
    default: break;
    }
    if (effet < 100 || effet > 227) return 0;
    short c = (short)(effet - 100);
    if (ins->effet[c] != 255) return ins->effet[c];
    // An instrument that holds no value for a controller has the synthesizer's reset value in
    // force (rather than 255, which would be sent as 127: a pedal left down after a local mark).
    return c == 7 ? 100 : c == 10 ? 64 : c == 11 ? 127 : 0;
}

CEffectProgression::CEffectProgression(short effet_, short portee_, short canal_, short port_, short base)
    : effet(effet_), portee(portee_), canal(canal_), port(port_) {
    uid = KIND;
    value.push_back(base);
    unit.push_back(-1);
}

short CEffectProgression::value_at(int32_t u) const {
    short v = value[0];
    for (size_t i = 1; i < unit.size() && unit[i] <= u; i++) v = value[i];
    return v;
}

size_t CEffectProgression::point_at(int32_t tick) {
    size_t i = 1;
    while (i < unit.size() && unit[i] < tick) i++;
    if (i < unit.size() && unit[i] == tick) return i;
    unit.insert(unit.begin() + (long)i, tick);
    value.insert(value.begin() + (long)i, value[i - 1]);
    return i;
}

void CEffectProgression::add_curve(int32_t start, int32_t stop, short v1, short v2, short relatif,
                                   short local, int32_t step) {
    if (stop < start) return;
    if (start == stop) {
        value[point_at(start)] = v1;
        return;
    }
    if (step < 1) step = 1;
    size_t from = point_at(start);
    size_t to = point_at(stop);
    if (local) {
        unit.insert(unit.begin() + (long)to + 1, stop + 1);
        value.insert(value.begin() + (long)to + 1, value[from]);
    }
    auto linear = [&](int32_t tick, short a, short b) {
        return (short)(a + (int32_t)(b - a) * (tick - start) / (stop - start));
    };
    if (!relatif) {
        if (v1 == v2) {
            for (size_t i = from; i <= to; i++) value[i] = v1;
            return;
        }
        unit.erase(unit.begin() + (long)from + 1, unit.begin() + (long)to);
        value.erase(value.begin() + (long)from + 1, value.begin() + (long)to);
        value[from] = v1;
        value[from + 1] = v2;
        size_t at = from + 1;
        for (int32_t tick = start + step; tick < stop; tick += step, at++) {
            unit.insert(unit.begin() + (long)at, tick);
            value.insert(value.begin() + (long)at, linear(tick, v1, v2));
        }
        return;
    }
    if (v1 == v2) {
        for (size_t i = from; i <= to; i++) value[i] = (short)(value[i] + v1);
        return;
    }
    for (int32_t tick = start + step; tick < stop; tick += step) point_at(tick);
    to = point_at(stop);
    for (size_t i = from; i <= to; i++) value[i] = (short)(value[i] + linear(unit[i], v1, v2));
}

void CEffectProgression::generate_effect(int32_t u, int32_t from, CScoreRender* render, short instrument_canal) {
    auto clamp7 = [](int32_t v) { return (char)std::clamp<int32_t>(v, 0, 127); };
    for (size_t i = 1; i < unit.size() && unit[i] <= u; i++) {
        if (unit[i] < from) continue;
        char b[4] = {0, 0, 0, 0};
        short len = 3;
        int32_t when = unit[i];
        short v = value[i];
        char ch = (char)(canal - 1);
        if (effet == 4) {
            b[0] = (char)(0xC0 + ch);
            b[1] = clamp7(v);
            len = 2;
            when--;
        } else if (effet == 5) {
            b[0] = (char)(0xA0 + instrument_canal - 1);
            b[1] = clamp7(canal);
            b[2] = clamp7(v);
        } else if (effet == 6) {
            b[0] = (char)(0xD0 + ch);
            b[1] = clamp7(v);
            len = 2;
        } else if (effet == 7) {
            int32_t w = std::clamp<int32_t>(v + 8192, 0, 16383);
            b[0] = (char)(0xE0 + ch);
            b[1] = (char)(w & 0x7F);
            b[2] = (char)(w >> 7);
        } else if (effet >= 100 && effet <= 227) {
            b[0] = (char)(0xB0 + ch);
            b[1] = (char)(effet - 100);
            b[2] = clamp7(v);
            when--;
        } else {
            continue;
        }
        render->emit(port, std::max<int32_t>(0, when), len, b, 1);
    }
    // Only the value in force and what is still to come are kept.
    size_t last = 0;
    while (last + 1 < unit.size() && unit[last + 1] <= u) last++;
    if (last > 0) {
        value[0] = value[last];
        unit.erase(unit.begin() + 1, unit.begin() + (long)last + 1);
        value.erase(value.begin() + 1, value.begin() + (long)last + 1);
    }
}

// ---- The render's progressions ------------------------------------------------------------

CEffectProgression* CScoreRender::find_progression(short effet, short portee) {
    for (short i = 1; i <= prog.total(); i++) {
        auto* e = (CEffectProgression*)prog.get(i);
        if (e->effet == effet && e->portee == portee) return e;
    }
    return nullptr;
}

void CScoreRender::ajouter_progression(short effet, short portee, short canal, short port, int32_t start_unit,
                                       int32_t stop_unit, short start_val, short stop_val, short relatif,
                                       short local) {
    CEffectProgression* e = find_progression(effet, portee);
    if (!e) {
        Ins* ins = doc && portee >= 1 && portee <= doc->tot_ins ? &doc->ins[portee] : nullptr;
        e = new CEffectProgression(effet, portee, canal, port, valeur_de_base(effet, ins, doc ? doc->tempo : 100));
        prog.add((intptr_t)e);
    }
    // Ramps get a point every beat's worth of ticks at the tempo in force, four times as many
    // for pitch bend.
    int32_t tempo = tempo_at(start_unit);
    e->add_curve(start_unit, stop_unit, start_val, stop_val, relatif, local, effet == 7 ? 4 * tempo / 15 : tempo);
}

short CScoreRender::get_valeur(short effet, short portee, short, short, int32_t unit) {
    CEffectProgression* e = find_progression(effet, portee);
    if (e && unit != -1) return e->value_at(unit);
    Ins* ins = doc && portee >= 1 && portee <= doc->tot_ins ? &doc->ins[portee] : nullptr;
    return valeur_de_base(effet, ins, doc ? doc->tempo : 100);
}

Piste* CScoreRender::generer_effets(int32_t unit, short midi_file, Piste* pi) {
    mode = midi_file;
    track = pi;
    for (short i = 1; i <= prog.total(); i++) {
        auto* e = (CEffectProgression*)prog.get(i);
        Ins* ins = doc && e->portee >= 1 && e->portee <= doc->tot_ins ? &doc->ins[e->portee] : nullptr;
        e->generate_effect(unit, last_unit_effet, this, ins ? ins->canal : e->canal);
    }
    if (midi_file) {
        if (last_unit_effet != unit) {
            const int32_t step = std::max<short>(last_tempo_effet, 1);
            for (int32_t u = last_unit_effet; u <= unit; u += step) {
                short v = tempo_at(u);
                if (v == last_tempo_effet) continue;
                char event[4] = {1, (char)(v >> 8), (char)(v & 0xFF), 0};
                emit(0, u, 4, event, 0);
                last_tempo_effet = std::max<short>(v, 1);
            }
        }
        tempo_curve.drop_before(unit);
    }
    last_unit_effet = unit;
    return track;
}

void CScoreRender::reset_effets() {
    for (short i = 1; i <= prog.total(); i++) delete (CEffectProgression*)prog.get(i);
    prog.clear();
    last_unit_effet = 0;
    if (doc) last_tempo_effet = std::max<short>(doc->tempo, 1);
    tempo_curve.reset(last_tempo_effet);
}
