// Brindlecot: the program's entry. The application shell runs it.
#include "app/Application.h"

int main(int argc, char** argv)
{
    return run_application(argc, argv);
}
