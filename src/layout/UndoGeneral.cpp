#include "layout/UndoGeneral.h"

#include <cstdlib>
#include <cstring>
#include <set>

#include "framework/CUndoManager.h"
#include "score/CMeasure.h"
#include "score/Piste.h"
#include "score/StructureSlots.h"

namespace {

constexpr short most_items = 32000;

// Staff, system and page blocks: two counts and entries 0..size, copied at their allocated size.
size_t list_size(const short* block) { return ((size_t)(block[1] < 0 ? 0 : block[1]) + 3) * sizeof(short); }

template <class Block>
Block* copy_list(const Block* b) {
    if (!b) return nullptr;
    size_t size = list_size((const short*)b);
    Block* c = (Block*)std::malloc(size);
    if (c) std::memcpy(c, b, size);
    return c;
}

CMeasure* copy_measure(CMeasure* from) {
    CMeasure* copy = static_cast<CMeasure*>(from->duplicate());
    if (!copy) return nullptr;
    for (short i = 1; i <= from->total() && i <= most_items; i++) {
        CDataObject* item = from->get_item(i);
        if (!item) break;
        if (CDataObject* c = item->duplicate()) copy->add(c);
    }
    return copy;
}

Ins* copy_instruments(const Ins* from, short total, short size) {
    if (size < total) size = total;
    Ins* copy = new Ins[size + 1]();
    for (short i = 0; i <= total; i++) {
        copy[i] = from[i];
        copy[i].buf_msg = nullptr;
        if (i >= 1 && from[i].buf_msg && from[i].tot_msg > 0) {
            copy[i].buf_msg = (Msg_use*)std::calloc((size_t)from[i].tot_msg + 1, sizeof(Msg_use));
            if (copy[i].buf_msg)
                std::memcpy(copy[i].buf_msg, from[i].buf_msg, ((size_t)from[i].tot_msg + 1) * sizeof(Msg_use));
            else
                copy[i].tot_msg = 0;
        }
    }
    return copy;
}

void free_instruments(Ins* ins, short total) {
    if (!ins) return;
    for (short i = 1; i <= total; i++) std::free(ins[i].buf_msg);
    delete[] ins;
}

void copy_list_items(const CArrayInt& from, CArrayInt& to) {
    to.clear();
    for (short i = 1; i <= from.total(); i++) to.add(from.get(i));
    to.def_item = from.def_item;
}

Piste* copy_track(const Piste* from) {
    if (!from) return nullptr;
    Piste* t = creer_piste(from->max);
    t->tot = from->tot;
    t->next = from->next;
    std::memcpy(t->tab, from->tab, sizeof t->tab);
    std::memcpy(t->mesi, from->mesi, sizeof t->mesi);
    std::memcpy(t->noti, from->noti, sizeof t->noti);
    copy_list_items(from->arp_start, t->arp_start);
    copy_list_items(from->arp_stop, t->arp_stop);
    t->arp_cur = from->arp_cur;
    t->last_tsol = from->last_tsol;
    t->full_told = from->full_told;
    if (from->tot > 0)
        std::memcpy(&t->event[1], &from->event[1], (size_t)from->tot * sizeof(MidiEvent));
    return t;
}

Piste** copy_tracks(Piste* const* from, short total, short size) {
    if (size < total) size = total;
    Piste** copy = new Piste*[size + 1]();
    for (short i = 1; i <= total; i++) copy[i] = copy_track(from[i]);
    return copy;
}

void free_tracks(Piste** piste, short total) {
    if (!piste) return;
    for (short i = 1; i <= total; i++) detruire_piste(piste[i]);
    delete[] piste;
}

// Copies staff `q` of d into the next staff slot of u; returns that index.
short snapshot_staff(Document* d, Undo_general* u, short q) {
    short k = ++u->tot_por;
    u->por[k] = copy_list(q >= 1 && q <= d->max_por ? d->por[q] : nullptr);
    u->num_por->add(q);
    return k;
}

// Copies system s of d and its staves into u; the copy names its staves by their indices.
Systeme* snapshot_system(Document* d, Undo_general* u, short s) {
    Systeme* from = s >= 1 && s <= d->max_sys ? d->sys[s] : nullptr;
    Systeme* copy = copy_list(from);
    if (!copy) return nullptr;
    for (short j = 1; j <= copy->tot_por; j++) copy->por[j] = snapshot_staff(d, u, from->por[j]);
    return copy;
}

short staff_count(Document* d, short s) {
    Systeme* sys = s >= 1 && s <= d->max_sys ? d->sys[s] : nullptr;
    return sys ? sys->tot_por : 0;
}

// Puts `block` into slot `wanted` of a 1-based table of the document when that slot is free,
// else into the first free slot that `make` hands out; returns the slot, 0 on failure (the
// block is then freed).
template <class Block>
short put_in_slot(Document* d, Block** (*table)(Document*), short* tot, short max, short wanted,
                  Block* block, short (*make)(Document*, short)) {
    if (!block) return 0;
    if (wanted >= 1 && wanted <= max && !table(d)[wanted]) {
        table(d)[wanted] = block;
        (*tot)++;
        return wanted;
    }
    short slot = make(d, 0);
    if (!slot) {
        std::free(block);
        return 0;
    }
    std::free(table(d)[slot]);
    table(d)[slot] = block;
    return slot;
}

Portee** staff_table(Document* d) { return d->por; }
Systeme** system_table(Document* d) { return d->sys; }

void free_staff_slot(Document* d, short q) {
    if (q < 1 || q > d->max_por || !d->por[q]) return;
    std::free(d->por[q]);
    d->por[q] = nullptr;
    d->tot_por--;
}

void free_system_slot(Document* d, short s) {
    if (s < 1 || s > d->max_sys || !d->sys[s]) return;
    for (short j = 1; j <= d->sys[s]->tot_por; j++) free_staff_slot(d, d->sys[s]->por[j]);
    std::free(d->sys[s]);
    d->sys[s] = nullptr;
    d->tot_sys--;
}

// A document block made from a system copy of u, its staves restored into their old slots (or
// new ones) and named by those slots again.
Systeme* restore_system(Document* d, const Undo_general* u, const Systeme* from) {
    Systeme* copy = copy_list(from);
    if (!copy) return nullptr;
    for (short j = 1; j <= copy->tot_por; j++) {
        short k = from->por[j];
        short q = 0;
        if (k >= 1 && k <= u->tot_por)
            q = put_in_slot(d, staff_table, &d->tot_por, d->max_por, u->num_por->get(k),
                            copy_list(u->por[k]), nouvelle_portee);
        copy->por[j] = q;
    }
    // A staff that could not be had leaves the system.
    short kept = 0;
    for (short j = 1; j <= copy->tot_por; j++)
        if (copy->por[j]) copy->por[++kept] = copy->por[j];
    copy->tot_por = kept;
    return copy;
}

}  // namespace

