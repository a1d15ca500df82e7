#include "platform/SoundPlayer.h"

#include "platform/FileSystem.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

uint32_t le16(const unsigned char* p) { return p[0] | (p[1] << 8); }
uint32_t le32(const unsigned char* p) { return le16(p) | (le16(p + 2) << 16); }

constexpr uint32_t kPcmTag = 1;
constexpr uint32_t kLowestRate = 1000;
constexpr uint32_t kHighestRate = 192000;

// The "fmt " chunk's body (at least its first 16 bytes) into `format`.
WavResult read_format(const unsigned char* body, uint32_t size, WavFormat* format)
{
    if (size < 16) return WavResult::Truncated;
    if (le16(body) != kPcmTag) return WavResult::NotPcm;
    const uint32_t channels = le16(body + 2), rate = le32(body + 4), block = le16(body + 12), bits = le16(body + 14);
    if (channels < 1 || channels > 2 || (bits != 8 && bits != 16) || rate < kLowestRate || rate > kHighestRate ||
        block != channels * bits / 8)
        return WavResult::BadFormat;
    format->channels = static_cast<short>(channels);
    format->bits = static_cast<short>(bits);
    format->rate = static_cast<int32_t>(rate);
    return WavResult::Ok;
}

// ALSA's own complaints (no sound card, for one) are not the user's business: the player says
// once that nothing will be heard instead.
void quiet_alsa(const char*, int, const char*, int, const char*, ...) {}

void tell_once(const char* what)
{
    static std::once_flag once;
    std::call_once(once, [what] { std::fprintf(stderr, "Brindlecot : %s\n", what); });
}

constexpr int kWaitMs = 10;          // longest wait of one write or drain step
constexpr unsigned kLatencyUs = 50000;  // the device's buffer

class AlsaSoundSink : public SoundSink {
public:
    explicit AlsaSoundSink(std::string name) : device(std::move(name)) {}
    ~AlsaSoundSink() override { stop(); }

    bool start(const WavFormat& format) override
    {
        static std::once_flag quiet;
        std::call_once(quiet, [] { snd_lib_error_set_handler(quiet_alsa); });
        if (snd_pcm_open(&pcm, device.c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) {
            pcm = nullptr;
            tell_once("les sons de clic et de touche n'ont pas de sortie audio (rien ne s'entend)");
            return false;
        }
        const snd_pcm_format_t sample = format.bits == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
        if (snd_pcm_set_params(pcm, sample, SND_PCM_ACCESS_RW_INTERLEAVED, format.channels, format.rate, 1,
                               kLatencyUs) < 0) {
            stop();
            tell_once("la sortie audio refuse les sons de clic et de touche (rien ne s'entend)");
            return false;
        }
        rate = format.rate;
        return true;
    }

    int32_t write(const unsigned char* frames, int32_t count) override
    {
        snd_pcm_wait(pcm, kWaitMs);
        const snd_pcm_sframes_t n = snd_pcm_writei(pcm, frames, count);
        if (n == -EAGAIN) return 0;
        if (n < 0) return snd_pcm_recover(pcm, static_cast<int>(n), 1) < 0 ? -1 : 0;  // an underrun is mended
        return static_cast<int32_t>(n);
    }

    bool draining() override
    {
        // A sound shorter than the buffer has not started by itself.
        if (snd_pcm_state(pcm) == SND_PCM_STATE_PREPARED && snd_pcm_start(pcm) < 0) return false;
        snd_pcm_sframes_t left = 0;
        if (snd_pcm_delay(pcm, &left) < 0 || left <= 0) return false;
        const int64_t left_ms = int64_t(left) * 1000 / rate + 1;
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min<int64_t>(left_ms, kWaitMs)));
        return true;
    }

    void stop() override
    {
        if (!pcm) return;
        snd_pcm_drop(pcm);
        snd_pcm_close(pcm);
        pcm = nullptr;
    }

private:
    std::string device;
    snd_pcm_t* pcm = nullptr;
    int32_t rate = 0;
};

}  // namespace

