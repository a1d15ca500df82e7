#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>

namespace platform {

std::string InstanceLock::path(const std::string& name)
{
    std::string safe;
    for (char c : name) safe += (c == '/' || c == '\\') ? '_' : c;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) return std::string(runtime) + "/brindlecot-" + safe + ".lock";
    return "/tmp/brindlecot-" + std::to_string(::getuid()) + "-" + safe + ".lock";
}

bool InstanceLock::acquire(const std::string& name)
{
    release();
    const int fd = ::open(path(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void InstanceLock::release()
{
    if (fd_ < 0) return;
    ::close(fd_);  // closing the file frees the lock
    fd_ = -1;
}

}  // namespace platform
