#include "score/Records.h"

#include <cstring>

#include "score/CLibrary.h"
#include "score/CMeasure.h"
#include "score/DocumentServices.h"
#include "score/Placeholders.h"

short maj_4 = 0;

// ---- Tags ---------------------------------------------------------------------------------

namespace {

struct ObjectTag {
    const char* tag;
    CDataObject* (*make)();
    short kind;
};

template <class T>
CDataObject* make() {
    return new T;
}

template <class T>
constexpr ObjectTag entry(const char* tag) {
    return {tag, make<T>, T::KIND};
}

const ObjectTag object_tags[] = {
    entry<CMeasure>("m"),    entry<CSymbol>("sy"),     entry<CNote>("n"),
    {"origine", nullptr, 0}, entry<CTimeSig>("t"),     entry<CBeams>("g"),
    entry<CRest>("s"),       entry<CClef>("c"),        entry<CKeySig>("a"),
    entry<CNolet>("no"),     entry<CRepeat>("r"),      entry<CLyrics>("pa"),
    entry<CTextBloc>("tx"),  entry<CLibUse>("lib"),    entry<CChordUse>("cu"),
    entry<CLibRythm>("ryt"), entry<CLibMelody>("mel"), entry<CLibChord>("acc"),
    entry<CLibTheme>("the"),
};

// Setting keywords in the order of their codes, from 1; "dimension_page" shares code 6.
const char* const setting_keywords[] = {
    "piste",
    "i",
    "p",
    "sys",
    "page",
    "partition",
    "statut",
    "justification",
    "quantification",
    "transcription",
    "transposition",
    "espacement",
    "palette",
    "enregistreur",
    "instru",
    "clavier",
    "piano",
    "sequenceur",
    "editeur",
    "structure",
    "librairie",
    "divers_1",
    "dimensions",
    "marges_externes",
    "marges_internes",
    "impression",
    "epaisseurs",
    "rpar",
    "rseq",
    "rins",
    "rpia",
    "olib",
    "oseq",
    "opia",
    "divers_2",
    "divers_3",
    "police",
    "com",
    "cfgi",
    "divers_4",
    "rdef",
    "zoom_score",
    "chprog",
    "analyse",
    "divers_5",
    "divers_6",
    "rmain",
    "divers_7",
    "divers_8",
};

constexpr size_t tag_limit = 98;

// The next byte, past at most one line feed, one carriage return and one line feed, in that order.
int next_tag_byte(FILE* f) {
    int c = rec::get(f);
    if (c == '\n') c = rec::get(f);
    if (c == '\r') c = rec::get(f);
    if (c == '\n') c = rec::get(f);
    return c;
}

// The code of a setting keyword, 0 for another tag.
short setting_code(const char* tag) {
    for (short k = 0; k < (short)(sizeof setting_keywords / sizeof *setting_keywords); k++)
        if (std::strcmp(tag, setting_keywords[k]) == 0) return (short)(k + 1);
    return std::strcmp(tag, "dimension_page") == 0 ? SET_PARTITION : 0;
}

CObject* refuse_tag() {
    beep();
    call_sup(66);
    return nullptr;
}

}  // namespace

CObject* read_text_object(FILE* f, RecordRead* read) {
    RecordRead scratch;
    RecordRead& r = read ? *read : scratch;
    r = RecordRead();
    int c = next_tag_byte(f);
    if (c < 'a' || c > 'z') {
        rec::unget(c, f);
        r.what = RecordRead::end;
        return nullptr;
    }
    char tag[tag_limit + 2];
    size_t n = 0;
    tag[n++] = (char)c;
    for (;;) {
        c = next_tag_byte(f);
        if (c == '(' || c == ' ' || c == EOF) break;
        if (n >= tag_limit) {
            r.what = RecordRead::unknown;
            return refuse_tag();
        }
        tag[n++] = (char)c;
    }
    tag[n] = 0;
    // A tag is recognised whole: a zero byte in it would make "rmain" read as "r", a repeat.
    if (std::memchr(tag, 0, n)) {
        r.what = RecordRead::unknown;
        return refuse_tag();
    }
    for (const ObjectTag& o : object_tags) {
        if (o.tag[0] != tag[0] || std::strcmp(tag, o.tag) != 0) continue;
        if (!o.make) {
            r.what = RecordRead::origine;
            return nullptr;
        }
        CDataObject* object = o.make();
        if (object->read(f)) return object;
        r.what = RecordRead::malformed;
        r.kind = object->uid;
        delete object;
        return nullptr;
    }
    short code = setting_code(tag);
    if (!code) {
        r.what = RecordRead::unknown;
        return refuse_tag();
    }
    CObject* setting = new CObject;
    setting->uid = (short)-code;
    return setting;
}

