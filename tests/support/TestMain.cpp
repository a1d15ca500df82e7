// The main of every test program: tests run headless and find the program directory of the
// build tree unless the caller says otherwise. (The leak checker's exceptions for system
// libraries come with the platform library.)
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("BRINDLECOT_HEADLESS", "1", 0);
    setenv("BRINDLECOT_DATA", BRINDLECOT_BUILD_DATA, 0);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
