#include "framework/UserFiles.h"

#include "framework/ProgramFiles.h"
#include "platform/Cp1252.h"
#include "platform/FileSystem.h"
#include "platform/Locations.h"

namespace {

// The folder given at start-up; empty before it and after shutdown.
std::string& chosen_folder()
{
    static std::string folder;
    return folder;
}

// The program directory's "Misc" folder, where the shipped files are.
std::string program_misc_folder()
{
    const std::string program = main_dir ? std::string(main_dir) : platform::utf8_to_cp1252(platform::program_directory());
    return program + "\\Misc";
}

}  // namespace

void use_user_folder(const std::string& folder)
{
    chosen_folder() = folder;
    if (!folder.empty()) platform::make_directory(folder);
}

std::string default_user_folder() { return platform::utf8_to_cp1252(platform::config_directory()); }

std::string user_file(const char* name)
{
    const std::string& folder = chosen_folder();
    return (folder.empty() ? program_misc_folder() : folder) + "\\" + name;
}

std::string user_system_file(const char* name)
{
    std::string resolved;
    return platform::resolve_path(user_file(name), &resolved) ? resolved : std::string();
}

std::string user_copy(const char* name)
{
    const std::string path = user_file(name);
    if (chosen_folder().empty() || platform::file_exists(path)) return path;
    const std::string shipped = program_misc_folder() + "\\" + name;
    if (platform::file_exists(shipped) && !platform::is_directory(shipped)) {
        platform::make_directory(chosen_folder());  // a folder removed while the program runs
        platform::copy_file(shipped, path);
    }
    return path;
}
