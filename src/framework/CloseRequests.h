#pragma once
// Close requests from outside (a terminal's Ctrl+C, a session's SIGTERM) become a close of the
// frame window, so that they end the program as its close box does. Made first thing at
// start-up: SIGINT and SIGTERM are blocked in the making thread (and so in every thread it
// starts afterwards) and taken by a watcher thread of their own.

#include "platform/WindowManager.h"

#include <atomic>
#include <mutex>
#include <signal.h>
#include <thread>

class CloseRequests {
public:
    CloseRequests();
    ~CloseRequests();
    CloseRequests(const CloseRequests&) = delete;
    CloseRequests& operator=(const CloseRequests&) = delete;

    // Where close requests go from now on; null: nowhere (the manager is going away). A request
    // that came while there was no frame (the program still starting) goes to the next frame given.
    void set_target(platform::WindowManager* wm, platform::WindowId frame);
    // One request, as a signal makes it.
    void request();

private:
    void watch();
    void post_close();  // the caller holds the lock

    sigset_t set_, previous_;
    std::thread watcher_;
    std::atomic<bool> ending_{false};
    std::mutex mutex_;
    platform::WindowManager* wm_ = nullptr;
    platform::WindowId frame_ = 0;
    bool pending_ = false;  // a request came while there was no frame to close
};
