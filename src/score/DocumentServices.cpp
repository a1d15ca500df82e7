#include "score/DocumentServices.h"

#include "score/Document.h"
#include "score/Synthe.h"

#include <cstdio>
#include <cstring>

#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/Extracts.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"
#include "score/Records.h"

// ---- Supervisor and working mode ---------------------------------------------------------

short working_mode = 2;

// ---- Views -------------------------------------------------------------------------------

DocumentViewHooks default_document_view_hooks() {
    DocumentViewHooks h{};
    h.get_type = [](View*) -> short { return 0; };
    h.calculer_page_0 = [](View*) {};
    h.invalider_lineaire = [](View*) {};
    h.dirty_page_lin = [](View*) {};
    return h;
}
DocumentViewHooks document_view_hooks = default_document_view_hooks();

short set_cur_doc(short, short sub_id) {
    permuter_contexte(doc, sub_id);
    return 1;
}

void trouver_nouvelle_position(short*, short*, CRect*, short) {}

// ---- Playback and MIDI set-up -----------------------------------------------------------

void convertir_instrument(Ins* ins, const char* synth) {
    // The sound of the instrument in its present definition: its common number and group.
    short id = 0, group = 0;
    if (Synthe* from = get_synthe(ins->synthe))
        for (short k = 1; k <= from->tot_instr; k++) {
            const Instrument& r = from->instr[k];
            if (r.num == ins->patch && (ins->groupe == 0 || r.groupe == ins->groupe)) {
                id = r.id;
                group = r.groupe;
                break;
            }
        }
    Synthe* to = id ? get_synthe(synth) : nullptr;
    const Instrument* found = nullptr;
    for (short k = 1; to && !found && k <= to->tot_instr; k++)
        if (to->instr[k].id == id && to->instr[k].groupe == group) found = &to->instr[k];
    for (short k = 1; to && !found && k <= to->tot_instr; k++)
        if (to->instr[k].id == id) found = &to->instr[k];
    // A variant (above 128) falls back on its base sound.
    for (short base = (short)(id - 128); to && !found && base >= 1; base = (short)(base - 128))
        for (short k = 1; !found && k <= to->tot_instr; k++)
            if (to->instr[k].id == base) found = &to->instr[k];
    if (found) {
        ins->groupe = found->groupe;
        ins->patch = found->num;
        ins->bank = found->bank;
    }
    std::snprintf(ins->synthe, sizeof ins->synthe, "%s", synth);
}

