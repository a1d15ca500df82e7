#include "midi/MidiImport.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <vector>

#include "framework/CApplication.h"
#include "framework/UserInput.h"
#include "midi/CMidi.h"
#include "midi/SmfContainer.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/MusicGlobals.h"
#include "score/Piste.h"
#include "score/StructureSlots.h"
#include "score/Synthe.h"

namespace {

const char* last_error = nullptr;

// A score holds at most this many measures and staves; a file that needs more is refused.
constexpr int MAX_MEASURE_SLOTS = 32000;
constexpr short MAX_STAVES = 255;

const char* const TOO_LONG = "Le fichier MIDI est trop long pour une partition.";
const char* const TOO_MANY_STAVES = "Le fichier MIDI demande trop de port\xE9" "es.";

struct Failure {
    const char* why;
};

class Importer {
public:
    Importer(Document* d_, const SmfHeader& h_, int32_t size) : d(d_), h(h_), total_bytes(size) {}

    void read_track(short t, SmfBytes b);
    void finish();
    // A ".kar" file: its text events (not its "@" header lines) are the lyrics.
    bool karaoke = false;
    // Progress of the read, from where `b` stands in the whole file.
    void progress(const SmfBytes& b) {
        if (box && total_bytes > 0) application->do_patience((short)((int64_t)(b.p - base) * 100 / total_bytes));
    }
    const unsigned char* base = nullptr;
    bool box = false;

private:
    Portee* staff(short s) { return d->por[d->sys[1]->por[s]]; }
    CMeasure* measure(short column, short s) { return mesure_maitre(d, column, s); }
    // A new staff with its instrument and track, as many measures long as the others.
    void add_staff();
    // Appends to staff s a new measure of that length, at the column after its last one.
    CMeasure* append_measure(short s, int32_t length);
    void add_column(int32_t length);
    // A free slot of the measure array, searched from after the last one taken (the import
    // only ever takes slots).
    short measure_slot() {
        if (!make_measure_space(d)) return 0;
        for (short i = free_hint; i <= d->max_mes; i++)
            if (!d->mes[i]) {
                d->tot_mes++;
                free_hint = (short)(i + 1);
                return i;
            }
        return nouvelle_mesure(d);
    }
    short free_hint = 1;
    bool put(short s, int32_t time, const unsigned char* bytes, short length);
    // Whether staff s's track takes `events` more events and keeps room for the Note Offs of
    // the notes it holds that still sound (a Note On needs two: itself and its Note Off).
    bool room(short s, int events = 1) const {
        return d->piste[s]->tot + open_notes(s) + events <= PISTE_MAX_EVENTS;
    }
    int open_notes(short s) const { return s < (short)sounding_on.size() ? sounding_on[(size_t)s] : 0; }
    // The staff of the messages of `channel` in the current track, made when first needed.
    short channel_target(short s, int channel, const SmfBytes& b);
    void place_message(short s, int32_t time, const unsigned char* m);
    // Ends, at `time`, every note of the track that was never released.
    void release_all(int32_t time);
    bool anything_sounding() const;
    // Makes the measures up to `time` and moves the current measure to it.
    void advance_to(int32_t time, short s, const SmfBytes& b);
    void time_signature(short s, int nn, int dd);
    void key_signature(short s, int sf, int mi);
    void tempo_change(short s, int32_t time, int32_t us);
    void lyric(short s, int32_t time, const SmfBytes& text);

