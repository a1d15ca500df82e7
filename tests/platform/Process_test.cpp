#include "platform/Process.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using platform::run_and_wait;

TEST(Process, RunsAProgramAndWaitsForItsEnd)
{
    TempFolder folder;
    const std::string script = folder / "Hhupd.sh";
    std::ofstream(script) << "#!/bin/sh\necho \"$1\" > \"$2\"\nexit 3\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    const std::string out = folder / "r\xC3\xA9sultat.txt";
    // The second argument is Windows-1252; the program gets it as UTF-8.
    EXPECT_EQ(run_and_wait(folder.path() + "\\HHUPD.SH", {"aide", folder.path() + "/r\xE9sultat.txt"}), 3);
    std::string line;
    std::getline(std::ifstream(out), line);
    EXPECT_EQ(line, "aide");
    EXPECT_EQ(run_and_wait(folder / "missing", {}), -1);
}
