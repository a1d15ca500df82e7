#include "audio/CAudioManager.h"

#include <pthread.h>
#include <sched.h>

#include <algorithm>
#include <chrono>

namespace {

constexpr short kClassKind = 70;
constexpr auto kTurn = std::chrono::milliseconds(1);

// The ring position after `p`, back to 1 after `total`.
short next_position(short p, short total) { return p >= total ? 1 : static_cast<short>(p + 1); }

// A real-time priority where the system grants one; otherwise the thread stays as it is.
void raise_priority(std::thread& t)
{
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO);
    pthread_setschedparam(t.native_handle(), SCHED_FIFO, &param);
}

}  // namespace

RingSettings correct_ring(RingSettings r, short frame_size)
{
    r.total = std::clamp<short>(r.total, 2, CAudioManager::kMaxBuffers);
    r.in_flight = std::clamp<short>(r.in_flight, 1, static_cast<short>(r.total - 1));
    r.size = std::clamp(r.size, CAudioManager::kSmallestBuffer, CAudioManager::kLargestBuffer);
    if (frame_size > 0) r.size -= r.size % static_cast<uint32_t>(frame_size);
    return r;
}

CAudioManager::CAudioManager()
{
    uid = kClassKind;
    init();
}

CAudioManager::~CAudioManager() { stop(); }

void CAudioManager::init()
{
    inID = outID = WAVE_MAPPER_ID;
    outTotalBuffer = inTotalBuffer = 3;
    outBufferSize = inBufferSize = 15000;
    outConsecutiveBuffers = inConsecutiveBuffers = 2;
    sampleFrequency = 44100;
    sampleBits = 16;
    sampleMode = 2;
    frameSize = 4;
    stop_thread = false;
    playing = recording = ready = false;
    initPlaying = initRecording = quitPlaying = quitRecording = false;
}

void CAudioManager::free_buffers()
{
    for (auto& b : outBuffer) std::vector<unsigned char>().swap(b);
    for (auto& b : inBuffer) std::vector<unsigned char>().swap(b);
}

bool CAudioManager::open()
{
    if (thread.joinable()) stop();
    if (sampleMode != 1 && sampleMode != 2) sampleMode = 2;
    if (sampleBits != 8 && sampleBits != 16) sampleBits = 16;
    frameSize = static_cast<short>(pcm_frame_size(format()));
    RingSettings out = correct_ring({outTotalBuffer, outBufferSize, outConsecutiveBuffers}, frameSize);
    RingSettings in = correct_ring({inTotalBuffer, inBufferSize, inConsecutiveBuffers}, frameSize);
    outTotalBuffer = out.total;
    outBufferSize = out.size;
    outConsecutiveBuffers = out.in_flight;
    inTotalBuffer = in.total;
    inBufferSize = in.size;
    inConsecutiveBuffers = in.in_flight;
    try {
        for (short i = 1; i <= outTotalBuffer; i++) outBuffer[i].assign(outBufferSize, 0);
        for (short i = 1; i <= inTotalBuffer; i++) inBuffer[i].assign(inBufferSize, sampleBits == 8 ? 128 : 0);
    } catch (const std::bad_alloc&) {
        free_buffers();
        init();
        return false;
    }
    stop_thread = false;
    waveout = wave_devices().open_output(outID, format());
    wavein = wave_devices().open_input(inID, format());
    ready = true;
    try {
        thread = std::thread([this] { run(); });
    } catch (const std::system_error&) {
        waveout.reset();
        wavein.reset();
        free_buffers();
        init();
        return false;
    }
    raise_priority(thread);
    return true;
}

bool CAudioManager::start_recording(RecordProc proc, void* client)
{
    if (!ready.load() || recording.load() || initRecording.load() || !wavein) return false;
    in_client.store(client);
    in_proc.store(proc);
    buffers_recorded.store(0);
    initRecording.store(true, std::memory_order_release);
    return true;
}

bool CAudioManager::stop_recording()
{
    quitRecording.store(true, std::memory_order_release);
    return true;
}

bool CAudioManager::wait_recording_stopped(int32_t timeout_ms)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (recording.load() || initRecording.load() || quitRecording.load()) {
        if (!thread.joinable()) return !recording.load();
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(kTurn);
    }
    return true;
}

