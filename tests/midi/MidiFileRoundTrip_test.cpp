// The two-staff test score exported as a Standard MIDI File, read back by Python's mido and
// imported again: every note comes back with the pitch, start and duration that the notation
// gives; transcribed, the imported tracks give the score's notation again.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "../layout/DrawingScore.h"
#include "NotationReplay.h"
#include "TrackNotes.h"
#include "midi/MidiExport.h"
#include "midi/MidiImport.h"
#include "midi/ScoreRender.h"
#include "midi/Transcription.h"
#include "score/CKeySig.h"
#include "score/CTimeSig.h"
#include "score/ScoreItems.h"
#include "score/MusicClasses.h"
#include "score/MusicSettings.h"
#include "score/Piste.h"

namespace {

const char* kReader = R"(import sys
import mido
f = mido.MidiFile(sys.argv[1])
assert f.ticks_per_beat == 480
for number, track in enumerate(f.tracks, 1):
    now = 0
    sounding = {}
    for m in track:
        now += m.time
        if m.type == 'note_on' and m.velocity > 0:
            sounding[m.note] = (now, m.velocity)
        elif m.type in ('note_off', 'note_on'):
            start, velocity = sounding.pop(m.note)
            print(number, start, m.note, now - start, velocity)
)";

using Note = std::tuple<int, int, int, int, int>;  // track, start, pitch, duration, velocity

}  // namespace

TEST(MidiFileRoundTrip, TheTwoStaffScoreReadsBackAsWritten) {
    init_music_classes();
    short saved_follow = follow_flags;
    follow_flags = 0;
    std::vector<Note> read;
    int channel[3] = {};
    {
        DrawingScore score(nullptr);
        // The tie over the fourth bar line, marked at both ends.
        DrawingScore::last_note(score.measure(3, 1))->flags |= 0x05;
        DrawingScore::first_note(score.measure(4, 1))->flags |= 0x0A;
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string dir = std::string(BRINDLECOT_TEST_OUTPUT) + "/midi-" + info->name();
        ASSERT_EQ(std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str()), 0);
        for (short k = 1; k <= 2; k++) channel[k] = score.d->ins[k].canal - 1;
        const char* why = nullptr;
        ASSERT_EQ(exporter_midi_document(score.d, (dir + "/score.mid").c_str(), 3, &why), 1) << why;
        std::ofstream(dir + "/read.py") << kReader;
        ASSERT_EQ(std::system(("/usr/bin/python3 '" + dir + "/read.py' '" + dir + "/score.mid' > '" + dir +
                               "/notes.txt'").c_str()),
                  0);
        std::ifstream in(dir + "/notes.txt");
        for (int track, start, pitch, duration, velocity; in >> track >> start >> pitch >> duration >> velocity;)
            read.push_back({track - 1, start, pitch, duration, velocity});  // after the tempo track
    }
    // Imported again: the staves' tracks hold the same notes.
    std::vector<TrackNote> imported;
    {
        ScoreFixture again(1, 1);
        again.clef(1, 1, 1);
        std::string dir = std::string(BRINDLECOT_TEST_OUTPUT) + "/midi-" +
                          ::testing::UnitTest::GetInstance()->current_test_info()->name();
        ASSERT_EQ(importer_midi(again.d, (dir + "/score.mid").c_str()), 1) << midi_import_error();
        imported = notes_of(again.d);
        // The two syllables sung under the first chords.
        ASSERT_EQ(again.d->tot_lyric, 2);
        EXPECT_STREQ(again.d->tab_lyric + 12, "Sing");
        EXPECT_STREQ(again.d->tab_lyric + 24, "on");
    }
    follow_flags = saved_follow;
    quit_music_classes();
    // D major. Staff 1 (treble): a dotted half chord B, C sharp, E; a quarter chord of A sharp,
    // C natural and D flat; four eighths, a natural D; a triplet,
    // two sixteenths, a half tied over the bar line to a whole. Staff 2 (bass): after the rests,
    // B, a flat G; D, C sharp, B, A, G and a low E; a dotted D and C sharp.
    std::vector<Note> written = {
        {1, 0, 71, 1440, 64},    {1, 0, 73, 1440, 64},    {1, 0, 76, 1440, 64},    {1, 1440, 70, 480, 64},
        {1, 1440, 72, 480, 64},  {1, 1440, 73, 480, 64},  {1, 1920, 67, 240, 64},  {1, 2160, 69, 240, 64},
        {1, 2400, 71, 240, 64},  {1, 2640, 73, 240, 64},  {1, 2880, 74, 480, 64},  {1, 3840, 71, 160, 64},
        {1, 4000, 69, 160, 64},  {1, 4160, 67, 160, 64},  {1, 4320, 66, 120, 64},  {1, 4440, 67, 120, 64},
        {1, 4800, 69, 2880, 64}, {2, 2880, 47, 480, 64},  {2, 3360, 42, 480, 64},  {2, 3840, 50, 480, 64},
        {2, 4320, 49, 240, 64},  {2, 4560, 47, 120, 64},  {2, 4680, 45, 60, 64},   {2, 4740, 43, 60, 64},
        {2, 4800, 40, 960, 64},  {2, 5760, 50, 720, 64},  {2, 6480, 49, 240, 64},
    };
    std::sort(read.begin(), read.end());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(read, written);
    std::vector<TrackNote> expected;
    for (const Note& n : written)
        expected.emplace_back(std::get<0>(n), channel[std::get<0>(n)], std::get<2>(n), std::get<1>(n),
                              std::get<1>(n) + std::get<3>(n));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(imported, expected);
}

