#include "editor/EditorLookups.h"

#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"

void localiser(short m, short* ma, short* pa) {
    *ma = *pa = 1;
    Systeme* master = doc && doc->sys ? doc->sys[1] : nullptr;
    for (short p = 1; master && p <= master->tot_por; p++) {
        Portee* staff = doc->por[master->por[p]];
        for (short c = 1; staff && c <= staff->tot_mes; c++)
            if (staff->mes[c] == m) {
                *ma = c;
                *pa = p;
                p = master->tot_por;
                break;
            }
    }
    last_ma = *ma;
    last_pa = *pa;
}

short mesure_sur_page(short ma, short pa, short p) {
    CMeasure* target = mesure_maitre(doc, ma, pa);
    if (!target || !doc->pag || p < 0 || p > doc->max_pag || !doc->pag[p]) return 0;
    Page* page = doc->pag[p];
    for (short s = 1; s <= page->tot_sys; s++) {
        Systeme* sys = doc->sys[page->sys[s]];
        for (short k = 1; sys && k <= sys->tot_por; k++) {
            Portee* staff = doc->por[sys->por[k]];
            for (short t = 1; staff && t <= staff->tot_mes; t++)
                if (doc->mes[staff->mes[t]] == target) return 1;
        }
    }
    return 0;
}

CMeasure* mesure_systeme(short s, short p, short t) {
    if (!doc || s < 1 || s > doc->max_sys || !doc->sys[s]) return nullptr;
    Systeme* sys = doc->sys[s];
    if (p < 1 || p > sys->tot_por) return nullptr;
    Portee* staff = doc->por[sys->por[p]];
    if (!staff || t < 1 || t > staff->tot_mes) return nullptr;
    return doc->mes[staff->mes[t]];
}

void verifier_tenues(short, short) {}
