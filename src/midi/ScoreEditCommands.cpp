#include "midi/ScoreEditCommands.h"

#include "editor/Editeur.h"
#include "framework/CUndoManager.h"
#include "framework/CUserPanel.h"
#include "layout/StructureEditing.h"
#include "layout/UtilitairesPartition.h"
#include "midi/BlockCommands.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/MusicGlobals.h"

namespace {

// The undo manager of the editor's extract.
CUndoManager* undo_of(Editeur* e) {
    if (doc && doc->sub_doc && e->sub_id >= 1 && e->sub_id <= doc->tot_sub_doc && doc->sub_doc[e->sub_id].undo)
        return doc->sub_doc[e->sub_id].undo;
    return e->undo;
}

CUndoManager* level(Editeur* e, short operation) {
    CUndoManager* u = undo_of(e);
    if (u) u->new_level(operation, 3);
    return u;
}

// The commands that run over the selection take the whole score when nothing is selected.
class Block {
public:
    explicit Block(Editeur* e) : e(e) {
        if (e->selection_vide()) {
            e->tout_selectionner();
            whole = true;
        }
    }
    ~Block() {
        if (whole) e->nouvelle_selection_mesures(0, 0, 0, 0, 1);
    }

private:
    Editeur* e;
    bool whole = false;
};

// The column and staff the editor works at: the selection's first measure, else the current
// measure on the first staff.
void place(Editeur* e, short* column, short* staff) {
    *column = e->sel_first_m;
    *staff = e->sel_first_p;
    if (*column >= 1 && *staff >= 1) return;
    const short columns = nombre_colonnes();
    *column = doc->cur_mes < 1 ? (short)1 : doc->cur_mes > columns ? columns : doc->cur_mes;
    *staff = 1;
}

}  // namespace

short commande_edition(Editeur* e, int32_t id) {
    if (id < CMD_COPIER_MESURES || id > CMD_JUSTIFIER) return 0;
    if (!e || !set_cur_doc(e->id, e->sub_id) || !doc || !doc->sys || !doc->sys[1] || nombre_colonnes() < 1) return 1;
    short column = 1, staff = 1;
    switch (id) {
    case CMD_COPIER_MESURES: e->copier_editeur(); break;
    case CMD_COLLER_MESURES:
        place(e, &column, &staff);
        e->coller_glisser_edit(column, staff, 1);
        break;
    case CMD_EFFACER_MESURES: e->effacer_editeur(0); break;
    case CMD_AJOUTER_EFFACER: {
        place(e, &column, &staff);
        const short measure = doc->por[doc->sys[1]->por[staff]]->mes[column];
        ajouter_effacer_mesures(measure, 1.0f, 1.0f, e->up, 1, 0, 0, 1);
        e->nouvelle_selection_mesures(0, 0, 0, 0, 1);
        e->dirty_page_lin();
        break;
    }
    case CMD_TRANSPOSER: {
        Block block(e);
        transposer_proc(e, level(e, UNDO_OP_TRANSPOSER));
        break;
    }
    case CMD_TRANSCRIRE: {
        Block block(e);
        transcrire_proc(e, level(e, UNDO_OP_TRANSCRIRE));
        break;
    }
    case CMD_REGENERER_PISTES: {
        Block block(e);
        detranscrire_proc(e, level(e, UNDO_OP_REGENERER), 0);
        break;
    }
    case CMD_JUSTIFIER: {
        Block block(e);
        justifier_proc(e, level(e, UNDO_OP_JUSTIFIER));
        break;
    }
    default: break;
    }
    if (e->up) e->up->dirty(1);
    return 1;
}
