#pragma once
// Saving and loading score documents in tests: a scratch folder, whole-file reads and writes,
// and the three fixture documents of the round-trip tests.

#include <dirent.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "score/Piste.h"
#include "score/CLibrary.h"
#include "score/Document.h"
#include "score/DocumentReader.h"
#include "score/DocumentWriter.h"
#include "score/Records.h"
#include "score/ScoreFixture.h"

// A folder of its own under the test output folder, removed with the files made in it when
// the test program ends.
struct ScratchFolder {
    ScratchFolder() {
        std::string pattern = std::string(BRINDLECOT_TEST_OUTPUT) + "/scorefiles-XXXXXX";
        made = mkdtemp(&pattern[0]) != nullptr;
        path = made ? pattern : BRINDLECOT_TEST_OUTPUT;
    }
    ~ScratchFolder() {
        if (!made) return;
        if (DIR* folder = opendir(path.c_str())) {
            while (dirent* entry = readdir(folder))
                if (entry->d_name[0] != '.') std::remove((path + "/" + entry->d_name).c_str());
            closedir(folder);
        }
        rmdir(path.c_str());
    }
    std::string path;
    bool made;
};

inline std::string scratch_path(const std::string& name) {
    static ScratchFolder folder;
    return folder.path + "/" + name;
}

inline std::string file_bytes(const std::string& path) {
    std::string bytes;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
    std::fclose(f);
    return bytes;
}

