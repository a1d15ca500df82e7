// The main of every test program: tests run headless and find the program directory of the
// build tree unless the caller says otherwise.
#include <gtest/gtest.h>

#include <cstdlib>

// Fontconfig keeps a few bytes of its parsed configuration for the life of the process; the leak
// checker of the sanitizer builds is told to overlook that library's own loss.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

int main(int argc, char** argv)
{
    setenv("BRINDLECOT_HEADLESS", "1", 0);
    setenv("BRINDLECOT_DATA", BRINDLECOT_BUILD_DATA, 0);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
