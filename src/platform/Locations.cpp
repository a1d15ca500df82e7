#include "platform/Locations.h"

#include "platform/Cp1252.h"
#include "platform/FileSystem.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace platform {

const char kProgramKey[] = "HKEY_CURRENT_USER\\Software\\Brindle-Cot";
const char kProgramDirValue[] = "ProgramDir";
const char kDataDirValue[] = "DataDir";

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string home_based(const char* variable, const char* fallback)
{
    std::string base = environment(variable);
    if (base.empty()) base = environment("HOME") + fallback;
    return base + "/brindlecot";
}

bool folder_exists(const std::string& path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string config_directory() { return home_based("XDG_CONFIG_HOME", "/.config"); }

std::string user_data_directory() { return home_based("XDG_DATA_HOME", "/.local/share"); }

std::string program_directory()
{
    const std::string given = environment("BRINDLECOT_DATA");
    if (folder_exists(given)) return given;
    char exe[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return std::string();
    std::string folder(exe, static_cast<size_t>(n));
    folder = folder.substr(0, folder.find_last_of('/'));       // the executable's folder
    const std::string above = folder.substr(0, folder.find_last_of('/'));
    for (const std::string& candidate : {above + "/data", above + "/share/brindlecot"})
        if (folder_exists(candidate)) return candidate;
    return std::string();
}

Registry open_settings()
{
    Registry settings(config_directory() + "/settings.txt");
    const std::string data = user_data_directory();
    make_directory(utf8_to_cp1252(data));
    settings.set_default(kProgramKey, kProgramDirValue, utf8_to_cp1252(program_directory()));
    settings.set_default(kProgramKey, kDataDirValue, utf8_to_cp1252(data));
    return settings;
}

}  // namespace platform
