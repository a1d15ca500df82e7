#include "midi/CStyleFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/CApplication.h"
#include "midi/CMidi.h"
#include "platform/Cp1252.h"
#include "score/CChord.h"
#include "score/DocumentServices.h"
#include "score/MusicGlobals.h"
#include "score/Placeholders.h"
#include "score/Synthe.h"

namespace {

short hundred_percent() { return 100; }

// A window never reaches past this tick, whatever the ".dat" file says.
constexpr int32_t kLastTick = 1 << 30;

}  // namespace

StyleHooks default_style_hooks() {
    StyleHooks h{};
    h.delay_percent = hundred_percent;
    return h;
}
StyleHooks style_hooks = default_style_hooks();

// ---- text files ---------------------------------------------------------------------------

short StyleText::open(const char* path) {
    bytes.clear();
    at = 0;
    FILE* f = path ? std::fopen(path, "rb") : nullptr;
    if (!f) return 0;
    char block[4096];
    size_t n;
    while ((n = std::fread(block, 1, sizeof block, f)) > 0) {
        size_t room = STYLE_MAX_TEXT_BYTES - bytes.size();
        bytes.insert(bytes.end(), block, block + std::min(n, room));
        if (n > room) break;
    }
    std::fclose(f);
    return 1;
}

short StyleText::line(CString* out) {
    if (at >= bytes.size()) return 0;
    size_t end = at;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') end++;
    std::string text(bytes.data() + at, std::min<size_t>(end - at, STYLE_MAX_LINE));
    text = text.c_str();  // up to a zero byte, if any
    out->set(text.c_str());
    at = end;
    if (at < bytes.size() && bytes[at] == '\r') at++;
    if (at < bytes.size() && bytes[at] == '\n') at++;
    return 1;
}

namespace {

// Up to `count` integers of a line, as "%hd" reads them; how many were read.
int read_numbers(const char* text, short* out, int count) {
    int got = 0;
    const char* p = text;
    while (got < count) {
        char* end = nullptr;
        errno = 0;
        long v = std::strtol(p, &end, 10);
        if (end == p) break;
        out[got++] = (short)std::clamp<long>(v, -32768, 32767);
        p = end;
    }
    return got;
}

}  // namespace

short StyleText::number(short* out) {
    CString text;
    if (!line(&text)) return 0;
    return (short)(read_numbers(text.get(), out, 1) == 1);
}

// ---- variations ---------------------------------------------------------------------------

CStyleVariation::~CStyleVariation() {
    chords.clear();
    comment.clear();
    comnum.clear();
}

short CStyleVariation::read_from_file(int32_t* curtime, StyleText* fd) {
    CString values;
    if (!fd->line(&name) || !fd->line(&description) || !fd->line(&values)) return 0;
    short v[4] = {numer, denom, tempo, tot_mes};
    read_numbers(values.get(), v, 4);
    numer = v[0];
    denom = v[1];
    tempo = v[2];
    tot_mes = v[3];
    start_time = *curtime;
    int32_t beat;
    switch (denom) {
        case 1: beat = 1920; break;
        case 2: beat = 960; break;
        case 8: beat = 240; break;
        case 16: beat = 120; break;
        case 32: beat = 60; break;
        default: beat = 480; break;
    }
    // A negative meter or measure count gives an empty window rather than one running back.
    int64_t length = (int64_t)std::max<short>(numer, 0) * std::max<short>(tot_mes, 0) * beat;
    stop_time = (int32_t)std::min<int64_t>(start_time + length, kLastTick);
    *curtime = stop_time;
    tempo = -1;
    return 1;
}

// ---- loading ------------------------------------------------------------------------------

CStyleFile::CStyleFile() {
    uid = 612;
    clear();
}

CStyleFile::~CStyleFile() { clear(); }

void CStyleFile::clear() {
    name.set("");
    description.set("");
    for (short i = 1; i <= variations.total(); i++) delete get_variation(i);
    variations.clear();
    for (auto& map : arrangement)
        for (int i = 0; i < 128; i++) map[i] = (unsigned char)i;
    std::memset(sounding, STYLE_NO_PITCH, sizeof sounding);
    delais.assign(1, 0);
    maxdelai = 0;
}

short CStyleFile::load_from_file(const char* stylename) {
    set_main_dir();
    std::string folder = format_file_name("MISC", "Styles");
    return load_from_folder(folder.empty() ? "Misc/Styles" : folder.c_str(), stylename);
}

