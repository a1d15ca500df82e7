#include "score/Synthe.h"

#include "framework/TextConversion.h"

#include "score/Placeholders.h"

#include <strings.h>

#include <cstdio>
#include <cstring>

namespace {

Synthe* syn_mem[5] = {nullptr};

const char* default_synthe_port(short)
{
    return "GM-1";
}

SynthePortAnswer port_answer = default_synthe_port;

// Keywords and parameter names are read into this much room; a longer word stops the reading.
const int word_room = 50;

bool is_line_end(int c)
{
    return c == '\r' || c == '\n';
}

// Reads one line into out, keeping at most keep characters.
void read_name_line(FILE* f, char* out, int keep)
{
    int n = 0, c;
    while ((c = std::fgetc(f)) != EOF && !is_line_end(c)) {
        if (n < keep)
            out[n++] = static_cast<char>(c);
    }
    out[n] = 0;
}

// Reads up to the stop character (consumed), keeping at most 30 characters; false at the end
// of the file.
bool read_name(FILE* f, char* out, char stop)
{
    int n = 0, c;
    while ((c = std::fgetc(f)) != EOF && c != stop) {
        if (n < 30)
            out[n++] = static_cast<char>(c);
    }
    out[n] = 0;
    return c == stop;
}

// Reads a word up to one of the stop characters (consumed) into room for word_room characters;
// false at the end of the file or for a word that does not fit.
bool read_word(FILE* f, char* out, int first, const char* stops)
{
    int n = 0, c = first;
    for (;;) {
        if (c == EOF)
            return false;
        if (std::strchr(stops, c))
            break;
        if (n >= word_room - 1)
            return false;
        out[n++] = static_cast<char>(c);
        c = std::fgetc(f);
    }
    out[n] = 0;
    return true;
}

template <typename T>
T* grow_list(T* old, short tot, short* max, short step)
{
    if (tot < *max)
        return old;
    *max = static_cast<short>(*max + step);
    T* fresh = new T[*max + 1]();
    std::memcpy(fresh, old, sizeof(T) * (tot + 1));
    delete[] old;
    return fresh;
}

// A list record's named parameter; unknown names end the record.
struct Param {
    const char* name;
    short* value;
    bool hex;
};

// Reads "name=value" parameters separated by commas. The record ends at any other character
// after a value; an unknown name ends it with the character after its "=".
bool read_params(FILE* f, const Param* params, int count)
{
    for (;;) {
        char word[word_room];
        if (!read_word(f, word, std::fgetc(f), "="))
            return false;
        const Param* p = nullptr;
        for (int i = 0; i < count; i++) {
            if (std::strcmp(word, params[i].name) == 0)
                p = &params[i];
        }
        if (!p) {
            std::fgetc(f);
            return true;
        }
        if (p->hex) {
            unsigned short v;
            if (std::fscanf(f, "%hX", &v) == 1)
                *p->value = static_cast<short>(v);
        } else {
            std::fscanf(f, "%hd", p->value);
        }
        if (std::fgetc(f) != ',')
            return true;
    }
}

bool read_hex_byte(FILE* f, unsigned char* out)
{
    unsigned short v;
    if (std::fscanf(f, ",%hX", &v) != 1)
        return false;
    *out = static_cast<unsigned char>(v);
    return true;
}

// Reads one record whose keyword is known; false when the reading must stop.
bool read_record(FILE* f, Synthe* s, const char* kw)
{
    struct Scalar {
        const char* name;
        short* field;
        bool hex;
    } scalars[] = {
        {"midi_in", &s->midi_in, true},           {"midi_out", &s->midi_out, true},
        {"midi_thru", &s->midi_thru, true},       {"midi_in_def", &s->midi_in_def, true},
        {"midi_out_def", &s->midi_out_def, true}, {"midi_thru_def", &s->midi_thru_def, true},
        {"polyphonie", &s->polyphonie, false},    {"multitimbral", &s->multitimbral, false},
        {"numerotation", &s->num_offset, false},
    };
    for (auto& sc : scalars) {
        if (std::strcmp(kw, sc.name) == 0) {
            if (sc.hex) {
                unsigned short v;
                if (std::fscanf(f, "%hX)", &v) == 1)
                    *sc.field = static_cast<short>(v);
            } else {
                std::fscanf(f, "%hd)", sc.field);
            }
            return true;
        }
    }
    if (std::strcmp(kw, "metronome") == 0) {
        std::fscanf(f, "%hd,%hd,%hd,%hd,%hd)", &s->metro_midi, &s->metro_pitch_mes, &s->metro_pitch_bat,
                    &s->metro_velo_mes, &s->metro_velo_bat);
        return true;
    }
    if (std::strcmp(kw, "effet") == 0) {
        s->effet = grow_list(s->effet, s->tot_effet, &s->max_effet, 10);
        Effet& e = s->effet[++s->tot_effet];
        e = Effet{{0}, 91, 128, 0};
        Param p[] = {{"num", &e.num, false}, {"tot", &e.tot, false}, {"def", &e.def, false}};
        return read_name(f, e.nom, ',') && read_params(f, p, 3);
    }
    if (std::strcmp(kw, "groupe") == 0) {
        s->groupe = grow_list(s->groupe, s->tot_groupe, &s->max_groupe, 32);
        Groupe& g = s->groupe[++s->tot_groupe];
        g = Groupe{{0}, 0};
        Param p[] = {{"num", &g.num, false}};
        return read_name(f, g.nom, ',') && read_params(f, p, 1);
    }
    if (std::strcmp(kw, "instrument") == 0) {
        s->instr = grow_list(s->instr, s->tot_instr, &s->max_instr, 64);
        Instrument& in = s->instr[++s->tot_instr];
        in = Instrument{{0}, 1, 0, 1, 0, s->midi_out_def};
        Param p[] = {{"num", &in.num, false},
                     {"bank", &in.bank, false},
                     {"groupe", &in.groupe, false},
                     {"id", &in.id, false},
                     {"canaux", &in.canaux, true}};
        return read_name(f, in.nom, ',') && read_params(f, p, 5);
    }
    if (std::strcmp(kw, "percussion") == 0) {
        s->percu = grow_list(s->percu, s->tot_percu, &s->max_percu, 32);
        Percussion& pc = s->percu[++s->tot_percu];
        pc = Percussion{{0}, 0, 0, 0};
        Param p[] = {{"num", &pc.num, false}, {"note", &pc.note, false}, {"id", &pc.id, false}};
        return read_name(f, pc.nom, ',') && read_params(f, p, 3);
    }
    if (std::strcmp(kw, "message") == 0) {
        s->msg = grow_list(s->msg, s->tot_msg, &s->max_msg, 10);
        Message& m = s->msg[++s->tot_msg];
        m = Message{{0}, {0}, 0};
        short count = 0;
        if (!read_name(f, m.nom, ',') || std::fscanf(f, "%hd", &count) != 1)
            return false;
        for (short i = 0; i < count; i++) {
            unsigned char b;
            if (!read_hex_byte(f, &b))
                return false;
            if (i < 24)
                m.data[i] = b;
        }
        // A template keeps at most the 24 bytes it holds.
        m.tot = count < 0 ? 0 : count > 24 ? 24 : count;
        int c = std::fgetc(f);
        if (c != ')' && c != EOF)
            std::ungetc(c, f);
        return true;
    }
    if (std::strcmp(kw, "banque") == 0) {
        s->banque = grow_list(s->banque, s->tot_banque, &s->max_banque, 10);
        Banque& b = s->banque[++s->tot_banque];
        b.id = 0;
        std::memset(b.msg, 0xFF, sizeof b.msg);
        std::memset(b.nom, 0, sizeof b.nom);
        if (!read_name(f, b.nom, ',') || std::fscanf(f, "%hd", &b.id) != 1)
            return false;
        for (int i = 0; i < 24; i++) {
            int c = std::fgetc(f);
            if (c != ',') {
                if (c != ')' && c != EOF)
                    std::ungetc(c, f);
                return true;
            }
            std::ungetc(c, f);
            if (!read_hex_byte(f, &b.msg[i]))
                return false;
        }
        int c = std::fgetc(f);
        if (c != ')' && c != EOF)
            std::ungetc(c, f);
        return true;
    }
    return false;
}

bool header_ok(const unsigned char* h)
{
    return std::memcmp(h, "D923", 4) == 0 && h[5] == 'T' && std::memcmp(h + 7, "001", 3) == 0;
}

}  // namespace

