#include "editor/EditorLookups.h"

#include "editor/View.h"
#include "layout/UtilitairesPartition.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"

CMeasure* mesure_systeme(short s, short p, short t) {
    if (!doc || s < 1 || s > doc->max_sys || !doc->sys[s]) return nullptr;
    Systeme* sys = doc->sys[s];
    if (p < 1 || p > sys->tot_por) return nullptr;
    Portee* staff = doc->por[sys->por[p]];
    if (!staff || t < 1 || t > staff->tot_mes) return nullptr;
    return doc->mes[staff->mes[t]];
}

short colonne_du_systeme(short s) {
    CMeasure* first = mesure_systeme(s, 1, 1);
    short ma = 1, pa = 1;
    for (short i = 1; first && i <= doc->max_mes; i++)
        if (doc->mes[i] == first) {
            localiser_mesure(i, &ma, &pa);
            break;
        }
    return ma;
}

void table_des_portees(short s, short* table, short none) {
    Systeme* sys = doc->sys[s];
    const short ma = colonne_du_systeme(s);
    const short masters = nombre_portees(doc);
    for (short p = 1; p <= sys->tot_por; p++) {
        table[p] = none;
        CMeasure* m = mesure_systeme(s, p, 1);
        for (short q = 1; m && q <= masters; q++)
            if (mesure_maitre(doc, ma, q) == m) {
                table[p] = q;
                break;
            }
    }
}

int32_t couleur_des_notes(short voice, short q, short sub_id) {
    if (doc->utiliser_couleurs == 1) return voice == 0 ? 0 : -1 - voice;
    if (doc->utiliser_couleurs == 2) return -1;
    Sub_document& x = doc->sub_doc[sub_id];
    return q >= 1 && q <= x.tot_ins && x.ins ? x.ins[q].color : 0;
}
