// Every test of this program runs with the program's application object and reads chord names
// with the program's note names.
#include "support/TestApplication.h"
#include "support/ChordNoteNames.h"
