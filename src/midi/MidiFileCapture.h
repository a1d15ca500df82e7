#pragma once
// While the program runs, MIDI files opened from the desktop come to it. At start-up the
// desktop's current settings for ".mid" files (type "audio/midi") and ".rmi" files
// ("audio/x-midi") are saved in "Misc/MidiFileHandler.txt" of the program folder and both
// types are pointed at the program's desktop entry; at exit the saved settings are written
// back and the file deleted. A file left by a run that never reached its exit is kept, so that
// the settings from before that run come back.
//
// The settings, in the file's order, one a line: the default application of "audio/midi", that
// of "audio/x-midi" (desktop entry ids, as `xdg-mime` gives them), then the command of the
// program's entry and the command of its "play" action (empty when there were none). The
// entry lives in the user's folder of applications ($XDG_DATA_HOME/applications); the
// defaults are set with `xdg-mime`, which writes them in $XDG_CONFIG_HOME/mimeapps.list.

#include <string>

// The desktop entry through which the desktop opens and plays MIDI files with the program.
constexpr const char* MIDFILE_ENTRY = "brindlecot-midfile.desktop";

void start_midifile_capture();
void stop_midifile_capture();
// Points both types at their entries and writes the two commands into the program's entry
// (an entry without commands is removed); an empty type entry leaves that type as it is.
void set_midifile_capture_key(const char* mid_class, const char* rmi_class, const char* open_command,
                              const char* play_command);

// The program's command for a file: the running program's path, quoted for a desktop entry,
// followed by the file's field code.
std::string midifile_command();
// The path of the program's desktop entry.
std::string midifile_entry_path();
