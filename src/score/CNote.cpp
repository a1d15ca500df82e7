#include "score/CNote.h"

CDataObject* CNote::duplicate() {
    CNote* copy = new CNote(*this);
    copy->color = 0;
    return copy;
}

// Staff step of a vertical position: floor(y / 3), also for negative y.
static short step_of(short y) {
    return (short)(y >= 0 ? y / 3 : -((-y + 2) / 3));
}

void CNote::adjust() {
    short step = step_of(y);
    y = (short)(3 * step + 2);
    if (step < -1) {
        bar_type = (step % 2 != 0) ? 1 : 2;
        bar_sup = (short)(-step / 2);
    } else if (step <= 9) {
        bar_type = 0;
        bar_sup = 0;
    } else if (step % 2 != 0) {
        bar_type = 4;
        bar_sup = (short)((step - 9) / 2);
    } else {
        bar_type = 3;
        bar_sup = (short)((step - 8) / 2);
    }
    if (point) {
        dpx = 0;
        dpy = (step % 2 == 0) ? -3 : 0;
    }
}

void CNote::ajuster_hampe() {
    if (cid == 0) {
        short cap = rythm < 6 ? 21 : rythm == 6 ? 25 : rythm == 7 ? 29 : 34;
        if (height > cap) height = cap;
    }
    if (dir == 0) {
        if (y - height > 14) height = (short)(y - 14);
        if (tdh < 0) tdh = 6;
    } else {
        if (height + y < 14) height = (short)(14 - y);
        if (tdh > 0) tdh = -6;
    }
}
