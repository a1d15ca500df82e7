#pragma once
// The wave devices of the machine, behind one small interface with the semantics the device
// manager relies on: a device opens with a PCM format; input buffers are queued, filled
// strictly in the order they were queued, and marked done (their recorded count first, then
// the done flag, published with release order so that the reader who sees the flag sees the
// samples); `reset` stops the device and marks every queued buffer done; `close` lets it go.
// Device numbers: 0 and up a device of the list, -1 the standard device, -2 none (opening
// fails).
//
// The devices:
// - the standard input is a loopback of the built-in synthesizer: it delivers what the
//   synthesizer plays, converted to the format opened. It runs at the pace of the wall clock
//   on a thread of its own, or, while an offline drive holds it (`SynthLoopbackInput::drive`),
//   only as fast as the drive renders, on the drive's thread;
// - the ALSA capture devices of the machine, listed after it when there are any;
// - the outputs open and close harmlessly: what is written to them is marked played at once.
// Tests replace the list (`set_wave_devices`) with devices of their own, such as the
// deterministic tone generator below.

#include "audio/CAudioFile.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

constexpr short WAVE_MAPPER_ID = -1;  // the standard device
constexpr short WAVE_NO_DEVICE = -2;  // no device: opening fails
constexpr uint32_t WHDR_DONE = 1;

// The capability bits of a device's formats (one bit per rate, channel count and size).
constexpr uint32_t WAVE_FORMAT_1M08 = 0x00001, WAVE_FORMAT_1S08 = 0x00002, WAVE_FORMAT_1M16 = 0x00004,
                   WAVE_FORMAT_1S16 = 0x00008, WAVE_FORMAT_2M08 = 0x00010, WAVE_FORMAT_2S08 = 0x00020,
                   WAVE_FORMAT_2M16 = 0x00040, WAVE_FORMAT_2S16 = 0x00080, WAVE_FORMAT_4M08 = 0x00100,
                   WAVE_FORMAT_4S08 = 0x00200, WAVE_FORMAT_4M16 = 0x00400, WAVE_FORMAT_4S16 = 0x00800;
constexpr uint32_t WAVE_FORMATS_ALL = 0x00FFF;

// One buffer handed to a device. The device writes `recorded` and then sets WHDR_DONE in
// `flags`; the owner reads `flags` first.
struct WaveHeader {
    unsigned char* data = nullptr;
    uint32_t length = 0;
    std::atomic<uint32_t> recorded{0};
    intptr_t user = 0;
    std::atomic<uint32_t> flags{0};
    uint32_t loops = 0;

    void set(unsigned char* buffer, uint32_t bytes, intptr_t value)
    {
        data = buffer;
        length = bytes;
        user = value;
        loops = 0;
        recorded.store(0, std::memory_order_relaxed);
        flags.store(0, std::memory_order_release);
    }
    bool done() const { return flags.load(std::memory_order_acquire) & WHDR_DONE; }
};

class WaveInDevice {
public:
    virtual ~WaveInDevice() = default;
    // Queues a buffer behind the others; false when the device refuses it.
    virtual bool add_buffer(WaveHeader* header) = 0;
    virtual void start() = 0;
    // Stops and marks every queued buffer done; the queue is empty afterwards.
    virtual void reset() = 0;
};

class WaveOutDevice {
public:
    virtual ~WaveOutDevice() = default;
    virtual bool write(WaveHeader* header) = 0;
    virtual void pause() = 0;
    virtual void restart() = 0;
    virtual void reset() = 0;
};

struct WaveDeviceCaps {
    std::string name;      // Windows-1252
    uint32_t formats = 0;  // WAVE_FORMAT_* bits
};

class WaveDeviceSystem {
public:
    virtual ~WaveDeviceSystem() = default;
    virtual short input_count() = 0;
    virtual short output_count() = 0;
    // Device `id` (or -1, the standard one); false for -2 or an unknown number.
    virtual bool input_caps(short id, WaveDeviceCaps* caps) = 0;
    virtual bool output_caps(short id, WaveDeviceCaps* caps) = 0;
    // Null when the device cannot be opened with that format.
    virtual std::unique_ptr<WaveInDevice> open_input(short id, const PcmFormat& format) = 0;
    virtual std::unique_ptr<WaveOutDevice> open_output(short id, const PcmFormat& format) = 0;
};

// The machine's devices (built on first use), or the list a test installed.
WaveDeviceSystem& wave_devices();
// Installs a list (null: the machine's again); the caller keeps it alive while installed and
// installs it only while no device of the old list is open.
void set_wave_devices(WaveDeviceSystem* system);

// A queue of input buffers filled in order: the part that every input device shares. Its
// methods may be called from the owner's thread and the device's filling thread at once.
class WaveInQueue {
public:
    void add(WaveHeader* header);
    // Copies `bytes` bytes of whole frames into the queued buffers, marking each full buffer
    // done; what finds no buffer is lost (as on a device whose buffers come back too late).
    // Returns the bytes taken.
    int32_t fill(const unsigned char* data, int32_t bytes);
    // Marks every queued buffer done with what it holds, and empties the queue.
    void flush();
    // Bytes of room in the queued buffers.
    int64_t room() const;
    size_t queued() const;

private:
    mutable std::mutex lock;
    std::vector<WaveHeader*> queue;  // oldest first
    uint32_t filled = 0;             // bytes in the oldest buffer
};

// A deterministic input for tests: a continuous frame counter, frame n holding n & 0x7FFF in
// every 16-bit sample (n & 0x7F + 64 at 8 bits), delivered on its own thread at `frames_per_ms`
// frames per millisecond of the wall clock (real time: rate / 1000).
class ToneTestInput : public WaveInDevice {
public:
    ToneTestInput(const PcmFormat& format, double frames_per_ms);
    ~ToneTestInput() override;
    bool add_buffer(WaveHeader* header) override;
    void start() override;
    void reset() override;

private:
    void run();
    PcmFormat format;
    double pace;
    WaveInQueue queue;
    std::atomic<bool> running{false};
    std::atomic<bool> quitting{false};
    std::thread worker;
    int64_t next_frame = 0;
};

// An output that plays nothing: every buffer written is marked done at once.
class SilentOutput : public WaveOutDevice {
public:
    bool write(WaveHeader* header) override;
    void pause() override {}
    void restart() override {}
    void reset() override {}
};

// A device list for tests: `inputs` tone generators (the first is also the standard one) at
// the given pace, and one silent output; formats as given.
class TestWaveDevices : public WaveDeviceSystem {
public:
    TestWaveDevices(short inputs, double frames_per_ms, uint32_t formats = WAVE_FORMATS_ALL);
    short input_count() override { return inputs; }
    short output_count() override { return 1; }
    bool input_caps(short id, WaveDeviceCaps* caps) override;
    bool output_caps(short id, WaveDeviceCaps* caps) override;
    std::unique_ptr<WaveInDevice> open_input(short id, const PcmFormat& format) override;
    std::unique_ptr<WaveOutDevice> open_output(short id, const PcmFormat& format) override;
    std::atomic<int> inputs_opened{0};

private:
    short inputs;
    double pace;
    uint32_t formats;
};
