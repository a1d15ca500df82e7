// The program itself: no display, an incomplete installation, a second start handing its
// command line over, and the frame window on a real X server (when Xvfb is installed).
#include "platform/InstanceLock.h"
#include "platform/TempFolder.h"
#include "platform/XvfbServer.h"
#include "support/WaitUntil.h"
#include "XClose.h"
#include "XKeys.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

// The program beside the test programs of the build tree.
std::string program_path()
{
    return std::filesystem::path(BRINDLECOT_TEST_OUTPUT).parent_path().string() + "/src/brindlecot";
}

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The program started with its own settings, folders and display; stderr goes to a file.
class Program {
public:
    Program(const TempFolder& home, const std::string& program_dir, const std::string& display,
            std::vector<std::string> args)
        : stderr_file_(home / ("stderr-" + std::to_string(++started_) + ".txt"))  // one per start
    {
        pid_ = ::fork();
        if (pid_ != 0) return;
        ::unsetenv("BRINDLECOT_HEADLESS");
        ::setenv("BRINDLECOT_NO_LOGO", "1", 1);  // the logo box of the start would wait for a user
        ::unsetenv("DISPLAY");
        if (!display.empty()) ::setenv("DISPLAY", display.c_str(), 1);
        ::setenv("BRINDLECOT_DATA", program_dir.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", home.path().c_str(), 1);
        if (!std::freopen(stderr_file_.c_str(), "w", stderr)) ::_exit(126);
        std::vector<char*> argv{const_cast<char*>("brindlecot")};
        for (std::string& a : args) argv.push_back(&a[0]);
        argv.push_back(nullptr);
        const std::string path = program_path();
        ::execv(path.c_str(), argv.data());
        ::_exit(127);
    }
    ~Program()
    {
        if (pid_ > 0 && !finished_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool running()
    {
        if (!finished_ && ::waitpid(pid_, &status_, WNOHANG) == pid_) finished_ = true;  // reaped here
        return !finished_;
    }
    // The exit code, or -1 when it did not end within a generous deadline or ended by a signal.
    int wait()
    {
        wait_until([&] { return !running(); });
        return finished_ && WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }
    void close() { ::kill(pid_, SIGTERM); }
    void pause() { ::kill(pid_, SIGSTOP); }
    void resume() { ::kill(pid_, SIGCONT); }
    std::string errors() const { return read_file(stderr_file_); }

private:
    std::string stderr_file_;
    pid_t pid_ = -1;
    int status_ = 0;
    bool finished_ = false;
    static inline int started_ = 0;
};

bool wait_for_file(const std::string& path)
{
    return wait_until([&] { return std::filesystem::exists(path); });
}

bool wait_for_file_gone(const std::string& path)
{
    return wait_until([&] { return !std::filesystem::exists(path); });
}

TEST(Startup, WithoutDisplayItSaysSoInOneLine)
{
    TempFolder home;
    Program p(home, BRINDLECOT_BUILD_DATA, "", {});
    EXPECT_EQ(p.wait(), 1);
    const std::string errors = p.errors();
    EXPECT_NE(errors.find("no display"), std::string::npos) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1);
}

TEST(Startup, AnIncompleteInstallationIsReported)
{
    TempFolder home;
    std::filesystem::create_directory(home / "config");
    std::filesystem::create_directory(home / "config/brindlecot");
    std::ofstream(home / "config/brindlecot/settings.txt")
        << "[HKEY_CURRENT_USER\\Software\\Brindle-Cot]\nProgramDir=" << (home / "missing") << "\n";
    Program p(home, BRINDLECOT_BUILD_DATA, "", {"--headless"});
    EXPECT_EQ(p.wait(), 1);
    EXPECT_NE(p.errors().find("L'installation de Brindle-Cot est incorrecte."), std::string::npos)
        << p.errors();
}

TEST(Startup, ASecondStartHandsItsCommandLineOver)
{
    TempFolder home;
    const std::string program_dir = home / "program";
    std::filesystem::create_directory(program_dir);
    Program first(home, program_dir, "", {"--headless"});
    ::setenv("XDG_RUNTIME_DIR", home.path().c_str(), 1);
    const std::string lock = platform::InstanceLock::path("BrindlecotMutex");
    ::unsetenv("XDG_RUNTIME_DIR");
    ASSERT_TRUE(wait_for_file(lock)) << lock;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    // The running program takes a hand-over as soon as it sees it: held still, it leaves the
    // file for the test to read.
    first.pause();
    Program second(home, program_dir, "", {"--headless", "Ma chanson.mid"});
    EXPECT_EQ(second.wait(), 0) << second.errors();
    const std::string hand_over = home / "config/brindlecot/MidiFileToOpen.txt";
    EXPECT_EQ(read_file(hand_over), "Ma chanson.mid");
    first.resume();
    EXPECT_TRUE(wait_for_file_gone(hand_over)) << "the running program did not take the hand-over";
    // Where the file cannot be written, the second start says so instead of losing it quietly.
    first.pause();
    std::filesystem::create_directory(hand_over);
    Program third(home, program_dir, "", {"--headless", "Autre.mid"});
    EXPECT_EQ(third.wait(), 0) << third.errors();
    EXPECT_NE(third.errors().find("could not hand \"Autre.mid\" over"), std::string::npos) << third.errors();
    // The running program leaves a folder of that name alone.
    first.resume();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(std::filesystem::is_directory(hand_over));
    EXPECT_TRUE(first.running());
    first.close();
    EXPECT_EQ(first.wait(), 0) << first.errors();
}

// The program started on a private X server, once its frame window is there and has had a
// moment to draw itself (a loaded machine may take a while to get that far).
class StartupOnX : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_XVFB_RUNNING(server);
        // A copy of the program folder, for the settings the program writes there.
        const std::string program_dir = home / "program";
        std::filesystem::create_directories(program_dir);
        std::filesystem::copy(BRINDLECOT_BUILD_DATA "/misc", program_dir + "/misc", std::filesystem::copy_options::recursive);
        std::filesystem::remove(program_dir + "/misc/MIDIWIN.PFR");
        program = std::make_unique<Program>(home, program_dir, server.display(), std::vector<std::string>{});
        wait_until([&] { return !program->running() || !top_level_x_windows(server.display()).empty(); });
        std::this_thread::sleep_for(std::chrono::milliseconds(1000));
        ASSERT_TRUE(program->running()) << program->errors();
        ASSERT_FALSE(top_level_x_windows(server.display()).empty());
    }

