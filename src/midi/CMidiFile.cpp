#include "midi/CMidiFile.h"

#include <string>
#include <vector>

#include "framework/CApplication.h"
#include "framework/CResFile.h"
#include "midi/SmfContainer.h"

CMidiFile::~CMidiFile() { empty(); }

void CMidiFile::empty() {
    name.set("");
    for (short i = 1; i <= pistes.total(); i++) delete get(i);
    pistes.clear();
    tempo = 60;
    numer = 4;
    denom = 4;
    armure = 0;
}

short CMidiFile::send_config(short pcvol) {
    for (short i = 1; i <= total(); i++) get(i)->send_config(pcvol);
    return 1;
}

short CMidiFile::set_cur_pos(int32_t when) {
    for (short i = 1; i <= total(); i++) {
        CPiste* t = get(i);
        t->next = 0;
        for (int32_t e = 1; e <= t->tot; e++)
            if (t->events[e].time >= when) {
                t->next = e;
                break;
            }
    }
    return 1;
}

namespace {

bool too_many(const char** why) {
    *why = "Une piste du fichier MIDI a trop d'\xE9v\xE9nements.";
    return false;
}

// Reads one track chunk into `piste`; false, with the reason, on damage.
bool read_track(SmfBytes& b, const SmfHeader& h, CMidiFile* f, CPiste* piste, bool* tempo_seen,
                const char** why) {
    int running = 0;
    int64_t tick = 0;
    while (b.left() > 0) {
        int32_t delta;
        read_var_len(&delta, b);
        if (delta < 0) break;
        tick += delta;
        int32_t when = smf_time(tick, h);
        if (when < 0) {
            *why = "Le fichier MIDI est trop long.";
            return false;
        }
        int status = b.byte();
        if (status == 0xFF) {
            int type = b.byte();
            int32_t length;
            read_var_len(&length, b);
            if (length < 0 || length > b.left()) break;
            SmfBytes meta{b.p, b.p + length};
            b.skip(length);
            if (type == 0x2F) return true;
            if (type == 0x58) {
                int nn = meta.byte(), dd = meta.byte();
                if (!meta.past_end && nn > 0 && f->numer == MIDIFILE_NONE) {
                    f->numer = (short)nn;
                    f->denom = (short)dd;
                }
            } else if (type == 0x59) {
                int sf = meta.byte();
                if (!meta.past_end && f->armure == MIDIFILE_NONE) f->armure = (signed char)sf;
            } else if (type == 0x51) {
                int32_t us;
                read_24b(&us, meta);
                if (meta.past_end || us <= 0) continue;  // no tempo: the event is ignored
                int32_t bpm = 60000000 / us;
                short t = (short)(bpm > 32767 ? 32767 : bpm < 1 ? 1 : bpm);
                if (!*tempo_seen) {
                    f->tempo = t;
                    *tempo_seen = true;
                } else {
                    char e[4] = {1, (char)(t >> 8), (char)(t & 0xFF), 0};
                    if (!piste->send(when, 4, e)) return too_many(why);
                }
            } else if (type == 0x03) {
                std::string text((const char*)meta.p, (size_t)meta.left());
                piste->name.set(text.c_str());  // up to a zero byte, if any
            }
        } else if (status == 0xF0 || status == 0xF7) {
            int32_t length;
            read_var_len(&length, b);
            if (length < 0 || length > b.left()) break;
            b.skip(length);
        } else {
            int d1;
            if (status < 0x80) {
                if (!running) {
                    *why = "Le fichier MIDI est endommag\xE9 (donn\xE9" "e sans statut).";
                    return false;
                }
                d1 = status;
                status = running;
            } else if (status >= 0xF0) {
                *why = "Le fichier MIDI est endommag\xE9 (\xE9v\xE9nement inconnu).";
                return false;
            } else {
                running = status;
                d1 = b.byte();
            }
            int kind = status & 0xF0;
            int d2 = kind == 0xC0 || kind == 0xD0 ? 0xFF : b.byte() & 0x7F;
            if (b.past_end) break;
            char m[4] = {(char)status, (char)(d1 & 0x7F), (char)d2, (char)0xFF};
            if (!piste->send(when, 3, m)) return too_many(why);
        }
    }
    if (b.past_end || b.left() > 0) {
        *why = "Une piste du fichier MIDI est tronqu\xE9" "e.";
        return false;
    }
    return true;  // a track without its end event still ends with its chunk
}

}  // namespace

short CMidiFile::open(const char* filename) {
    error = nullptr;
    std::vector<unsigned char> bytes;
    const char* why = nullptr;
    if (!smf_read_file(filename, &bytes, &why)) {
        error = why;
        return 0;
    }
    empty();
    tempo = numer = denom = armure = MIDIFILE_NONE;
    name.set(filename);
    SmfBytes b{bytes.data(), bytes.data() + bytes.size()};
    SmfHeader h;
    bool ok = smf_header(b, &h, &why);
    bool large = ok && bytes.size() > SMF_PROGRESS_BYTES;
    if (large) {
        CString title, wait;
        gr_string("MISC", "MUSIC.RES", 66, 14, &title);
        gr_string("MISC", "MUSIC.RES", 66, 15, &wait);
        application->open_patience(0, 0, title.get(), filename, wait.get());
    }
    bool tempo_seen = false;
    for (short e = 0; ok && e < h.tracks; e++) {
        SmfBytes track;
        if (!(ok = smf_track(b, &track, &why))) break;
        if (e != 1 || total() == 0) pistes.add((intptr_t) new CPiste);
        ok = read_track(track, h, this, get(total()), &tempo_seen, &why);
        if (large)
            application->do_patience(
                (short)((int64_t)(b.p - bytes.data()) * 100 / (int64_t)bytes.size()));
    }
    if (large) application->close_patience();
    if (!ok) {
        empty();
        error = why;
        return 0;
    }
    for (short i = 1; i <= total(); i++) get(i)->extract_params();
    return 1;
}