WavResult parse_wav(const unsigned char* bytes, size_t size, WavSound* sound)
{
    if (size < 12) return size >= 4 && std::memcmp(bytes, "RIFF", 4) != 0 ? WavResult::NotWave : WavResult::Truncated;
    if (std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0) return WavResult::NotWave;
    // The RIFF size is not trusted: chunks are read up to the end of the file.
    WavFormat format;
    bool have_format = false;
    size_t at = 12;
    while (size - at >= 8) {
        const unsigned char* header = bytes + at;
        const uint32_t length = le32(header + 4);
        const size_t room = size - at - 8;
        if (std::memcmp(header, "data", 4) == 0) {
            if (!have_format) return WavResult::NoFormat;
            if (length > room) return WavResult::DataPastEnd;
            const size_t whole = length - length % format.frame_bytes();  // a torn last frame is left out
            sound->format = format;
            sound->data.assign(header + 8, header + 8 + whole);
            return WavResult::Ok;
        }
        if (length > room) return WavResult::Truncated;
        if (std::memcmp(header, "fmt ", 4) == 0) {
            const WavResult r = read_format(header + 8, length, &format);
            if (r != WavResult::Ok) return r;
            have_format = true;
        }
        at += 8 + length + (length & 1);  // chunks are padded to an even length
        if (at > size) break;
    }
    return WavResult::NoData;
}

WavResult read_wav_file(const std::string& path, WavSound* sound)
{
    FILE* f = open_file(path, "rb");
    if (!f) return WavResult::Unreadable;
    WavResult result = WavResult::Unreadable;
    const int64_t size = std::fseek(f, 0, SEEK_END) == 0 ? std::ftell(f) : -1;
    if (size > static_cast<int64_t>(kLargestWavFile)) {
        result = WavResult::TooLarge;
    } else if (size >= 0 && std::fseek(f, 0, SEEK_SET) == 0) {
        std::vector<unsigned char> bytes(static_cast<size_t>(size));
        if (std::fread(bytes.data(), 1, bytes.size(), f) == bytes.size())
            result = parse_wav(bytes.data(), bytes.size(), sound);
    }
    std::fclose(f);
    return result;
}

std::shared_ptr<SoundSink> make_alsa_sound_sink(const std::string& device)
{
    return std::make_shared<AlsaSoundSink>(device);
}

SoundPlayer::SoundPlayer(std::shared_ptr<SoundSink> s) : sink(std::move(s)) {}

SoundPlayer::~SoundPlayer()
{
    {
        std::lock_guard<std::mutex> g(lock);
        quitting = true;
        cut = true;
    }
    wake.notify_one();
    if (worker.joinable()) worker.join();
}

void SoundPlayer::play(std::shared_ptr<const WavSound> sound)
{
    if (!sound) return;
    {
        std::lock_guard<std::mutex> g(lock);
        next = std::move(sound);
        cut = true;
        if (!worker.joinable()) worker = std::thread([this] { run(); });
    }
    wake.notify_one();
}

WavResult SoundPlayer::play_file(const std::string& path)
{
    auto sound = std::make_shared<WavSound>();
    const WavResult r = read_wav_file(path, sound.get());
    if (r == WavResult::Ok) play(std::move(sound));
    return r;
}

void SoundPlayer::stop()
{
    std::lock_guard<std::mutex> g(lock);
    next.reset();
    cut = true;
}

void SoundPlayer::set_sink(std::shared_ptr<SoundSink> s)
{
    std::lock_guard<std::mutex> g(lock);
    next.reset();
    cut = true;
    sink = std::move(s);
}

bool SoundPlayer::interrupted()
{
    std::lock_guard<std::mutex> g(lock);
    return cut;
}

void SoundPlayer::run()
{
    std::unique_lock<std::mutex> g(lock);
    while (true) {
        wake.wait(g, [this] { return quitting || next; });
        if (quitting) return;
        const std::shared_ptr<const WavSound> sound = std::move(next);
        next.reset();
        cut = false;
        const std::shared_ptr<SoundSink> target = sink;
        g.unlock();
        if (target) play_through(*target, *sound);
        g.lock();
    }
}

void SoundPlayer::play_through(SoundSink& target, const WavSound& sound)
{
    if (!target.start(sound.format)) return;
    const int32_t total = sound.frames(), frame_bytes = sound.format.frame_bytes();
    int32_t done = 0;
    while (done < total && !interrupted()) {
        const int32_t n = target.write(sound.data.data() + size_t(done) * frame_bytes, total - done);
        if (n < 0) break;
        done += n;
    }
    while (done == total && !interrupted() && target.draining()) {
    }
    target.stop();
}

SoundPlayer& sound_player()
{
    static SoundPlayer player(std::getenv("BRINDLECOT_HEADLESS") ? nullptr : make_alsa_sound_sink());
    return player;
}

}  // namespace platform
