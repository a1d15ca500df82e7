#include "platform/InstanceLock.h"
#include "platform/Locations.h"
#include "platform/Registry.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

using namespace platform;

namespace {

TEST(Registry, KeepsValuesAcrossRunsAndIgnoresCase)
{
    TempFolder folder;
    const std::string file = folder / "config/settings.txt";
    {
        Registry r(file);
        EXPECT_TRUE(r.write(kProgramKey, "DataDir", "/home/\xE9l\xE8ve/Brindlecot"));
        EXPECT_TRUE(r.write("HKEY_CLASSES_ROOT\\midfile\\shell\\open\\command", "", "brindlecot %1"));
        EXPECT_TRUE(r.create_key("HKEY_CLASSES_ROOT\\.rmi"));
        // What the file could not give back as written is refused and leaves it intact.
        struct Refused { const char* key; const char* name; const char* value; };
        const Refused refused[] = {
            {kProgramKey, "Bad", "two\nlines"},
            {kProgramKey, "two\rlines", "x"},
            {"Software\n[Injected]", "Name", "x"},
            {kProgramKey, "[Injected", "x]"},
            {kProgramKey, "#Hidden", "x"},
            {kProgramKey, "@", "not the default"},
            {kProgramKey, "a=b", "x"},
        };
        for (const Refused& c : refused) EXPECT_FALSE(r.write(c.key, c.name, c.value)) << c.name;
        EXPECT_FALSE(r.create_key("Software\r\n[Injected]"));
    }
    Registry r(file);
    std::string value;
    ASSERT_TRUE(r.read("hkey_current_user\\software\\brindle-cot", "datadir", &value));
    EXPECT_EQ(value, "/home/\xE9l\xE8ve/Brindlecot");
    ASSERT_TRUE(r.read("HKEY_CLASSES_ROOT\\MIDFILE\\Shell\\Open\\Command", "", &value));
    EXPECT_EQ(value, "brindlecot %1");
    EXPECT_TRUE(r.key_exists("HKEY_CLASSES_ROOT\\.RMI"));
    EXPECT_FALSE(r.read("HKEY_CLASSES_ROOT\\.rmi", "", &value));
    EXPECT_FALSE(r.key_exists("HKEY_CLASSES_ROOT\\.mid"));
    EXPECT_FALSE(r.key_exists("Injected"));
    EXPECT_FALSE(r.key_exists("Injected=x"));
    EXPECT_FALSE(r.read(kProgramKey, "", &value));

    // Defaults answer until a value is written, and are never saved.
    r.set_default(kProgramKey, kProgramDirValue, "/usr/share/brindlecot");
    ASSERT_TRUE(r.read(kProgramKey, kProgramDirValue, &value));
    EXPECT_EQ(value, "/usr/share/brindlecot");
    EXPECT_TRUE(r.write(kProgramKey, kProgramDirValue, "/opt/brindlecot"));
    ASSERT_TRUE(r.read(kProgramKey, kProgramDirValue, &value));
    EXPECT_EQ(value, "/opt/brindlecot");
    EXPECT_TRUE(r.remove_value(kProgramKey, kProgramDirValue));
    Registry again(file);
    EXPECT_FALSE(again.read(kProgramKey, kProgramDirValue, &value));
}

TEST(Locations, FreshInstallationFindsBothFolders)
{
    TempFolder folder;
    setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (folder / "share").c_str(), 1);
    setenv("BRINDLECOT_DATA", folder.path().c_str(), 1);
    Registry settings = open_settings();
    std::string program, data;
    EXPECT_TRUE(settings.read(kProgramKey, kProgramDirValue, &program));
    EXPECT_TRUE(settings.read(kProgramKey, kDataDirValue, &data));
    EXPECT_EQ(program, folder.path());
    EXPECT_EQ(data, folder / "share/brindlecot");
    EXPECT_EQ(settings.file(), folder / "config/brindlecot/settings.txt");
    EXPECT_TRUE(std::filesystem::is_directory(data));
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DATA_HOME");
    unsetenv("BRINDLECOT_DATA");
}

// Whether another process can take the lock `name` (exit status 0 = it could).
bool other_process_takes(const std::string& name)
{
    const pid_t child = fork();
    if (child == 0) {
        InstanceLock lock;
        _exit(lock.acquire(name) ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(InstanceLock, ASecondProcessSeesTheFirst)
{
    TempFolder folder;
    setenv("XDG_RUNTIME_DIR", folder.path().c_str(), 1);
    {
        InstanceLock first;
        ASSERT_TRUE(first.acquire("BrindlecotMutex"));
        EXPECT_FALSE(other_process_takes("BrindlecotMutex"));
        EXPECT_TRUE(other_process_takes("AnotherName"));
    }
    EXPECT_TRUE(other_process_takes("BrindlecotMutex"));  // freed with its holder

    // A runtime folder that does not exist (or cannot be written) is no other instance: the
    // lock goes to the temporary folder and still works between processes.
    setenv("XDG_RUNTIME_DIR", (folder / "missing").c_str(), 1);
    const char* tmpdir = std::getenv("TMPDIR");
    const std::string previous_tmpdir = tmpdir ? tmpdir : "";
    setenv("TMPDIR", folder.path().c_str(), 1);
    {
        InstanceLock first;
        ASSERT_TRUE(first.acquire("BrindlecotMutex"));
        EXPECT_TRUE(first.held());
        EXPECT_EQ(InstanceLock::path("BrindlecotMutex").rfind(folder.path() + "/", 0), 0u);
        EXPECT_FALSE(other_process_takes("BrindlecotMutex"));
    }
    if (tmpdir) setenv("TMPDIR", previous_tmpdir.c_str(), 1);
    else unsetenv("TMPDIR");
    unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
