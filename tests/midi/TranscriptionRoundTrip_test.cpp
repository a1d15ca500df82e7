// The two-staff test score rendered into its staves' tracks, transcribed back into notation and
// rendered again: every note sounds with the same pitch, start and end.
#include <gtest/gtest.h>

#include <vector>

#include "../layout/DrawingScore.h"
#include "midi/ScoreRender.h"
#include "midi/Transcription.h"
#include "score/MusicClasses.h"
#include "score/MusicSettings.h"
#include "score/Piste.h"
#include "TrackNotes.h"

namespace {

// Renders every column of every staff into a new track of that staff.
void render_into_tracks(Document* d) {
    for (short staff = 1; staff <= d->tot_piste; staff++) {
        CScoreRender render;
        render.reset_effets();
        detruire_piste(d->piste[staff]);
        d->piste[staff] = render.jouer_mesures(1, 4, 0, 0, staff, creer_piste(1000), 1);
        maj_rel_piste_mesures(staff);
    }
}

TEST(TranscriptionRoundTrip, TheTwoStaffScoreComesBackWithItsPitchesAndDurations) {
    init_music_classes();
    short saved_follow = follow_flags;
    follow_flags = 0;
    DrawingScore score(nullptr);
    DrawingScore::last_note(score.measure(3, 1))->flags |= 0x05;
    DrawingScore::first_note(score.measure(4, 1))->flags |= 0x0A;
    Document* d = score.d;
    render_into_tracks(d);
    std::vector<TrackNote> played = notes_of(d);
    ASSERT_EQ(played.size(), 27u);

    d->auto_quantification = 1;
    d->min_quantification = 6;
    d->detect_triolet = 1;
    d->auto_erase = 1;
    d->auto_justi = 0;
    for (short staff = 1; staff <= 2; staff++)
        for (short m = 1; m <= 4; m++) transcrire_une_mesure(m, staff, 1.0f, 1.0f, nullptr);
    // The notation alone speaks: no recorded performance, pitches and times from the written notes.
    for (short staff = 1; staff <= 2; staff++)
        for (short m = 1; m <= 4; m++) {
            CMeasure* measure = score.measure(m, staff);
            measure->change_mes_flags(0, 0x73);
            for (short i = 1; i <= measure->total(); i++)
                if (CNote* n = measure->get_note_item(i)) {
                    n->rec_start = n->rec_length = 32000;
                    n->rec_vel = -1;
                    n->pitch = n->start = n->length = 0;
                }
        }
    render_into_tracks(d);
    EXPECT_EQ(notes_of(d), played);

    // The notation differs where a track cannot tell: black keys are spelled by the preferences
    // (A sharp comes back as B flat, D flat as C sharp, G flat as F sharp), a courtesy natural is
    // not written again, and the four rests at the end of the last bass measure come back as one
    // half rest. The triplet is a tuplet again.
    short tuplets = 0;
    for (short i = 1; i <= score.measure(3, 1)->total(); i++)
        if (score.measure(3, 1)->get_nolet_item(i)) tuplets++;
    EXPECT_EQ(tuplets, 1);
    follow_flags = saved_follow;
}

}  // namespace