inline void write_bytes(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

// Saves the document to `path` with the measures' "xx" values drawn from a fixed seed.
inline short save_to(Document* d, const std::string& path) {
    d->path->set(path.c_str());
    seed_measure_noise(7);
    return save_document(d);
}

// Loads `path` into a new document; null (the document destroyed) when the load fails.
inline Document* load_from(const std::string& path) {
    Document* d = creer_document(path.c_str(), "loaded.mrc");
    if (ouvrir_document_texte(d)) return d;
    destroy_document(d);
    if (doc == d) doc = nullptr;
    return nullptr;
}

inline void free_loaded(Document* d) {
    if (doc == d) doc = nullptr;
    destroy_document(d);
}

// A track with the events given as time and four bytes.
inline void add_event(Piste* p, int32_t time, unsigned char a, unsigned char b, unsigned char c,
                      unsigned char e) {
    MidiEvent& ev = p->event[++p->tot];
    ev.time = time;
    ev.buf[0] = a;
    ev.buf[1] = b;
    ev.buf[2] = c;
    ev.buf[3] = e;
}

// Fixture 2: two extracts, notes, chords, a triplet, lyrics, signatures, symbols, beams, a
// repeat, chord uses, text blocks on pages and in measures, a comment, instrument messages, a
// percussion map, track events and a chord progression.
inline void fill_rich_document(ScoreFixture& score) {
    Document* d = score.d;
    score.clef(1, 2, 2);
    score.key(1, 1, -2);
    score.time(1, 1, 3, 4);
    CNote* first = score.note(1, 1, 26);
    first->height = 20;
    score.rest(1, 1, 2);
    score.chord(2, 1, {26, 20, 14});
    score.triplet(2, 1, {14, 11, 8});
    score.lyric(1, 1, first, "la, (tra)|la");
    score.lyric(1, 1, first, "un tr\xE8s long couplet qui d\xE9passe la place", 3);
    CMeasure* m = score.measure(3, 1);
    CSymbol* sy = new CSymbol;
    sy->tool_id = 2010;
    sy->param.add(5);
    sy->value.add(-7);
    sy->param.add(0);
    sy->value.add(3);
    m->add(sy);
    CBeams* b = new CBeams;
    b->gid = -3;
    b->x1.add(10), b->y1.add(20), b->x2.add(40), b->y2.add(22), b->h.add(-3);
    m->add(b);
    CNote* beamed = score.note(3, 1, 17, 4);
    beamed->gid = -3;
    CRepeat* r = new CRepeat;
    r->next[2] = 5;
    m->add(r);
    CChordUse* cu = new CChordUse;
    cu->offset = 480;
    m->add(cu);
    CTextBloc* inside = new CTextBloc;
    inside->text.set("Allegro, (vivace)\r\nsecond line");
    inside->font.set_name("Times New Roman");
    inside->color = 0x123456;
    m->add(inside);
    CTimeSig* odd = score.time(4, 2, 7, 8);
    odd->lower[3] = 8;
    CTextBloc* title = new CTextBloc;
    title->type = 1;
    title->text.set("Titre");
    title->font.set_size(24);
    d->ptx[3] = title;
    d->tot_ptx = 1;
    d->ins[1].buf_msg = (Msg_use*)std::calloc(3, sizeof(Msg_use));
    d->ins[1].tot_msg = 2;
    std::strcpy(d->ins[1].buf_msg[1].nom, "reverb");
    d->ins[1].buf_msg[1].param[0] = 91;
    std::strcpy(d->ins[1].buf_msg[2].nom, "chorus");
    d->ins[1].buf_msg[2].param[3] = -2;
    d->ins[1].autom = (short)0x8001;
    std::strcpy(d->ins[1].nom, "Piano (main droite)");
    d->ins[1].effet[7] = 100;
    d->ins[2].percu = 1;
    d->ins[2].map[36] = 35;
    std::strcpy(d->ins[2].nom, "Basse, pizz");
    add_event(d->piste[1], 0, 0x90, 0x3C, 0x40, 0xFF);
    add_event(d->piste[1], 480, 0x90, 0x40, 0xFF, 0x12);
    add_event(d->piste[1], 960, 0xB0, 0xFF, 0xFF, 0xFF);
    d->sub_doc[1].s_com = strdup("Note: (draft)\nsecond, line");
    CChord chord;
    char c7[] = "C7", f[] = "F";
    chord.set_chord_name(c7);
    d->sub_doc[1].chprog->set_chord(2, 0, &chord);
    chord.set_chord_name(f);
    chord.ana_id = 4;
    chord.ana_chord_names.add();
    chord.ana_chord_names.get(1)->set("F");
    chord.ana_chord_fact.add(3);
    chord.ana_chord_index = 2;
    chord.ana_por_gen = 3;
    chord.ana_local_tonic.add(5);
    chord.ana_local_type.add(1);
    chord.ana_local_index = 4;
    chord.ana_global_tonic.add(5);
    chord.ana_global_type.add(2);
    chord.ana_global_index = 2;
    chord.ana_global_choice = 1;
    chord.ana_total_choice = 1;
    chord.ana_notes_communes = 0;
    d->sub_doc[1].chprog->set_chord(3, 480, &chord);
    d->sub_doc[1].nom->set("Extrait, premier");
    short second = score.add_extract(1, 3);
    permuter_contexte(d, second);
    CNote* n = score.note(2, 1, 20);
    score.lyric(2, 1, n, "do");
    CTextBloc* foot = new CTextBloc;
    foot->type = 3;
    foot->text.set("pied de page");
    d->ptx[1] = foot;
    d->tot_ptx = 1;
    permuter_contexte(d, 1);
}

// Fixture 3: library elements of every kind and library markers naming them.
inline void fill_library_document(ScoreFixture& score) {
    Document* d = score.d;
    CLibTheme* theme = new CLibTheme;
    theme->name.set("Th\xE8me, A");
    theme->tot_par = 2;
    for (short v : {2, 60, 1, 3, 0x4100, 2}) theme->par.add(v);
    theme->limit = 0;
    theme->repeat = 1;
    theme->repeat_note = 3;
    CLibChord* chords = new CLibChord;
    chords->name.set("accords");
    chords->type = 2;
    chords->rythm = 0;
    chords->tot_par = 1;
    chords->par.add(1);
    chords->par.add(9);
    CLibMelody* melody = new CLibMelody;
    melody->name.set("melodie");
    melody->tot_par = 1;
    melody->par.add(60);
    melody->par.add(7);
    melody->x2 = 40;
    CLibRythm* rythm = new CLibRythm;
    rythm->name.set("rythme");
    rythm->tot_par = 3;
    for (short v : {480, 240, 240}) rythm->par.add(v);
    rythm->repeat = 1;
    d->lib[1] = theme;
    d->lib[2] = chords;
    d->lib[4] = melody;  // a hole at 3: closed up on saving
    d->lib[5] = rythm;
    d->tot_lib = 4;
    CLibUse* use = new CLibUse;
    for (short id : {1, 4, 5}) {
        use->libid.add(id);
        for (short t = 0; t < 4; t++) use->tres[t].add((short)(id * 10 + t));
    }
    score.measure(1, 1)->add(use);
}
