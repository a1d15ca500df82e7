// The audio export in the real program on a private X server, driven as a user would: a score
// of "Bibliothèque d'origine" opened, "Exporter en AUDIO..." chosen, a file named, Export
// pressed; the dialog's meters move while the score is rendered, the dialog closes by itself
// when the play ends, and the WAV file is checked with sox. Screenshots of the dialog are
// written for a person to look at.
#include "platform/TempFolder.h"
#include "platform/XvfbServer.h"
#include "framework/XKeys.h"
#include "app/XWindows.h"
#include "support/ProgramOnX.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

namespace {

const std::string kOutput = BRINDLECOT_TEST_OUTPUT;

bool wait_for(const std::function<bool()>& done, int seconds = 60)
{
    for (int i = 0; i < seconds * 4; i++) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    return done();
}

std::string run(const std::string& command)
{
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char line[512];
        while (fgets(line, sizeof line, p)) out += line;
        pclose(p);
    }
    return out;
}

std::string pixels(const std::string& display, const std::string& png)
{
    cairo_surface_t* image = screenshot(display, png);
    if (!image) return std::string();
    const std::string out(reinterpret_cast<const char*>(cairo_image_surface_get_data(image)),
                          (size_t)cairo_image_surface_get_stride(image) * cairo_image_surface_get_height(image));
    cairo_surface_destroy(image);
    return out;
}

// Pixels of the meters' pure green.
int green_pixels(const std::string& display, const std::string& png)
{
    cairo_surface_t* image = screenshot(display, png);
    if (!image) return 0;
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    int n = 0;
    for (int y = 0; y < cairo_image_surface_get_height(image); y++)
        for (int x = 0; x < cairo_image_surface_get_width(image); x++) {
            const uint32_t c = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
            n += ((c >> 16) & 0xFF) < 40 && ((c >> 8) & 0xFF) > 220 && (c & 0xFF) < 40;
        }
    cairo_surface_destroy(image);
    return n;
}

