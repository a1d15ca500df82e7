// Playing and recording on the virtual clock: the transport keys, the count-in, every Note On
// at its millisecond, repeats, loops, the end of the range, the score-following highlight and
// a recorded take merged into the staff's track.
#include "PlayFixture.h"

#include "../layout/DrawingScore.h"
#include "platform/MidiSynth.h"

#include "score/ScoreItems.h"
#include "framework/CUndoManager.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>

using Play = PlayFixture;
using Ons = std::vector<std::vector<int>>;

namespace {

// The first staff records; the take is merged as it came (no transcription).
void record_on_first_staff(Document* d, short erase) {
    d->rec_piste = 1;
    d->sub_doc[d->cur_sub_doc].rec_piste = 1;
    d->auto_transcrire = 0;
    d->auto_erase = erase;
}

// One whole note per column, each a step higher: E, F, G, A, B... (64, 65, 67, 69, 71).
void whole_notes(ScoreFixture& s, short columns) {
    const short ys[] = {26, 23, 20, 17, 14, 11, 8};
    for (short c = 1; c <= columns; c++) s.note(c, 1, ys[(c - 1) % 7], 1);
}

}  // namespace

// Three measures of four quarters played from the space key: the count-in of one measure (the
// first beat on note 33 at 80, the others on 34 at 64), then every note at its millisecond
// (one tick a millisecond), and the play ends once the clock has passed the last column.
TEST_F(Play, ThreeMeasuresFromTheSpaceKeyWithCountIn) {
    Document* d = score_of(3);
    const short ys[] = {26, 23, 20, 17};
    for (short c = 1; c <= 3; c++)
        for (short y : ys) score->note(c, 1, y);
    mpr->compter = 1;
    EXPECT_EQ(type_key(0x20), 1);
    EXPECT_EQ(mpr->get_play_but(), 1);
    EXPECT_EQ(mpr->get_cur_play_mes(), 1);
    EXPECT_EQ(d->joue, 1);
    run_to(7681);
    EXPECT_EQ(mpr->get_play_but(), 1) << "the last column still sounds";
    Ons expected = {{1, 0x99, 33}, {481, 0x99, 34}, {961, 0x99, 34}, {1441, 0x99, 34}};
    const int pitches[] = {64, 65, 67, 69};
    for (int k = 0; k < 12; k++) expected.push_back({1921 + 480 * k, 0x90, pitches[k % 4]});
    EXPECT_EQ(note_ons(), expected);
    // The first click's bytes.
    for (const auto& m : out->log()) {
        if (m.ms == 1 && m.bytes[0] == 0x99) {
            EXPECT_EQ(m.bytes, (std::vector<unsigned char>{0x99, 0x21, 0x50}));
        }
    }
    run_to(7700);
    EXPECT_EQ(mpr->get_play_but(), 0) << "the play ends after the last column";
    EXPECT_EQ(mpr->joue, 0);
    EXPECT_EQ(d->joue, 0);
    EXPECT_EQ(mpr->get_cur_play_mes(), 0);
    EXPECT_EQ(application->timer.get_timer_resolution(), 250) << "nothing else runs on the timer";
    for (short c = 1; c <= 3; c++) EXPECT_EQ(score->measure(c, 1)->start_time, 1920 * (c - 1));
}

