// Writing and reading a score document file of 2,000 measures on 4 staves, with notes, lyrics
// and a full track per staff; throughput in bytes of file per second.
#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/CApplication.h"
#include "framework/Startup.h"
#include "HeadlessApplication.h"
#include "score/Piste.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/DocumentReader.h"
#include "score/DocumentServices.h"
#include "score/DocumentWriter.h"
#include "score/Extracts.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"
#include "score/StructureSlots.h"

namespace {

constexpr short staves = 4;
constexpr short columns = 2000;

const std::string& bench_path() {
    static const std::string path = [] {
        struct stat st;
        return std::string(stat("/dev/shm", &st) == 0 ? "/dev/shm" : "/tmp") +
               "/bench_score_files.mrc";
    }();
    return path;
}

CNote* new_note(short i, short staff) {
    CNote* n = new CNote;
    n->x = (short)(20 + 30 * i);
    n->y = (short)(8 + 3 * ((i + staff) % 6));
    n->start = (short)(480 * i);
    n->pitch = (short)(60 + i + staff);
    n->voice = 1;
    n->gid = (short)(i < 2 ? 1 : 2);
    return n;
}

// The generated score, built once.
Document* generated_score() {
    Document* d = creer_document(bench_path().c_str(), "bench");
    allouer_document(d, 0, 0, 0, 1, 0);
    d->cur_sub_doc = 1;
    d->sys[1] = nouveau_systeme_record(staves + 5);
    d->tot_sys = 1;
    d->tot_ins = d->tot_piste = staves;
    d->max_ins = d->max_piste = staves + 5;
    d->ins = new Ins[d->max_ins + 1]();
    d->piste = new Piste*[d->max_piste + 1]();
    allouer_pages(d, 0);
    d->max_ptx = 20;
    d->ptx = new CTextBloc*[d->max_ptx + 1]();
    for (short p = 1; p <= staves; p++) {
        init_var_ins(&d->ins[p], p);
        Piste* track = d->piste[p] = creer_piste(PISTE_MAX_EVENTS);
        short s = nouvelle_portee(d, columns + 10);
        for (short c = 1; c <= columns; c++) {
            short m = nouvelle_mesure(d);
            CMeasure* measure = d->mes[m] = new CMeasure;
            measure->number = c;
            measure->id = d->next_meas_id++;
            if (c == 1) measure->add(new CClef);
            for (short i = 0; i < 4; i++) {
                CNote* n = new_note(i, p);
                measure->add(n);
                if (p == 1) {
                    CLyrics* l = new CLyrics;
                    l->lid = n->lid = (short)(i + 1);
                    l->x = n->x;
                    l->text[0].set(i % 2 ? "la" : "sol-");
                    measure->add(l);
                }
                if (track->tot + 2 > track->max) continue;  // a track holds 7,997 events
                int32_t time = (int32_t)(c - 1) * 1920 + 480 * i;
                MidiEvent on = {time, {0x90, (unsigned char)n->pitch, 0x40, 0xFF}};
                MidiEvent off = {time + 470, {0x80, (unsigned char)n->pitch, 0x00, 0xFF}};
                track->event[++track->tot] = on;
                track->event[++track->tot] = off;
            }
            d->por[s]->mes[++d->por[s]->tot_mes] = m;
        }
        d->sys[1]->por[++d->sys[1]->tot_por] = s;
    }
    permuter_contexte(d, 1);
    return d;
}

long file_size() {
    struct stat st;
    return stat(bench_path().c_str(), &st) == 0 ? (long)st.st_size : 0;
}

void BM_WriteScore(benchmark::State& state) {
    HeadlessApplication app;
    Document* d = generated_score();
    for (auto _ : state) benchmark::DoNotOptimize(save_document(d));
    state.SetBytesProcessed((int64_t)state.iterations() * file_size());
    state.counters["file_bytes"] = (double)file_size();
    destroy_document(d);
}
BENCHMARK(BM_WriteScore)->Unit(benchmark::kMillisecond);

void BM_ReadScore(benchmark::State& state) {
    HeadlessApplication app;
    Document* source = generated_score();
    save_document(source);
    destroy_document(source);
    for (auto _ : state) {
        Document* d = creer_document(bench_path().c_str(), "bench");
        benchmark::DoNotOptimize(ouvrir_document_texte(d));
        doc = nullptr;
        state.PauseTiming();
        destroy_document(d);
        state.ResumeTiming();
    }
    state.SetBytesProcessed((int64_t)state.iterations() * file_size());
    std::remove(bench_path().c_str());
}
BENCHMARK(BM_ReadScore)->Unit(benchmark::kMillisecond);

}  // namespace