uint32_t le32(const std::vector<unsigned char>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

// A WAV file whose header the export has completed: its sizes match the file.
bool finished_wav(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> head(44);
    if (!in.read(reinterpret_cast<char*>(head.data()), 44)) return false;
    const auto size = std::filesystem::file_size(path);
    return size > 44 && le32(head, 4) == size - 8 && le32(head, 40) == size - 44;
}

class AudioExportOnX : public ::testing::Test {
protected:
    unsigned long screen_window()
    {
        std::vector<XWindow> w = shown_windows(server.display());
        return w.empty() ? 0 : w.back().id;
    }
    bool changes(const std::function<void()>& action)
    {
        const std::string png = kOutput + "/audio_export_step.png";
        const std::string before = pixels(server.display(), png);
        action();
        return wait_for([&] { return pixels(server.display(), png) != before; });
    }
    bool open_file_menu()
    {
        return changes([&] { click(server.display(), {screen_window(), 0, 0, 0, 0}, 30, 32); });
    }
    void key(const char* name, bool control = false) { send_x_key(server.display(), screen_window(), name, control); }
    void keys(std::initializer_list<const char*> names)
    {
        for (const char* k : names) EXPECT_TRUE(changes([&] { key(k); })) << k;
    }
    // The file whose name ends so, in the user's data folder.
    std::string find_file(const std::string& end)
    {
        std::error_code ignored;
        for (const auto& e : std::filesystem::recursive_directory_iterator(home / "data", ignored)) {
            const std::string name = e.path().filename().string();
            if (name.size() >= end.size() && name.compare(name.size() - end.size(), end.size(), end) == 0)
                return e.path().string();
        }
        return std::string();
    }

    XvfbServer server{"1024x768x24"};
    TempFolder home;
};

TEST_F(AudioExportOnX, ALibraryScoreIsExportedToAWavFileThatSoundsLikeThePlay)
{
    ASSERT_FALSE(server.display().empty()) << "Xvfb is needed";
    ASSERT_FALSE(XvfbServer::find_program("import").empty()) << "a screenshot program is needed";
    ASSERT_FALSE(XvfbServer::find_program("soxi").empty()) << "sox is needed";
    const std::string program_dir = home / "program";
    std::filesystem::copy(BRINDLECOT_BUILD_DATA, program_dir, std::filesystem::copy_options::recursive);
    std::filesystem::remove(program_dir + "/misc/MIDIWIN.PFR");
    pid_t pid = start_program_on_x(home, server.display(), program_dir, {});
    ASSERT_TRUE(wait_for([&] { return screen_window() != 0; })) << "the program shows";
    ASSERT_TRUE(wait_for([&] { return pixels(server.display(), kOutput + "/audio_export_step.png").size() > 0; }));

    // "Au clair de la lune", the third score of "Bibliothèque d'origine".
    ASSERT_TRUE(open_file_menu());
    keys({"Down", "Right", "Down", "Down"});
    EXPECT_TRUE(changes([&] { key("Return"); })) << "the score opens";

    // "Exporter en AUDIO..." is the eleventh enabled item of "Fichier" with a score open.
    ASSERT_TRUE(open_file_menu());
    for (int i = 0; i < 11; i++) keys({"Down"});
    cairo_surface_destroy(screenshot(server.display(), kOutput + "/audio_export_menu.png"));
    EXPECT_TRUE(changes([&] { key("Return"); })) << "the file dialog opens";
    // The name proposed is the score's; the letters typed go after it.
    keys({"x"});
    EXPECT_TRUE(changes([&] { key("Return"); })) << "the export dialog opens";
    cairo_surface_destroy(screenshot(server.display(), kOutput + "/audio_export_dialog.png"));

    // "Écouter" plays the score before anything is written: the meters follow the sound.
    click(server.display(), {screen_window(), 0, 0, 0, 0}, 462, 529);
    EXPECT_TRUE(wait_for([&] { return green_pixels(server.display(), kOutput + "/audio_export_meters.png") > 50; }))
        << "the meters show the level";
    click(server.display(), {screen_window(), 0, 0, 0, 0}, 568, 529);  // "Arrêter"
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    // Export: the file is written as fast as the score renders.
    click(server.display(), {screen_window(), 0, 0, 0, 0}, 674, 529);
    int most_green = 0;
    std::string wav;
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(wait_for([&] {
        const std::string png = kOutput + "/audio_export_running.png";
        const int green = green_pixels(server.display(), png);
        most_green = std::max(most_green, green);
        wav = find_file("lunex.wav");
        return !wav.empty() && finished_wav(wav);
    }, 100)) << "the export ends by itself\n" << run("cat '" + home.path() + "/stderr.txt'");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    cairo_surface_destroy(screenshot(server.display(), kOutput + "/audio_export_done.png"));

    // The file, read by sox.
    EXPECT_EQ(run("soxi -r '" + wav + "'"), "44100\n");
    EXPECT_EQ(run("soxi -c '" + wav + "'"), "2\n");
    EXPECT_EQ(run("soxi -b '" + wav + "'"), "16\n");
    double duration = 0;
    ASSERT_EQ(std::sscanf(run("soxi -D '" + wav + "'").c_str(), "%lf", &duration), 1);
    EXPECT_GT(duration, 10.0) << "the whole tune and its tail";
    double peak = 0, rms = 0;
    const std::string stat = run("sox '" + wav + "' -n stat 2>&1");
    std::sscanf(stat.substr(stat.find("Maximum amplitude")).c_str(), "Maximum amplitude: %lf", &peak);
    std::sscanf(stat.substr(stat.find("RMS     amplitude")).c_str(), "RMS     amplitude: %lf", &rms);
    EXPECT_GT(peak, 0.1) << stat;
    EXPECT_GT(rms, 0.01) << stat;
    std::printf("export of %.1f s of music took %.1f s of wall clock; peak %.3f, RMS %.3f\n", duration, seconds, peak, rms);
    EXPECT_LT(seconds, duration) << "faster than the music";

    key("q", true);
    EXPECT_TRUE(wait_program_exit(pid));
}

}  // namespace
