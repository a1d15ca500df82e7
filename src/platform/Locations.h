#pragma once
// Where the program finds its folders on this system (UTF-8 paths), and the settings store
// that start-up reads the program and data folders from.

#include "platform/Registry.h"

#include <string>

namespace platform {

// The key and value names under which start-up finds its two folders.
extern const char kProgramKey[];       // "HKEY_CURRENT_USER\\Software\\Brindle-Cot"
extern const char kProgramDirValue[];  // "ProgramDir"
extern const char kDataDirValue[];     // "DataDir"

// $XDG_CONFIG_HOME/brindlecot (default ~/.config/brindlecot).
std::string config_directory();

// $XDG_DATA_HOME/brindlecot (default ~/.local/share/brindlecot): the user's documents.
std::string user_data_directory();

// The installed program folder: $BRINDLECOT_DATA when set, else "data" beside the folder
// of the executable (the build tree), else "share/brindlecot" beside it (an installation);
// empty when none exists.
std::string program_directory();

// The settings store in config_directory(), with the program and data folders as defaults,
// so that a fresh installation starts; creates the data folder when it is missing.
Registry open_settings();

}  // namespace platform
