#include "midi/MidiImport.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>
#include <string>

#include "SmfBuilder.h"
#include "platform/TempFolder.h"
#include "score/ScoreFixture.h"
#include "score/Synthe.h"

namespace {

// A template score (one staff of one measure with a treble clef) and a file to import into it.
class MidiImport : public ::testing::Test {
protected:
    short import(const Bytes& b, const std::string& name = "song.mid") {
        write_bytes(folder / name, b);
        return importer_midi(score.d, (folder / name).c_str());
    }
    Document* d() { return score.d; }
    short staves() { return d()->sys[1]->tot_por; }
    short columns(short staff = 1) { return d()->por[d()->sys[1]->por[staff]]->tot_mes; }
    CMeasure* m(short column, short staff) { return mesure_maitre(d(), column, staff); }
    Piste* track(short s) { return d()->piste[s]; }
    template <class T>
    int count(short column, short staff) {
        int n = 0;
        for (short i = 1; i <= m(column, staff)->total(); i++) n += object_as<T>(m(column, staff)->get_item(i)) != nullptr;
        return n;
    }
    short clef_of(short staff) {
        CMeasure* first = m(1, staff);
        short id = 1;
        for (short i = 1; i <= first->total(); i++)
            if (CClef* c = first->get_clef_item(i)) id = c->id;
        return id;
    }

    void SetUp() override { score.clef(1, 1, 1); }

    TempFolder folder;
    ScoreFixture score{1, 1};
};

// Quarter notes at pitch p on channel ch, `n` of them in a row.
SmfTrack& quarters(SmfTrack& t, int ch, int p, int n) {
    for (int i = 0; i < n; i++) t.note(0, ch, p, 480);
    return t;
}

struct Fixture {
    const char* what;
    Bytes file;
    short staves, columns;
    int32_t length;          // of every measure
    short tempo;  // 0: the file gives none, the format's 120
    std::vector<short> canal;  // by staff
    std::vector<short> clef;   // by staff
};

std::vector<Fixture> fixtures() {
    std::vector<Fixture> f;
    {  // Format 0, three channels: high notes, low notes, percussion.
        SmfTrack t;
        t.tempo(0, 500000);
        for (int i = 0; i < 8; i++) t.on(0, 0, 72).on(0, 1, 40).on(0, 9, 36).off(480, 0, 72).off(0, 1, 40).off(0, 9, 36);
        f.push_back({"format 0, channels", smf(0, 480, {t.end()}), 3, 2, 1920, 120, {1, 2, 10}, {1, 2, 2}});
    }
    {  // Format 1: tempo track, then two tracks.
        SmfTrack tempo, a, b;
        tempo.tempo(0, 400000).time_sig(0, 4, 2).tempo(1920, 500000).end();
        quarters(a, 0, 67, 12).end();
        quarters(b, 1, 43, 4).end();
        f.push_back({"format 1, tempo track", smf(1, 480, {tempo, a, b}), 2, 3, 1920, 150, {1, 2}, {1, 2}});
    }
    for (auto [nn, dd, length] : {std::tuple{3, 2, 1440}, {6, 3, 1440}, {2, 1, 1920}}) {
        SmfTrack t;
        t.time_sig(0, nn, dd);
        quarters(t, 0, 64, length / 480 * 3).end();  // three measures
        f.push_back({"signature", smf(0, 480, {t}), 1, 3, length, 0, {1}, {1}});
    }
    {  // RMID, and a division of 96; channel 1 keeps staff 1, empty.
        SmfTrack t;
        for (int i = 0; i < 4; i++) t.note(0, 4, 50, 96);
        f.push_back({"rmid", rmid(smf(0, 96, {t.end()}), 3), 2, 1, 1920, 0, {1, 5}, {1, 2}});
    }
    return f;
}

TEST_F(MidiImport, FixturesGiveTheirStavesMeasuresAndInstruments) {
    for (const Fixture& fx : fixtures()) {
        SCOPED_TRACE(fx.what);
        ScoreFixture fresh(1, 1);
        fresh.clef(1, 1, 1);
        write_bytes(folder / "f.mid", fx.file);
        ASSERT_EQ(importer_midi(fresh.d, (folder / "f.mid").c_str()), 1) << midi_import_error();
        Document* own = score.d;
        score.d = fresh.d;  // the helpers look at this one
        EXPECT_EQ(staves(), fx.staves);
        EXPECT_EQ(d()->tot_piste, fx.staves);
        EXPECT_EQ(d()->tempo, fx.tempo ? fx.tempo : 120);
        for (short s = 1; s <= staves(); s++) {
            EXPECT_EQ(columns(s), fx.columns) << "staff " << s;
            for (short c = 1; c <= columns(s); c++) EXPECT_EQ(m(c, s)->length, fx.length);
            EXPECT_EQ(d()->ins[s].canal, fx.canal[s - 1]) << "staff " << s;
            EXPECT_EQ(clef_of(s), fx.clef[s - 1]) << "staff " << s;
        }
        score.d = own;
    }
}

TEST_F(MidiImport, FormatOneSpreadsTracksAndKeepsLaterTempos) {
    SmfTrack tempo, a, b;
    tempo.tempo(0, 500000).time_sig(0, 3, 2).key_sig(0, 2, 0).tempo(1440, 250000).end();
    a.text(0, 0x03, "Violon solo pour le concert").program(0, 0, 40).cc(0, 0, 7, 90).cc(0, 0, 10, 30);
    quarters(a, 0, 76, 6).program(0, 0, 41).end();
    b.text(0, 0x03, "").note(0, 1, 48, 480).end(5000);
    ASSERT_EQ(import(smf(1, 480, {tempo, a, b})), 1);
    ASSERT_EQ(staves(), 2);
    EXPECT_EQ(columns(), 2);  // the late end of track adds nothing
    EXPECT_EQ(m(1, 1)->length, 1440);
    EXPECT_EQ(count<CTimeSig>(1, 1), 1);
    EXPECT_EQ(count<CKeySig>(1, 1), 1);
    CKeySig* key = nullptr;
    for (short i = 1; i <= m(1, 1)->total(); i++) key = key ? key : m(1, 1)->get_keysig_item(i);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->value, 2);
    EXPECT_EQ(key->mode, 3);
    EXPECT_EQ(key->total(), 2);
    EXPECT_EQ(key->alt.get(1), 4);
    EXPECT_EQ(key->y.get(1), tab_clef_diese[1][1]);
    // Names are cut to their fields.
    EXPECT_STREQ(d()->ins[1].nom, "Violon solo pour le concert");
    EXPECT_STREQ(d()->ins[1].abrege, "Violon s");
    EXPECT_STREQ(d()->ins[2].nom, "");
    // Opening settings went into the instrument; the later program change stayed.
    EXPECT_EQ(d()->ins[1].patch, 40 + (get_synthe(d()->ins[1].synthe) ? get_synthe(d()->ins[1].synthe)->num_offset : 0));
    EXPECT_EQ(d()->ins[1].effet[7], 90);
    EXPECT_EQ(d()->ins[1].effet[10], 30);
    // Track 1: the tempo change at 1440, 12 note events, the late program change.
    Piste* t = track(1);
    ASSERT_EQ(t->tot, 14);
    int tempos = 0, programs = 0;
    for (short i = 1; i <= t->tot; i++) {
        const MidiEvent& e = t->event[i];
        if (e.buf[0] == 1 && e.buf[3] == 0) {
            tempos++;
            EXPECT_EQ(e.time, 1440);
            EXPECT_EQ(e.buf[1] * 256 + e.buf[2], 240);
        }
        programs += (e.buf[0] & 0xF0) == 0xC0;
    }
    EXPECT_EQ(tempos, 1);
    EXPECT_EQ(programs, 1);
    EXPECT_EQ(d()->tempo, 120);
}

