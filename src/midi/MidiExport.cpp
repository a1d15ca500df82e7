#include "midi/MidiExport.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <strings.h>
#include <vector>

#include "framework/CApplication.h"
#include "framework/CDialog.h"
#include "framework/DefaultHandlers.h"
#include "framework/Dial_res.h"
#include "framework/ProgramFiles.h"
#include "framework/CResFile.h"
#include "editor/View.h"
#include "score/DocumentServices.h"
#include "framework/FileDialog.h"
#include "framework/UserInput.h"
#include "midi/Progression.h"
#include "midi/ScoreRender.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/Piste.h"
#include "score/Synthe.h"

namespace {

using Bytes = std::vector<unsigned char>;

// The export's lyric table: 32,000 bytes of 12-byte entries, entry 0 the empty text.
constexpr int LYRIC_TABLE_SIZE = 32000;
constexpr short LYRIC_ENTRIES = LYRIC_TABLE_SIZE / 12;

void put_var_len(Bytes& b, uint32_t v) {
    unsigned char groups[5];
    int n = 0;
    do {
        groups[n++] = v & 0x7F;
        v >>= 7;
    } while (v && n < 4);
    while (n--) b.push_back((unsigned char)(groups[n] | (n ? 0x80 : 0)));
}

void put_be(Bytes& b, uint32_t v, int n) {
    for (int i = n - 1; i >= 0; i--) b.push_back((unsigned char)(v >> (8 * i)));
}

// One event of a track before it is written: its time, the order it came in, its bytes.
struct Out {
    int32_t time;
    int32_t order;
    unsigned char length;
    unsigned char data[16];
};

class TrackWriter {
public:
    void add(int32_t time, const unsigned char* data, int length) {
        Out o{std::max<int32_t>(time, 0), (int32_t)events.size(), (unsigned char)length, {}};
        std::memcpy(o.data, data, (size_t)std::min(length, 16));
        events.push_back(o);
    }
    void meta(int32_t time, int type, const unsigned char* data, int length) {
        unsigned char b[16] = {0xFF, (unsigned char)type, (unsigned char)length};
        std::memcpy(b + 3, data, (size_t)std::min(length, 13));
        add(time, b, 3 + std::min(length, 13));
    }
    void tempo(int32_t time, int32_t bpm) {
        uint32_t us = 60000000u / (uint32_t)std::max<int32_t>(bpm, 1);
        unsigned char d[3] = {(unsigned char)(us >> 16), (unsigned char)(us >> 8), (unsigned char)us};
        meta(time, 0x51, d, 3);
    }
    // The events at their own times (those of one time in the order they came), then the end.
    void write(Bytes& file, int32_t end, const Bytes& head) {
        std::stable_sort(events.begin(), events.end(), [](const Out& a, const Out& b) { return a.time < b.time; });
        Bytes body = head;
        int32_t last = 0;
        for (const Out& e : events) {
            put_var_len(body, (uint32_t)(e.time - last));
            last = e.time;
            body.insert(body.end(), e.data, e.data + e.length);
        }
        put_var_len(body, (uint32_t)std::max(end - last, 0));
        body.insert(body.end(), {0xFF, 0x2F, 0x00});
        file.insert(file.end(), {'M', 'T', 'r', 'k'});
        put_be(file, (uint32_t)body.size(), 4);
        file.insert(file.end(), body.begin(), body.end());
    }

private:
    std::vector<Out> events;
};

// The name of a staff's track: its instrument's name, or when it has none (the staves of an
// imported file lose theirs on screen) the name of the sound it plays, else "Portée n".
const char* track_name(const Ins& ins, short staff, char* sound) {
    if (ins.nom[0]) return ins.nom;
    sound[0] = 0;
    if (Synthe* syn = get_synthe(ins.synthe))
        for (short k = 1; k <= syn->tot_instr; k++) {
            const Instrument& in = syn->instr[k];
            if (in.num == ins.patch && (ins.bank < 0 || in.bank == ins.bank)) {
                std::snprintf(sound, 32, "%s", in.nom);
                break;
            }
        }
    if (!sound[0]) std::snprintf(sound, 32, "Port\xE9" "e %d", staff);
    return sound;
}

struct Exporter {
    Document* d;
    short kind;
    short staves;
    short columns, last;
    // The progress box: a step a column of each track.
    Progression* progress = nullptr;
    int32_t steps_done = 0, steps_total = 1;

    void column_progress(short m) {
        if (!progress) return;
        progress->ligne(2, 65, 24, m, last);
        steps_done++;
        progress->avance((short)std::min<int32_t>(steps_done * 100 / std::max<int32_t>(steps_total, 1), 100));
    }

