// The user's files: in the folder start-up names, the shipped palette files copied there once
// and never over the user's own; without that folder, in the program directory's "Misc".
#include "framework/ProgramFiles.h"
#include "framework/UserFiles.h"
#include "platform/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// A program directory with its shipped palettes, made the program's for the test.
class UserFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(program / "Misc");
        std::ofstream(program / "Misc/TOOL.PAL") << "shipped palettes";
        saved_ = main_dir;
        main_dir = static_cast<char*>(std::calloc(dir_buffer_size, 1));
        std::strncpy(main_dir, program.path().c_str(), dir_buffer_size - 1);
    }
    void TearDown() override
    {
        use_user_folder(std::string());
        std::free(main_dir);
        main_dir = saved_;
    }

    TempFolder program, home;
    const std::string user = home / "config/brindlecot";

private:
    char* saved_ = nullptr;
};

TEST_F(UserFiles, LiveInTheUsersFolderWhichIsMadeOnFirstUse)
{
    use_user_folder(user);
    EXPECT_TRUE(std::filesystem::is_directory(user));
    EXPECT_EQ(user_file("Options.txt"), user + "\\Options.txt");
    EXPECT_EQ(user_system_file("LastDoc.txt"), user + "/LastDoc.txt");
    std::filesystem::remove_all(home / "config");
    // A shipped file is copied even when the folder went away meanwhile.
    EXPECT_EQ(user_copy("TOOL.PAL"), user + "\\TOOL.PAL");
    EXPECT_EQ(bytes(user + "/TOOL.PAL"), "shipped palettes");
}

TEST_F(UserFiles, TheShippedDefaultIsCopiedOnceAndTheUsersEditsStay)
{
    use_user_folder(user);
    ASSERT_EQ(user_copy("TOOL.PAL"), user + "\\TOOL.PAL");
    EXPECT_EQ(bytes(user + "/TOOL.PAL"), "shipped palettes");
    std::ofstream(user + "/TOOL.PAL") << "edited palettes";
    user_copy("TOOL.PAL");
    EXPECT_EQ(bytes(user + "/TOOL.PAL"), "edited palettes");
    EXPECT_EQ(bytes(program / "Misc/TOOL.PAL"), "shipped palettes") << "the program's file is only read";
    // A file the program does not ship is not made.
    user_copy("PAL.PFR");
    EXPECT_FALSE(std::filesystem::exists(user + "/PAL.PFR"));
}

TEST_F(UserFiles, WithoutAUserFolderTheyStayInTheProgramDirectory)
{
    EXPECT_EQ(user_file("Options.txt"), program.path() + "\\Misc\\Options.txt");
    EXPECT_EQ(user_system_file("TOOL.PAL"), program / "Misc/TOOL.PAL");
    EXPECT_EQ(user_copy("TOOL.PAL"), program.path() + "\\Misc\\TOOL.PAL");
    EXPECT_EQ(bytes(program / "Misc/TOOL.PAL"), "shipped palettes");
}

}  // namespace
