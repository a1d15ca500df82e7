#include "score/CChord.h"

#include <cstring>

#include "platform/FileSystem.h"
#include "score/CChordLibrary.h"
#include "score/MusicClasses.h"
#include "score/MusicGlobals.h"
#include "score/NoteCodes.h"

namespace {

CArrayString* note_lists[2] = {nullptr, nullptr};

// Longest chord-type text compared with the dictionary's names.
constexpr size_t TYPE_TEXT_MAX = 299;

bool is_blank(char c) { return c == ' ' || c == '\t'; }

char* skip_blanks(char* p) {
    while (is_blank(*p)) p++;
    return p;
}

// Whether `name` is, ignoring case, a prefix of `text`.
bool prefix_any_case(const char* name, const char* text) {
    for (; *name; name++, text++)
        if (!*text || platform::fold_case(*name) != platform::fold_case(*text)) return false;
    return true;
}

// Matches a note name at p (respelling it); the number of characters taken, 0 when none.
size_t match_note(char* p, short* note) {
    for (CArrayString* list : note_lists) {
        for (short k = 1; list && k <= 7 && k <= list->total(); k++) {
            const char* name = list->get(k)->get();
            size_t n = std::strlen(name);
            if (n == 0 || !prefix_any_case(name, p)) continue;
            std::memcpy(p, name, n);
            *note = make_note((short)(k - 1), tab_gamme_midi[k - 1]);
            return n;
        }
    }
    return 0;
}

// Reads one accidental at p into the note; the number of characters taken.
size_t read_accidental(const char* p, short* note) {
    short step = (short)(*note >> 8), pitch = (short)(*note & 0xFF);
    if (*p == '#') {
        *note = make_note(step, (short)(pitch + 1));
        return 1;
    }
    if (*p == 'b') {
        *note = *note == 0 ? make_note(7, 11) : make_note(step, (short)(pitch - 1));
        return 1;
    }
    return 0;
}

struct Suffix {
    const char* text;
    bool any_case;
    short interval;
    char marks;               // 't' third, 'f' fifth
    const char* respelling;   // written over the first characters, or null
};

const Suffix kSuffixes[] = {
    {"2", false, 258, 0, nullptr},      {"#2", false, 259, 0, nullptr},
    {"b2", false, 257, 0, nullptr},     {"#3", false, 517, 't', nullptr},
    {"min", false, 515, 't', nullptr},  {"m", false, 515, 't', nullptr},
    {"3", false, 516, 't', nullptr},    {"Maj7", true, 1547, 0, "Maj"},
    {"Maj", false, 516, 't', nullptr},  {"b3", false, 515, 't', nullptr},
    {"b4", false, 772, 0, nullptr},     {"sus4", true, 773, 0, "sus"},
    {"sus", true, 773, 0, "sus"},       {"#4", false, 774, 0, nullptr},
    {"4", false, 773, 0, nullptr},      {"b5", false, 1030, 'f', nullptr},
    {"#5", false, 1032, 'f', nullptr},  {"5", false, 1031, 'f', nullptr},
    {"6", false, 1289, 0, nullptr},     {"b6", false, 1288, 0, nullptr},
    {"#6", false, 1290, 0, nullptr},    {"7", false, 1546, 0, nullptr},
    {"dim7", true, 1545, 0, "dim"},     {"9", true, 2062, 0, nullptr},
    {"#9", true, 2063, 0, nullptr},     {"b9", true, 2061, 0, nullptr},
    {"11", true, 2577, 0, nullptr},     {"#11", true, 2578, 0, nullptr},
    {"b11", true, 2576, 0, nullptr},    {"13", true, 3093, 0, nullptr},
    {"#13", true, 3094, 0, nullptr},    {"b13", true, 3092, 0, nullptr},
};

bool suffix_matches(const Suffix& s, const char* p) {
    if (s.any_case) return prefix_any_case(s.text, p);
    return std::strncmp(s.text, p, std::strlen(s.text)) == 0;
}

// The chord built from the suffixes of the name (the root first), sorted by pitch.
short suffix_route(char* text, CArrayInt* def, short* root, short* bass, short* id) {
    *id = 0;
    *bass = -1;
    def->clear();
    def->add(0);
    char* p = text;
    size_t n = match_note(p, root);
    if (!n) return 0;
    p += n;
    p += read_accidental(p, root);
    p = skip_blanks(p);
    bool third = false, fifth = false;
    while (*p && *p != '/') {
        if (is_blank(*p) || *p == '(' || *p == ')') {
            p++;
            continue;
        }
        const Suffix* found = nullptr;
        for (const Suffix& s : kSuffixes)
            if (suffix_matches(s, p)) {
                found = &s;
                break;
            }
        if (!found) return 0;
        if (found->respelling) std::memcpy(p, found->respelling, std::strlen(found->respelling));
        def->add(found->interval);
        third = third || found->marks == 't';
        fifth = fifth || found->marks == 'f';
        p += std::strlen(found->text);
    }
    if (!third) def->add(516);
    if (!fifth) def->add(1031);
    if (*p == '/') {
        p = skip_blanks(p + 1);
        short b;
        if ((n = match_note(p, &b)) != 0) {
            p = skip_blanks(p + n);
            read_accidental(p, &b);
            *bass = b;
        }
    }
    for (short i = 1; i < def->total(); i++)
        for (short j = (short)(i + 1); j <= def->total(); j++)
            if ((def->get(j) & 0x7F) < (def->get(i) & 0x7F)) {
                short t = def->get(i);
                def->set(def->get(j), i);
                def->set(t, j);
            }
    return 1;
}

void copy_list(CArrayInt* to, CArrayInt* from) {
    to->clear();
    for (short i = 1; from && i <= from->total(); i++) to->add(from->get(i));
}

void copy_strings(CArrayString* to, CArrayString* from) {
    to->clear();
    for (short i = 1; i <= from->total(); i++) {
        to->add();
        to->get(to->total())->set(from->get(i)->get());
    }
}

}  // namespace