Synthe* new_synthe(short max_e, short max_i, short max_g, short max_p, short max_m, short max_b)
{
    Synthe* s = new Synthe();
    s->max_effet = max_e;
    s->max_instr = max_i;
    s->max_groupe = max_g;
    s->max_percu = max_p;
    s->max_msg = max_m;
    s->max_banque = max_b;
    s->effet = new Effet[max_e + 1]();
    s->instr = new Instrument[max_i + 1]();
    s->groupe = new Groupe[max_g + 1]();
    s->percu = new Percussion[max_p + 1]();
    s->msg = new Message[max_m + 1]();
    s->banque = new Banque[max_b + 1]();
    s->midi_in = s->midi_out = s->midi_thru = s->midi_in_def = s->midi_out_def = s->midi_thru_def = 1;
    s->polyphonie = s->multitimbral = s->num_offset = s->metro_midi = 1;
    s->metro_pitch_mes = 96;
    s->metro_pitch_bat = 84;
    s->metro_velo_mes = 80;
    s->metro_velo_bat = 64;
    return s;
}

void detruire_synthe(Synthe* s)
{
    if (!s)
        return;
    delete[] s->effet;
    delete[] s->instr;
    delete[] s->groupe;
    delete[] s->percu;
    delete[] s->msg;
    delete[] s->banque;
    delete s;
}

