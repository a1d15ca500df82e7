// The records of the score objects of a measure: `read` and `write` of each class. A value
// equal to what the reader assumes when its key is absent is left out, so that every value
// comes back as it was written.
#include <array>
#include <cstring>
#include <vector>

#include "framework/CFont.h"
#include "score/CMeasure.h"
#include "score/OldFormats.h"
#include "score/Placeholders.h"
#include "score/Records.h"

namespace {

constexpr short pair_limit = 50;

// The measure's "xx": a pseudo-random value that changes from one save to the next.
uint32_t noise_state = 1;

short measure_noise() {
    noise_state = noise_state * 214013u + 2531011u;
    short r = (short)((noise_state >> 16) & 0x7FFF);
    return (short)(r * 100 / 32767);
}

// Reads a record whose pairs all go to the fields of the table.
template <size_t N>
short read_table(FILE* f, const std::array<FieldRef, N>& fields, bool strict, short limit) {
    size_t next = 0;
    return read_pairs(f, strict, limit, [&](const char* k, int32_t v) {
        return store_field(fields.data(), N, k, v, next);
    });
}

template <size_t N>
short write_table(FILE* f, const std::array<FieldRef, N>& fields, const char* tag) {
    RecordOut out(f, tag);
    write_fields(out, fields.data(), N);
    out.end();
    return 1;
}

}  // namespace

void seed_measure_noise(uint32_t seed) { noise_state = seed; }

// ---- Measure ------------------------------------------------------------------------------

// clang-format off
namespace {
struct MeasureFields {
    explicit MeasureFields(CMeasure& m)
        : before{field("l", &m.width, 150),        field("bv", &m.start_bar, 1),
                 field("bp", &m.end_bar, 1),       field("x", &m.x, 0),
                 field("y", &m.y, 0),              field("ebv", &m.ext_start_bar, 0),
                 field("ebp", &m.ext_end_bar, 0),  field("px", &m.px, 0),
                 field("py", &m.py, 0),            field32("d", &m.length, 1920)},
          after{field("e", &m.front, 0),         field("di", &m.flags, 0),
                field("tb", &m.tot_beat, 4),     field("db", &m.length_beat, 480),
                field("pe", &m.first_event, 0),  field("te", &m.tot_event, 0),
                field("li", &m.lines, 1984),     field("lp", &m.pw, 150),
                field("nu", &m.number, FieldRef::always), field("me", &m.meas, 0),
                field("ex", &m.extended, 0)} {}
    FieldRef before[10];
    FieldRef after[11];
};
}  // namespace
// clang-format on

short CMeasure::read(FILE* f) {
    MeasureFields t(*this);
    return read_pairs(f, true, pair_limit, [&](const char* k, int32_t v) {
        return store_field(t.before, 10, k, v) || store_field(t.after, 11, k, v) ||
               !std::strcmp(k, "xx") || !std::strcmp(k, "i") || !std::strcmp(k, "t");
    });
}

short CMeasure::write(FILE* f) {
    MeasureFields t(*this);
    RecordOut out(f, "m");
    write_fields(out, t.before, 10);
    out.pair("xx", measure_noise());
    write_fields(out, t.after, 11);
    out.end();
    return 1;
}

// ---- Note and the small items ---------------------------------------------------------------

// clang-format off
static std::array<FieldRef, 32> note_fields(CNote& o) {
    return {{field("x", &o.x, 0), field("y", &o.y, 0), field("r", &o.rythm, 3),
             field("p", &o.point, 0), field("a", &o.alt, 0), field("d", &o.dir, 0),
             field("bt", &o.bar_type, 0), field("bs", &o.bar_sup, 0), field("g", &o.gid, 0),
             field("h", &o.height, 21), field("ac", &o.cid, 0), field("px", &o.dpx, 0),
             field("py", &o.dpy, 0), field("ax", &o.dax, 0), field("ay", &o.day, 0),
             field("f", &o.pitch, 0), field("ve", &o.velocity, 64), field("de", &o.start, 0),
             field("du", &o.length, 480), field("v", &o.voice, 0), field("vee", &o.rec_vel, -1),
             field("dee", &o.rec_start, 32000), field("due", &o.rec_length, 32000), field("di", &o.flags, 0),
             field("tx", &o.tdx, 0), field("ty", &o.tdy, 0), field("th", &o.tdh, 5),
             field("tw", &o.tdw, 20), field("s", &o.sid, 0), field("pid", &o.lid, 0),
             field("te", &o.head, 0), field("nm", &o.nmask, 0)}};
}
// clang-format on