void set_chord_note_lists(CArrayString* first, CArrayString* second) {
    note_lists[0] = first;
    note_lists[1] = second;
}

short extract_chord_parameters(char* text, short* root, short* bass, short* id) {
    *root = -1;
    char* p = text;
    size_t n = match_note(p, root);
    if (!n) return 0;
    p += n;
    p += read_accidental(p, root);
    p = skip_blanks(p);
    *id = 1;
    size_t rest = std::strlen(p);
    if (rest > TYPE_TEXT_MAX) return 0;
    for (short i = 1; chord_library && i <= chord_library->total(); i++) {
        const char* name = chord_library->get_name_index(i);
        size_t len = std::strlen(name);
        if (len > rest || !prefix_any_case(name, p)) continue;
        std::memcpy(p, name, len);
        *id = chord_library->get_id(i);
        char* after = skip_blanks(p + len);
        if (*after == 0 || *after == '/') {
            p = after;
            break;
        }
    }
    p = skip_blanks(p);
    if (*p == 0) {
        *bass = -1;
        return 1;
    }
    if (*p != '/') return 0;
    p = skip_blanks(p + 1);
    short b;
    if ((n = match_note(p, &b)) == 0) return 0;
    p = skip_blanks(p + n);
    p = skip_blanks(p + read_accidental(p, &b));
    if (*p) return 0;
    *bass = b;
    return 1;
}

short name_to_chord(char* text, CArrayInt* def, short* root, short* bass, short* id) {
    if (extract_chord_parameters(text, root, bass, id)) {
        // Without a dictionary type of that identifier (a bare root and no type 1) the
        // suffixes decide.
        CArrayInt* table = chord_library ? chord_library->get_table_id(*id) : nullptr;
        if (table) {
            copy_list(def, table);
            return 1;
        }
    }
    return suffix_route(text, def, root, bass, id);
}

