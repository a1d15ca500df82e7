#pragma once
// Short sounds from WAV files (the click and key sounds of the interface): a RIFF/WAVE reader
// for PCM data, 8 or 16 bits, mono or stereo, and a player that plays one sound at a time on a
// thread of its own, without making its caller wait. A new sound stops the one playing.
//
// The frames go to a sink: ALSA's PCM device "default", or whatever a test puts in its place.
// A machine without a sound device plays nothing; the player says so once on stderr.

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace platform {

struct WavFormat {
    int32_t rate = 0;     // frames per second
    short channels = 0;   // 1 or 2
    short bits = 0;       // 8 (unsigned) or 16 (signed, little-endian)
    int32_t frame_bytes() const { return channels * bits / 8; }
};

// The sound of a WAV file: its format and its frames as the file stores them, interleaved.
struct WavSound {
    WavFormat format;
    std::vector<unsigned char> data;  // whole frames only
    int32_t frames() const { return format.frame_bytes() ? int32_t(data.size() / format.frame_bytes()) : 0; }
};

enum class WavResult {
    Ok,
    Unreadable,   // the file cannot be opened or read
    TooLarge,     // more than kLargestWavFile bytes
    NotWave,      // no "RIFF" ... "WAVE" header
    Truncated,    // a chunk header or the format chunk runs past the end of the file
    NoFormat,     // no "fmt " chunk before the "data" chunk
    NotPcm,       // compressed or floating-point data
    BadFormat,    // channels, bits, rate or block size out of range or inconsistent
    NoData,       // no "data" chunk
    DataPastEnd,  // the "data" chunk claims more bytes than the file holds
};

// The largest file the player reads (the interface sounds are a few kilobytes).
constexpr size_t kLargestWavFile = 32u << 20;

// Reads a WAV file held in memory; nothing is read outside [bytes, bytes + size).
WavResult parse_wav(const unsigned char* bytes, size_t size, WavSound* sound);
// Reads a WAV file named as the program names files (see FileSystem.h).
WavResult read_wav_file(const std::string& path, WavSound* sound);

// Where a sound's frames go. The player calls start, write until every frame is taken,
// draining until it answers false, then stop; or stop early when the sound is cut short.
// All calls come from the player's thread.
class SoundSink {
public:
    virtual ~SoundSink() = default;
    // Gets ready for a sound of this format; false when nothing can be heard.
    virtual bool start(const WavFormat& format) = 0;
    // Takes up to `count` frames, waiting a few milliseconds at most for room; the number taken
    // (0 when there was no room yet), or -1 when the device failed.
    virtual int32_t write(const unsigned char* frames, int32_t count) = 0;
    // After the last frame: true while some are still to be heard (waiting a few milliseconds).
    virtual bool draining() = 0;
    // Ends the sound at once and lets the device go.
    virtual void stop() = 0;
};

// ALSA's PCM device `device` ("default", or for example "file:'/tmp/out.raw'").
std::shared_ptr<SoundSink> make_alsa_sound_sink(const std::string& device = "default");

class SoundPlayer {
public:
    explicit SoundPlayer(std::shared_ptr<SoundSink> sink);
    ~SoundPlayer();  // stops the sound and ends the thread
    SoundPlayer(const SoundPlayer&) = delete;
    SoundPlayer& operator=(const SoundPlayer&) = delete;

    // Plays the sound without waiting; a sound already playing stops.
    void play(std::shared_ptr<const WavSound> sound);
    // Reads the file and plays it; a file that cannot be read plays nothing and stops nothing.
    WavResult play_file(const std::string& path);
    // Stops the sound playing, if any.
    void stop();
    // Sends the next sounds to another sink (the sound playing stops).
    void set_sink(std::shared_ptr<SoundSink> sink);

private:
    void run();
    bool interrupted();
    void play_through(SoundSink& sink, const WavSound& sound);

    std::mutex lock;
    std::condition_variable wake;
    std::shared_ptr<SoundSink> sink;
    std::shared_ptr<const WavSound> next;  // waiting to start
    bool cut = false;                      // the sound playing is to stop
    bool quitting = false;
    std::thread worker;  // started with the first sound
};

// The program's player, built on first use: ALSA's default device, or no sound at all when the
// program runs without a display (BRINDLECOT_HEADLESS).
SoundPlayer& sound_player();

}  // namespace platform
