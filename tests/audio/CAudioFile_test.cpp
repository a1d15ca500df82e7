// The WAV writer: header bytes, the conversions between recording and file formats, failures
// that leave no lying file, and an outside reader (sox) that accepts what is written.
#include "audio/CAudioFile.h"

#include "platform/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<unsigned char> read_all(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

uint32_t le32(const std::vector<unsigned char>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

std::vector<unsigned char> s16(std::initializer_list<int> samples)
{
    std::vector<unsigned char> v;
    for (int s : samples) {
        v.push_back(static_cast<unsigned char>(s & 0xFF));
        v.push_back(static_cast<unsigned char>((s >> 8) & 0xFF));
    }
    return v;
}

std::string run(const std::string& command)
{
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char line[512];
        while (fgets(line, sizeof line, p)) out += line;
        pclose(p);
    }
    return out;
}

TEST(WavHeader, ZeroFramesThenFinalPatch)
{
    TempFolder dir;
    const std::string path = dir / "empty.wav";
    CAudioFile f;
    ASSERT_TRUE(f.Create(path.c_str(), 44100, 16, 2, 0));
    f.fd.close();  // look at the file as Create left it
    const std::vector<unsigned char> created = {
        'R', 'I', 'F', 'F', 44, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,
        1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0, 4, 0, 16, 0, 'd', 'a', 't', 'a', 0, 0, 0, 0};
    EXPECT_EQ(read_all(path), created);

    CAudioFile g;
    ASSERT_TRUE(g.Create(path.c_str(), 44100, 16, 2, 0));
    EXPECT_EQ(g.write_data(nullptr, 0, true, 44100, 2, 16), 0);
    EXPECT_FALSE(g.failed());
    ASSERT_TRUE(g.Close());
    auto patched = created;
    patched[4] = 36;
    EXPECT_EQ(read_all(path), patched);
}

TEST(WavHeader, FieldsFollowTheFormat)
{
    struct Case { uint32_t rate; uint16_t bits, channels; uint32_t frames; uint32_t per_second; uint16_t align; };
    const Case cases[] = {
        {11025, 8, 1, 10, 11025, 1},
        {22050, 8, 2, 3, 44100, 2},
        {22050, 16, 1, 5, 44100, 2},
        {44100, 16, 2, 7, 176400, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate * 100 + c.bits * 10 + c.channels);
        PcmFormat f{c.rate, c.channels, c.bits};
        unsigned char h[44];
        wav_header(f, c.frames, h);
        std::vector<unsigned char> b(h, h + 44);
        EXPECT_EQ(le32(b, 4), c.align * c.frames + 44);
        EXPECT_EQ(le32(b, 24), c.rate);
        EXPECT_EQ(le32(b, 28), c.per_second);
        EXPECT_EQ(b[32], c.align);
        EXPECT_EQ(b[34], c.bits);
        EXPECT_EQ(le32(b, 40), c.align * c.frames);
    }
}

TEST(WavFile, SilenceAtCreateIsZeroOr128)
{
    TempFolder dir;
    for (uint16_t bits : {8, 16}) {
        const std::string path = dir / ("silence" + std::to_string(bits) + ".wav");
        CAudioFile f;
        ASSERT_TRUE(f.Create(path.c_str(), 22050, bits, 2, 6000));
        EXPECT_EQ(f.microSecondsDuration, uint32_t(6000ull * 1000000ull / 22050ull));
        ASSERT_TRUE(f.Close());
        auto b = read_all(path);
        ASSERT_EQ(b.size(), 44u + 6000u * 2u * (bits / 8));
        for (size_t i = 44; i < b.size(); i++) ASSERT_EQ(b[i], bits == 8 ? 128 : 0) << i;
    }
}

// Conversion of one block, from a recording format to a file format.
struct Conversion {
    const char* name;
    PcmFormat in, out;
    std::vector<unsigned char> samples;
    std::vector<unsigned char> expected;
};

