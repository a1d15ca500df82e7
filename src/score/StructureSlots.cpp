#include "score/StructureSlots.h"

#include <cstdlib>

#include "score/Document.h"
#include "score/Placeholders.h"

// Grows a pointer array by `step` null slots, copying slots `from`..max.
template <class T>
static void grow(T**& array, short& max, short step, short from) {
    T** bigger = new T*[max + step + 1]();
    for (short i = from; i <= max; i++) bigger[i] = array[i];
    delete[] array;
    array = bigger;
    max = (short)(max + step);
}

// Stores `record` in the first null slot, counting it; returns the slot, 0 (record freed) when none.
template <class T>
static short store_in_free_slot(T** array, short max, short& tot, T* record) {
    for (short i = 1; i <= max; i++) {
        if (array[i]) continue;
        array[i] = record;
        tot++;
        return i;
    }
    std::free(record);
    return 0;
}

short nouveau_systeme(Document* d, short n) {
    if (d->tot_sys >= d->max_sys) grow(d->sys, d->max_sys, 20, 0);
    return store_in_free_slot(d->sys, d->max_sys, d->tot_sys, nouveau_systeme_record(n));
}

short nouvelle_portee(Document* d, short n) {
    if (d->tot_por >= d->max_por) grow(d->por, d->max_por, 20, 1);
    return store_in_free_slot(d->por, d->max_por, d->tot_por, nouveau_portee(n));
}

void make_measure_space(Document* d) {
    if (d->tot_mes < d->max_mes) return;
    CMeasure** bigger = new CMeasure*[d->max_mes + 250 + 1]();
    for (short i = 1; i <= d->max_mes; i++) {
        replace_object_location(d, (void**)&d->mes[i], (void**)&bigger[i]);
        bigger[i] = d->mes[i];
    }
    delete[] d->mes;
    d->mes = bigger;
    d->max_mes = (short)(d->max_mes + 250);
}

short nouvelle_mesure(Document* d) {
    make_measure_space(d);
    for (short i = 1; i <= d->max_mes; i++) {
        if (d->mes[i]) continue;
        d->tot_mes++;
        return i;
    }
    return 0;
}

void replace_object_location(Document* d, void** old_slot, void** new_slot) {
    for (short k = 1; d->sub_doc && k <= d->tot_sub_doc; k++)
        if (d->sub_doc[k].undo) d->sub_doc[k].undo->replace_object_location(old_slot, new_slot);
}
