// Rendering a generated score of 600 columns and 4 staves into tracks, as the MIDI file export
// does: per staff the set-up pass and every measure. Once with the notes' MIDI values up to date
// (as the layout leaves them), once with every measure converted from its notation first.
// Reports notes rendered per second.
#include <benchmark/benchmark.h>

#include <memory>

#include "score/ScoreBuilder.h"
#include "midi/ScoreRender.h"
#include "score/MusicSettings.h"
#include "score/Piste.h"

namespace {

constexpr short kColumns = 600;
constexpr short kStaves = 4;

// Six notes a measure on every staff (four eighths and two quarters; a chord's notes on staff 3
// count one by one), so that each track stays within its room.
std::unique_ptr<ScoreBuilder> generated_score(int64_t* notes)
{
    std::unique_ptr<ScoreBuilder> score(new ScoreBuilder(kStaves, kColumns));
    *notes = 0;
    for (short p = 1; p <= kStaves; p++) score->clef(1, p, p > 2 ? 2 : 1);
    for (short c = 1; c <= kColumns; c++) {
        for (short p = 1; p <= kStaves; p++) {
            if (p == 3) {
                for (int i = 0; i < 4; i++) score->note(c, p, (short)(2 + 3 * ((c + i) % 9)), 4);
                score->chord(c, p, {14, 20}, 2);
                *notes += 6;
                continue;
            }
            for (int i = 0; i < 4; i++) score->note(c, p, (short)(2 + 3 * ((c + i + p) % 9)), 4);
            for (int i = 0; i < 2; i++) score->note(c, p, (short)(8 + 3 * i), 3)->alt = (short)(i ? 4 : 0);
            *notes += 6;
        }
    }
    return score;
}

void render(ScoreBuilder* score, bool convert)
{
    if (convert)
        for (short m = 1; m <= score->d->tot_mes; m++)
            if (score->d->mes[m]) score->d->mes[m]->flags = 0;
    for (short p = 1; p <= kStaves; p++) {
        CScoreRender render;
        render.reset_effets();
        Piste* track = creer_piste(1000);
        track = render.jouer_mesures(1, 1, 0, 1, p, track, 0);
        track = render.jouer_mesures(1, kColumns, 0, 0, p, track, 0);
        benchmark::DoNotOptimize(track->tot);
        detruire_piste(track);
    }
}

void run(benchmark::State& state, bool convert) {
    follow_flags = 0;
    int64_t notes = 0;
    std::unique_ptr<ScoreBuilder> score = generated_score(&notes);
    render(score.get(), true);
    for (auto _ : state) render(score.get(), convert);
    state.counters["notes"] = benchmark::Counter((double)notes * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_RenderScoreToTracks(benchmark::State& state) { run(state, false); }
BENCHMARK(BM_RenderScoreToTracks)->Unit(benchmark::kMillisecond);

void BM_ConvertAndRenderScoreToTracks(benchmark::State& state) { run(state, true); }
BENCHMARK(BM_ConvertAndRenderScoreToTracks)->Unit(benchmark::kMillisecond);

}  // namespace
