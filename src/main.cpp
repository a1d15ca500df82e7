// Brindlecot: the program's entry. The application shell runs it.
#include "app/Application.h"
#include "audio/AudioProgram.h"

int main(int argc, char** argv)
{
    // The audio folder lies above the shell: its commands are handed to it here.
    install_audio();
    return run_application(argc, argv);
}
