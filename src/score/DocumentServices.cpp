#include "score/DocumentServices.h"

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

DocumentViewHooks document_view_hooks = {
    [](View*) -> short { return 0; },
    [](View*) {},
    [](View*) {},
};

short set_cur_doc(short, short sub_id) {
    permuter_contexte(doc, sub_id);
    return 1;
}

void trouver_nouvelle_position(short*, short*, CRect*, short) {}

// ---- Playback and MIDI set-up -----------------------------------------------------------

void convertir_instrument(Ins* ins, const char* synth) {
    std::snprintf(ins->synthe, sizeof ins->synthe, "%s", synth);
}

