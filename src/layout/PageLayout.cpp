#include "layout/PageLayout.h"

#include <cstdlib>

#include "framework/Arrays.h"
#include "framework/CApplication.h"
#include "framework/CResFile.h"
#include "framework/CString.h"
#include "framework/CUndoManager.h"
#include "framework/CUserPanel.h"
#include "layout/PageBreaking.h"
#include "layout/PageFitting.h"
#include "layout/SystemHeaders.h"
#include "layout/UndoGeneral.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/MusicSettings.h"

namespace {

// The number of columns on line s of a system list: its first staff's measure count.
short columns_of(Page* list, short s) {
    Systeme* sys = doc->sys[list->sys[s]];
    Portee* first = sys && sys->tot_por >= 1 ? doc->por[sys->por[1]] : nullptr;
    return first ? first->tot_mes : 0;
}

void progress(short percent) {
    if (application) application->do_patience(percent);
}

}  // namespace

void mise_en_page(float scalex, float scaley, CUserPanel* panel) {
    if (!doc || !doc->sys || !doc->sys[1]) return;
    Sub_document& sd = doc->sub_doc[doc->cur_sub_doc];
    doc->modif = 1;
    if (sd.undo) {
        sd.undo->new_level(0, 0);
        sd.undo->set_operation(43, 3);
        enregistrer_undo_general(sd.undo, doc, 0);
    }
    CString title;
    gr_string("MISC", "MUSIC.RES", 67, 5, &title);
    if (application) application->open_patience(0, 0, title.get(), "", "");
    editeur_non_affichable = 1;
    CUserPanel* own = panel ? nullptr : new CUserPanel(nullptr);
    if (own) panel = own;

    CArrayInt messys, syspag;
    calculer_tableau_messys(panel, &messys);
    progress(5);
    Page* list = create_page_allsys(&messys, 1, nullptr);
    progress(10);
    if (list) {
        const short n = list->tot_sys;
        if (sd.opti_sys)
            for (short i = 1; i <= n; i++) {
                optimiser_systeme(list->sys[i], 1, nullptr);
                progress((short)(10 + 10 * i / n));
            }
        short ma = 1;
        HeaderPass pass;
        for (short i = 1; i <= n; i++) {
            const short columns = columns_of(list, i);
            adjust_system_horizontally(list->sys[i], scalex, scaley, panel, ma, nullptr, 0);
            ma = (short)(ma + columns);
            progress((short)(20 + 70 * i / n));
        }
        calculer_tableau_syspag(list, &syspag, 1);
        progress(93);
        create_all_pages(list, &syspag, 1);
        progress(95);
        for (short p = 1; p <= doc->tot_pag; p++) adjust_page_vertically(p, 0, 0, nullptr);
        progress(100);
        liberer_liste_systemes(list);
        doc->mise_en_page_ok = 1;
    }
    delete own;
    editeur_non_affichable = 0;
    if (application) application->close_patience();
}