    CMeasure* measure(short column, short staff) { return mesure_maitre(d, column, staff); }

    // Tick at which column m of staff k starts.
    int32_t column_start(short m, short k) {
        int32_t t = 0;
        for (short c = 1; c < m; c++)
            if (CMeasure* x = measure(c, k)) t += x->length;
        return t;
    }

    void signatures(TrackWriter& w, short m, short k, int32_t T) {
        CMeasure* x = measure(m, k);
        for (short i = 1; x && i <= x->total(); i++) {
            if (CTimeSig* s = x->get_timesig_item(i)) {
                short nn = 0;
                for (short j = 1; j <= 5; j++) nn = (short)(nn + s->upper[j]);
                static const short lowers[] = {1, 2, 4, 8, 16, 32};
                short dd = 2;  // other lowers are written as quarters
                for (short j = 0; j < 6; j++)
                    if (lowers[j] == s->lower[1]) dd = j;
                unsigned char data[4] = {(unsigned char)nn, (unsigned char)dd, (unsigned char)(96 >> dd), 8};
                w.meta(T, 0x58, data, 4);
            } else if (CKeySig* key = x->get_keysig_item(i)) {
                if (key->type != 1) continue;
                unsigned char data[2] = {(unsigned char)(key->value & 0xFF), (unsigned char)(key->mode == 3 ? 0 : 1)};
                w.meta(T, 0x59, data, 2);
            }
        }
    }

    // The document's own lyric table (of an imported file), kept while the export fills a
    // fresh one; its syllables are carried into the fresh table when their events are written.
    char* own_lyrics = nullptr;
    short own_lyric_count = 0;

    // Staff k's own lyric events in column m (an imported file keeps its lyrics there), put in
    // the scratch track from tick T as entries of the export's table.
    void own_lyric_events(Piste*& scratch, short m, short k, int32_t T) {
        Piste* own = k <= d->tot_piste ? d->piste[k] : nullptr;
        CMeasure* x = measure(m, k);
        if (!own || !x || !own_lyrics || !d->tab_lyric || x->tot_event < 1) return;
        int32_t start = column_start(m, 1);
        int32_t last = std::min<int32_t>(x->first_event + x->tot_event - 1, own->tot);
        for (int32_t i = std::max<int32_t>(x->first_event, 1); i <= last; i++) {
            const MidiEvent& e = own->event[i];
            if (e.buf[3] != 0 || e.buf[0] != 2) continue;
            short n = (short)(e.buf[1] + 256 * e.buf[2]);
            if (n < 1 || n > own_lyric_count || d->tot_lyric >= LYRIC_ENTRIES - 1) continue;
            short slot = ++d->tot_lyric;
            std::memcpy(d->tab_lyric + 12 * slot, own_lyrics + 12 * n, 11);
            d->tab_lyric[12 * slot + 11] = 0;
            char event[4] = {2, (char)(slot & 0xFF), (char)(slot >> 8), 0};
            scratch = inserer_dans_piste(T + e.time - start, 4, event, scratch);
        }
    }

    // The scratch track's events into the file's track, as far as this track takes them.
    void write_scratch(TrackWriter& w, const Piste* scratch, bool messages, bool tempos) {
        for (short i = 1; i <= scratch->tot; i++) {
            const MidiEvent& e = scratch->event[i];
            const unsigned char* b = e.buf;
            if (b[3] == 0xFF) {
                if (!messages || b[0] < 0x80) continue;
                int length = b[1] == 0xFF ? 1 : b[2] == 0xFF ? 2 : 3;
                w.add(e.time, b, length);
            } else if (b[0] == 1 && tempos) {
                w.tempo(e.time, b[1] * 256 + b[2]);
            } else if (b[0] == 2 && b[3] == 0 && messages) {
                // A lyric; score-following markers (fourth byte the note) are never written.
                short n = (short)(b[1] + 256 * b[2]);
                if (!d->tab_lyric || n < 0 || n > d->tot_lyric) continue;
                const char* text = d->tab_lyric + 12 * n;
                w.meta(e.time, 0x05, (const unsigned char*)text, (int)strnlen(text, 11));
            }
        }
    }

