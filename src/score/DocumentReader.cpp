#include "score/DocumentReader.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>
#include <utility>

#include "framework/CApplication.h"
#include "framework/CFont.h"
#include "framework/CResFile.h"
#include "framework/Startup.h"
#include "score/CLibrary.h"
#include "score/CMeasure.h"
#include "score/Document.h"
#include "score/DocumentServices.h"
#include "score/DocumentWriter.h"
#include "score/Extracts.h"
#include "score/MusicGlobals.h"
#include "score/OldFormats.h"
#include "score/Piste.h"
#include "score/Placeholders.h"
#include "score/ReadReport.h"
#include "score/Records.h"
#include "score/StructureChecks.h"
#include "score/StructureSlots.h"
#include "score/Synthe.h"
#include "score/ValueRanges.h"

namespace {

// Where a number read from the file goes: a 16-bit or a 32-bit field.
struct Target {
    Target(short* p) : s(p) {}
    Target(int32_t* p) : l(p) {}
    short* s = nullptr;
    int32_t* l = nullptr;
};

// The largest count of a list the reader accepts: its capacity (count + 5) must be a 16-bit number.
constexpr short list_max = 32767 - 5;

// One entry of the font table of a version-3 file.
struct OldFont {
    short number;
    std::string name;
};

// What a line that could not be read as a record looks like.
struct MeasureLine {
    bool measure = false;        // it holds a measure record
    bool record_before = false;  // another record stands before the measure's on the line
};

// Tells a damaged measure record from a damaged item: the measure alone has the key "xx", and
// its record begins with the tag "m" and holds the key "nu", so one damaged byte leaves one of
// the two marks.
MeasureLine measure_line(const std::string& line, bool mid_line);

class Reader {
public:
    Reader(Document* doc_, FILE* file, int32_t length_, short version_, bool mac_)
        : d(doc_), f(file), length(length_), version(version_), mac(mac_) {}
    ~Reader() {
        delete kept;
        delete held;
    }

    // Reads everything after the header; false for a file that fails a test, `refusal` then
    // telling why.
    bool read_all();
    std::vector<OldFont> fonts;
    DamageReport damage;
    // The measures read past the count that the header announces: their ids and records.
    struct Added {
        int32_t id;
        short records;
    };
    std::vector<Added> added;
    DocumentRefusal refusal;

private:
    bool structure();
    bool settings();
    bool setting(short code);
    bool staves_and_systems();
    bool extract(short i);
    bool extract_page_setup(Sub_document& s);
    bool instrument(Ins& ins, short k);
    bool messages(Ins& ins);
    bool percussion_map(Ins& ins);
    bool track(short t);
    bool rectangles(Sub_document& s);
    void text_blocks();
    bool optional_records(Sub_document& s);
    bool comment(Sub_document& s);
    bool analysis(Sub_document& s);
    bool libraries();
    bool measures();
    bool items(CMeasure* m);
    void font_table();

    // The record kept from the step before, or the next one; null at the end of the data.
    // Unless `skip_damaged` is off, a record that cannot be read is passed over and counted
    // (an unreadable measure record is answered with an empty measure, so that its items and
    // the measures after it keep their places).
    CObject* next();
    // The next record when it is the setting `code`, consumed; else it stays kept.
    bool take(short code);
    // An optional setting record: read by `read` when it stands next; one that cannot be read
    // is passed over and named in the warning.
    template <class Read>
    void optional(short code, Read read);
    void skip_setting(short code);
    // Moves the file to the start of the first line after the one at `from` that begins a
    // record; false when the file ends first.
    bool resync(long from);
    // Where a record begins after a few stray bytes (no letter, no line end) at `from`; -1
    // when none does.
    long record_after_stray_bytes(long from);
    // True when nothing but blanks is left in the file.
    bool rest_is_blank();
    // Whether the line at `from` looks like the record of a measure.
    MeasureLine line_is_measure(long from);
    // True when a line end or the end of the file comes next.
    bool at_line_end();
    void note_lost();
    // Fills `refusal` from where the reader stopped.
    void classify();
    // Reads the values of a setting record: numbers separated by "," and ended by `end` (0: the
    // byte after the last number is left in the file).
    bool values(std::initializer_list<Target> targets, char end = ')');
    // Reads "n,e1,...,en)" into a new list record of capacity n + 5.
    template <class R>
    R* list(R* (*make)(short));
    void progress();
    void convert(char* s) {
        if (mac) convert_string_mac_win(s);
    }