Undo_general* preparer_undo_general(Document* d, short with_ins) {
    if (!undo_active || !d || !d->sys || !d->sys[1]) return nullptr;
    Undo_general* u = new Undo_general();
    u->num_sys = new CArrayInt;
    u->num_por = new CArrayInt;
    u->index_meas = new CArrayInt;
    u->tab_meas = new CArrayPtr;
    u->mise_en_page_ok = d->mise_en_page_ok;
    u->cur_pag = d->cur_pag;
    u->tot_pag = d->tot_pag;
    u->max_pag = d->pag ? d->max_pag : (short)-1;

    short systems = 0, staves = 0;
    for (short p = 0; p <= u->max_pag; p++) {
        Page* page = d->pag[p];
        for (short k = 1; page && k <= page->tot_sys; k++) {
            systems++;
            staves = (short)(staves + staff_count(d, page->sys[k]));
        }
    }
    staves = (short)(staves + d->sys[1]->tot_por);
    u->max_sys = systems;
    u->max_por = staves;
    u->pag = new Page*[u->max_pag + 2]();
    u->sys = new Systeme*[systems + 1]();
    u->por = new Portee*[staves + 1]();

    for (short p = 0; p <= u->max_pag; p++) {
        Page* page = d->pag[p];
        if (!page) continue;
        Page* copy = copy_list(page);
        u->pag[p] = copy;
        for (short k = 1; copy && k <= copy->tot_sys; k++) {
            short s = page->sys[k];
            short i = ++u->tot_sys;
            u->sys[i] = snapshot_system(d, u, s);
            u->num_sys->add(s);
            copy->sys[k] = i;
        }
    }
    u->sys1 = snapshot_system(d, u, 1);

    Systeme* master = d->sys[1];
    for (short j = 1; j <= master->tot_por; j++) {
        Portee* staff = d->por[master->por[j]];
        for (short k = 1; staff && k <= staff->tot_mes; k++) {
            short m = staff->mes[k];
            CMeasure* from = m >= 1 && m <= d->max_mes ? d->mes[m] : nullptr;
            if (!from) continue;
            u->index_meas->add(m);
            u->tab_meas->add((intptr_t)copy_measure(from));
        }
    }

    if (with_ins) {
        u->tot_ins = d->tot_ins;
        u->max_ins = d->max_ins;
        u->ins = d->ins ? copy_instruments(d->ins, d->tot_ins, d->max_ins) : nullptr;
        u->tot_piste = d->tot_piste;
        u->max_piste = d->max_piste;
        u->piste = d->piste ? copy_tracks(d->piste, d->tot_piste, d->max_piste) : nullptr;
    }
    return u;
}