    XvfbServer server{"800x600x24"};
    TempFolder home;
    std::unique_ptr<Program> program;
};

TEST_F(StartupOnX, TheFrameWindowOpensAndClosesCleanly)
{
    Program& p = *program;
    const std::string shot = std::string(BRINDLECOT_TEST_OUTPUT) + "/framework_brindlecot_xvfb.png";
    ASSERT_PROGRAM_INSTALLED("import");
    const std::string command = "DISPLAY=" + server.display() + " " + XvfbServer::find_program("import") + " -window root " + shot;
    cairo_surface_t* image = nullptr;
    const unsigned char* data = nullptr;
    int stride = 0;
    const auto pixel = [&](int x, int y) { return *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4) & 0xFFFFFF; };
    // Under the title bar, the menu bar from the program's resources: dark letters on a
    // light strip (counts of dark and light pixels).
    const auto menu_bar = [&] {
        std::pair<int, int> counts{0, 0};
        for (int y = 24; y < 40; y++)
            for (int x = 0; x < 300; x++) {
                const uint32_t c = pixel(x, y);
                counts.first += (c & 0xFF) < 0x40 && ((c >> 8) & 0xFF) < 0x40;
                counts.second += (c & 0xFF) > 0xD0 && ((c >> 16) & 0xFF) > 0xD0;
            }
        return counts;
    };
    // A new screenshot in `image`; false when none could be had.
    const auto take = [&] {
        if (image) cairo_surface_destroy(image);
        image = nullptr;
        std::filesystem::remove(shot);
        if (std::system(command.c_str()) != 0) return false;
        image = cairo_image_surface_create_from_png(shot.c_str());
        if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) return false;
        cairo_surface_flush(image);
        data = cairo_image_surface_get_data(image);
        stride = cairo_image_surface_get_stride(image);
        return true;
    };
    // The maximised frame shows its grey document area in the middle of the screen and its
    // menu bar, once it has drawn them, which a loaded machine takes a while to do.
    wait_until([&] { return take() && pixel(400, 300) == 0xABABABu && menu_bar().second > 2000; },
               std::chrono::milliseconds(250));
    ASSERT_TRUE(image && cairo_surface_status(image) == CAIRO_STATUS_SUCCESS) << "a screenshot of the display";
    EXPECT_EQ(cairo_image_surface_get_width(image), 800);
    EXPECT_EQ(pixel(400, 300), 0xABABABu);
    EXPECT_GT(menu_bar().first, 50) << "the names of the menus";
    EXPECT_GT(menu_bar().second, 2000) << "the menu bar";
    cairo_surface_destroy(image);
    ASSERT_TRUE(close_x_windows(server.display()));
    EXPECT_EQ(p.wait(), 0) << p.errors();
    // With no port settings, the sound goes to the built-in synthesizer, and the program says so once.
    const std::string errors = p.errors();
    const size_t sound = errors.find("le son MIDI");
    EXPECT_NE(sound, std::string::npos) << errors;
    EXPECT_EQ(errors.find("le son MIDI", sound + 1), std::string::npos) << errors;
}

TEST_F(StartupOnX, QuitterInTheMenuEndsTheProgram)
{
    Program& p = *program;
    const std::vector<unsigned long> windows = top_level_x_windows(server.display());
    ASSERT_FALSE(windows.empty());
    for (unsigned long w : windows) send_x_key(server.display(), w, "q", true);  // Ctrl+Q
    EXPECT_EQ(p.wait(), 0) << p.errors();
}

}  // namespace
