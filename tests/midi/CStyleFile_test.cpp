// Accompaniment styles: the three files of a style and how they load (windows, tempos, chord
// lines, comments), the arranger's pitch maps, the track delays, and what play_upto sends.
#include "MidiFixture.h"
#include "SmfBuilder.h"
#include "support/ChordNoteNames.h"

#include "midi/CStyleFile.h"
#include "score/CChord.h"
#include "score/Document.h"

#include <cstring>
#include <fstream>
#include <set>

namespace {

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary);
    f << bytes;
}

void write_file(const std::string& path, const Bytes& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write((const char*)bytes.data(), (std::streamsize)bytes.size());
}

// A chord of the given MIDI pitches.
void set_notes(CChord* chord, std::initializer_list<int> pitches) {
    chord->chord.clear();
    for (int p : pitches) chord->chord.add((short)p);
}

// A track of a style built by hand: its channel, arranging mode and delay value.
CPiste* add_track(CStyleFile* s, short chan, short mode = -1, short delay = -1) {
    auto* p = new CPiste;
    p->chan = chan;
    p->extra1 = mode;
    p->extra2 = delay;
    s->pistes.add((intptr_t)p);
    return p;
}

void add_event(CPiste* p, int32_t when, int b0, int b1, int b2) {
    char m[4] = {(char)b0, (char)b1, (char)b2, 0};
    p->send(when, 3, m);
}

// A variation window added by hand.
CStyleVariation* add_variation(CStyleFile* s, int32_t start, int32_t stop, short tempo = 100) {
    auto* v = new CStyleVariation;
    v->start_time = start;
    v->stop_time = stop;
    v->tempo = tempo;
    s->variations.add((intptr_t)v);
    return v;
}

std::string built_styles() { return std::string(BRINDLECOT_BUILD_DATA) + "/misc/Styles"; }

}  // namespace

// ---- the authored styles ---------------------------------------------------------------

struct AuthoredStyle {
    const char* file;
    short numer;
    short tempo;
    short tracks;
};

class AuthoredStyles : public ::testing::TestWithParam<AuthoredStyle> {};

TEST_P(AuthoredStyles, LoadWithWindowsTemposChordLinesAndComments) {
    const AuthoredStyle& want = GetParam();
    chord_note_names_environment->SetUp();  // another test of the program may have changed them
    CStyleFile s;
    ASSERT_EQ(s.load_from_folder(built_styles().c_str(), want.file), 1) << (s.error ? s.error : "");
    EXPECT_GT(s.name.length(), 0);
    EXPECT_GT(s.description.length(), 0);
    ASSERT_GE(s.total_variations(), 4);
    EXPECT_EQ(s.total(), want.tracks);
    int32_t at = STYLE_FIRST_TICK;
    int comments = 0;
    for (short v = 1; v <= s.total_variations(); v++) {
        CStyleVariation* var = s.get_variation(v);
        SCOPED_TRACE(var->name.get());
        EXPECT_GT(var->name.length(), 0);
        EXPECT_EQ(var->numer, want.numer);
        EXPECT_EQ(var->denom, 4);
        EXPECT_EQ(var->start_time, at) << "the variations lie end to end";
        EXPECT_EQ(var->stop_time - var->start_time, var->numer * var->tot_mes * 480);
        at = var->stop_time;
        EXPECT_EQ(var->tempo, want.tempo) << "the tempo comes from the pattern";
        EXPECT_NE(var->famaccords, 0);
        EXPECT_EQ(var->chords.total(), var->tot_mes) << "one chord a measure";
        for (short c = 1; c <= var->chords.total(); c++) {
            CChord chord;
            std::string name = var->chords.get(c)->get();
            EXPECT_EQ(chord.set_chord_name(name.data()), 1) << name;
            EXPECT_GT(chord.get_chord_total(), 2) << name;
        }
        ASSERT_EQ(var->comment.total(), var->comnum.total());
        for (short c = 1; c <= var->comment.total(); c++) {
            EXPECT_GT(var->comment.get(c)->length(), 0);
            EXPECT_GE(var->comnum.get(c), 1);
            EXPECT_LE(var->comnum.get(c), var->chords.total());
            comments++;
        }
    }
    EXPECT_GT(comments, 0);
    // No tempo event is left in the first track; every note lies in a window and each Note On
    // has its Note Off; each track has its program, and the drums are on channel 10.
    bool drums = false;
    for (short t = 1; t <= s.total(); t++) {
        CPiste* p = s.get(t);
        SCOPED_TRACE(p->name.get());
        EXPECT_GE(p->pg, 0);
        EXPECT_GE(p->extra1, 0) << "every track states its arranging mode";
        drums = drums || p->chan == 9;
        int open = 0;
        for (int32_t e = 1; e <= p->tot; e++) {
            MidiEvent* ev = &p->events[e];
            EXPECT_FALSE(ev->buf[0] == 1 && ev->buf[3] == 0) << "tempo events are taken out";
            if (is_note_on(ev, -1)) {
                open++;
                EXPECT_GE(ev->time, STYLE_FIRST_TICK);
                EXPECT_LT(ev->time, at);
            } else if (is_note_off(ev, -1)) {
                open--;
                EXPECT_LE(ev->time, at);
            }
        }
        EXPECT_EQ(open, 0);
    }
    EXPECT_TRUE(drums);
}

