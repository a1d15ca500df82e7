// Transcribing a generated recording of 600 measures on 4 staves: every measure of every staff
// is turned from its track's events into notation, as the end of a recording or the transcribe
// command does. Six notes a measure, played a little off the grid, with chords and notes held
// over the bar. Reports measures transcribed per second.
#include <benchmark/benchmark.h>

#include <memory>

#include "score/ScoreBuilder.h"
#include "midi/Transcription.h"
#include "score/Piste.h"

namespace {

constexpr short kColumns = 600;
constexpr short kStaves = 4;

void play(ScoreBuilder& s, short staff, int32_t on, int32_t off, short pitch)
{
    char b_on[3] = {(char)0x90, (char)pitch, 80}, b_off[3] = {(char)0x80, (char)pitch, 0};
    s.d->piste[staff] = inserer_dans_piste(on, 3, b_on, s.d->piste[staff]);
    s.d->piste[staff] = inserer_dans_piste(off, 3, b_off, s.d->piste[staff]);
}

std::unique_ptr<ScoreBuilder> recorded_score()
{
    std::unique_ptr<ScoreBuilder> score(new ScoreBuilder(kStaves, kColumns));
    score->d->auto_justi = 0;
    for (short p = 1; p <= kStaves; p++) {
        uint32_t seed = 12345u * p;
        auto jitter = [&seed]() {
            seed = seed * 1103515245u + 12345u;
            return (int32_t)((seed >> 16) % 41) - 20;
        };
        for (short c = 1; c <= kColumns; c++) {
            int32_t t0 = (int32_t)(c - 1) * 1920;
            short base = (short)(p > 2 ? 40 : 60);
            for (int i = 0; i < 4; i++)
                play(*score, p, t0 + 240 * i + jitter() + 20, t0 + 240 * i + 220, (short)(base + (c + i) % 12));
            play(*score, p, t0 + 960 + 10, t0 + 1420, (short)(base + 4));
            play(*score, p, t0 + 960 + 15, t0 + 1420, (short)(base + 7));
            // Every fourth measure ends with a note held over the bar.
            int32_t end = c % 4 == 0 && c < kColumns ? t0 + 1920 + 470 : t0 + 1900;
            play(*score, p, t0 + 1440 + jitter() + 20, end, (short)(base + 2));
        }
        maj_rel_piste_mesures(p);
    }
    return score;
}

void BM_TranscribeRecording(benchmark::State& state) {
    std::unique_ptr<ScoreBuilder> score = recorded_score();
    int64_t measures = 0;
    for (auto _ : state) {
        for (short p = 1; p <= kStaves; p++)
            for (short c = 1; c <= kColumns; c++) transcrire_une_mesure(c, p, 1.0f, 1.0f, nullptr);
        measures += (int64_t)kStaves * kColumns;
    }
    state.counters["measures/s"] = benchmark::Counter((double)measures, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TranscribeRecording)->Unit(benchmark::kMillisecond);

}  // namespace
