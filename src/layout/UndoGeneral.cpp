#include "layout/UndoGeneral.h"

#include <cstdlib>
#include <cstring>

#include "framework/CUndoManager.h"
#include "score/CMeasure.h"
#include "score/Piste.h"

namespace {

constexpr short MAX_COPIED_ITEMS = 32000;

// A copy of a staff, system or page block at its allocated size.
template <class T>
T* copy_block(const T* b) {
    if (!b) return nullptr;
    short capacity = ((const short*)b)[1];
    size_t size = (3 + (size_t)(capacity < 0 ? 0 : capacity)) * sizeof(short);
    T* c = (T*)std::malloc(size);
    if (c) std::memcpy(c, b, size);
    return c;
}

// Frees staff q of the document.
void free_staff(Document* d, short q) {
    if (q < 1 || q > d->max_por || !d->por[q]) return;
    std::free(d->por[q]);
    d->por[q] = nullptr;
    d->tot_por--;
}

// Frees system s of the document with its staves.
void free_system(Document* d, short s) {
    if (s < 1 || s > d->max_sys || !d->sys[s]) return;
    Systeme* sys = d->sys[s];
    for (short j = 1; j <= sys->tot_por; j++) free_staff(d, sys->por[j]);
    std::free(sys);
    d->sys[s] = nullptr;
    d->tot_sys--;
}

// A free slot of an array: the wanted one when it is free, else the lowest free one; 0 when
// none is.
template <class T>
short free_slot(T** array, short max, short wanted) {
    if (wanted >= 1 && wanted <= max && !array[wanted]) return wanted;
    for (short i = 1; i <= max; i++)
        if (!array[i]) return i;
    return 0;
}

}  // namespace

CMeasure* copier_mesure_complete(CMeasure* m) {
    if (!m) return nullptr;
    CMeasure* c = (CMeasure*)m->duplicate();
    for (short i = 1; i <= m->total() && i <= MAX_COPIED_ITEMS; i++) {
        CDataObject* item = m->get_item(i);
        if (!item) break;
        c->add(item->duplicate());
    }
    return c;
}

Piste* copier_piste(const Piste* t) {
    if (!t) return nullptr;
    Piste* c = creer_piste(t->max);
    if (!c) return nullptr;
    c->tot = t->tot < c->max ? t->tot : c->max;
    c->next = t->next;
    std::memcpy(c->tab, t->tab, sizeof c->tab);
    std::memcpy(c->mesi, t->mesi, sizeof c->mesi);
    std::memcpy(c->noti, t->noti, sizeof c->noti);
    c->arp_cur = t->arp_cur;
    c->last_tsol = t->last_tsol;
    c->full_told = t->full_told;
    if (c->tot > 0) std::memcpy(&c->event[1], &t->event[1], (size_t)c->tot * sizeof(MidiEvent));
    return c;
}

Ins* copier_instruments(const Ins* ins, short tot, short max) {
    if (max < tot) max = tot;
    Ins* c = new Ins[max + 1]();
    for (short i = 1; i <= tot; i++) {
        c[i] = ins[i];
        c[i].buf_msg = nullptr;
        if (ins[i].buf_msg && ins[i].tot_msg >= 0) {
            c[i].buf_msg = (Msg_use*)std::calloc((size_t)ins[i].tot_msg + 1, sizeof(Msg_use));
            if (c[i].buf_msg)
                std::memcpy(c[i].buf_msg, ins[i].buf_msg, ((size_t)ins[i].tot_msg + 1) * sizeof(Msg_use));
        }
    }
    return c;
}

void liberer_instruments(Ins* ins, short tot) {
    if (!ins) return;
    for (short i = 1; i <= tot; i++) std::free(ins[i].buf_msg);
    delete[] ins;
}

