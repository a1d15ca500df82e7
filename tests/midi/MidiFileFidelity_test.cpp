// Standard MIDI Files that come back as they went in: each small file is imported into a
// score, exported again (one track a staff) and both files are read by an outside reader,
// Python's mido. Every note keeps its channel, pitch, start and end in seconds and the program
// its channel plays; every lyric keeps its text and time.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "SmfBuilder.h"
#include "TrackNotes.h"
#include "midi/MidiExport.h"
#include "midi/MidiImport.h"
#include "score/MusicClasses.h"
#include "score/MusicSettings.h"
#include "score/ScoreFixture.h"

namespace {

// Prints every note as "note channel pitch start end program" (milliseconds, a Note Off
// ending the earliest sounding note of its pitch), every lyric or karaoke text as
// "lyric time text". A time-code file (division below 0 in the header) is timed by its frames.
const char* kReader = R"(import sys
import mido
path = sys.argv[1]
raw = open(path, 'rb').read()
division = int.from_bytes(raw[12:14], 'big', signed=True)
f = mido.MidiFile(path)
karaoke = path.lower().endswith('.kar')
def seconds(tick, tempo_map):
    if division < 0:
        fps = -(division >> 8)
        fps = 30000 / 1001 if fps == 29 else fps
        return tick / (fps * (division & 0xFF))
    total, last_tick, tempo = 0.0, 0, 500000
    for at, t in tempo_map:
        if at >= tick:
            break
        total += (at - last_tick) * tempo / 1e6 / f.ticks_per_beat
        last_tick, tempo = at, t
    return total + (tick - last_tick) * tempo / 1e6 / f.ticks_per_beat
events = []
for number, track in enumerate(f.tracks):
    now = 0
    for order, m in enumerate(track):
        now += m.time
        events.append((now, number, order, m))
events.sort(key=lambda e: (e[0], e[1], e[2]))
tempo_map = [(t, m.tempo) for t, _, _, m in events if m.type == 'set_tempo']
program = {}
sounding = {}
out = []
for tick, _, _, m in events:
    ms = round(seconds(tick, tempo_map) * 1000)
    if m.type == 'program_change':
        program[m.channel] = m.program
    elif m.type == 'note_on' and m.velocity > 0:
        sounding.setdefault((m.channel, m.note), []).append((ms, program.get(m.channel, -1)))
    elif m.type in ('note_off', 'note_on'):
        held = sounding.get((m.channel, m.note))
        if held:
            start, p = held.pop(0)
            out.append('note %d %d %d %d %d' % (m.channel, m.note, start, ms, p))
    elif m.type == 'lyrics' or (karaoke and m.type == 'text' and not m.text.startswith('@')):
        out.append('lyric %d %s' % (ms, m.text.lstrip('/\\')))
for key, held in sounding.items():
    for start, p in held:
        out.append('unended %d %d %d' % (key[0], key[1], start))
for line in sorted(out):
    print(line)
)";

std::string output_dir() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string dir = std::string(BRINDLECOT_TEST_OUTPUT) + "/fidelity-" + info->name();
    std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str());
    std::ofstream(dir + "/read.py") << kReader;
    return dir;
}