TEST_F(MidiImport, LyricsGoToTheTableAndTheStaffThatLastPlayed) {
    SmfTrack t;
    t.text(0, 0x05, "a").on(0, 0, 60).text(0, 0x05, "tr\xE8s-longue-syllabe").off(480, 0, 60).end();
    ASSERT_EQ(import(smf(0, 480, {t})), 1);
    EXPECT_EQ(d()->tot_lyric, 2);
    EXPECT_STREQ(d()->tab_lyric + 12, "a");
    EXPECT_STREQ(d()->tab_lyric + 24, "tr\xE8s-longue");  // 11 characters
    // The first lyric, sung before anything played, goes to the track's own staff.
    std::vector<int> lyrics;
    for (short i = 1; i <= track(1)->tot; i++) {
        const MidiEvent& e = track(1)->event[i];
        if (e.buf[0] == 2 && e.buf[3] == 0) lyrics.push_back(e.buf[1] + 256 * e.buf[2]);
    }
    EXPECT_EQ(lyrics, (std::vector<int>{1, 2}));
}

// Format 1: each channel a track plays on keeps a staff (and so an instrument) of its own;
// lyrics go to the staff their own track played on.
TEST_F(MidiImport, EveryChannelOfATrackKeepsItsInstrument) {
    SmfTrack tempo, band, voice;
    tempo.tempo(0, 500000).end();
    band.text(0, 0x03, "Groupe").program(0, 1, 36).program(0, 9, 0).note(0, 1, 40, 480).note(0, 9, 36, 480).end();
    voice.text(0, 0x05, "la").note(0, 2, 72, 480).end();
    ASSERT_EQ(import(smf(1, 480, {tempo, band, voice})), 1);
    ASSERT_EQ(staves(), 3);
    EXPECT_EQ(d()->ins[1].canal, 2);
    EXPECT_EQ(d()->ins[2].canal, 10);  // the drums of the same track
    EXPECT_EQ(d()->ins[3].canal, 3);
    EXPECT_STREQ(d()->ins[2].nom, "Groupe");
    int lyrics_on_3 = 0;
    for (short i = 1; i <= track(3)->tot; i++) lyrics_on_3 += track(3)->event[i].buf[0] == 2;
    EXPECT_EQ(lyrics_on_3, 1);
}

