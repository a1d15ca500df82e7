#include "score/CBeams.h"

CDataObject* CBeams::duplicate() {
    CBeams* copy = new CBeams;
    copy->mode = mode;
    copy->gid = gid;
    for (short i = 1; i <= x1.total(); i++) {
        copy->x1.add(x1.get(i));
        copy->y1.add(y1.get(i));
        copy->x2.add(x2.get(i));
        copy->y2.add(y2.get(i));
        copy->h.add(h.get(i));
    }
    copy->voice = voice;
    return copy;
}
