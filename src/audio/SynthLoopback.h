#pragma once
// The standard wave input: a loopback of the built-in synthesizer. It delivers what the
// synthesizer plays (the sound of whatever the MIDI layer sends to it), converted to the
// format it was opened with, whole frames only, silence as 0 (16 bits) or 128 (8 bits).
//
// Two paces:
// - live (the default): a thread of its own renders the synthesizer at the pace of the wall
//   clock from `start` on, as a sound card would record it; frames that find no queued buffer
//   are lost, as on a card whose buffers come back late;
// - driven: while an offline drive holds it (`hold(true)`), nothing renders by itself; the
//   drive calls `render_frames` on its own thread, as fast as it likes, and renders only what
//   the queued buffers have room for, so nothing is lost and the recording does not depend on
//   how fast the machine is.
// The synthesizer is output device 0 of the MIDI layer (platform/MidiDevices.h); when that is
// not the built-in synthesizer the loopback records silence.

#include "audio/WaveDevices.h"

#include <mutex>
#include <thread>

class SynthLoopbackInput : public WaveInDevice {
public:
    static constexpr int32_t kSynthRate = 44100;
    // The loopback's input level. The synthesizer's own output is quiet (a melody peaks near
    // -38 dBFS); like a sound card's input set for it, the loopback raises it by 20 dB, so that
    // a melody peaks near -18 dBFS and the meters show it. Louder passages saturate.
    static constexpr float kInputGain = 10.0f;

    explicit SynthLoopbackInput(const PcmFormat& format);
    ~SynthLoopbackInput() override;

    bool add_buffer(WaveHeader* header) override;
    void start() override;
    void reset() override;

    // Holds the loopback for an offline drive (true) or gives it back to its own pace.
    void hold(bool held);
    // Renders `frames` frames of the synthesizer (at its own rate) into the queued buffers;
    // the frames rendered (0 before `start`). Any thread, one at a time with the live pace.
    int32_t render_frames(int32_t frames);
    // Synthesizer frames that the queued buffers can take now.
    int64_t room_frames() const;
    // Synthesizer frames rendered since `start`.
    int64_t frames_rendered() const { return rendered.load(std::memory_order_acquire); }

private:
    void run();
    int32_t render_locked(int32_t frames);

    const PcmFormat format;
    int32_t up = 1, down = 1;  // rate change from the synthesizer's to the format's
    WaveInQueue queue;
    mutable std::mutex render_lock;       // the renderer's state below
    std::vector<int16_t> pending;         // synthesizer frames not yet converted (a partial group)
    std::vector<unsigned char> converted;
    int32_t left = 0, right = 0;          // the conversion's carry
    bool tapped = false;
    std::atomic<bool> running{false};
    std::atomic<bool> held{false};
    std::atomic<bool> quitting{false};
    std::atomic<int64_t> rendered{0};
    std::thread worker;
};