short CStyleFile::load_from_folder(const char* folder, const char* stylename) {
    clear();
    // The style's name is the program's text; the file system names it in UTF-8.
    std::string base = std::string(folder) + "/" + platform::cp1252_to_utf8(stylename ? stylename : "");
    if (!open((base + ".mid").c_str())) return 0;
    if (!read_dat((base + ".dat").c_str())) return 0;
    read_cho((base + ".cho").c_str());
    calculer_delais();
    take_tempos();
    take_banks();
    return 1;
}

short CStyleFile::read_dat(const char* path) {
    StyleText fd;
    short count = 0;
    if (!fd.open(path) || !fd.line(&name) || !fd.line(&description) || !fd.number(&count)) {
        clear();
        return 0;
    }
    int32_t curtime = STYLE_FIRST_TICK;
    for (short v = 1; v <= std::min(count, STYLE_MAX_VARIATIONS); v++) {
        auto* var = new CStyleVariation;
        if (!var->read_from_file(&curtime, &fd)) {  // the file ends early: what was read stays
            delete var;
            break;
        }
        variations.add((intptr_t)var);
    }
    return 1;
}

void CStyleFile::read_cho(const char* path) {
    StyleText fd;
    short count = 0;
    if (!fd.open(path) || !fd.number(&count)) return;
    CString heading, text;
    for (short v = 1; v <= count && v <= total_variations(); v++) {
        CStyleVariation* var = get_variation(v);
        short lines = 0;
        if (!fd.line(&heading) || !fd.number(&var->famaccords) || !fd.number(&lines)) return;
        lines = std::min(lines, STYLE_MAX_CHORD_LINES);
        for (short l = 1; l <= lines; l++) {
            if (!fd.line(&text)) return;
            if (text.get()[0] == '*') {
                var->comment.add();
                var->comment.get(var->comment.total())->set(text.get() + 1);
                var->comnum.add(l);
                if (!fd.line(&text)) return;
            }
            var->chords.add();
            var->chords.get(var->chords.total())->set(text.get());
        }
    }
}

void CStyleFile::take_tempos() {
    CPiste* first = get(1);
    short running = 100;
    for (short v = 1; v <= total_variations(); v++) {
        CStyleVariation* var = get_variation(v);
        if (first) {
            int32_t e = 1;
            while (e <= first->tot) {
                MidiEvent& ev = first->events[e];
                bool tempo_event = ev.buf[0] == 1 && ev.buf[3] == 0;
                if (tempo_event && ev.time >= var->start_time && ev.time < var->stop_time) {
                    var->tempo = (short)(ev.buf[1] * 256 + ev.buf[2]);
                    running = var->tempo;
                    first->remove_event(e);
                } else {
                    e++;
                }
            }
        }
        if (var->tempo < 1) var->tempo = running;
    }
}

void CStyleFile::take_banks() {
    Synthe* syn = get_synthe(synthe_port(1));
    if (!syn) return;  // the tracks keep the bank values of the file
    for (short t = 1; t <= total(); t++) {
        CPiste* p = get(t);
        short bank = 0;
        for (short i = 1; i <= syn->tot_instr; i++)
            if (syn->instr[i].num - 1 == p->pg) {
                bank = syn->instr[i].bank;
                break;
            }
        for (short b = 1; b <= syn->tot_banque; b++) {
            const Banque& k = syn->banque[b];
            if (k.id != bank) continue;
            for (int at : {2, 6}) {
                if (k.msg[at] == 0) p->bqm = k.msg[at + 1];
                if (k.msg[at] == 32) p->bql = k.msg[at + 1];
            }
            break;
        }
    }
}

// ---- arranging ----------------------------------------------------------------------------

void CStyleFile::arranger(CChord* chord) {
    if (!chord || chord->get_chord_total() < 1) return;
    short mode[16] = {};
    for (short t = 1; t <= total(); t++) {
        CPiste* p = get(t);
        if (p->extra1 != -1) mode[p->chan & 0x0F] = p->extra1;
    }
    bool tone[128] = {};
    short shift = 0;
    for (short k = 1; k <= chord->get_chord_total(); k++) {
        short pc = (short)((chord->get_chord_note(k) & 0x7F) % 12);
        if (k == 1) shift = pc <= 6 ? pc : (short)(pc - 12);
        for (short p = pc; p < 128; p += 12) tone[p] = true;
    }
    auto nearest = [&](int i) {
        if (tone[i]) return i;
        for (int d = 1; d <= 10; d++) {
            if (i + d <= 127 && tone[i + d]) return i + d;
            if (i - d >= 0 && tone[i - d]) return i - d;
        }
        return i;
    };
    for (int c = 0; c < 16; c++)
        for (int i = 0; i < 128; i++) {
            int t = i + shift;
            int out = i;
            switch (mode[c]) {
                case 1: out = nearest(i); break;
                case 2: out = t >= 0 && t <= 127 ? nearest(t) : STYLE_NO_PITCH; break;
                case 3: out = t >= 0 && t <= 127 ? t : i; break;
                default: break;
            }
            arrangement[c][i] = (unsigned char)out;
        }
}

