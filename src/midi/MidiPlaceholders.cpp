#include "midi/MidiPlaceholders.h"

void scale_mesure(short, short, short) {}
