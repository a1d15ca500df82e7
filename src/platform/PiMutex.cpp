#include "platform/PiMutex.h"

namespace platform {

PiMutex::PiMutex()
{
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    // Where the system has no priority inheritance the mutex stays an ordinary one.
    pthread_mutexattr_setprotocol(&attributes, PTHREAD_PRIO_INHERIT);
    if (pthread_mutex_init(&mutex_, &attributes) != 0) pthread_mutex_init(&mutex_, nullptr);
    pthread_mutexattr_destroy(&attributes);
}

PiMutex::~PiMutex() { pthread_mutex_destroy(&mutex_); }

void PiMutex::lock() { pthread_mutex_lock(&mutex_); }

bool PiMutex::try_lock() { return pthread_mutex_trylock(&mutex_) == 0; }

void PiMutex::unlock() { pthread_mutex_unlock(&mutex_); }

}  // namespace platform
