#include "ResWriter.h"

#include <cstdio>

namespace rescomp {

namespace {

// Kind of structured file written in the header's type word.
constexpr int resource_file_kind = 1;
constexpr int format_version = 1;

void put16(std::string& out, int32_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& out, int32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, (v >> 16) & 0xFFFF);
}

}  // namespace

std::string build_resource_file(const std::vector<Resource>& resources, Diagnostics& diag) {
    size_t total_areas = resources.size() + 1;
    if (total_areas > max_areas) {
        diag.error(0, std::to_string(resources.size()) + " resources; a file holds at most " +
                          std::to_string(max_areas - 1));
        return std::string();
    }
    std::string index;
    put16(index, static_cast<int32_t>(resources.size()));  // tot
    put16(index, static_cast<int32_t>(resources.size()));  // max
    index.append(8, '\0');                                 // entry 0 is not used
    for (size_t k = 0; k < resources.size(); ++k) {
        put16(index, resources[k].id);
        put16(index, resources[k].type);
        put16(index, 0);                             // language
        put16(index, static_cast<int32_t>(k + 2));  // area
    }

    std::string file;
    put16(file, 0xD927);
    put16(file, resource_file_kind);
    put16(file, format_version);
    file.append(10, '\0');
    put16(file, static_cast<int32_t>(total_areas));
    put16(file, static_cast<int32_t>(resources.size()));
    size_t pos = file.size() + 12 * total_areas;
    auto put_area = [&](const std::string& bytes) {
        put16(file, 0);  // ref
        put16(file, 0);  // libre
        put32(file, static_cast<int32_t>(pos));
        put32(file, static_cast<int32_t>(bytes.size()));
        pos += bytes.size();
    };
    put_area(index);
    for (const Resource& r : resources) put_area(r.bytes);
    file += index;
    for (const Resource& r : resources) file += r.bytes;
    return file;
}

bool write_file(const std::string& path, const std::string& bytes) {
    std::string temp = path + ".tmp";
    FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (ok && std::rename(temp.c_str(), path.c_str()) == 0) return true;
    std::remove(temp.c_str());
    return false;
}

}  // namespace rescomp
