#include "framework/TextConversion.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace {

struct LetterPair {
    unsigned char mac;
    unsigned char win;
};

// The letters the two conversions exchange: Mac OS Roman code, Windows-1252 code.
constexpr LetterPair kLetters[] = {
    {0x80, 0xC4}, {0x81, 0xC5}, {0x82, 0xC7}, {0x83, 0xC9}, {0x85, 0xD6}, {0x86, 0xDC},
    {0x88, 0xE0}, {0x89, 0xE2}, {0x8A, 0xE4}, {0x8C, 0xE5}, {0x8D, 0xE7}, {0x8E, 0xE9},
    {0x8F, 0xE8}, {0x90, 0xEA}, {0x91, 0xEB}, {0x94, 0xEE}, {0x95, 0xEF}, {0x98, 0xF2},
    {0x99, 0xF4}, {0x9A, 0xF6}, {0x9D, 0xF9}, {0x9E, 0xFB}, {0x9F, 0xFC}, {0xAE, 0xC6},
    {0xBE, 0xE6}, {0xD8, 0xFF},
};

// One byte-to-byte table per direction, built once.
struct Tables {
    unsigned char mac_win[256];
    unsigned char win_mac[256];
    Tables()
    {
        for (int i = 0; i < 256; ++i) mac_win[i] = win_mac[i] = static_cast<unsigned char>(i);
        for (const LetterPair& p : kLetters) {
            mac_win[p.mac] = p.win;
            win_mac[p.win] = p.mac;
        }
    }
};

const Tables& tables()
{
    static const Tables t;
    return t;
}

void convert(char* s, size_t n, const unsigned char* table)
{
    if (!s) return;
    for (size_t i = 0; i < n && s[i]; ++i) s[i] = static_cast<char>(table[static_cast<unsigned char>(s[i])]);
}

}  // namespace

void convert_string_mac_win(char* s) { convert(s, SIZE_MAX, tables().mac_win); }

void convert_string_win_mac(char* s) { convert(s, SIZE_MAX, tables().win_mac); }

void convertir_fichier_mac_win(const char* path)
{
    if (!path) return;
    FILE* f = platform::open_file(path, "rb+");
    if (!f) return;
    constexpr long kBlock = 1000;
    char block[kBlock];
    long length = 0;
    if (std::fseek(f, 0, SEEK_END) == 0) length = std::ftell(f);
    for (long start = 0; start < length; start += kBlock) {
        const size_t n = static_cast<size_t>(std::min(kBlock, length - start));
        if (std::fseek(f, start, SEEK_SET) != 0 || std::fread(block, 1, n, f) != n) break;
        convert(block, n, tables().mac_win);
        if (std::fseek(f, start, SEEK_SET) != 0 || std::fwrite(block, 1, n, f) != n) break;
    }
    std::fclose(f);
}
