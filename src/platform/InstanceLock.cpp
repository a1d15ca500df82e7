#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace platform {

namespace {

// A folder where the user may create files.
bool usable_folder(const char* folder)
{
    return folder && *folder && ::access(folder, W_OK | X_OK) == 0;
}

}  // namespace

std::string InstanceLock::path(const std::string& name)
{
    std::string safe;
    for (char c : name) safe += (c == '/' || c == '\\') ? '_' : c;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (usable_folder(runtime)) return std::string(runtime) + "/brindlecot-" + safe + ".lock";
    const char* temporary = std::getenv("TMPDIR");
    const std::string folder = usable_folder(temporary) ? temporary : "/tmp";
    return folder + "/brindlecot-" + std::to_string(::getuid()) + "-" + safe + ".lock";
}

bool InstanceLock::acquire(const std::string& name)
{
    release();
    const int fd = ::open(path(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    // Without a lock file no other start can be seen either: this one goes on.
    if (fd < 0) return true;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool taken = errno == EWOULDBLOCK;
        ::close(fd);
        return !taken;
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
