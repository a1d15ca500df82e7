#pragma once
// Transcribing every staff of a score with the settings a player would use, and playing a
// score's notation alone: every staff rendered into a new track of that staff, and the
// measures made to speak from their written notes only (no recorded performance, pitches and
// times taken from the notation again).

#include "midi/ScoreRender.h"
#include "midi/Transcription.h"
#include "score/CMeasure.h"
#include "score/CNote.h"
#include "score/Document.h"
#include "score/Piste.h"

// Renders columns 1..columns of every staff into a new track of that staff.
inline void render_into_tracks(Document* d, short columns) {
    for (short staff = 1; staff <= d->tot_piste; staff++) {
        CScoreRender render;
        render.reset_effets();
        detruire_piste(d->piste[staff]);
        d->piste[staff] = render.jouer_mesures(1, columns, 0, 0, staff, creer_piste(1000), 1);
        maj_rel_piste_mesures(staff);
    }
}

// Drops what the measures of columns 1..columns keep of a performance: their notes are
// played as written.
inline void notation_alone(Document* d, short columns) {
    for (short staff = 1; staff <= d->tot_piste; staff++)
        for (short m = 1; m <= columns; m++) {
            CMeasure* measure = mesure_maitre(d, m, staff);
            measure->change_mes_flags(0, 0x73);
            for (short i = 1; i <= measure->total(); i++)
                if (CNote* n = measure->get_note_item(i)) {
                    n->rec_start = n->rec_length = 32000;
                    n->rec_vel = -1;
                    n->pitch = n->start = n->length = 0;
                }
        }
}

// Transcribes columns 1..columns of every staff from their tracks: quantised to the sixteenth
// at the finest, triplets detected, the transcribed notes taken out of the tracks, no
// justification.
inline void transcribe_all(Document* d, short columns) {
    d->auto_quantification = 1;
    d->min_quantification = 6;
    d->detect_triolet = 1;
    d->auto_erase = 1;
    d->auto_justi = 0;
    for (short staff = 1; staff <= d->tot_piste; staff++)
        for (short m = 1; m <= columns; m++) transcrire_une_mesure(m, staff, 1.0f, 1.0f, nullptr);
}
