#include "platform/Process.h"

#include "platform/Cp1252.h"
#include "platform/FileSystem.h"

#include <spawn.h>
#include <sys/wait.h>

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

}  // namespace platform