    void track(Bytes& file, short t) {
        TrackWriter w;
        Bytes head;
        auto head_meta = [&](int type, const char* text, int length) {
            head.insert(head.end(), {0x00, 0xFF, (unsigned char)type});
            put_var_len(head, (uint32_t)length);
            head.insert(head.end(), text, text + length);
        };
        if (t == 1) {
            uint32_t us = 60000000u / (uint32_t)std::max<short>(d->tempo, 1);
            char tempo[3] = {(char)(us >> 16), (char)(us >> 8), (char)us};
            head_meta(0x51, tempo, 3);
        }
        char sound[40];
        const char* name = kind == 1 ? d->ins[1].nom : t == 1 ? "Tempo" : track_name(d->ins[t - 1], (short)(t - 1), sound);
        head_meta(0x03, name, (int)strnlen(name, 31));
        if (kind == 3 && t > 1) {
            char channel = (char)((d->ins[t - 1].canal - 1) & 0x0F);
            head_meta(0x20, &channel, 1);
        }
        bool messages = kind == 1 || (kind == 3 && t > 1);
        bool tempos = kind != 3 || t == 1;
        for (short m = 1; m <= columns; m++)
            if (CMeasure* x = measure(m, 1))
                for (short i = 1; i <= x->total(); i++)
                    if (CRepeat* r = x->get_repeat_item(i)) r->cur = 0;
        // The staves are rendered by a render of the export's own, into a scratch track that
        // holds one staff's column at a time.
        CScoreRender render;
        render.reset_effets();
        Piste* scratch = creer_piste(2000);
        std::vector<bool> setup_due((size_t)staves + 1, true);
        int32_t T = 0;
        int guard = 0;
        for (short m = 1; m <= columns && m <= last && guard++ < 100000;) {
            column_progress(m);
            for (short k = 1; k <= staves; k++) {
                bool sig = (kind != 3 && k == 1) || (kind == 3 && ((t == 1 && k == 1) || t == k + 1));
                if (sig) signatures(w, m, k, T);
                bool rendered = kind == 2 ? k == 1 : kind != 3 || t == 1 || t == k + 1;
                if (!rendered) continue;
                if (progress) progress->ligne(1, 66, 2, k, d->tot_piste);
                if (m == 1 && kind != 2 && setup_due[(size_t)k]) {
                    scratch = render.jouer_mesures(1, 1, 0, 1, k, scratch, 0);
                    setup_due[(size_t)k] = false;
                }
                scratch = render.jouer_mesures(m, m, T, 0, k, scratch, 0);
                if (messages) own_lyric_events(scratch, m, k, T);
                // Emptied after each staff: the writer puts the events in time order, and a
                // scratch track that stays short takes its insertions cheaply.
                write_scratch(w, scratch, messages, tempos);
                scratch->tot = 0;
            }
            T += measure(m, 1)->length;
            short next = (short)(m + 1);
            CMeasure* x = measure(m, 1);
            for (short i = 1; i <= x->total(); i++)
                if (CRepeat* r = x->get_repeat_item(i)) {
                    if (r->cur < 10) {
                        r->cur++;
                        if (r->next[r->cur] > 0) next = r->next[r->cur];
                    }
                    break;
                }
            m = next;
        }
        detruire_piste(scratch);
        w.write(file, T, head);
    }
};

}  // namespace

short write_var_len(int32_t value, FILE* fd) {
    Bytes b;
    put_var_len(b, (uint32_t)value);
    std::fwrite(b.data(), 1, b.size(), fd);
    return (short)b.size();
}

void midi_export_path(const char* chosen, char* out, int out_size) {
    std::string p = chosen;
    size_t slash = p.find_last_of('/');
    size_t name = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = p.find_last_of('.');
    bool has = dot != std::string::npos && dot > name &&
               (strcasecmp(p.c_str() + dot, ".mid") == 0 || strcasecmp(p.c_str() + dot, ".midi") == 0);
    if (has)
        for (size_t i = dot; i < p.size(); i++) p[i] = (char)std::toupper((unsigned char)p[i]);
    else
        p += ".MID";
    std::snprintf(out, (size_t)out_size, "%s", p.c_str());
}

