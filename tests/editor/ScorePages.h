#pragma once
// Pages for a score built in memory: its measure columns cut into systems and pages, as the
// editor tests and the benchmarks lay them out (no test framework needed).

#include <algorithm>
#include <cstdlib>

#include "editor/View.h"
#include "layout/UtilitairesPartition.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/MusicSettings.h"
#include "score/StructureSlots.h"

// Systems and pages for a score: `per_system` columns a system, `per_page` systems a page, the
// systems 70 units a staff and 60 between them from y 80 on every page, columns from x 60.
inline void build_pages(Document* d, short per_system, short per_page) {
    const short columns = nombre_colonnes(), staves = nombre_portees(d);
    const short systems = (short)((columns + per_system - 1) / per_system);
    const short pages = (short)((systems + per_page - 1) / per_page);
    for (short p = 0; p <= d->max_pag; p++) std::free(d->pag[p]);
    delete[] d->pag;
    allouer_pages(d, pages);
    for (short p = 1; p <= pages; p++) d->pag[p] = nouveau_page((short)(per_page + 1));
    for (short k = 0; k < systems; k++) {
        const short first = (short)(k * per_system + 1);
        const short count = std::min<short>(per_system, (short)(columns - first + 1));
        const short s = nouveau_systeme(d, staves);
        const short page = (short)(k / per_page + 1);
        const short row = (short)(k % per_page);
        for (short p = 1; p <= staves; p++) {
            const short r = nouvelle_portee(d, count);
            for (short i = 0; i < count; i++) {
                d->por[r]->mes[i + 1] = d->por[d->sys[1]->por[p]]->mes[first + i];
                CMeasure* m = mesure_maitre(d, (short)(first + i), p);
                m->px = (short)(60 + i * 150);
                m->py = (short)(80 + row * (staves * 70 + 60) + (p - 1) * 70);
            }
            d->por[r]->tot_mes = count;
            d->sys[s]->por[++d->sys[s]->tot_por] = r;
        }
        Page*& pg = d->pag[page];
        pg->sys[++pg->tot_sys] = s;
    }
    d->mise_en_page_ok = 1;
}