TEST(PcmConversion, BlocksToFileFormats)
{
    const PcmFormat cd{44100, 2, 16}, cd_mono{44100, 1, 16}, half{22050, 2, 16}, byte_mono{44100, 1, 8},
        byte_stereo{44100, 2, 8}, quarter{11025, 2, 16};
    const Conversion cases[] = {
        {"same format copied", cd, cd, s16({1, -2, 300, -400}), s16({1, -2, 300, -400})},
        {"16 to 8 bits", cd_mono, byte_mono, s16({0, -32768, 32767, 256, -1}), {128, 0, 255, 129, 127}},
        {"8 to 16 bits", byte_mono, cd_mono, {128, 0, 255}, s16({0, -32768, 32512})},
        {"stereo to mono keeps left", cd, cd_mono, s16({100, 7, -100, 9}), s16({100, -100})},
        {"mono to stereo doubles", cd_mono, cd, s16({5, -6}), s16({5, 5, -6, -6})},
        {"8-bit mono to stereo", byte_mono, byte_stereo, {10, 250}, {10, 10, 250, 250}},
        {"up by 2 from 0", half, cd, s16({100, -100, 200, 0}), s16({50, -50, 100, -100, 150, -50, 200, 0})},
        {"up by 4 from 0", quarter, cd, s16({400, -400}), s16({100, -100, 200, -200, 300, -300, 400, -400})},
        {"down by 2, incomplete group left out", cd, half, s16({1, 1, 2, 2, 3, 3, 4, 4, 5, 5}), s16({1, 1, 3, 3})},
        {"down by 4", cd, quarter, s16({1, 1, 2, 2, 3, 3, 4, 4, 5, 5}), s16({1, 1})},
        {"half frame dropped", cd, cd, s16({1, 2, 3}), s16({1, 2})},
    };
    for (const Conversion& c : cases) {
        SCOPED_TRACE(c.name);
        int32_t left = 0, right = 0;
        std::vector<unsigned char> out;
        int32_t frames = convert_pcm_block(c.samples.data(), (int32_t)c.samples.size(), c.in, c.out, &left, &right, &out);
        EXPECT_EQ(out, c.expected);
        EXPECT_EQ(frames, (int32_t)(c.expected.size() / pcm_frame_size(c.out)));
    }
}

TEST(PcmConversion, DefaultBufferToLowerRatesCountsWholeGroups)
{
    const PcmFormat cd{44100, 2, 16};
    std::vector<unsigned char> block(3750 * 4);
    for (size_t i = 0; i < 3750; i++) {
        block[i * 4] = static_cast<unsigned char>(i & 0xFF);
        block[i * 4 + 1] = static_cast<unsigned char>(i >> 8);
    }
    struct Case { uint32_t rate; int32_t frames; int32_t last_source; };
    for (Case c : {Case{11025, 937, 3744}, Case{22050, 1875, 3748}}) {
        int32_t l = 0, r = 0;
        std::vector<unsigned char> out;
        EXPECT_EQ(convert_pcm_block(block.data(), (int32_t)block.size(), cd, PcmFormat{c.rate, 2, 16}, &l, &r, &out), c.frames);
        ASSERT_EQ(out.size(), size_t(c.frames) * 4);
        EXPECT_EQ(out[out.size() - 4] | (out[out.size() - 3] << 8), c.last_source);
    }
}

TEST(PcmConversion, InterpolationCarriesAcrossBlocks)
{
    const PcmFormat half{22050, 1, 16}, cd{44100, 1, 16};
    int32_t l = 0, r = 0;
    std::vector<unsigned char> out;
    auto a = s16({1000});
    auto b = s16({3000});
    convert_pcm_block(a.data(), 2, half, cd, &l, &r, &out);
    convert_pcm_block(b.data(), 2, half, cd, &l, &r, &out);
    EXPECT_EQ(out, s16({500, 1000, 2000, 3000}));
    // 8-bit output interpolates on the bytes.
    std::vector<unsigned char> bytes;
    l = r = 0;
    auto c = s16({-32768});
    convert_pcm_block(c.data(), 2, PcmFormat{11025, 1, 16}, PcmFormat{44100, 1, 8}, &l, &r, &bytes);
    EXPECT_EQ(bytes, (std::vector<unsigned char>{96, 64, 32, 0}));
}