    Document* d;
    SmfHeader h;
    int32_t total_bytes;
    short channel_staff[16] = {1};
    short staves = 1;
    short measures_created = 1;
    short highest = 1;
    bool tempo_seen = false;
    short lyric_staff = 0;
    // Format 1: the staff of each channel of the current track (0: none yet). The track's
    // first channel plays on the track's staff; each further channel gets a staff of its own,
    // so that it keeps its channel and its instrument.
    short track_channel_staff[16] = {};
    // Per staff, the channel it plays (-1: none yet) and the staff that takes what its full
    // track cannot (0: none yet).
    std::vector<short> staff_channel = std::vector<short>(2, -1);
    std::vector<short> overflow = std::vector<short>(2, 0);
    // The notes sounding in the current track: for each channel and pitch, the staves that
    // hold their Note Ons, first struck first; and per staff, how many.
    std::vector<short> sounding[16][128];
    std::vector<int> sounding_on = std::vector<int>(2, 0);
    // The current track's measure.
    short cur = 1;
    int32_t cur_start = 0, cur_length = 1920;
};

CMeasure* Importer::append_measure(short s, int32_t length) {
    if (d->tot_mes >= MAX_MEASURE_SLOTS) throw Failure{TOO_LONG};
    Portee* p = staff(s);
    if (p->tot_mes >= p->max_mes) {
        Portee* bigger = nouveau_portee((short)(p->tot_mes + 10));
        bigger->tot_mes = p->tot_mes;
        std::memcpy(&bigger->mes[1], &p->mes[1], (size_t)p->tot_mes * sizeof(short));
        std::free(p);
        d->por[d->sys[1]->por[s]] = p = bigger;
    }
    CMeasure* first = measure(1, s);
    short slot = measure_slot();
    if (!slot) throw Failure{TOO_LONG};
    CMeasure* m = d->mes[slot] = new CMeasure;
    m->width = 150;
    m->start_bar = m->end_bar = 1;
    m->x = m->px = 0;
    m->y = m->py = first ? first->y : 0;
    m->length = length;
    m->id = d->next_meas_id++;
    m->change_mes_flags(0x73, 0);
    p->mes[++p->tot_mes] = slot;
    return m;
}

void Importer::add_column(int32_t length) {
    measures_created++;
    for (short s = 1; s <= d->tot_piste; s++) append_measure(s, length);
}

void Importer::add_staff() {
    if (d->tot_piste >= MAX_STAVES) throw Failure{TOO_MANY_STAVES};
    if (!ajouter_piste_portee_midi(&staves, 0)) throw Failure{TOO_MANY_STAVES};
    short s = d->tot_piste;
    staff_channel.resize((size_t)s + 1, -1);
    overflow.resize((size_t)s + 1, 0);
    sounding_on.resize((size_t)s + 1, 0);
    // Its measures follow those of the first staff, with a copy of their opening signatures
    // when the score repeats them on every staff.
    for (short c = 1; c <= measures_created; c++) {
        CMeasure* model = measure(c, 1);
        CMeasure* m = append_measure(s, model->length);
        m->width = model->width;
        m->front = model->front;
        if (!d->entete_mesure_automatique) continue;
        bool time = false, key = false;
        for (short i = 1; i <= model->total(); i++) {
            CDataObject* item = model->get_item(i);
            bool is_time = object_as<CTimeSig>(item) != nullptr, is_key = object_as<CKeySig>(item) != nullptr;
            if ((is_time && !time) || (is_key && !key)) m->add(item->duplicate());
            time = time || is_time;
            key = key || is_key;
        }
    }
}

bool Importer::put(short s, int32_t time, const unsigned char* bytes, short length) {
    Piste* t = d->piste[s];
    short before = t->tot;
    t = d->piste[s] = inserer_dans_piste(time, length, (char*)bytes, t);
    return t->tot > before;
}

short Importer::channel_target(short s, int channel, const SmfBytes& b) {
    if (h.format == 0) {
        short& mapped = channel_staff[channel];
        if (!mapped) {
            progress(b);
            add_staff();
            mapped = d->tot_piste;
        }
        return mapped;
    }
    short& mapped = track_channel_staff[channel];
    if (!mapped) {
        if (staff_channel[(size_t)s] < 0 || staff_channel[(size_t)s] == channel) {
            mapped = s;
        } else {
            progress(b);
            add_staff();
            mapped = d->tot_piste;
            Ins& ins = d->ins[mapped];
            std::memcpy(ins.nom, d->ins[s].nom, sizeof ins.nom);
            std::memcpy(ins.abrege, d->ins[s].abrege, sizeof ins.abrege);
        }
    }
    return mapped;
}

void Importer::place_message(short s, int32_t time, const unsigned char* m) {
    int channel = m[0] & 0x0F;
    short canal = (short)(channel + 1);
    int kind = m[0] & 0xF0;
    bool on = kind == 0x90 && m[2] > 0, off = kind == 0x80 || (kind == 0x90 && m[2] == 0);
    std::vector<short>& held = sounding[channel][m[1] & 0x7F];
    if (off && !held.empty()) {
        // The Note Off ends the earliest note of that pitch still sounding, on its staff
        // (which kept room for it).
        short o = held.front();
        held.erase(held.begin());
        sounding_on[(size_t)o]--;
        put(o, time, m, 3);
        lyric_staff = o;
        return;
    }
    // The staff, or when its track is full the staves that continue it, in order.
    short target = s;
    while (!room(target, on ? 2 : 1)) {
        if (!overflow[(size_t)target]) {
            add_staff();
            overflow[(size_t)target] = d->tot_piste;
        }
        target = overflow[(size_t)target];
    }
    d->ins[target].canal = canal;
    staff_channel[(size_t)target] = (short)channel;
    put(target, time, m, 3);
    lyric_staff = target;
    if (on) {
        held.push_back(target);
        sounding_on[(size_t)target]++;
    }
}

void Importer::release_all(int32_t time) {
    for (int channel = 0; channel < 16; channel++)
        for (int pitch = 0; pitch < 128; pitch++) {
            std::vector<short>& held = sounding[channel][pitch];
            for (short o : held) {
                unsigned char m[3] = {(unsigned char)(0x80 | channel), (unsigned char)pitch, 0};
                put(o, time, m, 3);
                sounding_on[(size_t)o]--;
            }
            held.clear();
        }
}

// Deletes the measure's items of kind T.
template <class T>
void remove_items(CMeasure* m) {
    for (short i = m->total(); i >= 1; i--)
        if (object_as<T>(m->get_item(i))) {
            delete m->get_item(i);
            m->remove(i);
        }
}

void Importer::time_signature(short s, int nn, int dd) {
    static const short denominators[] = {1, 2, 4, 8, 16, 32};
    short denom = dd >= 0 && dd <= 5 ? denominators[dd] : 4;
    short beat = (short)(1920 / denom);
    cur_length = beat * nn;
    CTimeSig* sig = new CTimeSig;
    sig->x = 10;
    sig->upper[1] = (short)nn;
    sig->lower[1] = denom;
    short last = h.format == 1 ? s : d->tot_piste;
    for (short k = 1; k <= last; k++) {
        CMeasure* m = measure(cur, k);
        if (!m) continue;
        if (h.format == 1) remove_items<CTimeSig>(m);
        m->add(k == last ? sig : sig->duplicate());
        m->length = cur_length;
        m->tot_beat = (short)nn;
        m->length_beat = beat;
    }
    if (last < 1) delete sig;
}

void Importer::key_signature(short s, int sf, int mi) {
    CKeySig* key = new CKeySig;
    key->mode = mi == 0 ? 3 : 2;
    key->type = 1;
    key->value = (short)sf;
    key->clef = 1;
    short count = (short)std::abs(sf);
    for (short k = 0; k < count; k++)
        key->add_accidental((short)(k * 6), sf > 0 ? tab_clef_diese[1][k + 1] : tab_clef_bemol[1][k + 1],
                            sf > 0 ? 4 : 2);
    short first = h.format == 1 ? s : 1, last = h.format == 1 ? s : d->tot_piste;
    bool placed = false;
    for (short k = first; k <= last; k++) {
        CMeasure* m = measure(cur, k);
        if (!m) continue;
        // In format 1 the tempo track and the staff's own track often both give the key: the
        // measure keeps one key signature, the last given, as it keeps one time signature.
        if (h.format == 1) remove_items<CKeySig>(m);
        m->add(k == last ? key : key->duplicate());
        placed = placed || k == last;
    }
    if (!placed) delete key;
}

void Importer::tempo_change(short s, int32_t time, int32_t us) {
    // Ticks of real time (a time-code division) keep their own speed; a tempo of 0 is none,
    // but the tempo it stands for is the default one, so that a later change stays later.
    if (h.time_code) return;
    bool first = !tempo_seen;
    tempo_seen = true;
    if (us <= 0) return;
    int32_t bpm = std::clamp<int32_t>((60000000 + us / 2) / us, 1, 32767);  // to the nearest
    if (first) {
        d->tempo = (short)bpm;
        if (application && application->midi) application->midi->tempo = (short)bpm;
        return;
    }
    unsigned char e[4] = {1, (unsigned char)(bpm >> 8), (unsigned char)(bpm & 0xFF), 0};
    for (short k = s; k <= d->tot_piste; k++)
        if (room(k) && put(k, time, e, 4)) return;
}

void Importer::lyric(short s, int32_t time, const SmfBytes& text) {
    if (d->tot_lyric >= LYRIC_MAX) return;
    short n = ++d->tot_lyric;
    char* slot = d->tab_lyric + 12 * n;
    int length = std::min(text.left(), 11);
    std::memcpy(slot, text.p, (size_t)length);
    slot[length] = 0;
    // Sung on the staff that the track played on last, or before it played on the track's.
    short target = lyric_staff ? lyric_staff : s;
    while (!room(target) && overflow[(size_t)target]) target = overflow[(size_t)target];
    if (!room(target)) return;
    unsigned char e[4] = {2, (unsigned char)(n & 0xFF), (unsigned char)(n >> 8), 0};
    put(target, time, e, 4);
}

void Importer::advance_to(int32_t time, short s, const SmfBytes& b) {
    while (cur_start + cur_length <= time) {
        cur++;
        cur_start += cur_length;
        if (cur > measures_created) {
            progress(b);
            add_column(cur_length);
        }
        cur_length = measure(cur, s)->length;
    }
}

bool Importer::anything_sounding() const {
    for (const auto& channel : sounding)
        for (const std::vector<short>& held : channel)
            if (!held.empty()) return true;
    return false;
}

void Importer::read_track(short t, SmfBytes b) {
    int running = 0;
    int64_t tick = 0;
    int32_t time = 0, last_time = 0;
    cur = 1;
    cur_start = 0;
    cur_length = t == 0 ? 1920 : measure(1, 1)->length;
    std::fill(std::begin(track_channel_staff), std::end(track_channel_staff), 0);
    lyric_staff = 0;
    short s = 1;
    if (h.format == 1 && t >= 2) {
        progress(b);
        add_staff();
        s = d->tot_piste;
    }
    while (b.left() > 0) {
        int32_t delta;
        read_var_len(&delta, b);
        if (delta < 0) throw Failure{"Une dur\xE9" "e du fichier MIDI est endommag\xE9" "e."};
        tick += delta;
        time = smf_time(tick, h);
        if (time < 0) throw Failure{TOO_LONG};
        int status = b.byte();
        int type = status == 0xFF ? b.byte() : -1;
        int32_t length = 0;
        if (status == 0xFF || status == 0xF0 || status == 0xF7) {
            read_var_len(&length, b);
            if (length < 0 || length > b.left())
                throw Failure{"Un \xE9v\xE9nement du fichier MIDI d\xE9passe la fin de sa piste."};
        }
        if (type == 0x2F) {
            // Notes never released end with their track, which then lasts as long as they do.
            if (anything_sounding()) {
                advance_to(time, s, b);
                release_all(time);
                last_time = time;
            }
            break;
        }
        advance_to(time, s, b);
        if (status == 0xFF) {
            SmfBytes meta{b.p, b.p + length};
            b.skip(length);
            if (type == 0x58) {
                int nn = meta.byte(), dd = meta.byte();
                if (!meta.past_end && nn > 0) time_signature(s, nn, dd);  // 0 beats: ignored
            } else if (type == 0x59) {
                int sf = (signed char)meta.byte(), mi = meta.byte();
                if (!meta.past_end && sf >= -7 && sf <= 7) key_signature(s, sf, mi);
            } else if (type == 0x51) {
                int32_t us;
                read_24b(&us, meta);
                if (!meta.past_end) tempo_change(s, time, us);
            } else if (type == 0x03) {
                // The track's own staff in format 1 (not one made since for another channel).
                Ins& ins = d->ins[h.format == 1 ? s : d->tot_piste];
                int n = (int)strnlen((const char*)meta.p, (size_t)meta.left());
                int name = std::min(n, 30), shortname = std::min(n, 8);
                std::memcpy(ins.nom, meta.p, (size_t)name);
                ins.nom[name] = 0;
                std::memcpy(ins.abrege, meta.p, (size_t)shortname);
                ins.abrege[shortname] = 0;
            } else if (type == 0x05) {
                lyric(s, time, meta);
            } else if (type == 0x01 && karaoke) {
                // Karaoke text: "@" starts a header line (title, version...); "/" and "\"
                // start a new line or paragraph of the sung text.
                if (meta.left() > 0 && *meta.p == '@') continue;
                if (meta.left() > 0 && (*meta.p == '/' || *meta.p == '\\')) meta.p++;
                lyric(s, time, meta);
            }
        } else if (status == 0xF0 || status == 0xF7) {
            b.skip(length);
        } else {
            unsigned char m[3];
            if (status < 0x80) {
                if (!running)
                    throw Failure{"Le fichier MIDI est endommag\xE9 (donn\xE9" "e sans statut)."};
                m[0] = (unsigned char)running;
                m[1] = (unsigned char)status;
            } else if (status >= 0xF0) {
                throw Failure{"Le fichier MIDI est endommag\xE9 (\xE9v\xE9nement inconnu)."};
            } else {
                running = status;
                m[0] = (unsigned char)status;
                m[1] = (unsigned char)(b.byte() & 0x7F);
            }
            int kind = m[0] & 0xF0;
            m[2] = kind == 0xC0 || kind == 0xD0 ? 0xFF : (unsigned char)(b.byte() & 0x7F);
            if (b.past_end) break;
            place_message(channel_target(s, m[0] & 0x0F, b), time, m);
        }
        last_time = time;
    }
    if (b.past_end) throw Failure{"Une piste du fichier MIDI est tronqu\xE9" "e."};
    // A track cut short without its end: its notes still sounding end with it.
    if (anything_sounding()) release_all(last_time);
    if (cur_start == last_time && cur > 1) cur--;
    highest = std::max(highest, cur);
}

// Takes the opening settings of the track into the instrument and sets its clef.
void instrument_setup(Document* d, short e) {
    Piste* t = d->piste[e];
    Ins& ins = d->ins[e];
    enum { MSB, LSB, VOLUME, PROGRAM, PAN, REVERB, CHORUS, MODULATION, KINDS };
    short taken[KINDS];
    std::fill(taken, taken + KINDS, -1);
    short i = 1;
    while (i <= t->tot) {
        const unsigned char* b = t->event[i].buf;
        if (b[3] != 0xFF) {
            i++;
            continue;
        }
        int kind = b[0] & 0xF0;
        if (kind == 0x90) {
            ins.canal = (short)((b[0] & 0x0F) + 1);
            break;
        }
        int which = -1;
        if (kind == 0xC0) which = PROGRAM;
        if (kind == 0xB0) switch (b[1]) {
            case 0: which = MSB; break;
            case 32: which = LSB; break;
            case 7: which = VOLUME; break;
            case 10: which = PAN; break;
            case 91: which = REVERB; break;
            case 93: which = CHORUS; break;
            case 1: which = MODULATION; break;
            }
        if (which >= 0 && taken[which] < 0) {
            taken[which] = which == PROGRAM ? b[1] : b[2];
            std::memmove(&t->event[i], &t->event[i + 1], (size_t)(t->tot - i) * sizeof(MidiEvent));
            t->tot--;
        } else {
            i++;
        }
    }
    if (taken[PROGRAM] >= 0) {
        short patch = taken[PROGRAM];
        if (Synthe* syn = get_synthe(ins.synthe)) {
            ins.bank = trouver_bank_lsbmsb(syn, taken[LSB], taken[MSB]);
            patch = (short)(patch + syn->num_offset);
            for (short k = 1; k <= syn->tot_instr; k++) {
                const Instrument& in = syn->instr[k];
                if (in.num == patch && in.bank == ins.bank && (ins.canal != 10 || in.groupe == 21)) {
                    ins.groupe = in.groupe;
                    break;
                }
            }
        }
        ins.patch = patch;
    }
    const std::pair<int, int> effects[] = {{VOLUME, 7}, {PAN, 10}, {REVERB, 91}, {CHORUS, 93}, {MODULATION, 1}};
    for (auto [kind, controller] : effects)
        if (taken[kind] >= 0) ins.effet[controller] = (unsigned char)taken[kind];
    ins.autom = 0;
    maj_rel_piste_mesures(e);
    // A staff whose sounding notes lie mostly below middle C reads in the bass clef.
    int notes = 0, low = 0;
    for (short k = 1; k <= t->tot; k++) {
        const unsigned char* b = t->event[k].buf;
        if (b[3] == 0xFF && (b[0] & 0xF0) == 0x90 && b[2] > 0 && b[2] != 0xFF) {
            notes++;
            if (b[1] < 60) low++;
        }
    }
    if (notes && low > notes / 2) {
        CMeasure* first = mesure_maitre(d, 1, e);
        if (!first) return;
        if (e == 1) {
            for (short k = 1; k <= first->total(); k++)
                if (CClef* c = first->get_clef_item(k)) c->id = 2;
        } else {
            CClef* c = new CClef;
            c->id = 2;
            first->insert(c, 1);  // before the signatures, where a clef stands
        }
    }
}

void Importer::finish() {
    for (short s = 1; s <= d->tot_piste; s++) {
        Portee* p = staff(s);
        while (p->tot_mes > highest) {
            short slot = p->mes[p->tot_mes];
            delete d->mes[slot];
            d->mes[slot] = nullptr;
            d->tot_mes--;
            p->mes[p->tot_mes--] = 0;
        }
    }
    maj_param_measures();
    for (short e = 1; e <= d->tot_piste; e++) instrument_setup(d, e);
    // A staff that continues a full one plays on its channel with its sound and settings
    // (its own settings would change the instrument of the channel they share).
    for (short e = 1; e <= d->tot_piste; e++) {
        short o = overflow[(size_t)e];
        if (!o) continue;
        Ins& to = d->ins[o];
        Msg_use* messages = to.buf_msg;
        short use = to.use_msg, count = to.tot_msg;
        to = d->ins[e];
        to.buf_msg = messages;
        to.use_msg = use;
        to.tot_msg = count;
    }
}

}  // namespace

