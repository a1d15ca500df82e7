#pragma once
// The built program run by a test on a private X server, with settings of its own under a
// test folder; and screenshots of that server.

#include <cairo.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/TempFolder.h"
#include "platform/XvfbServer.h"
#include "support/WaitUntil.h"

// The program built beside the tests.
inline std::string built_program_path()
{
    return std::filesystem::path(BRINDLECOT_TEST_OUTPUT).parent_path().string() + "/src/brindlecot";
}

// Starts the program on `display` with the program folder `program_dir`, its settings, data and
// standard error (appended to "stderr.txt") under `home`, and the arguments `args`. The logo box
// of the start, which waits for the user, is left out unless `logo_box` asks for it.
inline pid_t start_program_on_x(const TempFolder& home, const std::string& display, const std::string& program_dir,
                                const std::vector<std::string>& args, bool logo_box = false)
{
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    ::unsetenv("BRINDLECOT_HEADLESS");
    if (logo_box)
        ::unsetenv("BRINDLECOT_NO_LOGO");
    else
        ::setenv("BRINDLECOT_NO_LOGO", "1", 1);
    ::setenv("DISPLAY", display.c_str(), 1);
    ::setenv("BRINDLECOT_DATA", program_dir.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", home.path().c_str(), 1);
    if (!std::freopen((home / "stderr.txt").c_str(), "a", stderr)) ::_exit(126);
    const std::string path = built_program_path();
    std::vector<char*> argv{const_cast<char*>("brindlecot")};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(path.c_str(), argv.data());
    ::_exit(127);
}

// Waits for the program to end, a generous while, then ends it; true when it ended by itself.
inline bool wait_program_exit(pid_t pid)
{
    if (wait_until([&] { return ::waitpid(pid, nullptr, WNOHANG) == pid; })) return true;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return false;
}

// A screenshot of the whole screen written to `png`, as a cairo image (null when it cannot be
// had).
inline cairo_surface_t* screenshot(const std::string& display, const std::string& png)
{
    const std::string import = XvfbServer::find_program("import");
    if (import.empty()) return nullptr;
    std::filesystem::remove(png);
    const std::string command = "DISPLAY=" + display + " " + import + " -window root '" + png + "'";
    if (std::system(command.c_str()) != 0) return nullptr;
    cairo_surface_t* image = cairo_image_surface_create_from_png(png.c_str());
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(image);
        return nullptr;
    }
    cairo_surface_flush(image);
    return image;
}

// Rows of the screenshot that are mostly dark across the 300 pixels from x0: staff lines.
inline std::vector<int> staff_rows(cairo_surface_t* image, int x0)
{
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    const auto dark = [&](int y) {
        int n = 0;
        for (int x = x0; x < x0 + 300; x++) {
            const uint32_t c = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
            n += (c & 0xFF) < 0x60 && ((c >> 8) & 0xFF) < 0x60 && ((c >> 16) & 0xFF) < 0x60;
        }
        return n;
    };
    // A thin line: dark across, with light rows two pixels above and below.
    std::vector<int> rows;
    for (int y = 2; y + 2 < cairo_image_surface_get_height(image); y++)
        if (dark(y) > 250 && dark(y - 2) < 100 && dark(y + 2) < 100) rows.push_back(y);
    return rows;
}

// The mean darkness (0 white to 255 black) of the rectangle [x1, x2) x [y1, y2) of a screenshot.
inline int screen_darkness(cairo_surface_t* image, int x1, int y1, int x2, int y2)
{
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    long sum = 0, n = 0;
    for (int y = y1; y < y2; y++)
        for (int x = x1; x < x2; x++, n++) {
            const uint32_t c = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
            sum += 255 - (((c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF)) / 3);
        }
    return n ? (int)(sum / n) : 0;
}

// The first staff on a screenshot: its five line rows, and the bar lines crossing it left of
// `right_limit`.
struct ScreenStaff {
    std::vector<int> lines;
    std::vector<int> bars;
    int gap() const { return lines.size() == 5 ? (lines[4] - lines[0]) / 4 : 0; }
};

inline ScreenStaff first_screen_staff(cairo_surface_t* image, int right_limit)
{
    ScreenStaff s;
    const std::vector<int> rows = staff_rows(image, 120);
    for (size_t i = 0; i + 4 < rows.size() && s.lines.empty(); i++) {
        const int gap = rows[i + 1] - rows[i];
        bool even = gap >= 4 && gap <= 20;
        for (size_t k = i + 1; even && k < i + 4; k++) even = std::abs(rows[k + 1] - rows[k] - gap) <= 1;
        if (even) s.lines.assign(rows.begin() + (long)i, rows.begin() + (long)i + 5);
    }
    if (s.lines.empty()) return s;
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    const auto dark = [&](int x, int y) {
        const uint32_t c = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
        return (c & 0xFF) < 0x80 && ((c >> 8) & 0xFF) < 0x80 && ((c >> 16) & 0xFF) < 0x80;
    };
    int run_start = -1;
    for (int x = 20; x < right_limit; x++) {
        bool across = true;
        for (int y = s.lines[0]; y <= s.lines[4] && across; y++) across = dark(x, y);
        if (across && run_start < 0) run_start = x;
        if (!across && run_start >= 0) {
            s.bars.push_back((run_start + x - 1) / 2);
            run_start = -1;
        }
    }
    return s;
}