Undo_general* preparer_undo_general(Document* d, short with_ins) {
    if (!undo_active || !d || !d->sys || !d->sys[1]) return nullptr;
    Undo_general* u = new Undo_general();
    u->mise_en_page_ok = d->mise_en_page_ok;
    u->cur_pag = d->cur_pag;
    u->tot_pag = d->tot_pag;
    u->max_pag = d->max_pag;
    u->pag = new Page*[u->max_pag + 1]();
    short systems = 0, staves = 0;
    for (short p = 0; p <= d->max_pag && d->pag; p++) {
        Page* page = d->pag[p];
        if (!page) continue;
        u->pag[p] = copy_block(page);
        for (short k = 1; k <= page->tot_sys; k++) {
            Systeme* s = d->sys[page->sys[k]];
            if (!s) continue;
            systems++;
            staves = (short)(staves + s->tot_por);
        }
    }
    Systeme* master = d->sys[1];
    staves = (short)(staves + master->tot_por);
    u->tot_sys = u->max_sys = systems;
    u->tot_por = u->max_por = staves;
    u->sys = new Systeme*[systems + 1]();
    u->sys_slot = new short[systems + 1]();
    u->por = new Portee*[staves + 1]();
    u->por_slot = new short[staves + 1]();
    short ns = 0, nq = 0;
    auto copy_staves = [&](Systeme* copy, const Systeme* from) {
        for (short j = 1; j <= from->tot_por; j++) {
            short q = from->por[j];
            nq++;
            u->por[nq] = copy_block(d->por[q]);
            u->por_slot[nq] = q;
            copy->por[j] = nq;
        }
    };
    for (short p = 0; p <= d->max_pag && d->pag; p++) {
        Page* page = d->pag[p];
        if (!page) continue;
        for (short k = 1; k <= page->tot_sys; k++) {
            short s = page->sys[k];
            if (!d->sys[s]) {
                u->pag[p]->sys[k] = 0;
                continue;
            }
            ns++;
            u->sys[ns] = copy_block(d->sys[s]);
            u->sys_slot[ns] = s;
            u->pag[p]->sys[k] = ns;
            copy_staves(u->sys[ns], d->sys[s]);
        }
    }
    u->sys1 = copy_block(master);
    u->sys1_slot = 1;
    copy_staves(u->sys1, master);
    u->index_meas = new CArrayInt;
    u->tab_meas = new CArrayPtr;
    for (short j = 1; j <= master->tot_por; j++) {
        Portee* staff = d->por[master->por[j]];
        for (short c = 1; staff && c <= staff->tot_mes; c++) {
            short m = staff->mes[c];
            u->index_meas->add(m);
            u->tab_meas->add((intptr_t)copier_mesure_complete(d->mes[m]));
        }
    }
    if (with_ins) {
        u->tot_ins = u->max_ins = d->tot_ins;
        u->ins = copier_instruments(d->ins, d->tot_ins, d->tot_ins);
        u->tot_piste = u->max_piste = d->tot_piste;
        u->piste = new Piste*[u->tot_piste + 1]();
        for (short t = 1; t <= u->tot_piste; t++) u->piste[t] = copier_piste(d->piste[t]);
    }
    return u;
}

void liberer_undo_general(Undo_general* u) {
    if (!u) return;
    for (short p = 0; p <= u->max_pag; p++) std::free(u->pag[p]);
    delete[] u->pag;
    for (short s = 1; s <= u->tot_sys; s++) std::free(u->sys[s]);
    delete[] u->sys;
    for (short q = 1; q <= u->tot_por; q++) std::free(u->por[q]);
    delete[] u->por;
    std::free(u->sys1);
    if (u->tab_meas)
        for (short i = 1; i <= u->tab_meas->total(); i++) delete (CMeasure*)u->tab_meas->get(i);
    delete u->tab_meas;
    delete u->index_meas;
    liberer_instruments(u->ins, u->tot_ins);
    for (short t = 1; u->piste && t <= u->tot_piste; t++) detruire_piste(u->piste[t]);
    delete[] u->piste;
    delete[] u->sys_slot;
    delete[] u->por_slot;
    delete u;
}

