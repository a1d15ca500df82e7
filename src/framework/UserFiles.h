#pragma once
// The files the program writes for its user — options, the last document, preferences, the
// palettes' places and the edited palettes, parameters, the MIDI settings, the file handed
// over by a second start — live in the user's settings folder ($XDG_CONFIG_HOME/brindlecot,
// by default ~/.config/brindlecot), never in the program directory, which an installation
// shares between its users and may not let them write. The program directory is only read.
//
// Start-up names the folder (use_user_folder) once it has read the program directory, and
// forgets it when it forgets that directory. Code run without that start-up (a tool, a test
// of one class) has no user folder: its files stay in the program directory's "Misc" folder,
// as the files of a program directory of its own.
//
// Names are given as in the "Misc" folder ("Options.txt", "TOOL.PAL"); paths are returned in
// Windows-1252, as the program names files (see platform/FileSystem.h). Program's thread only.

#include <string>

// The file in which a second start of the program leaves its command line for the running one.
constexpr char kHandOverFile[] = "MidiFileToOpen.txt";

// Makes `folder` (Windows-1252; empty: none) the user's folder, created when missing.
void use_user_folder(const std::string& folder);
// The folder start-up gives: the platform's settings folder (platform/Locations.h).
std::string default_user_folder();

// The user's file `name` (whether it exists or not).
std::string user_file(const char* name);
// The same as a path of the system (UTF-8), for the C library's fopen; empty when refused.
std::string user_system_file(const char* name);

// The same for a file the program ships a default of (the palettes and their places): the
// first time it is asked for, when the user has none yet, the program directory's
// "Misc\<name>" is copied to the user's folder, so that the user edits a copy of what was
// shipped.
std::string user_copy(const char* name);
