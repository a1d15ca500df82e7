// The composition assistant in the program on a private X server, as a user works it: a score
// of the library opened, "Aide à la composition libre..." (Ctrl+C) shows the assistant over it,
// a chord is chosen in the grid, a variation of the style previewed, and two notes played on the
// on-screen piano. The screenshots are written for a person to look at.
#include "platform/TempFolder.h"
#include "platform/XvfbServer.h"
#include "framework/XKeys.h"
#include "XWindows.h"
#include "support/ProgramOnX.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::string kOutput = BRINDLECOT_TEST_OUTPUT;

bool wait_for(const std::function<bool()>& done)
{
    for (int i = 0; i < 240; i++) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    return done();
}

// A screenshot read back: its pixels as 0xRRGGBB.
struct Shot {
    int width = 0, height = 0;
    std::vector<uint32_t> rgb;
    uint32_t at(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height ? rgb[y * width + x] : 0; }
    int count(uint32_t colour) const
    {
        int n = 0;
        for (uint32_t c : rgb) n += c == colour;
        return n;
    }
};

Shot take(const std::string& display, const std::string& png)
{
    Shot s;
    cairo_surface_t* image = screenshot(display, png);
    if (!image) return s;
    s.width = cairo_image_surface_get_width(image);
    s.height = cairo_image_surface_get_height(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    for (int y = 0; y < s.height; y++)
        for (int x = 0; x < s.width; x++)
            s.rgb.push_back(*reinterpret_cast<const uint32_t*>(data + y * stride + x * 4) & 0xFFFFFF);
    cairo_surface_destroy(image);
    return s;
}

constexpr uint32_t kBlue = 0x0000FF;  // the current chord and the variation playing

class AssistantOnX : public ::testing::Test {
protected:
    XWindow screen()
    {
        std::vector<XWindow> w = shown_windows(server.display());
        return w.empty() ? XWindow{0, 0, 0, 0, 0} : w.back();
    }
    std::string png(const std::string& name) { return kOutput + "/assistant_" + name + ".png"; }
    // The top left corner of the topmost blue area (the grid's current cell).
    bool first_blue(const Shot& s, int* x, int* y)
    {
        for (int j = 0; j < s.height; j++)
            for (int i = 0; i < s.width; i++)
                if (s.at(i, j) == kBlue && s.at(i + 20, j) == kBlue && s.at(i, j + 8) == kBlue) {
                    *x = i;
                    *y = j;
                    return true;
                }
        return false;
    }

    XvfbServer server{"1024x768x24"};
    TempFolder home;
};

TEST_F(AssistantOnX, ChordChosenVariationPreviewedAndNotesPlayedOnThePiano)
{
    ASSERT_FALSE(server.display().empty()) << "Xvfb runs";
    ASSERT_FALSE(XvfbServer::find_program("import").empty()) << "a screenshot program is installed";
    const std::string program_dir = home / "program";
    std::filesystem::copy(BRINDLECOT_BUILD_DATA, program_dir, std::filesystem::copy_options::recursive);
    std::filesystem::remove(program_dir + "/misc/MIDIWIN.PFR");
    const std::string score = program_dir + "/Biblioth\xC3\xA8que d'origine/Au clair de la lune.bcc";
    ASSERT_TRUE(std::filesystem::exists(score));
    const pid_t pid = start_program_on_x(home, server.display(), program_dir, {score});
    ASSERT_TRUE(wait_for([&] { return screen().id != 0; })) << "the program shows";
    ASSERT_TRUE(wait_for([&] { return take(server.display(), png("step")).count(0) > 2000; })) << "the score is drawn";

    // Ctrl+C: "Aide à la composition libre...". The grid shows its current cell in blue.
    send_x_key(server.display(), screen().id, "c", true);
    int gx = 0, gy = 0;
    ASSERT_TRUE(wait_for([&] { return first_blue(take(server.display(), png("opening")), &gx, &gy); }))
        << "the assistant shows its chord grid";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    Shot opened = take(server.display(), png("open"));
    ASSERT_TRUE(first_blue(opened, &gx, &gy));
    // The grid panel's origin: its first cell stands at (33, 23) in it; the style panel is 186
    // pixels lower and 0 to the left, the piano 482 to the right and 96 lower.
    const int panel_x = gx - 34, panel_y = gy - 24;

    // Cell 5 of the first row (G) chosen: it turns blue, the first cell white.
    const int g_x = panel_x + 33 + 4 * 58 + 29, g_y = panel_y + 23 + 6;
    click(server.display(), screen(), g_x, g_y);
    EXPECT_TRUE(wait_for([&] { return take(server.display(), png("chord")).at(g_x, g_y + 4) == kBlue; }))
        << "the chosen chord is current";
    EXPECT_NE(take(server.display(), png("chord")).at(gx + 2, gy + 2), kBlue);

    // The style panel's "Couplet A" (cell 2): it plays, drawn blue.
    const int v_x = panel_x + 2 * 106 + 40, v_y = panel_y + 186 + 7;
    click(server.display(), screen(), v_x, v_y);
    EXPECT_TRUE(wait_for([&] { return take(server.display(), png("variation")).at(v_x, v_y) == kBlue; }))
        << "the variation plays";

    // Two keys of the piano, C4 and E4 (white keys 5 and 7 from F3, 16 pixels each), held
    // while the screen is taken: the key is marked and its note lit on the scale staff.
    const int piano_x = panel_x + 482, piano_y = panel_y + 96;
    const int keys[2] = {piano_x + 4 * 16 + 8, piano_x + 6 * 16 + 8};
    for (int k = 0; k < 2; k++) {
        const Shot before = take(server.display(), png("before_key"));
        press_button(server.display(), screen(), keys[k], piano_y + 70);
        EXPECT_TRUE(wait_for([&] {
            const Shot now = take(server.display(), png("key_held"));
            return now.at(keys[k], piano_y + 72) != before.at(keys[k], piano_y + 72);
        })) << "key " << k + 1 << " is marked";
        take(server.display(), png(k == 0 ? "piano_c" : "piano_e"));
        release_button(server.display(), screen(), keys[k], piano_y + 70);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    take(server.display(), png("played"));

    // Ctrl+C again closes it.
    send_x_key(server.display(), screen().id, "c", true);
    EXPECT_TRUE(wait_for([&] { return take(server.display(), png("closed")).at(g_x, g_y + 4) != kBlue; }))
        << "the assistant closes";
    send_x_key(server.display(), screen().id, "q", true);
    if (!wait_program_exit(pid)) {
        // Ctrl+Q may ask whether to save: no changes were made, so it should not.
        ADD_FAILURE() << "the program ends on Ctrl+Q";
    }
}

}  // namespace
