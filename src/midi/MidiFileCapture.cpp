#include "midi/MidiFileCapture.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/stat.h>

#include "framework/UserFiles.h"
#include "platform/Process.h"
#include "score/Placeholders.h"

namespace {

// Each value is read and kept bounded, as one line of text.
constexpr size_t VALUE_BYTES = 500;

const char* const MID_TYPE = "audio/midi";
const char* const RMI_TYPE = "audio/x-midi";

std::string one_line(const std::string& s) {
    std::string v = s.substr(0, std::min(s.find_first_of("\r\n"), VALUE_BYTES));
    while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.pop_back();
    return v;
}

std::string settings_path() { return user_system_file("MidiFileHandler.txt"); }

std::string default_of(const char* type) {
    std::string out;
    if (platform::run_tool("xdg-mime", {"query", "default", type}, &out, VALUE_BYTES) != 0) return std::string();
    return one_line(out);
}

std::string applications_folder() {
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data == '/') return std::string(data) + "/applications";
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/share/applications";
}

// The Exec values of the program's entry and of its "play" action; empty when missing.
void read_entry(std::string* open_command, std::string* play_command) {
    open_command->clear();
    play_command->clear();
    FILE* f = std::fopen(midifile_entry_path().c_str(), "rb");
    if (!f) return;
    std::string section;
    char line[VALUE_BYTES + 16];
    int lines = 0;
    while (lines++ < 200 && std::fgets(line, sizeof line, f)) {
        std::string l = one_line(line);
        if (!l.empty() && l[0] == '[') section = l;
        else if (l.compare(0, 5, "Exec=") == 0) {
            if (section == "[Desktop Entry]") *open_command = l.substr(5);
            if (section == "[Desktop Action play]") *play_command = l.substr(5);
        }
        // The rest of an over-long line is passed over.
        if (!std::strchr(line, '\n'))
            for (int c; (c = std::fgetc(f)) != EOF && c != '\n';) {
            }
    }
    std::fclose(f);
}

void write_entry(const std::string& open_command, const std::string& play_command) {
    std::string path = midifile_entry_path();
    if (open_command.empty() && play_command.empty()) {
        std::remove(path.c_str());
        return;
    }
    std::error_code ignored;
    std::filesystem::create_directories(applications_folder(), ignored);
    std::string temporary = path + ".new";
    FILE* f = std::fopen(temporary.c_str(), "wb");
    if (!f) return;
    std::fprintf(f,
                 "[Desktop Entry]\nType=Application\nName=Brindlecot\n"
                 "Comment=Ouvre un fichier MIDI comme composition\n");
    if (!open_command.empty()) std::fprintf(f, "Exec=%s\n", open_command.c_str());
    std::fprintf(f, "MimeType=%s;%s;\nNoDisplay=true\n", MID_TYPE, RMI_TYPE);
    if (!play_command.empty())
        std::fprintf(f, "Actions=play;\n\n[Desktop Action play]\nName=Jouer\nExec=%s\n", play_command.c_str());
    bool ok = std::fflush(f) == 0 && !std::ferror(f);
    std::fclose(f);
    if (!ok || std::rename(temporary.c_str(), path.c_str()) != 0) std::remove(temporary.c_str());
}

}  // namespace

std::string midifile_entry_path() { return applications_folder() + "/" + MIDFILE_ENTRY; }

std::string midifile_command() {
    char exe[4096];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string program = n > 0 ? std::string(exe, (size_t)n) : std::string("brindlecot");
    // Quoted as desktop entries want: backslash before ", `, $ and \.
    std::string quoted = "\"";
    for (char c : program) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\" %f";
}

void set_midifile_capture_key(const char* mid_class, const char* rmi_class, const char* open_command,
                              const char* play_command) {
    // The entry first, so that the types never point at a missing one.
    write_entry(one_line(open_command), one_line(play_command));
    const std::pair<const char*, const char*> types[] = {{MID_TYPE, mid_class}, {RMI_TYPE, rmi_class}};
    for (auto [type, entry] : types) {
        std::string id = one_line(entry);
        if (!id.empty()) platform::run_tool("xdg-mime", {"default", id, type});
    }
}

void start_midifile_capture() {
    std::string saved = settings_path();
    struct stat st;
    if (!saved.empty() && stat(saved.c_str(), &st) != 0) {
        // Saved whatever was there, with or without a "play" action: what is missing is an
        // empty line, and the exit puts back exactly that.
        std::string open_command, play_command;
        read_entry(&open_command, &play_command);
        std::string text = default_of(MID_TYPE) + "\n" + default_of(RMI_TYPE) + "\n" + open_command + "\n" + play_command;
        if (FILE* f = std::fopen(saved.c_str(), "wb")) {
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        }
    }
    std::string command = midifile_command();
    set_midifile_capture_key(MIDFILE_ENTRY, MIDFILE_ENTRY, command.c_str(), command.c_str());
}

void stop_midifile_capture() {
    std::string saved = settings_path();
    FILE* f = saved.empty() ? nullptr : std::fopen(saved.c_str(), "rb");
    if (!f) return;
    std::string lines[4];
    for (std::string& l : lines) {
        int c;
        while ((c = std::fgetc(f)) != EOF && c != '\n' && c != '\r')
            if (l.size() < VALUE_BYTES) l += (char)c;
        if (c == '\r' && (c = std::fgetc(f)) != '\n' && c != EOF) std::ungetc(c, f);
    }
    std::fclose(f);
    set_midifile_capture_key(lines[0].c_str(), lines[1].c_str(), lines[2].c_str(), lines[3].c_str());
    std::remove(saved.c_str());
}
