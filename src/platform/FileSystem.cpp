#include "platform/FileSystem.h"

#include "platform/Cp1252.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

namespace platform {

namespace {

std::vector<std::string> split_path(const std::string& path)
{
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\' || c == '/') {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

bool same_folded(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (fold_case(a[i]) != fold_case(b[i])) return false;
    return true;
}

// The name of `folder` that matches `part` (Windows-1252): the exact name when it exists,
// else the first name, in byte order, equal to it without regard to case; else `part`.
std::string match_entry(const std::string& folder, const std::string& part)
{
    const std::string wanted = cp1252_to_utf8(part);
    struct stat st;
    if (::stat((folder + "/" + wanted).c_str(), &st) == 0) return wanted;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return wanted;
    std::string best;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (same_folded(utf8_to_cp1252(name), part) && (best.empty() || name < best)) best = name;
    }
    ::closedir(dir);
    return best.empty() ? wanted : best;
}

}  // namespace

char fold_case(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 'A' && u <= 'Z') return static_cast<char>(u + 32);
    if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return static_cast<char>(u + 32);
    switch (u) {
    case 0x8A: return static_cast<char>(0x9A);  // S caron
    case 0x8C: return static_cast<char>(0x9C);  // OE
    case 0x8E: return static_cast<char>(0x9E);  // Z caron
    case 0x9F: return static_cast<char>(0xFF);  // Y diaeresis
    default: return c;
    }
}

bool resolve_path_in(const std::string& base_utf8, const std::string& path, std::string* resolved)
{
    if (path.size() >= 2 && path[1] == ':') return false;
    std::vector<std::string> parts = split_path(path);
    const bool absolute = !path.empty() && (path[0] == '\\' || path[0] == '/');
    std::string root = absolute ? "" : (base_utf8.empty() ? "." : base_utf8);
    while (root.size() > 1 && root.back() == '/') root.pop_back();

    // Lexical clean-up first, so that "a\\..\\..\\x" is refused however "a" is spelled.
    std::vector<std::string> kept;
    for (const std::string& part : parts) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (kept.empty()) {
                if (absolute) continue;  // the root's parent is the root
                return false;
            }
            kept.pop_back();
            continue;
        }
        kept.push_back(part);
    }
    std::string out = root;
    bool matching = true;  // once a part is missing, the rest is taken as given
    for (const std::string& part : kept) {
        const std::string folder = out.empty() ? "/" : out;
        std::string name = cp1252_to_utf8(part);
        if (matching) {
            name = match_entry(folder, part);
            struct stat st;
            matching = ::stat((folder + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        out += "/" + name;
    }
    if (out.empty()) out = "/";
    *resolved = out;
    return true;
}

bool resolve_path(const std::string& path, std::string* resolved) { return resolve_path_in("", path, resolved); }

std::string system_path(const std::string& path)
{
    std::string resolved;
    return resolve_path(path, &resolved) ? utf8_to_cp1252(resolved) : path;
}

FILE* open_file(const std::string& path, const char* mode)
{
    std::string real;
    if (!resolve_path(path, &real)) return nullptr;
    return std::fopen(real.c_str(), mode);
}

bool file_exists(const std::string& path)
{
    std::string real;
    struct stat st;
    return resolve_path(path, &real) && ::stat(real.c_str(), &st) == 0;
}

bool is_directory(const std::string& path)
{
    std::string real;
    struct stat st;
    return resolve_path(path, &real) && ::stat(real.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool remove_file(const std::string& path)
{
    std::string real;
    return resolve_path(path, &real) && ::unlink(real.c_str()) == 0;
}

bool copy_file(const std::string& from, const std::string& to)
{
    std::string src, dst;
    if (!resolve_path(from, &src) || !resolve_path(to, &dst)) return false;
    struct stat from_st, to_st;
    if (::stat(src.c_str(), &from_st) != 0 || S_ISDIR(from_st.st_mode)) return false;
    // A file copied onto itself (the same name in another case, say) would be emptied first.
    if (::stat(dst.c_str(), &to_st) == 0 && to_st.st_dev == from_st.st_dev && to_st.st_ino == from_st.st_ino)
        return false;
    FILE* in = std::fopen(src.c_str(), "rb");
    if (!in) return false;
    FILE* out = std::fopen(dst.c_str(), "wb");
    if (!out) {
        std::fclose(in);
        return false;
    }
    char buffer[65536];
    bool ok = true;
    size_t n;
    while (ok && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0) ok = std::fwrite(buffer, 1, n, out) == n;
    ok = ok && !std::ferror(in);
    std::fclose(in);
    return std::fclose(out) == 0 && ok;
}

bool rename_file(const std::string& from, const std::string& to)
{
    std::string src, dst;
    return resolve_path(from, &src) && resolve_path(to, &dst) && std::rename(src.c_str(), dst.c_str()) == 0;
}

bool make_directory(const std::string& path)
{
    std::string real;
    if (!resolve_path(path, &real)) return false;
    for (size_t at = 1; at <= real.size(); ++at) {
        if (at != real.size() && real[at] != '/') continue;
        const std::string prefix = real.substr(0, at);
        if (::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) return false;
    }
    struct stat st;
    return ::stat(real.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool set_current_directory(const std::string& path)
{
    std::string real;
    return resolve_path(path, &real) && ::chdir(real.c_str()) == 0;
}

std::string current_directory()
{
    char buffer[PATH_MAX];
    if (!::getcwd(buffer, sizeof buffer)) return std::string();
    return utf8_to_cp1252(buffer);
}

bool wildcard_match(const std::string& pattern, const std::string& name)
{
    // Iterative matching with one back-tracking point for the last '*'.
    size_t p = 0, n = 0, star = std::string::npos, resume = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || fold_case(pattern[p]) == fold_case(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = n;
        } else if (star != std::string::npos) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    if (p == pattern.size()) return true;
    // "name.*" also stands for "name" without any extension.
    const size_t size = pattern.size();
    return size >= 2 && pattern.compare(size - 2, 2, ".*") == 0 && name.find('.') == std::string::npos &&
           wildcard_match(pattern.substr(0, size - 2), name);
}

bool list_directory(const std::string& pattern, std::vector<DirectoryEntry>* entries)
{
    entries->clear();
    const size_t cut = pattern.find_last_of("\\/");
    const std::string folder = cut == std::string::npos ? std::string(".") : pattern.substr(0, cut + 1);
    const std::string mask = cut == std::string::npos ? pattern : pattern.substr(cut + 1);
    std::string real;
    if (!resolve_path(folder, &real)) return false;
    DIR* dir = ::opendir(real.c_str());
    if (!dir) return false;
    while (const dirent* e = ::readdir(dir)) {
        const std::string utf8 = e->d_name;
        if (utf8 == "." || utf8 == "..") continue;
        const std::string name = utf8_to_cp1252(utf8);
        if (!wildcard_match(mask, name)) continue;
        struct stat st;
        const bool directory = ::stat((real + "/" + utf8).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        entries->push_back({name, directory});
    }
    ::closedir(dir);
    return true;
}

}  // namespace platform
