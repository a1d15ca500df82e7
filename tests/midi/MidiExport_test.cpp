#include "midi/MidiExport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <vector>

#include "SmfBuilder.h"
#include "TrackNotes.h"
#include "framework/CApplication.h"
#include "midi/MidiImport.h"
#include "platform/TempFolder.h"
#include "score/ScoreFixture.h"

namespace {

using Note = TrackNote;

// Two staves: a melody in 3/4 with a key, a tempo change and lyrics, and a bass line whose
// notes overlap the bar lines.
Bytes two_staff_song() {
    SmfTrack tempo, melody, bass;
    tempo.tempo(0, 500000).time_sig(0, 3, 2).key_sig(0, -1, 0).tempo(1440 * 2, 600000).end();
    melody.text(0, 0x03, "Chant").program(0, 0, 73).cc(0, 0, 7, 100);
    int pitches[] = {65, 67, 69, 70, 72, 74, 72, 70, 69, 67, 65, 64};
    for (int i = 0; i < 12; i++) {
        if (i % 3 == 0) melody.text(0, 0x05, i % 2 ? "la" : "lu");
        melody.note(0, 0, pitches[i], 480);
    }
    bass.text(0, 0x03, "Basse").program(0, 1, 32);
    bass.note(240, 1, 41, 960).note(0, 1, 36, 1440).note(0, 1, 43, 960).end();
    return smf(1, 480, {tempo, melody.end(), bass});
}

class MidiExport : public ::testing::Test {
protected:
    // Imports the bytes into a new score owned by the test.
    Document* imported(const Bytes& b, const std::string& name) {
        write_bytes(folder / name, b);
        return import_file(folder / name);
    }
    Document* import_file(const std::string& path) {
        scores.emplace_back(new ScoreFixture(1, 1));
        ScoreFixture& s = *scores.back();
        s.clef(1, 1, 1);
        EXPECT_EQ(importer_midi(s.d, path.c_str()), 1) << midi_import_error();
        // No soloists, as opening the file as a composition leaves the staves it does not
        // transcribe: every staff plays its track.
        for (short n = 1; n <= s.d->tot_ins; n++) s.d->ins[n].in_roll &= ~3;
        doc = s.d;
        return s.d;
    }
    Bytes read(const std::string& path) {
        std::ifstream f(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(f), {});
    }
    TempFolder folder;
    std::vector<std::unique_ptr<ScoreFixture>> scores;
};

TEST_F(MidiExport, RoundTripKeepsNotesTempoSignaturesAndLyrics) {
    Document* first = imported(two_staff_song(), "song.mid");
    std::vector<Note> before = notes_of(first);
    ASSERT_EQ(before.size(), 15u);
    for (short kind : {1, 3}) {
        SCOPED_TRACE(kind);
        std::string out = folder / ("out" + std::to_string(kind) + ".MID");
        const char* why = nullptr;
        ASSERT_EQ(exporter_midi_document(first, out.c_str(), kind, &why), 1) << why;
        Document* again = import_file(out);
        std::vector<Note> after = notes_of(again);
        if (kind == 1)  // one track: the file's channels make the staves again
            for (Note& n : before) std::get<0>(n) = std::get<1>(n) + 1;
        EXPECT_EQ(after, before);
        EXPECT_EQ(again->tempo, 120);
        EXPECT_EQ(mesure_maitre(again, 1, 1)->length, 1440);
        EXPECT_EQ(again->tot_lyric, 4);
        EXPECT_STREQ(again->tab_lyric + 12, "lu");
        EXPECT_EQ(again->ins[1].patch - first->ins[1].patch, 0);
        EXPECT_EQ(again->ins[1].effet[7], 100);
        if (kind == 3) {
            EXPECT_STREQ(again->ins[2].nom, "Basse");
        }
        int tempo_events = 0;
        for (short i = 1; i <= again->piste[1]->tot; i++) {
            const MidiEvent& e = again->piste[1]->event[i];
            if (e.buf[0] == 1 && e.buf[3] == 0) {
                tempo_events++;
                EXPECT_EQ(e.time, 2880);
                EXPECT_EQ(e.buf[1] * 256 + e.buf[2], 100);
            }
        }
        EXPECT_EQ(tempo_events, 1);
    }
}

TEST_F(MidiExport, WritesTheLayoutOfEachKind) {
    Document* d = imported(two_staff_song(), "song.mid");
    std::string out = folder / "k.MID";
    const char* why;
    struct Case {
        short kind;
        unsigned char format, tracks;
    };
    for (Case c : {Case{1, 0, 1}, Case{2, 0, 1}, Case{3, 1, 3}}) {
        const short boxes = application->shown.patience_opened;
        ASSERT_EQ(exporter_midi_document(d, out.c_str(), c.kind, &why), 1);
        // The export shows its progress in a box of its own, closed when the file is written.
        EXPECT_EQ(application->shown.patience_opened, boxes + 1) << c.kind;
        EXPECT_EQ(application->dial_patience, nullptr) << c.kind;
        Bytes b = read(out);
        ASSERT_GE(b.size(), 22u);
        const Bytes head = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, c.format, 0, c.tracks, 0x01, 0xE0};
        EXPECT_EQ(Bytes(b.begin(), b.begin() + 14), head) << c.kind;
        // First track: the tempo of 120, then the name.
        const Bytes start = {'M', 'T', 'r', 'k'};
        EXPECT_EQ(Bytes(b.begin() + 14, b.begin() + 18), start);
        const Bytes tempo = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};
        EXPECT_EQ(Bytes(b.begin() + 22, b.begin() + 29), tempo);
        // A tempo map holds no notes; the other kinds hold all 15.
        EXPECT_EQ(notes_of(import_file(out)).size(), c.kind == 2 ? 0u : 15u) << c.kind;
        EXPECT_EQ(Bytes(b.end() - 3, b.end()), (Bytes{0xFF, 0x2F, 0x00}));
    }
}