short CNote::read(FILE* f) {
    if (!read_table(f, note_fields(*this), true, pair_limit)) return 0;
    flags = (short)(flags & ~0x0100);
    return 1;
}

short CNote::write(FILE* f) { return write_table(f, note_fields(*this), "n"); }

// clang-format off
static std::array<FieldRef, 12> rest_fields(CRest& o) {
    return {{field("x", &o.x, 0), field("y", &o.y, 0), field("r", &o.rythm, 3),
             field("p", &o.point, 0), field("px", &o.dpx, 0), field("py", &o.dpy, 0),
             field("v", &o.voice, 0), field("s", &o.start, 0), field("d", &o.length, 480),
             field("si", &o.sid, 0), field("f", &o.flags, 0), field("nm", &o.nmask, 0)}};
}
// clang-format on

short CRest::read(FILE* f) { return read_table(f, rest_fields(*this), true, pair_limit); }

short CRest::write(FILE* f) { return write_table(f, rest_fields(*this), "s"); }

// clang-format off
static std::array<FieldRef, 4> clef_fields(CClef& o) {
    return {{field("x", &o.x, 0), field("i", &o.id, 1), field("t", &o.type, 1),
             field("r", &o.red, 0)}};
}
// clang-format on

short CClef::read(FILE* f) { return read_table(f, clef_fields(*this), true, pair_limit); }

short CClef::write(FILE* f) { return write_table(f, clef_fields(*this), "c"); }

// clang-format off
static std::array<FieldRef, 11> nolet_fields(CNolet& o) {
    return {{field("n", &o.n1, 3), field("m", &o.n2, 2), field("x", &o.x, 0),
             field("y", &o.y, 0), field("x1", &o.dx1, 50), field("y1", &o.dy1, 0),
             field("x2", &o.dx2, 25), field("y2", &o.dy2, 15), field("s", &o.style, 1),
             field("d", &o.dir, 1), field("ma", &o.mask, 0)}};
}
// clang-format on

short CNolet::read(FILE* f) { return read_table(f, nolet_fields(*this), true, 0); }

short CNolet::write(FILE* f) { return write_table(f, nolet_fields(*this), "no"); }

// clang-format off
static std::array<FieldRef, 3> chord_use_fields(CChordUse& o) {
    return {{field("x", &o.x, 0), field("y", &o.y, 0), field("o", &o.offset, 0)}};
}
// clang-format on

short CChordUse::read(FILE* f) { return read_table(f, chord_use_fields(*this), true, 0); }

short CChordUse::write(FILE* f) { return write_table(f, chord_use_fields(*this), "cu"); }

// clang-format off
static std::array<FieldRef, 12> timesig_fields(CTimeSig& o) {
    return {{field("x", &o.x, 20), field("s1", &o.upper[1], 4), field("s2", &o.upper[2], 0),
             field("s3", &o.upper[3], 0), field("s4", &o.upper[4], 0), field("s5", &o.upper[5], 0),
             field("i1", &o.lower[1], 4), field("i2", &o.lower[2], 0), field("i3", &o.lower[3], 0),
             field("i4", &o.lower[4], 0), field("i5", &o.lower[5], 0), field("a", &o.flags, 1)}};
}
// clang-format on

short CTimeSig::read(FILE* f) { return read_table(f, timesig_fields(*this), true, pair_limit); }

short CTimeSig::write(FILE* f) { return write_table(f, timesig_fields(*this), "t"); }

// ---- Repeat -------------------------------------------------------------------------------

namespace {
// 1 to 10 for "p1" to "p10", 0 for "p", -1 for any other key.
short repeat_entry(const char* k) {
    if (k[0] != 'p') return -1;
    if (!k[1]) return 0;
    short n = 0;
    for (const char* c = k + 1; *c; c++) {
        if (*c < '0' || *c > '9' || n > 10) return -1;
        n = (short)(n * 10 + (*c - '0'));
    }
    return n >= 1 && n <= 10 && k[1] != '0' ? n : -1;
}
}  // namespace

