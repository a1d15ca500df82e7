#include "score/MeasureNumbering.h"

#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"

namespace {

constexpr short NUMBER_BITS = 0x3FFF;
constexpr short FIXED = 0x4000;
constexpr short UNNUMBERED = (short)0x8000;
constexpr short MULTI_REST = 0x2000;
constexpr short SPAN_BITS = 0x03FF;
constexpr short COLUMN_MEAS_BITS = 0x3BFF;  // all but bits 10, 14 and 15, which are the staff's

// The number of column c, from the columns before it.
short number_after(Document* d, short c) {
    for (int k = c - 1; k >= 1; k--) {
        CMeasure* before = mesure_maitre(d, k, 1);
        if (!before || (before->number & UNNUMBERED)) continue;
        int32_t n = (before->number & NUMBER_BITS) + 1;
        if (before->meas & MULTI_REST) n += (before->meas & SPAN_BITS) - 1;
        return (short)(n & NUMBER_BITS);
    }
    return (short)(d->offset_mesure & NUMBER_BITS);
}

}  // namespace

void maj_param_measures() {
    Document* d = doc;
    Systeme* master = d && d->sys ? d->sys[1] : nullptr;
    CMeasure* first = master ? mesure_maitre(d, 1, 1) : nullptr;
    if (!first) return;
    short columns = d->por[master->por[1]]->tot_mes;
    for (int c = 1; c <= columns; c++) {
        CMeasure* ref = mesure_maitre(d, c, 1);
        if (!ref) continue;
        if (ref->number & UNNUMBERED)
            ref->number = (short)(ref->number & ~NUMBER_BITS);
        else if (!(ref->number & FIXED))
            ref->number = (short)((ref->number & ~NUMBER_BITS) | number_after(d, c));
        for (int p = 2; p <= master->tot_por; p++) {
            CMeasure* m = mesure_maitre(d, c, p);
            if (!m || m == ref) continue;
            m->number = ref->number;
            m->meas = (short)((ref->meas & COLUMN_MEAS_BITS) | (m->meas & ~COLUMN_MEAS_BITS));
            m->extended = ref->extended;
        }
    }
}
