// The click and key sounds: the files the build generates, and the calls that play them.
#include "framework/ProgramFiles.h"
#include "framework/UserInput.h"

#include "platform/SoundPlayer.h"
#include "platform/SoundTestSink.h"
#include "platform/TempFolder.h"
#include "support/WaitUntil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

using namespace platform;

namespace {

std::string program_folder() { return BRINDLECOT_BUILD_DATA; }

int16_t sample(const WavSound& s, int32_t i) { return int16_t(s.data[2 * i] | (s.data[2 * i + 1] << 8)); }

// The player sends its sounds to a recording sink and the program folder is `folder` for the
// test's length.
class DemoSounds : public ::testing::Test {
protected:
    void use_program_folder(std::string folder)
    {
        dir = std::move(folder);
        main_dir = &dir[0];
    }
    void SetUp() override
    {
        saved = main_dir;
        sound_player().set_sink(sink);
    }
    void TearDown() override
    {
        sound_player().set_sink(nullptr);
        main_dir = saved;
    }
    std::shared_ptr<RecordingSoundSink> sink = std::make_shared<RecordingSoundSink>();
    char* saved = nullptr;
    std::string dir;
};

}  // namespace

TEST(DemoSoundFiles, AreShortCleanSoundsOfTheExpectedLength)
{
    struct Expected {
        const char* name;
        int32_t frames;  // 44,100 a second
    } files[] = {{"misc/Demos/Clic.wav", 353}, {"misc/Demos/Key.wav", 1985}};
    for (const Expected& e : files) {
        WavSound s;
        ASSERT_EQ(read_wav_file(program_folder() + "/" + e.name, &s), WavResult::Ok) << e.name;
        EXPECT_EQ(s.format.rate, 44100);
        EXPECT_EQ(s.format.channels, 1);
        EXPECT_EQ(s.format.bits, 16);
        EXPECT_EQ(s.frames(), e.frames) << e.name;
        int32_t peak = 0;
        for (int32_t i = 0; i < s.frames(); ++i) peak = std::max(peak, std::abs(int32_t(sample(s, i))));
        EXPECT_GT(peak, 3000) << e.name << " is heard";
        EXPECT_LT(peak, 32000) << e.name << " is not clipped";
        EXPECT_EQ(sample(s, 0), 0) << e.name << " starts on silence";
        EXPECT_EQ(sample(s, s.frames() - 1), 0) << e.name << " ends on silence";
    }
}

TEST_F(DemoSounds, ClickAndKeyPlayTheirFilesWithoutWaiting)
{
    use_program_folder(program_folder());
    WavSound clic, key;
    ASSERT_EQ(read_wav_file(program_folder() + "/misc/Demos/Clic.wav", &clic), WavResult::Ok);
    ASSERT_EQ(read_wav_file(program_folder() + "/misc/Demos/Key.wav", &key), WavResult::Ok);
    play_sound_clic();
    ASSERT_TRUE(sink->wait_for_ended(1, kGenerousWaitMs));
    play_sound_key();
    ASSERT_TRUE(sink->wait_for_ended(2, kGenerousWaitMs));
    const auto sounds = sink->sounds();
    ASSERT_EQ(sounds.size(), 2u);
    EXPECT_EQ(sounds[0].data, clic.data);
    EXPECT_EQ(sounds[1].data, key.data);
}

TEST_F(DemoSounds, MissingFilesPlayNothing)
{
    TempFolder empty;
    use_program_folder(empty.path());
    play_sound_clic();
    play_sound_key();
    play_sound_comment();
    mouse_clic_left(0, 0);  // clicks with its sound
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(sink->sounds().empty());
}
