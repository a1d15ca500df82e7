#include "score/ValueRanges.h"

#include "score/CKeySig.h"
#include "score/CMeasure.h"
#include "score/CNote.h"
#include "score/Document.h"
#include "score/ScoreItems.h"

namespace {

// Moves v into lo..hi; counts the change.
struct Clamp {
    short changed = 0;
    unsigned kinds = 0;
    void operator()(short& v, short lo, short hi, RangeKind kind) {
        if (v >= lo && v <= hi) return;
        v = v < lo ? lo : hi;
        changed++;
        kinds |= kind;
    }
};

constexpr short last_value_code = 8;  // the 256th note

short finish(const Clamp& c, unsigned* kinds) {
    if (kinds) *kinds |= c.kinds;
    return c.changed;
}

}  // namespace

short bring_into_range(CDataObject* item, unsigned* kinds) {
    Clamp clamp;
    if (CMeasure* m = object_as<CMeasure>(item)) {
        if (m->length < 0 || m->length > longest_measure) {
            m->length = m->length < 0 ? 0 : longest_measure;
            clamp.changed++;
            clamp.kinds |= RANGE_MEASURE_LENGTH;
        }
    } else if (CNote* n = object_as<CNote>(item)) {
        clamp(n->pitch, 0, 127, RANGE_PITCH);
        clamp(n->velocity, 0, 127, RANGE_VELOCITY);
        clamp(n->rec_vel, -1, 127, RANGE_VELOCITY);
        clamp(n->rythm, 0, last_value_code, RANGE_VALUE_CODE);
    } else if (CRest* r = object_as<CRest>(item)) {
        clamp(r->rythm, 0, last_value_code, RANGE_VALUE_CODE);
    } else if (CClef* c = object_as<CClef>(item)) {
        clamp(c->id, 1, 9, RANGE_CLEF);
    } else if (CKeySig* k = object_as<CKeySig>(item)) {
        for (short e = 1; e <= k->alt.total(); e++) {
            short a = k->alt.get(e);
            clamp(a, 1, 5, RANGE_ACCIDENTAL);
            k->alt.set(a, e);
        }
    }
    return finish(clamp, kinds);
}

short bring_into_range(Ins& ins, unsigned* kinds) {
    Clamp clamp;
    clamp(ins.canal, 1, 16, RANGE_CHANNEL);
    clamp(ins.port, 1, 32767, RANGE_PORT);
    return finish(clamp, kinds);
}
