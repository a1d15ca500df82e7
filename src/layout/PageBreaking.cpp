#include "layout/PageBreaking.h"

#include <cstdlib>

#include "framework/Arrays.h"
#include "framework/CUndoManager.h"
#include "framework/CUserPanel.h"
#include "layout/UtilitairesPartition.h"
#include "score/CMeasure.h"
#include "score/MusicGlobals.h"
#include "score/Signatures.h"
#include "score/StructureSlots.h"

namespace {

Sub_document& extract() { return doc->sub_doc[doc->cur_sub_doc]; }

Systeme* master() { return doc->sys[1]; }

CMeasure* first_measure(Portee* p) { return (p && p->tot_mes >= 1) ? doc->mes[p->mes[1]] : nullptr; }

// The measure number at column ma of master staff p, 0 when there is none.
short column_slot(short ma, short p) {
    Portee* staff = p >= 1 && p <= master()->tot_por ? doc->por[master()->por[p]] : nullptr;
    return staff && ma >= 1 && ma <= staff->tot_mes ? staff->mes[ma] : 0;
}

// The width of an instrument's name, scaled to `percent`, placed as the document places names.
short name_extent(CUserPanel* panel, short p, bool full, short percent) {
    const char* name = full ? doc->ins[p].nom : doc->ins[p].abrege;
    if (!name[0]) return 0;
    int32_t w = 0;
    if (doc->nom_font) {
        panel->set_font(doc->nom_font, 1.0f);
        w = panel->string_width(name) * (int32_t)percent / 100;
    }
    short x1 = doc->ins[1].x_nom;
    switch (doc->position_nom) {
        case 1: return (short)(x1 + w);
        case 2: return x1;
        case 3: return (short)(x1 + w / 2);
        default: return doc->ins[p].x_nom;
    }
}

short bracket_extent(short p) {
    const Ins& in = doc->ins[p];
    if (!in.accol_type || !in.accol_tot) return 0;
    return (short)(in.accol_dx + (in.accol_type == 2 ? 3 : get_accol_width()));
}

// True when master staff p's measure at column ma opens a staff of system s.
bool opens_staff_of(short s, short ma, short p) {
    Systeme* sys = doc->sys[s];
    short m = column_slot(ma, p);
    for (short j = 1; m && sys && j <= sys->tot_por; j++) {
        Portee* staff = doc->por[sys->por[j]];
        if (staff && staff->tot_mes >= 1 && staff->mes[1] == m) return true;
    }
    return false;
}

short system_height(short s) {
    Systeme* sys = doc->sys[s];
    CMeasure* top = first_measure(doc->por[sys->por[1]]);
    CMeasure* bottom = first_measure(doc->por[sys->por[sys->tot_por]]);
    return (short)((bottom ? bottom->py : 0) + 24 - (top ? top->py : 0));
}

void record(CUndoManager* undo, short m) {
    if (undo) undo->add_obj((void**)&doc->mes[m], 2, 0, 0);
}

void free_staff(short q) {
    std::free(doc->por[q]);
    doc->por[q] = nullptr;
    doc->tot_por--;
}

void free_system(short s) {
    for (short j = 1; j <= doc->sys[s]->tot_por; j++)
        if (doc->por[doc->sys[s]->por[j]]) free_staff(doc->sys[s]->por[j]);
    std::free(doc->sys[s]);
    doc->sys[s] = nullptr;
    doc->tot_sys--;
}

}  // namespace

short largeur_tete_ligne(CUserPanel* panel, short ma, short s) {
    CUserPanel* own = panel ? nullptr : new CUserPanel(nullptr);
    if (own) panel = own;
    short widest = 0;
    for (short p = 1; p <= master()->tot_por && p <= doc->tot_ins; p++) {
        if (s && !opens_staff_of(s, ma, p)) continue;
        short n = name_extent(panel, p, ma == 1, s ? doc->ins[p].staff_size : (short)100);
        short b = bracket_extent(p);
        if (n > widest) widest = n;
        if (b > widest) widest = b;
    }
    delete own;
    return (short)(extract().mi_g + extract().me_g + widest);
}

void calculer_tableau_messys(CUserPanel* panel, CArrayInt* tab) {
    tab->clear();
    short columns = nombre_colonnes();
    CUserPanel* own = panel ? nullptr : new CUserPanel(nullptr);
    if (own) panel = own;
    Sub_document& sd = extract();
    short limit = (short)(sd.mx - sd.mi_d - sd.me_d);
    short per_line = sd.mes_par_por < 0 ? 0 : sd.mes_par_por;
    int32_t used = 0;
    short count = 0;
    for (short c = 1; c <= columns;) {
        if (used == 0) used = largeur_tete_ligne(panel, c, 0);
        CMeasure* m = mesure_maitre(doc, c, 1);
        int32_t candidate = used + (m->pw == 0 ? m->width : m->pw + m->front);
        if ((per_line < 1 || count < per_line) && (candidate <= limit || per_line != 0 || count == 0)) {
            used = candidate;
            count++;
            c++;
        } else {
            tab->add(count);
            used = 0;
            count = 0;
        }
    }
    if (count) tab->add(count);
    delete own;
}

void liberer_liste_systemes(Page* list) { std::free(list); }

void liberer_systeme(short s) {
    if (s >= 1 && s <= doc->max_sys && doc->sys[s]) free_system(s);
}

