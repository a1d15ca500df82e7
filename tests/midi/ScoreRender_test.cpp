// The score renderer into tracks: golden tables of the events small scores give, the set-up
// pass, staves that are not played, and the bounds the renderer keeps.
#include "midi/ScoreRender.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "RenderFixture.h"
#include "score/MusicSettings.h"

using render_test::events;
using render_test::export_staff;
using render_test::only;
using Lines = std::vector<std::string>;

namespace {

// Treble staves of `columns` 4/4 measures with their clefs, symbol rules on and score
// following off.
struct Treble : ScoreFixture {
    explicit Treble(short columns = 2, short staves = 1) : ScoreFixture(staves, columns) {
        for (short p = 1; p <= staves; p++) clef(1, p, 1);
        working_mode = 2;
        follow_flags = 0;
    }
    ~Treble() { follow_flags = saved_follow; }
    short saved_follow = follow_flags;
};

}  // namespace

// Four quarters from the bottom line up: each note's off comes before the next one's on.
TEST(ScoreRender, SequentialNotes) {
    Treble s(1);
    for (short y : {26, 23, 20, 17}) s.note(1, 1, y);
    EXPECT_EQ(export_staff(1), (Lines{"0: 90 40 40", "480: 80 40 00", "480: 90 41 40", "960: 80 41 00",
                                      "960: 90 43 40", "1440: 80 43 00", "1440: 90 45 40", "1920: 80 45 00"}));
}

// A quarter triplet in 2/4 plays 320 ticks per note; the next measure starts at 960.
TEST(ScoreRender, TripletOfQuarters) {
    Treble s(2);
    s.time(1, 1, 2, 4);
    s.triplet(1, 1, {14, 11, 8}, 3);
    s.note(2, 1, 14, 2);
    EXPECT_EQ(export_staff(1), (Lines{"0: 90 47 40", "320: 80 47 00", "320: 90 48 40", "640: 80 48 00",
                                      "640: 90 4A 40", "960: 80 4A 00", "960: 90 47 40", "1920: 80 47 00"}));
}

// A sharp holds for the measure on its step, not an octave lower nor in the next measure; a
// key signature written anywhere in a measure rules all of it and the measures after it.
TEST(ScoreRender, AccidentalsAndKeyChanges) {
    Treble s(4);
    s.note(1, 1, 2)->alt = 4;  // F sharp on the top line
    s.note(1, 1, 2);
    s.note(1, 1, 23);          // F an octave lower
    s.note(2, 1, 2);           // the next measure: F again
    s.note(3, 1, 2);
    s.key(3, 1, 1);            // G major, written after the note
    s.note(4, 1, 2);
    EXPECT_EQ(only(export_staff(1), "9"), (Lines{"0: 90 4E 40", "480: 90 4E 40", "960: 90 41 40", "1920: 90 4D 40",
                                                 "3840: 90 4E 40", "5760: 90 4E 40"}));
}

// A tie: the first note sends its on and no off, the continuation its off and no on, at the
// pitch of the tie's first note (a sharp that the next measure does not write again).
TEST(ScoreRender, TiesJoinNotes) {
    Treble s(2);
    s.note(1, 1, 14, 2);
    CNote* from = s.note(1, 1, 2, 2);
    from->alt = 4;
    CNote* to = s.note(2, 1, 2, 2);
    from->flags |= 0x05;
    to->flags |= 0x0A;
    s.note(2, 1, 17, 2);
    EXPECT_EQ(export_staff(1), (Lines{"0: 90 47 40", "960: 80 47 00", "960: 90 4E 40", "2880: 80 4E 00",
                                      "2880: 90 45 40", "3840: 80 45 00"}));
}

// A free-length measure grows to its five quarters: the next one starts at 2400.
TEST(ScoreRender, FreeLengthMeasure) {
    Treble s(2);
    s.measure(1, 1)->meas |= 0x1000;
    for (short k = 0; k < 5; k++) s.note(1, 1, 14);
    s.note(2, 1, 17);
    EXPECT_EQ(only(export_staff(1), "9").back(), "2400: 90 45 40");
    EXPECT_EQ(s.measure(1, 1)->length, 2400);
}

