#include "framework/ProgramFiles.h"

#include "framework/CApplication.h"
#include "framework/CWindow.h"
#include "framework/MessageBoxes.h"

#include "platform/FileSystem.h"
#include "platform/HeadlessBackend.h"
#include "platform/WindowManager.h"
#include "platform/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

// Creates an empty file; the name is Windows-1252 like every name of the program.
void touch(const std::string& path)
{
    if (FILE* f = platform::open_file(path, "wb")) std::fclose(f);
}

std::vector<std::string> list(const std::string& pattern, std::vector<short>* kinds = nullptr)
{
    std::vector<std::string> names;
    CString name;
    short is_dir = -1;
    const intptr_t h = first_file_enumeration(pattern.c_str(), &name, &is_dir);
    for (short more = h ? 1 : 0; more; more = next_file_enumeration(h, &name, &is_dir)) {
        names.push_back(name.get());
        if (kinds) kinds->push_back(is_dir);
    }
    end_file_enumeration(h);
    return names;
}

std::vector<std::string> strings(const CArrayString& a)
{
    std::vector<std::string> v;
    for (short i = 1; i <= a.total(); ++i) v.push_back(a.get(i)->get());
    return v;
}

TEST(ProgramFiles, FileNamesJoinTheGivenParts)
{
    const char* n = nullptr;
    const struct {
        const char *a, *b, *c, *d;
        const char* expected;
    } cases[] = {
        {"C:\\Prog", "Misc", "Options.txt", n, "C:\\Prog\\Misc\\Options.txt"},
        {n, "b", "c", n, "b\\c"},
        {n, n, "c", n, "\\c"},
        {"a", n, n, "d", "a\\d"},
        {"a", "", n, n, "a\\"},
        {n, n, n, n, ""},
    };
    CString out;
    for (const auto& c : cases) {
        format_file_name(&out, c.a, c.b, c.c, c.d);
        EXPECT_STREQ(out.get(), c.expected);
    }
}

TEST(ProgramFiles, DataNamesTakeRelativeFirstPartsInsideTheDataDirectory)
{
    data_dir = static_cast<char*>(std::calloc(dir_buffer_size, 1));
    std::strcpy(data_dir, "/home/u/data");
    const struct {
        const char* a;
        const char* expected;
    } cases[] = {
        {"Mes compositions", "/home/u/data\\Mes compositions\\x.bcc"},
        {"C:\\Docs", "C:\\Docs\\x.bcc"},           // drive letter and colon
        {"ab\\Docs", "ab\\Docs\\x.bcc"},           // a backslash as third character
        {"D", "/home/u/data\\D\\x.bcc"},           // one character is relative
        {"/srv/scores", "/srv/scores\\x.bcc"},     // rooted paths of this system
        {nullptr, "x.bcc"},
    };
    CString out;
    for (const auto& c : cases) {
        format_file_data_name(&out, c.a, c.a ? "x.bcc" : nullptr, nullptr, nullptr);
        if (!c.a) format_file_data_name(&out, nullptr, "x.bcc", nullptr, nullptr);
        EXPECT_STREQ(out.get(), c.expected) << (c.a ? c.a : "null");
    }
    quit_main_dir();
    EXPECT_EQ(data_dir, nullptr);
}

TEST(ProgramFiles, ListingIsSortedByteByByteWithoutDotEntries)
{
    TempFolder folder;
    for (const char* name : {"b.bcc", "A.bcc", "a.bcc", "Zed.mid"}) std::ofstream(folder / name);
    touch(folder / "\xE9t\xE9.bcc");
    platform::make_directory(folder / "Mes variations");
    std::vector<short> kinds;
    EXPECT_EQ(list(folder.path() + "\\*.*", &kinds),
              (std::vector<std::string>{"A.bcc", "Mes variations", "Zed.mid", "a.bcc", "b.bcc", "\xE9t\xE9.bcc"}));
    EXPECT_EQ(kinds, (std::vector<short>{0, 1, 0, 0, 0, 0}));
    EXPECT_EQ(list(folder.path() + "\\*.BCC").size(), 4u);
    EXPECT_TRUE(list(folder.path() + "\\*.wav").empty());
    EXPECT_EQ(first_file_enumeration((folder / "nowhere\\*.*").c_str(), nullptr, nullptr), 0);
    end_file_enumeration(0);
}

TEST(ProgramFiles, ListingStopsAtFiveThousandMatches)
{
    // Thousands of files are made quickly only in memory.
    std::string pattern = "/dev/shm/brindlecot-test-XXXXXX";
    if (!::mkdtemp(pattern.data())) GTEST_SKIP() << "no memory file system";
    const std::string folder = pattern;
    for (int i = 0; i < max_listed_files + 3; ++i) std::ofstream(folder + "/f" + std::to_string(i));
    EXPECT_EQ(list(folder + "\\*").size(), static_cast<size_t>(max_listed_files));
    std::filesystem::remove_all(folder);
}

