#include "framework/CString.h"

#include "framework/Resedit.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// What get() yields for a string without a buffer; callers never write through it.
char empty_text[1] = {0};

size_t clamped_length(const char* s)
{
    return s ? strnlen(s, CString::max_length) : 0;
}

// One printf conversion of a 32-bit value, starting at the '%' of fmt: flags, width and
// precision are kept, and the value is narrowed as its length modifier asks ("%hd" reads 16
// bits, "%ld" and "%d" all 32). Sets len to the characters the conversion spans; returns false
// for a conversion that takes no integer (%s, %f, %n, a '*' width, ...).
bool format_one(const char* fmt, int32_t value, char* out, size_t room, size_t& len, int& written)
{
    size_t i = 1 + strspn(fmt + 1, "-+ #0");
    i += strspn(fmt + i, "0123456789");
    if (fmt[i] == '.') i += 1 + strspn(fmt + i + 1, "0123456789");
    const size_t head = i;
    const size_t mods = strspn(fmt + i, "hlLqjzt");
    i += mods;
    const char conv = fmt[i];
    len = conv ? i + 1 : i;
    char plain[32];
    if (!conv || !strchr("diouxXc", conv) || head + 2 > sizeof plain) return false;
    memcpy(plain, fmt, head);
    plain[head] = conv;
    plain[head + 1] = 0;
    const bool half = mods == 1 && fmt[head] == 'h';
    const bool byte = mods == 2 && fmt[head] == 'h' && fmt[head + 1] == 'h';
    if (conv == 'c') {
        written = snprintf(out, room, plain, static_cast<unsigned char>(value));
    } else if (conv == 'd' || conv == 'i') {
        int v = half ? static_cast<short>(value) : byte ? static_cast<signed char>(value) : value;
        written = snprintf(out, room, plain, v);
    } else {
        unsigned v = half   ? static_cast<unsigned short>(value)
                     : byte ? static_cast<unsigned char>(value)
                            : static_cast<uint32_t>(value);
        written = snprintf(out, room, plain, v);
    }
    return true;
}

}  // namespace

CString::CString() : string(nullptr), max_len(0)
{
    uid = 2;
}

CString::CString(const CString& other) : CString()
{
    set(other.get());
}

CString& CString::operator=(const CString& other)
{
    set(other.get());
    return *this;
}

CString::~CString()
{
    free(string);
    string = nullptr;
    max_len = 0;
}

char* CString::get() const
{
    return string ? string : empty_text;
}

short CString::length() const
{
    return static_cast<short>(string ? strlen(string) : 0);
}

void CString::store(const char* s, size_t n)
{
    if (n == 0) {
        if (string) string[0] = 0;
        return;
    }
    if (static_cast<size_t>(max_len) < n) {
        // A too-small buffer is replaced by one of exactly the new size.
        char* fresh = static_cast<char*>(malloc(n + 1));
        if (!fresh) return;
        free(string);
        string = fresh;
        max_len = static_cast<short>(n);
    }
    memmove(string, s, n);
    string[n] = 0;
}

void CString::append(const char* s, size_t n)
{
    if (!string) {
        store(s, n);
        return;
    }
    size_t cur = strlen(string);
    n = std::min(n, static_cast<size_t>(max_length) - cur);
    if (n == 0) return;
    if (static_cast<size_t>(max_len) < cur + n) {
        // Exact growth: the new buffer holds the old text and s, nothing more.
        char* fresh = static_cast<char*>(malloc(cur + n + 1));
        if (!fresh) return;
        memcpy(fresh, string, cur);
        memcpy(fresh + cur, s, n);
        free(string);
        string = fresh;
        max_len = static_cast<short>(cur + n);
    } else {
        memmove(string + cur, s, n);
    }
    string[cur + n] = 0;
}

void CString::set(const char* s)
{
    store(s, clamped_length(s));
}

void CString::add(const char* s)
{
    append(s, clamped_length(s));
}

void CString::add_char(char c)
{
    if (c) append(&c, 1);
}

void CString::add_int(short v)
{
    char buf[8];
    snprintf(buf, sizeof buf, "%hd", v);
    add(buf);
}

void CString::add_format(const char* fmt, const int32_t* args, int count)
{
    if (!fmt) return;
    char buf[format_buffer_size];
    const size_t last = sizeof buf - 1;
    size_t pos = 0;
    int next = 0;
    const char* p = fmt;
    while (*p && pos < last) {
        if (*p != '%') {
            buf[pos++] = *p++;
            continue;
        }
        if (p[1] == '%') {
            buf[pos++] = '%';
            p += 2;
            continue;
        }
        size_t len = 0;
        int written = 0;
        int32_t value = next < count ? args[next] : 0;
        if (format_one(p, value, buf + pos, sizeof buf - pos, len, written)) {
            ++next;
            if (written > 0) pos = std::min(last, pos + written);
        } else {
            // Conversions that take no integer are kept as plain text.
            size_t take = std::min(len, last - pos);
            memcpy(buf + pos, p, take);
            pos += take;
        }
        p += len;
    }
    buf[pos] = 0;
    add(buf);
}

void CString::add_format_1(const char* fmt, int32_t a)
{
    add_format(fmt, &a, 1);
}

void CString::add_format_2(const char* fmt, int32_t a, int32_t b)
{
    const int32_t args[] = {a, b};
    add_format(fmt, args, 2);
}

void CString::add_format_4(const char* fmt, int32_t a, int32_t b, int32_t c, int32_t d)
{
    const int32_t args[] = {a, b, c, d};
    add_format(fmt, args, 4);
}

void CString::majmin()
{
    if (!string || !string[0]) return;
    if (string[0] >= 'a' && string[0] <= 'z') string[0] = static_cast<char>(string[0] - 'a' + 'A');
    for (char* c = string + 1; *c; ++c) {
        if (*c >= 'A' && *c <= 'Z') *c = static_cast<char>(*c - 'A' + 'a');
    }
}

short CString::line_count() const
{
    const char* s = get();
    if (!*s) return 0;
    return static_cast<short>(1 + std::count(s, s + strlen(s), '\r'));
}

short CString::get_line(short n, char* out, size_t out_size) const
{
    if (!out) out_size = 0;
    const char* s = get();
    const char* line = n >= 1 ? s : nullptr;
    for (short k = 1; line && k < n; ++k) {
        line = strchr(line, '\r');
        if (line) ++line;
    }
    size_t len = line ? strcspn(line, "\r") : 0;
    if (out_size > 0) {
        len = std::min(len, out_size - 1);
        memcpy(out, line ? line : "", len);
        out[len] = 0;
    }
    return *s ? 1 : 0;
}

int CString::read_line_end(FILE* f)
{
    // The line is gathered first and stored once; the buffer ends up exactly as long as it
    // would by appending each byte (a zero byte appends nothing, as with add_char).
    std::string line;
    int c = EOF;
    while (f && (c = fgetc(f)) != EOF && c != '\r' && c != '\n') {
        if (c) line += static_cast<char>(c);
    }
    set(line.c_str());
    return c;
}

void CString::read_line(FILE* f)
{
    read_line_end(f);
}

void CString::read_line_crlf(FILE* f)
{
    if (read_line_end(f) != '\r') return;
    int c = fgetc(f);
    if (c != EOF && c != '\n') ungetc(c, f);
}

short CString::integer_param(short n) const
{
    return extract_integer_param(get(), n);
}

int32_t CString::long_param(short n) const
{
    return extract_long_param(get(), n);
}

char* CString::string_param(short n) const
{
    return extract_string_param(get(), n);
}