TEST_F(MidiImport, MeasureReachedOnlyAtItsStartIsNotKept) {
    SmfTrack t;
    quarters(t, 0, 60, 8).end();  // the last note off falls on the start of measure 3
    ASSERT_EQ(import(smf(0, 480, {t})), 1);
    EXPECT_EQ(columns(), 2);
}

TEST_F(MidiImport, FullTrackOverflowsToOneNewStaff) {
    SmfTrack t;
    for (int i = 0; i < 4100; i++) t.note(0, 0, 60 + i % 12, 30);  // 8,200 events
    ASSERT_EQ(import(smf(0, 480, {t.end()})), 1);
    ASSERT_EQ(staves(), 2);
    EXPECT_EQ(track(1)->tot + track(2)->tot, 8200);  // every message once
    EXPECT_EQ(d()->ins[2].canal, 1);
}

TEST(MidiDocumentName, DropsOnlyARealMidiExtension) {
    const std::pair<const char*, const char*> cases[] = {
        {"/home/a/Song.MID", "Song"},       {"/x/song.midi", "song"},   {"/x/Carillon.Rmi", "Carillon"},
        {"/x/mid.midway.txt", "mid.midway.txt"}, {"/x.mid/tune", "tune"}, {"C:\\Music\\a.mid", "a"},
        {"/x/.mid", ".mid"},
    };
    for (auto [path, name] : cases) {
        char out[64];
        midi_document_name(path, out, sizeof out);
        EXPECT_STREQ(out, name) << path;
    }
}

// Damaged files: a message, a beep, and an import that ends.
TEST_F(MidiImport, DamagedFilesAreRefusedWithAReason) {
    SmfTrack bad_delta;
    bad_delta.raw(0, {0x90, 60, 100}).b.insert(bad_delta.b.end(), {0x81, 0x81, 0x81, 0x81, 0x01, 0x80, 60, 0});
    SmfTrack no_status;
    no_status.raw(0, {0x3C, 0x40});
    Bytes past_end = smf(0, 480, {SmfTrack().note(0, 0, 60, 480).end()});
    past_end[21] = 0x7F;  // the track length
    const std::pair<const char*, Bytes> cases[] = {
        {"not midi", {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'A', 'V', 'E'}},
        {"long delta", smf(0, 480, {bad_delta})},
        {"no running status", smf(0, 480, {no_status})},
        {"chunk past the end", past_end},
        {"format 2", smf(2, 480, {SmfTrack().end()})},
        {"division 0", smf(0, 0, {SmfTrack().end()})},
    };
    for (const auto& [what, bytes] : cases) {
        ScoreFixture fresh(1, 1);
        write_bytes(folder / "bad.mid", bytes);
        EXPECT_EQ(importer_midi(fresh.d, (folder / "bad.mid").c_str()), 0) << what;
        EXPECT_NE(midi_import_error(), nullptr) << what;
        EXPECT_EQ(fresh.d->modif, 0);
    }
}

// Every prefix of every fixture, and random changes of their bytes, end cleanly; whatever is
// read stays within the document's limits.
TEST_F(MidiImport, TruncatedAndMutatedFilesEndCleanly) {
    std::vector<Bytes> files;
    for (const Fixture& fx : fixtures()) files.push_back(fx.file);
    SmfTrack lyr;
    lyr.text(0, 0x05, "la").key_sig(0, -3, 1).tempo(0, 0).time_sig(0, 0, 2).note(0, 0, 60, 480).end();
    files.push_back(smf(0, 480, {lyr}));
    auto survive = [&](const Bytes& b) {
        ScoreFixture fresh(1, 1);
        write_bytes(folder / "x.mid", b);
        short ok = importer_midi(fresh.d, (folder / "x.mid").c_str());
        if (ok) {
            ASSERT_GE(fresh.d->sys[1]->tot_por, 1);
            for (short s = 1; s <= fresh.d->tot_piste; s++) ASSERT_LE(fresh.d->piste[s]->tot, PISTE_MAX_EVENTS);
        } else {
            ASSERT_NE(midi_import_error(), nullptr);
        }
    };
    for (const Bytes& f : files)
        for (size_t n = 0; n < f.size(); n++) survive(Bytes(f.begin(), f.begin() + (long)n));
    std::mt19937 random(26);
    for (int i = 0; i < 3000; i++) {
        Bytes b = files[random() % files.size()];
        int changes = 1 + (int)(random() % 4);
        for (int k = 0; k < changes; k++) {
            size_t at = random() % b.size();
            switch (random() % 3) {
            case 0: b[at] = (uint8_t)random(); break;
            case 1: b[at] ^= (uint8_t)(1u << (random() % 8)); break;
            default: b.insert(b.begin() + (long)at, (uint8_t)random()); break;
            }
        }
        survive(b);
    }
}

}  // namespace
