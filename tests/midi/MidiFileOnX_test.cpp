// The program started with a Standard MIDI File on its command line, on a private X server:
// the choice of soloists comes up, Enter accepts it, and the file shows as a score
// laid out in pages. The screenshots are written for a person to look at.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "SmfBuilder.h"
#include "framework/XClose.h"
#include "framework/XKeys.h"
#include "support/ProgramOnX.h"
#include "support/WaitUntil.h"

namespace {

// A melody over a bass, 4/4 at 100 to the quarter note, four measures.
Bytes song() {
    SmfTrack tempo, melody, bass;
    tempo.tempo(0, 600000).time_sig(0, 4, 2).key_sig(0, 0, 0).end();
    melody.text(0, 0x03, "Flute").program(0, 0, 73);
    const int tune[] = {72, 74, 76, 77, 79, 77, 76, 74, 72, 76, 79, 84, 79, 76, 72, 72};
    for (int p : tune) melody.note(0, 0, p, 480);
    bass.text(0, 0x03, "Basse").program(0, 1, 32);
    for (int p : {48, 43, 45, 41, 48, 43, 48, 36}) bass.note(0, 1, p, 960);
    return smf(1, 480, {tempo, melody.end(), bass.end()});
}

// The program with the build's program folder (without MIDI settings), `file` as argument.
pid_t start_program(const TempFolder& home, const std::string& display, const std::string& file) {
    const std::string program_dir = home / "program";
    std::filesystem::create_directories(program_dir);
    std::filesystem::copy(BRINDLECOT_BUILD_DATA "/misc", program_dir + "/misc", std::filesystem::copy_options::recursive);
    std::filesystem::remove(program_dir + "/misc/MIDIWIN.PFR");
    return start_program_on_x(home, display, program_dir, {file});
}

// Whether the screenshot shows an active window's caption below the frame's: a dialog.
bool dialog_shown(cairo_surface_t* image) {
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    for (int y = 60; y < cairo_image_surface_get_height(image); y++) {
        int n = 0;
        for (int x = 0; x < cairo_image_surface_get_width(image); x++)
            n += (*reinterpret_cast<const uint32_t*>(data + y * stride + x * 4) & 0xFFFFFF) == 0x2A5AA0;
        if (n > 300) return true;
    }
    return false;
}

// Waits (a generous while) until a screenshot shows at least `lines` staff lines on the page,
// below the window's bars and tool strip.
size_t wait_for_staves(const std::string& display, const std::string& png, size_t lines) {
    std::vector<int> rows;
    wait_until(
        [&] {
            if (cairo_surface_t* image = screenshot(display, png)) {
                rows = staff_rows(image, 120);
                rows.erase(std::remove_if(rows.begin(), rows.end(), [](int y) { return y < 100; }), rows.end());
                cairo_surface_destroy(image);
            }
            return rows.size() >= lines;
        },
        std::chrono::milliseconds(250));
    return rows.size();
}

}  // namespace

TEST(MidiFileOnX, TheFileOnTheCommandLineOpensAsAScore) {
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the thread-sanitizer build makes the MIDI tests, not the program this test starts";
#endif
    XvfbServer server("1024x768x24");
    ASSERT_XVFB_RUNNING(server);
    ASSERT_PROGRAM_INSTALLED("import");
    TempFolder home;
    const std::string file = home / "Chanson.mid";
    write_bytes(file, song());
    const pid_t pid = start_program(home, server.display(), file);

    // The choice of soloists: a dialog, no staff drawn yet behind it.
    const std::string out = BRINDLECOT_TEST_OUTPUT;
    const bool asked = wait_until(
        [&] {
            cairo_surface_t* image = screenshot(server.display(), out + "/midi_xvfb_choice.png");
            if (!image) return false;
            const bool shown = dialog_shown(image);
            cairo_surface_destroy(image);
            return shown;
        },
        std::chrono::milliseconds(250));
    ASSERT_TRUE(asked) << "the choice dialog comes up";

    for (unsigned long w : top_level_x_windows(server.display())) send_x_key(server.display(), w, "Return");
    // The page shows the soloist's staff (the accompaniment's staff is empty: the optimised
    // systems leave it out).
    EXPECT_GE(wait_for_staves(server.display(), out + "/midi_xvfb_score.png", 5), 5u) << "a staff of five lines";
    close_x_windows(server.display());
    wait_program_exit(pid);
}
