#pragma once
// A sound sink without hardware: it keeps every sound it is given, frame for frame, so that
// tests can check what the player sent and when a sound ended.

#include "platform/SoundPlayer.h"

#include <condition_variable>
#include <mutex>
#include <vector>

namespace platform {

class RecordingSoundSink : public SoundSink {
public:
    struct Received {
        WavFormat format;
        std::vector<unsigned char> data;  // the frames taken, as sent
        bool ended = false;               // stop was called
    };

    // `frames_per_ms` paces the sink like a device: each write takes at most that many frames
    // and lasts a millisecond (0: every write takes all it is given at once).
    explicit RecordingSoundSink(int32_t frames_per_ms = 0) : pace(frames_per_ms) {}

    bool start(const WavFormat& format) override;
    int32_t write(const unsigned char* frames, int32_t count) override;
    bool draining() override { return false; }
    void stop() override;

    std::vector<Received> sounds() const;
    // Waits until `count` sounds have ended; false when `timeout_ms` passes first.
    bool wait_for_ended(size_t count, int32_t timeout_ms) const;
    // Waits until sound number `index` (from 0) has received at least `bytes` bytes.
    bool wait_for_bytes(size_t index, size_t bytes, int32_t timeout_ms) const;

private:
    template <class Ready> bool wait(Ready ready, int32_t timeout_ms) const;

    const int32_t pace;
    mutable std::mutex lock;
    mutable std::condition_variable changed;
    std::vector<Received> received;
    size_t ended = 0;
};

}  // namespace platform
