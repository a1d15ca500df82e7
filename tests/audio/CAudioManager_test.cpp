// The wave device manager and its worker, with the deterministic test generator in place of
// a sound card: buffers in ring order with a continuous frame counter, no device, stop and
// re-open, the partial last buffer, and the ring corrections.
#include "audio/CAudioManager.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>

namespace {

// What the recording callback saw.
struct Recorder {
    const CAudioManager* manager = nullptr;
    std::mutex lock;
    std::vector<short> positions;     // ring position of each buffer
    std::vector<int32_t> sizes;       // its byte count
    std::vector<int32_t> first;       // the frame counter of its first frame
    std::vector<int32_t> last;        // and of its last

    static int32_t take(void* client, short* buffer, int32_t bytes)
    {
        auto* r = static_cast<Recorder*>(client);
        std::lock_guard<std::mutex> g(r->lock);
        short pos = 0;
        for (short i = 1; i <= r->manager->inTotalBuffer; i++)
            if (reinterpret_cast<unsigned char*>(buffer) == r->manager->inBuffer[i].data()) pos = i;
        r->positions.push_back(pos);
        r->sizes.push_back(bytes);
        r->first.push_back(buffer[0]);
        r->last.push_back(buffer[bytes / 2 - 1]);
        return bytes;
    }
    size_t count()
    {
        std::lock_guard<std::mutex> g(lock);
        return positions.size();
    }
};

bool wait_for(const std::function<bool()>& ready)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (!ready()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

class AudioManagerTest : public testing::Test {
protected:
    // Ten times real time at 44.1 kHz: a default buffer fills in about 8 ms.
    TestWaveDevices devices{2, 441.0};
    void SetUp() override { set_wave_devices(&devices); }
    void TearDown() override { set_wave_devices(nullptr); }
};

TEST_F(AudioManagerTest, BuffersComeInRingOrderWithoutGapOrRepeat)
{
    CAudioManager m;
    EXPECT_FALSE(m.start_recording(&Recorder::take, nullptr));  // not open yet
    ASSERT_TRUE(m.open());
    ASSERT_NE(m.input_device(), nullptr);
    Recorder r;
    r.manager = &m;
    ASSERT_TRUE(m.start_recording(&Recorder::take, &r));
    EXPECT_FALSE(m.start_recording(&Recorder::take, &r));  // already asked
    ASSERT_TRUE(wait_for([&] { return r.count() >= 10; }));
    EXPECT_FALSE(m.start_recording(&Recorder::take, &r));  // recording
    m.stop_recording();
    ASSERT_TRUE(m.wait_recording_stopped(60000));
    EXPECT_EQ(m.in_proc.load(), nullptr);

    std::lock_guard<std::mutex> g(r.lock);
    int32_t expected_frame = 0;
    for (size_t i = 0; i < r.positions.size(); i++) {
        SCOPED_TRACE(i);
        EXPECT_EQ(r.positions[i], short(i % 3 + 1));
        EXPECT_EQ(r.sizes[i] % 4, 0);
        if (i + 2 < r.positions.size()) {
            EXPECT_EQ(r.sizes[i], 15000);
        }
        EXPECT_EQ(r.first[i], expected_frame & 0x7FFF);
        expected_frame += r.sizes[i] / 4;
        EXPECT_EQ(r.last[i], (expected_frame - 1) & 0x7FFF);
    }
    EXPECT_GE(r.positions.size(), 10u);
}

TEST_F(AudioManagerTest, ThePartialLastBufferReachesTheCallbackAtStop)
{
    CAudioManager m;
    m.inBufferSize = 64000;  // 16,000 frames: far from full when the stop comes
    ASSERT_TRUE(m.open());
    Recorder r;
    r.manager = &m;
    ASSERT_TRUE(m.start_recording(&Recorder::take, &r));
    ASSERT_TRUE(wait_for([&] { return m.recording.load(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(10));  // let some frames in
    m.stop_recording();
    ASSERT_TRUE(m.wait_recording_stopped(60000));
    std::lock_guard<std::mutex> g(r.lock);
    ASSERT_FALSE(r.sizes.empty());
    EXPECT_LT(r.sizes.back(), 64000);
    EXPECT_EQ(r.first[0], 0);
}

TEST_F(AudioManagerTest, NoInputDeviceRefusesToRecord)
{
    CAudioManager m;
    m.inID = WAVE_NO_DEVICE;
    ASSERT_TRUE(m.open());
    EXPECT_TRUE(m.ready.load());
    EXPECT_EQ(m.input_device(), nullptr);
    EXPECT_NE(m.waveout, nullptr);
    Recorder r;
    EXPECT_FALSE(m.start_recording(&Recorder::take, &r));
    m.stop_recording();  // nothing records: harmless
    EXPECT_TRUE(m.wait_recording_stopped(60000));
    EXPECT_EQ(r.count(), 0u);
    CAudioManager unknown;
    unknown.inID = 7;
    ASSERT_TRUE(unknown.open());
    EXPECT_FALSE(unknown.start_recording(&Recorder::take, &r));
}

TEST_F(AudioManagerTest, StopEndsTheWorkerAndOpenStartsAFreshOne)
{
    CAudioManager m;
    ASSERT_TRUE(m.open());
    Recorder r;
    r.manager = &m;
    ASSERT_TRUE(m.start_recording(&Recorder::take, &r));
    ASSERT_TRUE(wait_for([&] { return r.count() >= 2; }));
    m.stop();
    EXPECT_FALSE(m.ready.load());
    EXPECT_FALSE(m.recording.load());
    EXPECT_EQ(m.wavein, nullptr);
    EXPECT_EQ(m.waveout, nullptr);
    EXPECT_TRUE(m.inBuffer[1].empty());
    EXPECT_FALSE(m.start_recording(&Recorder::take, &r));

    m.inID = 1;  // the second generator
    m.sampleMode = 1;
    ASSERT_TRUE(m.open());
    EXPECT_EQ(m.frameSize, 2);
    Recorder again;
    again.manager = &m;
    ASSERT_TRUE(m.start_recording(&Recorder::take, &again));
    ASSERT_TRUE(wait_for([&] { return again.count() >= 4; }));
    m.stop_recording();
    ASSERT_TRUE(m.wait_recording_stopped(60000));
    std::lock_guard<std::mutex> g(again.lock);
    EXPECT_EQ(again.positions[3], 1);
    EXPECT_EQ(again.first[1], (15000 / 2) & 0x7FFF);
    EXPECT_EQ(devices.inputs_opened.load(), 2);
}

TEST(RingSettings, KeepsTheRingServable)
{
    struct Case { RingSettings given; short frame; RingSettings expected; };
    const Case cases[] = {
        {{3, 15000, 2}, 4, {3, 15000, 2}},
        {{3, 15000, 3}, 4, {3, 15000, 2}},    // as many in flight as buffers
        {{2, 10000, 3}, 4, {2, 10000, 1}},
        {{1, 10000, 1}, 4, {2, 10000, 1}},
        {{25, 10000, 30}, 4, {20, 10000, 19}},
        {{3, 100, 0}, 4, {3, 400, 1}},
        {{3, 70000, 2}, 4, {3, 64000, 2}},
        {{3, 10001, 2}, 4, {3, 10000, 2}},    // whole frames
        {{3, 10001, 2}, 2, {3, 10000, 2}},
        {{3, 10001, 2}, 1, {3, 10001, 2}},
    };
    for (const Case& c : cases) {
        RingSettings r = correct_ring(c.given, c.frame);
        EXPECT_EQ(r.total, c.expected.total);
        EXPECT_EQ(r.size, c.expected.size);
        EXPECT_EQ(r.in_flight, c.expected.in_flight);
    }
}

}  // namespace
