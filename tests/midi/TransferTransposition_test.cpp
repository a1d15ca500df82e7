// Notation back into tracks, and the transposition of a measure: notes, accidentals, pitches,
// the measure's events in the track and the chords of the column.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "midi/TrackTransfer.h"
#include "midi/Transposition.h"
#include "TranscriptionFixture.h"
#include "RenderFixture.h"

namespace {

using Lines = std::vector<std::string>;


TEST(TrackTransfer, NotesBecomeEventsAtTheirTicks) {
    struct Case {
        const char* what;
        void (*build)(ScoreFixture&);
        short columns;  // transferred in order, 1..columns of staff 1
        Lines expected;
    } cases[] = {
        {"three quarters in the second measure",
         [](ScoreFixture& s) {
             for (short k = 0; k < 3; k++) s.note(2, 1, 20);
         },
         2,
         {"1920: 90 43 40", "2400: 80 43 40", "2400: 90 43 40", "2880: 80 43 40", "2880: 90 43 40",
          "3360: 80 43 40"}},
        {"a half tied to a quarter over the bar: one Note On, one Note Off",
         [](ScoreFixture& s) {
             s.rest(1, 1, 2);
             s.note(1, 1, 20, 2)->flags |= 1;
             s.note(2, 1, 20, 3)->flags |= 2;
         },
         2,
         {"960: 90 43 40", "2400: 80 43 40"}},
        {"a recorded start and length replace the notated ones",
         [](ScoreFixture& s) {
             CNote* n = s.note(2, 1, 20);
             n->rec_start = 30;
             n->rec_length = 400;
         },
         2,
         {"1950: 90 43 40", "2350: 80 43 40"}},
        {"on a percussion staff the key is the map's entry for the written pitch",
         [](ScoreFixture& s) {
             s.d->ins[1].percu = 1;
             for (short i = 0; i < 128; i++) s.d->ins[1].map[i] = (unsigned char)i;
             s.d->ins[1].map[67] = 42;
             s.note(1, 1, 20);
         },
         1,
         {"0: 90 2A 40", "480: 80 2A 40"}},
    };
    for (const Case& c : cases) {
        ScoreFixture score(1, 2);
        score.d->ins[1].velocity = 64;
        c.build(score);
        for (short m = 1; m <= c.columns; m++) transfert_mesure_piste(m, 1);
        EXPECT_EQ(render_test::events(score.d->piste[1]), c.expected) << c.what;
    }
}

TEST(TrackTransfer, TransferringAMeasureTwiceAddsItsEventsTwice) {
    ScoreFixture score(1, 1);
    score.d->ins[1].velocity = 64;
    score.note(1, 1, 20, 1);
    transfert_mesure_piste(1, 1);
    transfert_mesure_piste(1, 1);
    EXPECT_EQ(render_test::events(score.d->piste[1]),
              (Lines{"0: 90 43 40", "0: 90 43 40", "1920: 80 43 40", "1920: 80 43 40"}));
}

TEST(Transposition, IntervalTable) {
    const short table[8][6] = {{0, -1, 0, 0, 0, 1},  {2, 0, 1, 2, 2, 3},    {4, 2, 3, 4, 4, 5},
                               {5, 4, 5, 5, 5, 6},   {7, 6, 7, 7, 7, 8},    {9, 7, 8, 9, 9, 10},
                               {11, 9, 10, 11, 11, 12}, {12, 11, 12, 12, 12, 13}};
    for (short v = 1; v <= 8; v++)
        for (short t = 1; t <= 6; t++) EXPECT_EQ(demi_tons_intervalle(v, t), table[v - 1][t - 1]) << v << "/" << t;
    EXPECT_EQ(demi_tons_intervalle(0, 4), -1000);
    EXPECT_EQ(demi_tons_intervalle(9, 4), -1000);
    EXPECT_EQ(demi_tons_intervalle(3, 7), -1000);
}

struct Written {
    short y, alt, pitch;
    bool operator==(const Written& o) const { return y == o.y && alt == o.alt && pitch == o.pitch; }
};
std::ostream& operator<<(std::ostream& os, const Written& w) {
    return os << "(y " << w.y << ", alt " << w.alt << ", pitch " << w.pitch << ")";
}

TEST(Transposition, NotesMoveByStepsAndTakeTheAccidentalsTheIntervalNeeds) {
    struct Case {
        const char* what;
        short sharps, valeur, type, sens, octave;
        std::vector<Written> before, after;
    } cases[] = {
        {"C major, a minor third up: E to G, F to A flat, the second F to A flat without a sign", 0, 3, 3, 1, 0,
         {{26, 0, 64}, {23, 0, 65}, {23, 0, 65}},
         {{20, 0, 67}, {17, 2, 68}, {17, 0, 68}}},
        {"G major, a major second up: C to D, F sharp to G sharp with its sign", 1, 2, 4, 1, 0,
         {{11, 0, 72}, {2, 0, 78}},
         {{8, 0, 74}, {-1, 4, 80}}},
        {"C major, an augmented unison: F sharp, then F without a sign, then F sharp to F double sharp", 0, 1, 6, 1,
         0,
         {{23, 0, 65}, {23, 0, 65}, {23, 4, 66}},
         {{23, 4, 66}, {23, 0, 66}, {23, 5, 67}}},
        {"quality 1 moves by steps and keeps the written accidental", 0, 3, 1, 1, 0,
         {{26, 2, 63}},
         {{20, 2, 67}}},
        {"an octave and a fifth down", 0, 5, 5, 2, 1,
         {{20, 0, 67}},
         {{53, 0, 48}}},
        {"a pitch near the top stays in the MIDI range", 0, 5, 5, 1, 0,
         {{-40, 0, 125}},
         {{-52, 0, 127}}},
    };
    for (const Case& c : cases) {
        ScoreFixture score(1, 1);
        if (c.sharps) score.key(1, 1, c.sharps);
        std::vector<CNote*> notes;
        for (const Written& w : c.before) {
            CNote* n = score.note(1, 1, w.y);
            n->alt = w.alt;
            n->pitch = w.pitch;
            notes.push_back(n);
        }
        score.d->valeur_intervalle = c.valeur;
        score.d->type_intervalle = c.type;
        score.d->sens_intervalle = c.sens;
        score.d->octave_intervalle = c.octave;
        transposer_une_mesure(1, 1, 0);
        std::vector<Written> after;
        for (CNote* n : notes) after.push_back({n->y, n->alt, n->pitch});
        EXPECT_EQ(after, c.after) << c.what;
    }
}

TEST(Transposition, TheMeasuresNotesMoveInTheTrackWithTheirNoteOffs) {
    PlayedScore score(1, 2);
    score.note(1, 1, 20, 1);
    score.play(1, 960, 2400, 67);         // ends in the next measure
    score.play(1, 1000, 1200, 125);       // held in range
    score.play(1, 1920 + 100, 2300, 60);  // the next measure's own note
    score.relate();
    score.d->valeur_intervalle = 5;
    score.d->type_intervalle = 5;
    transposer_une_mesure(1, 1, 0);
    EXPECT_EQ(render_test::events(score.d->piste[1]),
              (Lines{"960: 90 4A 50", "1000: 90 7F 50", "1200: 80 7F 00", "2020: 90 3C 50", "2300: 80 3C 00",
                     "2400: 80 4A 00"}));
}

TEST(Transposition, AnIntervalOutsideTheTableChangesNothing) {
    ScoreFixture score(1, 1);
    CNote* n = score.note(1, 1, 20);
    score.d->valeur_intervalle = 9;
    score.d->type_intervalle = 4;
    transposer_une_mesure(1, 1, 1);
    EXPECT_EQ(n->y, 20);
    EXPECT_EQ(n->pitch, 67);
    score.d->valeur_intervalle = 2;
    score.d->type_intervalle = 0;
    transposer_une_mesure(1, 1, 1);
    EXPECT_EQ(n->y, 20);
}

}  // namespace