void CStyleFile::calculer_delais() {
    maxdelai = 0;
    for (short t = 1; t <= total(); t++) maxdelai = std::max(maxdelai, get(t)->extra2);
    const bool scaled = doc != nullptr && application && application->midi;
    const int32_t tempo = scaled ? application->midi->tempo.load() : 100;
    const int32_t percent = style_hooks.delay_percent();
    delais.assign((size_t)total() + 1, 0);
    for (short t = 1; t <= total(); t++) {
        short extra = get(t)->extra2;
        int32_t d = extra >= 0 ? maxdelai - extra : 0;
        if (scaled) d = d * tempo / 100;
        d = d * percent / 100;
        delais[t] = (short)std::clamp<int32_t>(d, -32768, 32767);
    }
    int32_t m = (int32_t)maxdelai * percent / 100;
    if (scaled) m = m * tempo / 100;
    maxdelai = (short)std::clamp<int32_t>(m, -32768, 32767);
}

// ---- playing ------------------------------------------------------------------------------

short CStyleFile::start(CArrayInt* varnum) {
    if (!varnum || varnum->total() < 1) return 0;
    for (short i = 1; i <= varnum->total(); i++) {
        CStyleVariation* var = get_variation(varnum->get(i));
        if (!var) continue;
        set_cur_pos(var->start_time);
        var->next.assign((size_t)total() + 1, 0);
        for (short t = 1; t <= total(); t++) var->next[t] = get(t)->next;
    }
    CStyleVariation* first = get_variation(varnum->get(1));
    return first && first->tempo >= 0 ? first->tempo : 0;
}

void CStyleFile::play_upto(CArrayInt* varnum, int32_t when) {
    CMidi* midi = application ? application->midi : nullptr;
    if (!varnum || !midi) return;
    for (short i = 1; i <= varnum->total(); i++) {
        CStyleVariation* var = get_variation(varnum->get(i));
        if (!var || var->next.size() != (size_t)total() + 1) continue;  // not started
        const int64_t limit = (int64_t)var->start_time + when;
        for (short t = 1; t <= total(); t++) {
            CPiste* p = get(t);
            int32_t& e = var->next[t];
            while (e != 0 && e <= p->tot) {
                MidiEvent* ev = &p->events[e];
                const bool on = is_note_on(ev, -1);
                const bool off = is_note_off(ev, -1);
                const int32_t at = ev->time + (on ? get_delai(t) : 0);
                if ((at == var->stop_time && !off) || ev->time > var->stop_time) break;
                if (at > limit) break;
                e++;
                short len = 0;
                while (len < 4 && ev->buf[len] != 0xFF) len++;
                if (len < 1 || len > 3) continue;  // internal events never go to a port
                char bytes[4] = {(char)ev->buf[0], (char)ev->buf[1], (char)ev->buf[2], 0};
                if (len == 3 && (on || off)) {
                    const int c = ev->buf[0] & 0x0F, pitch = ev->buf[1] & 0x7F;
                    unsigned char played = arrangement[c][pitch];
                    if (off && sounding[c][pitch] != STYLE_NO_PITCH) played = sounding[c][pitch];
                    sounding[c][pitch] = on ? played : STYLE_NO_PITCH;
                    if (played == STYLE_NO_PITCH) continue;
                    bytes[1] = (char)played;
                }
                midi->send(1, 0, len, bytes, 1);
            }
        }
    }
}

void CStyleFile::stop() {
    std::memset(sounding, STYLE_NO_PITCH, sizeof sounding);
    CMidi* midi = application ? application->midi : nullptr;
    if (!midi) return;
    midi->flush_midi_node(1, 0);
    midi->reset_midi_out(1, 1);
}

int32_t CStyleFile::get_length(short varnum) {
    CStyleVariation* var = get_variation(varnum);
    return var ? var->stop_time - var->start_time : 0;
}