short restaurer_undo_general(Document* d, Undo_general* u) {
    if (!d || !u || !d->sys || !d->sys[1]) return 0;
    // Take down what stands now: the pages with their systems and staves, the master staves and
    // their measures.
    for (short p = 0; p <= d->max_pag && d->pag; p++) {
        Page* page = d->pag[p];
        if (!page) continue;
        for (short k = 1; k <= page->tot_sys; k++)
            if (page->sys[k] != 1) free_system(d, page->sys[k]);
        std::free(page);
    }
    delete[] d->pag;
    Systeme* master = d->sys[1];
    for (short j = 1; j <= master->tot_por; j++) {
        short q = master->por[j];
        Portee* staff = q >= 1 && q <= d->max_por ? d->por[q] : nullptr;
        for (short c = 1; staff && c <= staff->tot_mes; c++) {
            short m = staff->mes[c];
            if (m >= 1 && m <= d->max_mes && d->mes[m]) {
                delete d->mes[m];
                d->mes[m] = nullptr;
                d->tot_mes--;
            }
        }
        free_staff(d, q);
    }
    std::free(master);
    d->sys[1] = nullptr;

    // The staves first, each into the slot it came from.
    short* staff_at = new short[u->tot_por + 1]();
    short ok = 1;
    for (short i = 1; i <= u->tot_por; i++) {
        short q = free_slot(d->por, d->max_por, u->por_slot[i]);
        if (!q || !u->por[i]) {
            ok = 0;
            continue;
        }
        d->por[q] = copy_block(u->por[i]);
        d->tot_por++;
        staff_at[i] = q;
    }
    auto place_system = [&](const Systeme* copy) -> Systeme* {
        Systeme* s = copy_block(copy);
        for (short j = 1; s && j <= s->tot_por; j++) s->por[j] = staff_at[s->por[j]];
        return s;
    };
    d->sys[1] = place_system(u->sys1);
    short* system_at = new short[u->tot_sys + 1]();
    for (short i = 1; i <= u->tot_sys; i++) {
        short s = free_slot(d->sys, d->max_sys, u->sys_slot[i]);
        if (!s || s == 1) {
            ok = 0;
            continue;
        }
        d->sys[s] = place_system(u->sys[i]);
        d->tot_sys++;
        system_at[i] = s;
    }
    d->max_pag = u->max_pag;
    d->tot_pag = u->tot_pag;
    d->pag = new Page*[d->max_pag + 1]();
    for (short p = 0; p <= u->max_pag; p++) {
        if (!u->pag[p]) continue;
        d->pag[p] = copy_block(u->pag[p]);
        for (short k = 1; k <= d->pag[p]->tot_sys; k++) d->pag[p]->sys[k] = system_at[d->pag[p]->sys[k]];
    }
    delete[] system_at;
    delete[] staff_at;
    d->mise_en_page_ok = u->mise_en_page_ok;
    d->cur_pag = u->cur_pag;

    // The measures, into the slots they came from; the copies pass to the document.
    for (short i = 1; i <= u->index_meas->total(); i++) {
        short m = (short)u->index_meas->get(i);
        CMeasure* copy = (CMeasure*)u->tab_meas->get(i);
        u->tab_meas->set(0, i);
        if (m < 1 || m > d->max_mes) {
            delete copy;
            ok = 0;
            continue;
        }
        if (d->mes[m]) delete d->mes[m];
        else d->tot_mes++;
        d->mes[m] = copy;
    }

    if (u->tot_ins > 0) {
        liberer_instruments(d->ins, d->tot_ins);
        short max = d->max_ins > u->tot_ins ? d->max_ins : u->tot_ins;
        d->ins = copier_instruments(u->ins, u->tot_ins, max);
        d->tot_ins = u->tot_ins;
        d->max_ins = max;
    }
    if (u->piste) {
        for (short t = 1; t <= d->tot_piste; t++) {
            detruire_piste(d->piste[t]);
            d->piste[t] = nullptr;
        }
        if (d->max_piste < u->tot_piste) {
            delete[] d->piste;
            d->max_piste = u->tot_piste;
            d->piste = new Piste*[d->max_piste + 1]();
        }
        for (short t = 1; t <= u->tot_piste; t++) d->piste[t] = copier_piste(u->piste[t]);
        d->tot_piste = u->tot_piste;
    }
    return ok;
}