short CRepeat::read(FILE* f) {
    return read_pairs(f, true, 0, [&](const char* k, int32_t v) {
        short e = repeat_entry(k);
        if (e < 0) return false;
        (e ? next[e] : cur) = (short)v;
        return true;
    });
}

short CRepeat::write(FILE* f) {
    bool any = false;
    for (short k = 1; k <= 10; k++) any = any || next[k];
    if (!any) return 1;
    RecordOut out(f, "r");
    char k[4] = "p";
    for (short e = 1; e <= 10; e++) {
        std::snprintf(k + 1, sizeof k - 1, "%hd", e);
        out.opt(k, next[e], 0);
    }
    out.end();
    return 1;
}

// ---- Key signature, beams, symbol: lists of entries -------------------------------------------

namespace {

// The columns of a list record read so far: "t" sets the number of entries (at most `Most`)
// and drops what came before it; each column's values fill its entries in order, those past
// the number being ignored.
template <short Columns, short Most>
struct EntryColumns {
    explicit EntryColumns(short count) : count(count) {}
    void start(int32_t total) {
        count = (short)(total < 0 ? 0 : total > Most ? Most : total);
        std::memset(values, 0, sizeof values);
        std::memset(filled, 0, sizeof filled);
    }
    void add(short column, int32_t v) {
        if (filled[column] < count) values[column][filled[column]++] = (short)v;
    }
    short count;
    short values[Columns][Most] = {};
    short filled[Columns] = {};
};

}  // namespace

short CKeySig::read(FILE* f) {
    mode = 1;
    type = 1;
    value = 0;
    clef = 1;
    EntryColumns<3, 15> entries(0);
    const FieldRef fields[] = {field("m", &mode, 0), field("ty", &type, 0), field("v", &value, 0),
                               field("c", &clef, 0), field("f", &flags, 0)};
    short ok = read_pairs(f, false, 0, [&](const char* k, int32_t v) {
        if (!std::strcmp(k, "t")) {
            entries.start(v);
            return true;
        }
        const char* columns[3] = {"x", "y", "a"};
        for (short c = 0; c < 3; c++) {
            if (std::strcmp(k, columns[c]) != 0) continue;
            entries.add(c, v);
            return true;
        }
        return store_field(fields, 5, k, v);
    });
    if (!ok) return 0;
    for (short e = 0; e < entries.count; e++)
        add_accidental(entries.values[0][e], entries.values[1][e], entries.values[2][e]);
    return 1;
}

short CKeySig::write(FILE* f) {
    RecordOut out(f, "a");
    out.pair("t", x.total());
    out.pair("m", mode);
    out.pair("ty", type);
    out.pair("v", value);
    out.pair("c", clef);
    out.pair("f", flags);
    for (short k = 1; k <= x.total(); k++) {
        out.pair("x", x.get(k));
        out.pair("y", y.get(k));
        out.pair("a", alt.get(k));
    }
    out.end();
    return 1;
}

short CBeams::read(FILE* f) {
    CArrayInt* lists[5] = {&x1, &y1, &x2, &y2, &h};
    const char* keys[5] = {"x1", "y1", "x2", "y2", "h"};
    const FieldRef fields[] = {field("m", &mode, 0), field("g", &gid, 0)};
    return read_pairs(f, false, 0, [&](const char* k, int32_t v) {
        if (!std::strcmp(k, "t")) return true;
        for (short c = 0; c < 5; c++) {
            if (std::strcmp(k, keys[c]) != 0) continue;
            lists[c]->add((short)v);
            return true;
        }
        return store_field(fields, 2, k, v);
    });
}

short CBeams::write(FILE* f) {
    if (x1.total() == 0) return 1;
    RecordOut out(f, "g");
    out.pair("t", x1.total());
    out.pair("m", mode);
    out.pair("g", gid);
    for (short k = 1; k <= x1.total(); k++) {
        out.pair("x1", x1.get(k));
        out.pair("y1", y1.get(k));
        out.pair("x2", x2.get(k));
        out.pair("y2", y2.get(k));
        out.pair("h", h.get(k));
    }
    out.end();
    return 1;
}