std::vector<std::string> read_with_mido(const std::string& dir, const std::string& file) {
    std::string out = file + ".txt";
    int status = std::system(("/usr/bin/python3 '" + dir + "/read.py' '" + file + "' > '" + out + "'").c_str());
    EXPECT_EQ(status, 0) << "mido could not read " << file;
    std::vector<std::string> lines;
    std::ifstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

struct Case {
    const char* what;
    const char* name;  // the file name: its extension matters
    Bytes file;
    // What mido reads from the exported file; empty: what it reads from the file itself.
    std::vector<std::string> expected;
    short tempo;  // of the imported score
};

std::vector<Case> cases() {
    std::vector<Case> c;
    {  // Struck again while it sounds: both notes sound, each to its own release.
        SmfTrack t;
        t.tempo(0, 500000).program(0, 0, 24).on(0, 0, 60).on(240, 0, 60).off(240, 0, 60).off(240, 0, 60);
        t.on(0, 0, 62).off(120, 0, 62).on(0, 0, 62).off(120, 0, 62).end();  // legato sixteenths
        c.push_back({"note struck again while it sounds", "again.mid", smf(0, 480, {t}), {}, 120});
    }
    {  // Two identical notes struck at once, released one after the other.
        SmfTrack t;
        t.tempo(0, 500000).on(0, 0, 64).on(0, 0, 64).off(480, 0, 64).off(480, 0, 64).note(0, 0, 65, 480).end();
        c.push_back({"two identical notes at once", "twice.mid", smf(0, 480, {t}), {}, 120});
    }
    {  // One track of a format 1 file on two channels with two programs.
        SmfTrack tempo, band;
        tempo.tempo(0, 500000).time_sig(0, 4, 2).end();
        band.text(0, 0x03, "Groupe").program(0, 1, 36).program(0, 9, 0).program(0, 2, 10);
        for (int i = 0; i < 4; i++) band.on(0, 1, 40).on(0, 9, 36).off(480, 1, 40).off(0, 9, 36);
        band.note(0, 2, 84, 960).end();
        c.push_back({"a track on several channels", "band.mid", smf(1, 480, {tempo, band}), {}, 120});
    }
    {  // No tempo at all: 120 a minute.
        SmfTrack t;
        t.note(0, 0, 67, 480).note(0, 0, 69, 960).end();
        c.push_back({"no tempo", "slow.mid", smf(0, 96 * 5, {t}), {}, 120});
    }
    for (int fps : {25, 30}) {  // Time code: 40 or 80 ticks a frame, the note times in real time.
        SmfTrack t;
        int per_frame = fps == 25 ? 40 : 80;
        int second = fps * per_frame;
        t.note(0, 0, 60, (uint32_t)second).note((uint32_t)second / 2, 0, 72, (uint32_t)second / 4).end();
        Bytes b = smf(0, 0, {t});
        b[12] = (uint8_t)(-fps & 0xFF);
        b[13] = (uint8_t)per_frame;
        c.push_back({fps == 25 ? "time code, 25 frames" : "time code, 30 frames", "smpte.mid", b, {}, 120});
    }
    {  // Lyrics in the first track before any channel message, and a lyric just before its note.
        SmfTrack words, tune;
        words.tempo(0, 500000).text(0, 0x05, "Au ").text(480, 0x05, "clair ").text(480, 0x05, "de ").end();
        tune.text(0, 0x05, "la ").note(0, 0, 60, 480).text(0, 0x05, "lu").note(0, 0, 62, 480).end();
        c.push_back({"lyrics before channel messages", "words.mid", smf(1, 480, {words, tune}), {}, 120});
    }
    {  // Karaoke: text events are the words, "@" lines are the header.
        SmfTrack head, words, tune;
        head.tempo(0, 500000).text(0, 0x01, "@KMIDI KARAOKE FILE").end();
        words.text(0, 0x03, "Words").text(0, 0x01, "@TTitre").text(0, 0x01, "\\Fre").text(480, 0x01, "re ");
        words.text(480, 0x01, "/Jac").end();
        tune.note(0, 0, 65, 480).note(0, 0, 67, 480).note(0, 0, 69, 480).end();
        c.push_back({"karaoke text track", "song.kar", smf(1, 480, {head, words, tune}),
                     {"lyric 0 Fre", "lyric 500 re ", "lyric 1000 Jac", "note 0 65 0 500 -1", "note 0 67 500 1000 -1",
                      "note 0 69 1000 1500 -1"},
                     120});
    }
    {  // A note never released ends with its track.
        SmfTrack t;
        t.tempo(0, 500000).on(0, 0, 60).note(0, 0, 64, 480).end(1440);
        c.push_back({"a note never released", "held.mid", smf(0, 480, {t}),
                     {"note 0 60 0 2000 -1", "note 0 64 0 500 -1"}, 120});
    }
    {  // Tempo changes, a zero tempo that is no change, an unknown chunk between tracks.
        SmfTrack tempo, a;
        tempo.tempo(0, 0).tempo(960, 400000).end();
        a.note(0, 0, 60, 960).note(0, 0, 62, 960).end();
        Bytes b = smf(1, 480, {tempo});
        b.insert(b.end(), {'X', 'F', 'I', 'H', 0, 0, 0, 3, 1, 2, 3});
        Bytes second = smf(1, 480, {a});
        b.insert(b.end(), second.begin() + 14, second.end());
        b[11] = 2;  // two tracks
        c.push_back({"zero tempo and an unknown chunk", "chunk.mid", b,
                     {"note 0 60 0 1000 -1", "note 0 62 1000 1800 -1"}, 120});
    }
    return c;
}

class MidiFileFidelity : public ::testing::Test {
protected:
    void SetUp() override {
        init_music_classes();
        saved_follow = follow_flags;
        follow_flags = 0;
    }
    void TearDown() override {
        follow_flags = saved_follow;
        quit_music_classes();
    }
    // Imports `file` into a new score and exports it as `exported`; the score is left in `out`.
    void round_trip(const std::string& file, const std::string& exported, short* tempo = nullptr,
                    std::vector<TrackNote>* notes = nullptr) {
        ScoreFixture score(1, 1);
        score.clef(1, 1, 1);
        ASSERT_EQ(importer_midi(score.d, file.c_str()), 1) << midi_import_error();
        // No soloists, as opening the file as a composition leaves the staves it does not
        // transcribe: every staff plays its track.
        for (short n = 1; n <= score.d->tot_ins; n++) score.d->ins[n].in_roll &= ~3;
        if (tempo) *tempo = score.d->tempo;
        if (notes) *notes = notes_of(score.d);
        const char* why = nullptr;
        ASSERT_EQ(exporter_midi_document(score.d, exported.c_str(), 3, &why), 1) << why;
    }
    short saved_follow = 0;
};

TEST_F(MidiFileFidelity, SmallFilesComeBackAsTheyWentIn) {
    const std::string dir = output_dir();
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.what);
        std::string in = dir + "/" + c.name, out = dir + "/back-" + c.name;
        out = out.substr(0, out.size() - 4) + ".mid";
        write_bytes(in, c.file);
        short tempo = 0;
        round_trip(in, out, &tempo);
        EXPECT_EQ(tempo, c.tempo);
        std::vector<std::string> expected = c.expected.empty() ? read_with_mido(dir, in) : c.expected;
        ASSERT_FALSE(expected.empty());
        std::vector<std::string> back = read_with_mido(dir, out);
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(back, expected);
    }
}

