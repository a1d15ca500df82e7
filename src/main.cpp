// Brindlecot: start-up. The application object and its message loop take over from here
// as they are built; until then the program only reports its version.
#include <cstdio>

int main(int argc, char** argv)
{
    (void)argc;
    (void)argv;
    std::printf("Brindlecot 0.1\n");
    return 0;
}