short CSymbol::read(FILE* f) {
    EntryColumns<2, 45> entries(4);
    const FieldRef fields[] = {field("o", &tool_id, 0), field("i", &note_id, 0)};
    short ok = read_pairs(f, false, 0, [&](const char* k, int32_t v) {
        if (!std::strcmp(k, "t")) {
            entries.start(v);
            return true;
        }
        short c = !std::strcmp(k, "p") ? 0 : !std::strcmp(k, "v") ? 1 : -1;
        if (c < 0) return store_field(fields, 2, k, v);
        entries.add(c, v);
        return true;
    });
    if (!ok) return 0;
    for (short e = 0; e < entries.count; e++) {
        param.add(entries.values[0][e]);
        value.add(entries.values[1][e]);
    }
    return 1;
}

short CSymbol::write(FILE* f) {
    RecordOut out(f, "sy");
    out.opt("o", tool_id, 2000);
    out.opt("i", note_id, 0);
    out.opt("t", param.total(), 4);
    for (short k = 1; k <= param.total(); k++) {
        if (param.get(k) == 0) continue;
        out.pair("p", param.get(k));
        out.pair("v", value.get(k));
    }
    out.end();
    return 1;
}

// ---- Lyrics -------------------------------------------------------------------------------

namespace {
constexpr size_t verse_buffer = 30;  // a verse keeps its first 29 bytes

struct LyricsFields {
    explicit LyricsFields(CLyrics& l) {
        static const char* const names[3][8] = {{"y1", "y2", "y3", "y4", "y5", "y6", "y7", "y8"},
                                                {"d1", "d2", "d3", "d4", "d5", "d6", "d7", "d8"},
                                                {"l1", "l2", "l3", "l4", "l5", "l6", "l7", "l8"}};
        fields[0] = field("i", &l.lid, 0);
        fields[1] = field("x", &l.x, 0);
        for (short v = 0; v < 8; v++) {
            fields[2 + v] = field(names[0][v], &l.y[v], 15 + 13 * v);
            fields[10 + v] = field(names[1][v], &l.d[v], -1);
            fields[18 + v] = field(names[2][v], &l.l[v], -1);
        }
    }
    FieldRef fields[26];
};
}  // namespace

short CLyrics::read(FILE* f) {
    char verses[VERSES][verse_buffer] = {};
    short read_verses = maj_4 ? 4 : VERSES;
    for (short v = 0; v < read_verses; v++)
        if (rec::text_until(f, "|", verses[v], verse_buffer) == EOF) return 0;
    int c = rec::get(f);
    if (c == ',') {
        LyricsFields t(*this);
        auto store = [&](const char* k, int32_t v) { return store_field(t.fields, 26, k, v); };
        if (!read_pairs(f, true, 0, store)) return 0;
    } else if (c == ')') {
        rec::skip_line_ends(f);
    } else {
        return 0;
    }
    // Lyrics without a syllable are never written: such a record is damaged (a zero byte in
    // its text), and told as such rather than dropped by the next save.
    bool any = false;
    for (short v = 0; v < VERSES; v++) any = any || verses[v][0];
    if (!any) return 0;
    for (short v = 0; v < VERSES; v++) text[v].set(verses[v]);
    return 1;
}

short CLyrics::write(FILE* f) {
    bool any = false;
    for (short v = 0; v < VERSES; v++) any = any || text[v].length();
    if (!any) return 1;
    RecordOut out(f, "pa");
    for (short v = 0; v < VERSES; v++) {
        rec::put_clean(f, text[v].get(), "|", verse_buffer - 1);
        rec::put(f, '|');
    }
    out.first = false;
    LyricsFields t(*this);
    write_fields(out, t.fields, 26);
    out.end();
    return 1;
}

// ---- Text block ---------------------------------------------------------------------------