void CAudioManager::stop()
{
    if (playing.load()) quitPlaying = true;
    if (recording.load()) quitRecording = true;
    stop_thread.store(true, std::memory_order_release);
    if (thread.joinable()) thread.join();
    stop_thread = false;
}

void CAudioManager::run()
{
    WaveHeader out_hdr[kMaxBuffers + 1];
    WaveHeader in_hdr[kMaxBuffers + 1];
    short out_done = 1, out_fill = 1, in_done = 1, in_fill = 1;

    auto queue_output = [&](short i) {
        out_hdr[i].set(outBuffer[i].data(), outBufferSize, i);
        const PlayProc proc = out_proc.load();
        int32_t n = proc ? proc(out_client.load(), reinterpret_cast<short*>(outBuffer[i].data()),
                                static_cast<int32_t>(outBufferSize))
                         : 0;
        out_hdr[i].length = static_cast<uint32_t>(std::clamp<int32_t>(n, 0, static_cast<int32_t>(outBufferSize)));
    };
    auto queue_input = [&](short i) {
        in_hdr[i].set(inBuffer[i].data(), inBufferSize, i);
        wavein->add_buffer(&in_hdr[i]);
    };
    auto hand_over = [&](short i) {
        const uint32_t bytes = in_hdr[i].recorded.load(std::memory_order_relaxed);
        const uint32_t whole = bytes - bytes % static_cast<uint32_t>(frameSize);
        const RecordProc proc = in_proc.load();
        if (proc && whole > 0) {
            proc(in_client.load(), reinterpret_cast<short*>(inBuffer[i].data()), static_cast<int32_t>(whole));
            buffers_recorded.fetch_add(1);
        }
    };

    for (;;) {
        // Playback
        if (initPlaying.exchange(false) && waveout) {
            for (short i = 1; i <= outConsecutiveBuffers; i++) queue_output(i);
            waveout->pause();
            for (short i = 1; i <= outConsecutiveBuffers; i++) waveout->write(&out_hdr[i]);
            waveout->restart();
            playing = true;
            out_done = 1;
            out_fill = static_cast<short>(outConsecutiveBuffers + 1);
        }
        if (playing.load() && out_hdr[out_done].done()) {
            out_done = next_position(out_done, outTotalBuffer);
            queue_output(out_fill);
            waveout->write(&out_hdr[out_fill]);
            out_fill = next_position(out_fill, outTotalBuffer);
        }
        if (quitPlaying.exchange(false)) {
            if (waveout) {
                waveout->pause();
                waveout->reset();
            }
            playing = false;
            out_proc = nullptr;
        }
        // Recording
        if (initRecording.load(std::memory_order_acquire)) {
            if (wavein) {
                for (short i = 1; i <= inConsecutiveBuffers; i++) queue_input(i);
                wavein->start();
                in_done = 1;
                in_fill = static_cast<short>(inConsecutiveBuffers + 1);
                recording = true;
            }
            initRecording = false;
        }
        if (recording.load() && in_hdr[in_done].done()) {
            hand_over(in_done);
            in_done = next_position(in_done, inTotalBuffer);
            queue_input(in_fill);
            in_fill = next_position(in_fill, inTotalBuffer);
        }
        if (quitRecording.load(std::memory_order_acquire)) {
            if (recording.load() && wavein) {
                // The buffers still queued, the partial last one included, in ring order.
                wavein->reset();
                for (short k = 0; k < inConsecutiveBuffers; k++) {
                    if (in_hdr[in_done].done()) hand_over(in_done);
                    in_done = next_position(in_done, inTotalBuffer);
                }
            }
            in_proc = nullptr;
            in_client = nullptr;
            recording = false;
            quitRecording = false;
        }
        if (stop_thread.load(std::memory_order_acquire)) break;
        std::this_thread::sleep_for(kTurn);
    }
    // End: close both devices and free the rings.
    if (waveout) waveout->reset();
    waveout.reset();
    if (wavein) wavein->reset();
    wavein.reset();
    free_buffers();
    playing = recording = false;
    ready = false;
}
