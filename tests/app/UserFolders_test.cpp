// The user's folders moved from the program directory to the data directory: nothing is lost,
// a file whose name is taken by other contents is kept beside it under a new name.
#include "ShellFixture.h"

#include "app/UserFolders.h"

namespace {

using UserFolders = ShellFixture;

TEST_F(UserFolders, MovingKeepsEveryDifferentFile)
{
    const std::string from = program + "/Mes variations";
    const std::string to = data + "/Mes variations";
    write(from + "/New.bcc", "new");
    write(from + "/Same.bcc", "same");
    write(to + "/Same.bcc", "same");
    write(from + "/Taken.bcc", "mine");
    write(to + "/Taken.bcc", "theirs");
    write(to + "/Taken (2).bcc", "older");
    write(from + "/Sub/Inner.bcc", "inner");
    write(program + "/Ma librairie/Lib.bcc", "lib");
    move_user_folders();
    EXPECT_EQ(bytes(to + "/New.bcc"), "new");
    EXPECT_EQ(bytes(to + "/Same.bcc"), "same");
    EXPECT_EQ(bytes(to + "/Taken.bcc"), "theirs");
    EXPECT_EQ(bytes(to + "/Taken (2).bcc"), "older");
    EXPECT_EQ(bytes(to + "/Taken (3).bcc"), "mine");
    EXPECT_EQ(bytes(data + "/Ma librairie/Lib.bcc"), "lib");
    for (const char* gone : {"/New.bcc", "/Same.bcc", "/Taken.bcc"})
        EXPECT_FALSE(std::filesystem::exists(from + gone)) << gone;
    EXPECT_TRUE(std::filesystem::exists(from + "/Sub/Inner.bcc")) << "folders are not moved";
    // Nothing left to move the next time.
    EXPECT_EQ(move_user_folder("Mes variations"), 0);
}

}  // namespace

TEST(UserFolderPaths, AFileIsInsideAFolderByItsPathNotByAWordOfIt)
{
    struct Case {
        const char* path;
        const char* folder;
        bool inside;
    };
    const Case cases[] = {
        {"/d/Mes compositions/Air.bcc", "/d/Mes compositions", true},
        {"/d/Mes compositions/Suites/Air.bcc", "/d/Mes compositions", true},
        {"/d/Mes compositions/Air.bcc", "/d/Mes compositions/", true},
        {"/d/Mes variations/../Mes compositions/Air.bcc", "/d/Mes compositions", true},
        {"/d/Mes variations/Mes compositions.bcc", "/d/Mes compositions", false},
        {"/d/Mes compositions anciennes/Air.bcc", "/d/Mes compositions", false},
        {"/e/Mes compositions/Air.bcc", "/d/Mes compositions", false},
        {"/d/Mes compositions", "/d/Mes compositions", false},
        {"", "/d/Mes compositions", false},
        {"/d/Mes compositions/Air.bcc", "", false},
    };
    for (const Case& c : cases) EXPECT_EQ(path_is_inside(c.path, c.folder), c.inside) << c.path << " in " << c.folder;
}
