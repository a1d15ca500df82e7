#include "audio/WaveDevices.h"

#include "audio/SynthLoopback.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <chrono>
#include <cstring>

// ---- The queue of input buffers ----

void WaveInQueue::add(WaveHeader* header)
{
    std::lock_guard<std::mutex> g(lock);
    queue.push_back(header);
}

int32_t WaveInQueue::fill(const unsigned char* data, int32_t bytes)
{
    std::lock_guard<std::mutex> g(lock);
    int32_t taken = 0;
    while (taken < bytes && !queue.empty()) {
        WaveHeader* h = queue.front();
        const uint32_t n = std::min<uint32_t>(h->length - filled, static_cast<uint32_t>(bytes - taken));
        std::memcpy(h->data + filled, data + taken, n);
        filled += n;
        taken += static_cast<int32_t>(n);
        if (filled == h->length) {
            h->recorded.store(filled, std::memory_order_relaxed);
            h->flags.fetch_or(WHDR_DONE, std::memory_order_release);
            queue.erase(queue.begin());
            filled = 0;
        }
    }
    return taken;
}

void WaveInQueue::flush()
{
    std::lock_guard<std::mutex> g(lock);
    for (WaveHeader* h : queue) {
        h->recorded.store(filled, std::memory_order_relaxed);
        h->flags.fetch_or(WHDR_DONE, std::memory_order_release);
        filled = 0;
    }
    queue.clear();
    filled = 0;
}

int64_t WaveInQueue::room() const
{
    std::lock_guard<std::mutex> g(lock);
    int64_t n = 0;
    for (const WaveHeader* h : queue) n += h->length;
    return n - filled;
}

size_t WaveInQueue::queued() const
{
    std::lock_guard<std::mutex> g(lock);
    return queue.size();
}

// ---- The tone generator of the tests ----

ToneTestInput::ToneTestInput(const PcmFormat& f, double frames_per_ms) : format(f), pace(frames_per_ms)
{
    worker = std::thread([this] { run(); });
}

ToneTestInput::~ToneTestInput()
{
    quitting.store(true);
    worker.join();
}

bool ToneTestInput::add_buffer(WaveHeader* header)
{
    queue.add(header);
    return true;
}

void ToneTestInput::start() { running.store(true); }

void ToneTestInput::reset()
{
    running.store(false);
    queue.flush();
}

void ToneTestInput::run()
{
    using clock = std::chrono::steady_clock;
    const int32_t frame = pcm_frame_size(format);
    auto since = clock::now();
    int64_t due_base = 0;
    bool was_running = false;
    std::vector<unsigned char> block;
    while (!quitting.load()) {
        std::this_thread::sleep_for(std::chrono::microseconds(500));
        const bool on = running.load();
        if (on && !was_running) {
            since = clock::now();
            due_base = next_frame;
        }
        was_running = on;
        if (!on) continue;
        const double ms = std::chrono::duration<double, std::milli>(clock::now() - since).count();
        const int64_t due = due_base + static_cast<int64_t>(ms * pace);
        int64_t count = std::min<int64_t>(due - next_frame, queue.room() / frame);
        if (count <= 0) continue;
        block.assign(static_cast<size_t>(count * frame), 0);
        for (int64_t i = 0; i < count; i++) {
            const int64_t n = next_frame + i;
            unsigned char* p = block.data() + i * frame;
            for (int c = 0; c < format.channels; c++) {
                if (format.bits == 16) {
                    const uint16_t v = static_cast<uint16_t>(n & 0x7FFF);
                    p[c * 2] = static_cast<unsigned char>(v & 0xFF);
                    p[c * 2 + 1] = static_cast<unsigned char>(v >> 8);
                } else {
                    p[c] = static_cast<unsigned char>((n & 0x7F) + 64);
                }
            }
        }
        queue.fill(block.data(), static_cast<int32_t>(block.size()));
        next_frame += count;
    }
}

bool SilentOutput::write(WaveHeader* header)
{
    header->flags.fetch_or(WHDR_DONE, std::memory_order_release);
    return true;
}

TestWaveDevices::TestWaveDevices(short n, double frames_per_ms, uint32_t f) : inputs(n), pace(frames_per_ms), formats(f) {}

bool TestWaveDevices::input_caps(short id, WaveDeviceCaps* caps)
{
    if (id < WAVE_MAPPER_ID || id >= inputs || inputs == 0) return false;
    caps->name = "G\xE9n\xE9rateur de test " + std::to_string(id < 0 ? 1 : id + 1);
    caps->formats = formats;
    return true;
}

bool TestWaveDevices::output_caps(short id, WaveDeviceCaps* caps)
{
    if (id < WAVE_MAPPER_ID || id >= 1) return false;
    caps->name = "Sortie muette";
    caps->formats = formats;
    return true;
}

std::unique_ptr<WaveInDevice> TestWaveDevices::open_input(short id, const PcmFormat& format)
{
    WaveDeviceCaps caps;
    if (!pcm_format_supported(format) || !input_caps(id, &caps)) return nullptr;
    inputs_opened.fetch_add(1);
    return std::make_unique<ToneTestInput>(format, pace);
}