    Document* d;
    FILE* f;
    int32_t length;
    short version;
    bool mac;
    CObject* kept = nullptr;
    long kept_start = 0;  // where the kept record begins in the file
    CObject* held = nullptr;  // a record that comes after the kept one
    RecordRead last;      // what the last reading of a record met
    int32_t progress_calls = 0;
    bool skip_damaged = true;
    // Where the reader is, for a refusal: the part of the file, which staff, extract...,
    // the record looked for, and whether it was found (its values are then what failed).
    FilePart part = FilePart::structure;
    short index = 0;
    std::string expected;
    bool taken = false;
    short current = 0;             // the measure slot being filled, -1 past the last one
    bool measure_damaged = false;  // the kept measure stands for an unreadable record
};

CObject* Reader::next() {
    if (!kept) std::swap(kept, held);
    while (!kept) {
        kept_start = std::ftell(f);
        kept = read_text_object(f, &last);
        if (kept || !skip_damaged) break;
        if (last.what == RecordRead::end && rest_is_blank()) break;
        if (last.what == RecordRead::end) {
            // Stray bytes before a record on its line cost nothing but themselves.
            long record = record_after_stray_bytes(kept_start);
            if (record >= 0) {
                std::fseek(f, record, SEEK_SET);
                note_lost();
                continue;
            }
        }
        MeasureLine line;
        if (last.what != RecordRead::origine) line = line_is_measure(kept_start);
        bool more = resync(kept_start);
        if (line.measure) {
            // The item that the measure's record was run into is lost with its line.
            if (line.record_before) note_lost();
            kept = new CMeasure;
            measure_damaged = true;
            break;
        }
        if (last.what != RecordRead::origine) note_lost();
        if (!more) {
            last.what = RecordRead::end;
            break;
        }
    }
    return kept;
}

bool Reader::take(short code) {
    expected = setting_keyword(code);
    taken = false;
    CObject* o = next();
    if (!o || o->uid != -code) return false;
    delete o;
    kept = nullptr;
    taken = true;
    return true;
}

template <class Read>
void Reader::optional(short code, Read read) {
    if (take(code) && !read()) skip_setting(code);
}

void Reader::skip_setting(short code) {
    damage.settings_skipped.push_back(setting_keyword(code));
    resync(kept_start);
}

bool Reader::resync(long from) {
    std::fseek(f, from, SEEK_SET);
    long pos = from;  // the position of the byte in c
    auto step = [&] {
        pos++;
        return rec::get(f);
    };
    auto line_end = [](int c) { return c == '\r' || c == '\n'; };
    int c = rec::get(f);
    while (line_end(c)) c = step();
    while (c != EOF && !line_end(c)) c = step();
    for (;;) {
        while (line_end(c)) c = step();
        if (c == EOF) return false;
        long line = pos;
        char tag[100];
        size_t n = 0;
        while (n + 1 < sizeof tag && ((c >= 'a' && c <= 'z') || (n && c >= '0' && c <= '9') ||
                                      (n && c == '_'))) {
            tag[n++] = (char)c;
            c = step();
        }
        tag[n] = 0;
        if (n && c == '(' && is_record_tag(tag)) {
            std::fseek(f, line, SEEK_SET);
            return true;
        }
        while (c != EOF && !line_end(c)) c = step();
    }
}

// True when a record tag followed by "(" begins at the file's position; the file is moved.
bool record_tag_here(FILE* f) {
    char tag[100];
    size_t n = 0;
    int c = rec::get(f);
    while (n + 1 < sizeof tag &&
           ((c >= 'a' && c <= 'z') || (n && c >= '0' && c <= '9') || (n && c == '_'))) {
        tag[n++] = (char)c;
        c = rec::get(f);
    }
    tag[n] = 0;
    return n && c == '(' && is_record_tag(tag);
}

long Reader::record_after_stray_bytes(long from) {
    std::fseek(f, from, SEEK_SET);
    long pos = from;
    int c = rec::get(f);
    for (; c == '\r' || c == '\n'; pos++) c = rec::get(f);
    long start = pos;
    for (; c != EOF && c != '\r' && c != '\n' && (c < 'a' || c > 'z') && pos - start < 16; pos++)
        c = rec::get(f);
    if (pos == start || c < 'a' || c > 'z') return -1;
    std::fseek(f, pos, SEEK_SET);
    return record_tag_here(f) ? pos : -1;
}

bool Reader::rest_is_blank() {
    int c;
    do c = rec::get(f);
    while (c == ' ' || (c >= '\t' && c <= '\r') || c == 0 || c == 0x1A);
    return c == EOF;
}

MeasureLine measure_line(const std::string& line, bool mid_line) {
    auto word_byte = [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'; };
    // A key stands after a byte that is no part of a word ("(" or "," when undamaged).
    auto key = [&](const char* k) {
        size_t n = std::strlen(k);
        for (size_t at = line.find(k); at != std::string::npos; at = line.find(k, at + 1))
            if (at > 0 && !word_byte(line[at - 1]) && at + n < line.size() && line[at + n] == '=')
                return at;
        return std::string::npos;
    };
    MeasureLine out;
    size_t xx = key("xx");
    // The tag "m" at the start of the line or after one stray byte, or "xx=" run into a
    // damaged byte: with the key "nu", the line is a measure's. Bytes left after a record
    // on its own line need the tag whole.
    bool tag = mid_line ? line.find("m(") != std::string::npos
                        : !line.empty() && (line[0] == 'm' ||
                                            (line.size() > 1 && !word_byte(line[0]) && line[1] == 'm') ||
                                            line.find("xx=") != std::string::npos);
    if (xx != std::string::npos && (!mid_line || tag)) {
        // "xx" belongs to the measure alone: one damaged byte spares it or the tag and "nu".
        size_t start = line.rfind("m(", xx);
        if (start == std::string::npos) start = line.rfind('(', xx);
        if (start == std::string::npos) start = 0;
        out.measure = true;
        out.record_before = line.find('(') < start;
    } else if (tag && key("nu") != std::string::npos) {
        out.measure = true;
    }
    return out;
}

MeasureLine Reader::line_is_measure(long from) {
    // Bytes left after a record on its own line are read whole only with a measure's tag.
    bool mid_line = false;
    if (from > 0) {
        std::fseek(f, from - 1, SEEK_SET);
        int before = rec::get(f);
        int first = rec::get(f);
        mid_line = before != '\r' && before != '\n' && first != '\r' && first != '\n';
    }
    std::fseek(f, from, SEEK_SET);
    rec::skip_line_ends(f);
    auto read_line = [&] {
        std::string line;
        for (int c = rec::get(f); c != EOF && c != '\r' && c != '\n' && line.size() < 4096;
             c = rec::get(f))
            line += (char)c;
        return line;
    };
    std::string line = read_line();
    if (line.find(')') == std::string::npos) {
        // A line end put into the record: the rest of it is on the next line, unless a record
        // begins there.
        rec::skip_line_ends(f);
        long next = std::ftell(f);
        if (!record_tag_here(f)) {
            std::fseek(f, next, SEEK_SET);
            line += read_line();
        }
    }
    return measure_line(line, mid_line);
}

bool Reader::at_line_end() {
    int c = rec::get(f);
    rec::unget(c, f);
    return c == '\r' || c == '\n' || c == EOF;
}

void Reader::note_lost() {
    if (part != FilePart::measures)
        damage.lost_elsewhere++;
    else if (current < 0)
        damage.beyond++;
    else
        damage.lose(current);
}

void Reader::classify() {
    refusal.part = part;
    refusal.index = index;
    refusal.expected = expected;
    int c = rec::get(f);
    rec::unget(c, f);
    if (!kept && c == EOF) {
        refusal.why = Refusal::cut_short;  // the file ends inside or before the record
    } else if (taken || (!kept && last.what != RecordRead::end)) {
        refusal.why = Refusal::damaged_record;
    } else if (!kept) {
        refusal.why = Refusal::cut_short;
    } else {
        refusal.why = Refusal::unexpected_record;
        refusal.found = kept->uid < 0 ? setting_keyword((short)-kept->uid) : object_tag(kept->uid);
    }
}

bool Reader::values(std::initializer_list<Target> targets, char end) {
    // Nothing is stored unless every value could be read.
    int32_t read[32];
    size_t n = targets.size();
    if (n > 32) return false;
    for (size_t k = 0; k < n; k++) {
        if (!rec::number(f, &read[k])) return false;
        char separator = k + 1 < n ? ',' : end;
        if (separator && !rec::expect(f, separator)) {
            // The values are all there: a closing parenthesis lost at a line end costs nothing.
            if (separator != ')' || !at_line_end()) return false;
            damage.unclosed++;
        }
    }
    size_t k = 0;
    for (const Target& t : targets) {
        if (t.s)
            *t.s = (short)read[k];
        else
            *t.l = read[k];
        k++;
    }
    return true;
}

template <class R>
R* Reader::list(R* (*make)(short)) {
    short n;
    if (!rec::number16(f, &n) || n < 0 || n > list_max) return nullptr;
    R* r = make((short)(n + 5));
    short* entries = (short*)r + 2;
    for (short k = 1; k <= n; k++) {
        if (!rec::expect(f, ',') || !rec::number16(f, &entries[k])) {
            std::free(r);
            return nullptr;
        }
    }
    if (!rec::expect(f, ')')) {
        if (!at_line_end()) {
            std::free(r);
            return nullptr;
        }
        damage.unclosed++;
    }
    *(short*)r = n;
    return r;
}

void Reader::progress() {
    // The box redraws at most every 100 ms: asking the position of every record is not worth it.
    if (length > 2000 && (++progress_calls & 31) == 1)
        application->do_patience((short)((int64_t)std::ftell(f) * 100 / length));
}

// ---- Structure and settings ----------------------------------------------------------------

bool Reader::structure() {
    short mes, por, sys, sub, lib;
    part = FilePart::structure;
    expected = "structure";
    rec::skip_space(f);
    char word[11];
    size_t got = std::fread(word, 1, 10, f);
    if (got != 10 || std::memcmp(word, "structure(", 10) != 0) {
        // Nothing but a header is a file cut short; anything else is no structure record.
        taken = got > 0;
        last.what = RecordRead::end;
        return false;
    }
    taken = true;
    if (!values({&mes, &por, &sys, &sub, &lib})) return false;
    if (mes < 0 || mes > 32767 - 256 || por < 0 || por > 32767 - 50 || sys < 1 ||
        sys > 32767 - 50 || sub < 1 || sub > 32766 || lib < 0 || lib > 32767 - 32)
        return false;
    allouer_document(d, mes, por, sys, sub, lib);
    return true;
}

// True for the keywords of the settings section.
bool document_setting(short code, short version) {
    switch (code) {
        case SET_ESPACEMENT:
        case SET_TRANSPOSITION:
        case SET_TRANSCRIPTION:
        case SET_QUANTIFICATION:
        case SET_JUSTIFICATION:
        case SET_DIVERS_1:
        case SET_EPAISSEURS:
        case SET_OLIB:
        case SET_OSEQ:
        case SET_OPIA:
        case SET_DIVERS_2:
        case SET_DIVERS_3:
        case SET_DIVERS_4:
        case SET_DIVERS_5:
        case SET_DIVERS_8:
            return true;
        case SET_DIMENSIONS:
        case SET_MARGES_EXTERNES:
        case SET_MARGES_INTERNES:
        case SET_IMPRESSION:
            return version == 3;
        default:
            return false;
    }
}

bool Reader::settings() {
    part = FilePart::settings;
    for (;;) {
        expected = "p";
        taken = false;
        CObject* o = next();
        if (!o) return false;
        if (o->uid == -SET_P) return true;
        // A document without staves has no staff record: its systems or extracts follow.
        if (d->tot_por == 0 && (o->uid == -SET_SYS || o->uid == -SET_PARTITION)) return true;
        short code = (short)-o->uid;
        if (!document_setting(code, version)) return false;
        delete o;
        kept = nullptr;
        if (!setting(code)) skip_setting(code);
    }
}

// Millimetres to points at the page reduction.
short to_points(short mm, short reduction) {
    return (short)((int32_t)mm * 36000 / (reduction * 127));
}

// Keeps a reduction within what the page setup allows, so that no conversion divides by 0.
short checked_reduction(short r) { return r < 5 ? 5 : r > 2500 ? 2500 : r; }

void dimensions_to_points(Sub_document& s) {
    s.reduction = checked_reduction(s.reduction);
    s.mx = to_points(s.mmx, s.reduction);
    s.my = to_points(s.mmy, s.reduction);
}

void margins_to_points(Sub_document& s, bool external) {
    short* pairs[4][2] = {{external ? &s.mme_g : &s.mmi_g, external ? &s.me_g : &s.mi_g},
                          {external ? &s.mme_d : &s.mmi_d, external ? &s.me_d : &s.mi_d},
                          {external ? &s.mme_s : &s.mmi_s, external ? &s.me_s : &s.mi_s},
                          {external ? &s.mme_i : &s.mmi_i, external ? &s.me_i : &s.mi_i}};
    for (auto& p : pairs) *p[1] = to_points(*p[0], s.reduction);
}

// Reads "n,b1,...,bn)" as the printer set-up bytes of s; a Macintosh file's are dropped.
bool read_printer_setup(FILE* f, Sub_document& s, bool mac) {
    short n;
    if (!rec::number16(f, &n) || n < 0) return false;
    std::vector<char> bytes((size_t)n);
    for (short b = 0; b < n; b++) {
        short v;
        if (!rec::expect(f, ',') || !rec::number16(f, &v)) return false;
        bytes[(size_t)b] = (char)v;
    }
    if (!rec::expect(f, ')')) return false;
    std::free(s.printer_setup);
    s.printer_setup = nullptr;
    s.size_printer_setup = 0;
    if (mac || n == 0) return true;
    s.printer_setup = (char*)std::malloc((size_t)n);
    std::memcpy(s.printer_setup, bytes.data(), (size_t)n);
    s.size_printer_setup = n;
    return true;
}

// Reads the eleven fonts of "divers_3": a face name up to ",", then its size and style.
bool read_fonts(FILE* f, Document* d, bool mac) {
    CFont* fonts[11] = {d->nom_font, d->num_font, d->nol_font};
    for (short k = 0; k < 8; k++) fonts[3 + k] = d->cha_font[k];
    char names[11][49];
    short sizes[11], styles[11];
    for (short k = 0; k < 11; k++) {
        if (rec::text_until(f, ",", names[k], sizeof names[k]) != ',') return false;
        if (!rec::number16(f, &sizes[k]) || !rec::expect(f, ',') || !rec::number16(f, &styles[k]))
            return false;
        if (!rec::expect(f, k < 10 ? ',' : ')')) return false;
    }
    // Nothing is changed unless the whole record could be read.
    for (short k = 0; k < 11; k++) {
        if (mac) convert_string_mac_win(names[k]);
        fonts[k]->set_name(names[k]);
        fonts[k]->set_size(sizes[k]);
        fonts[k]->set_style(styles[k]);
    }
    return true;
}

bool Reader::setting(short code) {
    Document& x = *d;
    Sub_document& first = d->sub_doc[1];
    bool v3 = version == 3;
    switch (code) {
        case SET_ESPACEMENT:
            return values({&x.entete_mesure_automatique, &x.dist_entete_1, &x.dist_entete_2,
                           &x.dist_entete_3, &x.dist_entete_4});
        case SET_TRANSPOSITION:
            return values({&x.valeur_intervalle, &x.type_intervalle, &x.sens_intervalle,
                           &x.octave_intervalle});
        case SET_TRANSCRIPTION:
            return values({&x.auto_erase, &x.auto_justi, &x.tot_ligature, &x.auto_transcrire,
                           &x.detect_triolet, &x.auto_quantification, &x.min_quantification,
                           &x.split_sup, &x.split_inf, &x.split_freq_sup, &x.split_freq_inf});
        case SET_QUANTIFICATION:
            return values({&x.quantifier_start, &x.quantifier_duree, &x.quantifier_del,
                           &x.quant_val_start, &x.quant_val_duree, &x.quant_val_del,
                           &x.quant_point_start, &x.quant_point_duree, &x.quant_point_del,
                           &x.quant_triolet_start, &x.quant_triolet_duree, &x.quant_triolet_del});
        case SET_JUSTIFICATION: {
            short unused;
            return values({&x.fact_just, &unused, &x.larg_just_fct, &x.larg_just_auto,
                           &x.local_just, &x.analyse_voix_incompletes});
        }
        case SET_DIVERS_1:
            return values({&x.offset_mesure, &x.position_nom, &x.voir_symboles_invisibles});
        case SET_EPAISSEURS:
            return values({&x.epaisseur_hampes, &x.epaisseur_portees, &x.epaisseur_barres,
                           &x.epaisseur_autres, &x.epaisseur_ligatures, &x.epaisseur_intervalles,
                           &x.epaisseur_extensions});
        case SET_OLIB:
            return values({&x.lib_options});
        case SET_OSEQ:
            return values({&x.mode_vue, &x.contenu_vue_mesures, &x.contenu_vue_pistes,
                           &x.contenu_vue_control, &x.zoom_m, &x.zoom_p});
        case SET_OPIA:
            return values({&x.clavier_horizontal, &x.show_beat, &x.zoom_mr, &x.zoom_nr});
        case SET_DIVERS_2: {
            int32_t* c = x.col;
            bool ok = v3 ? values({&x.voix_visibles, &x.utiliser_couleurs, &c[1], &c[2], &c[3],
                                   &c[4], &c[5], &c[6], &c[7], &c[8], &c[9], &c[10]})
                         : values({&x.voix_visibles, &x.utiliser_couleurs, &c[1], &c[2], &c[3],
                                   &c[4], &c[5], &c[6], &c[7], &c[8], &c[9], &c[10], &c[11], &c[12],
                                   &c[13], &c[14], &c[15], &c[16], &c[17]});
            if (ok && v3) {
                for (short k = 1; k <= 10; k++) c[k] = translate_color((short)c[k]);
                for (short k = 11; k <= 17; k++) c[k] = c[8];
            }
            return ok;
        }
        case SET_DIVERS_3:
            if (v3)
                return values({&x.angle_ligatures, &x.nom_police_old, &x.nom_taille_old,
                               &x.nom_style_old, &x.num_police_old, &x.num_taille_old,
                               &x.num_style_old, &x.nol_police_old, &x.nol_taille_old,
                               &x.nol_style_old, &x.cha_police_old, &x.cha_taille_old,
                               &x.cha_style_old});
            return rec::number16(f, &x.angle_ligatures) && rec::expect(f, ',') &&
                   read_fonts(f, d, mac);
        case SET_DIVERS_4: {
            bool ok =
                values({&x.print_color, &x.contexte_alt_acc, &x.auto_pos_alterations,
                        &x.justi_alt_acc, &x.justi_clef, &x.justi_rapport, &x.ligatures,
                        &x.justi_liga, &x.justi_hampes, &x.justi_dec_voix, &x.justi_symboles});
            // A ratio of 0 would make every justification divide by it.
            if (x.justi_rapport <= 0) x.justi_rapport = 120;
            return ok;
        }
        case SET_DIVERS_5:
            return values(
                {&x.tsig_end, &x.ksig_end, &x.ajuster_nolet_vertical, &x.ligature_silence});
        case SET_DIVERS_8:
            return values({&x.permettre_justi_manuelle, &x.marge_defil_is, &x.auto_clef});
        default:
            break;
    }
    if (!v3) return false;
    // Version 3 keeps the page set-up of every extract in the settings.
    bool ok;
    switch (code) {
        case SET_DIMENSIONS:
            ok = values({&first.mmx, &first.mmy, &first.reduction});
            dimensions_to_points(first);
            break;
        case SET_MARGES_EXTERNES:
            ok = values({&first.mme_g, &first.mme_d, &first.mme_s, &first.mme_i});
            margins_to_points(first, true);
            break;
        case SET_MARGES_INTERNES:
            ok = values({&first.mmi_g, &first.mmi_d, &first.mmi_s, &first.mmi_i});
            margins_to_points(first, false);
            break;
        case SET_IMPRESSION:
            ok = read_printer_setup(f, first, mac);
            break;
        default:
            return false;
    }
    for (short i = 2; i <= d->tot_sub_doc; i++) {
        Sub_document& s = d->sub_doc[i];
        s.reduction = first.reduction;
        s.mmx = first.mmx;
        s.mmy = first.mmy;
        s.mx = first.mx;
        s.my = first.my;
        s.mme_g = first.mme_g, s.mme_d = first.mme_d, s.mme_s = first.mme_s, s.mme_i = first.mme_i;
        s.me_g = first.me_g, s.me_d = first.me_d, s.me_s = first.me_s, s.me_i = first.me_i;
        s.mmi_g = first.mmi_g, s.mmi_d = first.mmi_d, s.mmi_s = first.mmi_s, s.mmi_i = first.mmi_i;
        s.mi_g = first.mi_g, s.mi_d = first.mi_d, s.mi_s = first.mi_s, s.mi_i = first.mi_i;
        std::free(s.printer_setup);
        s.printer_setup = nullptr;
        s.size_printer_setup = first.size_printer_setup;
        if (first.printer_setup) {
            s.printer_setup = (char*)std::malloc((size_t)first.size_printer_setup);
            std::memcpy(s.printer_setup, first.printer_setup, (size_t)first.size_printer_setup);
        }
    }
    return ok;
}

bool Reader::staves_and_systems() {
    part = FilePart::staves;
    for (short s = 1; s <= d->tot_por; s++) {
        index = s;
        if (!take(SET_P) || !(d->por[s] = list(nouveau_portee))) return false;
    }
    progress();
    part = FilePart::systems;
    for (short s = 2; s <= d->tot_sys; s++) {
        index = s;
        if (!take(SET_SYS) || !(d->sys[s] = list(nouveau_systeme_record))) return false;
    }
    return true;
}

// ---- Extracts -----------------------------------------------------------------------------

bool Reader::extract_page_setup(Sub_document& s) {
    if (!take(SET_DIMENSIONS) || !values({&s.mmx, &s.mmy, &s.reduction})) return false;
    dimensions_to_points(s);
    if (!take(SET_MARGES_EXTERNES) || !values({&s.mme_g, &s.mme_d, &s.mme_s, &s.mme_i}))
        return false;
    margins_to_points(s, true);
    if (!take(SET_MARGES_INTERNES) || !values({&s.mmi_g, &s.mmi_d, &s.mmi_s, &s.mmi_i}))
        return false;
    margins_to_points(s, false);
    if (version == 5 &&
        (!take(SET_DIVERS_6) || !values({&s.opti_sys, &s.mes_par_por, &s.sys_par_pag,
                                         &s.reserve_titre, &s.reserve_titre_mm, &s.dist_syst,
                                         &s.repartir_syst, &s.zoom_defil, &s.actif_just})))
        return false;
    return !take(SET_IMPRESSION) || read_printer_setup(f, s, mac);
}

bool Reader::extract(short i) {
    part = FilePart::extract;
    index = i;
    progress();
    Sub_document& s = d->sub_doc[i];
    // From here on the document's extract fields are those of extract i.
    d->cur_sub_doc = i;
    char name[36];
    short n;
    if (!take(SET_PARTITION) || rec::text_until(f, ",", name, sizeof name) != ',') return false;
    convert(name);
    s.nom->set(name);
    if (!values({&n, &d->tot_pag, &d->tempo})) return false;
    if (n < 0 || n > 32767 - 6 || d->tot_pag < 0 || d->tot_pag > list_max) return false;
    short pages = d->tot_pag;
    d->tot_pag = 0;
    if (!take(SET_STATUT) || !values({&d->mise_en_page_ok, &d->tot_ptx, &d->cur_mes, &d->cur_pag,
                                      &d->rec_piste, &s.x, &s.y}))
        return false;
    if (d->tot_ptx < 0 || d->tot_ptx > 32767 - 20) return false;
    if (version >= 4 && !extract_page_setup(s)) return false;
    if (!take(SET_SYS) || !(d->sys[1] = list(nouveau_systeme_record))) return false;
    allouer_pages(d, pages);
    for (short p = 1; p <= pages; p++)
        if (!take(SET_PAGE) || !(d->pag[p] = list(nouveau_page))) return false;
    d->tot_ins = n;
    d->max_ins = (short)(n + 5);
    d->ins = new Ins[d->max_ins + 1]();
    d->tot_piste = n;
    d->max_piste = (short)(n + 5);
    d->piste = new Piste*[d->max_piste + 1]();
    d->max_ptx = (short)(d->tot_ptx + 20);
    d->tot_ptx = 0;
    d->ptx = new CTextBloc*[d->max_ptx + 1]();
    for (short k = 1; k <= n; k++)
        if (!instrument(d->ins[k], k)) return false;
    for (short t = 1; t <= n; t++)
        if (!track(t)) return false;
    if (!rectangles(s)) return false;
    text_blocks();
    if (!optional_records(s)) return false;
    d->cur_por = d->cur_sys = 1;
    d->flag_maj = 0;
    permuter_contexte(d, i);
    return true;
}

// Reads a text of an instrument record up to ",", keeping at most `size` - 1 bytes; returns
// the stop byte, or EOF.
int instrument_text(FILE* f, char* out, size_t size, bool mac) {
    int c = rec::text_until(f, ",", out, size);
    if (mac) convert_string_mac_win(out);
    return c;
}

bool Reader::instrument(Ins& ins, short k) {
    init_var_ins(&ins, k);
    if (!take(SET_I)) return false;
    int c = instrument_text(f, ins.nom, sizeof ins.nom, mac);
    if (c == ',') c = instrument_text(f, ins.abrege, sizeof ins.abrege, mac);
    if (c == ',') c = instrument_text(f, ins.synthe, sizeof ins.synthe, mac);
    const struct {
        const char* key;
        short* field;
    } keys[] = {{"groupe", &ins.groupe},
                {"instr", &ins.patch},
                {"canal", &ins.canal},
                {"vel", &ins.velocity},
                {"mvel", &ins.mode_velo},
                {"bank", &ins.bank},
                {"transpo", &ins.transpo},
                {"port", &ins.port},
                {"relier", &ins.relier},
                {"accol_type", &ins.accol_type},
                {"accol_tot", &ins.accol_tot},
                {"accol_dx", &ins.accol_dx},
                {"num_dx", &ins.num_dx},
                {"num_dy", &ins.num_dy},
                {"num_type", &ins.num_type},
                {"x_nom", &ins.x_nom},
                {"y_nom", &ins.y_nom},
                {"dx", &ins.dx},
                {"dy", &ins.dy},
                {"percu", &ins.percu},
                {"tot_msg", &ins.tot_msg},
                {"use_msg", &ins.use_msg},
                {"duree", &ins.duree},
                {"depart", &ins.depart},
                {"atp", &ins.atp},
                {"atm", &ins.atm},
                {"pb", &ins.pitch_bend},
                {"play", &ins.play},
                {"solo", &ins.solo},
                {"stsi", &ins.staff_size},
                {"ir", &ins.in_roll}};
    while (c == ',') {
        char k[100];
        if (rec::key(f, k, sizeof k) != 1) return false;
        int32_t v;
        bool hex = !std::strcmp(k, "autom") || !std::strcmp(k, "lignes");
        if (!(hex ? rec::hex(f, &v) : rec::number(f, &v))) {
            // A key this reader does not know: its value is skipped.
            char skipped[2];
            c = rec::text_until(f, ",)", skipped, sizeof skipped);
            continue;
        }
        if (!std::strcmp(k, "autom"))
            ins.autom = (short)v;
        else if (!std::strcmp(k, "lignes"))
            ins.lignes = (short)v;
        else if (!std::strcmp(k, "col"))
            ins.color = version == 3 ? translate_color((short)v) : v;
        else if (!std::strncmp(k, "effet_", 6)) {
            char* end;
            long j = std::strtol(k + 6, &end, 10);
            if (*end == 0 && end != k + 6 && j >= 0 && j < 128) ins.effet[j] = (unsigned char)v;
        } else {
            for (const auto& key : keys)
                if (!std::strcmp(k, key.key)) *key.field = (short)v;
        }
        c = rec::get(f);
        if (c == '\r' || c == '\n' || c == EOF) {
            // The pairs are all there: a closing parenthesis lost at a line end costs nothing.
            rec::unget(c, f);
            damage.unclosed++;
            c = ')';
        }
        if (c != ',' && c != ')') return false;
    }
    if (c != ')') return false;
    if (version == 3 && (ins.in_roll & 1)) ins.in_roll = 3;
    rec::skip_space(f);
    if (!messages(ins) || !percussion_map(ins)) return false;
    damage.out_of_range = (short)(damage.out_of_range + bring_into_range(ins, &damage.range_kinds));
    return true;
}

bool Reader::messages(Ins& ins) {
    if (ins.tot_msg <= 0) {
        ins.tot_msg = ins.use_msg = 0;
        return true;
    }
    ins.buf_msg = (Msg_use*)std::calloc((size_t)ins.tot_msg + 1, sizeof(Msg_use));
    for (short m = 1; m <= ins.tot_msg; m++) {
        Msg_use& msg = ins.buf_msg[m];
        if (rec::text_until(f, "(", msg.nom, 31) != '(') return false;
        convert(msg.nom);
        if (!values({&msg.param[0], &msg.param[1], &msg.param[2], &msg.param[3]})) return false;
        rec::skip_space(f);
    }
    return true;
}

bool Reader::percussion_map(Ins& ins) {
    if (!ins.percu) return true;
    expected = "conversion";
    rec::skip_space(f);
    char word[12];
    if (std::fread(word, 1, 11, f) != 11 || std::memcmp(word, "conversion(", 11) != 0) return false;
    for (short k = 0; k < 128; k++) {
        short v;
        if (!rec::number16(f, &v) || !rec::expect(f, k < 127 ? ',' : ')')) return false;
        ins.map[k] = (unsigned char)v;
        if (v < 0 || v > 127) {
            // The map gives MIDI pitches: an entry out of range leaves the pitch as it is.
            ins.map[k] = (unsigned char)k;
            damage.out_of_range++;
            damage.range_kinds |= RANGE_PERCUSSION;
        }
    }
    rec::skip_space(f);
    return true;
}

bool Reader::track(short t) {
    progress();
    short count;
    if (!take(SET_PISTE) || !rec::number16(f, &count) || count < 0 || count > 32767 - 100)
        return false;
    Piste* p = d->piste[t] = creer_piste((short)(count + 100));
    rec::expect(f, ',');
    bool ended = false;
    for (short j = 1; j <= count && !ended; j++) {
        if (j > p->max) return false;  // more events than a track can hold
        int32_t time;
        int after = rec::number_and_next(f, &time);
        if (after != ',') {
            if (after != rec::no_number) rec::unget(after, f);
            break;
        }
        MidiEvent& ev = p->event[j];
        ev.time = time;
        std::memset(ev.buf, 0xFF, sizeof ev.buf);
        p->tot = j;
        for (short b = 0; b < 4; b++) {
            int32_t v;
            int c = rec::hex_and_next(f, &v);
            if (c == rec::no_number) return false;
            ev.buf[b] = (unsigned char)v;
            if (c == ',') {
                c = rec::get(f);
                if (c == '\r' || c == '\n') break;
            } else if ((c == '\r' || c == '\n' || c == EOF) && j == count) {
                // The last event is whole: a closing parenthesis lost at a line end costs nothing.
                rec::unget(c, f);
                damage.unclosed++;
                ended = true;
                break;
            } else if (c != ')') {
                return false;
            }
            if (c == ')') {
                rec::get(f);  // the line end
                ended = true;
                break;
            }
            if (b == 3) return false;  // a fifth byte
            rec::unget(c, f);
        }
    }
    if (!ended) {
        rec::skip_space(f);
        if (!rec::expect(f, ')')) return false;
    }
    rec::skip_line_ends(f);
    return true;
}

bool Reader::rectangles(Sub_document& s) {
    struct {
        short code;
        CRect* r;
    } required[] = {
        {SET_RPAR, &s.rpar}, {SET_RSEQ, &s.rseq}, {SET_RINS, &s.rins}, {SET_RPIA, &s.rpia}};
    for (auto& q : required)
        if (!take(q.code) || !values({&q.r->x1, &q.r->y1, &q.r->x2, &q.r->y2})) return false;
    s.rdef.init(0, 20, SCREEN_WIDTH, SCREEN_HEIGHT);
    if (take(SET_RDEF) && !values({&s.rdef.x1, &s.rdef.y1, &s.rdef.x2, &s.rdef.y2})) return false;
    s.rmain.init(20, 20, 420, 220);
    if (take(SET_RMAIN) && !values({&s.rmain.x1, &s.rmain.y1, &s.rmain.x2, &s.rmain.y2}))
        return false;
    return true;
}

// Version 3 ended the lines of a text with a carriage return alone.
void widen_line_ends(CString* text) {
    std::string wide;
    for (const char* c = text->get(); *c; c++) {
        wide += *c;
        if (*c == '\r') wide += '\n';
    }
    text->set(wide.c_str());
}

void Reader::text_blocks() {
    for (short n = 0; n < 32000; n++) {
        CTextBloc* t = object_as<CTextBloc>(next());
        if (!t) return;
        kept = nullptr;
        // A block attached to a measure does not belong to a page, nor one beyond the room made.
        if (t->type == 2 || d->tot_ptx >= d->max_ptx) {
            delete t;
            continue;
        }
        if (version == 3) widen_line_ends(&t->text);
        convert(t->text.get());
        d->ptx[++d->tot_ptx] = t;
    }
}

bool Reader::comment(Sub_document& s) {
    short n;
    if (!rec::number16(f, &n) || n < 0 || !rec::expect(f, ',')) return false;
    std::vector<char> bytes((size_t)n + 1);
    if (std::fread(bytes.data(), 1, (size_t)n, f) != (size_t)n || !rec::expect(f, ')'))
        return false;
    rec::skip_space(f);
    bytes[(size_t)n] = 0;
    CString text;
    text.set(bytes.data());
    if (version == 3) widen_line_ends(&text);
    convert(text.get());
    std::free(s.s_com);
    s.s_com = (char*)std::malloc((size_t)text.length() + 1);
    std::memcpy(s.s_com, text.get(), (size_t)text.length() + 1);
    return true;
}

bool Reader::analysis(Sub_document& s) {
    short* fields[21] = {&s.acc_por_symboles, &s.acc_por_notes,   &s.acc_concordance,
                         &s.acc_choix1,       &s.acc_choix2,      &s.acc_find_bass,
                         &s.acc_tot_ryt,      &s.acc_dur_ryt,     &s.acc_por_ryt,
                         &s.acc_min_notes,    &s.acc_max_notes,   &s.acc_mask,
                         &s.acc_tes_inf,      &s.acc_tes_sup,     &s.acc_choix_ryt,
                         &s.acc_gen_tot_ryt,  &s.acc_gen_dur_ryt, &s.acc_cel_ryt,
                         &s.acc_gen_max,      &s.acc_min_dist,    &s.acc_gen_leg};
    // Nothing is changed unless the whole record could be read.
    short read[22];
    for (short k = 0; k < 22; k++)
        if (!rec::number16(f, &read[k]) || (k < 21 && !rec::expect(f, ','))) return false;
    short count = read[21];
    if (count < 0) return false;
    std::vector<short> chords;
    for (short k = 1; k <= count; k++) {
        short v;
        if (!rec::expect(f, ',') || !rec::number16(f, &v)) return false;
        chords.push_back(v);
    }
    if (!rec::expect(f, ')')) return false;
    for (short k = 0; k < 21; k++) *fields[k] = read[k];
    s.tab_chord_analyse->clear();
    for (short v : chords) s.tab_chord_analyse->add(v);
    return true;
}

bool Reader::optional_records(Sub_document& s) {
    optional(SET_COM, [&] { return comment(s); });
    optional(SET_CFGI, [&] { return values({&s.config_instru}); });
    optional(SET_DIVERS_7, [&] {
        return values({&s.rmx, &s.rmy, &s.mdecx, &s.mdecy, &s.mmdecx, &s.mmdecy, &s.adjust_horiz});
    });
    optional(SET_ZOOM_SCORE, [&] { return values({&s.zoom_score}); });
    optional(SET_CHPROG, [&] {
        if (s.chprog->read(f)) return true;
        s.chprog->clear();  // no half progression
        return false;
    });
    optional(SET_ANALYSE, [&] { return analysis(s); });
    return true;
}

// ---- Libraries and measures ---------------------------------------------------------------

bool Reader::libraries() {
    // Libraries are named by their place: an unreadable one cannot be passed over.
    part = FilePart::libraries;
    skip_damaged = false;
    for (short k = 1; k <= d->tot_lib; k++) {
        index = k;
        expected = "ryt, mel, acc, the";
        taken = false;
        CObject* o = next();
        if (!o || o->uid < KIND_LIB_RYTHM || o->uid > KIND_LIB_THEME) return false;
        kept = nullptr;
        CLibrary* lib = static_cast<CLibrary*>(o);
        convert(lib->name.get());
        d->lib[k] = lib;
        progress();
    }
    skip_damaged = true;
    return true;
}

bool Reader::measures() {
    part = FilePart::measures;
    damage.declared = d->tot_mes;
    current = 0;  // records before the first measure belong to none
    CObject* first = next();
    if (first && first->uid > KIND_MEASURE && first->uid <= KIND_CHORDUSE) {
        // Items before any measure: the first measure's record was lost; an empty one holds them.
        held = first;
        kept = new CMeasure;
        measure_damaged = true;
    }
    bool more = items(nullptr);
    for (short m = 0;;) {
        if (!more) {
            if (m < d->tot_mes) damage.first_missing = (short)(m + 1);  // the file ends here
            return true;
        }
        // Measures past the count that the header announces get new slots: a damaged count
        // costs nothing, and what no staff lists is told after the checks.
        short slot = m < d->tot_mes ? (short)(m + 1) : nouvelle_mesure(d);
        if (!slot) break;
        m++;
        index = m;
        CMeasure* measure = static_cast<CMeasure*>(kept);
        kept = nullptr;
        current = slot;
        if (measure_damaged) damage.lose(slot);
        measure_damaged = false;
        measure->px = measure->x;
        measure->py = measure->y;
        damage.out_of_range =
            (short)(damage.out_of_range + bring_into_range(measure, &damage.range_kinds));
        d->mes[slot] = measure;
        measure->id = d->next_meas_id++;
        measure->change_mes_flags(0, 2);
        progress();
        more = items(measure);
        if (m > damage.declared) added.push_back({measure->id, (short)(measure->total() + 1)});
        if (version == 3) {
            for (short i = 1; i <= measure->total(); i++) {
                CNolet* t = measure->get_nolet_item(i);
                if (!t) continue;
                t->mask = 0;
                t->mask = measure->next_nolet_mask();
                measure->analyse_nolet_mask(t, 0);
            }
        }
    }
    // Measures for which no slot can be had are counted.
    current = -1;
    while (more) {
        delete kept;
        kept = nullptr;
        measure_damaged = false;
        damage.beyond++;
        more = items(nullptr);
    }
    return true;
}

// Reads the items of a measure up to the next measure; false when no measure follows (the end
// of the data, or the font table of a version-3 file). Without a measure, the records up to
// the next one are passed over and counted as lost.
bool Reader::items(CMeasure* m) {
    for (;;) {
        CObject* o = next();
        if (!o) return false;
        if (o->uid == KIND_MEASURE) return true;
        kept = nullptr;
        if (o->uid == -SET_POLICE) {
            delete o;
            if (version == 3) font_table();
            return false;
        }
        // Only score objects belong among the items: anything else is passed over whole.
        if (!m || o->uid < KIND_MEASURE || o->uid > KIND_CHORDUSE || m->total() >= 32767) {
            if (o->uid < 0) resync(kept_start);
            delete o;
            note_lost();
            continue;
        }
        if (CTextBloc* t = object_as<CTextBloc>(o)) {
            if (version == 3) widen_line_ends(&t->text);
            convert(t->text.get());
        }
        if (CLyrics* l = object_as<CLyrics>(o))
            for (CString& verse : l->text) convert(verse.get());
        CDataObject* item = static_cast<CDataObject*>(o);
        damage.out_of_range =
            (short)(damage.out_of_range + bring_into_range(item, &damage.range_kinds));
        if (m->total() >= m->tab.max_item && m->tab.max_item < 16000)
            m->tab.resize((short)(2 * m->tab.max_item + 8));
        m->add(item);
    }
}

void Reader::font_table() {
    for (short n = 0; n < 20; n++) {
        if (n > 0) {
            char word[8];
            rec::skip_space(f);
            if (std::fread(word, 1, 7, f) != 7 || std::memcmp(word, "police(", 7) != 0) return;
        }
        short number, size;
        if (!rec::number16(f, &number) || !rec::expect(f, ',') || !rec::number16(f, &size) ||
            !rec::expect(f, ',') || number == 0 || size <= 0)
            return;
        std::string name;
        for (short k = 0; k < size; k++) {
            int c = rec::get(f);
            if (c == EOF) return;
            if (name.size() < 49) name += (char)c;
        }
        if (!rec::expect(f, ')')) return;
        rec::skip_space(f);
        fonts.push_back({number, name});
    }
}

bool Reader::read_all() {
    bool ok = structure() && settings();
    if (ok) {
        progress();
        ok = staves_and_systems();
    }
    for (short i = 1; ok && i <= d->tot_sub_doc; i++) ok = extract(i);
    ok = ok && libraries() && measures();
    if (!ok) classify();
    return ok;
}

// ---- After the last record ----------------------------------------------------------------

// The name of the font number in the table, or null.
const char* table_font(const std::vector<OldFont>& fonts, short number) {
    for (const OldFont& font : fonts)
        if (font.number == number) return font.name.c_str();
    return nullptr;
}

void old_font(CFont* font, short number, short size, short style,
              const std::vector<OldFont>& fonts) {
    font->set_name("Times");
    font->set_size(size);
    font->set_style(style);
    const char* name = number < 4 ? translate_font(number) : table_font(fonts, number);
    if (name) font->set_name(name);
}

void apply_font_table(Document* d, const std::vector<OldFont>& fonts) {
    auto rename = [&](CTextBloc* t) {
        short number = (short)std::atoi(t->font.get_name());
        const char* name = number ? table_font(fonts, number) : nullptr;
        if (name) t->font.set_name(name);
    };
    if (!fonts.empty()) {
        for (short i = 1; i <= d->tot_sub_doc; i++) {
            Sub_document& s = d->sub_doc[i];
            for (short b = 1; s.ptx && b <= s.max_ptx; b++)
                if (s.ptx[b]) rename(s.ptx[b]);
        }
        for (short m = 1; m <= d->max_mes; m++)
            for (short k = 1; d->mes[m] && k <= d->mes[m]->total(); k++)
                if (CTextBloc* t = d->mes[m]->get_textbloc_item(k)) rename(t);
    }
    old_font(d->nom_font, d->nom_police_old, d->nom_taille_old, d->nom_style_old, fonts);
    old_font(d->num_font, d->num_police_old, d->num_taille_old, d->num_style_old, fonts);
    old_font(d->nol_font, d->nol_police_old, d->nol_taille_old, d->nol_style_old, fonts);
    for (CFont* font : d->cha_font)
        old_font(font, d->cha_police_old, d->cha_taille_old, d->cha_style_old, fonts);
}

// Empty measures in the slots that the file did not fill; returns their ids, so that what the
// structure checks keep of them can be told afterwards.
std::vector<int32_t> fill_missing_measures(Document* d, short first_missing) {
    std::vector<int32_t> ids;
    for (short m = first_missing; first_missing && m <= d->tot_mes; m++) {
        d->mes[m] = new CMeasure;
        d->mes[m]->id = d->next_meas_id++;
        ids.push_back(d->mes[m]->id);
    }
    return ids;
}

// Counts the empty measures that a staff still lists after the checks, and those let go.
void count_missing_measures(Document* d, short first_missing, const std::vector<int32_t>& ids,
                            DamageReport& damage) {
    for (size_t k = 0; k < ids.size(); k++) {
        CMeasure* m = d->mes[first_missing + k];
        if (m && m->id == ids[k])
            damage.missing_made++;
        else
            damage.missing_dropped++;
    }
}

// Tells how many measures the file held past the announced count, and counts as lost the
// records of those that no staff lists (the checks let them go).
template <class Added>
void count_added_measures(Document* d, const std::vector<Added>& added, DamageReport& damage) {
    damage.added = (short)added.size();
    for (const Added& a : added) {
        bool kept = false;
        for (short m = 1; m <= d->max_mes && !kept; m++) kept = d->mes[m] && d->mes[m]->id == a.id;
        if (!kept) damage.beyond = (short)(damage.beyond + a.records);
    }
}

bool is_port_synthesizer(const char* name) {
    for (short port = 1; port <= 4; port++)
        if (!std::strcmp(name, synthe_port(port))) return true;
    return false;
}

// Group and chord ids numbered from 1 in reading order, distinct across measures.
void renumber_ids(Document* d) {
    d->next_pos_gid = d->next_pos_acid = 1;
    d->next_neg_gid = d->next_neg_acid = -1;
    for (short m = 1; m <= d->tot_mes; m++) {
        CMeasure* measure = d->mes[m];
        if (!measure) continue;
        std::vector<short> groups, chords;
        auto index = [](std::vector<short>& list, short id) {
            for (size_t k = 0; k < list.size(); k++)
                if (list[k] == id) return (short)k;
            list.push_back(id);
            return (short)(list.size() - 1);
        };
        for (short i = 1; i <= measure->total(); i++) {
            CNote* n = measure->get_note_item(i);
            CBeams* b = measure->get_beams_item(i);
            short* gid = n ? &n->gid : b ? &b->gid : nullptr;
            if (gid && *gid) *gid = (short)(d->next_pos_gid + index(groups, *gid));
            if (n && n->cid) n->cid = (short)(d->next_pos_acid + index(chords, n->cid));
        }
        d->next_pos_gid = (short)(d->next_pos_gid + groups.size());
        d->next_pos_acid = (short)(d->next_pos_acid + chords.size());
    }
}

void after_reading(Document* d) {
    permuter_contexte(d, 1);
    for (short i = 1; i <= d->tot_sub_doc; i++) {
        Sub_document& s = d->sub_doc[i];
        for (short k = 1; k <= s.tot_ins; k++)
            if (!is_port_synthesizer(s.ins[k].synthe))
                convertir_instrument(&s.ins[k], synthe_port(1));
    }
    doc = d;
    midi_auto_config();
    verifier_structure_partition(d);
    if (verifier_objets_perdus(d)) nettoyer_objets_perdus(d);
    verifier_librairies(d);
    for (short i = 1; i <= d->tot_sub_doc; i++) {
        permuter_contexte(d, i);
        maj_param_measures();
        for (short t = 1; t <= d->tot_piste; t++) maj_rel_piste_mesures(t);
    }
    permuter_contexte(d, 1);
    renumber_ids(d);
    for (short i = 1; i <= d->tot_sub_doc; i++) d->sub_doc[i].chprog->attach(d, &d->sub_doc[i]);
}

void clamp_current_measures(Document* d) {
    for (short i = 1; i <= d->tot_sub_doc; i++) {
        Sub_document& s = d->sub_doc[i];
        short first = s.sys && s.sys->tot_por >= 1 ? s.sys->por[1] : 0;
        Portee* p = first >= 1 && first <= d->max_por ? d->por[first] : nullptr;
        short count = p ? p->tot_mes : 0;
        if (s.cur_mes > count) s.cur_mes = count;
    }
    d->cur_mes = d->sub_doc[1].cur_mes;
}

void close_progress(int32_t length) {
    if (length > 2000)
        application->close_patience();
    else
        application->set_cursor_arrow();
}

short fail(FILE* f, Document* d, int32_t length) {
    close_progress(length);
    beep();
    call_sup(65);
    std::fclose(f);
    maj_4 = 0;
    d->busy = 0;
    application->do_idle = 1;
    return 0;
}

void cut_at(CString* s, const char* mark) {
    if (char* at = std::strstr(s->get(), mark)) *at = 0;
}

// The header of a score document of the format versions 0 to 5, whatever its version.
bool score_header(const char* header) {
    return !std::strncmp(header, "D927-T", 6) && (header[6] == 'W' || header[6] == 'M') &&
           std::isdigit((unsigned char)header[7]) && std::isdigit((unsigned char)header[8]) &&
           std::isdigit((unsigned char)header[9]) && !std::strcmp(header + 10, "FR");
}

}  // namespace

short ouvrir_document_texte(Document* d, DocumentRefusal* why) {
    DocumentRefusal scratch;
    DocumentRefusal& refusal = why ? *why : scratch;
    refusal = DocumentRefusal();
    FILE* f = std::fopen(d->path->get(), "rb");
    if (!f) {
        refusal.why = Refusal::cannot_open;
        return 0;
    }
    char header[13] = {};
    size_t got = std::fread(header, 1, 12, f);
    d->sans_titre = 0;
    cut_at(d->nom, ".MRC");
    cut_at(d->nom, ".mrc");
    maj_4 = 0;
    char digits[4] = {};
    if (got >= 10) std::memcpy(digits, header + 7, 3);
    short version = 0;
    std::sscanf(digits, "%hd", &version);
    if (version > 5) {
        refusal.why = Refusal::newer_version;
        refusal.version = version;
        beep();
        call_sup(64);
        std::fclose(f);
        return 0;
    }
    if (version == 3) maj_4 = 1;
    if (version == 3 || version == 4) header[9] = '5';
    std::fseek(f, 0, SEEK_END);
    int32_t length = (int32_t)std::ftell(f);
    std::fseek(f, (long)got, SEEK_SET);
    application->do_idle = 0;
    if (std::strncmp(header, "D927-", 5) != 0) {
        char check[8];
        std::snprintf(check, sizeof check, "M%03d", (int)((length ^ check_key) % 1000));
        if (std::strncmp(header, check, 4) != 0) {
            bool check_like = header[0] == 'M' && std::isdigit((unsigned char)header[1]) &&
                              std::isdigit((unsigned char)header[2]) &&
                              std::isdigit((unsigned char)header[3]);
            refusal.why = check_like ? Refusal::check_value : Refusal::not_a_score;
            return fail(f, d, 0);
        }
        d->bcot_format = 1;
        std::memcpy(header, "D927", 4);
    } else {
        d->bcot_format = 0;
    }
    if (std::strcmp(header, "D927-TW005FR") != 0 && std::strcmp(header, "D927-TM005FR") != 0) {
        refusal.why = score_header(header) ? Refusal::old_version : Refusal::not_a_score;
        refusal.version = version;
        return fail(f, d, 0);
    }
    bool mac = header[6] == 'M';
    CString title, line2;
    gr_string("MISC", "MUSIC.RES", 66, 4, &title);
    gr_string("MISC", "MUSIC.RES", 66, 15, &line2);
    d->busy = 1;
    if (length > 2000)
        application->open_patience(0, 0, title.get(), d->nom->get(), line2.get());
    else
        application->set_cursor_wait();

    Reader reader(d, f, length, version, mac);
    if (!reader.read_all()) {
        refusal = reader.refusal;
        return fail(f, d, length);
    }
    if (version == 3) apply_font_table(d, reader.fonts);
    std::fclose(f);
    DamageReport& damage = reader.damage;
    std::vector<int32_t> made = fill_missing_measures(d, damage.first_missing);
    after_reading(d);
    count_missing_measures(d, damage.first_missing, made, damage);
    count_added_measures(d, reader.added, damage);
    if (damage.any()) application->warning(damage_text(damage, d).c_str());
    if (version == 3) d->modif = 1;
    maj_4 = 0;
    d->busy = 0;
    close_progress(length);
    clamp_current_measures(d);
    application->do_idle = 1;
    return 1;
}
