#include "score/CKeySig.h"

CDataObject* CKeySig::duplicate() {
    CKeySig* copy = new CKeySig;
    copy->mode = mode;
    copy->type = type;
    copy->value = value;
    copy->clef = clef;
    copy->flags = flags;
    for (short i = 1; i <= x.total(); i++) copy->add_accidental(x.get(i), y.get(i), alt.get(i));
    return copy;
}

void CKeySig::add_accidental(short ax, short ay, short aalt) {
    x.add(ax);
    y.add(ay);
    alt.add(aalt);
}

void CKeySig::remove_accidental(short i) {
    x.remove(i);
    y.remove(i);
    alt.remove(i);
}
