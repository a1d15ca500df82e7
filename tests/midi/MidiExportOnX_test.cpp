// The program on a private X server opens a multi-track Standard MIDI File (a melody with its
// words, a band track on two channels with two instruments, no tempo event), shows its page and
// exports it with "Fichier" > "Exporter en MIDI..." (one track a staff); an exported file opens
// again. An outside reader (Python's mido) finds in the exported file every note of the
// original with its channel, pitch, start, end and instrument, and every syllable. The
// screenshots are written for a person to look at.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "../app/XWindows.h"
#include "SmfBuilder.h"
#include "framework/XClose.h"
#include "framework/XKeys.h"
#include "midi/MidiExport.h"
#include "midi/MidiImport.h"
#include "score/ScoreFixture.h"
#include "support/ProgramOnX.h"

namespace {

const std::string kOutput = BRINDLECOT_TEST_OUTPUT;

// Every note as "note channel pitch start end program" in milliseconds, every syllable as
// "lyric time text", sorted.
const char* kReader = R"(import sys
import mido
f = mido.MidiFile(sys.argv[1])
events = []
for number, track in enumerate(f.tracks):
    now = 0
    for order, m in enumerate(track):
        now += m.time
        events.append((now, number, order, m))
events.sort(key=lambda e: (e[0], e[1], e[2]))
tempo, last_tick, seconds = 500000, 0, 0.0
program, sounding, out = {}, {}, []
for tick, _, _, m in events:
    seconds += (tick - last_tick) * tempo / 1e6 / f.ticks_per_beat
    last_tick = tick
    ms = round(seconds * 1000)
    if m.type == 'set_tempo':
        tempo = m.tempo
    elif m.type == 'program_change':
        program[m.channel] = m.program
    elif m.type == 'note_on' and m.velocity > 0:
        sounding.setdefault((m.channel, m.note), []).append((ms, program.get(m.channel, -1)))
    elif m.type in ('note_off', 'note_on') and sounding.get((m.channel, m.note)):
        start, p = sounding[(m.channel, m.note)].pop(0)
        out.append('note %d %d %d %d %d' % (m.channel, m.note, start, ms, p))
    elif m.type == 'lyrics':
        out.append('lyric %d %s' % (ms, m.text))
for line in sorted(out):
    print(line)
)";

// Three tracks, 4/4, no tempo event: a melody with one syllable a note (placed just before it),
// a band track playing a bass on channel 2 and drums on channel 10.
Bytes song() {
    SmfTrack head, melody, band;
    head.time_sig(0, 4, 2).key_sig(0, 0, 0).text(0, 0x03, "Chanson").end();
    melody.text(0, 0x03, "Voix").program(0, 0, 73);
    const int tune[] = {72, 74, 76, 77, 79, 77, 76, 74, 72, 76, 79, 84, 79, 76, 72, 72};
    const char* words[] = {"Au ", "clair ", "de ", "la ", "lu", "ne, ", "mon ", "a", "mi ", "Pier", "rot, ",
                           "prete-", "moi ", "ta ", "plu", "me"};
    for (int i = 0; i < 16; i++) melody.text(0, 0x05, words[i]).note(0, 0, tune[i], 480);
    band.text(0, 0x03, "Groupe").program(0, 1, 33).program(0, 9, 0);
    const int bass[] = {48, 43, 45, 41, 48, 43, 48, 36};
    for (int p : bass) band.on(0, 1, p).on(0, 9, 36).off(480, 9, 36).on(0, 9, 38).off(480, 1, p).off(0, 9, 38);
    return smf(1, 480, {head, melody.end(), band.end()});
}

