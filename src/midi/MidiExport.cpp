#include "midi/MidiExport.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

#include "framework/CApplication.h"
#include "framework/FileDialog.h"
#include "framework/UserInput.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/MusicGlobals.h"
#include "score/Piste.h"
#include "score/Synthe.h"

namespace {

using Bytes = std::vector<unsigned char>;

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

struct Exporter {
    Document* d;
    short kind;
    short staves;
    short columns, last;

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

    // The instrument's set-up at time 0: program and controller values.
    void setup(TrackWriter& w, short k) {
        const Ins& ins = d->ins[k];
        unsigned char status = (unsigned char)((ins.canal - 1) & 0x0F);
        if (ins.patch >= 0) {
            Synthe* syn = get_synthe(ins.synthe);
            int program = ins.patch - (syn ? syn->num_offset : 0);
            unsigned char m[2] = {(unsigned char)(0xC0 | status), (unsigned char)std::clamp(program, 0, 127)};
            w.add(0, m, 2);
        }
        for (int controller : {7, 10, 91, 93, 1})
            if (ins.effet[controller] <= 127) {
                unsigned char m[3] = {(unsigned char)(0xB0 | status), (unsigned char)controller, ins.effet[controller]};
                w.add(0, m, 3);
            }
    }

    // Staff k's part of column m, played from tick T: the events its track holds there.
    void render(TrackWriter& w, short m, short k, int32_t T, bool messages, bool tempos) {
        Piste* t = d->piste[k];
        CMeasure* x = measure(m, k);
        if (!t || !x) return;
        // The last column also takes what ends on or after its bar line (a final note off).
        int32_t start = column_start(m, k), end = m == last ? INT32_MAX : start + x->length;
        const MidiEvent* first = std::lower_bound(&t->event[1], &t->event[t->tot + 1], start,
                                                  [](const MidiEvent& e, int32_t v) { return e.time < v; });
        for (const MidiEvent* p = first; p <= &t->event[t->tot] && p->time < end; p++) {
            const MidiEvent& e = *p;
            int32_t when = T + (e.time - start);
            const unsigned char* b = e.buf;
            if (b[3] == 0xFF) {
                if (!messages || b[0] < 0x80 || b[0] >= 0xF0) continue;
                int length = b[1] == 0xFF ? 1 : b[2] == 0xFF ? 2 : 3;
                w.add(when, b, length);
            } else if (b[0] == 1 && tempos) {
                w.tempo(when, b[1] * 256 + b[2]);
            } else if (b[0] == 2 && b[3] == 0 && messages) {
                // A lyric; score-following markers (fourth byte the note) are never written.
                short n = (short)(b[1] + 256 * b[2]);
                if (!d->tab_lyric || n < 1 || n > d->tot_lyric) continue;
                const char* text = d->tab_lyric + 12 * n;
                w.meta(when, 0x05, (const unsigned char*)text, (int)strnlen(text, 11));
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
        const char* name = kind == 1 ? d->ins[1].nom : t == 1 ? "Tempo" : d->ins[t - 1].nom;
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
        int32_t T = 0;
        int guard = 0;
        for (short m = 1; m <= columns && m <= last && guard++ < 100000;) {
            for (short k = 1; k <= staves; k++) {
                bool sig = (kind != 3 && k == 1) || (kind == 3 && ((t == 1 && k == 1) || t == k + 1));
                if (sig) signatures(w, m, k, T);
                bool rendered = kind == 2 ? k == 1 : kind != 3 || t == 1 || t == k + 1;
                if (!rendered) continue;
                if (m == 1 && kind != 2 && messages) setup(w, k);
                render(w, m, k, T, messages, tempos);
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
    Bytes file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, (unsigned char)(kind == 3 ? 1 : 0)};
    put_be(file, (uint32_t)tracks, 2);
    put_be(file, 480, 2);
    for (short t = 1; t <= tracks; t++) x.track(file, t);
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

void exporter_midi(short kind) {
    if (!doc) return;
    File_dialog_struct fd;
    fd.prompt.set("Exporter un fichier MIDI");
    fd.ext[1].set(".MID");
    if (!save_file_dialog(&fd, "")) return;
    char path[1024];
    midi_export_path(fd.path.get(), path, sizeof path);
    if (FILE* existing = std::fopen(path, "rb")) {
        std::fclose(existing);
        if (!application->question("Ce fichier existe d\xE9j\xE0.", path, "Voulez-vous le remplacer ?")) return;
    }
    const char* why = nullptr;
    if (!exporter_midi_document(doc, path, kind, &why)) {
        beep();
        application->warning("L'exportation MIDI a \xE9" "chou\xE9" "e.", why);
    }
}
