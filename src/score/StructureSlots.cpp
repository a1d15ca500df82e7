#include "score/Piste.h"
#include "score/StructureSlots.h"

#include <cstdlib>

#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
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

// A copy of the first item of class T of the measure, or null.
template <class T>
static CDataObject* first_copy(CMeasure* m) {
    for (short i = 1; m && i <= m->total(); i++)
        if (T* item = object_as<T>(m->get_item(i))) return item->duplicate();
    return nullptr;
}

void ajouter_piste_portee_midi(short* tp, short tm) {
    Document* d = doc;
    d->tot_piste++;
    d->tot_ins++;
    (*tp)++;
    if (d->tot_piste > d->max_piste) {
        Piste** tracks = new Piste*[d->tot_piste + 5 + 1]();
        for (short t = 1; t < d->tot_piste; t++) tracks[t] = d->piste[t];
        delete[] d->piste;
        d->piste = tracks;
        d->max_piste = (short)(d->tot_piste + 5);
    }
    if (d->tot_ins > d->max_ins) {
        Ins* block = new Ins[d->tot_ins + 6 + 1]();
        for (short k = 1; k < d->tot_ins; k++) block[k] = d->ins[k];
        delete[] d->ins;
        d->ins = block;
        d->max_ins = (short)(d->tot_ins + 6);
    }
    Systeme* master = d->sys[1];
    if (master->tot_por >= master->max_por) {
        Systeme* bigger = nouveau_systeme_record((short)(d->tot_piste + 10));
        bigger->tot_por = master->tot_por;
        for (short k = 1; k <= master->tot_por; k++) bigger->por[k] = master->por[k];
        std::free(master);
        d->sys[1] = master = bigger;
    }
    short n = d->tot_piste;
    Ins& ins = d->ins[n];
    init_var_ins(&ins, n);
    ins.patch = ins.bank = -1;
    ins.groupe = 0;
    ins.dx = d->ins[1].dx;
    ins.dy = (short)(d->ins[n - 1].dy + 75);
    d->piste[n] = creer_piste(1000);
    short s = nouvelle_portee(d, (short)(tm + 10));
    master->por[++master->tot_por] = s;
    Portee* staff = d->por[s];
    for (short c = 1; c <= tm; c++) {
        CMeasure* model = mesure_maitre(d, c, 1);
        CMeasure* m = new CMeasure;
        if (model) {
            m->width = model->width;
            m->length = model->length;
            m->front = model->front;
        }
        m->start_bar = m->end_bar = 1;
        m->id = d->next_meas_id++;
        m->change_mes_flags(0x73, 0);
        if (d->entete_mesure_automatique) {
            if (CDataObject* t = first_copy<CTimeSig>(model)) m->add(t);
            if (CDataObject* k = first_copy<CKeySig>(model)) m->add(k);
        }
        short slot = nouvelle_mesure(d);
        d->mes[slot] = m;
        staff->mes[++staff->tot_mes] = slot;
    }
}