INSTANTIATE_TEST_SUITE_P(Data, AuthoredStyles,
                         ::testing::Values(AuthoredStyle{"Pop", 4, 100, 4}, AuthoredStyle{"Valse", 3, 144, 4},
                                           AuthoredStyle{"Swing", 4, 140, 4}, AuthoredStyle{"Bossa", 4, 130, 4}),
                         [](const auto& info) { return std::string(info.param.file); });

TEST(StyleFiles, SwingPianoPlaysBehindTheBeatAndStylesLoadFromTheProgramFolder) {
    char* saved = main_dir;
    main_dir = const_cast<char*>(BRINDLECOT_BUILD_DATA);  // only read
    CStyleFile s;
    EXPECT_EQ(s.load_from_file("Swing"), 1);
    main_dir = saved;
    ASSERT_EQ(s.total(), 4);
    EXPECT_EQ(s.maxdelai, 10);
    EXPECT_EQ(s.get_delai(1), 0);   // drums
    EXPECT_EQ(s.get_delai(3), 10);  // piano
    EXPECT_EQ(s.get_delai(0), 0);
    EXPECT_EQ(s.get_delai(5), 0) << "no such track";
}

// ---- loading from written files ---------------------------------------------------------

class StyleLoad : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::string(BRINDLECOT_TEST_OUTPUT) + "/style-" + info->test_suite_name() + "-" + info->name();
        std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str());
    }
    // A pattern whose first track holds these tempo changes (tick, beats per minute) after a
    // first tempo at tick 0, and one note.
    void write_mid(std::initializer_list<std::pair<int, int>> tempos) {
        SmfTrack conductor;
        conductor.tempo(0, 600000);
        int last = 0;
        for (auto [tick, bpm] : tempos) {
            conductor.tempo((uint32_t)(tick - last), 60000000u / (uint32_t)bpm);
            last = tick;
        }
        conductor.end();
        SmfTrack notes;
        notes.cc(0, 1, 3, 2).cc(0, 1, 4, 5).program(0, 1, 33).note(1920, 1, 36, 480).end();
        write_file(dir + "/S.mid", smf(1, 480, {conductor, notes}));
    }
    std::string dir;
};

TEST_F(StyleLoad, WindowsFollowTheMetersOfTheDatFile) {
    write_mid({});
    struct Case {
        const char* dat;
        std::vector<std::pair<int32_t, int32_t>> windows;
    } cases[] = {
        {"S\r\nD\r\n2\r\nA\r\na\r\n4 4 90 2\r\nB\r\nb\r\n3 4 90 4\r\n", {{1920, 5760}, {5760, 11520}}},
        {"S\nD\n1\nSix\nhuit\n6 8 90 2\n", {{1920, 4800}}},
        {"S\rD\r2\rL\rl\r2 1 90 1\rX\rx\r5 7 90 1\r", {{1920, 5760}, {5760, 8160}}},  // any other: a quarter
        {"S\nD\n3\nOnly\none\n4 4 90 1\n", {{1920, 3840}}},  // the file ends early
        {"S\nD\n1\nNeg\nn\n-4 4 90 3\n", {{1920, 1920}}},    // a window never runs back
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dat);
        write_file(dir + "/S.dat", std::string(c.dat));
        CStyleFile s;
        ASSERT_EQ(s.load_from_folder(dir.c_str(), "S"), 1);
        ASSERT_EQ(s.total_variations(), (short)c.windows.size());
        for (short v = 1; v <= s.total_variations(); v++) {
            EXPECT_EQ(s.get_variation(v)->start_time, c.windows[v - 1].first);
            EXPECT_EQ(s.get_variation(v)->stop_time, c.windows[v - 1].second);
            EXPECT_EQ(s.get_length(v), c.windows[v - 1].second - c.windows[v - 1].first);
        }
        EXPECT_EQ(s.get_length(0), 0);
        EXPECT_EQ(s.get_length(s.total_variations() + 1), 0);
    }
}