Synthe* open_synthe(const char* name)
{
    if (!name || !name[0])
        return nullptr;
    char file[64];
    std::snprintf(file, sizeof file, "%s.SYN", name);
    set_main_dir();
    std::string path = format_file_name("MISC", "SYN", file);
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return nullptr;
    unsigned char h[12] = {0};
    size_t got = std::fread(h, 1, 12, f);
    if (got == 12 && h[6] == 'M') {
        // A file written on a Macintosh is converted once, then marked as a Windows file.
        std::fclose(f);
        convertir_fichier_mac_win(path.c_str());
        if ((f = std::fopen(path.c_str(), "rb+")) != nullptr) {
            std::fseek(f, 6, SEEK_SET);
            std::fputc('W', f);
            std::fclose(f);
        }
        if (!(f = std::fopen(path.c_str(), "rb")))
            return nullptr;
        got = std::fread(h, 1, 12, f);
    }
    int c;
    while (is_line_end(c = std::fgetc(f))) {
    }
    if (c != EOF)
        std::ungetc(c, f);
    if (got != 12 || !header_ok(h)) {
        std::fclose(f);
        beep();
        call_sup(77);
        return nullptr;
    }
    Synthe* s = new_synthe(10, 100, 30, 30, 10, 20);
    read_name_line(f, s->nom_complet, 30);
    read_name_line(f, s->nom_court, 8);
    read_name_line(f, s->fabricant, 22);
    for (;;) {
        while (is_line_end(c = std::fgetc(f))) {
        }
        if (c < 'a' || c > 'z')
            break;
        char kw[word_room];
        if (!read_word(f, kw, c, "( \t") || !read_record(f, s, kw))
            break;
    }
    std::fclose(f);
    return s;
}

Synthe* get_synthe(const char* s)
{
    if (!s)
        return nullptr;
    char name[10];
    std::snprintf(name, sizeof name, "%s", s);  // a longer name is cut to the field's 9 characters
    if (!(working_mode & 2) && strcasecmp(name, "GM-1") != 0 && strcasecmp(name, "MODELE-1") != 0)
        std::strcpy(name, "GM-1");
    for (short i = 1; i <= 4; i++) {
        if (syn_mem[i] && strcasecmp(syn_mem[i]->nom_court, name) == 0)
            return syn_mem[i];
    }
    for (short i = 1; i <= 4; i++) {
        if (!syn_mem[i])
            return syn_mem[i] = open_synthe(name);
    }
    return nullptr;
}

void liberer_synthes()
{
    for (short i = 1; i <= 4; i++) {
        if (syn_mem[i])
            detruire_synthe(syn_mem[i]);
        syn_mem[i] = nullptr;
    }
}

short trouver_bank_lsbmsb(Synthe* syn, short lsb, short msb)
{
    for (short k = 1; syn && k <= syn->tot_banque; k++) {
        const unsigned char* m = syn->banque[k].msg;
        short l = -1, h = -1;
        for (int i = 0; i <= 20; i++) {
            if (m[i] == 0xB0 && m[i + 1] == 0xFE) {
                if (m[i + 2] == 0x00)
                    h = m[i + 3];
                else if (m[i + 2] == 0x20)
                    l = m[i + 3];
            }
        }
        if (l == lsb && h == msb)
            return syn->banque[k].id;
    }
    return 0;
}

short trouver_index_banque(Synthe* syn, short bank)
{
    for (short k = 1; syn && k <= syn->tot_banque; k++) {
        if (syn->banque[k].id == bank)
            return k;
    }
    return 1;
}

const char* synthe_port(short port)
{
    return port_answer(port);
}

void set_synthe_port(SynthePortAnswer answer)
{
    port_answer = answer ? answer : default_synthe_port;
}
