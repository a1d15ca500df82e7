#pragma once
// The program started by a test on the test's X server, with its own settings and program
// folder; screenshots of the screen and the staff lines found in them.

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

#include "framework/XClose.h"
#include "platform/TempFolder.h"
#include "platform/XvfbServer.h"

inline std::string program_path() {
    return std::filesystem::path(BRINDLECOT_TEST_OUTPUT).parent_path().string() + "/src/brindlecot";
}

// The program on `display` with its own settings and program folder (the build's, without MIDI
// settings) in `home`, `file` as its argument; what it says goes to home/stderr.txt.
inline pid_t start_program(const TempFolder& home, const std::string& display, const std::string& file) {
    const std::string program_dir = home / "program";
    std::filesystem::create_directories(program_dir);
    if (!std::filesystem::exists(program_dir + "/misc"))
        std::filesystem::copy(BRINDLECOT_BUILD_DATA "/misc", program_dir + "/misc",
                              std::filesystem::copy_options::recursive);
    std::filesystem::remove(program_dir + "/misc/MIDIWIN.PFR");
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    ::unsetenv("BRINDLECOT_HEADLESS");
    ::setenv("DISPLAY", display.c_str(), 1);
    ::setenv("BRINDLECOT_DATA", program_dir.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", home.path().c_str(), 1);
    if (!std::freopen((home / "stderr.txt").c_str(), "w", stderr)) ::_exit(126);
    const std::string path = program_path();
    ::execl(path.c_str(), "brindlecot", file.c_str(), (char*)nullptr);
    ::_exit(127);
}

// Closes the program's windows as a desktop does and waits for it to end, killing it after
// five seconds.
inline void end_program(const std::string& display, pid_t pid) {
    close_x_windows(display);
    for (int i = 0; i < 250; i++) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

// A screenshot of the whole screen of `display`, written to `png` and read back as a cairo
// image (null when it cannot be had).
inline cairo_surface_t* screenshot(const std::string& display, const std::string& png) {
    const std::string import = XvfbServer::find_program("import");
    if (import.empty()) return nullptr;
    std::filesystem::remove(png);
    const std::string command = "DISPLAY=" + display + " " + import + " -window root " + png;
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
inline std::vector<int> staff_rows(cairo_surface_t* image, int x0) {
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
