// Drawing speed: a full-HD off-screen buffer filled and copied onto a window's backing store (a
// buffered paint), and 10,000 glyphs of text and of the music font.

#include "platform/Font.h"
#include "platform/MusicFont.h"
#include "platform/Surface.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

using platform::Font;
using platform::Surface;

namespace {

const int32_t kWidth = 1920, kHeight = 1080;

// The built data folder: BRINDLECOT_DATA, or build/data next to build/bench.
std::string music_map()
{
    if (const char* data = std::getenv("BRINDLECOT_DATA")) return std::string(data) + "/misc/marcatino.map";
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string path(exe, n > 0 ? static_cast<size_t>(n) : 0);
    return path.substr(0, path.rfind("/bench/")) + "/data/misc/marcatino.map";
}

void fill_and_present(benchmark::State& state)
{
    std::vector<uint32_t> window(static_cast<size_t>(kWidth) * kHeight, 0xFFFFFFFFu);
    std::unique_ptr<Surface> screen = Surface::over_pixels(window.data(), kWidth, kHeight, kWidth * 4);
    std::unique_ptr<Surface> buffer = Surface::create_image(kWidth, kHeight);
    int32_t colour = 0;
    for (auto _ : state) {
        buffer->fill({0, 0, kWidth, kHeight}, colour++ & 0xFFFFFF);
        screen->copy(*buffer, {0, 0, kWidth, kHeight}, 0, 0);
        screen->flush();
        benchmark::DoNotOptimize(window[window.size() / 2]);
    }
    state.SetBytesProcessed(state.iterations() * int64_t(kWidth) * kHeight * 4);
    state.counters["frames/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(fill_and_present)->Unit(benchmark::kMillisecond);

// 100 lines of 100 characters.
void text_glyphs(benchmark::State& state)
{
    std::unique_ptr<Surface> s = Surface::create_image(kWidth, kHeight);
    s->set_font(Font::create({"Arial", 12, 0, 0}));
    std::string line;
    for (int i = 0; i < 100; ++i) line += static_cast<char>('A' + i % 58);
    for (auto _ : state) {
        for (int32_t y = 0; y < 100; ++y) s->draw_text(10, 12 + y * 10, line);
        s->flush();
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(text_glyphs)->Unit(benchmark::kMillisecond);

// One symbol per call, as the score draws note heads, rests and clefs.
void music_glyphs(benchmark::State& state)
{
    std::string error;
    if (!platform::MusicFont::load(music_map(), &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    std::unique_ptr<Surface> s = Surface::create_image(kWidth, kHeight);
    s->set_font(Font::create({"Marcatino", 24, 0, 0}));
    const std::string symbols = "AABCgf#bnUVWjk.";
    for (auto _ : state) {
        for (int i = 0; i < 10000; ++i)
            s->draw_text(10 + (i % 100) * 19, 30 + (i / 100) * 10,
                         std::string(1, symbols[static_cast<size_t>(i) % symbols.size()]));
        s->flush();
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(music_glyphs)->Unit(benchmark::kMillisecond);

// Inverted feedback: the same glyph drawn and taken back.
void inverted_glyphs(benchmark::State& state)
{
    std::unique_ptr<Surface> s = Surface::create_image(kWidth, kHeight);
    s->set_font(Font::create({"Arial", 12, 0, 0}));
    s->set_paint(platform::Paint::invert);
    for (auto _ : state) {
        for (int i = 0; i < 10000; ++i) s->draw_text(10 + (i % 100) * 19, 30 + (i / 100) * 10, "W");
        s->flush();
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(inverted_glyphs)->Unit(benchmark::kMillisecond);

}  // namespace