bool is_record_tag(const char* tag) {
    for (const ObjectTag& o : object_tags)
        if (!std::strcmp(tag, o.tag)) return true;
    return setting_code(tag) != 0;
}

const char* object_tag(short kind) {
    for (const ObjectTag& o : object_tags)
        if (o.make && o.kind == kind) return o.tag;
    return "";
}

const char* setting_keyword(short code) {
    constexpr short count = (short)(sizeof setting_keywords / sizeof *setting_keywords);
    return code >= 1 && code <= count ? setting_keywords[code - 1] : "";
}

void write_text_bloc(CDataObject* object, FILE* f) {
    if (!object) return;
    object->write(f);
    CMeasure* m = object_as<CMeasure>(object);
    for (short i = 1; m && i <= m->total(); i++)
        if (CDataObject* item = m->get_item(i)) item->write(f);
}

// ---- Reading ------------------------------------------------------------------------------

namespace rec {

namespace {

bool is_space(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int digit_value(int c, int base) {
    int digit = (c >= '0' && c <= '9')   ? c - '0'
                : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                                         : -1;
    return digit < base ? digit : -1;
}

// Reads an optionally signed number in `base` (10 or 16) after white space and returns the
// byte after it. Decimal values beyond 32 bits read as the nearest limit; hexadecimal ones keep
// their low 32 bits, being bit patterns.
int signed_and_next(FILE* f, int32_t* v, int base) {
    int c = get(f);
    while (is_space(c)) c = get(f);
    bool negative = false;
    if (c == '-' || c == '+') {
        negative = c == '-';
        c = get(f);
    }
    int digit = digit_value(c, base);
    if (digit < 0) {
        unget(c, f);
        return no_number;
    }
    uint64_t n = 0;
    for (; digit >= 0; digit = digit_value(c, base)) {
        if (base == 16)
            n = (n * 16 + (uint64_t)digit) & UINT32_MAX;
        else if (n <= INT32_MAX)
            n = n * 10 + (uint64_t)digit;
        c = get(f);
    }
    if (base == 16) {
        *v = (int32_t)(negative ? 0u - (uint32_t)n : (uint32_t)n);
    } else {
        int64_t s = negative ? -(int64_t)n : (int64_t)n;
        *v = s > INT32_MAX ? INT32_MAX : s < INT32_MIN ? INT32_MIN : (int32_t)s;
    }
    return c;
}

// The reader `and_next` with the byte after the number put back.
bool unget_after(FILE* f, int32_t* v, int (*and_next)(FILE*, int32_t*)) {
    int c = and_next(f, v);
    if (c == no_number) return false;
    unget(c, f);
    return true;
}

}  // namespace

void skip_space(FILE* f) {
    int c;
    do c = get(f);
    while (is_space(c));
    unget(c, f);
}

void skip_line_ends(FILE* f) {
    int c;
    do c = get(f);
    while (c == '\r' || c == '\n');
    unget(c, f);
}

bool number(FILE* f, int32_t* v) { return unget_after(f, v, number_and_next); }

int number_and_next(FILE* f, int32_t* v) { return signed_and_next(f, v, 10); }

bool number16(FILE* f, short* v) {
    int32_t n;
    if (!number(f, &n)) return false;
    *v = (short)n;
    return true;
}

bool hex(FILE* f, int32_t* v) { return unget_after(f, v, hex_and_next); }

int hex_and_next(FILE* f, int32_t* v) { return signed_and_next(f, v, 16); }

bool expect(FILE* f, char c) {
    int got = get(f);
    if (got == (unsigned char)c) return true;
    unget(got, f);
    return false;
}

bool values(FILE* f, short* const* fields, short n) {
    for (short k = 0; k < n; k++) {
        if (!number16(f, fields[k])) return false;
        if (!expect(f, k + 1 < n ? ',' : ')')) return false;
    }
    return true;
}

int text_until(FILE* f, const char* stops, char* out, size_t size) {
    size_t n = 0;
    int c;
    // A zero byte is text, not a stop (strchr would find the terminator of `stops`).
    while ((c = get(f)) != EOF && (c == 0 || !std::strchr(stops, c))) {
        if (n + 1 < size) out[n++] = (char)c;
    }
    if (size) out[n] = 0;
    return c;
}

int key(FILE* f, char* out, size_t size) {
    size_t n = 0;
    for (;;) {
        int c = get(f);
        if (c == EOF) return -1;
        if (c == '=') break;
        if (c == ')') {
            // ")" ends the record only where a key would begin: after part of a key, the
            // record is damaged (a lost "=" would drop its value without a word).
            if (n) return -1;
            skip_line_ends(f);
            return 0;
        }
        // A key never runs over a line end or into another record.
        if (n + 1 >= size || c == '\r' || c == '\n' || c == '(') return -1;
        out[n++] = (char)c;
    }
    out[n] = 0;
    return 1;
}

int after_value(FILE* f) {
    int c = get(f);
    if (c == ',') return 1;
    if (c != ')') return -1;
    skip_line_ends(f);
    return 0;
}

// ---- Writing ------------------------------------------------------------------------------

void put(FILE* f, const char* s) { fputs_unlocked(s, f); }

void put_clean(FILE* f, const char* s, const char* bad, size_t max) {
    for (size_t n = 0; s[n] && n < max; n++) put(f, std::strchr(bad, s[n]) ? '.' : s[n]);
}

void put_int(FILE* f, int32_t v) {
    char digits[12];
    int n = 0;
    uint32_t u = v < 0 ? 0u - (uint32_t)v : (uint32_t)v;
    do {
        digits[n++] = (char)('0' + u % 10);
        u /= 10;
    } while (u);
    if (v < 0) put(f, '-');
    while (n) put(f, digits[--n]);
}

void put_hex2(FILE* f, unsigned char b) {
    static const char digits[] = "0123456789ABCDEF";
    put(f, digits[b >> 4]);
    put(f, digits[b & 15]);
}

}  // namespace rec

RecordOut::RecordOut(FILE* file, const char* tag) : f(file) {
    rec::put(f, tag);
    rec::put(f, '(');
}

void RecordOut::separator() {
    if (!first) rec::put(f, ',');
    first = false;
}

void RecordOut::pair(const char* key, int32_t v) {
    separator();
    rec::put(f, key);
    rec::put(f, '=');
    rec::put_int(f, v);
}

void RecordOut::end() {
    rec::put(f, ')');
    rec::put(f, '\n');
}

void write_fields(RecordOut& out, const FieldRef* fields, size_t n) {
    for (size_t k = 0; k < n; k++) {
        int32_t v = fields[k].s ? *fields[k].s : *fields[k].l;
        if (fields[k].omitted == FieldRef::always || v != fields[k].omitted)
            out.pair(fields[k].key, v);
    }
}

// Keys are a few bytes long: a plain loop beats the library's comparison.
static bool same_key(const char* a, const char* b) {
    while (*a && *a == *b) a++, b++;
    return *a == *b;
}

bool store_field(const FieldRef* fields, size_t n, const char* key, int32_t v, size_t& next) {
    for (size_t step = 0; step < n; step++) {
        size_t k = (next + step) % n;
        if (!same_key(fields[k].key, key)) continue;
        if (fields[k].s)
            *fields[k].s = (short)v;
        else
            *fields[k].l = v;
        next = k + 1;
        return true;
    }
    return false;
}