TEST_F(StyleLoad, VariationsTakeTheLastTempoOfTheirWindowOrTheOneBefore) {
    // Windows 1920-3840, 3840-5760, 5760-7680.
    write_file(dir + "/S.dat", std::string("S\nD\n3\nA\na\n4 4 1 1\nB\nb\n4 4 1 1\nC\nc\n4 4 1 1\n"));
    struct Case {
        std::vector<std::pair<int, int>> tempos;
        short want[3];
    } cases[] = {
        {{}, {100, 100, 100}},
        {{{1920, 90}, {3000, 120}}, {120, 120, 120}},
        {{{3840, 150}}, {100, 150, 150}},
        {{{1920, 80}, {5760, 60}}, {80, 80, 60}},
    };
    for (const Case& c : cases) {
        if (c.tempos.empty())
            write_mid({});
        else if (c.tempos.size() == 1)
            write_mid({c.tempos[0]});
        else
            write_mid({c.tempos[0], c.tempos[1]});
        CStyleFile s;
        ASSERT_EQ(s.load_from_folder(dir.c_str(), "S"), 1);
        for (short v = 1; v <= 3; v++) EXPECT_EQ(s.get_variation(v)->tempo, c.want[v - 1]) << v;
        for (int32_t e = 1; e <= s.get(1)->tot; e++)
            EXPECT_NE(s.get(1)->events[e].buf[0], 1) << "the tempo events are taken out of the track";
    }
}

TEST_F(StyleLoad, ChordLinesAndCommentsFromTheChoFile) {
    write_mid({});
    write_file(dir + "/S.dat", std::string("S\nD\n2\nA\na\n4 4 90 4\nB\nb\n4 4 90 1\n"));
    write_file(dir + "/S.cho", std::string("3\r\nA\r\n4\r\n4\r\nC\r\nG\r\n*Refrain\r\nAm\r\nF\r\n"
                                           "B\r\n9\r\n1\r\n*Fin\r\nC\r\nExtra\r\n2\r\n1\r\nD\r\n"));
    CStyleFile s;
    ASSERT_EQ(s.load_from_folder(dir.c_str(), "S"), 1);
    CStyleVariation* a = s.get_variation(1);
    EXPECT_EQ(a->famaccords, 4);
    ASSERT_EQ(a->chords.total(), 4);
    EXPECT_STREQ(a->chords.get(3)->get(), "Am");
    ASSERT_EQ(a->comment.total(), 1);
    EXPECT_STREQ(a->comment.get(1)->get(), "Refrain");
    EXPECT_EQ(a->comnum.get(1), 3);
    CStyleVariation* b = s.get_variation(2);
    EXPECT_EQ(b->famaccords, 9);
    ASSERT_EQ(b->chords.total(), 1);
    EXPECT_EQ(b->comnum.get(1), 1);
    EXPECT_EQ(s.total_variations(), 2) << "the third variation of the .cho file is ignored";

    std::remove((dir + "/S.cho").c_str());
    ASSERT_EQ(s.load_from_folder(dir.c_str(), "S"), 1);
    EXPECT_EQ(s.get_variation(1)->famaccords, 0);
    EXPECT_EQ(s.get_variation(1)->chords.total(), 0);
}

TEST_F(StyleLoad, MissingFilesLeaveTheStyleEmpty) {
    write_file(dir + "/S.dat", std::string("S\nD\n1\nA\na\n4 4 90 1\n"));
    CStyleFile s;
    EXPECT_EQ(s.load_from_folder(dir.c_str(), "S"), 0) << "no .mid";
    EXPECT_EQ(s.total(), 0);
    EXPECT_EQ(s.total_variations(), 0);
    write_mid({});
    ASSERT_EQ(s.load_from_folder(dir.c_str(), "S"), 1);
    std::remove((dir + "/S.dat").c_str());
    EXPECT_EQ(s.load_from_folder(dir.c_str(), "S"), 0) << "no .dat";
    EXPECT_EQ(s.name.length(), 0);
    EXPECT_EQ(s.total_variations(), 0);
}

// ---- arranging ------------------------------------------------------------------------

