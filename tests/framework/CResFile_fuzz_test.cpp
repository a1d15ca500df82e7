// Bounded random-input test of the resource reader: damaged copies of sound files (bytes
// changed, words of the header, area table and index overwritten, files cut short or
// lengthened) must be refused or read without any fault; the sanitizer build checks every
// access.

#include "framework/CResFile.h"

#include "ResFileImage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

using namespace test_res;

namespace {

std::string file_bytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> seeds() {
    std::vector<std::string> all;
    for (const char* name : {"CLASSES.RES", "MUSIC.RES", "Brindlecot.res", "COMPOSER.RES"}) {
        std::string bytes = file_bytes(std::string(BRINDLECOT_BUILD_DATA) + "/misc/" + name);
        if (!bytes.empty()) all.push_back(bytes);
    }
    all.push_back(resource_file({{10, 1, std::string("a\r\nb\0", 5)}, {10, 1, "dup"}, {3, 2, "p"}}));
    return all;
}

std::string mutate(std::string s, std::mt19937& rng) {
    auto pick = [&](size_t n) { return n ? std::uniform_int_distribution<size_t>(0, n - 1)(rng) : 0; };
    auto value = [&] {
        const int interesting[] = {0, 1, -1, 2, 0x7FFF, -0x8000, 0xD927, 2565, 2566, 12};
        return rng() % 2 ? interesting[pick(10)] : static_cast<int>(rng() & 0xFFFF);
    };
    int edits = 1 + static_cast<int>(pick(4));
    for (int e = 0; e < edits && !s.empty(); ++e) {
        switch (pick(5)) {
            case 0: s[pick(s.size())] = static_cast<char>(rng()); break;
            case 1:  // a word of the header, the area table or the index
                if (s.size() >= 2) poke16(s, pick(std::min<size_t>(s.size() - 1, 160)), value());
                break;
            case 2: s.resize(pick(s.size() + 1)); break;
            case 3: s.append(pick(64), static_cast<char>(rng())); break;
            default:
                if (s.size() >= 2) poke16(s, pick(s.size() - 1), value());
                break;
        }
    }
    return s;
}

// Reads everything the file offers, the way the program would.
void read_everything(CResFile& f, std::mt19937& rng) {
    File_info info;
    f.get_info(&info);
    for (short n = -1; n <= f.get_tot_area() + 1 && n < 40; ++n) {
        char buf[64];
        f.area_length(n);
        f.read_area(n, static_cast<int32_t>(rng() % 80) - 8, static_cast<int32_t>(rng() % 64), buf);
    }
    if (f.index.size() < 4) return;
    short tot = static_cast<short>(f.index[0] | f.index[1] << 8);
    for (short k = 1; k <= tot && k < 300; ++k) {
        size_t at = 4 + 8 * static_cast<size_t>(k);
        short id = static_cast<short>(f.index[at] | f.index[at + 1] << 8);
        short type = static_cast<short>(f.index[at + 2] | f.index[at + 3] << 8);
        int32_t size = f.size_res(type, id);
        unsigned char* p = static_cast<unsigned char*>(f.read_res(type, id));
        if (p) {
            volatile unsigned sum = 0;  // every byte of the buffer is readable
            for (int32_t b = 0; b < size; ++b) sum = sum + p[b];
            string_list_lines(reinterpret_cast<char*>(p), static_cast<size_t>(size));
        }
        std::free(p);
    }
}

TEST(CResFileFuzz, DamagedFilesAreRefusedOrReadSafely) {
    std::vector<std::string> sound = seeds();
    ASSERT_GE(sound.size(), 5u);
    ScratchFile file("fuzz.res");
    std::mt19937 rng(20261210);
    int opened = 0;
    const int rounds = 2000;
    for (int i = 0; i < rounds; ++i) {
        std::string bytes = mutate(sound[i % sound.size()], rng);
        file.write(bytes);
        CResFile f;
        if (f.open_res(file.path())) {
            ++opened;
            read_everything(f, rng);
        } else {
            EXPECT_EQ(f.fd, nullptr);
        }
        // Through the cache as well, string lists included.
        if (i % 10 == 0) {
            CString s;
            for (short id = 1; id <= 3; ++id) gr_string(nullptr, file.path(), id, 2, &s);
            free(read_res(nullptr, file.path(), 3, 21));
            free_res_files();
        }
    }
    // Both roads are exercised: some damaged files still open, many are refused.
    EXPECT_GT(opened, rounds / 20);
    EXPECT_LT(opened, rounds);
}

TEST(CResFileFuzz, RandomBytesBehindTheSignature) {
    ScratchFile file("fuzz_random.res");
    std::mt19937 rng(7);
    for (int i = 0; i < 500; ++i) {
        std::string bytes("\x27\xD9", 2);
        size_t n = rng() % 200;
        for (size_t k = 0; k < n; ++k) bytes += static_cast<char>(rng() % 4 ? rng() % 8 : rng());
        file.write(bytes);
        CResFile f;
        if (f.open_res(file.path())) read_everything(f, rng);
    }
}

}  // namespace
