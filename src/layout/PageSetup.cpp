#include "layout/PageSetup.h"

#include <cstdint>

#include "layout/PageLayout.h"
#include "score/CTextBloc.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"

namespace {

constexpr short smallest_reduction = 5;
constexpr short largest_reduction = 2500;

short in_range(short reduction) {
    if (reduction < smallest_reduction) return smallest_reduction;
    if (reduction > largest_reduction) return largest_reduction;
    return reduction;
}

// x * old / new in 32 bits: the ratio itself would be 0 when the reduction grows.
short rescaled(short x, short old_reduction, short new_reduction) {
    return (short)((int32_t)x * old_reduction / new_reduction);
}

}  // namespace

short mm_en_unites(short mm, short reduction) {
    return (short)((int32_t)mm * 36000 / ((int32_t)in_range(reduction) * 127));
}

short accepter_mise_en_page(const Sub_document& edited, float sx, float sy, CUserPanel* panel,
                            short relayout) {
    if (!doc || !doc->sub_doc) return 0;
    Sub_document& sd = doc->sub_doc[doc->cur_sub_doc];
    const short old_reduction = in_range(sd.reduction);

    sd.mme_g = edited.mme_g;
    sd.mme_d = edited.mme_d;
    sd.mme_s = edited.mme_s;
    sd.mme_i = edited.mme_i;
    sd.mmi_g = edited.mmi_g;
    sd.mmi_d = edited.mmi_d;
    sd.mmi_s = edited.mmi_s;
    sd.mmi_i = edited.mmi_i;
    sd.mmx = edited.mmx;
    sd.mmy = edited.mmy;
    sd.mmdecx = edited.mmdecx;
    sd.mmdecy = edited.mmdecy;
    sd.opti_sys = edited.opti_sys;
    sd.mes_par_por = edited.mes_par_por < 0 ? (short)0 : edited.mes_par_por;
    sd.sys_par_pag = edited.sys_par_pag < 0 ? (short)0 : edited.sys_par_pag;
    sd.reserve_titre_mm = edited.reserve_titre_mm;
    sd.reduction = in_range(edited.reduction);
    const short r = sd.reduction;
    sd.reserve_titre = mm_en_unites(sd.reserve_titre_mm, r);
    sd.mx = mm_en_unites(sd.mmx, r);
    sd.my = mm_en_unites(sd.mmy, r);
    sd.mdecx = mm_en_unites(sd.mmdecx, r);
    sd.mdecy = mm_en_unites(sd.mmdecy, r);
    sd.me_g = mm_en_unites(sd.mme_g, r);
    sd.me_d = mm_en_unites(sd.mme_d, r);
    sd.me_s = mm_en_unites(sd.mme_s, r);
    sd.me_i = mm_en_unites(sd.mme_i, r);
    sd.mi_g = mm_en_unites(sd.mmi_g, r);
    sd.mi_d = mm_en_unites(sd.mmi_d, r);
    sd.mi_s = mm_en_unites(sd.mmi_s, r);
    sd.mi_i = mm_en_unites(sd.mmi_i, r);
    sd.dist_syst = edited.dist_syst;
    sd.repartir_syst = edited.repartir_syst;
    sd.adjust_horiz = edited.adjust_horiz;
    doc->modif = 1;

    if (relayout && panel) mise_en_page(sx, sy, panel);
    doc->flag_maj |= 0x21;
    if (doc->cur_pag > doc->tot_pag) doc->cur_pag = doc->tot_pag;

    if (r != old_reduction)
        for (short i = 1; doc->ptx && i <= doc->tot_ptx; i++) {
            CTextBloc* t = doc->ptx[i];
            if (!t) continue;
            t->x = rescaled(t->x, old_reduction, r);
            t->y = rescaled(t->y, old_reduction, r);
            t->font.set_size(rescaled(t->font.get_size(), old_reduction, r));
            t->ajuster_cadre_texte();
        }
    return doc->mise_en_page_ok;
}

short dialogue_mise_en_page(short, float sx, float sy, CUserPanel* panel, short) {
    if (!doc || !doc->sub_doc) return 0;
    // The settings are edited on a copy, so that giving up leaves the extract as it was.
    Sub_document edited = doc->sub_doc[doc->cur_sub_doc];
    return accepter_mise_en_page(edited, sx, sy, panel, !doc->mise_en_page_ok);
}