// A track of 40,000 events: what one staff cannot hold continues on the staves made for it,
// every note whole on one of them, and the export writes them all.
TEST_F(MidiFileFidelity, ALongTrackKeepsEveryNote) {
    const std::string dir = output_dir();
    SmfTrack t;
    t.tempo(0, 500000).program(0, 3, 5);
    for (int i = 0; i < 20000; i++) t.on(0, 3, 48 + i % 24).off(60, 3, 48 + i % 24);
    write_bytes(dir + "/long.mid", smf(0, 480, {t.end()}));
    std::vector<TrackNote> notes;
    round_trip(dir + "/long.mid", dir + "/back.mid", nullptr, &notes);
    EXPECT_EQ(notes.size(), 20000u);
    std::vector<std::string> expected = read_with_mido(dir, dir + "/long.mid");
    EXPECT_EQ(expected.size(), 20000u);
    EXPECT_EQ(read_with_mido(dir, dir + "/back.mid"), expected);
}

}  // namespace

namespace {

// Every MIDI file the program ships (the accompaniment styles) comes back with every note
// and instrument.
TEST_F(MidiFileFidelity, TheFilesThatShipComeBackWhole) {
    const std::string dir = output_dir();
    int files = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(BRINDLECOT_BUILD_DATA)) {
        std::string ext = e.path().extension().string();
        if (ext != ".mid" && ext != ".MID") continue;
        SCOPED_TRACE(e.path().string());
        files++;
        std::string in = dir + "/" + std::to_string(files) + ".mid", out = dir + "/back-" + std::to_string(files) + ".mid";
        std::filesystem::copy_file(e.path(), in);
        round_trip(in, out);
        std::vector<std::string> expected = read_with_mido(dir, in);
        EXPECT_FALSE(expected.empty());
        EXPECT_EQ(read_with_mido(dir, out), expected);
    }
    EXPECT_GE(files, 1);
}

}  // namespace
