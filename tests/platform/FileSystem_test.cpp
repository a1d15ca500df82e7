#include "platform/FileSystem.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

using namespace platform;

namespace {

void write(const std::string& path, const std::string& text)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << text;
}

std::string read_all(FILE* f)
{
    std::string text;
    if (!f) return text;
    char buffer[256];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    std::fclose(f);
    return text;
}

// Runs each test inside its own folder as the current directory.
class FileSystemTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = std::filesystem::current_path();
        std::filesystem::current_path(folder.path());
    }
    void TearDown() override { std::filesystem::current_path(previous); }

    TempFolder folder;
    std::filesystem::path previous;
};

TEST_F(FileSystemTest, ResolvesBackslashMixedCasePaths)
{
    write(folder / "misc/CLASSES.RES", "res");
    write(folder / "misc/Options.txt", "options");
    write(folder / "misc/Biblioth\xC3\xA8que d'origine/Air.bcc", "air");
    struct Case { const char* path; const char* content; };
    const Case cases[] = {
        {"MISC\\classes.res", "res"},
        {"Misc\\OPTIONS.TXT", "options"},
        {"misc/Options.txt", "options"},
        {".\\MISC\\.\\classes.res", "res"},
        {"MISC\\sub\\..\\CLASSES.RES", "res"},
        {"MISC\\BIBLIOTH\xC8QUE D'ORIGINE\\air.BCC", "air"},  // accented capital, Windows-1252
    };
    for (const Case& c : cases) EXPECT_EQ(read_all(open_file(c.path, "rb")), c.content) << c.path;

    // The absolute form, as composed from the program folder, works the same way.
    EXPECT_EQ(read_all(open_file(folder.path() + "\\MISC\\Classes.res", "rb")), "res");
}

TEST_F(FileSystemTest, SystemPathsHaveOneSeparatorAndTheNamesOnDisk)
{
    std::filesystem::create_directories(folder / "data/Mes variations");
    std::filesystem::create_directories(folder / "Biblioth\xC3\xA8que d'origine");
    const std::string base = folder.path();
    struct Case { std::string given, shown; };
    const Case cases[] = {
        {base + "\\Mes variations", base + "/Mes variations"},  // not made yet: spelled as given
        {base + "/data\\MES VARIATIONS", base + "/data/Mes variations"},
        {base + "\\data\\.\\Mes variations\\", base + "/data/Mes variations"},
        {base + "\\BIBLIOTH\xC8QUE D'ORIGINE", base + "/Biblioth\xE8que d'origine"},  // Windows-1252
        {"C:\\Windows", "C:\\Windows"},  // refused: as given
    };
    for (const Case& c : cases) EXPECT_EQ(system_path(c.given), c.shown) << c.given;
}

TEST_F(FileSystemTest, RefusesPathsThatLeaveTheirBase)
{
    std::string resolved;
    for (const char* path : {"..\\..\\etc", "..", "misc\\..\\..\\x", "C:\\Windows"})
        EXPECT_FALSE(resolve_path(path, &resolved)) << path;
    EXPECT_EQ(open_file("..\\..\\etc\\passwd", "rb"), nullptr);
    ASSERT_TRUE(resolve_path_in("/base", "a\\..\\b", &resolved));
    EXPECT_EQ(resolved, "/base/b");
    ASSERT_TRUE(resolve_path("\\..\\tmp", &resolved));  // an absolute path stays under the root
    EXPECT_EQ(resolved, "/tmp");
}

TEST_F(FileSystemTest, NewFilesKeepTheCaseGivenInsideExistingFolders)
{
    std::filesystem::create_directories(folder / "Misc");
    FILE* f = open_file("MISC\\MidiFileToOpen.txt", "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("x.mid", f);
    std::fclose(f);
    EXPECT_TRUE(std::filesystem::exists(folder / "Misc/MidiFileToOpen.txt"));
    EXPECT_TRUE(file_exists("misc\\midifiletoopen.TXT"));
    EXPECT_TRUE(copy_file("misc\\midifiletoopen.txt", "MISC\\Copie \xE9t\xE9.txt"));
    EXPECT_TRUE(std::filesystem::exists(folder / "Misc/Copie \xC3\xA9t\xC3\xA9.txt"));
    EXPECT_TRUE(rename_file("MISC\\copie \xC9T\xC9.TXT", "misc\\moved.txt"));
    EXPECT_TRUE(remove_file("MISC\\MOVED.TXT"));
    EXPECT_FALSE(file_exists("Misc\\moved.txt"));
    std::filesystem::create_directories(folder / "Misc/Empty folder.txt");
    EXPECT_FALSE(remove_file("misc\\empty folder.txt"));  // a folder is not a file
    EXPECT_TRUE(is_directory("Misc\\Empty folder.txt"));
    // An empty file copies; a file copied onto itself is refused and keeps its content.
    write(folder / "Misc/Empty.txt", "");
    EXPECT_TRUE(copy_file("MISC\\empty.txt", "Misc\\Empty copy.txt"));
    EXPECT_TRUE(file_exists("misc\\empty copy.txt"));
    write(folder / "Misc/Keep.txt", "kept");
    EXPECT_FALSE(copy_file("Misc\\Keep.txt", "MISC\\KEEP.TXT"));
    EXPECT_EQ(read_all(open_file("Misc\\Keep.txt", "rb")), "kept");
    EXPECT_FALSE(copy_file("Misc\\absent.txt", "Misc\\other.txt"));
    EXPECT_FALSE(copy_file("Misc", "Misc\\folder copy"));
    EXPECT_TRUE(make_directory("MISC\\Mes compositions\\Essais"));
    EXPECT_TRUE(is_directory("misc\\mes compositions\\essais"));
    EXPECT_TRUE(set_current_directory("MISC"));
    EXPECT_EQ(current_directory(), folder / "Misc");
}

TEST_F(FileSystemTest, ListsFoldersWithWildcards)
{
    for (const char* name : {"a.mid", "B.MID", "c.Mid", "d.txt", "noext", "e.midi"})
        write(folder / (std::string("Styles/") + name), "");
    std::filesystem::create_directories(folder / "Styles/Sub.mid");
    struct Case { const char* pattern; std::vector<std::string> names; };
    const Case cases[] = {
        {"STYLES\\*.mid", {"B.MID", "Sub.mid", "a.mid", "c.Mid"}},
        {"styles\\?.txt", {"d.txt"}},
        {"styles\\*.*", {"B.MID", "Sub.mid", "a.mid", "c.Mid", "d.txt", "e.midi", "noext"}},
        {"styles\\*", {"B.MID", "Sub.mid", "a.mid", "c.Mid", "d.txt", "e.midi", "noext"}},
        {"styles\\z*", {}},
    };
    for (const Case& c : cases) {
        std::vector<DirectoryEntry> entries;
        ASSERT_TRUE(list_directory(c.pattern, &entries)) << c.pattern;
        std::vector<std::string> names;
        for (const DirectoryEntry& e : entries) {
            names.push_back(e.name);
            EXPECT_EQ(e.directory, e.name == "Sub.mid");
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, c.names) << c.pattern;
    }
    std::vector<DirectoryEntry> entries;
    EXPECT_FALSE(list_directory("nowhere\\*.*", &entries));
}

}  // namespace
