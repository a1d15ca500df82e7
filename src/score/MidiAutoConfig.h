#pragma once
// Giving every instrument of the current document a synthesizer, an output port and a MIDI
// channel that do not collide with the others, from the synthesizers connected to the ports and
// from their definitions. Run after a document is read, before it plays or is exported.

// Completes and repairs the MIDI settings of the instruments of `doc`, in order:
// - an instrument whose synthesizer is "---" takes that of the first port that has one;
// - one without a sound group loses its program and bank;
// - one whose port follows its synthesizer (autom bit 0) goes to the first port of that name;
// - one with a fixed channel (autom bit 1 clear) gets channel 1 when it had none, and its port and
//   channel are taken (only when both are in range: ports 1 to 4, channels 1 to 16);
// - one with an automatic channel and a program and bank gets the first free channel that its
//   synthesizer receives on and its sound allows; failing that it shares the channel of an
//   earlier instrument with the same sound, or frees one by making two earlier instruments of
//   one sound share theirs; failing all, channel 1.
void midi_auto_config();