TEST(ProgramFiles, FileNamesForMenusLoseTheirExtension)
{
    TempFolder folder;
    for (const char* name : {"Valse.bcc", "Blues.BCC", "Mixed.Bcc", "x.bcc.bcc", "Tango.mid"}) touch(folder / name);
    platform::make_directory(folder / "Dossier.bcc");
    CArrayString names;
    names.add();
    names.get(1)->set("Zzz");  // already there: not sorted with the new names
    EXPECT_EQ(list_files_with_extension(folder.path().c_str(), ".bcc", true, &names), 4);
    EXPECT_EQ(strings(names), (std::vector<std::string>{"Zzz", "Blues", "Mixed.Bcc", "Valse", "x"}));

    CArrayString all;
    EXPECT_EQ(list_files_with_extension(folder.path().c_str(), nullptr, false, &all), 5);
    EXPECT_EQ(strings(all), (std::vector<std::string>{"Blues.BCC", "Mixed.Bcc", "Tango.mid", "Valse.bcc", "x.bcc.bcc"}));
    CArrayString none;
    EXPECT_EQ(list_files_with_extension((folder / "missing").c_str(), ".bcc", false, &none), 0);
    EXPECT_EQ(none.total(), 0);
}

// The settings file of a test user.
class Settings : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* old = std::getenv("XDG_CONFIG_HOME");
        saved_ = old ? old : "";
        had_ = old != nullptr;
        setenv("XDG_CONFIG_HOME", config_.path().c_str(), 1);
        setenv("XDG_DATA_HOME", (config_ / "share").c_str(), 1);
        platform::make_directory(config_ / "brindlecot");
    }
    void TearDown() override
    {
        quit_main_dir();
        if (had_) setenv("XDG_CONFIG_HOME", saved_.c_str(), 1);
        else unsetenv("XDG_CONFIG_HOME");
        unsetenv("XDG_DATA_HOME");
    }
    void write(const std::string& values)
    {
        std::ofstream(config_ / "brindlecot/settings.txt") << "[HKEY_CURRENT_USER\\Software\\Brindle-Cot]\n" << values;
    }
    TempFolder config_;
    std::string saved_;
    bool had_ = false;
};

TEST_F(Settings, DirectoriesComeFromTheSettings)
{
    const std::string program = config_ / "program";
    platform::make_directory(program);
    write("ProgramDir=" + program + "\nDataDir=/home/u/Brindlecot\n");
    EXPECT_EQ(init_main_dir(nullptr), 1);
    EXPECT_EQ(std::string(main_dir), program);
    EXPECT_STREQ(data_dir, "/home/u/Brindlecot");
    quit_main_dir();
    EXPECT_EQ(main_dir, nullptr);
    // A program directory that is not there is an incomplete installation.
    write("ProgramDir=" + program + "/gone\nDataDir=/home/u/Brindlecot\n");
    EXPECT_EQ(init_main_dir(nullptr), 0);
}

TEST_F(Settings, AMissingDirectoryIsAnInstallationError)
{
    std::vector<MessageBoxRequest> boxes;
    set_message_box_responder([&](const MessageBoxRequest& r) {
        boxes.push_back(r);
        return short{1};
    });
    write("ProgramDir=/opt/brindlecot\nDataDir=\n");
    EXPECT_EQ(init_main_dir(nullptr), 0);
    set_message_box_responder(nullptr);
    // The user is told in a box of its own, titled like an error.
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_FALSE(boxes[0].question);
    EXPECT_EQ(boxes[0].title, "Erreur...");
    EXPECT_EQ(boxes[0].text, "L'installation de Brindle-Cot est incorrecte.  Veuillez l'installer avec le programme "
                             "original d'installation.");
    EXPECT_STREQ(main_dir, "/opt/brindlecot");  // kept although the other is missing
    EXPECT_STREQ(data_dir, platform::current_directory().c_str());
}

// The installation is checked before the window classes exist: a box cannot be made yet, and
// the text goes to the standard error instead of a window that never shows.
TEST(InstallationError, TheBoxBeforeTheWindowClassesExist)
{
    platform::WindowManager wm(std::make_unique<platform::HeadlessBackend>());
    const bool had_windows = win_array != nullptr;
    application = new CApplication("");
    MessageBoxRequest box;
    box.title = installation_error_title;
    box.text = installation_error_text;
    testing::internal::CaptureStderr();
    EXPECT_EQ(show_message_box(box), 0);
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_NE(told.find("Erreur... L'installation de Brindle-Cot est incorrecte."), std::string::npos) << told;
    EXPECT_TRUE(wm.top_level_windows().empty());
    delete application;
    application = nullptr;
    if (!had_windows) {
        delete win_array;
        win_array = nullptr;
    }
}

TEST_F(Settings, AFreshInstallationFindsTheBuiltProgramDirectory)
{
    EXPECT_EQ(init_main_dir(nullptr), 1);
    EXPECT_TRUE(platform::is_directory(std::string(main_dir) + "\\Misc"));
    const std::string before = platform::current_directory();
    set_main_dir();
    EXPECT_TRUE(platform::file_exists("MISC\\Brindlecot.res"));
    platform::set_current_directory(before);
}

}  // namespace
