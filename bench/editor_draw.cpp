// Cost of drawing the score editor's page view of a dense score at 100 %: a page of six systems
// of two staves and four measures (clefs, keys, every value, dots, ties, accidentals, beams,
// triplets, rests, lyrics, texts and chord symbols) with the page furniture, staff names and
// measure numbers, drawn by the editor into its buffered score panel the size of the page. The
// time of one iteration is one full redraw.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "../tests/layout/DrawingScore.h"
#include "editor/Editeur.h"
#include "editor/EditorServices.h"
#include "framework/CApplication.h"
#include "framework/CWindow.h"
#include "framework/Startup.h"
#include "platform/HeadlessBackend.h"
#include "platform/Locations.h"
#include "platform/MusicFont.h"
#include "platform/Surface.h"
#include "platform/WindowManager.h"
#include "score/MusicClasses.h"

namespace {

constexpr short kSystems = 6;

// Systems of four columns one under the other on page 1.
void lay_out_page(DrawingScore& score) {
    Document* d = score.d;
    for (short p = 0; p <= d->max_pag; p++) std::free(d->pag[p]);
    delete[] d->pag;
    allouer_pages(d, 1);
    d->pag[1] = nouveau_page(kSystems + 1);
    for (short k = 0; k < kSystems; k++) {
        const short s = nouveau_systeme(d, 2);
        for (short p = 1; p <= 2; p++) {
            const short r = nouvelle_portee(d, 4);
            short x = 60;
            for (short i = 1; i <= 4; i++) {
                CMeasure* m = score.measure((short)(4 * k + i), p);
                d->por[r]->mes[i] = d->por[d->sys[1]->por[p]]->mes[4 * k + i];
                m->px = x;
                m->py = (short)(90 + 125 * k + (p - 1) * 60);
                x = (short)(x + m->width);
            }
            d->por[r]->tot_mes = 4;
            d->sys[s]->por[++d->sys[s]->tot_por] = r;
        }
        d->pag[1]->sys[++d->pag[1]->tot_sys] = s;
    }
    d->mise_en_page_ok = 1;
    d->cur_pag = 1;
    for (short p = 1; p <= 2; p++) {
        d->ins[p].num_type = 1;
        d->ins[p].staff_size = 100;
    }
    d->ins[1].accol_type = 1;
    d->ins[1].accol_tot = 2;
}

void BM_EditorPageView(benchmark::State& state) {
    const std::string data = platform::program_directory();
    setenv("BRINDLECOT_DATA", data.c_str(), 0);
    std::string error;
    if (!platform::MusicFont::load(data + "/misc/marcatino.map", &error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    auto wm = std::make_unique<platform::WindowManager>(
        std::make_unique<platform::HeadlessBackend>(platform::Point{1280, 1024}));
    register_window_classes();
    application = new CApplication("");
    win_array = new CArrayPtr;
    create_frame_window();
    init_music_classes();
    install_score_drawing();
    install_editor_hooks();
    {
        CUserPanel measuring(nullptr);
        DrawingScore score(&measuring, kSystems);
        lay_out_page(score);
        Editeur* editor = new Editeur;
        editor->create(0);
        // The score panel the size of the page at 100 %, with its margins.
        std::unique_ptr<platform::Surface> picture = platform::Surface::create_image(620, 860);
        editor->up->dc = picture.get();
        editor->draw();  // lays out the page once, as the first paint does
        for (auto _ : state) {
            picture->fill({0, 0, picture->width(), picture->height()}, 0xFFFFFF);
            editor->draw();
            picture->flush();
        }
        state.SetItemsProcessed(state.iterations());
        if (const char* out = std::getenv("BRINDLECOT_BENCH_PNG")) picture->write_png(out);
        editor->up->dc = nullptr;
        editor->destroy(1);
    }
    quit_music_classes();
    delete application;
    application = nullptr;
    delete win_array;
    win_array = nullptr;
}
BENCHMARK(BM_EditorPageView)->Unit(benchmark::kMillisecond);

}  // namespace