TEST_F(MidiExport, ReadByAnotherProgram) {
    Document* d = imported(two_staff_song(), "song.mid");
    std::string out = folder / "mido.MID";
    const char* why;
    ASSERT_EQ(exporter_midi_document(d, out.c_str(), 3, &why), 1);
    std::string script = folder / "read.py";
    std::ofstream(script) << "import sys, mido\n"
                             "f = mido.MidiFile(sys.argv[1])\n"
                             "print('type', f.type, 'tracks', len(f.tracks), 'tpq', f.ticks_per_beat)\n"
                             "for i, t in enumerate(f.tracks):\n"
                             "    now = 0\n"
                             "    for m in t:\n"
                             "        now += m.time\n"
                             "        if m.type == 'set_tempo': print(i, now, 'tempo', m.tempo)\n"
                             "        if m.type == 'time_signature': print(i, now, 'time', m.numerator, m.denominator)\n"
                             "        if m.type == 'key_signature': print(i, now, 'key', m.key)\n"
                             "        if m.type == 'note_on' and m.velocity: print(i, now, 'note', m.channel, m.note)\n"
                             "        if m.type == 'lyrics': print(i, now, 'lyric', m.text)\n";
    std::string listing = folder / "listing.txt";
    ASSERT_EQ(std::system(("/usr/bin/python3 '" + script + "' '" + out + "' > '" + listing + "'").c_str()), 0);
    std::ifstream in(listing);
    std::stringstream s;
    s << in.rdbuf();
    std::string text = s.str();
    for (const char* line : {"type 1 tracks 3 tpq 480\n", "0 0 tempo 500000\n", "0 0 time 3 4\n", "0 0 key F\n",
                             "0 2880 tempo 600000\n", "1 0 time 3 4\n", "1 0 note 0 65\n", "1 5280 note 0 64\n",
                             "1 0 lyric lu\n", "2 240 note 1 41\n", "2 1200 note 1 36\n", "2 2640 note 1 43\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "in:\n" << text;
}

TEST_F(MidiExport, FailureLeavesNoFileBehind) {
    Document* d = imported(two_staff_song(), "song.mid");
    const char* why = nullptr;
    std::string out = folder / "missing/folder/x.MID";
    EXPECT_EQ(exporter_midi_document(d, out.c_str(), 3, &why), 0);
    EXPECT_NE(why, nullptr);
    struct stat st;
    EXPECT_NE(stat(out.c_str(), &st), 0);
    EXPECT_NE(stat((out + ".part").c_str(), &st), 0);
}

TEST_F(MidiExport, StopsAfterTheLastUsedColumnAndFollowsRepeats) {
    SmfTrack t;
    t.time_sig(0, 4, 2).note(0, 0, 60, 480).note(3360, 0, 62, 480).end(1920 * 4);  // columns 1 and 3
    Document* d = imported(smf(0, 480, {t}), "r.mid");
    ASSERT_EQ(d->por[d->sys[1]->por[1]]->tot_mes, 3);
    // Column 2 sends play back to column 1 once: columns 1, 2, 1, 2, 3.
    CRepeat* r = new CRepeat;
    r->next[1] = 1;
    mesure_maitre(d, 2, 1)->add(r);
    std::string out = folder / "r.MID";
    const char* why;
    ASSERT_EQ(exporter_midi_document(d, out.c_str(), 1, &why), 1);
    Document* again = import_file(out);
    const std::vector<Note> expected = {{1, 0, 60, 0, 480}, {1, 0, 60, 3840, 4320}, {1, 0, 62, 7680, 8160}};
    EXPECT_EQ(notes_of(again), expected);
    EXPECT_EQ(again->por[again->sys[1]->por[1]]->tot_mes, 5);  // nothing after the last note
}

TEST_F(MidiExport, ScoreFollowingMarkersAreNotLyrics) {
    SmfTrack t;
    t.text(0, 0x05, "do").note(0, 0, 60, 480).end();
    Document* d = imported(smf(0, 480, {t}), "m.mid");
    // Markers of a note's start and end (the fourth byte names the note) next to the lyric.
    char start[4] = {2, 1, 0, 3}, end[4] = {3, 1, 0, 3};
    d->piste[1] = inserer_dans_piste(0, 4, start, d->piste[1]);
    d->piste[1] = inserer_dans_piste(480, 4, end, d->piste[1]);
    std::string out = folder / "m.MID";
    const char* why;
    ASSERT_EQ(exporter_midi_document(d, out.c_str(), 1, &why), 1);
    Bytes b = read(out);
    int lyrics = 0;
    for (size_t i = 0; i + 1 < b.size(); i++) lyrics += b[i] == 0xFF && b[i + 1] == 0x05;
    EXPECT_EQ(lyrics, 1);  // the lyric sung before its note, and no marker
    EXPECT_EQ(notes_of(import_file(out)).size(), 1u);
}

TEST(MidiExportPath, OnlyTheExtensionChanges) {
    const std::pair<const char*, const char*> cases[] = {
        {"/home/a/Songs/song.mid", "/home/a/Songs/song.MID"}, {"/home/a/song", "/home/a/song.MID"},
        {"/home/a/song.midi", "/home/a/song.MIDI"},           {"/home/a.mid/song", "/home/a.mid/song.MID"},
        {"/x/song.txt", "/x/song.txt.MID"},
    };
    for (auto [chosen, written] : cases) {
        char out[256];
        midi_export_path(chosen, out, sizeof out);
        EXPECT_STREQ(out, written);
    }
}

TEST(MidiExportVarLen, WritesOneToFourBytes) {
    const std::pair<int32_t, Bytes> cases[] = {
        {0, {0x00}}, {127, {0x7F}}, {128, {0x81, 0x00}}, {480, {0x83, 0x60}}, {268435455, {0xFF, 0xFF, 0xFF, 0x7F}}};
    for (const auto& [value, bytes] : cases) {
        char buffer[8] = {};
        FILE* f = fmemopen(buffer, sizeof buffer, "wb");
        EXPECT_EQ(write_var_len(value, f), (short)bytes.size());
        std::fclose(f);
        EXPECT_EQ(Bytes(buffer, buffer + bytes.size()), bytes) << value;
    }
}

}  // namespace
