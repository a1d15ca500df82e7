#include "platform/Cp1252.h"

namespace platform {

namespace {

// Bytes 0x80 to 0x9F; the rest of the code page equals Latin-1.
const unsigned kHigh[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
};

void append_utf8(std::string& out, unsigned cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

int byte_for(unsigned cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == cp && cp != 0xFFFD) return 0x80 + i;
    return '?';
}

}  // namespace

unsigned cp1252_code_point(unsigned char byte)
{
    return (byte >= 0x80 && byte < 0xA0) ? kHigh[byte - 0x80] : byte;
}

std::string cp1252_to_utf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (unsigned char c : text) append_utf8(out, cp1252_code_point(c));
    return out;
}

std::string utf8_to_cp1252(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    size_t i = 0, n = text.size();
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + len > n) { out += '?'; ++i; continue; }
        unsigned cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
        bool ok = true;
        for (int k = 1; k < len; ++k) {
            unsigned char d = static_cast<unsigned char>(text[i + k]);
            if ((d & 0xC0) != 0x80) { ok = false; break; }
            cp = (cp << 6) | (d & 0x3F);
        }
        if (!ok) { out += '?'; ++i; continue; }
        // A character written with more bytes than it needs (C0 AE for '.', C0 80 for NUL)
        // is refused: read as the character, it would let a name on disk pass for "..".
        const unsigned least[] = {0, 0, 0x80, 0x800, 0x10000};
        out += cp < least[len] ? '?' : static_cast<char>(byte_for(cp));
        i += len;
    }
    return out;
}

}  // namespace platform
