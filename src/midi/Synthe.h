#pragma once
// Synthesizer definitions, the MIDI layer's part: sending the bytes that select a bank. The
// definitions themselves, their reader and cache are the score model's (score/Synthe.h).

#include "score/Synthe.h"

// Turns bank `index` of the definition into its bank-select bytes for channel `canal` (1 to
// 16): written into `buffer` when given, else sent at once to output port `port`. Returns the
// number of bytes; 0 for a bank the definition does not hold.
short envoyer_message_banque(Synthe* syn, short index, short port, short canal, char* buffer);
