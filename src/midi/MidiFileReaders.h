#pragma once
// Readers of the integers of Standard MIDI Files and of the RIFF container of ".rmi" files.
// Each stores its value through the pointer and returns the number of bytes it consumed, so
// that a caller walking a chunk can count down what is left of it.
//
// Past the end of the input every byte reads as 0xFF. A variable-length number has at most
// four bytes: one that runs past the end or past four bytes stores -1, which no well-formed
// number gives, so the caller sees the damage.
//
// The same rules read a file opened with "rb" or bytes held in memory (`SmfBytes`), which is
// what the import and the MIDI file object walk.

#include <cstdint>
#include <cstdio>

// A bounded view of bytes in memory; reading past `end` yields 0xFF and sets `past_end`.
struct SmfBytes {
    const unsigned char* p = nullptr;
    const unsigned char* end = nullptr;
    bool past_end = false;

    int byte() {
        if (p < end) return *p++;
        past_end = true;
        return 0xFF;
    }
    int32_t left() const { return p < end ? (int32_t)(end - p) : 0; }
    // Skips n bytes (at most to the end); a negative n skips nothing.
    void skip(int64_t n) {
        if (n <= 0) return;
        if (n > left()) {
            past_end = true;
            p = end;
        } else {
            p += n;
        }
    }
};

short read_long(int32_t* out, FILE* f);       // 4 bytes, big-endian
short read_24b(int32_t* out, FILE* f);        // 3 bytes, big-endian
short read_int(short* out, FILE* f);          // 2 bytes, big-endian; 0x8000 up are negative
short read_long_riff(int32_t* out, FILE* f);  // 4 bytes, little-endian
short read_var_len(int32_t* out, FILE* f);    // 1 to 4 bytes

short read_long(int32_t* out, SmfBytes& b);
short read_24b(int32_t* out, SmfBytes& b);
short read_int(short* out, SmfBytes& b);
short read_long_riff(int32_t* out, SmfBytes& b);
short read_var_len(int32_t* out, SmfBytes& b);
