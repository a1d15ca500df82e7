// The export's decisions: the file name, the gains (saturating, linked by the dialog), the
// meters, the file format of the dialog's popups, and the recording callback's work on a block.
#include "audio/ExportAudio.h"

#include <gtest/gtest.h>

namespace {

TEST(ExportAudio, WavExtensionIsAddedUnlessTheNameHasIt)
{
    struct Case { const char* chosen; const char* path; };
    const Case cases[] = {
        {"/d/air.WAV", "/d/air.WAV"},
        {"/d/air.wav", "/d/air.wav"},
        {"/d/air", "/d/air.wav"},
        {"/d/air.Wav", "/d/air.Wav.wav"},
        {"/d/x.wav/air", "/d/x.wav/air.wav"},   // a folder's name does not count
        {"/d/air.wav.bak", "/d/air.wav.bak.wav"},
        {"C:\\x.wav\\air", "C:\\x.wav\\air.wav"},
        {".wav", ".wav.wav"},
    };
    for (const Case& c : cases) EXPECT_EQ(wav_file_path(c.chosen), c.path) << c.chosen;
}

TEST(ExportAudio, GainsScaleTruncateAndSaturate)
{
    struct Case { int32_t sample, percent, s16, s8; };
    const Case cases[] = {
        {1000, 100, 1000, 1000 - 0},
        {1000, 50, 500, 0},
        {-1001, 50, -500, 0},
        {30000, 200, 32767, 0},
        {-30000, 200, -32768, 0},
        {32767, 0, 0, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(gained_16(c.sample, c.percent), c.s16) << c.sample << " " << c.percent;
    struct Case8 { int32_t u, percent, out; };
    const Case8 bytes[] = {{128, 300, 128}, {200, 50, 164}, {56, 50, 92}, {250, 200, 255}, {10, 200, 0}, {129, 50, 128}};
    for (const Case8& c : bytes) EXPECT_EQ(gained_8(c.u, c.percent), c.out) << c.u << " " << c.percent;
}

TEST(ExportAudio, TheCallbackScalesMeasuresAndWritesOnce)
{
    AudioExport e;
    e.recording = PcmFormat{44100, 2, 16};
    e.gain_left = 50;
    e.gain_right = 200;
    short block[4] = {32767, 20000, -32768, -100};
    EXPECT_EQ(AudioExport::record(&e, block, 8), 8);
    EXPECT_EQ(block[0], 16383);
    EXPECT_EQ(block[1], 32767);   // saturated, not wrapped
    EXPECT_EQ(block[2], -16384);
    EXPECT_EQ(block[3], -200);
    // The meters read the scaled samples: the gain counts once.
    EXPECT_EQ(e.peak_left.load(), 16384);
    EXPECT_EQ(e.peak_right.load(), 32767);
    EXPECT_EQ(meter_value(e.peak_right.load()), 99);
    EXPECT_EQ(meter_value(e.peak_left.load()), 50);
    EXPECT_EQ(e.bytes_recorded.load(), 0);  // no file yet

    AudioExport mono;
    mono.recording = PcmFormat{22050, 1, 8};
    short bytes[1];
    unsigned char* u = reinterpret_cast<unsigned char*>(bytes);
    u[0] = 128;
    u[1] = 0;
    AudioExport::record(&mono, bytes, 2);
    EXPECT_EQ(u[0], 128);
    EXPECT_EQ(mono.peak_left.load(), 32767);  // -32768 held to the meters' range
    EXPECT_EQ(mono.peak_right.load(), mono.peak_left.load());
}

TEST(ExportAudio, FileFormatFromThePopups)
{
    struct Case { short rate, channels, bits; PcmFormat f; };
    const Case cases[] = {
        {3, 2, 2, {44100, 2, 16}}, {1, 1, 1, {11025, 1, 8}}, {2, 1, 2, {22050, 1, 16}}, {0, 0, 0, {44100, 2, 16}}};
    for (const Case& c : cases) {
        PcmFormat f = export_file_format(c.rate, c.channels, c.bits);
        EXPECT_EQ(f.rate, c.f.rate);
        EXPECT_EQ(f.channels, c.f.channels);
        EXPECT_EQ(f.bits, c.f.bits);
    }
}

}  // namespace
