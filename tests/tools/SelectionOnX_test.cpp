// The program on a private X server with a library melody given on its command line: the
// selection tool is chosen with its key and a click selects the second measure, which is shown
// inverted, the others not. The screenshots are written for a person to look at.
#include "ToolBench.h"

#include <cairo.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "framework/XClose.h"
#include "framework/XKeys.h"
#include "platform/TempFolder.h"
#include "platform/XClient.h"
#include "platform/XvfbServer.h"
#include "support/ProgramOnX.h"

namespace {

const std::string kOutput = BRINDLECOT_TEST_OUTPUT;
// The left edge of the palettes on the 1024-wide screen: bar lines are looked for left of it.
constexpr int kSelectionPaletteLeft = 704;

class SelectionOnX : public ::testing::Test {
protected:
    unsigned long window()
    {
        std::vector<unsigned long> w = top_level_x_windows(server.display());
        return w.empty() ? 0 : w.back();
    }
    bool wait_for(const std::function<bool()>& done)
    {
        for (int i = 0; i < 240; i++) {
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        }
        return done();
    }
    // The first staff of a fresh screenshot written to `png`, with the darkness of rectangles.
    ScreenStaff staff_in(const std::string& png)
    {
        ScreenStaff s;
        cairo_surface_t* image = screenshot(server.display(), png);
        if (!image) return s;
        s = first_screen_staff(image, kSelectionPaletteLeft - 10);
        cairo_surface_destroy(image);
        return s;
    }
    int darkness_in(const std::string& png, int x1, int y1, int x2, int y2)
    {
        cairo_surface_t* image = screenshot(server.display(), png);
        if (!image) return -1;
        const int d = screen_darkness(image, x1, y1, x2, y2);
        cairo_surface_destroy(image);
        return d;
    }

    XvfbServer server{"1024x768x24"};
    TempFolder home;
};

}  // namespace

TEST_F(SelectionOnX, AMeasureSelectedWithTheMouseIsShownInverted)
{
    ASSERT_FALSE(server.display().empty()) << "Xvfb is needed";
    ASSERT_FALSE(XvfbServer::find_program("import").empty()) << "a screenshot program is needed";
    const std::string program_dir = home / "program";
    std::filesystem::copy(BRINDLECOT_BUILD_DATA, program_dir, std::filesystem::copy_options::recursive);
    std::filesystem::remove(program_dir + "/misc/MIDIWIN.PFR");
    const std::string melody = home / "melodie.bcc";
    std::filesystem::copy_file(program_dir + "/Biblioth\xC3\xA8que d'origine/Au clair de la lune.bcc", melody);
    const pid_t pid = start_program_on_x(home, server.display(), program_dir, {melody});

    const std::string before_png = kOutput + "/selection_xvfb_before.png";
    ScreenStaff staff;
    ASSERT_TRUE(wait_for([&] {
        staff = staff_in(before_png);
        return staff.lines.size() == 5 && staff.bars.size() >= 4;
    })) << "the melody's first staff with its measures";
    const int top = staff.lines[0], bottom = staff.lines[4];
    // The second measure of the staff, and the last one shown on the staff line.
    const int m2_left = staff.bars[1], m2_right = staff.bars[2];
    const int last_left = staff.bars[staff.bars.size() - 2], last_right = staff.bars.back();
    const auto inside = [&](int l, int r) { return std::pair<int, int>{(l + r) / 2, top + staff.gap() / 2}; };

    // "s": the selection tool; a click in the second measure selects it, shown inverted.
    send_x_key(server.display(), window(), "s");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const auto [sx, sy] = inside(m2_left, m2_right);
    send_x_click(server.display(), window(), sx, sy);
    const std::string selected_png = kOutput + "/selection_xvfb_selected.png";
    ASSERT_TRUE(wait_for([&] {
        return darkness_in(selected_png, m2_left + 4, top + 1, m2_right - 4, bottom - 1) > 200;
    })) << "the selected measure is inverted";
    EXPECT_LT(darkness_in(selected_png, last_left + 4, top + 1, last_right - 4, bottom - 1), 200)
        << "the others are not";

    // The test ends the program it started.
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}
