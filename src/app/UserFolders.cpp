#include "app/UserFolders.h"

#include "framework/ProgramFiles.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// Whether both files hold the same bytes.
bool same_contents(const std::string& a, const std::string& b)
{
    FILE* fa = platform::open_file(a, "rb");
    FILE* fb = platform::open_file(b, "rb");
    bool same = fa && fb;
    while (same) {
        const int ca = std::fgetc(fa), cb = std::fgetc(fb);
        if (ca != cb) same = false;
        if (ca == EOF || cb == EOF) break;
    }
    if (fa) std::fclose(fa);
    if (fb) std::fclose(fb);
    return same;
}

// "name (2).ext", "name (3).ext"... the first that is free in the folder.
std::string free_name(const std::string& folder, const std::string& name)
{
    const size_t dot = name.find_last_of('.');
    const std::string stem = dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
    const std::string ext = stem.size() == name.size() ? std::string() : name.substr(dot);
    for (int n = 2;; n++) {
        const std::string candidate = stem + " (" + std::to_string(n) + ")" + ext;
        if (!platform::file_exists(folder + "\\" + candidate)) return candidate;
    }
}

}  // namespace

int move_user_folder(const char* folder)
{
    if (!main_dir || !data_dir) return 0;
    const std::string from = std::string(main_dir) + "\\" + folder;
    const std::string to = std::string(data_dir) + "\\" + folder;
    std::vector<platform::DirectoryEntry> entries;
    if (!platform::list_directory(from + "\\*.*", &entries)) return 0;
    std::sort(entries.begin(), entries.end(),
              [](const platform::DirectoryEntry& a, const platform::DirectoryEntry& b) { return a.name < b.name; });
    if (entries.size() > (size_t)max_listed_files) entries.resize(max_listed_files);
    int moved = 0;
    for (const platform::DirectoryEntry& e : entries) {
        if (e.directory) continue;
        const std::string source = from + "\\" + e.name;
        std::string target = to + "\\" + e.name;
        if (platform::file_exists(target)) {
            if (same_contents(source, target)) {
                platform::remove_file(source);
                continue;
            }
            target = to + "\\" + free_name(to, e.name);
        }
        platform::make_directory(to);
        // A failed copy leaves the file where it was, for the next start.
        if (platform::copy_file(source, target) && same_contents(source, target)) {
            platform::remove_file(source);
            moved++;
        }
    }
    return moved;
}

void move_user_folders()
{
    move_user_folder("Mes variations");
    move_user_folder("Ma librairie");
    move_user_folder("Mes compositions");
}

bool path_is_inside(const std::string& path, const std::string& folder)
{
    if (path.empty() || folder.empty()) return false;
    const std::filesystem::path file = std::filesystem::path(path).lexically_normal();
    std::filesystem::path top = std::filesystem::path(folder).lexically_normal();
    if (!top.has_filename()) top = top.parent_path();  // a trailing separator
    auto f = file.begin();
    for (auto t = top.begin(); t != top.end(); ++t, ++f)
        if (f == file.end() || *f != *t) return false;
    return f != file.end();
}

bool in_user_folder(const std::string& path, const char* folder)
{
    CString dir;
    format_file_data_name(&dir, folder, nullptr, nullptr, nullptr);
    return path_is_inside(platform::system_path(path), platform::system_path(dir.get()));
}
