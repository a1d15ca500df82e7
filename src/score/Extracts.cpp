#include "score/Extracts.h"

#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/Piste.h"
#include "score/Placeholders.h"

Select_mes sm = {};

short permuter_contexte(Document* d, short n) {
    if (!d || !d->sub_doc || !d->sys || n < 1 || n > d->tot_sub_doc) return 0;
    if (d->cur_sub_doc >= 1 && d->cur_sub_doc <= d->tot_sub_doc) {
        Sub_document& current = d->sub_doc[d->cur_sub_doc];
        copier_champs_extrait(*d, current);
        current.sys = d->sys[1];
    }
    Sub_document& next = d->sub_doc[n];
    copier_champs_extrait(next, *d);
    d->sys[1] = next.sys;
    d->cur_sub_doc = n;
    return 1;
}

void cancel_internal_clipboard() {
    if (sm.mes) {
        for (short i = 1; i <= sm.tot; i++) delete sm.mes[i];
        delete[] sm.mes;
        for (short t = 1; sm.piste && t <= sm.h; t++) detruire_piste(sm.piste[t]);
        delete[] sm.piste;
        delete sm.chprog;
    }
    sm = Select_mes{};
}
