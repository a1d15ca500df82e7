#include "score/Placeholders.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>

#include "platform/FileSystem.h"
#include "platform/Locations.h"

std::string format_file_name(const char* a, const char* b, const char* c) {
    const std::string folder = main_dir ? main_dir : platform::program_directory();
    std::string joined;
    for (const char* part : {a, b, c}) {
        if (!part) continue;
        if (!joined.empty()) joined += "\\";
        joined += part;
    }
    std::string resolved;
    return platform::resolve_path_in(folder, joined, &resolved) ? resolved : std::string();
}

void program_path(CString* out, const char* folder, const char* file) {
    const char* dir = std::getenv("BRINDLECOT_DATA");
    out->set(dir && *dir ? dir : ".");
    out->add("\\");
    out->add(folder);
    if (file) {
        out->add("\\");
        out->add(file);
    }
}

int CKeyboard::prefs_written = 0;
