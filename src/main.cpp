// Brindlecot: the program's entry. The application shell fills the application's hooks
// here before start-up once it exists; until then the framework's defaults run a bare frame.
#include "framework/Startup.h"

int main(int argc, char** argv)
{
    return WinMain(argc, argv);
}
