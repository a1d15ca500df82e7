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
#include "NotationReplay.h"
#include "TrackNotes.h"

namespace {

TEST(TranscriptionRoundTrip, TheTwoStaffScoreComesBackWithItsPitchesAndDurations) {
    init_music_classes();
    short saved_follow = follow_flags;
    follow_flags = 0;
    DrawingScore score(nullptr);
    DrawingScore::last_note(score.measure(3, 1))->flags |= 0x05;
    DrawingScore::first_note(score.measure(4, 1))->flags |= 0x0A;
    Document* d = score.d;
    render_into_tracks(d, 4);
    std::vector<TrackNote> played = notes_of(d);
    ASSERT_EQ(played.size(), 27u);

    transcribe_all(d, 4);
    // The notation alone speaks: no recorded performance, pitches and times from the written notes.
    notation_alone(d, 4);
    render_into_tracks(d, 4);
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
