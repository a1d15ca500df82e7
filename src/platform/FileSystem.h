#pragma once
// Files as the program names them: Windows-1252 texts with backslashes (or slashes) and any
// letter case, such as "MISC\\Options.txt" or "Misc\\Biblioth\xE8que d'origine". Each part
// of the path is matched against the names on disk without regard to letter case (an exact
// match wins), so that these names open on a case-sensitive file system. Parts that do not
// exist yet keep the case they are given, so that new files can be created.
//
// A relative path is taken inside a base folder (the current directory unless given) and may
// not climb out of it with "..": such a path is refused. A path starting with a separator is
// absolute; one starting with a drive letter ("C:") has no meaning here and is refused.

#include <cstdio>
#include <string>
#include <vector>

namespace platform {

// The UTF-8 path of `path` inside `base_utf8` (empty: the current directory); false when
// the path is refused.
bool resolve_path_in(const std::string& base_utf8, const std::string& path, std::string* resolved);
bool resolve_path(const std::string& path, std::string* resolved);

// The path as the system names it, written back in Windows-1252: '/' between its parts, each
// part spelled as on disk (what the user is shown of a file or a folder). The path as given
// when it is refused.
std::string system_path(const std::string& path);

// fopen with a resolved name; null when refused or when fopen fails.
FILE* open_file(const std::string& path, const char* mode);

bool file_exists(const std::string& path);       // a file or a folder
bool is_directory(const std::string& path);
bool remove_file(const std::string& path);  // a file only: a folder of that name stays
bool copy_file(const std::string& from, const std::string& to);  // replaces `to`
bool rename_file(const std::string& from, const std::string& to);
bool make_directory(const std::string& path);    // with the folders above it
bool set_current_directory(const std::string& path);
std::string current_directory();                 // Windows-1252

struct DirectoryEntry {
    std::string name;  // Windows-1252
    bool directory = false;
};

// The entries of a folder whose names match the last part of `pattern`, a name with the
// wild cards '*' (any run of characters) and '?' (one character), compared without regard
// to letter case; "*.*" (and any pattern ending in ".*") also matches names without a dot.
// "." and ".." are never listed. The order is the file system's. False when the folder
// cannot be read or the pattern is refused.
bool list_directory(const std::string& pattern, std::vector<DirectoryEntry>* entries);

// Whether `name` matches the wild-card `pattern` (Windows-1252, letter case ignored).
bool wildcard_match(const std::string& pattern, const std::string& name);

// Windows-1252 letter case folded to lower case (accented capitals too).
char fold_case(char c);

}  // namespace platform