namespace {

// The clefs, key and time signatures of every measure of the master system, in order.
std::vector<std::string> signatures(Document* d) {
    std::vector<std::string> out;
    for (short p = 1; p <= d->sys[1]->tot_por; p++)
        for (short m = 1; m <= d->por[d->sys[1]->por[p]]->tot_mes; m++) {
            CMeasure* measure = mesure_maitre(d, m, p);
            const std::string at = std::to_string(p) + "/" + std::to_string(m) + " ";
            for (short i = 1; i <= measure->total(); i++) {
                if (CClef* c = measure->get_clef_item(i)) out.push_back(at + "clef " + std::to_string(c->id));
                if (CKeySig* k = measure->get_keysig_item(i)) out.push_back(at + "key " + std::to_string(k->value));
                if (CTimeSig* t = measure->get_timesig_item(i))
                    out.push_back(at + "time " + std::to_string(t->upper[1]) + "/" + std::to_string(t->lower[1]));
            }
        }
    return out;
}

}  // namespace

// Exported, imported into a new score and transcribed, the two-staff score is the same music as
// notation: its staves, measures, clefs and signatures, its triplet as a tuplet, and its notes,
// played from the written notation alone, at the same pitches, starts and ends.
TEST(MidiFileRoundTrip, TheTwoStaffScoreComesBackAsNotation) {
    init_music_classes();
    short saved_follow = follow_flags;
    follow_flags = 0;
    const std::string dir = std::string(BRINDLECOT_TEST_OUTPUT) + "/midi-" +
                            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ASSERT_EQ(std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str()), 0);
    std::vector<TrackNote> played;
    std::vector<std::string> written;
    {
        DrawingScore score(nullptr);
        DrawingScore::last_note(score.measure(3, 1))->flags |= 0x05;
        DrawingScore::first_note(score.measure(4, 1))->flags |= 0x0A;
        const char* why = nullptr;
        ASSERT_EQ(exporter_midi_document(score.d, (dir + "/score.mid").c_str(), 3, &why), 1) << why;
        written = signatures(score.d);
        render_into_tracks(score.d, 4);
        played = notes_of(score.d);
    }
    ScoreFixture again(1, 1);
    again.clef(1, 1, 1);
    Document* d = again.d;
    ASSERT_EQ(importer_midi(d, (dir + "/score.mid").c_str()), 1) << midi_import_error();
    ASSERT_EQ(d->sys[1]->tot_por, 2);
    const short columns = d->por[d->sys[1]->por[1]]->tot_mes;
    EXPECT_EQ(columns, 4);
    transcribe_all(d, columns);
    EXPECT_EQ(signatures(d), written);
    short tuplets = 0;
    for (short i = 1; i <= again.measure(3, 1)->total(); i++)
        if (again.measure(3, 1)->get_nolet_item(i)) tuplets++;
    EXPECT_EQ(tuplets, 1) << "the triplet";
    notation_alone(d, columns);
    render_into_tracks(d, columns);
    EXPECT_EQ(notes_of(d), played);
    follow_flags = saved_follow;
    quit_music_classes();
}
