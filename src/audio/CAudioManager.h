#pragma once
// CAudioManager: the wave devices of the program. It owns the wave input and the wave output,
// a ring of sample buffers for each direction, and a worker thread that polls both devices
// every millisecond: each buffer the input has filled goes to the recording callback, in ring
// order, without gaps or repeats, and is queued again.
//
// Threads: the GUI thread calls open, start_recording, stop_recording, stop and the
// destructor; the worker runs `run` and the callbacks. They share only atomics: the GUI thread
// raises the requests (initRecording, quitRecording, initPlaying, quitPlaying, stop_thread)
// and writes the callback before raising initRecording; the worker clears the requests and
// sets playing, recording and ready. The settings (devices, format, rings) are written by the
// GUI thread only while no worker exists (before open, after stop), so the thread's start
// hands them over. The worker runs at normal priority, or at a real-time one where the system
// grants it.
//
// Buffers are allocated once by `open` and freed when the worker ends; the worker allocates
// nothing. The output direction exists in full but nothing in the program starts it.

#include "audio/CAudioFile.h"
#include "audio/WaveDevices.h"
#include "framework/CObject.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

class CAudioManager : public CObject {
public:
    // Receives one filled buffer and its byte count (whole frames), on the worker thread; it
    // may change the buffer in place and must return well within one buffer's duration.
    using RecordProc = int32_t (*)(void* client, short* buffer, int32_t bytes);
    // Fills a buffer to play; returns the bytes it put there.
    using PlayProc = int32_t (*)(void* client, short* buffer, int32_t bytes);

    static constexpr short kMaxBuffers = 20;
    static constexpr uint32_t kSmallestBuffer = 400;
    static constexpr uint32_t kLargestBuffer = 64000;

    CAudioManager();
    ~CAudioManager() override;  // stops the worker and waits for its end
    CAudioManager(const CAudioManager&) = delete;
    CAudioManager& operator=(const CAudioManager&) = delete;

    // The defaults: standard devices, 44,100 Hz 16-bit stereo, each way 3 buffers of 15,000
    // bytes with 2 in flight. Closes nothing.
    void init();
    // Allocates the rings, opens the devices (one that does not open stays closed) and starts
    // the worker. False, with the defaults back, when a buffer or the thread cannot be made.
    // Settings out of range are brought in first (see `correct_settings`).
    bool open();
    // Starts recording into `proc` on the worker's next turn. False when not open, already
    // recording, or there is no input device.
    bool start_recording(RecordProc proc, void* client);
    // Asks the worker to stop recording: the buffers the input still holds, the last partial
    // one included, reach the callback first.
    bool stop_recording();
    // Waits until the worker no longer records and has left the callback for good; false when
    // `timeout_ms` passed first.
    bool wait_recording_stopped(int32_t timeout_ms);
    // Asks the worker to close the devices, free the buffers and end, and waits for it.
    void stop();

    // The settings dialog ("Configuration audio..."): stops the worker, lets the user choose the
    // devices, the format and the rings, then opens again, with the choice after OK (written to
    // "Audio.dat" first) or with the settings of before. GUI thread; see AudioSettings.h.
    void edit();
    // Writes the settings to "Audio.dat" in the user's folder "Prefs"; false when it cannot be
    // written.
    bool save() const;

    // The input device while the worker owns it (the offline drive renders through it).
    WaveInDevice* input_device() const { return wavein.get(); }
    PcmFormat format() const { return PcmFormat{sampleFrequency, sampleMode, sampleBits}; }

    // The wave devices
    std::unique_ptr<WaveOutDevice> waveout;
    std::unique_ptr<WaveInDevice> wavein;
    short inID = WAVE_MAPPER_ID;
    short outID = WAVE_MAPPER_ID;
    // The rings (entries 1 to 20)
    std::vector<unsigned char> outBuffer[kMaxBuffers + 1];
    short outTotalBuffer = 3;
    uint32_t outBufferSize = 15000;
    short outConsecutiveBuffers = 2;
    std::vector<unsigned char> inBuffer[kMaxBuffers + 1];
    short inTotalBuffer = 3;
    uint32_t inBufferSize = 15000;
    short inConsecutiveBuffers = 2;
    // The format of both directions
    uint32_t sampleFrequency = 44100;
    uint16_t sampleBits = 16;
    uint16_t sampleMode = 2;
    short frameSize = 4;
    // Callbacks
    std::atomic<PlayProc> out_proc{nullptr};
    std::atomic<void*> out_client{nullptr};
    std::atomic<RecordProc> in_proc{nullptr};
    std::atomic<void*> in_client{nullptr};
    // State and requests
    std::atomic<bool> stop_thread{false};
    std::atomic<bool> playing{false};
    std::atomic<bool> recording{false};
    std::atomic<bool> ready{false};
    std::atomic<bool> initPlaying{false};
    std::atomic<bool> initRecording{false};
    std::atomic<bool> quitPlaying{false};
    std::atomic<bool> quitRecording{false};
    // Buffers handed to the recording callback since the recording started.
    std::atomic<uint32_t> buffers_recorded{0};

private:
    void run();
    void free_buffers();

    std::thread thread;
};

// The settings of a ring brought within what the worker can serve: 2 to 20 buffers, at least
// one and fewer than the ring in flight, a size of 400 to 64,000 bytes in whole frames.
struct RingSettings {
    short total;
    uint32_t size;
    short in_flight;
};
RingSettings correct_ring(RingSettings r, short frame_size);
