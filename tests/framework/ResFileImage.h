#pragma once
// Test helper: the bytes of structured and resource files, sound or deliberately damaged, and
// a scratch file to hold them.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace test_res {

inline void put16(std::string& s, int v) {
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}

inline void put32(std::string& s, int32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, (v >> 16) & 0xFFFF);
}

inline void poke16(std::string& s, size_t at, int v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

// A structured file with the given areas laid out one after the other.
inline std::string structured_file(const std::vector<std::string>& areas) {
    std::string f;
    put16(f, 0xD927);
    f.append(14, '\0');
    put16(f, static_cast<int>(areas.size()));
    put16(f, 0);
    int32_t pos = static_cast<int32_t>(20 + 12 * areas.size());
    for (const std::string& a : areas) {
        put32(f, 0);
        put32(f, pos);
        put32(f, static_cast<int32_t>(a.size()));
        pos += static_cast<int32_t>(a.size());
    }
    for (const std::string& a : areas) f += a;
    return f;
}

struct Res {
    short type;
    short id;
    std::string bytes;
};

// The index of a resource file; resource k (from 0) is in area k + 2.
inline std::string index_area(const std::vector<Res>& res) {
    std::string index;
    put16(index, static_cast<int>(res.size()));
    put16(index, static_cast<int>(res.size()));
    index.append(8, '\0');
    for (size_t k = 0; k < res.size(); ++k) {
        put16(index, res[k].id);
        put16(index, res[k].type);
        put16(index, 0);
        put16(index, static_cast<int>(k + 2));
    }
    return index;
}

inline std::string resource_file(const std::vector<Res>& res) {
    std::vector<std::string> areas{index_area(res)};
    for (const Res& r : res) areas.push_back(r.bytes);
    return structured_file(areas);
}

// Offset of area n's table entry.
inline size_t area_entry(short n) { return 20 + 12 * static_cast<size_t>(n - 1); }

// A file under the test output folder, removed at the end of the test.
class ScratchFile {
public:
    explicit ScratchFile(const std::string& name)
        : path_(std::string(BRINDLECOT_TEST_OUTPUT) + "/" + name) {}
    ~ScratchFile() { std::remove(path_.c_str()); }
    const char* write(const std::string& bytes) const {
        FILE* f = std::fopen(path_.c_str(), "wb");
        if (f) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        return path_.c_str();
    }
    const char* path() const { return path_.c_str(); }

private:
    std::string path_;
};

}  // namespace test_res
