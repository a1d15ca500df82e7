#include "platform/Process.h"

#include "platform/Cp1252.h"
#include "platform/FileSystem.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

extern char** environ;

namespace platform {

int run_and_wait(const std::string& program, const std::vector<std::string>& arguments)
{
    std::string path;
    if (!resolve_path(program, &path)) return -1;
    std::vector<std::string> texts{path};
    for (const std::string& a : arguments) texts.push_back(cp1252_to_utf8(a));
    std::vector<char*> argv;
    for (std::string& t : texts) argv.push_back(&t[0]);
    argv.push_back(nullptr);
    pid_t child = 0;
    if (posix_spawn(&child, path.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int run_tool(const std::string& name, const std::vector<std::string>& arguments, std::string* out,
             size_t max_bytes)
{
    std::vector<std::string> texts{name};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& t : texts) argv.push_back(&t[0]);
    argv.push_back(nullptr);
    int pipe_ends[2];
    if (pipe2(pipe_ends, O_CLOEXEC) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    int started = posix_spawnp(&child, name.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipe_ends[1]);
    if (started != 0) {
        close(pipe_ends[0]);
        return -1;
    }
    if (out) out->clear();
    char buffer[512];
    for (;;) {
        ssize_t n = read(pipe_ends[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        if (out && out->size() < max_bytes)
            out->append(buffer, std::min((size_t)n, max_bytes - out->size()));
    }
    close(pipe_ends[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace platform