short transposer_note(short note, short steps, short semitones, short* octave, short wrap) {
    short step = (short)((note >> 8) + steps);
    short pitch = (short)((note & 0xFF) + semitones);
    while (step < 0) {
        pitch = (short)(pitch + 12);
        step = (short)(step + 7);
        if (octave) (*octave)--;
    }
    while (wrap && step >= 7) {
        pitch = (short)(pitch - 12);
        step = (short)(step - 7);
        if (octave) (*octave)++;
    }
    if (octave && *octave < 0) *octave = 0;
    return make_note(step, pitch);
}

// ---- CChord -------------------------------------------------------------------------------

CChord::CChord() {
    uid = 601;
    build_scale();
    compute_chord();
    if (chord_library && chord_library->get_name_id(1)) {
        chord_id = 1;
        copy_list(&chord_def, chord_library->get_table_id(1));
        chord_to_name(&chord_def, 0, -1, &chord_name, 1);
    }
    build_chord();
}

void CChord::build_scale() {
    scale.clear();
    scale_flags.clear();
    if (!scale_table || !scale_names || type < 1 || type > scale_names->total()) return;
    CArrayInt* t = scale_table[type];
    short base = make_note((short)(octave * 7), (short)(octave * 12));
    for (short i = 1; t && i <= t->total() / 2; i++) {
        scale.add((short)((t->get((short)(2 * i - 1)) + base + tonic) & 0x7F7F));
        scale_flags.add(t->get((short)(2 * i)));
    }
}

void CChord::compute_chord() {
    chord.clear();
    short n = scale.total();
    CArrayInt* shape = scale_chord_table && scale_chord_names && sid >= 1 &&
                               sid <= scale_chord_names->total()
                           ? scale_chord_table[sid]
                           : nullptr;
    for (short k = 1; n && shape && k <= shape->total(); k++) {
        int d = shape->get(k) + degree;
        int index = ((d - 1) % n + n) % n + 1;
        int note = scale.get((short)index);
        for (; d > n; d -= n) note += NOTE_CODE_OCTAVE;
        chord.add((short)(note & 0x7F7F));
    }
    for (short i = 0; i < inversion && chord.total(); i++)
        chord.add((short)(chord.remove(1) + NOTE_CODE_OCTAVE));
    for (short i = 1; i <= links.total(); i++) {
        CRealizedChord* r = (CRealizedChord*)links.get(i);
        if (r->source) r->realize(r->source);
        else r->notes.clear();
    }
}

void CChord::build_chord() {
    chord.clear();
    short base = make_note((short)(octave * 7), (short)(octave * 12));
    if (alt_bass != -1) {
        short bass = (short)(base + alt_bass);
        short root = (short)(base + base_note + chord_def.get(1));
        if ((bass & 0x7F) < (root & 0x7F)) {
            chord.add(bass);
        } else if (octave >= 1) {
            chord.add((short)(bass - NOTE_CODE_OCTAVE));
        } else {
            chord.add(bass);
            base = (short)(base + NOTE_CODE_OCTAVE);
        }
    }
    for (short i = 1; i <= chord_def.total(); i++)
        chord.add((short)(base + base_note + chord_def.get(i)));
}

void CChord::rename() { chord_to_name(&chord_def, base_note, alt_bass, &chord_name, chord_id); }

short CChord::set_chord_name(char* text) {
    // The document stores names up to a comma and reads at most CHORD_NAME_MAX characters.
    if (!text || std::strchr(text, ',') || std::strlen(text) > (size_t)CHORD_NAME_MAX) return 0;
    CArrayInt def;
    short root, bass, id;
    if (!name_to_chord(text, &def, &root, &bass, &id)) return 0;
    chord_name.set(text);
    copy_list(&chord_def, &def);
    alt_bass = bass;
    base_note = root;
    chord_id = id;
    build_chord();
    return 1;
}

short CChord::get_chord_name(CString* out) {
    out->set(chord_name.get());
    return 1;
}

