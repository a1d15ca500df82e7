#include "audio/SynthLoopback.h"

#include "platform/MidiDevices.h"
#include "platform/MidiSynth.h"

#include <chrono>

namespace {

platform::MidiSynthDevice* built_in_synth()
{
    return dynamic_cast<platform::MidiSynthDevice*>(platform::midi_out_device(0));
}

// How often the live pace renders.
constexpr auto kLiveStep = std::chrono::milliseconds(2);

}  // namespace

SynthLoopbackInput::SynthLoopbackInput(const PcmFormat& f) : format(f)
{
    if (f.rate < kSynthRate) down = kSynthRate / f.rate == 2 ? 2 : 4;
    if (f.rate > kSynthRate) up = f.rate / kSynthRate == 2 ? 2 : 4;
    worker = std::thread([this] { run(); });
}

SynthLoopbackInput::~SynthLoopbackInput()
{
    quitting.store(true);
    worker.join();
    reset();
}

bool SynthLoopbackInput::add_buffer(WaveHeader* header)
{
    queue.add(header);
    return true;
}

void SynthLoopbackInput::start()
{
    std::lock_guard<std::mutex> g(render_lock);
    if (!tapped) {
        if (platform::MidiSynthDevice* synth = built_in_synth()) synth->attach_tap();
        tapped = true;
    }
    rendered.store(0);
    running.store(true, std::memory_order_release);
}

void SynthLoopbackInput::reset()
{
    std::lock_guard<std::mutex> g(render_lock);
    running.store(false);
    if (tapped) {
        if (platform::MidiSynthDevice* synth = built_in_synth()) synth->detach_tap();
        tapped = false;
    }
    pending.clear();
    queue.flush();
}

void SynthLoopbackInput::hold(bool on) { held.store(on, std::memory_order_release); }

int64_t SynthLoopbackInput::room_frames() const
{
    const int64_t out_frames = queue.room() / pcm_frame_size(format);
    std::lock_guard<std::mutex> g(render_lock);
    return out_frames * down / up - static_cast<int64_t>(pending.size() / 2);
}

int32_t SynthLoopbackInput::render_frames(int32_t frames)
{
    std::lock_guard<std::mutex> g(render_lock);
    return render_locked(frames);
}

int32_t SynthLoopbackInput::render_locked(int32_t frames)
{
    if (!running.load(std::memory_order_acquire) || frames <= 0) return 0;
    const size_t at = pending.size();
    pending.resize(at + static_cast<size_t>(frames) * 2);
    if (platform::MidiSynthDevice* synth = built_in_synth())
        synth->render_s16(pending.data() + at, frames, kInputGain);
    else
        std::fill(pending.begin() + static_cast<long>(at), pending.end(), int16_t(0));
    rendered.fetch_add(frames, std::memory_order_acq_rel);
    // Whole groups only, so that down-sampling keeps every fourth (or second) frame of the
    // whole recording, not of each call.
    const int32_t whole = static_cast<int32_t>(pending.size() / 2) / down * down;
    if (whole == 0) return frames;
    const PcmFormat synth_format{static_cast<uint32_t>(kSynthRate), 2, 16};
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(pending.data());
    if (format.rate == synth_format.rate && format.channels == 2 && format.bits == 16) {
        queue.fill(bytes, whole * 4);
    } else {
        converted.clear();
        const int32_t out = convert_pcm_block(bytes, whole * 4, synth_format, format, &left, &right, &converted);
        queue.fill(converted.data(), out * pcm_frame_size(format));
    }
    pending.erase(pending.begin(), pending.begin() + whole * 2);
    return frames;
}

void SynthLoopbackInput::run()
{
    using clock = std::chrono::steady_clock;
    auto since = clock::now();
    int64_t done = 0;
    bool was_live = false;
    while (!quitting.load()) {
        std::this_thread::sleep_for(kLiveStep);
        std::lock_guard<std::mutex> g(render_lock);
        const bool live = running.load() && !held.load(std::memory_order_acquire);
        if (live && !was_live) {
            since = clock::now();
            done = 0;
        }
        was_live = live;
        if (!live) continue;
        const int64_t due =
            std::chrono::duration_cast<std::chrono::microseconds>(clock::now() - since).count() * kSynthRate / 1000000;
        if (due > done) {
            render_locked(static_cast<int32_t>(due - done));
            done = due;
        }
    }
}