class MidiExportOnX : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(program_dir);
        std::filesystem::copy(BRINDLECOT_BUILD_DATA, program_dir, std::filesystem::copy_options::recursive);
        std::filesystem::remove(program_dir + "/misc/MIDIWIN.PFR");
        std::ofstream(home / "read.py") << kReader;
    }
    unsigned long screen_window() {
        std::vector<XWindow> w = shown_windows(server.display());
        return w.empty() ? 0 : w.back().id;
    }
    static bool wait_for(const std::function<bool()>& done) {
        for (int i = 0; i < 240; i++) {
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        }
        return done();
    }
    std::string pixels(const std::string& png) {
        cairo_surface_t* image = screenshot(server.display(), png);
        if (!image) return std::string();
        std::string out(reinterpret_cast<const char*>(cairo_image_surface_get_data(image)),
                        (size_t)cairo_image_surface_get_stride(image) * cairo_image_surface_get_height(image));
        cairo_surface_destroy(image);
        return out;
    }
    // Does `action` and waits until the screen shows a change.
    bool changes(const std::function<void()>& action) {
        const std::string png = kOutput + "/midi_export_step.png";
        const std::string before = pixels(png);
        action();
        return wait_for([&] { return pixels(png) != before; });
    }
    void key(const char* name) { send_x_key(server.display(), screen_window(), name); }
    // Staff lines on the screen below the window's bars (at least `lines` of them).
    bool staves_shown(const std::string& png, size_t lines) {
        cairo_surface_t* image = screenshot(server.display(), png);
        if (!image) return false;
        std::vector<int> rows = staff_rows(image, 120);
        cairo_surface_destroy(image);
        size_t n = 0;
        for (int y : rows) n += y >= 100;
        return n >= lines;
    }
    // Starts the program with `file`, accepts the choice of soloists and waits for the page.
    pid_t open_in_program(const std::string& file, const std::string& page_png) {
        pid_t pid = start_program_on_x(home, server.display(), program_dir, {file});
        EXPECT_TRUE(wait_for([&] { return screen_window() != 0 && !pixels(kOutput + "/midi_export_step.png").empty(); }));
        // The choice of soloists comes up over the frame; Return accepts it.
        std::this_thread::sleep_for(std::chrono::seconds(2));
        EXPECT_TRUE(wait_for([&] {
            for (unsigned long w : top_level_x_windows(server.display())) send_x_key(server.display(), w, "Return");
            return staves_shown(page_png, 5);
        })) << "the page shows its staves";
        return pid;
    }
    // Ends the program at once (the test has what it needs), without the question whether to
    // keep the imported score.
    static void end_program(pid_t pid) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    std::vector<std::string> read_with_mido(const std::string& file) {
        const std::string out = file + ".txt";
        EXPECT_EQ(std::system(("/usr/bin/python3 '" + (home / "read.py") + "' '" + file + "' > '" + out + "'").c_str()), 0);
        std::vector<std::string> lines;
        std::ifstream in(out);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    XvfbServer server{"1024x768x24"};
    TempFolder home;
    const std::string program_dir = home / "program";
};

TEST_F(MidiExportOnX, AnOpenedFileIsExportedWithEveryNote) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the thread-sanitizer build makes the MIDI tests, not the program this test starts";
#endif
    ASSERT_FALSE(server.display().empty()) << "Xvfb is needed";
    ASSERT_FALSE(XvfbServer::find_program("import").empty()) << "a screenshot program is needed";
    const std::string original = home / "Chanson.mid";
    write_bytes(original, song());
    pid_t pid = open_in_program(original, kOutput + "/midi_export_page.png");

    // "Fichier" > "Exporter en MIDI..." (the eleventh item that can be chosen), the kind offered
    // (one track a staff) with OK, then a name in the save dialog. The keys reach the program
    // in the order they are typed.
    ASSERT_TRUE(changes([&] { click(server.display(), {screen_window(), 0, 0, 0, 0}, 30, 32); })) << "the menu opens";
    ASSERT_TRUE(changes([&] {
        for (int i = 0; i < 11; i++) key("Down");
    }));
    cairo_surface_destroy(screenshot(server.display(), kOutput + "/midi_export_menu.png"));
    ASSERT_TRUE(changes([&] { key("Return"); })) << "the kind of file is asked";
    cairo_surface_destroy(screenshot(server.display(), kOutput + "/midi_export_kind.png"));
    ASSERT_TRUE(changes([&] { key("Return"); })) << "the file name is asked";
    EXPECT_TRUE(changes([&] {
        for (const char* k : {"e", "x", "p", "o", "r", "t"}) key(k);
    }));
    cairo_surface_destroy(screenshot(server.display(), kOutput + "/midi_export_name.png"));
    key("Return");
    std::string exported;
    ASSERT_TRUE(wait_for([&] {
        for (const auto& e : std::filesystem::recursive_directory_iterator(home.path()))
            if (e.path().filename() == "export.MID") exported = e.path().string();
        return !exported.empty();
    })) << "the file is written";
    end_program(pid);

    // Every note and syllable of the original, with its channel and instrument.
    std::vector<std::string> expected = read_with_mido(original);
    ASSERT_EQ(expected.size(), 16u + 16u + 24u);
    EXPECT_EQ(read_with_mido(exported), expected);
    std::filesystem::copy_file(exported, kOutput + "/midi_export_from_program.mid",
                               std::filesystem::copy_options::overwrite_existing);
}

// A file the export wrote (one track a staff, a staff for each channel of the band track)
// opens again in the program as a score.
TEST_F(MidiExportOnX, AnExportedFileOpensAgain) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the thread-sanitizer build makes the MIDI tests, not the program this test starts";
#endif
    ASSERT_FALSE(server.display().empty()) << "Xvfb is needed";
    ASSERT_FALSE(XvfbServer::find_program("import").empty()) << "a screenshot program is needed";
    const std::string exported = home / "export.MID";
    {
        const std::string original = home / "Chanson.mid";
        write_bytes(original, song());
        ScoreFixture score(1, 1);
        score.clef(1, 1, 1);
        ASSERT_EQ(importer_midi(score.d, original.c_str()), 1) << midi_import_error();
        for (short n = 1; n <= score.d->tot_ins; n++) score.d->ins[n].in_roll &= ~3;
        const char* why = nullptr;
        ASSERT_EQ(exporter_midi_document(score.d, exported.c_str(), 3, &why), 1) << why;
        EXPECT_EQ(read_with_mido(exported), read_with_mido(original));
    }
    end_program(open_in_program(exported, kOutput + "/midi_export_again.png"));
}

}  // namespace
