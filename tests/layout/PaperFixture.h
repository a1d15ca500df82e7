#pragma once
// A score on a plain page for the layout tests.

#include "score/ScoreFixture.h"

// A score on a page 400 wide and 400 high without margins, nameless and without brackets;
// staves 60 apart.
struct Paper {
    Paper(short staves, short columns) : score(staves, columns) {
        Document* d = score.d;
        Sub_document& sd = d->sub_doc[d->cur_sub_doc];
        sd.mx = sd.my = 400;
        sd.mi_g = sd.me_g = sd.mi_d = sd.me_d = sd.mi_s = sd.me_s = sd.mi_i = sd.me_i = 0;
        sd.mes_par_por = sd.sys_par_pag = sd.reserve_titre = sd.dist_syst = 0;
        sd.repartir_syst = sd.opti_sys = 0;
        for (short p = 1; p <= staves; p++) {
            Ins& in = d->ins[p];
            in.nom[0] = in.abrege[0] = 0;
            in.accol_type = in.accol_tot = in.accol_dx = 0;
            in.in_roll = 0;
            in.dy = (short)(60 * (p - 1));
        }
    }
    Sub_document& sd() { return score.d->sub_doc[score.d->cur_sub_doc]; }
    short py(short column, short staff) { return score.measure(column, staff)->py; }
    ScoreFixture score;
};

