#include "layout/PageFitting.h"

#include <vector>

#include "framework/Arrays.h"
#include "framework/CUndoManager.h"
#include "layout/MeasureScaling.h"
#include "layout/PageBreaking.h"
#include "layout/SystemHeaders.h"
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

void record(CUndoManager* undo, short m) {
    if (undo && m) undo->add_obj((void**)&doc->mes[m], 2, 0, 0);
}

// The measure number at column c of master staff p, 0 when there is none.
short master_slot(short c, short p) {
    Portee* staff = doc->por[doc->sys[1]->por[p]];
    return staff && c >= 1 && c <= staff->tot_mes ? staff->mes[c] : 0;
}

// A measure's width without its line-start part; a measure never fitted has no `pw` yet.
int32_t natural(const CMeasure* m) { return m->pw ? m->pw : m->width - m->front; }

}  // namespace

void adjust_system_horizontally(short s, float scalex, float scaley, CUserPanel* panel, short ma,
                                CUndoManager* undo, short even) {
    if (!doc || !doc->sys || s < 1 || s > doc->max_sys || !doc->sys[s] || !doc->sys[1]) return;
    Systeme* sys = doc->sys[s];
    Portee* ref = sys->tot_por >= 1 ? doc->por[sys->por[1]] : nullptr;
    const short n = ref ? ref->tot_mes : 0;
    if (n < 1) return;
    Sub_document& sd = doc->sub_doc[doc->cur_sub_doc];
    const short staves = doc->sys[1]->tot_por;

    const short head = largeur_tete_ligne(panel, ma, s);
    for (short p = 1; p <= staves; p++) {
        short m = master_slot(ma, p);
        if (!m || !doc->mes[m]) continue;
        record(undo, m);
        doc->mes[m]->x = doc->mes[m]->px = head;
    }
    ajuster_mesures_systeme(s, ma, scalex, scaley, panel, undo);

    std::vector<CMeasure*> line(n + 1);
    int32_t content = 0;
    for (short k = 1; k <= n; k++) {
        line[k] = doc->mes[ref->mes[k]];
        if (!line[k]) return;
        content += line[k]->width - line[k]->front;
    }
    const int32_t average = content / n;
    int32_t end = line[1]->x + 1;
    for (short k = 1; k <= n; k++)
        end += (even ? average : natural(line[k])) + line[k]->front + line[k]->extended;
    const int32_t overflow = end - (sd.mx - sd.mi_d - sd.me_d);

    std::vector<int32_t> share(n + 1, 0);
    int32_t given = 0;
    for (short k = 1; k < n; k++) {
        // A line of measures without content width shares the overflow out evenly.
        share[k] = content ? (line[k]->width - line[k]->front) * overflow / content : overflow / n;
        given += share[k];
    }
    share[n] = overflow - given;

    for (short k = 1; k <= n; k++) {
        const short old_width = line[k]->width;
        const short f = line[k]->front;
        const short w = (short)((even ? average : natural(line[k])) + f - share[k]);
        for (short p = 1; p <= staves; p++) {
            short m = master_slot((short)(ma + k - 1), p);
            if (!m || !doc->mes[m]) continue;
            record(undo, m);
            scale_measure_at(m, (short)(ma + k - 1), p, old_width, w);
            doc->mes[m]->width = w;
            doc->mes[m]->pw = (short)(w - f);
        }
    }

    const short left = line[1]->px;
    for (short j = 1; j <= sys->tot_por; j++) {
        Portee* staff = doc->por[sys->por[j]];
        short x = left;
        for (short k = 1; staff && k <= staff->tot_mes && k <= n; k++) {
            CMeasure* m = doc->mes[staff->mes[k]];
            if (k > 1) x = (short)(x + line[k - 1]->width);
            if (!m) continue;
            record(undo, staff->mes[k]);
            m->x = x;
            if (k > 1) m->px = x;
        }
    }
}

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

void adapter_mep(CArrayInt* messys, CArrayInt* syspag, short p, float scalex, float scaley,
                 CUserPanel* panel, short new_pages, CUndoManager*, short even) {
    if (!doc || !messys || !syspag || p < 1) return;
    short f = 1;
    for (short i = 1; i < p; i++) f = (short)(f + syspag->get(i));
    Page* list = create_page_allsys(messys, f, nullptr);
    if (!list) return;
    Sub_document& sd = doc->sub_doc[doc->cur_sub_doc];
    short column = 1;
    HeaderPass pass;
    for (short e = 1; e <= list->tot_sys; e++) {
        if (e >= f) {
            if (sd.opti_sys) optimiser_systeme(list->sys[e], 1, nullptr);
            adjust_system_horizontally(list->sys[e], scalex, scaley, panel, column, nullptr, even);
        }
        column = (short)(column + messys->get(e));
    }
    if (new_pages) {
        CArrayInt rest;
        calculer_tableau_syspag(list, &rest, f);
        while (syspag->total() >= p) syspag->remove(syspag->total());
        for (short i = 1; i <= rest.total(); i++) syspag->add(rest.get(i));
    }
    create_all_pages(list, syspag, p);
    for (short page = p; page <= doc->tot_pag; page++) adjust_page_vertically(page, 0, 0, nullptr);
    // The lines before page p were built again only to count the columns: they go.
    for (short e = 1; e < f && e <= list->tot_sys; e++) liberer_systeme(list->sys[e]);
    liberer_liste_systemes(list);
}