const char* midi_import_error() { return last_error; }

bool is_karaoke(const char* path) {
    size_t n = std::strlen(path);
    return n > 4 && strcasecmp(path + n - 4, ".kar") == 0;
}

void midi_document_name(const char* path, char* out, int out_size) {
    const char* name = path;
    for (const char* c = path; *c; c++)
        if (*c == '/' || *c == '\\') name = c + 1;
    int length = (int)std::strlen(name);
    for (const char* ext : {".mid", ".midi", ".rmi", ".kar"}) {
        int e = (int)std::strlen(ext);
        if (length > e && strcasecmp(name + length - e, ext) == 0) {
            length -= e;
            break;
        }
    }
    length = std::min(length, out_size - 1);
    std::memcpy(out, name, (size_t)length);
    out[length] = 0;
}

short importer_midi(Document* d, const char* path) {
    last_error = nullptr;
    Document* previous = doc;
    doc = d;  // the structure services work on the current document
    std::vector<unsigned char> bytes;
    const char* why = nullptr;
    bool box = false;
    short ok = 0;
    try {
        if (!smf_read_file(path, &bytes, &why)) throw Failure{why};
        SmfBytes all{bytes.data(), bytes.data() + bytes.size()};
        SmfHeader h;
        if (!smf_header(all, &h, &why)) throw Failure{why};
        d->modif = 1;
        d->ins[1].patch = d->ins[1].bank = -1;
        d->ins[1].groupe = 0;
        d->cur_pag = 0;
        char name[256];
        midi_document_name(path, name, sizeof name);
        d->nom->set(name);
        d->path->set("");
        // A file that reads in a moment shows no progress box.
        box = bytes.size() > SMF_PROGRESS_BYTES;
        if (box)
            application->open_patience(0, 0, "Importation d'un fichier MIDI", name,
                                       "Un instant, s'il vous pla\xEEt...");
        std::free(d->tab_lyric);
        d->tab_lyric = (char*)std::calloc(LYRIC_TABLE_BYTES, 1);
        d->tot_lyric = 0;
        // Without a tempo event a file plays at the format's 120 quarter notes a minute.
        d->tempo = SMF_DEFAULT_TEMPO;
        if (application && application->midi) application->midi->tempo = SMF_DEFAULT_TEMPO;
        Importer importer(d, h, (int32_t)bytes.size());
        importer.karaoke = is_karaoke(path);
        importer.base = bytes.data();
        importer.box = box;
        for (short t = 0; t < h.tracks; t++) {
            SmfBytes track;
            if (!smf_track(all, &track, &why)) throw Failure{why};
            importer.read_track(t, track);
        }
        importer.finish();
        ok = 1;
    } catch (const Failure& f) {
        last_error = f.why;
        beep();
        d->modif = 0;
    }
    if (box) application->close_patience();
    doc = previous;
    return ok;
}
