// Every test of this program runs with the program's application object.
#include "support/TestApplication.h"