short restaurer_undo_general(Document* d, const Undo_general* u) {
    if (!d || !u || !d->sys || !d->sys[1] || !u->sys1) return 0;

    // The measures of the master system as it stands, before its staves go.
    std::set<short> present;
    Systeme* master = d->sys[1];
    for (short j = 1; j <= master->tot_por; j++) {
        Portee* staff = d->por[master->por[j]];
        for (short k = 1; staff && k <= staff->tot_mes; k++) present.insert(staff->mes[k]);
    }

    // Out with the present layout: every page with its systems and staves, and the master
    // system's staves.
    for (short p = 0; d->pag && p <= d->max_pag; p++) {
        Page* page = d->pag[p];
        if (!page) continue;
        for (short k = 1; k <= page->tot_sys; k++) free_system_slot(d, page->sys[k]);
        std::free(page);
    }
    delete[] d->pag;
    d->pag = nullptr;
    for (short j = 1; j <= master->tot_por; j++) free_staff_slot(d, master->por[j]);
    master->tot_por = 0;

    // The snapshot's pages, their systems in their old slots, and the master system.
    d->max_pag = u->max_pag < 0 ? (short)0 : u->max_pag;
    d->pag = new Page*[d->max_pag + 1]();
    d->tot_pag = u->tot_pag;
    for (short p = 0; p <= u->max_pag; p++) {
        const Page* from = u->pag[p];
        if (!from) continue;
        Page* page = copy_list(from);
        if (!page) continue;
        short kept = 0;
        for (short k = 1; k <= page->tot_sys; k++) {
            short i = from->sys[k];
            if (i < 1 || i > u->tot_sys || !u->sys[i]) continue;
            Systeme* sys = restore_system(d, u, u->sys[i]);
            short s = put_in_slot(d, system_table, &d->tot_sys, d->max_sys, u->num_sys->get(i), sys,
                                  nouveau_systeme);
            if (s) page->sys[++kept] = s;
        }
        page->tot_sys = kept;
        d->pag[p] = page;
    }
    Systeme* restored = restore_system(d, u, u->sys1);
    if (restored) {
        std::free(d->sys[1]);
        d->sys[1] = restored;
    }

    // The measures: each copy back in its slot, and those added since deleted.
    std::set<short> kept;
    for (short k = 1; k <= u->index_meas->total(); k++) {
        short m = u->index_meas->get(k);
        CMeasure* copy = (CMeasure*)u->tab_meas->get(k);
        if (m < 1 || m > d->max_mes || !copy) continue;
        CMeasure* back = copy_measure(copy);
        if (!back) continue;
        if (d->mes[m])
            delete d->mes[m];
        else
            d->tot_mes++;
        d->mes[m] = back;
        kept.insert(m);
    }
    for (short m : present)
        if (!kept.count(m) && m >= 1 && m <= d->max_mes && d->mes[m]) {
            delete d->mes[m];
            d->mes[m] = nullptr;
            d->tot_mes--;
        }

    if (u->ins) {
        free_instruments(d->ins, d->tot_ins);
        d->ins = copy_instruments(u->ins, u->tot_ins, u->max_ins);
        d->tot_ins = u->tot_ins;
        d->max_ins = u->max_ins < u->tot_ins ? u->tot_ins : u->max_ins;
    }
    if (u->piste) {
        free_tracks(d->piste, d->tot_piste);
        d->piste = copy_tracks(u->piste, u->tot_piste, u->max_piste);
        d->tot_piste = u->tot_piste;
        d->max_piste = u->max_piste < u->tot_piste ? u->tot_piste : u->max_piste;
    }

    d->mise_en_page_ok = u->mise_en_page_ok;
    d->cur_pag = u->cur_pag;
    // The extract's record holds the same tables as the document's live fields.
    if (d->sub_doc && d->cur_sub_doc >= 1 && d->cur_sub_doc <= d->tot_sub_doc) {
        copier_champs_extrait(*d, d->sub_doc[d->cur_sub_doc]);
        d->sub_doc[d->cur_sub_doc].sys = d->sys[1];
    }
    return 1;
}

void liberer_undo_general(Undo_general* u) {
    if (!u) return;
    for (short p = 0; u->pag && p <= u->max_pag; p++) std::free(u->pag[p]);
    delete[] u->pag;
    for (short i = 1; u->sys && i <= u->tot_sys; i++) std::free(u->sys[i]);
    delete[] u->sys;
    for (short i = 1; u->por && i <= u->tot_por; i++) std::free(u->por[i]);
    delete[] u->por;
    std::free(u->sys1);
    for (short k = 1; u->tab_meas && k <= u->tab_meas->total(); k++) delete (CMeasure*)u->tab_meas->get(k);
    delete u->tab_meas;
    delete u->index_meas;
    free_instruments(u->ins, u->tot_ins);
    free_tracks(u->piste, u->tot_piste);
    delete u->num_sys;
    delete u->num_por;
    delete u;
}

void enregistrer_undo_general(CUndoManager* undo, Document* d, short with_ins) {
    if (!undo) return;
    Undo_general* snapshot = preparer_undo_general(d, with_ins);
    if (!snapshot) return;
    undo->add_obj((void**)&snapshot, 7, 4, 0);
    CUndoOperation* level = undo->level >= 1 && undo->level <= undo->total() ? undo->get(undo->level) : nullptr;
    short i = level ? level->find((void**)&snapshot) : 0;
    if (!i || (Undo_general*)level->old_obj.get(i) != snapshot) liberer_undo_general(snapshot);
}

CMeasure* copier_mesure_complete(CMeasure* m) { return m ? copy_measure(m) : nullptr; }

Piste* copier_piste(const Piste* t) { return copy_track(t); }
