#include "score/StructureChecks.h"

#include <cstdlib>
#include <vector>

#include "framework/CApplication.h"
#include "framework/CResFile.h"
#include "score/CLibrary.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/Extracts.h"
#include "score/Placeholders.h"
#include "score/StructureSlots.h"

namespace {

// A measure number that names a measure: from 1 to the measure count.
bool valid_measure(Document* d, short m) { return m >= 1 && m <= d->tot_mes && m <= d->max_mes; }

// The pages of one extract: a list naming a system, staff or measure that does not exist is
// emptied. Returns the faults found.
short check_pages(Document* d, Sub_document& s) {
    short faults = 0;
    for (short p = 1; p <= s.tot_pag && p <= s.max_pag; p++) {
        Page* page = s.pag[p];
        if (!page) {
            faults++;
            s.mise_en_page_ok = 0;
            s.tot_pag = 0;
            return faults;
        }
        for (short e = 1; e <= page->tot_sys; e++) {
            short y = page->sys[e];
            Systeme* system = y >= 2 && y <= d->tot_sys && y <= d->max_sys ? d->sys[y] : nullptr;
            if (!system) {
                faults++;
                s.mise_en_page_ok = 0;
                page->tot_sys = 0;
                break;
            }
            for (short k = 1; k <= system->tot_por; k++) {
                short t = system->por[k];
                Portee* staff = t >= 1 && t <= d->tot_por && t <= d->max_por ? d->por[t] : nullptr;
                if (!staff) {
                    faults++;
                    s.mise_en_page_ok = 0;
                    system->tot_por = 0;
                    break;
                }
                for (short j = 1; j <= staff->tot_mes; j++) {
                    if (valid_measure(d, staff->mes[j])) continue;
                    faults++;
                    s.mise_en_page_ok = 0;
                    staff->tot_mes = 0;
                    break;
                }
            }
        }
    }
    return faults;
}

// Sets marks[n] for every number n of a list.
void mark(std::vector<char>& marks, short count, const short* entries) {
    for (short e = 1; e <= count; e++)
        if (entries[e] >= 0 && (size_t)entries[e] < marks.size()) marks[(size_t)entries[e]] = 1;
}

// The staves and measures that exist but that no list names: a damaged number in a list is
// mended with the first of them, in order, before anything new is made, so that a damaged
// digit does not cost what the file holds.
struct Unlisted {
    explicit Unlisted(Document* d) {
        std::vector<char> used((size_t)d->max_por + 1, 0);
        for (short i = 1; i <= d->tot_sub_doc; i++)
            if (Systeme* m = d->sub_doc[i].sys) mark(used, m->tot_por, m->por);
        for (short y = 2; y <= d->tot_sys && y <= d->max_sys; y++)
            if (Systeme* s = d->sys[y]) mark(used, s->tot_por, s->por);
        for (short t = 1; t <= d->max_por; t++)
            if (d->por[t] && !used[(size_t)t]) staves.push_back(t);
        used.assign((size_t)d->max_mes + 1, 0);
        for (short t = 1; t <= d->max_por; t++)
            if (Portee* p = d->por[t]) mark(used, p->tot_mes, p->mes);
        for (short m = 1; m <= d->max_mes; m++)
            if (d->mes[m] && !used[(size_t)m]) measures.push_back(m);
    }
    static short take(std::vector<short>& list) {
        if (list.empty()) return 0;
        short first = list.front();
        list.erase(list.begin());
        return first;
    }
    std::vector<short> staves, measures;
};

// The measure lists of every staff: a bad measure number is replaced by a measure that no
// staff lists, or else by a new empty measure (the staves of page systems list the measures of
// the master's, so a measure may be listed more than once). Returns the faults found.
short check_staves(Document* d, Unlisted& unlisted) {
    short faults = 0;
    for (short t = 1; t <= d->max_por; t++) {
        Portee* staff = d->por[t];
        for (short j = 1; staff && j <= staff->tot_mes; j++) {
            short m = staff->mes[j];
            if (valid_measure(d, m) && d->mes[m]) continue;
            faults++;
            if (short spare = Unlisted::take(unlisted.measures)) {
                staff->mes[j] = spare;
                continue;
            }
            CMeasure* repair = new CMeasure;
            short slot = nouvelle_mesure(d);
            if (!slot) {
                delete repair;
                continue;
            }
            repair->id = d->next_meas_id++;
            d->mes[slot] = repair;
            staff->mes[j] = slot;
        }
    }
    return faults;
}

// The master system of one extract: a bad staff number is replaced by a staff that nothing
// lists, or else removed. Returns the faults found.
short check_master(Document* d, Sub_document& s, Unlisted& unlisted) {
    short faults = 0;
    Systeme* master = s.sys;
    for (short k = 1; master && k <= master->tot_por;) {
        short t = master->por[k];
        Portee* staff = t >= 1 && t <= d->tot_por && t <= d->max_por ? d->por[t] : nullptr;
        if (staff) {
            k++;
            continue;
        }
        faults++;
        if (short spare = Unlisted::take(unlisted.staves)) {
            master->por[k] = spare;
            continue;
        }
        for (short e = k; e < master->tot_por; e++) master->por[e] = master->por[e + 1];
        master->tot_por--;
    }
    return faults;
}

// Counts, and when `clean` frees, the unreferenced systems, then staves, then measures.
short lost_objects(Document* d, bool clean) {
    short lost = 0;
    std::vector<char> used((size_t)d->max_sys + 1, 0);
    for (short i = 1; i <= d->tot_sub_doc; i++) {
        Sub_document& s = d->sub_doc[i];
        for (short p = 1; s.pag && p <= s.max_pag; p++)
            if (Page* page = s.pag[p]) mark(used, page->tot_sys, page->sys);
    }
    for (short y = 2; y <= d->max_sys; y++) {
        if (!d->sys[y] || used[(size_t)y]) continue;
        lost++;
        if (!clean) continue;
        std::free(d->sys[y]);
        d->sys[y] = nullptr;
        d->tot_sys--;
    }
    used.assign((size_t)d->max_por + 1, 0);
    for (short i = 1; i <= d->tot_sub_doc; i++)
        if (Systeme* m = d->sub_doc[i].sys) mark(used, m->tot_por, m->por);
    for (short y = 2; y <= d->max_sys; y++)
        if (Systeme* s = d->sys[y]) mark(used, s->tot_por, s->por);
    for (short t = 1; t <= d->max_por; t++) {
        if (!d->por[t] || used[(size_t)t]) continue;
        lost++;
        if (!clean) continue;
        std::free(d->por[t]);
        d->por[t] = nullptr;
        d->tot_por--;
    }
    used.assign((size_t)d->max_mes + 1, 0);
    for (short t = 1; t <= d->max_por; t++)
        if (Portee* p = d->por[t]) mark(used, p->tot_mes, p->mes);
    for (short m = 1; m <= d->max_mes; m++) {
        if (!d->mes[m] || used[(size_t)m]) continue;
        lost++;
        if (!clean) continue;
        delete d->mes[m];
        d->mes[m] = nullptr;
        d->tot_mes--;
    }
    return lost;
}

// The extract records hold the current extract's live values while the checks work on them.
void store_current(Document* d) { permuter_contexte(d, d->cur_sub_doc); }
void load_current(Document* d) {
    if (d->cur_sub_doc < 1 || d->cur_sub_doc > d->tot_sub_doc) return;
    Sub_document& s = d->sub_doc[d->cur_sub_doc];
    copier_champs_extrait(s, *d);
    d->sys[1] = s.sys;
}

}  // namespace

