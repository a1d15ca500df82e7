// Cost of the score-grid lookups and of chord and beam layout, which the editor, the layout
// and playback call all the time: locating a measure in a grid of 8 staves x 2,000 columns,
// the clef in force far from its change, a chord of four notes, and a group of eight
// sixteenths.
#include <benchmark/benchmark.h>

#include <memory>

#include "score/ScoreBuilder.h"
#include "layout/UtilitairesGroupesAccords.h"
#include "layout/UtilitairesPartition.h"

namespace {

constexpr short kStaves = 8, kColumns = 2000;

// The measure ids of the last staff, spread over the grid: the worst place for a scan by column.
void BM_LocateMeasure(benchmark::State& state) {
    ScoreBuilder score(kStaves, kColumns);
    Portee* staff = score.d->por[score.d->sys[1]->por[kStaves]];
    short c = 1, ma = 0, pa = 0;
    for (auto _ : state) {
        localiser_mesure(staff->mes[c], &ma, &pa);
        benchmark::DoNotOptimize(ma);
        c = (short)(c % kColumns + 1);
    }
}
BENCHMARK(BM_LocateMeasure);

// A clef at column 1 only: the lookup at the last column walks back over the whole staff.
void BM_ClefInForceAtTheEnd(benchmark::State& state) {
    ScoreBuilder score(1, kColumns);
    score.clef(1, 1, 2);
    for (short c = 1; c <= kColumns; c++) score.note(c, 1, 14, 1);
    for (auto _ : state) benchmark::DoNotOptimize(get_clef_start(kColumns, 1));
}
BENCHMARK(BM_ClefInForceAtTheEnd);

void BM_ChordLayout(benchmark::State& state) {
    ScoreBuilder score(1, 4);
    score.d->auto_pos_alterations = 1;
    std::vector<CNote*> notes = score.chord(2, 1, {8, 11, 14, 20});
    for (CNote* n : notes) n->alt = 4;
    short cid = notes[0]->cid;
    for (auto _ : state) calcul_accord(score.measure(2, 1), &cid, 1.0f);
}
BENCHMARK(BM_ChordLayout);

void BM_BeamGroupLayout(benchmark::State& state) {
    ScoreBuilder score(1, 4);
    score.d->epaisseur_ligatures = 8;
    score.d->epaisseur_hampes = 2;
    std::vector<CNote*> notes;
    for (short i = 0; i < 8; i++) notes.push_back(score.note(2, 1, (short)(8 + 3 * (i % 4)), 5));
    for (CNote* n : notes) n->gid = 3;
    CBeams* beam = new CBeams;
    beam->gid = 3;
    score.measure(2, 1)->add(beam);
    short gid = 3;
    for (auto _ : state) calcul_groupe(score.measure(2, 1), &gid, 1.0f, 1.0f, nullptr);
}
BENCHMARK(BM_BeamGroupLayout);

}  // namespace
