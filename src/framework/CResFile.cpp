#include "framework/CResFile.h"

#include <algorithm>
#include <cstdlib>

CArrayPtr* res_array = nullptr;

namespace {

short word_at(const std::vector<unsigned char>& bytes, size_t at) {
    return static_cast<short>(bytes[at] | (bytes[at + 1] << 8));
}

// Index layout: tot and max, then 8-byte entries from 0 (unused) to max.
constexpr size_t index_head = 4;
constexpr size_t entry_size = 8;

Res_elem entry(const std::vector<unsigned char>& index, short k) {
    size_t at = index_head + entry_size * static_cast<size_t>(k);
    return Res_elem{word_at(index, at), word_at(index, at + 2), word_at(index, at + 4),
                    word_at(index, at + 6)};
}

std::string resource_path(const char* dir, const char* file) {
    bool has_dir = dir && *dir;
    bool has_file = file && *file;
    std::string path = has_dir ? dir : "";
    if (has_dir && has_file) path += '\\';
    if (has_file) path += file;
    return path;
}

// The cached file for the path, opened and cached on first use; null when it cannot be opened.
CResFile* cached_file(const char* dir, const char* file) {
    std::string path = resource_path(dir, file);
    if (!res_array) res_array = new CArrayPtr;
    for (short i = 1; i <= res_array->total(); ++i) {
        auto* f = reinterpret_cast<CResFile*>(res_array->get(i));
        if (f->is_name(path.c_str())) return f;
    }
    auto* f = new CResFile;
    if (!f->open_res(path.c_str())) {
        delete f;
        return nullptr;
    }
    res_array->add(reinterpret_cast<intptr_t>(f));
    return f;
}

}  // namespace

CResFile::CResFile() { uid = 19; }

short CResFile::open_res(const char* path) {
    index.clear();
    if (!open(path)) return 0;
    unsigned char max_bytes[2];
    // Area 1 must hold at least the index's two counts.
    if (area_length(1) < static_cast<int32_t>(index_head) || !read_area(1, 2, 2, max_bytes))
        return refuse();
    short max = static_cast<short>(max_bytes[0] | (max_bytes[1] << 8));
    if (max < 0) return refuse();
    size_t size = entry_size * static_cast<size_t>(max) + 12;
    size_t present = std::min(size, static_cast<size_t>(area_length(1)));
    index.assign(size, 0);
    if (!read_area(1, 0, static_cast<int32_t>(size), index.data())) return refuse();
    // The entries 1 to tot must lie within both the index's room and the bytes of area 1.
    short tot = word_at(index, 0);
    if (tot < 0 || tot > max || index_head + entry_size * (static_cast<size_t>(tot) + 1) > present)
        return refuse();
    return 1;
}

short CResFile::refuse() {
    index.clear();
    close();
    return 0;
}

short CResFile::find(short type, short id) const {
    if (!fd || index.empty()) return 0;
    short tot = word_at(index, 0);
    for (short k = 1; k <= tot; ++k) {
        Res_elem e = entry(index, k);
        if (e.id == id && e.type == type) return e.area >= 1 && e.area <= tot_area ? e.area : 0;
    }
    return 0;
}

int32_t CResFile::size_res(short type, short id) const {
    short n = find(type, id);
    return n ? area_length(n) : 0;
}

void* CResFile::read_res(short type, short id) {
    short n = find(type, id);
    int32_t size = n ? area_length(n) : 0;
    if (size <= 0 || size > max_resource_size) return nullptr;
    void* buffer = std::malloc(static_cast<size_t>(size));
    if (buffer && !read_area(n, 0, size, buffer)) {
        std::free(buffer);
        buffer = nullptr;
    }
    return buffer;
}

void* read_res(const char* dir, const char* file, short type, short id) {
    CResFile* f = cached_file(dir, file);
    return f ? f->read_res(type, id) : nullptr;
}

int32_t size_res(const char* dir, const char* file, short type, short id) {
    CResFile* f = cached_file(dir, file);
    return f ? f->size_res(type, id) : 0;
}

void free_res_files() {
    if (!res_array) return;
    while (res_array->total() > 0)
        delete reinterpret_cast<CResFile*>(res_array->remove(res_array->total()));
}

std::vector<std::string> string_list_lines(const char* text, size_t size) {
    std::vector<std::string> lines(1);
    for (size_t i = 0; i < size && text[i] != '\0'; ++i) {
        char c = text[i];
        if (c != '\r' && c != '\n') {
            lines.back() += c;
            continue;
        }
        if (i + 1 < size && (text[i + 1] == '\r' || text[i + 1] == '\n')) ++i;
        lines.emplace_back();
    }
    return lines;
}

bool read_string_list(const char* dir, const char* file, short id, std::vector<std::string>& lines) {
    constexpr short string_list_type = 10;
    lines.clear();
    CResFile* f = cached_file(dir, file);
    int32_t size = f ? f->size_res(string_list_type, id) : 0;
    char* text = f ? static_cast<char*>(f->read_res(string_list_type, id)) : nullptr;
    if (!text) return false;
    lines = string_list_lines(text, static_cast<size_t>(size));
    std::free(text);
    return true;
}

short gr_string(const char* dir, const char* file, short id, short line, CString* out) {
    if (out) out->set("");
    std::vector<std::string> lines;
    if (!read_string_list(dir, file, id, lines) || line < 1 ||
        static_cast<size_t>(line) > lines.size())
        return 0;
    if (out) out->set(lines[static_cast<size_t>(line) - 1].c_str());
    return 1;
}

short CArrayString::load_strings(const char* dir, const char* file, short id) {
    clear();
    std::vector<std::string> lines;
    if (!read_string_list(dir, file, id, lines)) return 0;
    if (lines.back().empty()) lines.pop_back();
    for (const std::string& line : lines) {
        add();
        get(total())->set(line.c_str());
    }
    return 1;
}
