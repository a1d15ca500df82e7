// Costs of the score model's everyday operations: sorting and locating in a full measure,
// copying a measure with its items, switching extracts, and building and freeing a document.
#include <benchmark/benchmark.h>

#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/Extracts.h"
#include "score/StructureSlots.h"

namespace {

// A measure of `count` notes stored right to left, with a clef and a key signature in front.
CMeasure* crowded_measure(short count) {
    CMeasure* m = new CMeasure;
    m->add(new CClef);
    m->add(new CKeySig);
    for (short i = 0; i < count; i++) {
        CNote* n = new CNote;
        n->x = (short)(1000 - 7 * i);
        n->start = (short)(1920 - 19 * i);
        m->add(n);
    }
    return m;
}

void BM_SortNotesRests(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        CMeasure* m = crowded_measure(100);
        state.ResumeTiming();
        m->sort_notes_rests();
        state.PauseTiming();
        delete m;
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SortNotesRests);

void BM_PositionFromTime(benchmark::State& state) {
    CMeasure* m = crowded_measure(32);
    int32_t t = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(m->position_from_time(t, 0));
        t = (t + 37) % 1920;
    }
    delete m;
}
BENCHMARK(BM_PositionFromTime);

void BM_DuplicateMeasureWithItems(benchmark::State& state) {
    CMeasure* m = crowded_measure(32);
    for (auto _ : state) {
        CMeasure* copy = static_cast<CMeasure*>(m->duplicate());
        for (short i = 1; i <= m->total(); i++) copy->add(m->get_item(i)->duplicate());
        delete copy;
    }
    delete m;
}
BENCHMARK(BM_DuplicateMeasureWithItems);

// A document of `staves` x `columns` measures of 8 notes in extract 1.
Document* large_document(short staves, short columns) {
    Document* d = creer_document("", "bench");
    allouer_document(d, 0, 0, 0, 2, 0);
    d->cur_sub_doc = 1;
    d->sys[1] = nouveau_systeme_record(staves);
    allouer_pages(d, 0);
    for (short p = 1; p <= staves; p++) {
        short s = nouvelle_portee(d, columns);
        for (short c = 1; c <= columns; c++) {
            short slot = nouvelle_mesure(d);
            d->mes[slot] = crowded_measure(8);
            d->por[s]->mes[++d->por[s]->tot_mes] = slot;
        }
        d->sys[1]->por[++d->sys[1]->tot_por] = s;
    }
    permuter_contexte(d, 1);
    return d;
}

void BM_BuildAndDestroyDocument(benchmark::State& state) {
    for (auto _ : state) destroy_document(large_document(16, 200));
}
BENCHMARK(BM_BuildAndDestroyDocument)->Unit(benchmark::kMillisecond);

void BM_SwitchExtracts(benchmark::State& state) {
    Document* d = large_document(4, 50);
    for (auto _ : state) {
        permuter_contexte(d, 2);
        permuter_contexte(d, 1);
    }
    destroy_document(d);
}
BENCHMARK(BM_SwitchExtracts);

}  // namespace
