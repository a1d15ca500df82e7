#pragma once
// A mutex with priority inheritance: a thread of higher priority that waits for it lends its
// priority to the holder, so that a real-time thread (the MIDI timer) waiting for a queue held
// by an ordinary one (the GUI thread, preempted on a busy machine) waits only for the holder's
// few instructions. Usable wherever a std::mutex is (lock, try_lock, unlock).

#include <pthread.h>

namespace platform {

class PiMutex {
public:
    PiMutex();
    ~PiMutex();
    PiMutex(const PiMutex&) = delete;
    PiMutex& operator=(const PiMutex&) = delete;

    void lock();
    bool try_lock();
    void unlock();

private:
    pthread_mutex_t mutex_;
};

}  // namespace platform