TEST(WavFile, RecordingBlocksThroughTheFileAreReadBySox)
{
    TempFolder dir;
    // Down-sampling keeps whole groups of each block: 11 blocks of 3,750 frames give 937 each
    // at a quarter of the rate, the last block of 2,850 frames 712.
    // 1 s of a 441 Hz square wave at 44.1 kHz 16-bit stereo, in 15,000-byte blocks, written
    // into each file format the export offers.
    std::vector<unsigned char> second;
    for (int i = 0; i < 44100; i++) {
        int v = (i / 50) % 2 ? 8000 : -8000;
        auto frame = s16({v, v / 2});
        second.insert(second.end(), frame.begin(), frame.end());
    }
    struct Case { uint32_t rate; uint16_t bits, channels; uint32_t frames; };
    const Case cases[] = {{44100, 16, 2, 44100}, {22050, 8, 1, 22050}, {11025, 16, 2, 11019}, {22050, 16, 1, 22050}};
    for (const Case& c : cases) {
        const std::string path = dir / ("out" + std::to_string(c.rate) + "-" + std::to_string(c.bits) + "-" +
                                        std::to_string(c.channels) + ".wav");
        SCOPED_TRACE(path);
        CAudioFile f;
        ASSERT_TRUE(f.Create(path.c_str(), c.rate, c.bits, c.channels, 0));
        for (size_t at = 0; at < second.size(); at += 15000) {
            int32_t n = (int32_t)std::min<size_t>(15000, second.size() - at);
            ASSERT_EQ(f.write_data(second.data() + at, n, false, 44100, 2, 16), n);
        }
        ASSERT_EQ(f.write_data(nullptr, 0, true, 44100, 2, 16), 0);
        EXPECT_FALSE(f.failed());
        EXPECT_EQ(f.total_sample, c.frames);
        ASSERT_TRUE(f.Close());
        auto b = read_all(path);
        EXPECT_EQ(le32(b, 4), b.size() - 8);
        EXPECT_EQ(le32(b, 40), b.size() - 44);
        std::string info;
        for (const char* what : {"-r", "-c", "-b", "-s"}) info += run(std::string("soxi -V0 ") + what + " '" + path + "' 2>&1");
        EXPECT_EQ(info, std::to_string(c.rate) + "\n" + std::to_string(c.channels) + "\n" +
                            std::to_string(c.bits) + "\n" + std::to_string(c.frames) + "\n");
        // Not silent, and about the level written (8,000 of 32,768 is 0.244).
        const std::string stat = run("sox -V0 '" + path + "' -n stat 2>&1 | grep 'Maximum amplitude'");
        double peak = 0;
        ASSERT_EQ(std::sscanf(stat.c_str(), "Maximum amplitude: %lf", &peak), 1) << stat;
        EXPECT_NEAR(peak, 8000.0 / 32768.0, 0.01);
    }
}

TEST(WavFile, RefusedWritesFailAndSayWhy)
{
    TempFolder dir;
    CAudioFile none;
    EXPECT_FALSE(none.Create((dir / "no/such/folder/x.wav").c_str(), 44100, 16, 2, 0));
    auto s = s16({1, 2});
    EXPECT_EQ(none.write_data(s.data(), 4, false, 44100, 2, 16), 0);
    EXPECT_FALSE(none.Create((dir / "bad.wav").c_str(), 44100, 12, 2, 0));
    EXPECT_FALSE(none.Create((dir / "bad.wav").c_str(), 44100, 16, 3, 0));

    CAudioFile full;
    ASSERT_TRUE(full.Create("/dev/full", 44100, 16, 2, 0));
    std::vector<unsigned char> block(15000, 1);
    // The page takes the first blocks; the write-back of a full page is refused.
    int32_t taken = 15000;
    for (int i = 0; i < 20 && taken != 0; i++) taken = full.write_data(block.data(), 15000, false, 44100, 2, 16);
    EXPECT_EQ(taken, 0);
    EXPECT_TRUE(full.failed());
    EXPECT_EQ(full.write_data(nullptr, 0, true, 44100, 2, 16), 0);
    full.Close();

    // A format the conversion does not know is refused, not guessed.
    CAudioFile odd;
    ASSERT_TRUE(odd.Create((dir / "odd.wav").c_str(), 44100, 16, 2, 0));
    EXPECT_EQ(odd.write_data(s.data(), 4, false, 44100, 3, 16), 0);
    EXPECT_EQ(odd.write_data(s.data(), 4, false, 44100, 2, 16), 4);
    EXPECT_TRUE(odd.Close());
}

}  // namespace