TEST(StyleArranger, ModeTable) {
    CStyleFile s;
    add_track(&s, 0, 1);
    add_track(&s, 1, 2);
    add_track(&s, 2, 3);
    add_track(&s, 3);      // no mode: unchanged
    add_track(&s, 4, 7);   // an unknown mode: unchanged
    add_track(&s, 5, 3);
    add_track(&s, 5, 1);   // the later track of a channel counts
    struct Case {
        std::initializer_list<int> chord;
        int channel, pitch, played;
    } cases[] = {
        {{60, 64, 67}, 0, 61, 60}, {{60, 64, 67}, 0, 62, 64}, {{60, 64, 67}, 0, 65, 64},
        {{60, 64, 67}, 0, 66, 67}, {{60, 64, 67}, 0, 64, 64}, {{60, 64, 67}, 0, 127, 127},
        {{67, 71, 74}, 2, 60, 55},  {{66, 70, 73}, 2, 60, 66},  {{69, 72, 76}, 1, 64, 60},
        {{67, 71, 74}, 2, 2, 2},    // shifted below 0: unchanged
        {{66, 70, 73}, 2, 125, 125},  // shifted above 127: unchanged
        {{60, 64, 67}, 3, 61, 61},  {{60, 64, 67}, 4, 61, 61},  {{60, 64, 67}, 5, 61, 60},
        {{60, 64, 67}, 9, 42, 42},  // no track on the channel
        {{62, 65, 69}, 1, 60, 62},  // D minor: shift 2, 62 is a tone
        {{62, 65, 69}, 1, 64, 65},  // 66 is no tone; 67 above is not, 65 below is
    };
    for (const Case& c : cases) {
        CChord chord;
        set_notes(&chord, c.chord);
        s.arranger(&chord);
        EXPECT_EQ(s.arrangement[c.channel][c.pitch], c.played)
            << "channel " << c.channel << " pitch " << c.pitch << " chord root " << *c.chord.begin();
    }
}

TEST(StyleArranger, ShiftedPitchOutsideTheRangeIsNotPlayedAndAChordWithoutNotesChangesNothing) {
    CStyleFile s;
    add_track(&s, 0, 2);
    CChord g;
    set_notes(&g, {67, 71, 74});  // shift -5
    s.arranger(&g);
    for (int i = 0; i < 5; i++) EXPECT_EQ(s.arrangement[0][i], STYLE_NO_PITCH) << i;
    EXPECT_EQ(s.arrangement[0][5], 2);  // 0 would be no tone: 2 (D) is the nearest
    CChord f_sharp;
    set_notes(&f_sharp, {66, 70, 73});  // shift 6
    s.arranger(&f_sharp);
    for (int i = 122; i < 128; i++) EXPECT_EQ(s.arrangement[0][i], STYLE_NO_PITCH) << i;

    unsigned char before[16][128];
    std::memcpy(before, s.arrangement, sizeof before);
    CChord empty;
    empty.chord.clear();
    s.arranger(&empty);
    s.arranger(nullptr);
    EXPECT_EQ(std::memcmp(before, s.arrangement, sizeof before), 0);
}

// ---- playing ------------------------------------------------------------------------------

class StylePlay : public MidiFixture {
protected:
    void SetUp() override {
        MidiFixture::SetUp();
        write_prefs();
        make_midi();
    }
    // Every message sent to output node 1 so far, as (status, data 1).
    std::vector<std::pair<int, int>> sent() {
        std::vector<std::pair<int, int>> got;
        for (const auto& m : drain(1)) got.push_back({m[1], m[2]});
        return got;
    }
    using Sent = std::vector<std::pair<int, int>>;
};

TEST_F(StylePlay, PlaysUpToTheTimeWithDelaysAndTheWindowEnd) {
    CStyleFile s;
    // Window 1920-3840. Track 1 has its note-ons delayed by 20 ticks (its value 10 against
    // track 2's 30); a track waits at an event that is not due yet.
    CPiste* a = add_track(&s, 0, -1, 10);
    add_event(a, 1920, 0xB0, 7, 100);
    add_event(a, 1920, 0x90, 60, 100);
    add_event(a, 2400, 0x80, 60, 0);
    add_event(a, 3820, 0x90, 62, 100);  // delayed onto the window's end: not played
    add_event(a, 3840, 0x80, 62, 0);
    CPiste* b = add_track(&s, 1, -1, 30);
    add_event(b, 1920, 0x91, 48, 100);
    add_event(b, 3000, 0x81, 48, 0);
    add_event(b, 3000, 0x91, 50, 100);
    add_event(b, 3840, 0x81, 50, 0);   // a note end at the window's end is played
    add_event(b, 3840, 0xB1, 7, 90);   // anything else there is not
    add_event(b, 3840, 0x91, 52, 90);  // the next variation's
    s.calculer_delais();
    add_variation(&s, 1920, 3840, 120);
    CArrayInt vars;
    vars.add(1);
    EXPECT_EQ(s.start(&vars), 120);

    struct Step {
        int32_t when;
        Sent want;
    } steps[] = {
        {0, {{0xB0, 7}, {0x91, 48}}},  // the delayed Note On waits
        {19, {}},
        {20, {{0x90, 60}}},
        {480, {{0x80, 60}}},
        {1919, {{0x81, 48}, {0x91, 50}}},
        {5000, {{0x81, 50}}},
        {9000, {}},
    };
    for (const Step& st : steps) {
        s.play_upto(&vars, st.when);
        EXPECT_EQ(sent(), st.want) << "up to " << st.when;
    }
    // Starting again plays the window again.
    s.start(&vars);
    s.play_upto(&vars, 0);
    EXPECT_EQ(sent(), (Sent{{0xB0, 7}, {0x91, 48}}));
}

