#pragma once
// Effect progressions: for one effect of one staff, a time-ordered list of (tick, value) points
// that symbols (dynamics, crescendi, pedals, pitch bends...) add curves to while a score is
// rendered. The renderer asks for the value in force at a tick and, at the end of each rendered
// measure, turns the points that came due into MIDI messages.
//
// Effect numbers: 1 tempo (kept by the render's tempo curve, not here), 2 velocity, 4 program,
// 5 key pressure, 6 channel pressure, 7 pitch bend, 8 transposition, 9 note length in percent,
// 10 note start offset in ticks, 100 + n controller n.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "framework/CObject.h"

struct Ins;
struct Piste;
class CScoreRender;

// The base value of an effect for an instrument (the instrument's own setting; for a controller
// it holds no value of, the synthesizer's reset value: volume 100, pan 64, expression 127, else
// 0), or the document's tempo for effect 1.
short valeur_de_base(short effet, Ins* ins, short tempo);

class CEffectProgression : public CObject {
public:
    static constexpr short KIND = 609;
    CEffectProgression(short effet_, short portee_, short canal_, short port_, short base);

    // Adds a curve from (start_unit, start_value) to (stop_unit, stop_value). With `relatif`
    // the values add to those in force; with `local` the old value returns one tick after the
    // stop. Ramps get a point every `step` ticks (at least 1).
    void add_curve(int32_t start_unit, int32_t stop_unit, short start_value, short stop_value,
                   short relatif, short local, int32_t step);
    // The value in force at a tick.
    short value_at(int32_t unit) const;
    // Sends the messages of the points from `from` (the last tick already generated) up to u
    // through the render's output, then folds the points up to u into point 1.
    void generate_effect(int32_t u, int32_t from, CScoreRender* render, short instrument_canal);

    short effet, portee, canal, port;
    // Point 1 is (-1, base value); the others ascend. The 1-based arrays of the program's
    // convention are kept 0-based here: entry 0 is point 1.
    std::vector<short> value;
    std::vector<int32_t> unit;

private:
    // The index of a point at `tick`, made with the value of the point before it when absent.
    size_t point_at(int32_t tick);
};