// The set-up pass into a track: program, the controllers that have values and the pitch bend
// when it is not centred, all at tick 0; the other staff's instrument writes nothing.
TEST(ScoreRender, SetupPassIntoATrack) {
    Treble s(1, 2);
    for (short p = 1; p <= 2; p++) {
        Ins& ins = s.d->ins[p];
        ins.bank = -1;
        ins.patch = 5;
        ins.canal = p;
        std::memset(ins.effet, 255, sizeof ins.effet);
        ins.effet[7] = 100;
        ins.effet[10] = 64;
    }
    s.d->ins[2].pitch_bend = 100;
    CScoreRender r;
    Piste* t = creer_piste(100);
    t = r.jouer_mesures(1, 1, 0, 1, 1, t, 0);
    EXPECT_EQ(events(t), (Lines{"0: C0 04", "0: B0 07 64", "0: B0 0A 40"}));
    detruire_piste(t);
    t = creer_piste(100);
    t = r.jouer_mesures(1, 1, 0, 1, 2, t, 0);
    EXPECT_EQ(events(t), (Lines{"0: C1 04", "0: B1 07 64", "0: B1 0A 40", "0: E1 64 40"}));
    detruire_piste(t);
}

// A staff that is not played, or not the soloist while another is, gets an all-notes-off on its
// own channel at the start of every column, in its own track; an instrument without a valid
// channel gets nothing.
TEST(ScoreRender, StavesNotPlayedAreSilencedInTheirTrack) {
    Treble s(2, 2);
    for (short c = 1; c <= 2; c++) s.note(c, 2, 14, 1);
    s.d->ins[2].canal = 3;
    s.d->ins[2].play = 0;
    EXPECT_EQ(export_staff(2), (Lines{"0: B2 7B 00", "1920: B2 7B 00"}));
    s.d->ins[2].play = 1;
    s.d->ins[1].solo = 1;
    EXPECT_EQ(export_staff(2), (Lines{"0: B2 7B 00", "1920: B2 7B 00"}));
    s.d->ins[2].canal = 0;
    EXPECT_EQ(export_staff(2), Lines{});
}

// The range is held to the score: column 0 starts at 1, a last column past the end is cut, a
// first after the last renders nothing.
TEST(ScoreRender, RangeIsHeldToTheScore) {
    Treble s(2);
    s.note(1, 1, 14, 1);
    s.note(2, 1, 17, 1);
    EXPECT_EQ(only(export_staff(1, 0, 50), "9"), (Lines{"0: 90 47 40", "1920: 90 45 40"}));
    EXPECT_EQ(only(export_staff(1, 2, 2), "9"), (Lines{"0: 90 45 40"}));
    EXPECT_EQ(export_staff(1, 2, 1), Lines{});
}

// Score following and lyrics into a track: markers 2 and 3 around each note (the measure's
// index high byte first, the note's item), and each sung syllable of verses 1 to 4 in the
// document's lyric table, a verse without a syllable keeping its place by a blank event.
TEST(ScoreRender, MarkersAndLyricsIntoATrack) {
    Treble s(1);
    CNote* a = s.note(1, 1, 14, 2);
    s.note(1, 1, 17, 2);
    CLyrics* l = s.lyric(1, 1, a, "abcdefghijklmn", 2);
    l->d[1] = 5;  // a hyphen after it
    follow_flags = 0x10;
    s.d->tab_lyric = (char*)calloc(2661, 12);
    s.d->tot_lyric = 0;
    s.measure(1, 1)->flags = 0;
    Lines got = export_staff(1);
    char marker[8];
    std::snprintf(marker, sizeof marker, "%02X %02X", 0, s.d->por[s.d->sys[1]->por[1]]->mes[1]);
    const std::string m = marker;
    EXPECT_EQ(got, (Lines{"0: *02 " + m + " 02", "0: 90 47 40", "0: *02 00 00 00", "0: *02 01 00 00",
                          "960: *03 " + m + " 02", "960: 80 47 00", "960: *02 " + m + " 03", "960: 90 45 40",
                          "1920: *03 " + m + " 03", "1920: 80 45 00"}));
    EXPECT_STREQ(s.d->tab_lyric + 12, "abcdefghij-");
    EXPECT_EQ(s.d->tot_lyric, 1);
}
