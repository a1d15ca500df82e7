#include "score/CDataObject.h"

void append_entries(CArrayInt* to, CArrayInt* from) {
    for (short i = 1; i <= from->total(); i++) to->add(from->get(i));
}
