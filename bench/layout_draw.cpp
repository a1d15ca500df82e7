// Cost of drawing a full page of a dense score: ten systems of two staves and four measures
// (clefs, keys, every value, dots, ties, accidentals, beams, triplets, rests, lyrics, texts and
// chord symbols), drawn measure by measure at a zoom of 1.5 on a white page picture. The time
// of one iteration is one page.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "../tests/layout/DrawingScore.h"
#include "framework/CApplication.h"
#include "framework/Startup.h"
#include "platform/Locations.h"
#include "platform/MusicFont.h"
#include "platform/Surface.h"
#include "score/MusicClasses.h"

namespace {

constexpr short kSystems = 10;
constexpr float kZoom = 1.5f;

void BM_DrawPage(benchmark::State& state) {
    const std::string data = platform::program_directory();
    setenv("BRINDLECOT_DATA", data.c_str(), 0);
    std::string error;
    if (!platform::MusicFont::load(data + "/misc/marcatino.map", &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    SCREEN_WIDTH = 1280;
    SCREEN_HEIGHT = 1024;
    application = new CApplication("");
    init_music_classes();
    install_score_drawing();
    {
        CUserPanel panel(nullptr);
        DrawingScore score(&panel, kSystems);
        // Four columns per system, the systems one under the other.
        for (short k = 0; k < kSystems; k++) {
            short x = DrawingScore::LEFT;
            for (short c = (short)(4 * k + 1); c <= 4 * k + 4; c++) {
                for (short p = 1; p <= 2; p++) {
                    score.measure(c, p)->x = x;
                    score.measure(c, p)->y =
                        (short)(DrawingScore::TOP + 170 * k + (p - 1) * DrawingScore::STAFF_GAP);
                }
                x = (short)(x + score.measure(c, 1)->width);
            }
        }
        std::unique_ptr<platform::Surface> page = platform::Surface::create_image(900, 2600);
        panel.dc = page.get();
        for (auto _ : state) {
            page->fill({0, 0, page->width(), page->height()}, 0xFFFFFF);
            score.draw(&panel, kZoom);
            page->flush();
        }
        state.SetItemsProcessed(state.iterations());
        panel.dc = nullptr;
    }
    quit_music_classes();
    delete application;
    application = nullptr;
}
BENCHMARK(BM_DrawPage)->Unit(benchmark::kMillisecond);

}  // namespace
