// Every test of this program reads chord names with the program's note names.
#include "support/ChordNoteNames.h"