// A repeat at the end of column 4 back to column 1 on the first pass: 1-4, 1-4, 5. A loop of
// two from column 3 plays 3, 4, 3, 4 until stopped. A measure marked to play three times plays
// three times.
TEST_F(Play, RepeatsLoopsAndRepeatedMeasures) {
    struct Case {
        const char* name;
        short boucler, from, columns;
        int32_t until;
        std::vector<int> expected;
    } cases[] = {
        {"repeat", 0, 1, 5, 9 * 1920 + 100, {64, 65, 67, 69, 64, 65, 67, 69, 71}},
        {"loop", 1, 3, 5, 4 * 1920 - 100, {67, 69, 67, 69}},
        {"three times", 0, 5, 6, 4 * 1920 - 100, {71, 71, 71, 72}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Document* d = score_of(c.columns);
        whole_notes(*score, c.columns);
        CRepeat* r = nullptr;
        if (c.columns == 5) {
            r = new CRepeat;
            r->next[1] = 1;
            score->measure(4, 1)->add(r);
        } else {
            score->measure(5, 1)->meas = 0x2003;
        }
        mpr->compter = 0;
        mpr->boucler = c.boucler;
        mpr->largeur_boucle = 2;
        mpr->mes_jeu = 0;
        d->cur_mes = c.from;
        out->clear();
        ASSERT_EQ(type_key(0x20), 1);
        run_to(clock.now_ms() + c.until);
        EXPECT_EQ(pitches(), c.expected);
        if (mpr->get_play_but()) type_key(0x20);
        EXPECT_EQ(mpr->get_play_but(), 0);
        if (c.columns == 5 && !c.boucler) {
            EXPECT_EQ(r->cur, 0) << "a stop sets the passes back";
        }
        editor->destroy(1);
        editor = nullptr;
        vue[1] = nullptr;
        d->vue[1] = nullptr;
    }
}

// A loop started near the end of the score plays what fits, and keeps the loop width setting.
TEST_F(Play, LoopNearTheEndKeepsItsWidthSetting) {
    score_of(4);
    whole_notes(*score, 4);
    score->d->cur_mes = 4;
    mpr->compter = 0;
    mpr->boucler = 1;
    mpr->largeur_boucle = 3;
    mpr->mes_jeu = 0;
    type_key(0x20);
    run_to(3 * 1920 - 100);
    EXPECT_EQ(pitches(), (std::vector<int>{69, 69, 69}));
    type_key(0x20);
    EXPECT_EQ(mpr->largeur_boucle, 3);
}

// Score following: a note is highlighted from its start marker to its end marker, the markers
// reaching the editor's idle task through its queue; a stop takes the highlight off.
TEST_F(Play, MarkersToggleTheNoteHighlight) {
    score_of(2);
    CNote* first = score->note(1, 1, 26, 2);
    CNote* second = score->note(1, 1, 20, 2);
    follow_flags |= 0x10;
    mpr->compter = 0;
    mpr->mes_jeu = 0;
    type_key(0x20);
    const int32_t start = mpr->offset_time_unit;
    run_to(start + 2);
    EXPECT_TRUE(first->flags & 0x100);
    EXPECT_FALSE(second->flags & 0x100);
    run_to(start + 962);
    EXPECT_FALSE(first->flags & 0x100);
    EXPECT_TRUE(second->flags & 0x100);
    type_key(0x20);
    editor->work();
    EXPECT_FALSE(second->flags & 0x100) << "the stop hands over the end marker";
}

// Waits at the start of a play keep the user's keys: a space typed while the instruments are
// set up is still waiting for the message loop once the play has started, where it reaches the
// editor and stops the play.
TEST_F(Play, ASpaceDuringTheStartWaitIsKept) {
    score_of(2);
    whole_notes(*score, 2);
    mpr->compter = 1;
    wm->inject_key(platform::KeySpace, true, ' ');
    wm->inject_key(platform::KeySpace, false, ' ');
    type_key(0x20);
    EXPECT_EQ(mpr->get_play_but(), 1);
    int keys = 0;
    for (platform::Message m; wm->peek_message(m, true);) {
        if (m.kind == platform::MessageKind::KeyDown && m.key == platform::KeySpace) {
            keys++;
            type_key(0x20);  // as the editor's window takes it
        }
    }
    EXPECT_EQ(keys, 1);
    EXPECT_EQ(mpr->get_play_but(), 0);
}

// Recording from column 3 (after two measures of 1920 ticks) with the count-in: keys injected
// at chosen milliseconds land in the staff's track at the tick of that moment in the score;
// the input of the count-in lands at the start of column 3; clocks are not recorded; the take
// is one undo level.
TEST_F(Play, RecordedKeysLandAtTheirTicks) {
    Document* d = score_of(4);
    record_on_first_staff(d, 1);
    undo_active = 1;
    mpr->compter = 2;
    mpr->start_recording(3);
    ASSERT_EQ(mpr->get_rec_but(), 1);
    EXPECT_EQ(mpr->sta, 3);
    const int32_t origin = mpr->offset_time_unit;  // where column 3 begins to sound
    EXPECT_EQ(origin, 1921);
    run_to(1000);
    in->inject(0x403E90);  // during the count-in
    in->inject(0xF8);
    run_to(origin + 100);
    in->inject(0x643C90);
    run_to(origin + 600);
    in->inject(0x003C80);
    run_to(origin + 2500);
    type_key(0x20);
    EXPECT_EQ(mpr->get_rec_but(), 0);
    EXPECT_EQ(d->modif, 1);
    std::vector<std::string> got;
    Piste* t = d->piste[1];
    ASSERT_NE(t, nullptr);
    for (short i = 1; i <= t->tot; i++) {
        char line[40];
        std::snprintf(line, sizeof line, "%d: %02X %02X %02X %02X", t->event[i].time, t->event[i].buf[0],
                      t->event[i].buf[1], t->event[i].buf[2], t->event[i].buf[3]);
        got.push_back(line);
    }
    EXPECT_EQ(got, (std::vector<std::string>{"3840: 90 3E 40 FF", "3940: 90 3C 64 FF", "4440: 80 3C 00 FF"}));
    EXPECT_EQ(mpr->total_record, 2) << "stopped in the second recorded column";
    CUndoManager* undo = d->sub_doc[d->cur_sub_doc].undo;
    ASSERT_NE(undo, nullptr);
    EXPECT_EQ(undo->total(), 1);
    undo_active = 0;
}

// ---- The two-staff test score through the built-in synthesizer ---------------------------

namespace {

// The samples of a 16-bit PCM WAV file, channels mixed; its rate in `rate`.
std::vector<double> wav_samples(const std::string& path, int* rate) {
    std::ifstream f(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    std::vector<double> out;
    auto u16 = [&](size_t at) { return (int)(unsigned char)bytes[at] | (int)(unsigned char)bytes[at + 1] << 8; };
    auto u32 = [&](size_t at) { return (uint32_t)u16(at) | (uint32_t)u16(at + 2) << 16; };
    if (bytes.size() < 44 || bytes.compare(0, 4, "RIFF") != 0) return out;
    int channels = 1, bits = 16;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id = bytes.substr(at, 4);
        const uint32_t size = u32(at + 4);
        if (id == "fmt ") {
            channels = u16(at + 10);
            *rate = (int)u32(at + 12);
            bits = u16(at + 22);
        } else if (id == "data" && bits == 16) {
            const size_t end = std::min(bytes.size(), at + 8 + size);
            for (size_t s = at + 8; s + 2 * channels <= end; s += 2 * channels) {
                double v = 0;
                for (int c = 0; c < channels; c++) v += (int16_t)u16(s + 2 * c);
                out.push_back(v / channels / 32768.0);
            }
        }
        at += 8 + size + (size & 1);
    }
    return out;
}

// The MIDI note whose fundamental carries the most energy between from_ms and to_ms.
int strongest_note(const std::vector<double>& s, int rate, double from_ms, double to_ms) {
    const size_t a = (size_t)(from_ms * rate / 1000), b = std::min(s.size(), (size_t)(to_ms * rate / 1000));
    int best = -1;
    double best_power = 0;
    for (int note = 36; note <= 96; note++) {
        const double w = 2 * M_PI * 440.0 * std::pow(2.0, (note - 69) / 12.0) / rate;
        double q1 = 0, q2 = 0;
        for (size_t i = a; i < b; i++) {
            const double q0 = 2 * std::cos(w) * q1 - q2 + s[i];
            q2 = q1;
            q1 = q0;
        }
        const double power = q1 * q1 + q2 * q2 - 2 * std::cos(w) * q1 * q2;
        if (power > best_power) best_power = power, best = note;
    }
    return best;
}

}  // namespace

// The two-staff test score played on the virtual clock into the built-in synthesizer, which
// renders into a WAV file: the sound is not silent, the strongest note while the opening chord
// sounds is one of its notes, and while the first note that sounds alone (the first eighth of
// the second measure) sounds, it is that note.
TEST_F(Play, TheTwoStaffScoreSoundsThroughTheBuiltInSynthesizer) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "FluidSynth loads its SoundFont with an OpenMP runtime that ThreadSanitizer cannot see into";
#endif
    ASSERT_FALSE(platform::midi_soundfont_path().empty()) << "a General MIDI SoundFont is installed";
    const std::string wav = dir + "/two-staves.wav";
    delete mpr;
    application->midi = nullptr;
    midi.reset();
    platform::MidiDeviceList list;
    list.outputs.push_back(std::make_unique<platform::MidiSynthDevice>(wav));
    platform::set_midi_devices(std::move(list));
    midi = std::make_unique<CMidi>();
    application->timer.remove_timer_task(run_midi);
    application->midi = midi.get();
    mpr = new CPlayRecordManager;
    follow_flags = 0;
    DrawingScore score(nullptr);
    score.d->tempo = 120;
    midi->tempo = 120;
    mpr->id = mpr->sub_id = 1;
    mpr->compter = 0;
    mpr->play_but = 1;
    mpr->play(0);
    const int32_t origin = mpr->offset_time_unit;
    std::vector<int> chord;
    for (short i = 1; i <= score.measure(1, 1)->total(); i++)
        if (CNote* n = score.measure(1, 1)->get_note_item(i)) chord.push_back(n->pitch);
    const int alone = score.first_note(score.measure(2, 1))->pitch;
    for (int32_t t = 1; t <= 9000 && mpr->get_play_but(); t++) {
        clock.set(t);
        midi->run();
        mpr->play_temps_reel();
    }
    EXPECT_EQ(mpr->get_play_but(), 0) << "the score ends by itself";
    application->midi = nullptr;
    midi.reset();  // closing the port renders up to the clock's time
    int rate = 0;
    std::vector<double> samples = wav_samples(wav, &rate);
    ASSERT_EQ(rate, 44100);
    ASSERT_GT(samples.size(), (size_t)rate * 8);
    double peak = 0;
    for (double v : samples) peak = std::max(peak, std::fabs(v));
    EXPECT_GT(peak, 0.01) << "not silent";
    const double ms_per_tick = 1000.0 / (120 * 8);
    const double chord_at = origin * ms_per_tick, alone_at = (origin + 1920) * ms_per_tick;
    const int in_chord = strongest_note(samples, rate, chord_at + 100, chord_at + 900);
    EXPECT_NE(std::find(chord.begin(), chord.end(), in_chord), chord.end()) << "strongest " << in_chord;
    EXPECT_EQ(strongest_note(samples, rate, alone_at + 30, alone_at + 240), alone);
    // A picture of the sound for a person to look at.
    const std::string png = dir + "/two-staves-spectrogram.png";
    std::system(("sox '" + wav + "' -n remix 1 rate 4k spectrogram -y 300 -x 800 -o '" + png + "' 2>/dev/null").c_str());
}