std::unique_ptr<WaveOutDevice> TestWaveDevices::open_output(short id, const PcmFormat& format)
{
    WaveDeviceCaps caps;
    if (!pcm_format_supported(format) || !output_caps(id, &caps)) return nullptr;
    return std::make_unique<SilentOutput>();
}

// ---- ALSA capture ----

namespace {

// A capture device of ALSA, read on a thread of its own into the queued buffers.
class AlsaCaptureInput : public WaveInDevice {
public:
    AlsaCaptureInput(snd_pcm_t* pcm, const PcmFormat& f) : handle(pcm), format(f)
    {
        worker = std::thread([this] { run(); });
    }
    ~AlsaCaptureInput() override
    {
        quitting.store(true);
        worker.join();
        snd_pcm_close(handle);
    }
    bool add_buffer(WaveHeader* header) override
    {
        queue.add(header);
        return true;
    }
    void start() override { running.store(true); }
    void reset() override
    {
        running.store(false);
        queue.flush();
    }

private:
    void run()
    {
        const int32_t frame = pcm_frame_size(format);
        std::vector<unsigned char> block(static_cast<size_t>(frame) * 256);
        bool started = false;
        while (!quitting.load()) {
            if (!running.load()) {
                if (started) snd_pcm_drop(handle);
                started = false;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            if (!started) {
                snd_pcm_prepare(handle);
                snd_pcm_start(handle);
                started = true;
            }
            if (snd_pcm_wait(handle, 10) <= 0) continue;
            snd_pcm_sframes_t got = snd_pcm_readi(handle, block.data(), 256);
            if (got < 0) {
                snd_pcm_recover(handle, static_cast<int>(got), 1);
                continue;
            }
            queue.fill(block.data(), static_cast<int32_t>(got * frame));
        }
    }

    snd_pcm_t* handle;
    PcmFormat format;
    WaveInQueue queue;
    std::atomic<bool> running{false};
    std::atomic<bool> quitting{false};
    std::thread worker;
};

std::vector<std::string> alsa_capture_names()
{
    std::vector<std::string> names;
    int card = -1;
    while (snd_card_next(&card) == 0 && card >= 0) names.push_back("hw:" + std::to_string(card));
    return names;
}

std::unique_ptr<WaveInDevice> open_alsa_capture(const std::string& name, const PcmFormat& f)
{
    snd_pcm_t* pcm = nullptr;
    if (snd_pcm_open(&pcm, name.c_str(), SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK) < 0) return nullptr;
    const snd_pcm_format_t sample = f.bits == 16 ? SND_PCM_FORMAT_S16_LE : SND_PCM_FORMAT_U8;
    if (snd_pcm_set_params(pcm, sample, SND_PCM_ACCESS_RW_INTERLEAVED, f.channels, f.rate, 1, 100000) < 0) {
        snd_pcm_close(pcm);
        return nullptr;
    }
    return std::make_unique<AlsaCaptureInput>(pcm, f);
}

// The machine: the loopback of the built-in synthesizer as the standard input, the ALSA
// capture devices after it, and outputs that play nothing.
class MachineWaveDevices : public WaveDeviceSystem {
public:
    MachineWaveDevices() : captures(alsa_capture_names()) {}
    short input_count() override { return static_cast<short>(1 + captures.size()); }
    short output_count() override { return 1; }
    bool input_caps(short id, WaveDeviceCaps* caps) override
    {
        if (id == WAVE_MAPPER_ID || id == 0) {
            caps->name = "Synth\xE9tiseur int\xE9gr\xE9 (boucle)";
        } else if (id > 0 && id < input_count()) {
            caps->name = "ALSA " + captures[static_cast<size_t>(id - 1)];
        } else {
            return false;
        }
        caps->formats = WAVE_FORMATS_ALL;
        return true;
    }
    bool output_caps(short id, WaveDeviceCaps* caps) override
    {
        if (id != WAVE_MAPPER_ID && id != 0) return false;
        caps->name = "Sortie audio du synth\xE9tiseur";
        caps->formats = WAVE_FORMATS_ALL;
        return true;
    }
    std::unique_ptr<WaveInDevice> open_input(short id, const PcmFormat& f) override
    {
        if (!pcm_format_supported(f)) return nullptr;
        if (id == WAVE_MAPPER_ID || id == 0) return std::make_unique<SynthLoopbackInput>(f);
        if (id > 0 && id < input_count()) return open_alsa_capture(captures[static_cast<size_t>(id - 1)], f);
        return nullptr;
    }
    std::unique_ptr<WaveOutDevice> open_output(short id, const PcmFormat& f) override
    {
        if (!pcm_format_supported(f) || (id != WAVE_MAPPER_ID && id != 0)) return nullptr;
        return std::make_unique<SilentOutput>();
    }

private:
    std::vector<std::string> captures;
};

std::atomic<WaveDeviceSystem*> installed{nullptr};

}  // namespace

WaveDeviceSystem& wave_devices()
{
    if (WaveDeviceSystem* s = installed.load()) return *s;
    static MachineWaveDevices machine;
    return machine;
}

void set_wave_devices(WaveDeviceSystem* system) { installed.store(system); }
