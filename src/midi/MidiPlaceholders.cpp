#include "midi/MidiPlaceholders.h"

void transcrire_proc(Document*, short, short, short) {}
