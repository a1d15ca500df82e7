#include "layout/KeyClefConsistency.h"

#include "layout/UtilitairesPartition.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/Signatures.h"

namespace {

constexpr short MOST = 50;

struct Placed {
    CDataObject* item;
    short x;
};

// Orders by x, keeping the item order of equal x.
void sort_by_x(Placed* list, short n) {
    for (short pass = 1; pass < n; pass++)
        for (short j = 0; j + 1 < n; j++)
            if (list[j + 1].x < list[j].x) {
                Placed t = list[j];
                list[j] = list[j + 1];
                list[j + 1] = t;
            }
}

}  // namespace

short verifier_armures_colonnes(short staff, short from, short to, short clef) {
    for (short c = from; c <= to; c++) {
        CMeasure* measure = mesure_maitre(doc, c, staff);
        if (!measure) continue;
        Placed clefs[MOST], keys[MOST];
        short nc = 0, nk = 0;
        for (short i = 1; i <= measure->total(); i++) {
            if (CClef* cl = measure->get_clef_item(i)) {
                if (nc < MOST) clefs[nc++] = {cl, cl->x};
            } else if (CKeySig* k = measure->get_keysig_item(i)) {
                if (nk < MOST) keys[nk++] = {k, k->x.get(1)};
            }
        }
        sort_by_x(clefs, nc);
        sort_by_x(keys, nk);
        short a = 0, b = 0;
        while (a < nc && b < nk) {
            if (keys[b].x <= clefs[a].x)
                transposer_armure(static_cast<CKeySig*>(keys[b++].item), clef);
            else
                clef = static_cast<CClef*>(clefs[a++].item)->id;
        }
        while (b < nk) transposer_armure(static_cast<CKeySig*>(keys[b++].item), clef);
        if (b == nk && nc > 0) clef = static_cast<CClef*>(clefs[nc - 1].item)->id;
    }
    return clef;
}

short verifier_armures_clefs(short m, short) {
    if (!doc || !doc->sys || !doc->sys[1]) return 0;
    short columns = nombre_colonnes();
    short staff = 0, first = 0;
    for (short i = 1; i <= doc->sys[1]->tot_por && !staff; i++) {
        Portee* p = doc->por[doc->sys[1]->por[i]];
        for (short j = 1; p && j <= columns && j <= p->tot_mes; j++)
            if (p->mes[j] == m) {
                staff = i;
                first = j;
                break;
            }
    }
    if (!staff) return 0;
    verifier_armures_colonnes(staff, first, columns, get_clef_start(first, staff));
    return 1;
}
