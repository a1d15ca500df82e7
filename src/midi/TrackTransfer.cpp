#include "midi/TrackTransfer.h"

#include "layout/MidiConversion.h"
#include "layout/UtilitairesPartition.h"
#include "layout/VoiceAssignment.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/Piste.h"

void transfert_mesure_piste(short m, short p) {
    Document* d = doc;
    if (!d || p < 1 || p > d->tot_piste || !d->piste[p]) return;
    CMeasure* measure = mesure_maitre(d, m, p);
    if (!measure) return;
    assigner_voix_mesure(m, p);
    conversion_graphique_midi(m, p, 1);
    verifier_tenues_notes(m, p);
    int32_t offset = 0;
    for (short c = 1; c < m; c++)
        if (CMeasure* before = mesure_maitre(d, c, p)) offset += before->length;
    const Ins* ins = p <= d->tot_ins ? &d->ins[p] : nullptr;
    for (short i = 1; i <= measure->total(); i++) {
        CNote* n = measure->get_note_item(i);
        if (!n) continue;
        short pitch = n->pitch < 0 ? 0 : n->pitch > 127 ? 127 : n->pitch;
        unsigned char key = (unsigned char)(ins && ins->percu ? ins->map[pitch] & 0x7F : pitch);
        int32_t on = (n->rec_start != 32000 ? n->rec_start : n->start) + offset;
        int32_t off = on + (n->rec_length != 32000 ? n->rec_length : n->length);
        unsigned char velocity = (unsigned char)(n->velocity < 0 ? 0 : n->velocity > 127 ? 127 : n->velocity);
        if ((n->flags & 0x0A) != 0x0A) {
            char bytes[3] = {(char)0x90, (char)key, (char)velocity};
            d->piste[p] = inserer_dans_piste(on, 3, bytes, d->piste[p]);
        }
        if ((n->flags & 0x05) != 0x05) {
            char bytes[3] = {(char)0x80, (char)key, (char)velocity};
            d->piste[p] = inserer_dans_piste(off, 3, bytes, d->piste[p]);
        }
    }
}