// After a play the timer goes back to what its tasks need: slow with the scheduler alone, the
// period it had while another task (the play-along view, the styles) runs on it.
TEST_F(Play, TheTimerPeriodFollowsItsTasksAfterAPlay) {
    score_of(1);
    whole_notes(*score, 1);
    mpr->compter = 0;
    struct Case {
        bool other_task;
        short before, after;
    } cases[] = {{false, 100, 250}, {true, 5, 5}, {true, 20, 20}};
    static int other_turns;
    const TimerTask other = [] { other_turns++; };
    for (const Case& c : cases) {
        if (c.other_task) application->timer.add_timer_task(other);
        application->timer.set_timer_resolution(c.before);
        type_key(0x20);
        EXPECT_EQ(application->timer.get_timer_resolution(), 5) << "5 ms while it plays";
        type_key(0x20);
        EXPECT_EQ(application->timer.get_timer_resolution(), c.after) << c.before;
        if (c.other_task) application->timer.remove_timer_task(other);
    }
}

// A take too large for the staff's track: what the track cannot hold is told to the user, and
// the take itself stops growing below the 16-bit counters.
TEST_F(Play, ATakeTooLargeForTheTrackIsTold) {
    Document* d = score_of(4);
    record_on_first_staff(d, 0);
    mpr->compter = 0;
    mpr->start_recording(1);
    ASSERT_EQ(mpr->get_rec_but(), 1);
    run_to(100);
    const int warnings = application->shown.warnings;
    MidiEvent e{0, {0x90, 60, 100, 0xFF}};
    for (int i = 0; i < RECORD_TAKE_MAX_EVENTS; i++) mpr->piste_record.push_back(e);
    for (int i = 0; i < 10; i++) in->inject(0x643C90);  // beyond the take's ceiling
    run_to(200);
    EXPECT_EQ((int32_t)mpr->piste_record.size(), RECORD_TAKE_MAX_EVENTS);
    type_key(0x20);
    ASSERT_NE(d->piste[1], nullptr);
    EXPECT_EQ(d->piste[1]->tot, PISTE_MAX_EVENTS);
    EXPECT_EQ(application->shown.warnings, warnings + 1);
    EXPECT_NE(std::string(application->shown.last_warning.get()).find("pleine"), std::string::npos);
}

