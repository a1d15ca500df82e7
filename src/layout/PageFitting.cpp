#include "layout/PageFitting.h"

#include "framework/CUndoManager.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"

namespace {

short staff_top(Systeme* sys, short j) {
    Portee* p = doc->por[sys->por[j]];
    return (p && p->tot_mes >= 1 && doc->mes[p->mes[1]]) ? doc->mes[p->mes[1]]->py : 0;
}

short first_top(Systeme* sys) { return staff_top(sys, 1); }
short last_top(Systeme* sys) { return staff_top(sys, sys->tot_por); }

void move_system(Systeme* sys, short delta, CUndoManager* undo) {
    for (short j = 1; j <= sys->tot_por; j++) {
        Portee* p = doc->por[sys->por[j]];
        for (short k = 1; p && k <= p->tot_mes; k++) {
            if (undo) undo->add_obj((void**)&doc->mes[p->mes[k]], 2, 0, 0);
            CMeasure* m = doc->mes[p->mes[k]];
            m->py = (short)(m->py + delta);
            m->y = m->py;
        }
    }
}

}  // namespace

void adjust_page_vertically(short p, short keep_first, short keep_last, CUndoManager* undo) {
    if (!doc || p < 1 || p > doc->max_pag || !doc->pag[p]) return;
    Page* page = doc->pag[p];
    short n = page->tot_sys;
    if (n < 1) return;
    Sub_document& sd = doc->sub_doc[doc->cur_sub_doc];
    int32_t top = sd.mi_s + sd.me_s;
    if (p == 1 && sd.reserve_titre) top += sd.reserve_titre;
    int32_t bottom = sd.my - sd.mi_i - sd.me_i;
    int32_t free_height = bottom - top - (n + 1) * 24;
    for (short k = 1; k <= n; k++) {
        Systeme* sys = doc->sys[page->sys[k]];
        free_height -= last_top(sys) + 24 - first_top(sys);
    }
    if (keep_first) free_height -= first_top(doc->sys[page->sys[1]]) - top - 24;
    if (keep_last) free_height -= bottom - 48 - last_top(doc->sys[page->sys[n]]);
    int32_t gap = n >= 2 ? free_height / (n - 1) : 0;
    bool spread = sd.repartir_syst && n >= 2 && gap <= 239;
    int32_t after = spread ? 24 + gap : 6 * sd.dist_syst;
    for (short i = 1; i <= n; i++) {
        Systeme* sys = doc->sys[page->sys[i]];
        if (i == n && keep_last && !(i == 1 && keep_first)) break;
        if (!(i == 1 && keep_first)) move_system(sys, (short)(top + 24 - first_top(sys)), undo);
        top = last_top(sys) + after;
    }
}
