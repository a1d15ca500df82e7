#include "platform/SoundPlayer.h"
#include "platform/SoundTestSink.h"

#include "platform/TempFolder.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

using namespace platform;

namespace {

std::string le16(uint32_t v) { return {char(v & 0xFF), char((v >> 8) & 0xFF)}; }
std::string le32(uint32_t v) { return le16(v & 0xFFFF) + le16(v >> 16); }

std::string chunk(const std::string& id, const std::string& body, uint32_t length)
{
    return id + le32(length) + body;
}
std::string chunk(const std::string& id, const std::string& body)
{
    return chunk(id, body, uint32_t(body.size())) + (body.size() % 2 ? std::string(1, '\0') : "");
}

std::string fmt(uint32_t tag, uint32_t channels, uint32_t rate, uint32_t bits, int32_t block = -1)
{
    if (block < 0) block = int32_t(channels * bits / 8);
    return chunk("fmt ", le16(tag) + le16(channels) + le32(rate) + le32(rate * block) + le16(block) + le16(bits));
}

std::string riff(const std::string& chunks) { return "RIFF" + le32(uint32_t(4 + chunks.size())) + "WAVE" + chunks; }

const std::string kFourFrames("\x01\x00\x02\x00\xFE\xFF\x00\x80", 8);  // 16-bit mono
const std::string kGood = riff(fmt(1, 1, 44100, 16) + chunk("data", kFourFrames));

// Parses a copy of exactly `bytes`, so that the sanitizer sees any read past the end.
WavResult parse(const std::string& bytes, WavSound* sound)
{
    std::vector<unsigned char> exact(bytes.begin(), bytes.end());
    return parse_wav(exact.empty() ? nullptr : exact.data(), exact.size(), sound);
}

std::shared_ptr<WavSound> sound_of(int32_t frames, short channels = 1)
{
    auto s = std::make_shared<WavSound>();
    s->format = {8000, channels, 16};
    for (int32_t i = 0; i < frames * channels * 2; ++i) s->data.push_back(static_cast<unsigned char>(i * 7 + 3));
    return s;
}

void write_file(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

TEST(WavReader, HeadersReadOrRefused)
{
    struct Case {
        const char* what;
        std::string bytes;
        WavResult result;
        int32_t frames;
    } cases[] = {
        {"16-bit mono", kGood, WavResult::Ok, 4},
        {"8-bit stereo at 8 kHz", riff(fmt(1, 2, 8000, 8) + chunk("data", "abcdef")), WavResult::Ok, 3},
        {"other chunks and odd padding first",
         riff(chunk("LIST", "odd") + fmt(1, 1, 22050, 16) + chunk("fact", "1234") + chunk("data", kFourFrames)),
         WavResult::Ok, 4},
        {"a torn last frame left out", riff(fmt(1, 1, 44100, 16) + chunk("data", kFourFrames.substr(0, 5))),
         WavResult::Ok, 2},
        {"no frames", riff(fmt(1, 2, 48000, 16) + chunk("data", "")), WavResult::Ok, 0},
        {"empty file", "", WavResult::Truncated, 0},
        {"RIFF only", std::string("RIFF\x10\0\0\0", 8), WavResult::Truncated, 0},
        {"wrong magic", "RIFX" + kGood.substr(4), WavResult::NotWave, 0},
        {"not WAVE", kGood.substr(0, 8) + "AVI " + kGood.substr(12), WavResult::NotWave, 0},
        {"text file", "Hello, world", WavResult::NotWave, 0},
        {"floating point", riff(fmt(3, 1, 44100, 32) + chunk("data", kFourFrames)), WavResult::NotPcm, 0},
        {"extensible", riff(fmt(0xFFFE, 1, 44100, 16) + chunk("data", kFourFrames)), WavResult::NotPcm, 0},
        {"zero channels", riff(fmt(1, 0, 44100, 16, 2) + chunk("data", kFourFrames)), WavResult::BadFormat, 0},
        {"three channels", riff(fmt(1, 3, 44100, 16) + chunk("data", kFourFrames)), WavResult::BadFormat, 0},
        {"24 bits", riff(fmt(1, 1, 44100, 24) + chunk("data", kFourFrames)), WavResult::BadFormat, 0},
        {"rate 0", riff(fmt(1, 1, 0, 16) + chunk("data", kFourFrames)), WavResult::BadFormat, 0},
        {"block size wrong", riff(fmt(1, 2, 44100, 16, 2) + chunk("data", kFourFrames)), WavResult::BadFormat, 0},
        {"short format chunk", riff(chunk("fmt ", fmt(1, 1, 44100, 16).substr(8, 14)) + chunk("data", kFourFrames)),
         WavResult::Truncated, 0},
        {"format chunk past the end", riff(chunk("fmt ", "", 16)), WavResult::Truncated, 0},
        {"data before format", riff(chunk("data", kFourFrames) + fmt(1, 1, 44100, 16)), WavResult::NoFormat, 0},
        {"no data", riff(fmt(1, 1, 44100, 16)), WavResult::NoData, 0},
        {"data longer than the file", riff(fmt(1, 1, 44100, 16) + chunk("data", kFourFrames, 9)),
         WavResult::DataPastEnd, 0},
        {"data size all ones", riff(fmt(1, 1, 44100, 16) + chunk("data", kFourFrames, 0xFFFFFFFF)),
         WavResult::DataPastEnd, 0},
    };
    for (const Case& c : cases) {
        WavSound sound;
        EXPECT_EQ(parse(c.bytes, &sound), c.result) << c.what;
        if (c.result == WavResult::Ok) {
            EXPECT_EQ(sound.frames(), c.frames) << c.what;
        }
    }
    WavSound sound;
    ASSERT_EQ(parse(kGood, &sound), WavResult::Ok);
    EXPECT_EQ(sound.format.rate, 44100);
    EXPECT_EQ(sound.format.channels, 1);
    EXPECT_EQ(sound.format.bits, 16);
    EXPECT_EQ(std::string(sound.data.begin(), sound.data.end()), kFourFrames);
}

TEST(WavReader, EveryCutFileIsRefused)
{
    for (size_t n = 0; n < kGood.size(); ++n) {
        WavSound sound;
        EXPECT_NE(parse(kGood.substr(0, n), &sound), WavResult::Ok) << n << " bytes";
    }
}

TEST(WavReader, FilesByTheProgramsNames)
{
    TempFolder folder;
    write_file(folder / "Tick.wav", kGood);
    WavSound sound;
    EXPECT_EQ(read_wav_file(folder.path() + "\\TICK.WAV", &sound), WavResult::Ok);
    EXPECT_EQ(sound.frames(), 4);
    EXPECT_EQ(read_wav_file(folder / "absent.wav", &sound), WavResult::Unreadable);
    write_file(folder / "big.wav", kGood);
    std::filesystem::resize_file(folder / "big.wav", kLargestWavFile + 1);
    EXPECT_EQ(read_wav_file(folder / "big.wav", &sound), WavResult::TooLarge);
}

TEST(SoundPlayer, TheSinkReceivesExactlyTheFilesFrames)
{
    TempFolder folder;
    const std::string frames = std::string(kFourFrames) + "\x10\x20\x30\x40";
    write_file(folder / "s.wav", riff(fmt(1, 2, 11025, 16) + chunk("LIST", "info") + chunk("data", frames)));
    auto sink = std::make_shared<RecordingSoundSink>();
    SoundPlayer player(sink);
    EXPECT_EQ(player.play_file(folder / "s.wav"), WavResult::Ok);
    ASSERT_TRUE(sink->wait_for_ended(1, kGenerousWaitMs));
    const auto sounds = sink->sounds();
    ASSERT_EQ(sounds.size(), 1u);
    EXPECT_EQ(sounds[0].format.rate, 11025);
    EXPECT_EQ(sounds[0].format.channels, 2);
    EXPECT_EQ(sounds[0].format.bits, 16);
    EXPECT_EQ(std::string(sounds[0].data.begin(), sounds[0].data.end()), frames);

    // A file that cannot be played reaches nobody.
    write_file(folder / "bad.wav", "RIFX" + kGood.substr(4));
    EXPECT_EQ(player.play_file(folder / "bad.wav"), WavResult::NotWave);
    EXPECT_EQ(player.play_file(folder / "none.wav"), WavResult::Unreadable);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(sink->sounds().size(), 1u);
}

TEST(SoundPlayer, ANewSoundStopsTheOnePlaying)
{
    auto sink = std::make_shared<RecordingSoundSink>(8);  // 8 frames a millisecond: the long one lasts 10 s
    SoundPlayer player(sink);
    const auto longer = sound_of(80000), shorter = sound_of(40, 2);
    player.play(longer);
    ASSERT_TRUE(sink->wait_for_bytes(0, 64, kGenerousWaitMs));
    player.play(shorter);
    ASSERT_TRUE(sink->wait_for_ended(2, kGenerousWaitMs));
    const auto sounds = sink->sounds();
    ASSERT_EQ(sounds.size(), 2u);
    EXPECT_TRUE(sounds[0].ended);
    EXPECT_LT(sounds[0].data.size(), longer->data.size());
    EXPECT_TRUE(std::equal(sounds[0].data.begin(), sounds[0].data.end(), longer->data.begin()))
        << "the first sound was played from its start until it was cut";
    EXPECT_EQ(sounds[1].format.channels, 2);
    EXPECT_EQ(sounds[1].data, shorter->data);
}

TEST(SoundPlayer, StoppingAndDestroyingEndTheSoundAtOnce)
{
    auto sink = std::make_shared<RecordingSoundSink>(8);
    const auto start = std::chrono::steady_clock::now();
    {
        SoundPlayer player(sink);
        player.play(sound_of(80000));
        ASSERT_TRUE(sink->wait_for_bytes(0, 16, kGenerousWaitMs));
        player.stop();
        ASSERT_TRUE(sink->wait_for_ended(1, kGenerousWaitMs));
        player.play(sound_of(80000));
        ASSERT_TRUE(sink->wait_for_bytes(1, 16, kGenerousWaitMs));
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    const auto sounds = sink->sounds();
    ASSERT_EQ(sounds.size(), 2u);
    EXPECT_TRUE(sounds[0].ended && sounds[1].ended);
    EXPECT_LT(sounds[1].data.size(), 80000u * 2);

    SoundPlayer silent(nullptr);  // no sink: nothing is heard, nothing fails
    silent.play(sound_of(10));
}

TEST(SoundPlayer, ThroughAlsa)
{
    // ALSA's file device writes what it is given into a file, as a sound card would play it.
    TempFolder folder;
    const std::string out = folder / "out.raw";
    const auto sound = sound_of(3000);
    {
        SoundPlayer player(make_alsa_sound_sink("file:'" + out + "'"));
        player.play(sound);
        wait_until(
            [&] {
                std::ifstream f(out, std::ios::binary | std::ios::ate);
                return f && size_t(f.tellg()) >= sound->data.size();
            },
            std::chrono::milliseconds(10));
    }
    std::ifstream f(out, std::ios::binary);
    const std::vector<unsigned char> written((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, sound->data);

    // A device that does not exist: nothing is heard, the player goes on.
    auto missing = make_alsa_sound_sink("brindlecot_no_such_device");
    EXPECT_FALSE(missing->start(sound->format));
    SoundPlayer player(missing);
    player.play(sound);
}
