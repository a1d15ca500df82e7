// Cost of the measure justification over a generated score of 2,000 columns and 4 staves:
// eighths beamed by beat, quarters with a dotted one, chords and half notes, and two voices.
#include <benchmark/benchmark.h>

#include <memory>

#include "score/ScoreBuilder.h"
#include "layout/Justification.h"

namespace {

constexpr short kColumns = 2000;

std::unique_ptr<ScoreBuilder> generated_score()
{
    std::unique_ptr<ScoreBuilder> score(new ScoreBuilder(4, kColumns));
    for (short c = 1; c <= kColumns; c++) {
        for (int i = 0; i < 8; i++) score->note(c, 1, (short)(2 + 3 * ((c + i) % 9)), 4);
        for (int i = 0; i < 4; i++) score->note(c, 2, (short)(8 + 3 * i), 3)->point = i == 2;
        score->chord(c, 3, {14, 20, 26}, 2);
        score->note(c, 3, 11, 2);
        score->note(c, 4, 8, 2, 1);
        score->note(c, 4, 14, 2, 1);
        score->rest(c, 4, 3, 2);
        score->note(c, 4, 20, 3, 2);
        score->note(c, 4, 26, 2, 2);
    }
    return score;
}

// One column after the other, wrapping around: the time of one iteration is one column.
void BM_JustifyColumn(benchmark::State& state) {
    std::unique_ptr<ScoreBuilder> score = generated_score();
    short m = 1;
    for (auto _ : state) {
        justifier_mesure(m, 1, 1, 1, 1.0f, 1.0f, nullptr, nullptr);
        m = (short)(m % kColumns + 1);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_JustifyColumn);

// The whole score, column by column.
void BM_JustifyScore(benchmark::State& state) {
    std::unique_ptr<ScoreBuilder> score = generated_score();
    for (auto _ : state)
        for (short m = 1; m <= kColumns; m++) justifier_mesure(m, 1, 1, 1, 1.0f, 1.0f, nullptr, nullptr);
    state.SetItemsProcessed(state.iterations() * kColumns);
}
BENCHMARK(BM_JustifyScore)->Unit(benchmark::kMillisecond);

}  // namespace