TEST_F(StylePlay, PitchesFollowTheMapAndNoteEndsTheNoteTheyStarted) {
    CStyleFile s;
    CPiste* p = add_track(&s, 0, 2);
    add_event(p, 1920, 0x90, 60, 100);  // C under C: C
    add_event(p, 2000, 0x90, 2, 100);   // under G (shift -5): not played
    add_event(p, 2100, 0x90, 64, 100);  // under G: 59
    add_event(p, 2400, 0x80, 60, 0);    // ends the C started under C
    add_event(p, 2400, 0x80, 2, 0);     // ends nothing
    add_event(p, 2400, 0x80, 64, 0);    // ends 59
    add_variation(&s, 1920, 3840);
    CArrayInt vars;
    vars.add(1);
    CChord c, g;
    set_notes(&c, {60, 64, 67});
    set_notes(&g, {67, 71, 74});
    s.arranger(&c);
    s.start(&vars);
    s.play_upto(&vars, 0);
    s.arranger(&g);
    s.play_upto(&vars, 1000);
    EXPECT_EQ(sent(), (Sent{{0x90, 60}, {0x90, 59}, {0x80, 60}, {0x80, 59}}));
}

TEST_F(StylePlay, DelaysLargestValuePlaysFirstScaledByTheSettingAndTheTempo) {
    CStyleFile s;
    add_track(&s, 0, -1, 10);
    add_track(&s, 1, -1, 30);
    add_track(&s, 2);  // no delay value
    s.calculer_delais();
    EXPECT_EQ(s.maxdelai, 30);
    EXPECT_EQ(s.get_delai(1), 20);
    EXPECT_EQ(s.get_delai(2), 0);
    EXPECT_EQ(s.get_delai(3), 0);

    style_hooks.delay_percent = [] { return (short)50; };
    s.calculer_delais();
    EXPECT_EQ(s.maxdelai, 15);
    EXPECT_EQ(s.get_delai(1), 10);

    // With a document open, the delays follow the playback tempo.
    midi->tempo = 200;
    alignas(Document) unsigned char stand_in[sizeof(Document)];
    doc = reinterpret_cast<Document*>(stand_in);  // only compared with null
    s.calculer_delais();
    doc = nullptr;
    style_hooks = default_style_hooks();
    EXPECT_EQ(s.maxdelai, 30);  // 30 x 50 / 100 x 200 / 100
    EXPECT_EQ(s.get_delai(1), 20);
}

TEST_F(StylePlay, TablesFollowTheTrackCount) {
    // More tracks than a style used to be allowed: every one plays.
    CStyleFile s;
    for (int t = 0; t < 120; t++) {
        CPiste* p = add_track(&s, (short)(t % 16), -1, (short)(t % 7));
        add_event(p, 1920, 0x90 + t % 16, 40 + t % 50, 100);
    }
    s.calculer_delais();
    EXPECT_EQ(s.get_delai(120), 6 - 119 % 7);
    add_variation(&s, 1920, 3840);
    CArrayInt vars;
    vars.add(1);
    vars.add(5);  // no such variation: passed over
    s.start(&vars);
    s.play_upto(&vars, 100);
    EXPECT_EQ(sent().size(), 120u);
}

TEST_F(StylePlay, StopSilencesPortOneAndEmptiesItsQueue) {
    CStyleFile s;
    send3(1, 100000, 0x90, 60, 100);
    s.stop();
    EXPECT_TRUE(drain(1).empty());
    EXPECT_GE(out[0]->reset_count(), 1);
    CArrayInt none;
    EXPECT_EQ(s.start(&none), 0);
}