void CChord::set_chord_id(short id) {
    if (!chord_library || !chord_library->get_name_id(id)) return;
    chord_id = id;
    if (id == 0) return;
    copy_list(&chord_def, chord_library->get_table_id(id));
    rename();
    build_chord();
}

void CChord::set_base_note(short n) {
    base_note = (short)(n & 0x7F7F);
    rename();
    build_chord();
}

void CChord::set_alt_bass(short n) {
    alt_bass = n;
    rename();
    build_chord();
}

short CChord::get_scale_note(short i) {
    short n = scale.total();
    if (n == 0 || i < 1) return 0;
    int note = scale.get((short)((i - 1) % n + 1)) + (i - 1) / n * NOTE_CODE_OCTAVE;
    return (short)(note & 0x7F7F);
}

void CChord::set_tonic(short n) {
    tonic = (short)(n & 0x7F7F);
    build_scale();
    compute_chord();
}

void CChord::set_type(short t) {
    if (!scale_names || t < 1 || t > scale_names->total()) return;
    type = t;
    build_scale();
    compute_chord();
}

void CChord::set_octave(short o) {
    if (o < 0 || o > 10) return;
    octave = o;
    build_scale();
    compute_chord();
}

void CChord::transpose(short steps, short semitones) {
    tonic = transposer_note(tonic, steps, semitones, &octave, 1);
    for (short i = 1; i <= scale.total(); i++)
        scale.set(transposer_note(scale.get(i), steps, semitones, nullptr, 0), i);
    if (alt_bass != -1) alt_bass = transposer_note(alt_bass, steps, semitones, nullptr, 0);
    base_note = transposer_note(base_note, steps, semitones, nullptr, 0);
    for (short i = 1; i <= chord.total(); i++)
        chord.set(transposer_note(chord.get(i), steps, semitones, nullptr, 0), i);
    rename();
}

CChord* CChord::duplicate() {
    CChord* c = new CChord;
    c->tonic = tonic;
    c->type = type;
    c->octave = octave;
    copy_list(&c->scale, &scale);
    copy_list(&c->scale_flags, &scale_flags);
    c->degree = degree;
    c->inversion = inversion;
    c->sid = sid;
    copy_list(&c->chord_def, &chord_def);
    c->chord_name.set(chord_name.get());
    c->chord_id = chord_id;
    c->alt_bass = alt_bass;
    c->base_note = base_note;
    copy_list(&c->chord, &chord);
    c->links.clear();
    for (short i = 1; i <= links.total(); i++) c->links.add(links.get(i));
    copy_strings(&c->ana_chord_names, &ana_chord_names);
    copy_list(&c->ana_chord_fact, &ana_chord_fact);
    c->ana_chord_index = ana_chord_index;
    c->ana_id = ana_id;
    c->ana_por_gen = ana_por_gen;
    copy_list(&c->ana_local_tonic, &ana_local_tonic);
    copy_list(&c->ana_local_type, &ana_local_type);
    c->ana_local_index = ana_local_index;
    copy_list(&c->ana_global_tonic, &ana_global_tonic);
    copy_list(&c->ana_global_type, &ana_global_type);
    c->ana_global_index = ana_global_index;
    c->ana_global_choice = ana_global_choice;
    c->ana_total_choice = ana_total_choice;
    c->ana_notes_communes = ana_notes_communes;
    return c;
}

// ---- CRealizedChord -----------------------------------------------------------------------

short CRealizedChord::realize(CChord* c) {
    notes.clear();
    // Candidate k of a voice's mask is note k + 1 of the chord; as many as the chord's scale
    // has notes, 16 at most.
    short candidates = c->get_scale_total() < 16 ? c->get_scale_total() : 16;
    for (short v = 1; v <= min.total(); v++) {
        for (short k = 0; k < candidates && k < c->get_chord_total(); k++) {
            if (!(flags.get(v) & (1 << k))) continue;
            short moved = apply_note_range(c->get_chord_note((short)(k + 1)), min.get(v), max.get(v));
            if (moved != -1) {
                notes.add(moved);
                break;
            }
        }
    }
    return 1;
}
