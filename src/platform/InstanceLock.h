#pragma once
// A named lock that one process of the user holds at a time: the first start of the program
// takes it, a second start finds it taken. It is a locked file in $XDG_RUNTIME_DIR (or, when
// that folder is missing or not writable, the temporary folder); the system frees it when
// the holder ends, even by a crash.

#include <string>

namespace platform {

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock() { release(); }
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False when another holder has the lock `name`. True when this object now holds it, and
    // also when no lock file can be made at all (held() then stays false): a failure to
    // lock is no proof that another instance runs.
    bool acquire(const std::string& name);
    void release();
    bool held() const { return fd_ >= 0; }

    // The file that stands for the lock `name`.
    static std::string path(const std::string& name);

private:
    int fd_ = -1;
};

}  // namespace platform
