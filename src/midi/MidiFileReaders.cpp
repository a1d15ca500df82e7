#include "midi/MidiFileReaders.h"

namespace {

// A byte of the file, 0xFF at its end.
struct FileByte {
    FILE* f;
    int operator()() {
        int c = getc(f);
        return c == EOF ? 0xFF : c;
    }
    bool at_end() const { return feof(f) != 0; }
};

struct MemoryByte {
    SmfBytes& b;
    int operator()() { return b.byte(); }
    bool at_end() const { return b.past_end; }
};

template <class Source>
uint32_t big_endian(Source next, int count) {
    uint32_t v = 0;
    for (int i = 0; i < count; i++) v = (v << 8) | (uint32_t)next();
    return v;
}

template <class Source>
uint32_t little_endian(Source next) {
    uint32_t v = 0;
    for (int i = 0; i < 4; i++) v |= (uint32_t)next() << (8 * i);
    return v;
}

template <class Source>
short var_len(int32_t* out, Source next) {
    int32_t value = 0;
    short count = 0;
    while (count < 4) {
        int c = next();
        count++;
        value = (value << 7) | (c & 0x7F);
        if (next.at_end()) break;
        if (!(c & 0x80)) {
            *out = value;
            return count;
        }
    }
    *out = -1;  // ran past the end, or a fifth byte would follow
    return count;
}

}  // namespace

short read_long(int32_t* out, FILE* f) {
    *out = (int32_t)big_endian(FileByte{f}, 4);
    return 4;
}
short read_24b(int32_t* out, FILE* f) {
    *out = (int32_t)big_endian(FileByte{f}, 3);
    return 3;
}
short read_int(short* out, FILE* f) {
    *out = (short)(uint16_t)big_endian(FileByte{f}, 2);
    return 2;
}
short read_long_riff(int32_t* out, FILE* f) {
    *out = (int32_t)little_endian(FileByte{f});
    return 4;
}
short read_var_len(int32_t* out, FILE* f) { return var_len(out, FileByte{f}); }

short read_long(int32_t* out, SmfBytes& b) {
    *out = (int32_t)big_endian(MemoryByte{b}, 4);
    return 4;
}
short read_24b(int32_t* out, SmfBytes& b) {
    *out = (int32_t)big_endian(MemoryByte{b}, 3);
    return 3;
}
short read_int(short* out, SmfBytes& b) {
    *out = (short)(uint16_t)big_endian(MemoryByte{b}, 2);
    return 2;
}
short read_long_riff(int32_t* out, SmfBytes& b) {
    *out = (int32_t)little_endian(MemoryByte{b});
    return 4;
}
short read_var_len(int32_t* out, SmfBytes& b) { return var_len(out, MemoryByte{b}); }
