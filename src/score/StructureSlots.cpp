#include "score/StructureSlots.h"

#include <cstdlib>
#include <new>
#include <vector>

#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/Piste.h"
#include "score/Placeholders.h"

namespace {

// The counts are 16-bit; an array stops one short of 32767 slots so that a 16-bit index can
// still run past its last slot.
constexpr int32_t COUNT_LIMIT = 32766;

// Grows a pointer array by `step` null slots, copying slots `from`..max; false (array
// unchanged) when the count would leave 16 bits or memory is short.
template <class T>
bool grow(T**& array, short& max, short step, short from) {
    if ((int32_t)max + step > COUNT_LIMIT) return false;
    T** bigger = new (std::nothrow) T*[max + step + 1]();
    if (!bigger) return false;
    for (int i = from; i <= max; i++) bigger[i] = array[i];
    delete[] array;
    array = bigger;
    max = (short)(max + step);
    return true;
}

// The first null slot of 1..max, 0 when none.
template <class T>
short first_free(T** array, short max) {
    for (int i = 1; i <= max; i++)
        if (!array[i]) return (short)i;
    return 0;
}

// Stores a new record in the first free slot of the array, growing it when full.
template <class T>
short store_record(T**& array, short& tot, short& max, short from, T* record) {
    if (!record) return 0;
    if (tot >= max && !grow(array, max, 20, from)) {
        std::free(record);
        return 0;
    }
    short slot = first_free(array, max);
    if (!slot) {
        std::free(record);
        return 0;
    }
    array[slot] = record;
    tot++;
    return slot;
}

// A copy of the first item of class T of the measure, or null.
template <class T>
CDataObject* first_copy(CMeasure* m) {
    for (int i = 1; m && i <= m->total(); i++)
        if (T* item = object_as<T>(m->get_item(i))) return item->duplicate();
    return nullptr;
}

// An empty measure standing under `model` (the first staff's measure of its column).
CMeasure* measure_under(Document* d, CMeasure* model) {
    CMeasure* m = new CMeasure;
    if (model) {
        m->width = model->width;
        m->front = model->front;
        m->length = model->length;
        m->tot_beat = model->tot_beat;
        m->length_beat = model->length_beat;
    }
    m->start_bar = m->end_bar = 1;
    m->id = d->next_meas_id++;
    m->change_mes_flags(0x73, 0);
    if (d->entete_mesure_automatique) {
        if (CDataObject* t = first_copy<CTimeSig>(model)) m->add(t);
        if (CDataObject* k = first_copy<CKeySig>(model)) m->add(k);
    }
    return m;
}

}  // namespace

short nouveau_systeme(Document* d, short n) {
    return store_record(d->sys, d->tot_sys, d->max_sys, 0, nouveau_systeme_record(n));
}

short nouvelle_portee(Document* d, short n) {
    return store_record(d->por, d->tot_por, d->max_por, 1, nouveau_portee(n));
}

short make_measure_space(Document* d) {
    if (d->tot_mes < d->max_mes) return 1;
    if ((int32_t)d->max_mes + 250 > COUNT_LIMIT) return 0;
    CMeasure** bigger = new (std::nothrow) CMeasure*[d->max_mes + 250 + 1]();
    if (!bigger) return 0;
    for (int i = 1; i <= d->max_mes; i++) {
        replace_object_location(d, (void**)&d->mes[i], (void**)&bigger[i]);
        bigger[i] = d->mes[i];
    }
    delete[] d->mes;
    d->mes = bigger;
    d->max_mes = (short)(d->max_mes + 250);
    return 1;
}

short nouvelle_mesure(Document* d) {
    if (!make_measure_space(d)) return 0;
    short slot = first_free(d->mes, d->max_mes);
    if (slot) d->tot_mes++;
    return slot;
}

void replace_object_location(Document* d, void** old_slot, void** new_slot) {
    for (int k = 1; d->sub_doc && k <= d->tot_sub_doc; k++)
        if (d->sub_doc[k].undo) d->sub_doc[k].undo->replace_object_location(old_slot, new_slot);
}

short ajouter_piste_portee_midi(short* counter, short columns) {
    Document* d = doc;
    Systeme* master = d && d->sys ? d->sys[1] : nullptr;
    if (!master || d->tot_piste >= COUNT_LIMIT - 10 || d->tot_ins >= COUNT_LIMIT - 6)
        return 0;
    Portee* first = master->tot_por >= 1 ? d->por[master->por[1]] : nullptr;
    short available = first ? first->tot_mes : 0;
    if (columns > available) columns = available;
    if (columns < 0) columns = 0;
    const short n = (short)(d->tot_piste + 1);

    // Everything that can fail is had first, so that a failure leaves the score as it was.
    Piste** tracks = nullptr;
    if (d->max_piste < n && !(tracks = new (std::nothrow) Piste*[n + 5 + 1]())) return 0;
    Ins* instruments = nullptr;
    short ins_capacity = (short)((d->tot_ins > n ? d->tot_ins : n) + 6);
    if (d->max_ins < n && !(instruments = new (std::nothrow) Ins[ins_capacity + 1]())) {
        delete[] tracks;
        return 0;
    }
    Systeme* bigger_master = nullptr;
    if (master->max_por < master->tot_por + 1 &&
        !(bigger_master = nouveau_systeme_record((short)(n + 10)))) {
        delete[] tracks;
        delete[] instruments;
        return 0;
    }
    auto give_back = [&]() {
        delete[] tracks;
        delete[] instruments;
        std::free(bigger_master);
    };
    short s = nouvelle_portee(d, (short)(columns + 10));
    if (!s) {
        give_back();
        return 0;
    }
    Portee* staff = d->por[s];
    const int32_t first_id = d->next_meas_id;
    for (int j = 1; j <= columns; j++) {
        short slot = nouvelle_mesure(d);
        if (!slot) {
            for (int k = 1; k <= staff->tot_mes; k++) {
                delete d->mes[staff->mes[k]];
                d->mes[staff->mes[k]] = nullptr;
                d->tot_mes--;
            }
            std::free(staff);
            d->por[s] = nullptr;
            d->tot_por--;
            d->next_meas_id = first_id;
            give_back();
            return 0;
        }
        d->mes[slot] = measure_under(d, mesure_maitre(d, j, 1));
        staff->mes[++staff->tot_mes] = slot;
    }

    // Now nothing can fail.
    if (tracks) {
        for (int t = 1; t < n; t++) tracks[t] = d->piste[t];
        delete[] d->piste;
        d->piste = tracks;
        d->max_piste = (short)(n + 5);
    }
    if (instruments) {
        for (int k = 1; k <= d->tot_ins; k++) instruments[k] = d->ins[k];
        delete[] d->ins;
        d->ins = instruments;
        d->max_ins = ins_capacity;
    }
    if (bigger_master) {
        bigger_master->tot_por = master->tot_por;
        for (int k = 1; k <= master->tot_por; k++) bigger_master->por[k] = master->por[k];
        std::free(master);
        d->sys[1] = master = bigger_master;
    }
    d->tot_piste = n;
    (*counter)++;
    Ins& ins = d->ins[n];
    init_var_ins(&ins, n);
    ins.patch = ins.bank = -1;
    ins.groupe = 0;
    if (d->tot_ins < n) d->tot_ins = n;
    d->piste[n] = creer_piste(1000);
    master->por[++master->tot_por] = s;
    ins.dx = d->ins[1].dx;
    if (n > 1) ins.dy = (short)(d->ins[n - 1].dy + 75);
    return 1;
}
