// The program on a private X server, driven by its menus as a user would: a score of
// "Bibliothèque d'origine" opened, drawn and played, saved under another name, closed, opened again from
// "Mes variations...", and opened once more at the next start as the last document. The
// screenshots of the library menu and of the opened score are written for a person to look at.
#include "platform/TempFolder.h"
#include "platform/XvfbServer.h"
#include "framework/XKeys.h"
#include "XWindows.h"
#include "support/ProgramOnX.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <thread>
#include <vector>

namespace {

const std::string kOutput = BRINDLECOT_TEST_OUTPUT;

// The program on `display` with its own settings and a program folder copied from the build's.
pid_t start_program(const TempFolder& home, const std::string& display, const std::vector<std::string>& args = {},
                    bool logo_box = false)
{
    const std::string program_dir = home / "program";
    if (!std::filesystem::exists(program_dir)) {
        std::filesystem::copy(BRINDLECOT_BUILD_DATA, program_dir, std::filesystem::copy_options::recursive);
        std::filesystem::remove(program_dir + "/misc/MIDIWIN.PFR");
    }
    return start_program_on_x(home, display, program_dir, args, logo_box);
}

// The screen's pixels of a colour (red, green, blue from 0 to 255).
int pixels_of(const std::string& display, const std::string& png, const std::function<bool(int, int, int)>& colour)
{
    cairo_surface_t* image = screenshot(display, png);
    if (!image) return 0;
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    int n = 0;
    for (int y = 0; y < cairo_image_surface_get_height(image); y++)
        for (int x = 0; x < cairo_image_surface_get_width(image); x++) {
            const uint32_t c = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
            n += colour((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
        }
    cairo_surface_destroy(image);
    return n;
}

// Pixels of the logo's wine colour (its frame and its title).
int logo_pixels(const std::string& display, const std::string& png)
{
    return pixels_of(display, png, [](int r, int g, int b) { return r >= 90 && r <= 170 && g <= 60 && b >= 25 && b <= 75; });
}

// Pixels of the pure red of the note being played.
int highlight_pixels(const std::string& display, const std::string& png)
{
    return pixels_of(display, png, [](int r, int g, int b) { return r >= 230 && g <= 40 && b <= 40; });
}

bool wait_for(const std::function<bool()>& done)
{
    for (int i = 0; i < 240; i++) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    return done();
}

// Whether the screen shows a staff across the 300 pixels from x = 300: five thin dark lines at
// even gaps (the borders of a dialog or of a progress bar are not spaced so).
bool staff_drawn(const std::string& display, const std::string& png)
{
    cairo_surface_t* image = screenshot(display, png);
    if (!image) return false;
    const std::vector<int> rows = staff_rows(image, 300);
    cairo_surface_destroy(image);
    for (size_t i = 0; i + 4 < rows.size(); i++) {
        const int gap = rows[i + 1] - rows[i];
        bool even = gap >= 4 && gap <= 20;
        for (size_t k = i + 1; even && k < i + 4; k++) even = std::abs(rows[k + 1] - rows[k] - gap) <= 1;
        if (even) return true;
    }
    return false;
}

// The screen's pixels, empty when no screenshot can be had.
std::string pixels(const std::string& display, const std::string& png)
{
    cairo_surface_t* image = screenshot(display, png);
    if (!image) return std::string();
    const std::string out(reinterpret_cast<const char*>(cairo_image_surface_get_data(image)),
                          (size_t)cairo_image_surface_get_stride(image) * cairo_image_surface_get_height(image));
    cairo_surface_destroy(image);
    return out;
}

// The program draws every window of its own on one X window, the size of the screen.
class ShellOnX : public ::testing::Test {
protected:
    unsigned long screen_window()
    {
        std::vector<XWindow> w = shown_windows(server.display());
        return w.empty() ? 0 : w.back().id;
    }
    // Does `action` and waits until the screen shows a change.
    bool changes(const std::function<void()>& action)
    {
        // One file a test: the tests run side by side.
        const std::string png =
            kOutput + "/shell_step_" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".png";
        const std::string before = pixels(server.display(), png);
        action();
        return wait_for([&] { return pixels(server.display(), png) != before; });
    }
    // Opens "Fichier" by a click on its title, under the frame's caption.
    bool open_file_menu()
    {
        return changes([&] { click(server.display(), {screen_window(), 0, 0, 0, 0}, 30, 32); });
    }
    void key(const char* name, bool control = false) { send_x_key(server.display(), screen_window(), name, control); }
    // Keys that each change what the screen shows (moves in a menu, letters in a field).
    void keys(std::initializer_list<const char*> names)
    {
        for (const char* k : names) EXPECT_TRUE(changes([&] { key(k); })) << k;
    }
    // The menu's first item is reached by Down; each more Down goes to the next enabled item.
    void choose_in_file_menu(int downs)
    {
        ASSERT_TRUE(open_file_menu());
        for (int i = 0; i < downs; i++) keys({"Down"});
        key("Return");
    }
    bool score_shown(const std::string& png) { return staff_drawn(server.display(), png); }

    XvfbServer server{"1024x768x24"};
    TempFolder home;
};

TEST_F(ShellOnX, AScoreOfTheLibraryOpensIsSavedUnderAnotherNameClosedAndOpensAgain)
{
    ASSERT_XVFB_RUNNING(server);
    ASSERT_PROGRAM_INSTALLED("import");
    pid_t pid = start_program(home, server.display());
    ASSERT_TRUE(wait_for([&] { return screen_window() != 0; })) << "the program shows";
    ASSERT_TRUE(wait_for([&] { return pixels(server.display(), kOutput + "/shell_step.png").size() > 0; }));

    // "Fichier" > "Bibliothèque d'origine..." lists the scores; the third is "Au clair de la lune".
    ASSERT_TRUE(open_file_menu());
    keys({"Down", "Right"});
    const std::string menu_png = kOutput + "/shell_library_menu.png";
    cairo_surface_t* shot = screenshot(server.display(), menu_png);
    ASSERT_NE(shot, nullptr);
    cairo_surface_destroy(shot);
    keys({"Down", "Down"});
    key("Return");
    const std::string score_png = kOutput + "/shell_library_score.png";
    EXPECT_TRUE(wait_for([&] { return score_shown(score_png); })) << "the score is drawn";

    // The space bar plays it: the notes being played are marked as the play goes on.
    EXPECT_TRUE(changes([&] { key("space"); })) << "playing shows on the score";
    EXPECT_TRUE(wait_for([&] { return highlight_pixels(server.display(), kOutput + "/shell_playing.png") > 10; }))
        << "the note being played is drawn red";
    key("space");

    // "Enregistrer sous..." (the ninth enabled item) asks for a name in "Mes variations".
    choose_in_file_menu(9);
    keys({"m", "o", "n", "space", "a", "i", "r"});
    cairo_surface_destroy(screenshot(server.display(), kOutput + "/shell_save_dialog.png"));
    key("Return");
    std::string saved;
    ASSERT_TRUE(wait_for([&] {
        for (const auto& e : std::filesystem::recursive_directory_iterator(home.path()))
            if (e.path().filename() == "mon air.bcc") saved = e.path().string();
        return !saved.empty();
    })) << "the score is saved under its new name";
    EXPECT_NE(saved.find("/Mes variations/"), std::string::npos) << saved;

    // "Fermer" (the eighth enabled item) closes it: no staff is left.
    choose_in_file_menu(8);
    EXPECT_TRUE(wait_for([&] { return !score_shown(kOutput + "/shell_closed.png"); })) << "closed";

    // "Mes variations..." holds it; chosen, it opens again.
    ASSERT_TRUE(open_file_menu());
    keys({"Down", "Down", "Right"});
    key("Return");
    EXPECT_TRUE(wait_for([&] { return score_shown(kOutput + "/shell_variation.png"); })) << "opened again";

    // Quit (Ctrl+Q), start again: the last document opens by itself.
    key("q", true);
    EXPECT_TRUE(wait_program_exit(pid)) << "the program ends on Ctrl+Q";
    pid = start_program(home, server.display());
    EXPECT_TRUE(wait_for([&] { return score_shown(kOutput + "/shell_last_document.png"); }))
        << "the last document opens at start";
    key("q", true);
    EXPECT_TRUE(wait_program_exit(pid));
    std::string line;
    // It is remembered in the user's settings folder, not in the program's.
    EXPECT_FALSE(std::filesystem::exists(home / "program/misc/LastDoc.txt"));
    std::ifstream last(home / "config/brindlecot/LastDoc.txt");
    std::getline(last, line);
    EXPECT_NE(line.find("mon air.bcc"), std::string::npos) << line;
}

// Every file of a folder under it (with its size and time of change), to see that nothing
// there was written.
std::map<std::string, std::pair<uintmax_t, std::filesystem::file_time_type>> files_of(const std::string& folder)
{
    std::map<std::string, std::pair<uintmax_t, std::filesystem::file_time_type>> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder))
        files[e.path().string()] = {e.is_regular_file() ? e.file_size() : 0, e.last_write_time()};
    return files;
}

// The program folder of an installation is shared and read-only: a score opened from the
// library, played and the program ended leave it as it was; the last document, the options and
// the palettes' places are the user's, in the user's settings folder.
TEST_F(ShellOnX, TheProgramFolderIsOnlyRead)
{
    ASSERT_FALSE(server.display().empty()) << "Xvfb is not available";
    ASSERT_FALSE(XvfbServer::find_program("import").empty()) << "no screenshot program";
    const std::string program_dir = home / "program";
    std::filesystem::copy(BRINDLECOT_BUILD_DATA, program_dir, std::filesystem::copy_options::recursive);
    std::filesystem::remove(program_dir + "/misc/MIDIWIN.PFR");
    std::filesystem::remove(program_dir + "/misc/LastDoc.txt");
    for (const auto& e : std::filesystem::recursive_directory_iterator(program_dir))
        std::filesystem::permissions(e.path(), std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                                   std::filesystem::perms::others_write,
                                     std::filesystem::perm_options::remove);
    const auto before = files_of(program_dir);
    pid_t pid = start_program(home, server.display());
    ASSERT_TRUE(wait_for([&] { return screen_window() != 0; })) << "the program shows";
    ASSERT_TRUE(wait_for([&] { return pixels(server.display(), kOutput + "/shell_step_read_only.png").size() > 0; }));
    ASSERT_TRUE(open_file_menu());
    keys({"Down", "Right", "Down", "Down"});
    key("Return");
    EXPECT_TRUE(wait_for([&] { return score_shown(kOutput + "/shell_read_only_score.png"); })) << "the score is drawn";
    key("q", true);
    EXPECT_TRUE(wait_program_exit(pid)) << "the program ends on Ctrl+Q";
    EXPECT_EQ(files_of(program_dir), before) << "nothing is written in the program folder";
    for (const char* name : {"LastDoc.txt", "Options.txt", "PAL.PFR", "MIDIWIN.PFR"})
        EXPECT_TRUE(std::filesystem::exists(home / (std::string("config/brindlecot/") + name))) << name;
    std::string line;
    std::getline(std::ifstream(home / "config/brindlecot/LastDoc.txt"), line);
    EXPECT_NE(line.find("Au clair de la lune"), std::string::npos) << line;
    // The next start opens it again from there.
    pid = start_program(home, server.display());
    EXPECT_TRUE(wait_for([&] { return score_shown(kOutput + "/shell_read_only_again.png"); })) << "the last document opens";
    key("q", true);
    EXPECT_TRUE(wait_program_exit(pid));
    EXPECT_EQ(files_of(program_dir), before);
    for (const auto& e : std::filesystem::recursive_directory_iterator(program_dir))
        std::filesystem::permissions(e.path(), std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
}

// Alt+F4, shown beside "Quitter", ends the program as the menu item does.
TEST_F(ShellOnX, AltF4EndsTheProgram)
{
    ASSERT_FALSE(server.display().empty()) << "Xvfb is not available";
    const pid_t pid = start_program(home, server.display());
    ASSERT_TRUE(wait_for([&] { return screen_window() != 0; })) << "the program shows";
    ASSERT_TRUE(wait_for([&] { return pixels(server.display(), kOutput + "/shell_step_alt_f4.png").size() > 0; }));
    cairo_surface_destroy(screenshot(server.display(), kOutput + "/shell_before_alt_f4.png"));
    send_x_alt_key(server.display(), screen_window(), "F4");
    EXPECT_TRUE(wait_program_exit(pid)) << "the program ends on Alt+F4";
}

// The logo box comes first at start and holds the score of the command line back until OK
// (Return) closes it; "Aide" > "A propos de BRINDLE-COT..." shows it again, Escape closes it.
TEST_F(ShellOnX, TheLogoBoxComesAtStartBeforeTheScoreAndFromTheHelpMenu)
{
    ASSERT_XVFB_RUNNING(server);
    ASSERT_PROGRAM_INSTALLED("import");
    const std::string score = home / "program/Biblioth\xC3\xA8que d'origine/Au clair de la lune.bcc";
    const pid_t pid = start_program(home, server.display(), {score}, true);
    ASSERT_TRUE(std::filesystem::exists(score)) << score;
    const std::string logo_png = kOutput + "/shell_logo_box.png";
    ASSERT_TRUE(wait_for([&] { return logo_pixels(server.display(), logo_png) > 2000; })) << "the logo box shows";
    EXPECT_FALSE(score_shown(kOutput + "/shell_logo_step.png")) << "the score waits for the logo box";
    cairo_surface_destroy(screenshot(server.display(), logo_png));

    key("Return");
    EXPECT_TRUE(wait_for([&] { return logo_pixels(server.display(), kOutput + "/shell_logo_step.png") < 100; }))
        << "OK closes it";
    EXPECT_TRUE(wait_for([&] { return score_shown(kOutput + "/shell_after_logo.png"); })) << "then the score opens";

    // "Aide" is the fourth title of the bar: Right from "Fichier" three times; its second item.
    ASSERT_TRUE(open_file_menu());
    keys({"Right", "Right", "Right", "Down", "Down"});
    key("Return");
    EXPECT_TRUE(wait_for([&] { return logo_pixels(server.display(), kOutput + "/shell_logo_box_again.png") > 2000; }))
        << "the about command shows it";
    key("Escape");
    EXPECT_TRUE(wait_for([&] { return logo_pixels(server.display(), kOutput + "/shell_logo_step.png") < 100; }));
    key("q", true);
    EXPECT_TRUE(wait_program_exit(pid)) << "the program ends on Ctrl+Q";
}

}  // namespace
