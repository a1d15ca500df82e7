#include "midi/MidiFileCapture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>

#include "platform/Process.h"
#include "platform/TempFolder.h"
#include "score/Placeholders.h"

namespace {

// Private desktop folders and program folder; a "player" application that plays MIDI files
// before the program starts.
class MidiFileCapture : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* v : vars) {
            const char* old = std::getenv(v);
            saved_env.push_back(old ? old : "");
        }
        setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
        setenv("XDG_DATA_DIRS", (folder / "system").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", (folder / "system-config").c_str(), 1);
        unsetenv("XDG_CURRENT_DESKTOP");
        std::system(("mkdir -p '" + folder / "data/applications' '" + folder / "config' '" + folder / "program/MISC'").c_str());
        saved_dir = main_dir;
        program = folder / "program";
        main_dir = program.data();
    }
    void TearDown() override {
        main_dir = saved_dir;
        for (size_t i = 0; i < saved_env.size(); i++) setenv(vars[i], saved_env[i].c_str(), 1);
    }
    void install_player(bool with_play) {
        std::ofstream(folder / "data/applications/player.desktop")
            << "[Desktop Entry]\nType=Application\nName=Player\nExec=true %f\nMimeType=audio/midi;audio/x-midi;\n";
        platform::run_tool("xdg-mime", {"default", "player.desktop", "audio/midi"});
        platform::run_tool("xdg-mime", {"default", "player.desktop", "audio/x-midi"});
        // An entry of the program left from before, with or without its "play" action.
        std::ofstream entry(midifile_entry_path());
        entry << "[Desktop Entry]\nType=Application\nName=Old\nExec=old-program %f\n";
        if (with_play) entry << "Actions=play;\n\n[Desktop Action play]\nName=Play\nExec=old-player %f\n";
    }
    std::string default_of(const char* type) {
        std::string out;
        platform::run_tool("xdg-mime", {"query", "default", type}, &out);
        return out.substr(0, out.find('\n'));
    }
    std::string read(const std::string& path) {
        std::ifstream f(path);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }
    bool exists(const std::string& path) {
        struct stat st;
        return stat(path.c_str(), &st) == 0;
    }
    std::string saved_file() { return folder / "program/MISC/MidiFileHandler.txt"; }

    const char* vars[5] = {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_DIRS", "XDG_CURRENT_DESKTOP"};
    std::vector<std::string> saved_env;
    TempFolder folder;
    std::string program;
    char* saved_dir = nullptr;
};

TEST_F(MidiFileCapture, TakesOverMidiFilesAndGivesThemBack) {
    for (bool with_play : {true, false}) {
        SCOPED_TRACE(with_play ? "with a play action" : "without a play action");
        install_player(with_play);
        start_midifile_capture();
        EXPECT_EQ(default_of("audio/midi"), MIDFILE_ENTRY);
        EXPECT_EQ(default_of("audio/x-midi"), MIDFILE_ENTRY);
        std::string entry = read(midifile_entry_path());
        EXPECT_NE(entry.find("Exec=" + midifile_command() + "\n"), std::string::npos) << entry;
        EXPECT_NE(entry.find("[Desktop Action play]"), std::string::npos);
        EXPECT_EQ(read(saved_file()), std::string("player.desktop\nplayer.desktop\nold-program %f\n") +
                                          (with_play ? "old-player %f" : ""));

        stop_midifile_capture();
        EXPECT_FALSE(exists(saved_file()));
        EXPECT_EQ(default_of("audio/midi"), "player.desktop");
        EXPECT_EQ(default_of("audio/x-midi"), "player.desktop");
        entry = read(midifile_entry_path());
        EXPECT_NE(entry.find("Exec=old-program %f\n"), std::string::npos) << entry;
        EXPECT_EQ(entry.find("[Desktop Action play]") != std::string::npos, with_play) << entry;
    }
}

TEST_F(MidiFileCapture, ARunThatNeverEndedKeepsTheFirstSettings) {
    install_player(true);
    start_midifile_capture();
    // The run stops without its exit; the next one starts over its own settings.
    start_midifile_capture();
    EXPECT_EQ(read(saved_file()), "player.desktop\nplayer.desktop\nold-program %f\nold-player %f");
    stop_midifile_capture();
    EXPECT_EQ(default_of("audio/midi"), "player.desktop");
}

TEST_F(MidiFileCapture, NothingBeforeMeansNothingAfter) {
    start_midifile_capture();
    EXPECT_EQ(read(saved_file()), "\n\n\n");
    EXPECT_EQ(default_of("audio/midi"), MIDFILE_ENTRY);
    stop_midifile_capture();
    EXPECT_FALSE(exists(midifile_entry_path()));  // no entry left behind
    EXPECT_EQ(default_of("audio/midi"), "");
}

TEST_F(MidiFileCapture, CommandIsQuotedForADesktopEntry) {
    std::string c = midifile_command();
    ASSERT_GE(c.size(), 5u);
    EXPECT_EQ(c.front(), '"');
    EXPECT_EQ(c.substr(c.size() - 4), "\" %f");
}

}  // namespace