namespace {
constexpr size_t face_buffer = 50;  // a face name keeps at most 49 bytes

// clang-format off
struct TextFields {
    explicit TextFields(CTextBloc& t)
        : head{field("x", &t.x, 0), field("y", &t.y, 0), field("w", &t.w, 100), field("h", &t.h, 20)},
          tail{field32("c", &t.color, 0),   field("t", &t.type, 2),       field("m", &t.meas, 1),
               field("p", &t.staff, 1),     field("pg", &t.page, 1),      field("j", &t.align, 1),
               field("d", &t.flags, 0),     field("i", &t.interligne, 100),
               field("s", &t.font.size, 12), field("st", &t.font.style, 0)} {}
    FieldRef head[4];
    FieldRef tail[10];
};
// clang-format on
}  // namespace

short CTextBloc::read(FILE* f) {
    TextFields t(*this);
    char face[face_buffer] = "";
    bool have_face = false;
    int32_t tot = 0;
    short font_number = 3;
    std::vector<char> bytes;
    char k[100];
    for (;;) {
        int r = rec::key(f, k, sizeof k);
        if (r == 0) break;
        if (r < 0) return 0;
        if (!std::strcmp(k, "tx")) {
            for (int32_t n = 0; n < tot; n++) {
                int c = rec::get(f);
                if (c == EOF) return 0;
                bytes.push_back((char)c);
            }
        } else if (!std::strcmp(k, "f")) {
            size_t n = 0;
            int c;
            while ((c = rec::get(f)) != EOF && c != ',' && c != ')' && c != '\r' && c != '\n' &&
                   n + 1 < face_buffer)
                face[n++] = (char)c;
            face[n] = 0;
            rec::unget(c, f);
            have_face = true;
        } else {
            int32_t v;
            if (!rec::number(f, &v)) return 0;
            if (!std::strcmp(k, "tot")) {
                if (v < 0 || v > CString::max_length) return 0;
                tot = v;
            } else if (!std::strcmp(k, "n")) {
                font_number = (short)v;
            } else if (!std::strcmp(k, "c") && maj_4) {
                color = translate_color((short)v);
            } else if (!store_field(t.head, 4, k, v) && !store_field(t.tail, 10, k, v)) {
                return 0;
            }
        }
        r = rec::after_value(f);
        if (r == 0) break;
        if (r < 0) return 0;
    }
    if (bytes.size() + text.length() > (size_t)CString::max_length) return 0;
    bytes.push_back(0);
    text.add(bytes.data());
    if (maj_4)
        font.set_name(translate_font(font_number));
    else if (have_face)
        font.set_name(face);
    return 1;
}

short CTextBloc::write(FILE* f) {
    TextFields t(*this);
    RecordOut out(f, "tx");
    write_fields(out, t.head, 4);
    out.separator();
    rec::put(f, "f=");
    rec::put_clean(f, font.get_name(), ",)", face_buffer - 1);
    write_fields(out, t.tail, 10);
    out.opt("tot", text.length(), 0);
    out.separator();
    rec::put(f, "tx=");
    fwrite_unlocked(text.get(), 1, (size_t)text.length(), f);
    out.end();
    return 1;
}

// ---- Library marker -----------------------------------------------------------------------

short CLibUse::read(FILE* f) {
    char k[100];
    for (;;) {
        int r = rec::key(f, k, sizeof k);
        if (r == 0) return 1;
        if (r < 0 || std::strcmp(k, "tot") != 0) return 0;
        short count;
        if (!rec::number16(f, &count) || count < 0) return 0;
        for (short e = 0; e < count; e++) {
            short v[5];
            for (short& n : v)
                if (!rec::expect(f, ',') || !rec::number16(f, &n)) return 0;
            libid.add(v[0]);
            for (short t = 0; t < 4; t++) tres[t].add(v[t + 1]);
        }
        r = rec::after_value(f);
        if (r == 0) return 1;
        if (r < 0) return 0;
    }
}

short CLibUse::write(FILE* f) {
    if (libid.total() == 0) return 1;
    RecordOut out(f, "lib");
    out.pair("tot", libid.total());
    for (short e = 1; e <= libid.total(); e++) {
        rec::put(f, ',');
        rec::put_int(f, libid.get(e));
        for (short t = 0; t < 4; t++) {
            rec::put(f, ',');
            rec::put_int(f, tres[t].get(e));
        }
    }
    out.end();
    return 1;
}
