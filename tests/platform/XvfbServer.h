#pragma once
// A private X server for one test: Xvfb on the first free display, stopped afterwards.
// display() is empty when Xvfb is not installed or does not start, and failure() says which;
// a test that needs the display asserts it with ASSERT_XVFB_RUNNING and fails, never skips.

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "support/WaitUntil.h"

// Ends the test as failed when its X server is not running: a test that needs a display fails
// loudly without one, it is never skipped (scripts/setup-deps installs Xvfb).
#define ASSERT_XVFB_RUNNING(server) ASSERT_FALSE((server).display().empty()) << (server).failure()

// The same for a program that a display test runs beside its server, such as ImageMagick's
// "import" for screenshots.
#define ASSERT_PROGRAM_INSTALLED(name)                       \
    ASSERT_FALSE(XvfbServer::find_program(name).empty())    \
        << "\"" << (name) << "\" is not installed (scripts/setup-deps installs it)"

class XvfbServer {
public:
    // A server that cannot be reached is given up for another one.
    explicit XvfbServer(const char* screen = "640x480x24")
    {
        const std::string program = find_program("Xvfb");
        if (program.empty()) {
            failure_ = "Xvfb is not installed (scripts/setup-deps installs it)";
            return;
        }
        for (int attempt = 0; attempt < 5 && display_.empty(); ++attempt) {
            start(program, screen);
            if (!display_.empty() && !reachable()) stop();
        }
        if (display_.empty()) failure_ = "Xvfb did not start a display that accepts clients";
    }
    ~XvfbServer() { stop(); }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    const std::string& display() const { return display_; }
    const std::string& failure() const { return failure_; }

    static std::string find_program(const std::string& name)
    {
        const char* path = std::getenv("PATH");
        std::string dirs = path ? path : "/usr/bin:/bin";
        size_t start = 0;
        while (start <= dirs.size()) {
            const size_t end = dirs.find(':', start);
            const std::string candidate = dirs.substr(start, end - start) + "/" + name;
            if (::access(candidate.c_str(), X_OK) == 0) return candidate;
            if (end == std::string::npos) break;
            start = end + 1;
        }
        return std::string();
    }

private:
    void start(const std::string& program, const char* screen)
    {
        int fds[2];
        if (::pipe(fds) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            // -noreset: the server does not start over each time its last client leaves (a check
            // or a screenshot), which drops clients connecting meanwhile. -nopn: a display where
            // any of its sockets is still held (by a server of another test that is shutting
            // down) is passed over, rather than shared with that server.
            ::execl(program.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen, "-nolisten", "tcp",
                    "-nopn", "-noreset", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        // Xvfb writes its display number and a line feed once it accepts connections, maybe
        // in more than one write; the pipe stays open while it runs, as a closed one kills it.
        reader_ = fds[0];
        std::string number;
        pollfd p{reader_, POLLIN, 0};
        char c = 0;
        while (pid_ > 0 && ::poll(&p, 1, kGenerousWaitMs) == 1 && ::read(reader_, &c, 1) == 1 && c != '\n') number += c;
        if (c == '\n' && !number.empty()) display_ = ":" + number;
    }

    // True when the display accepts a client: the X connection setup is answered with success
    // on its local socket (the abstract one or the file). A server that has given its number
    // answers at once on a quiet machine; one that does not within a few seconds even on a busy
    // one is given up for another.
    bool reachable() const
    {
        const std::string path = "/tmp/.X11-unix/X" + display_.substr(1);
        return wait_until([&] { return accepts_client(path, true) || accepts_client(path, false); },
                          std::chrono::milliseconds(50), kGenerousWait / 6);
    }

    static bool accepts_client(const std::string& path, bool abstract)
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const size_t offset = abstract ? 1 : 0;  // an abstract name starts with a zero byte
        path.copy(address.sun_path + offset, sizeof address.sun_path - 1 - offset);
        const socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (fd < 0) return false;
        // Little-endian setup request for protocol 11.0 without authorisation; the first byte
        // of the answer is 1 for success.
        const unsigned char setup[12] = {'l', 0, 11, 0, 0, 0, 0, 0, 0, 0, 0, 0};
        unsigned char answer[8] = {};
        pollfd p{fd, POLLIN, 0};
        const bool accepted = ::connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
                              ::write(fd, setup, sizeof setup) == static_cast<ssize_t>(sizeof setup) &&
                              ::poll(&p, 1, 1000) == 1 && ::read(fd, answer, sizeof answer) > 0 && answer[0] == 1;
        ::close(fd);
        return accepted;
    }

    void stop()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
        if (reader_ >= 0) ::close(reader_);
        pid_ = -1;
        reader_ = -1;
        display_.clear();
    }

    pid_t pid_ = -1;
    int reader_ = -1;
    std::string display_;
    std::string failure_;
};
