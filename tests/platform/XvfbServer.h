#pragma once
// A private X server for one test: Xvfb on the first free display, stopped afterwards.
// display() is empty when Xvfb is not installed or does not start.

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

class XvfbServer {
public:
    explicit XvfbServer(const char* screen = "640x480x24")
    {
        const std::string program = find_program("Xvfb");
        if (program.empty()) return;
        int fds[2];
        if (::pipe(fds) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            ::execl(program.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen, "-nolisten", "tcp",
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        // Xvfb writes its display number and a line feed once it accepts connections, maybe
        // in more than one write; the pipe stays open while it runs, as a closed one kills it.
        reader_ = fds[0];
        std::string number;
        pollfd p{reader_, POLLIN, 0};
        char c = 0;
        while (pid_ > 0 && ::poll(&p, 1, 10000) == 1 && ::read(reader_, &c, 1) == 1 && c != '\n') number += c;
        if (c == '\n' && !number.empty()) display_ = ":" + number;
    }
    ~XvfbServer()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            int status = 0;
            ::waitpid(pid_, &status, 0);
        }
        if (reader_ >= 0) ::close(reader_);
    }
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    const std::string& display() const { return display_; }

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
    pid_t pid_ = -1;
    int reader_ = -1;
    std::string display_;
};
