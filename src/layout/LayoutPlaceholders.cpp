#include "layout/LayoutPlaceholders.h"

#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"

void conversion_graphique_midi(short, short, short) {}

void ajuster_mesure_libre(short m) {
    CMeasure* first = doc ? mesure_maitre(doc, m, 1) : nullptr;
    if (!first || !(first->meas & 0x1000)) return;
    int32_t longest = 0;
    for (short p = 1; p <= doc->sys[1]->tot_por; p++)
        if (CMeasure* measure = mesure_maitre(doc, m, p))
            if (measure->length > longest) longest = measure->length;
    for (short p = 1; p <= doc->sys[1]->tot_por; p++) {
        CMeasure* measure = mesure_maitre(doc, m, p);
        if (!measure || measure->length >= longest) continue;
        measure->length = longest;
        if (measure->length_beat > 0) measure->tot_beat = (short)(longest / measure->length_beat);
    }
}

void ajuster_paroles(short, short) {}

