#include "score/CLyrics.h"

CLyrics::CLyrics() {
    uid = KIND;
    for (short v = 0; v < VERSES; v++) {
        y[v] = (short)(15 + 13 * v);
        d[v] = -1;
        l[v] = -1;
    }
}

CDataObject* CLyrics::duplicate() {
    CLyrics* copy = new CLyrics;
    copy->lid = lid;
    copy->x = x;
    for (short v = 0; v < VERSES; v++) {
        copy->y[v] = y[v];
        copy->d[v] = d[v];
        copy->l[v] = l[v];
        copy->text[v].set(text[v].get());
    }
    return copy;
}
