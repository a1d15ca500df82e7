#pragma once
// A named lock that one process of the user holds at a time: the first start of the program
// takes it, a second start finds it taken. It is a locked file in $XDG_RUNTIME_DIR (or the
// temporary folder); the system frees it when the holder ends, even by a crash.

#include <string>

namespace platform {

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock() { release(); }
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this object now holds the lock `name`; false when another holder has it
    // (or the lock file cannot be made).
    bool acquire(const std::string& name);
    void release();
    bool held() const { return fd_ >= 0; }

    // The file that stands for the lock `name`.
    static std::string path(const std::string& name);

private:
    int fd_ = -1;
};

}  // namespace platform
