#include "score/CLibUse.h"

CDataObject* CLibUse::duplicate() {
    CLibUse* copy = new CLibUse;
    append_entries(&copy->libid, &libid);
    for (short k = 0; k < 4; k++) {
        copy->res[k] = res[k];
        append_entries(&copy->tres[k], &tres[k]);
    }
    return copy;
}
