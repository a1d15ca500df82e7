#pragma once
// CString: a heap text (Windows-1252) that grows exactly to its longest content and never
// shrinks. Embedded by value in many objects and passed by pointer.

#include "framework/CObject.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

class CString : public CObject {
public:
    // The longest text a string holds; longer texts are cut to it.
    static constexpr short max_length = 32767;
    // Size of the scratch buffer of the add_format operations (the formatted text is at most 511 chars).
    static constexpr int format_buffer_size = 512;
    // get_line's default bound: the caller guarantees the buffer holds the longest line.
    static constexpr size_t unbounded = SIZE_MAX;

    CString();
    // A copy owns its own buffer holding the same text.
    CString(const CString& other);
    CString& operator=(const CString& other);
    ~CString() override;

    // Never null: an empty text when nothing was ever stored.
    char* get() const;
    short length() const;

    void set(const char* s);
    void add(const char* s);
    // A zero character appends nothing.
    void add_char(char c);
    void add_int(short v);
    // Each formats its 32-bit arguments with the printf conversions (%d, %ld, %x, %c, ... with
    // their flags, width and precision) and appends the result, at most 511 characters.
    void add_format_1(const char* fmt, int32_t a);
    void add_format_2(const char* fmt, int32_t a, int32_t b);
    void add_format_4(const char* fmt, int32_t a, int32_t b, int32_t c, int32_t d);

    // First letter a-z to upper case, every later A-Z to lower case; other bytes stay.
    void majmin();

    // Lines are separated by carriage returns only: 0 for an empty text, else 1 + the CR count.
    short line_count() const;
    // Copies line n (1-based) into out and terminates it; returns 0 for an empty text, else 1
    // (an empty line when n is out of range). With out_size given, at most out_size - 1
    // characters are copied, so the line is cut to fit the buffer.
    short get_line(short n, char* out, size_t out_size = unbounded) const;

    // Reads one line; the CR or LF that ends it is consumed and not stored.
    void read_line(FILE* f);
    // As read_line, but CR, LF and CR LF each end exactly one line.
    void read_line_crlf(FILE* f);

    // The n-th parameter of the keyword record held in the string (see Resedit.h).
    short integer_param(short n) const;
    int32_t long_param(short n) const;
    // A new malloc'd text that the caller frees with free().
    char* string_param(short n) const;

    char* string;   // owned buffer, null while nothing was ever stored
    short max_len;  // capacity in characters, not counting the terminator

private:
    // Stores the n first characters of s, or appends them; s may point into this string.
    void store(const char* s, size_t n);
    void append(const char* s, size_t n);
    void add_format(const char* fmt, const int32_t* args, int count);
    // read_line's work; returns the byte that ended the line (EOF at the end of the stream).
    int read_line_end(FILE* f);
};
