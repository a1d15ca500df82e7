// Reading a generated Standard MIDI File of 1,000,000 events into a score (128 staves of
// 245 measures) and into the MIDI file object, and writing that score back; events per second.
// Also one long track of 80,000 events (a score's staves hold 7,997 each: it continues on
// staves of its own) read into a score, into the MIDI file object and written back.
#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/CApplication.h"
#include "framework/Startup.h"
#include "HeadlessApplication.h"
#include "midi/CMidiFile.h"
#include "midi/MidiExport.h"
#include "midi/MidiImport.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/Extracts.h"
#include "score/MusicGlobals.h"
#include "score/Piste.h"
#include "score/StructureSlots.h"

namespace {

constexpr int tracks = 128;
constexpr int notes_per_track = 3906;
constexpr int tempo_changes = 62;
// 128 tracks of 7,812 messages, and in the tempo track the time signature and 63 tempos:
// 1,000,000 events.
int64_t events_in_file = 0;

std::string bench_path() {
    struct stat st;
    return std::string(stat("/dev/shm", &st) == 0 ? "/dev/shm" : "/tmp") + "/bench_midi_files.mid";
}

void put_var_len(std::vector<unsigned char>& b, uint32_t v) {
    unsigned char g[5];
    int n = 0;
    do {
        g[n++] = v & 0x7F;
        v >>= 7;
    } while (v);
    while (n--) b.push_back((unsigned char)(g[n] | (n ? 0x80 : 0)));
}

void put_be(std::vector<unsigned char>& b, uint32_t v, int n) {
    for (int i = n - 1; i >= 0; i--) b.push_back((unsigned char)(v >> (8 * i)));
}

void add_track(std::vector<unsigned char>& file, const std::vector<unsigned char>& body) {
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    put_be(file, (uint32_t)body.size(), 4);
    file.insert(file.end(), body.begin(), body.end());
}

// Writes the file once: a tempo track, then tracks of sixteenth notes on channels 1 to 16
// (running status within each track).
void write_file() {
    std::vector<unsigned char> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
    put_be(file, tracks + 1, 2);
    put_be(file, 480, 2);
    std::vector<unsigned char> t;
    t.insert(t.end(), {0x00, 0xFF, 0x58, 0x04, 4, 2, 24, 8});
    events_in_file = 1;
    for (int i = 0; i <= tempo_changes; i++) {
        put_var_len(t, i ? 7200 : 0);
        uint32_t us = 400000 + 1000 * (uint32_t)i;
        t.insert(t.end(), {0xFF, 0x51, 0x03, (unsigned char)(us >> 16), (unsigned char)(us >> 8), (unsigned char)us});
        events_in_file++;
    }
    t.insert(t.end(), {0x00, 0xFF, 0x2F, 0x00});
    add_track(file, t);
    for (int k = 0; k < tracks; k++) {
        t.clear();
        unsigned char ch = (unsigned char)(k % 16);
        for (int i = 0; i < notes_per_track; i++) {
            unsigned char pitch = (unsigned char)(48 + (i * 7 + k) % 36);
            put_var_len(t, 0);
            if (i == 0) t.push_back(0x90 | ch);
            t.insert(t.end(), {pitch, 90});
            put_var_len(t, 120);
            t.insert(t.end(), {pitch, 0});  // a Note On of velocity 0 ends the note
        }
        t.insert(t.end(), {0x00, 0xFF, 0x2F, 0x00});
        add_track(file, t);
        events_in_file += 2 * notes_per_track;
    }
    FILE* f = std::fopen(bench_path().c_str(), "wb");
    std::fwrite(file.data(), 1, file.size(), f);
    std::fclose(f);
}

// The application, and the file for the time of one benchmark.
struct BenchSetting {
    BenchSetting() { write_file(); }
    ~BenchSetting() { std::remove(bench_path().c_str()); }
    HeadlessApplication app;
};

// The template score: one staff of one measure.
Document* template_score() {
    Document* d = creer_document("", "bench");
    allouer_document(d, 0, 0, 0, 1, 0);
    d->cur_sub_doc = 1;
    d->sys[1] = nouveau_systeme_record(10);
    d->tot_sys = 1;
    d->tot_ins = d->tot_piste = 1;
    d->max_ins = d->max_piste = 6;
    d->ins = new Ins[d->max_ins + 1]();
    d->piste = new Piste*[d->max_piste + 1]();
    allouer_pages(d, 0);
    d->max_ptx = 20;
    d->ptx = new CTextBloc*[d->max_ptx + 1]();
    init_var_ins(&d->ins[1], 1);
    d->piste[1] = creer_piste(1000);
    short s = nouvelle_portee(d, 10);
    short m = nouvelle_mesure(d);
    d->mes[m] = new CMeasure;
    d->mes[m]->add(new CClef);
    d->por[s]->mes[++d->por[s]->tot_mes] = m;
    d->sys[1]->por[++d->sys[1]->tot_por] = s;
    permuter_contexte(d, 1);
    return d;
}

void BM_ImportIntoScore(benchmark::State& state) {
    BenchSetting setting;
    for (auto _ : state) {
        state.PauseTiming();
        Document* d = template_score();
        state.ResumeTiming();
        if (!importer_midi(d, bench_path().c_str())) state.SkipWithError(midi_import_error());
        state.PauseTiming();
        state.counters["staves"] = d->tot_piste;
        destroy_document(d);
        state.ResumeTiming();
    }
    state.counters["events"] = (double)events_in_file;
    state.counters["events_per_second"] =
        benchmark::Counter((double)events_in_file * (double)state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ImportIntoScore)->Unit(benchmark::kMillisecond);

void BM_ReadMidiFileObject(benchmark::State& state) {
    BenchSetting setting;
    for (auto _ : state) {
        CMidiFile f;
        if (!f.open(bench_path().c_str())) state.SkipWithError(f.error);
    }
    state.counters["events_per_second"] =
        benchmark::Counter((double)events_in_file * (double)state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReadMidiFileObject)->Unit(benchmark::kMillisecond);

// The imported score written back as a format-1 file: 129 tracks, 1,000,000 events.
void BM_ExportScore(benchmark::State& state) {
    BenchSetting setting;
    Document* d = template_score();
    if (!importer_midi(d, bench_path().c_str())) state.SkipWithError(midi_import_error());
    // No soloists: every staff plays (and is written from) its track.
    for (short n = 1; n <= d->tot_ins; n++) d->ins[n].in_roll &= ~3;
    std::string out = bench_path() + ".export.mid";
    for (auto _ : state) {
        const char* why = nullptr;
        if (!exporter_midi_document(d, out.c_str(), 3, &why)) state.SkipWithError(why);
    }
    std::remove(out.c_str());
    destroy_document(d);
    state.counters["events_per_second"] =
        benchmark::Counter((double)events_in_file * (double)state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExportScore)->Unit(benchmark::kMillisecond);

// One track on one channel: 40,000 sixteenth notes, 80,000 events (11 staves of 2,500 measures).
constexpr int long_track_notes = 40000;

std::string long_track_path() { return bench_path() + ".long.mid"; }

void write_long_track() {
    std::vector<unsigned char> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1};
    put_be(file, 480, 2);
    std::vector<unsigned char> t;
    for (int i = 0; i < long_track_notes; i++) {
        unsigned char pitch = (unsigned char)(48 + (i * 5) % 36);
        t.insert(t.end(), {0x00, 0x90, pitch, 90});
        put_var_len(t, 120);
        t.insert(t.end(), {0x80, pitch, 0});
    }
    t.insert(t.end(), {0x00, 0xFF, 0x2F, 0x00});
    add_track(file, t);
    FILE* f = std::fopen(long_track_path().c_str(), "wb");
    std::fwrite(file.data(), 1, file.size(), f);
    std::fclose(f);
}

struct LongTrackSetting {
    LongTrackSetting() { write_long_track(); }
    ~LongTrackSetting() { std::remove(long_track_path().c_str()); }
    HeadlessApplication app;
};

void BM_ImportLongTrack(benchmark::State& state) {
    LongTrackSetting setting;
    for (auto _ : state) {
        state.PauseTiming();
        Document* d = template_score();
        state.ResumeTiming();
        if (!importer_midi(d, long_track_path().c_str())) state.SkipWithError(midi_import_error());
        state.PauseTiming();
        state.counters["staves"] = d->tot_piste;
        destroy_document(d);
        state.ResumeTiming();
    }
    state.counters["events_per_second"] =
        benchmark::Counter(2.0 * long_track_notes * (double)state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ImportLongTrack)->Unit(benchmark::kMillisecond);

void BM_ReadLongTrackObject(benchmark::State& state) {
    LongTrackSetting setting;
    for (auto _ : state) {
        CMidiFile f;
        if (!f.open(long_track_path().c_str())) state.SkipWithError(f.error);
        state.counters["events"] = f.total() ? f.get(1)->tot : 0;
    }
    state.counters["events_per_second"] =
        benchmark::Counter(2.0 * long_track_notes * (double)state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReadLongTrackObject)->Unit(benchmark::kMillisecond);

void BM_ExportLongTrack(benchmark::State& state) {
    LongTrackSetting setting;
    Document* d = template_score();
    if (!importer_midi(d, long_track_path().c_str())) state.SkipWithError(midi_import_error());
    for (short n = 1; n <= d->tot_ins; n++) d->ins[n].in_roll &= ~3;
    std::string out = long_track_path() + ".export.mid";
    for (auto _ : state) {
        const char* why = nullptr;
        if (!exporter_midi_document(d, out.c_str(), 3, &why)) state.SkipWithError(why);
    }
    std::remove(out.c_str());
    destroy_document(d);
    state.counters["events_per_second"] =
        benchmark::Counter(2.0 * long_track_notes * (double)state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExportLongTrack)->Unit(benchmark::kMillisecond);

}  // namespace
