#include "framework/CloseRequests.h"

#include <pthread.h>

using namespace platform;

CloseRequests::CloseRequests()
{
    sigemptyset(&set_);
    sigaddset(&set_, SIGINT);
    sigaddset(&set_, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set_, &previous_);
    watcher_ = std::thread([this] { watch(); });
}

CloseRequests::~CloseRequests()
{
    ending_ = true;
    pthread_kill(watcher_.native_handle(), SIGTERM);
    watcher_.join();
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

void CloseRequests::set_target(WindowManager* wm, WindowId frame)
{
    std::lock_guard<std::mutex> lock(mutex_);
    wm_ = wm;
    frame_ = frame;
    if (wm_ && pending_) {
        pending_ = false;
        post_close();
    }
}

void CloseRequests::request()
{
    std::lock_guard<std::mutex> lock(mutex_);
    if (wm_)
        post_close();
    else
        pending_ = true;
}

void CloseRequests::watch()
{
    int signal = 0;
    while (sigwait(&set_, &signal) == 0 && !ending_)
        request();
}

void CloseRequests::post_close()
{
    Message close;
    close.window = frame_;
    close.kind = MessageKind::Close;
    wm_->post_message(close);
}
