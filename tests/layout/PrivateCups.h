#pragma once
// A print server of the test's own: cupsd with its configuration, spool and logs in a scratch
// folder, listening on a free port of 127.0.0.1 only, without authentication, and one raw queue
// whose device (a small backend of its own, "tofile:") writes each job into a file.
// CUPS_SERVER points the client library at it while it runs. `start` says why when cupsd
// cannot run here.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "support/WaitUntil.h"

class PrivateCups {
public:
    explicit PrivateCups(const std::string& folder) : root_(folder) {}
    ~PrivateCups() { stop(); }

    // Starts the server and adds the queue `queue` writing into `output`; false with `why` set
    // when it cannot.
    bool start(const std::string& queue, const std::string& output, std::string* why)
    {
        if (access("/usr/sbin/cupsd", X_OK) != 0 || access("/usr/sbin/lpadmin", X_OK) != 0)
            return fail(why, "cupsd or lpadmin is not installed");
        port_ = free_port();
        if (!port_) return fail(why, "no free port");
        for (const char* sub : {"", "/spool", "/spool/tmp", "/cache", "/state", "/logs", "/ppd", "/out", "/bin",
                                 "/bin/backend"})
            mkdir((root_ + sub).c_str(), 0755);
        // The server's programs, and the backend that writes each job into the file its device
        // names, whole once it is there.
        for (const char* sub : {"daemon", "filter", "notifier", "cgi-bin", "monitor", "driver"})
            symlink((std::string("/usr/lib/cups/") + sub).c_str(), (root_ + "/bin/" + sub).c_str());
        write(root_ + "/bin/backend/tofile",
              "#!/bin/sh\n"
              "if [ $# -eq 0 ]; then echo 'direct tofile \"Unknown\" \"File\"'; exit 0; fi\n"
              "out=${DEVICE_URI#tofile:}\n"
              "if [ -n \"$6\" ]; then cat \"$6\" > \"$out.part\"; else cat > \"$out.part\"; fi\n"
              "chmod 644 \"$out.part\" && mv \"$out.part\" \"$out\"\n");
        chmod((root_ + "/bin/backend/tofile").c_str(), 0755);
        // The jobs run as the server's user, who must be able to reach and write the output.
        chmod(root_.c_str(), 0755);
        chmod((root_ + "/out").c_str(), 0777);
        chmod((root_ + "/spool/tmp").c_str(), 01777);
        write(root_ + "/cupsd.conf",
              "LogLevel warn\n"
              "Listen 127.0.0.1:" + std::to_string(port_) + "\n"
              "Browsing No\nWebInterface No\nDefaultAuthType None\n"
              "<Location />\n  Order allow,deny\n  Allow from 127.0.0.1\n</Location>\n"
              "<Location /admin>\n  Order allow,deny\n  Allow from 127.0.0.1\n</Location>\n"
              "<Policy default>\n  <Limit All>\n    Order allow,deny\n    Allow from 127.0.0.1\n  </Limit>\n"
              "</Policy>\n");
        write(root_ + "/cups-files.conf",
              "ServerRoot " + root_ + "\nRequestRoot " + root_ + "/spool\nTempDir " + root_ +
                  "/spool/tmp\nCacheDir " + root_ + "/cache\nStateDir " + root_ +
                  "/state\nErrorLog " + root_ + "/logs/error_log\nAccessLog " + root_ +
                  "/logs/access_log\nPageLog " + root_ + "/logs/page_log\nServerBin " + root_ +
                  "/bin\nSandboxing Relaxed\n");
        pid_ = fork();
        if (pid_ == 0) {
            execl("/usr/sbin/cupsd", "cupsd", "-f", "-c", (root_ + "/cupsd.conf").c_str(), "-s",
                  (root_ + "/cups-files.conf").c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        if (pid_ < 0) return fail(why, "fork failed");
        server_ = "127.0.0.1:" + std::to_string(port_);
        // Wait (generously) until it answers, or has ended.
        bool ended = false;
        const bool answers = wait_until(
            [&] {
                int status;
                ended = waitpid(pid_, &status, WNOHANG) == pid_;
                return ended || run("/usr/bin/lpstat -h " + server_ + " -r") == 0;
            },
            std::chrono::milliseconds(100));
        if (ended) {
            pid_ = 0;
            return fail(why, "cupsd ended at once as this user: " + log());
        }
        if (!answers) return fail(why, "cupsd did not answer: " + log());
        const std::string add = "/usr/sbin/lpadmin -h " + server_ + " -p " + queue + " -E -v tofile:" + output +
                                " -m raw";
        // A server that has just started may still refuse while it finishes loading: try again.
        const bool added = wait_until([&] { return run(add) == 0; }, std::chrono::milliseconds(200));
        if (!added) return fail(why, "lpadmin refused the queue: " + log());
        setenv("CUPS_SERVER", server_.c_str(), 1);
        return true;
    }

    void stop()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status;
            for (int i = 0; i < 100 && waitpid(pid_, &status, WNOHANG) == 0; i++)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (waitpid(pid_, &status, WNOHANG) == 0) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
            }
            pid_ = 0;
        }
    }

    std::string log() const
    {
        std::ifstream in(root_ + "/logs/error_log");
        std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return all.size() > 2000 ? all.substr(all.size() - 2000) : all;
    }
    const std::string& server() const { return server_; }

private:
    static bool fail(std::string* why, const std::string& text)
    {
        if (why) *why = text;
        return false;
    }
    static int run(const std::string& command)
    {
        int status = std::system((command + " >/dev/null 2>&1").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    static void write(const std::string& path, const std::string& text)
    {
        std::ofstream out(path);
        out << text;
    }
    static int free_port()
    {
        int s = socket(AF_INET, SOCK_STREAM, 0);
        if (s < 0) return 0;
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof a;
        int port = 0;
        if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
            getsockname(s, reinterpret_cast<sockaddr*>(&a), &length) == 0)
            port = ntohs(a.sin_port);
        close(s);
        return port;
    }

    std::string root_;
    std::string server_;
    int port_ = 0;
    pid_t pid_ = 0;
};