Page* create_page_allsys(CArrayInt* tab, short first, CUndoManager* undo) {
    short total = tab->total();
    Page* list = nouveau_page(total);
    if (!list) return nullptr;
    list->tot_sys = total;
    short staves = master()->tot_por;
    short c = 1;
    for (short s = 1; s <= total; s++) {
        short n = tab->get(s);
        short id = nouveau_systeme(doc, staves);
        if (!id) {
            for (short k = 1; k < s; k++) free_system(list->sys[k]);
            std::free(list);
            return nullptr;
        }
        list->sys[s] = id;
        for (short p = 1; p <= staves; p++) {
            short q = nouvelle_portee(doc, n);
            if (!q) {
                for (short k = 1; k <= s; k++) free_system(list->sys[k]);
                std::free(list);
                return nullptr;
            }
            Portee* from = doc->por[master()->por[p]];
            Portee* to = doc->por[q];
            to->tot_mes = n;
            for (short k = 1; k <= n; k++) {
                short m = from->mes[c + k - 1];
                to->mes[k] = m;
                if (s >= first && doc->mes[m]) {
                    record(undo, m);
                    doc->mes[m]->y = doc->mes[m]->py = doc->ins[p].dy;
                }
            }
            doc->sys[id]->por[++doc->sys[id]->tot_por] = q;
        }
        c = (short)(c + n);
    }
    return list;
}

short empty_staff(short s, short i) {
    Portee* p = doc->por[doc->sys[s]->por[i]];
    short ma, pa;
    localiser_mesure(p->tot_mes >= 1 ? p->mes[1] : 0, &ma, &pa);
    if (doc->ins[pa].in_roll & 0x0002) return 0;
    // A staff with music stays, whatever its instrument says: dropping it would lose notes
    // from the page and the printout.
    for (short k = 1; k <= p->tot_mes; k++)
        if (CMeasure* m = doc->mes[p->mes[k]])
            if (!m->one_pause_measure()) return 0;
    return 1;
}

short optimiser_systeme(short s, short apply, CUndoManager* undo) {
    Systeme* sys = doc->sys[s];
    short shift = 0, kept = 0;
    // The place of the staff above before anything moved: dropping the last staff removes the
    // same height whether or not the staves are really dropped.
    short above = 0;
    for (short i = 1; i <= sys->tot_por;) {
        Portee* p = doc->por[sys->por[i]];
        if (!p || p->tot_mes < 1) return 0;
        short here = first_measure(p)->py;
        bool last = i == sys->tot_por;
        bool stays = !empty_staff(s, i) || (last && kept == 0);
        if (stays) {
            kept++;
            if (apply)
                for (short k = 1; k <= p->tot_mes; k++) {
                    CMeasure* m = doc->mes[p->mes[k]];
                    record(undo, p->mes[k]);
                    m->py = (short)(m->py - shift);
                    m->y = (short)(m->y - shift);
                }
            above = here;
            i++;
            continue;
        }
        if (!last) shift = (short)(shift + first_measure(doc->por[sys->por[i + 1]])->py - here);
        else shift = (short)(shift + here - above);
        above = here;
        if (!apply) {
            i++;
            continue;
        }
        free_staff(sys->por[i]);
        for (short j = i; j < sys->tot_por; j++) sys->por[j] = sys->por[j + 1];
        sys->tot_por--;
    }
    return shift;
}

void calculer_tableau_syspag(Page* list, CArrayInt* tab, short first) {
    tab->clear();
    Sub_document& sd = extract();
    // A negative count would let no system join any page, and the breaking would never end.
    short most = sd.sys_par_pag < 0 ? 0 : sd.sys_par_pag;
    short bottom = (short)(sd.my - sd.mi_i - sd.me_i);
    int32_t used = 0;
    short count = 0;
    for (short e = first; e <= list->tot_sys;) {
        if (used == 0) {
            used = sd.mi_s + sd.me_s;
            if (e == 1 && sd.reserve_titre) used += sd.reserve_titre;
        }
        short h = system_height(list->sys[e]);
        if ((most == 0 || count < most) && (count < 1 || h + used + 50 <= bottom)) {
            count++;
            used += h + 6 * sd.dist_syst;
            e++;
        } else {
            tab->add(count);
            used = 0;
            count = 0;
        }
    }
    if (count) tab->add(count);
}

void create_all_pages(Page* list, CArrayInt* tab, short first_page) {
    for (short p = first_page; p <= doc->max_pag; p++) {
        Page* page = doc->pag[p];
        if (!page) continue;
        for (short k = 1; k <= page->tot_sys; k++)
            if (doc->sys[page->sys[k]]) free_system(page->sys[k]);
        std::free(page);
        doc->pag[p] = nullptr;
        doc->tot_pag--;
    }
    short pages = tab->total();
    if (pages > doc->max_pag) {
        Page** grown = new Page*[pages + 1]();
        for (short p = 0; p <= doc->max_pag; p++) grown[p] = doc->pag[p];
        delete[] doc->pag;
        doc->pag = grown;
        doc->max_pag = pages;
    }
    doc->tot_pag = pages;
    short entry = 1;
    for (short p = 1; p < first_page; p++) entry = (short)(entry + tab->get(p));
    for (short p = first_page; p <= pages; p++) {
        short n = tab->get(p);
        Page* page = nouveau_page(n);
        page->tot_sys = n;
        for (short k = 1; k <= n; k++) page->sys[k] = list->sys[entry++];
        doc->pag[p] = page;
    }
}

void recup_tableaux(CArrayInt* messys, CArrayInt* syspag) {
    messys->clear();
    syspag->clear();
    for (short p = 1; p <= doc->tot_pag; p++) {
        Page* page = doc->pag[p];
        if (!page) continue;
        syspag->add(page->tot_sys);
        for (short k = 1; k <= page->tot_sys; k++) {
            Systeme* sys = doc->sys[page->sys[k]];
            Portee* first = sys && sys->tot_por ? doc->por[sys->por[1]] : nullptr;
            messys->add(first ? first->tot_mes : 0);
        }
    }
}
