#include "framework/CStructFile.h"

#include "platform/FileSystem.h"

#include <cctype>
#include <string>

namespace {

uint16_t word_at(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

int32_t long_at(const unsigned char* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(word_at(p)) |
                                (static_cast<uint32_t>(word_at(p + 2)) << 16));
}

// Paths are written with backslashes and in any letter case ("MISC\\CLASSES.RES").
FILE* open_for_reading(const char* name) { return platform::open_file(name, "rb"); }

bool read_at(FILE* f, long pos, void* dest, size_t length) {
    return std::fseek(f, pos, SEEK_SET) == 0 && std::fread(dest, 1, length, f) == length;
}

}  // namespace

CStructFile::CStructFile() { uid = 18; }

CStructFile::~CStructFile() { close(); }

void CStructFile::close() {
    area.clear();
    max_area = tot_area = tot_index = 0;
    if (fd) std::fclose(fd);
    fd = nullptr;
}

short CStructFile::open(const char* path) {
    close();
    name.set(path ? path : "");
    // The program only reads these files, so a read-only installation serves as well.
    fd = path ? open_for_reading(path) : nullptr;
    if (!fd) return 0;

    unsigned char head[20];
    if (!read_at(fd, 0, head, sizeof head) || word_at(head) != signature) {
        close();
        return 0;
    }
    short total = static_cast<short>(word_at(head + 16));
    short index = static_cast<short>(word_at(head + 18));
    if (total < 0 || (total + 101) * 12 > max_table_bytes) {
        close();
        return 0;
    }
    std::vector<unsigned char> table(static_cast<size_t>(total) * 12);
    if (!table.empty() && !read_at(fd, 20, table.data(), table.size())) {
        close();
        return 0;
    }
    area.assign(static_cast<size_t>(total) + 1, File_area{0, 0, 0, 0});
    for (short n = 1; n <= total; ++n) {
        const unsigned char* e = &table[static_cast<size_t>(n - 1) * 12];
        area[n] = File_area{static_cast<short>(word_at(e)), static_cast<short>(word_at(e + 2)),
                            long_at(e + 4), long_at(e + 8)};
    }
    tot_area = total;
    tot_index = index;
    max_area = static_cast<short>(total + 100);
    return 1;
}

short CStructFile::read_area(short n, int32_t offset, int32_t length, void* dest) {
    if (!fd || n < 1 || n > tot_area || offset < 0 || length < 0) return 0;
    const File_area& a = area[n];
    if (a.pos < 0 || offset >= a.tot) return 0;
    if (length > a.tot - offset) length = a.tot - offset;
    if (length == 0) return 0;
    return read_at(fd, static_cast<long>(a.pos) + offset, dest, static_cast<size_t>(length)) ? 1 : 0;
}

int32_t CStructFile::area_length(short n) const {
    if (!fd || n < 1 || n > tot_area || area[n].tot < 0) return 0;
    return area[n].tot;
}

short CStructFile::get_info(File_info* out) {
    unsigned char head[16];
    if (!fd || !out || !read_at(fd, 0, head, sizeof head)) return 0;
    uint16_t* words[] = {&out->signature, &out->type, &out->version, &out->res1,
                         &out->res2,      &out->res3, &out->res4,    &out->res5};
    for (int i = 0; i < 8; ++i) *words[i] = word_at(head + 2 * i);
    return 1;
}

short CStructFile::is_name(const char* other) const {
    if (!other || !*other) return 0;
    const char* mine = name.get();
    for (; *mine && *other; ++mine, ++other)
        if (std::tolower(static_cast<unsigned char>(*mine)) !=
            std::tolower(static_cast<unsigned char>(*other)))
            return 0;
    return *mine == *other ? 1 : 0;
}