short verifier_structure_partition(Document* d) {
    store_current(d);
    // Staves first: a page that lists a staff with a bad measure number would empty it.
    Unlisted unlisted(d);
    short faults = check_staves(d, unlisted);
    for (short i = 1; i <= d->tot_sub_doc; i++) {
        faults = (short)(faults + check_pages(d, d->sub_doc[i]));
        faults = (short)(faults + check_master(d, d->sub_doc[i], unlisted));
    }
    load_current(d);
    if (faults) {
        CString lines[4];
        for (short k = 0; k < 4; k++)
            gr_string("MISC", "MUSIC.RES", 78, (short)(161 + k), &lines[k]);
        application->warning(lines[0].get(), lines[1].get(), lines[2].get(), lines[3].get());
    }
    return faults;
}

short verifier_objets_perdus(Document* d) {
    store_current(d);
    return lost_objects(d, false);
}

void nettoyer_objets_perdus(Document* d) {
    store_current(d);
    lost_objects(d, true);
}

short verifier_librairies(Document* d) {
    auto missing = [d](short r) { return r < 1 || r > d->max_lib || !d->lib[r]; };
    short removed = 0, count = 0;
    for (short k = 1; k <= d->max_lib; k++) {
        CLibrary* lib = d->lib[k];
        if (!lib) continue;
        count++;
        if (lib->type == 1) continue;
        for (short j = 1; j <= lib->tot_par;) {
            if (!missing(lib->par.get((short)(2 * j - 1)))) {
                j++;
                continue;
            }
            lib->par.remove((short)(2 * j - 1));
            lib->par.remove((short)(2 * j - 1));
            lib->tot_par--;
            removed++;
        }
    }
    d->tot_lib = count;
    for (short m = 1; m <= d->max_mes; m++) {
        CMeasure* measure = d->mes[m];
        for (short i = 1; measure && i <= measure->total(); i++) {
            CLibUse* use = measure->get_libuse_item(i);
            for (short j = 1; use && j <= use->libid.total();) {
                if (!missing(use->libid.get(j))) {
                    j++;
                    continue;
                }
                use->libid.remove(j);
                for (CArrayInt& t : use->tres) t.remove(j);
                removed++;
            }
        }
    }
    return removed;
}
