#pragma once
// The text records of the score document file: `tag(key=value,key=value,...)` and a line feed.
// `read_text_object` reads the next record's tag and builds the object of that tag (or answers
// a setting keyword of the document with a bare object of negative kind); `write_text_bloc`
// writes a measure followed by its items. Below them, the small readers and writers of numbers,
// texts and key=value pairs that every record reader and writer of the program shares.

#include <cstddef>
#include <cstdint>
#include <cstdio>

class CObject;
class CDataObject;
void beep();

// 1 while a file of the old format version 3 is read: lyrics hold four verses, text blocks a
// font number and a colour index.
extern short maj_4;

// What read_text_object met when it gives no object.
struct RecordRead {
    enum What : short {
        object,     // an object (or a setting keyword) was read
        end,        // no tag starts here: the end of the data, or bytes that are no record
        origine,    // "origine", which carries nothing
        unknown,    // a tag in neither table, or an over-long one
        malformed,  // a score object whose values cannot be read
    };
    What what = object;
    short kind = 0;  // malformed: the class kind of the record that failed
};

// The next record of the file: a new score object (its values read), a bare CObject whose
// kind is the negative code of a setting keyword (the file standing just after its "("), or
// null at the end of the data, for "origine", an unknown or over-long tag, or a malformed
// record; `read`, when given, tells which. The caller owns the result.
CObject* read_text_object(FILE* f, RecordRead* read = nullptr);
// True when `tag` is the tag of a score object or a setting keyword.
bool is_record_tag(const char* tag);
// The tag of a score object's class kind ("n" for a note), "" for another kind.
const char* object_tag(short kind);
// The keyword of a setting code ("p" for SET_P), "" for an unknown code.
const char* setting_keyword(short code);
// Writes the object's record; a measure is followed by the records of its items.
void write_text_bloc(CDataObject* object, FILE* f);
// Seeds the generator of the measures' "xx" values (a number from 0 to 100 that changes from
// one save to the next and that nothing reads), so that two saves can be compared.
void seed_measure_noise(uint32_t seed);

// Codes of the setting keywords that read_text_object answers (the object's kind is minus it).
enum SettingCode : short {
    SET_PISTE = 1,
    SET_I,
    SET_P,
    SET_SYS,
    SET_PAGE,
    SET_PARTITION,
    SET_STATUT,
    SET_JUSTIFICATION,
    SET_QUANTIFICATION,
    SET_TRANSCRIPTION,
    SET_TRANSPOSITION,
    SET_ESPACEMENT,
    SET_PALETTE,
    SET_ENREGISTREUR,
    SET_INSTRU,
    SET_CLAVIER,
    SET_PIANO,
    SET_SEQUENCEUR,
    SET_EDITEUR,
    SET_STRUCTURE,
    SET_LIBRAIRIE,
    SET_DIVERS_1,
    SET_DIMENSIONS,
    SET_MARGES_EXTERNES,
    SET_MARGES_INTERNES,
    SET_IMPRESSION,
    SET_EPAISSEURS,
    SET_RPAR,
    SET_RSEQ,
    SET_RINS,
    SET_RPIA,
    SET_OLIB,
    SET_OSEQ,
    SET_OPIA,
    SET_DIVERS_2,
    SET_DIVERS_3,
    SET_POLICE,
    SET_COM,
    SET_CFGI,
    SET_DIVERS_4,
    SET_RDEF,
    SET_ZOOM_SCORE,
    SET_CHPROG,
    SET_ANALYSE,
    SET_DIVERS_5,
    SET_DIVERS_6,
    SET_RMAIN,
    SET_DIVERS_7,
    SET_DIVERS_8
};

// ---- Reading ------------------------------------------------------------------------------

