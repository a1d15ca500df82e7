// Cost of the play-along view's preparation of a long composition: 600 measures on 16
// instruments, the melody with a note a beat, a style ("Pop", its four-measure "Couplet") from
// measure 1 and a chord every two measures. `transfert` prepares the touch data (the soloist's
// track rendered again from its notes); `arrange` rebuilds the fifteen accompaniment tracks from
// the annotations. One iteration is one whole run of each.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "score/ScoreBuilder.h"
#include "app/StyleArrangement.h"
#include "app/ViewBrindlecot.h"
#include "framework/CApplication.h"
#include "framework/ProgramFiles.h"
#include "framework/Startup.h"
#include "platform/HeadlessBackend.h"
#include "platform/Locations.h"
#include "platform/WindowManager.h"
#include "score/CTextBloc.h"
#include "score/MusicClasses.h"

namespace {

constexpr short kMeasures = 600;
constexpr short kInstruments = 16;

struct Composition {
    Composition()
    {
        const std::string data = platform::program_directory();
        setenv("BRINDLECOT_DATA", data.c_str(), 0);
        setenv("BRINDLECOT_HEADLESS", "1", 0);
        dir = data;
        main_dir = dir.data();
        set_main_dir();
        wm = std::make_unique<platform::WindowManager>(
            std::make_unique<platform::HeadlessBackend>(platform::Point{1280, 1024}));
        application = new CApplication("");
        init_music_classes();
        score = std::make_unique<ScoreBuilder>(kInstruments, kMeasures);
        Document* d = score->d;
        for (short s = 1; s <= kInstruments; s++) {
            d->ins[s].canal = s;
            d->ins[s].in_roll = s == 1 ? 1 : 0;
            score->clef(1, s, 1);
            score->time(1, s, 4, 4);
        }
        for (short m = 1; m <= kMeasures; m++) {
            for (short beat = 0; beat < 4; beat++) score->note(m, 1, (short)(14 - beat), 3);
            if (m % 2 == 1) add_block(m, annotation::Chord, m % 4 == 1 ? "C" : "G7");
        }
        add_block(1, annotation::StyleBlock, "Pop@Couplet");
        add_block(1, annotation::StyleLabel, "Pop\r\nCouplet");
        view = new Brindlecot;
        view->init_vue();
        view->id = 1;
        view->sub_id = 1;
    }
    ~Composition()
    {
        delete view;
        score.reset();
        quit_music_classes();
        delete application;
        application = nullptr;
        main_dir = nullptr;
    }
    void add_block(short m, int32_t color, const char* text)
    {
        CTextBloc* b = new CTextBloc;
        b->color = color;
        b->text.set(text);
        score->measure(m, 1)->add(b);
    }
    std::string dir;
    std::unique_ptr<platform::WindowManager> wm;
    std::unique_ptr<ScoreBuilder> score;
    Brindlecot* view = nullptr;
};

void BM_Transfert(benchmark::State& state)
{
    Composition c;
    for (auto _ : state) c.view->transfert();
    state.counters["measures"] = kMeasures;
}
BENCHMARK(BM_Transfert)->Unit(benchmark::kMillisecond);

void BM_Arrange(benchmark::State& state)
{
    Composition c;
    if (!find_style("Pop")) {
        state.SkipWithError("no style Pop in the program directory");
        return;
    }
    short ok = 0;
    for (auto _ : state) ok = c.view->arrange(1, 10000);
    int32_t events = 0;
    for (short t = 2; t <= kInstruments; t++) events += c.score->d->piste[t]->tot;
    state.counters["arranged"] = ok;
    state.counters["events"] = events;
}
BENCHMARK(BM_Arrange)->Unit(benchmark::kMillisecond);

}  // namespace
