#include "score/CSymbol.h"

#include "score/Placeholders.h"

CDataObject* CSymbol::duplicate() {
    CSymbol* copy = new CSymbol;
    copy->tool_id = tool_id;
    copy->note_id = note_id;
    for (short i = 1; i <= param.total(); i++) {
        copy->param.add(param.get(i));
        copy->value.add(value.get(i));
    }
    return copy;
}

short CSymbol::get_local_param(Definition* def, short n) {
    for (short i = 1; i <= param.total(); i++)
        if (param.get(i) == n) return value.get(i);
    return get_global_param(def, n);
}

void CSymbol::set_local_param(short n, short v) {
    short free_slot = 0;
    for (short i = 1; i <= param.total(); i++) {
        if (param.get(i) == n) {
            value.set(v, i);
            return;
        }
        if (param.get(i) == 0 && free_slot == 0) free_slot = i;
    }
    if (free_slot) {
        param.set(n, free_slot);
        value.set(v, free_slot);
    } else {
        param.add(n);
        value.add(v);
    }
}