// Space and Enter typed in a tool palette's window drive the player as in the score: space
// starts and stops playing, Enter starts a recording; other keys stay tool shortcuts.
TEST_F(Play, SpaceAndEnterInAPaletteWindowPlayAndRecord) {
    Document* d = score_of(3);
    whole_notes(*score, 3);
    record_on_first_staff(d, 0);
    mpr->compter = 0;
    ASSERT_NE(pal, nullptr);
    Palette_outil* p = create_palette(1, nullptr);
    p->id = 9, p->w = p->h = 20;
    p->outil[1] = new Outil;
    p->outil[1]->id = 81;
    p->outil[1]->rc1 = 'e';
    p->outil[1]->mode = 2;
    pal->add_palette(p);
    ASSERT_EQ(pal->ouvrir_palette(9), 1);
    CWindow* window = pal->win[1];
    auto key = [&](short value) {
        Event e{};
        e.type = EvKey;
        e.value = value;
        return window->event_handler(window, &e);
    };
    EXPECT_EQ(key(0x20), 1);
    EXPECT_EQ(mpr->get_play_but(), 1) << "space plays";
    run_to(100);
    EXPECT_FALSE(pitches().empty());
    EXPECT_EQ(key(0x20), 1);
    EXPECT_EQ(mpr->get_play_but(), 0) << "space again stops";
    EXPECT_EQ(key(0x0D), 1);
    EXPECT_EQ(mpr->get_rec_but(), 1) << "Enter records";
    mpr->stop_playing();
    EXPECT_EQ(pal->get_tool(), 16);
    EXPECT_EQ(key('e'), 1);
    EXPECT_EQ(pal->get_tool(), 81) << "a shortcut chooses its tool";
    pal->fermer_palette(9);
}