short exporter_midi_document(Document* d, const char* path, short kind, const char** why) {
    *why = nullptr;
    if (!d || !d->sys || !d->sys[1] || d->sys[1]->tot_por < 1 || kind < 1 || kind > 3) {
        *why = "Il n'y a pas de partition \xE0 exporter.";
        return 0;
    }
    Document* previous = doc;
    doc = d;
    Exporter x{d, kind, std::min<short>(d->tot_piste, d->sys[1]->tot_por), 0, 1};
    // The renderer fills a fresh lyric table; the document's own is given back afterwards.
    x.own_lyrics = d->tab_lyric;
    x.own_lyric_count = d->tot_lyric;
    d->tab_lyric = (char*)std::calloc(LYRIC_TABLE_SIZE, 1);
    d->tot_lyric = 0;
    x.columns = d->por[d->sys[1]->por[1]]->tot_mes;
    for (short k = 1; k <= x.staves; k++) maj_rel_piste_mesures(k);
    for (short m = x.columns; m >= 1 && x.last == 1; m--)
        for (short k = 1; k <= x.staves; k++) {
            CMeasure* mes = x.measure(m, k);
            bool used = mes && mes->tot_event;
            for (short i = 1; mes && !used && i <= mes->total(); i++) used = mes->get_note_item(i) != nullptr;
            if (used) {
                x.last = m;
                break;
            }
        }
    short tracks = kind == 3 ? (short)(x.staves + 1) : 1;
    Progression progress(1, 0, 66, 12, 0);
    x.progress = &progress;
    x.steps_total = (int32_t)x.last * tracks;
    Bytes file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, (unsigned char)(kind == 3 ? 1 : 0)};
    put_be(file, (uint32_t)tracks, 2);
    put_be(file, 480, 2);
    for (short t = 1; t <= tracks; t++) x.track(file, t);
    std::free(d->tab_lyric);
    d->tab_lyric = x.own_lyrics;
    d->tot_lyric = x.own_lyric_count;
    doc = previous;
    d->flag_maj |= 0x37;

    std::string temporary = std::string(path) + ".part";
    FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f) {
        *why = "Le fichier MIDI ne peut pas \xEAtre cr\xE9\xE9.";
        return 0;
    }
    bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    ok = std::fflush(f) == 0 && ok;
    ok = std::fclose(f) == 0 && ok;
    if (!ok || std::rename(temporary.c_str(), path) != 0) {
        std::remove(temporary.c_str());
        *why = "Le fichier MIDI n'a pas pu \xEAtre \xE9" "crit en entier (disque plein ?).";
        return 0;
    }
    return 1;
}

namespace {

// The kind last chosen in the dialog, offered again the next time: one track a staff at first.
short format_midi = 3;

CString music_text(short group, short line) {
    CString s;
    gr_string("MISC", "MUSIC.RES", group, line, &s);
    return s;
}

}  // namespace

short dialogue_format_midi_106(short* kind) {
    // The dialog's radio buttons work through the run's dialog manager; a program without one
    // gets one for the time of the dialog.
    std::unique_ptr<Dial_res> own;
    if (!gdr) {
        own = std::make_unique<Dial_res>();
        own->create();
        gdr = own.get();
    }
    short ok = 0, ko = 0, chosen = *kind;
    void* table[4] = {&ok, &ko, &chosen, nullptr};
    CDialog* before[Dial_res::kSlots + 1];
    std::copy(gdr->dial, gdr->dial + Dial_res::kSlots + 1, before);
    short accepted = 0;
    if (gdr->ouvrir("MISC", "MUSIC.RES", MIDI_FORMAT_DIALOG, table, 0)) {
        CDialog* d = nullptr;
        for (short s = 1; s <= Dial_res::kSlots && !d; s++)
            if (gdr->dial[s] && gdr->dial[s] != before[s]) d = gdr->dial[s];
        Event ev;
        // Closed another way than by its buttons (or the program ending): as Annuler.
        while (d && !ok && !ko && d->run_modal(&ev)) default_event_handler(d, &ev);
        gdr->fermer(MIDI_FORMAT_DIALOG);
        accepted = ok && !ko && chosen >= 1 && chosen <= 3 ? 1 : 0;
        if (accepted) *kind = chosen;
    }
    if (own) gdr = nullptr;
    return accepted;
}

short (*dialogue_format_midi)(short* kind) = dialogue_format_midi_106;

void exporter_midi() {
    View* v = find_view(0, 0, 0, 0, 0);
    if (!v || !v->get_doc_id() || !v->get_sub_doc_id() || !doc) return;
    if (!dialogue_format_midi(&format_midi)) return;
    set_cur_doc(v->get_doc_id(), v->get_sub_doc_id());
    File_dialog_struct fd;
    fd.prompt.set(music_text(66, 11).get());
    fd.ext[1].set(".MID");
    if (!save_file_dialog(&fd, data_dir ? data_dir : "")) return;
    char path[1024];
    midi_export_path(fd.path.get(), path, sizeof path);
    if (FILE* existing = std::fopen(path, "rb")) {
        std::fclose(existing);
        if (!application->question(music_text(65, 7).get(), music_text(65, 8).get(), music_text(65, 9).get(),
                                   music_text(65, 10).get()))
            return;
    }
    set_cur_doc(v->get_doc_id(), v->get_sub_doc_id());
    const char* why = nullptr;
    if (!exporter_midi_document(doc, path, format_midi, &why)) {
        beep();
        application->warning("L'exportation MIDI a \xE9" "chou\xE9" "e.", why);
    }
}
