// The records of the composition-library elements: the element's name, its pairs, and its
// counted list of numbers: "the(name,key=value,...,tot=n,v1,v2,...)".
#include <array>
#include <cstring>

#include "score/CLibrary.h"
#include "score/DocumentServices.h"
#include "score/Placeholders.h"
#include "score/Records.h"

namespace {

constexpr size_t name_buffer = 52;  // a name keeps at most 51 bytes

// The frame pairs that every library element writes at the same place.
void frame_fields(CLibrary& l, FieldRef* out) {
    out[0] = field("x", &l.x, 0);
    out[1] = field("y", &l.y, 0);
    out[2] = field("x1", &l.x1, 0);
    out[3] = field("y1", &l.y1, 0);
    out[4] = field("x2", &l.x2, 0);
    out[5] = field("y2", &l.y2, 0);
}

// The arranging options of a theme or a melody.
template <class Lib>
void option_fields(Lib& l, FieldRef* out) {
    out[0] = field("op1", &l.range, 32512);
    out[1] = field("op2", &l.split, 32512);
    out[2] = field("op3", &l.arrange_level, 25600);
    out[3] = field("op4", &l.overflow, 0);
}

// The class's numbers per entry of `par`: 1 to 3 by class and type.
short numbers_per_entry(CLibrary& l) {
    switch (l.uid) {
        case KIND_LIB_THEME:
        case KIND_LIB_CHORD:
            return l.type == 1 ? 3 : 2;
        case KIND_LIB_RYTHM:
            return l.type == 1 ? 1 : 2;
        default:
            return 2;
    }
}

// Adds 0x4000 to a number whose bits 8 to 14 are all clear: the theme's second number of each
// group of three and the melody's first of each pair, in type 1.
short convert_number(CLibrary& l, int32_t index, short v) {
    if (l.type != 1 || (v & 0x7F00) != 0) return v;
    bool theme = l.uid == KIND_LIB_THEME && index % 3 == 1;
    bool melody = l.uid == KIND_LIB_MELODY && index % 2 == 0;
    return theme || melody ? (short)(v + 0x4000) : v;
}

short refuse() {
    beep();
    call_sup(66);
    return 0;
}

// Reads the counted list after "tot=": the count, then its numbers, each after a ",".
bool read_numbers(FILE* f, CLibrary& l) {
    if (!rec::number16(f, &l.tot_par) || l.tot_par < 0) return false;
    int32_t n = (int32_t)l.tot_par * numbers_per_entry(l);
    if (n > 32767) return false;
    if (l.uid == KIND_LIB_RYTHM) l.par.clear();
    for (int32_t i = 0; i < n; i++) {
        short v;
        if (!rec::expect(f, ',') || !rec::number16(f, &v)) return false;
        l.par.add(convert_number(l, i, v));
    }
    return true;
}

// Reads a library record after its "(": the name, then the pairs of the table and "tot".
template <size_t N>
short read_library(FILE* f, CLibrary& l, std::array<FieldRef, N> fields) {
    char name[name_buffer];
    rec::text_until(f, ",", name, sizeof name);
    l.name.set(name);
    char k[100];
    for (;;) {
        int r = rec::key(f, k, sizeof k);
        if (r == 0) return 1;
        if (r < 0) return refuse();
        int32_t v;
        if (!std::strcmp(k, "tot")) {
            if (!read_numbers(f, l)) return refuse();
        } else if (!rec::number(f, &v) || !store_field(fields.data(), N, k, v)) {
            return refuse();
        }
        r = rec::after_value(f);
        if (r == 0) return 1;
        if (r < 0) return refuse();
    }
}

template <size_t N>
short write_library(FILE* f, const char* tag, CLibrary& l, std::array<FieldRef, N> fields) {
    RecordOut out(f, tag);
    rec::put_clean(f, l.name.get(), ",", name_buffer - 1);
    out.first = false;
    write_fields(out, fields.data(), N);
    out.pair("tot", l.tot_par);
    int32_t n = (int32_t)l.tot_par * numbers_per_entry(l);
    for (int32_t i = 1; i <= n; i++) {
        rec::put(f, ',');
        rec::put_int(f, l.par.get((short)i));
    }
    out.end();
    return 1;
}

// Each table: "t" first, the class's pairs, the frame where it stands, then the options.
std::array<FieldRef, 17> theme_fields(CLibTheme& l) {
    std::array<FieldRef, 17> t = {field("t", &l.type, 1),         field("l", &l.limit, 3),
                                  field("rn", &l.repeat_note, 0), field("f", &l.flags, 0),
                                  field("fm", &l.multiply, 1),    field("fd", &l.divide, 1),
                                  field("fr", &l.repeat, 0)};
    frame_fields(l, &t[7]);
    option_fields(l, &t[13]);
    return t;
}

std::array<FieldRef, 11> chord_fields(CLibChord& l) {
    std::array<FieldRef, 11> t = {field("t", &l.type, 1), field("d", &l.rythm, 1),
                                  field("l", &l.time_limit, 0), field("f", &l.flags, 0),
                                  field("r", &l.repeat, 0)};
    frame_fields(l, &t[5]);
    return t;
}

std::array<FieldRef, 15> melody_fields(CLibMelody& l) {
    std::array<FieldRef, 15> t = {field("t", &l.type, 1), field("l", &l.limit, 0),
                                  field("rn", &l.repeat_note, 0), field("f", &l.flags, 0),
                                  field("rm", &l.repeat, 0)};
    frame_fields(l, &t[5]);
    option_fields(l, &t[11]);
    return t;
}

std::array<FieldRef, 13> rythm_fields(CLibRythm& l) {
    std::array<FieldRef, 13> t = {field("t", &l.type, 1),      field("l", &l.limit, 0),
                                  field("ml", &l.rythm, 3),    field("f", &l.flags, 0),
                                  field("fm", &l.multiply, 1), field("fd", &l.divide, 1),
                                  field("fr", &l.repeat, 0)};
    frame_fields(l, &t[7]);
    return t;
}

}  // namespace

short CLibTheme::read(FILE* f) { return read_library(f, *this, theme_fields(*this)); }
short CLibTheme::write(FILE* f) { return write_library(f, "the", *this, theme_fields(*this)); }
short CLibChord::read(FILE* f) { return read_library(f, *this, chord_fields(*this)); }
short CLibChord::write(FILE* f) { return write_library(f, "acc", *this, chord_fields(*this)); }
short CLibMelody::read(FILE* f) { return read_library(f, *this, melody_fields(*this)); }
short CLibMelody::write(FILE* f) { return write_library(f, "mel", *this, melody_fields(*this)); }
short CLibRythm::read(FILE* f) { return read_library(f, *this, rythm_fields(*this)); }
short CLibRythm::write(FILE* f) { return write_library(f, "ryt", *this, rythm_fields(*this)); }
