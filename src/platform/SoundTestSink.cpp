#include "platform/SoundTestSink.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace platform {

bool RecordingSoundSink::start(const WavFormat& format)
{
    std::lock_guard<std::mutex> g(lock);
    received.push_back(Received{format, {}, false});
    return true;
}

int32_t RecordingSoundSink::write(const unsigned char* frames, int32_t count)
{
    if (pace > 0) {
        count = std::min(count, pace);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    {
        std::lock_guard<std::mutex> g(lock);
        Received& sound = received.back();
        sound.data.insert(sound.data.end(), frames, frames + size_t(count) * sound.format.frame_bytes());
    }
    changed.notify_all();
    return count;
}

void RecordingSoundSink::stop()
{
    {
        std::lock_guard<std::mutex> g(lock);
        received.back().ended = true;
        ++ended;
    }
    changed.notify_all();
}

std::vector<RecordingSoundSink::Received> RecordingSoundSink::sounds() const
{
    std::lock_guard<std::mutex> g(lock);
    return received;
}

template <class Ready> bool RecordingSoundSink::wait(Ready ready, int32_t timeout_ms) const
{
    std::unique_lock<std::mutex> g(lock);
    return changed.wait_for(g, std::chrono::milliseconds(timeout_ms), ready);
}

bool RecordingSoundSink::wait_for_ended(size_t count, int32_t timeout_ms) const
{
    return wait([&] { return ended >= count; }, timeout_ms);
}

bool RecordingSoundSink::wait_for_bytes(size_t index, size_t bytes, int32_t timeout_ms) const
{
    return wait([&] { return received.size() > index && received[index].data.size() >= bytes; }, timeout_ms);
}

}  // namespace platform
