// The program started with a score on a private X server plays it from the space key: the play
// indicator moves along the score. The screenshot taken while it plays is written for a person
// to look at.
#include "EditorFixture.h"

#include "platform/TempFolder.h"
#include "platform/XvfbServer.h"
#include "score/DocumentFileSupport.h"
#include "framework/XClose.h"
#include "framework/XKeys.h"
#include "support/ProgramOnX.h"
#include "support/WaitUntil.h"

#include <cairo.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

namespace {

class PlayOnX : public EditorFixture {
protected:
    XvfbServer server{"1024x768x24"};
    TempFolder home;
};

// How many pixels of two screenshots of the same size differ.
long differing_pixels(cairo_surface_t* a, cairo_surface_t* b) {
    const int stride = cairo_image_surface_get_stride(a), h = cairo_image_surface_get_height(a);
    const int w = cairo_image_surface_get_width(a);
    if (cairo_image_surface_get_height(b) != h || cairo_image_surface_get_stride(b) != stride) return -1;
    const unsigned char* pa = cairo_image_surface_get_data(a);
    const unsigned char* pb = cairo_image_surface_get_data(b);
    long n = 0;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            n += std::memcmp(pa + y * stride + 4 * x, pb + y * stride + 4 * x, 3) != 0;
    return n;
}

TEST_F(PlayOnX, TheSpaceKeyPlaysTheScoreAndTheIndicatorMoves) {
    ASSERT_XVFB_RUNNING(server);
    ASSERT_PROGRAM_INSTALLED("import");
    Document* d = make_score(2, 16);
    for (short c = 1; c <= 16; c++) {
        score->note(c, 1, (short)(14 - c % 5), 3);
        score->note(c, 1, 11, 4);
        score->note(c, 1, 8, 4);
        score->note(c, 1, 17, 2);
        score->note(c, 2, 20, 1);
    }
    score->clef(1, 1, 1);
    score->clef(1, 2, 2);
    d->tempo = 160;
    d->sub_doc[d->cur_sub_doc].tempo = 160;
    d->sub_doc[d->cur_sub_doc].rpar = CRect{};
    d->sub_doc[d->cur_sub_doc].rpar.x2 = -1;  // maximised
    const std::string path = home / "played.bcc";
    ASSERT_EQ(save_to(d, path), 1);
    score.reset();
    const std::string program_dir = home / "program";
    std::filesystem::create_directories(program_dir);
    std::filesystem::copy(BRINDLECOT_BUILD_DATA "/misc", program_dir + "/misc", std::filesystem::copy_options::recursive);
    std::filesystem::remove(program_dir + "/misc/MIDIWIN.PFR");
    const pid_t pid = start_program_on_x(home, server.display(), program_dir, {path});
    const std::string still = std::string(BRINDLECOT_TEST_OUTPUT) + "/play_xvfb_before.png";
    const std::string playing = std::string(BRINDLECOT_TEST_OUTPUT) + "/play_xvfb_playing.png";
    const std::string later = std::string(BRINDLECOT_TEST_OUTPUT) + "/play_xvfb_later.png";
    // The score is drawn once two screenshots in a row are the same and not blank, after the
    // first few.
    cairo_surface_t* before = nullptr;
    int shots = 0;
    wait_until(
        [&] {
            cairo_surface_t* shot = screenshot(server.display(), still);
            if (!shot) return false;
            const bool steady = before && differing_pixels(before, shot) == 0;
            if (before) cairo_surface_destroy(before);
            before = shot;
            return steady && ++shots > 8;
        },
        std::chrono::milliseconds(250));
    ASSERT_NE(before, nullptr);
    for (unsigned long w : top_level_x_windows(server.display())) send_x_key(server.display(), w, "space");
    // While it plays the indicator is drawn, and a moment later it stands elsewhere.
    cairo_surface_t* first = nullptr;
    wait_until(
        [&] {
            cairo_surface_t* shot = screenshot(server.display(), playing);
            if (shot && differing_pixels(before, shot) > 0) first = shot;
            else if (shot) cairo_surface_destroy(shot);
            return first != nullptr;
        },
        std::chrono::milliseconds(250));
    ASSERT_NE(first, nullptr) << "the play indicator appears";
    const bool moved = wait_until(
        [&] {
            cairo_surface_t* shot = screenshot(server.display(), later);
            const bool elsewhere = shot && differing_pixels(first, shot) > 0;
            if (shot) cairo_surface_destroy(shot);
            return elsewhere;
        },
        std::chrono::milliseconds(250));
    EXPECT_TRUE(moved) << "the indicator follows the music";
    cairo_surface_destroy(first);
    cairo_surface_destroy(before);
    close_x_windows(server.display());
    wait_program_exit(pid);
}

}  // namespace