namespace rec {

inline int get(FILE* f) { return getc_unlocked(f); }
inline void unget(int c, FILE* f) {
    if (c != EOF) ungetc(c, f);
}
// Skips white space; the first other byte stays in the file.
void skip_space(FILE* f);
// Skips carriage returns and line feeds only.
void skip_line_ends(FILE* f);
// A signed decimal after optional white space ("%d"); false when no digit stands there.
// Values beyond 32 bits read as the nearest limit.
bool number(FILE* f, int32_t* v);
// As number, but the byte after the number is consumed and returned (EOF at the end of the
// file); `no_number` when no digit stands there.
constexpr int no_number = -2;
int number_and_next(FILE* f, int32_t* v);
// A 16-bit decimal ("%hd"): the low 16 bits of the number read.
bool number16(FILE* f, short* v);
// A hexadecimal number after optional white space ("%X"); false when no digit stands there.
bool hex(FILE* f, int32_t* v);
// As hex, but the byte after the number is consumed and returned; `no_number` when no digit
// stands there.
int hex_and_next(FILE* f, int32_t* v);
// Reads the byte `c` (no white space skipped); false, with the byte put back, when another.
bool expect(FILE* f, char c);
// `n` 16-bit values separated by "," and ended by ")": the values of a setting record.
bool values(FILE* f, short* const* fields, short n);
// Reads a text up to (not including) the first byte of `stops` or the end of the file, keeping
// the first `size` - 1 bytes in `out` (terminated) and dropping the rest; the stop byte is
// consumed and returned (EOF at the end of the file).
int text_until(FILE* f, const char* stops, char* out, size_t size);
// Reads a key up to "=" into `out` (at most `size` - 1 bytes): 1 a key, 0 a ")" met first
// (the record ends), -1 the end of the file, a key too long, or a line end or "(" in the key.
int key(FILE* f, char* out, size_t size);
// After a value: 1 when "," follows (more pairs), 0 when ")" ends the record (the line ends
// after it are skipped), -1 for any other byte.
int after_value(FILE* f);

}  // namespace rec

// ---- Writing ------------------------------------------------------------------------------

namespace rec {

inline void put(FILE* f, char c) { putc_unlocked(c, f); }
void put(FILE* f, const char* s);
// Writes s with every byte of `bad` replaced by ".", at most `max` bytes of it.
void put_clean(FILE* f, const char* s, const char* bad, size_t max);
void put_int(FILE* f, int32_t v);
// Two upper-case hexadecimal digits.
void put_hex2(FILE* f, unsigned char b);

}  // namespace rec

// Writes one object record: the tag and "(", pairs separated by ",", then ")" and a line feed.
class RecordOut {
public:
    RecordOut(FILE* f, const char* tag);
    // A pair, always written.
    void pair(const char* key, int32_t v);
    // A pair written only when the value differs from `omitted`.
    void opt(const char* key, int32_t v, int32_t omitted) {
        if (v != omitted) pair(key, v);
    }
    // Writes the separator before the next item ("," unless it is the first).
    void separator();
    void end();

    FILE* f;
    bool first = true;
};

// One numeric field of a record: its key, the field (16-bit or 32-bit), and the value for
// which the writer leaves it out (`always` for a field that is always written).
struct FieldRef {
    static constexpr int64_t always = INT64_MIN;
    const char* key;
    short* s;
    int32_t* l;
    int64_t omitted;
};
inline FieldRef field(const char* key, short* s, int64_t omitted) {
    return {key, s, nullptr, omitted};
}
inline FieldRef field32(const char* key, int32_t* l, int64_t omitted) {
    return {key, nullptr, l, omitted};
}

// Writes the fields in table order, each unless it equals its omitted value.
void write_fields(RecordOut& out, const FieldRef* fields, size_t n);
// Stores v into the field of that key; false when the table has no such key. The search
// starts at `next` and goes round the table, and `next` is left after the field found: the
// keys of a record come in table order, so each is found at once.
bool store_field(const FieldRef* fields, size_t n, const char* key, int32_t v, size_t& next);
inline bool store_field(const FieldRef* fields, size_t n, const char* key, int32_t v) {
    size_t next = 0;
    return store_field(fields, n, key, v, next);
}

// Reads the pairs of a numeric record up to its ")" and the line ends after it. `store(key, v)`
// takes one value and returns false for a key it does not know. A strict record fails on such
// a key, a lenient one skips it with its value; `limit` (0: none) bounds the number of pairs,
// and one more beeps and fails. Values are read as 32-bit decimals; 1 when the record ended
// well, else 0.
template <class Store>
short read_pairs(FILE* f, bool strict, short limit, Store store) {
    char k[100];
    for (short count = 1;; count++) {
        int r = rec::key(f, k, sizeof k);
        if (r == 0) break;
        if (r < 0) return 0;
        if (limit && count > limit) {
            beep();
            return 0;
        }
        int32_t v;
        int c = rec::number_and_next(f, &v);
        if (c == rec::no_number) return 0;
        if (!store(k, v) && strict) return 0;
        if (c == ')') break;
        if (c != ',') return 0;
    }
    rec::skip_line_ends(f);
    return 1;
}
